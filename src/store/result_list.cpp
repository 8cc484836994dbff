#include "store/result_list.h"

#include "store/display_format.h"
#include "store/patient_id_set.h"
#include "store/text_encoding.h"

namespace qa {

ResultList LoadResultList(MeasurementTable& table, const SettingsStore& settings, bool keepFilter) {
    ResultList list;
    if (!table.IsOpen()) {
        return list;
    }
    table.MoveFirst();
    if (!keepFilter) {
        list.read = table.ResetView();
    }
    const bool hba1c = table.Kind() == ResultKind::HbA1c;
    const int count = table.RowCount();
    list.rows.reserve(static_cast<std::size_t>(count));
    list.cells.reserve(static_cast<std::size_t>(count));
    PatientIdSet patients;
    for (int i = 0; i < count && !table.IsEOF(); ++i, table.MoveNext()) {
        std::string date = table.date.Str();
        std::string time = table.time.Str();
        std::string value = table.value.Str();
        std::vector<std::string> cells{std::to_string(i + 1), FormatDateText(settings, date, time),
                                       FormatTimeText(settings, date, time)};
        ListRow row;
        row.rowIndex = i;
        row.rowId = table.CurrentRowId();
        row.date = date;
        row.time = time;
        row.value = value;
        row.patientId = table.pid.Str();
        row.operatorId = table.opid.Str();
        if (hba1c) {
            cells.push_back(FormatHbA1cText(settings, value, false));
            cells.push_back(FormatHbA1cText(settings, value, true));
            // Shown decoded; the row keeps the stored bytes, which a delete or edit matches.
            cells.push_back(DecodeStoredText(row.patientId));
            patients.Add(row.patientId);
            row.patientName = DecodeStoredText(table.name.View());
            row.birthday = DecodeStoredText(table.dob.View());
            row.diagnosis = table.diagnose;
            row.memo = DecodeStoredText(table.memo.View());
        } else {
            cells.push_back(FormatGlucoseText(settings, value));
        }
        if (i == 0) {
            list.newestDate = date;
        }
        list.rows.push_back(std::move(row));
        list.cells.push_back(std::move(cells));
    }
    list.patientIds = patients.TakeIds();
    return list;
}

} // namespace qa
