#include "store/result_list.h"

#include "store/csv_export.h"
#include "store/display_format.h"
#include "store/patient_id_set.h"
#include "store/text_encoding.h"

#include <charconv>

namespace qa {

void ReadListRow(MeasurementTable& table, const SettingsStore& settings, int index, ListRow& row,
                 std::vector<std::string>& cells) {
    const bool hba1c = table.Kind() == ResultKind::HbA1c;
    row = ListRow{};
    row.rowIndex = index;
    row.rowId = table.CurrentRowId();
    row.date = table.date.Str();
    row.time = table.time.Str();
    row.value = table.value.Str();
    row.patientId = table.pid.Str();
    row.operatorId = table.opid.Str();
    cells.clear();
    cells.push_back(std::to_string(index + 1));
    cells.push_back(FormatDateText(settings, row.date, row.time));
    cells.push_back(FormatTimeText(settings, row.date, row.time));
    if (hba1c) {
        cells.push_back(FormatHbA1cText(settings, row.value, false));
        cells.push_back(FormatHbA1cText(settings, row.value, true));
        // Shown decoded; the row keeps the stored bytes, which a delete or edit matches.
        cells.push_back(DecodeStoredText(row.patientId));
        row.patientName = DecodeStoredText(table.name.View());
        row.birthday = DecodeStoredText(table.dob.View());
        row.diagnosis = table.diagnose;
        row.memo = DecodeStoredText(table.memo.View());
    } else {
        cells.push_back(FormatGlucoseText(settings, row.value));
    }
}

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
        ListRow row;
        std::vector<std::string> cells;
        ReadListRow(table, settings, i, row, cells);
        if (hba1c) {
            patients.Add(row.patientId);
        }
        if (i == 0) {
            list.newestDate = row.date;
        }
        list.rows.push_back(std::move(row));
        list.cells.push_back(std::move(cells));
    }
    list.patientIds = patients.TakeIds();
    return list;
}

ResultListStream::ResultListStream(MeasurementTable& table, const SettingsStore& settings,
                                   bool keepFilter)
    : table_(table), settings_(settings) {
    if (!keepFilter && table_.IsOpen()) {
        table_.sort = table_.StandardSort();
        table_.filter.Clear();
    }
}

ResultListStream::~ResultListStream() {
    table_.EndWalk();
}

bool ResultListStream::Restart() {
    index_ = -1;
    // Only what the texts show: date, time, value and patient ID are all in the table's
    // index, so the walk reads the index alone and never looks a row up in the table.
    started_ = table_.IsOpen() && table_.StartWalk({0, 1, 2, 3});
    return started_;
}

bool ResultListStream::Next() {
    if (!started_ && !Restart()) {
        return false;
    }
    if (!table_.WalkNext()) {
        return false;
    }
    ++index_;
    formatted_ = false;
    return true;
}

void ResultListStream::Format() const {
    if (!formatted_) {
        ReadListRow(table_, settings_, index_, row_, cells_);
        formatted_ = true;
    }
}

const ListRow& ResultListStream::Row() const {
    Format();
    return row_;
}

const std::vector<std::string>& ResultListStream::Cells() const {
    Format();
    return cells_;
}

void ResultListStream::AppendCsvLine(std::string& out) const {
    // The texts of ReadListRow, each cell closed as AppendCsvLineUtf8 closes it.
    const std::string_view date = table_.date.View();
    const std::string_view time = table_.time.View();
    const std::string_view value = table_.value.View();
    char number[16];
    out.append(number, std::to_chars(number, number + sizeof number, index_ + 1).ptr);
    out += ',';
    if (std::optional<CalendarDateTime> moment = ParseStoredDateTime(date, time)) {
        // A real moment: the texts are the patterns' digits and separators, nothing to quote.
        AppendCalendar(*moment, ListDatePattern(settings_), out);
        out += ',';
        AppendCalendar(*moment, ListTimePattern(settings_), out);
        out += ',';
    } else {
        std::size_t start = out.size();
        AppendDateText(settings_, date, time, out);
        EndCsvCell(out, start);
        start = out.size();
        AppendTimeText(settings_, date, time, out);
        EndCsvCell(out, start);
    }
    const bool hba1c = table_.Kind() == ResultKind::HbA1c;
    // The value's cells depend on nothing but the stored text and the settings, and a long
    // list holds few distinct values: each is formatted once.
    std::size_t slot = value.size();
    for (char c : value) {
        slot = slot * 31 + static_cast<unsigned char>(c);
    }
    ValueCells& cached = valueCells_[slot % valueCells_.size()];
    const int units = (settings_.hba1cUnit != 0 ? 2 : 0) + (settings_.glucoseUnit != 0 ? 1 : 0);
    if (cached.filled && cached.units == units && cached.stored == value) {
        out += cached.cells;
    } else {
        const std::size_t first = out.size();
        std::size_t start = first;
        if (hba1c) {
            AppendHbA1cText(settings_, value, false, out);
            EndCsvCell(out, start);
            start = out.size();
            AppendHbA1cText(settings_, value, true, out);
        } else {
            AppendGlucoseText(settings_, value, out);
        }
        EndCsvCell(out, start);
        cached.filled = true;
        cached.units = units;
        cached.stored.assign(value);
        cached.cells.assign(out, first);
    }
    if (hba1c) {
        const std::size_t start = out.size();
        const std::string_view pid = table_.pid.View();
        if (IsUtf8Text(pid)) {
            out += pid;
        } else {
            out += DecodeStoredText(pid);
        }
        EndCsvCell(out, start);
    }
    out += '\n';
}

bool ResultListStream::Failed() const {
    return table_.WalkFailed();
}

void ResultListIndex::Clear() {
    table_ = nullptr;
    rowIds_.clear();
    rowIds_.shrink_to_fit();
    newestDate_.clear();
    filter_.clear();
    sort_.clear();
    patientIdsRead_ = false;
    patientIds_.clear();
}

bool ResultListIndex::Load(MeasurementTable& table, const SettingsStore& settings,
                           bool keepFilter) {
    Clear();
    if (!table.IsOpen()) {
        return false;
    }
    if (!keepFilter) {
        table.sort = table.StandardSort();
        table.filter.Clear();
    }
    const bool ok =
        table.ForEachRowId({}, [&](int rowId, std::string_view) { rowIds_.push_back(rowId); });
    if (!ok) {
        rowIds_.clear();
        return false;
    }
    table_ = &table;
    settings_ = settings;
    filter_ = table.filter.Str();
    sort_ = table.sort.Str();
    if (!rowIds_.empty() && table.LoadRowById(rowIds_.front())) {
        newestDate_ = table.date.Str();
    }
    return true;
}

const std::vector<std::string>& ResultListIndex::PatientIds() const {
    if (patientIdsRead_ || table_ == nullptr) {
        return patientIds_;
    }
    patientIdsRead_ = true;
    if (table_->Kind() != ResultKind::HbA1c) {
        return patientIds_;
    }
    // The walk runs under the filter and sort of the load; the table's own are put back.
    const std::string filter = table_->filter.Str();
    const std::string sort = table_->sort.Str();
    table_->filter = filter_;
    table_->sort = sort_;
    PatientIdSet patients;
    const bool ok =
        table_->ForEachRowId("PID", [&](int, std::string_view pid) { patients.Add(pid); });
    table_->filter = filter;
    table_->sort = sort;
    if (ok) {
        patientIds_ = patients.TakeIds();
    }
    return patientIds_;
}

int ResultListIndex::RowId(int index) const {
    return index >= 0 && index < Count() ? rowIds_[static_cast<std::size_t>(index)] : 0;
}

bool ResultListIndex::Read(int index, ListRow& row, std::vector<std::string>& cells) const {
    if (table_ == nullptr || index < 0 || index >= Count()) {
        row = ListRow{};
        cells.clear();
        return false;
    }
    const bool found = table_->LoadRowById(rowIds_[static_cast<std::size_t>(index)]);
    ReadListRow(*table_, settings_, index, row, cells);
    if (!found) {
        cells.resize(1);
    }
    return found;
}

} // namespace qa
