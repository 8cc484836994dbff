#include "store/result_list.h"

#include "store/csv_export.h"
#include "store/display_format.h"
#include "store/patient_id_set.h"
#include "store/safe_text.h"
#include "store/text_encoding.h"

#include <algorithm>
#include <charconv>

namespace qa {

void ReadListValues(const MeasurementTable& table, int index, ListRow& row) {
    row = ListRow{};
    row.rowIndex = index;
    row.rowId = table.CurrentRowId();
    row.date = table.date.Str();
    row.time = table.time.Str();
    row.value = table.value.Str();
    row.patientId = table.pid.Str();
    row.operatorId = table.opid.Str();
    row.resultId = table.resultId.Str();
    if (table.Kind() == ResultKind::HbA1c) {
        row.patientName = DecodeStoredText(table.name.View());
        row.birthday = DecodeStoredText(table.dob.View());
        row.diagnosis = table.diagnose;
        row.memo = DecodeStoredText(table.memo.View());
    }
}

void ReadListRow(MeasurementTable& table, const SettingsStore& settings, int index, ListRow& row,
                 std::vector<std::string>& cells) {
    ReadListValues(table, index, row);
    const bool hba1c = table.Kind() == ResultKind::HbA1c;
    // Each text appended into a cell of its own, the date and time parsed once: a long list
    // makes a hundred thousand of these.
    cells.resize(hba1c ? 6 : 4);
    for (std::string& cell : cells) {
        cell.clear();
    }
    char number[16];
    cells[0].assign(number, std::to_chars(number, number + sizeof number, index + 1).ptr);
    if (std::optional<CalendarDateTime> moment = ParseStoredDateTime(row.date, row.time)) {
        AppendCalendar(*moment, ListDatePattern(settings), cells[1]);
        AppendCalendar(*moment, ListTimePattern(settings), cells[2]);
    } else {
        AppendDateText(settings, row.date, row.time, cells[1]);
        AppendTimeText(settings, row.date, row.time, cells[2]);
    }
    if (hba1c) {
        AppendHbA1cText(settings, row.value, false, cells[3]);
        AppendHbA1cText(settings, row.value, true, cells[4]);
        // Shown decoded; the row keeps the stored bytes, which a delete or edit matches.
        cells[5] = DecodeStoredText(row.patientId);
    } else {
        AppendGlucoseText(settings, row.value, cells[3]);
    }
}

ResultList LoadResultList(MeasurementTable& table, const SettingsStore& settings, bool keepFilter) {
    ResultList list;
    if (!table.IsOpen()) {
        return list;
    }
    if (!keepFilter) {
        table.sort = table.StandardSort();
        table.filter.Clear();
    }
    // One query in list order. A requery first would read the whole list's row ids only to
    // step through them again; the table's last count is a fair guess of the length.
    if (Status started = table.StartWalk(); !started) {
        list.status = started;
        table.EndWalk();
        return list;
    }
    const std::size_t expected = static_cast<std::size_t>(std::max(table.RowCount(), 0));
    list.rows.reserve(expected);
    list.cells.reserve(expected);
    const bool hba1c = table.Kind() == ResultKind::HbA1c;
    PatientIdSet patients;
    for (int i = 0; table.WalkNext(); ++i) {
        ListRow& row = list.rows.emplace_back();
        std::vector<std::string>& cells = list.cells.emplace_back();
        cells.reserve(hba1c ? 6 : 4);
        ReadListRow(table, settings, i, row, cells);
        if (hba1c) {
            patients.Add(row.patientId);
        }
    }
    list.status = table.WalkStatus();
    table.EndWalk();
    if (!list.rows.empty()) {
        list.newestDate = list.rows.front().date;
    }
    list.patientIds = patients.TakeIds();
    return list;
}

ResultListStream::ResultListStream(MeasurementTable& table, const SettingsStore& settings,
                                   bool keepFilter)
    : table_(table), settings_(settings), csvCells_(settings) {
    if (!keepFilter && table_.IsOpen()) {
        table_.sort = table_.StandardSort();
        table_.filter.Clear();
    }
}

ResultListStream::~ResultListStream() {
    table_.EndWalk();
}

Status ResultListStream::Restart() {
    index_ = -1;
    started_ = false;
    if (!table_.IsOpen()) {
        table_.EndWalk();
        return {}; // a closed table is an empty list
    }
    // Only what the texts show: date, time, value and patient ID are all in the table's
    // index, so the walk reads the index alone and never looks a row up in the table.
    Status started = withIds_ ? table_.StartWalk({0, 1, 2, 3, MeasurementTable::kResultIdField})
                              : table_.StartWalk({0, 1, 2, 3});
    started_ = started.ok();
    return started;
}

bool ResultListStream::Next() {
    if (!started_) {
        (void)Restart(); // a failure stays in WalkStatus
        if (!started_) {
            return false;
        }
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
    csvCells_.Append(table_, index_, out);
    out += '\n';
}

void ListCsvCells::Append(const MeasurementTable& table, int index, std::string& out) {
    // The texts of ReadListRow, each cell closed as AppendCsvLineUtf8 closes it.
    const std::string_view date = table.date.View();
    const std::string_view time = table.time.View();
    const std::string_view value = table.value.View();
    char number[16];
    out.append(number, std::to_chars(number, number + sizeof number, index + 1).ptr);
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
    const bool hba1c = table.Kind() == ResultKind::HbA1c;
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
        const std::string_view pid = table.pid.View();
        if (visibleControls_) {
            out += VisibleControls(DecodeStoredText(pid));
        } else if (IsUtf8Text(pid)) {
            out += pid;
        } else {
            out += DecodeStoredText(pid);
        }
        EndCsvCell(out, start);
    }
}

Status ResultListStream::WalkStatus() const {
    return table_.WalkStatus();
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

Status ResultListIndex::Load(MeasurementTable& table, const SettingsStore& settings,
                             bool keepFilter) {
    Clear();
    if (!table.IsOpen()) {
        return MessageId::TableNotOpen;
    }
    if (!keepFilter) {
        table.sort = table.StandardSort();
        table.filter.Clear();
    }
    Status listed =
        table.ForEachRowId({}, [&](int rowId, std::string_view) { rowIds_.push_back(rowId); });
    if (!listed) {
        rowIds_.clear();
        return listed;
    }
    table_ = &table;
    settings_ = settings;
    filter_ = table.filter.Str();
    sort_ = table.sort.Str();
    if (!rowIds_.empty()) {
        // The newest date only guides the period box: a first row that cannot be read
        // leaves it as it was, and the list itself says so when it shows the row.
        const Expected<bool> first = table.LoadRowById(rowIds_.front());
        if (first && *first) {
            newestDate_ = table.date.Str();
        }
    }
    return {};
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
    const Status ok =
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

Expected<bool> ResultListIndex::Read(int index, ListRow& row,
                                     std::vector<std::string>& cells) const {
    if (table_ == nullptr || index < 0 || index >= Count()) {
        row = ListRow{};
        cells.clear();
        return false;
    }
    const Expected<bool> found = table_->LoadRowById(rowIds_[static_cast<std::size_t>(index)]);
    ReadListRow(*table_, settings_, index, row, cells);
    if (!found || !*found) {
        cells.resize(1);
    }
    return found;
}

Status ResultListIndex::ForEachCsvLine(const std::vector<int>& keys, const ExtraCells& extra,
                                       const std::function<bool(std::string_view)>& line) const {
    if (table_ == nullptr) {
        // Nothing was loaded: only an export of no rows has what it asks for.
        if (keys.empty()) {
            return {};
        }
        return MessageId::TableNotOpen;
    }
    MeasurementTable& table = *table_;
    ListCsvCells cells(settings_);
    const int emptyCells = table.Kind() == ResultKind::HbA1c ? 5 : 3;
    std::string out;
    ListRow row;
    auto write = [&](int key, bool found) {
        out.clear();
        if (found) {
            cells.Append(table, key, out);
        } else {
            char number[16];
            out.append(number, std::to_chars(number, number + sizeof number, key + 1).ptr);
            out.append(static_cast<std::size_t>(emptyCells) + 1, ',');
        }
        if (extra) {
            if (found) {
                ReadListValues(table, key, row);
            }
            extra(found ? &row : nullptr, out);
        }
        out += '\n';
        return line(out);
    };

    std::size_t next = 0;
    bool inLoadOrder = keys.size() == rowIds_.size();
    for (std::size_t i = 0; inLoadOrder && i < keys.size(); ++i) {
        inLoadOrder = keys[i] == static_cast<int>(i);
    }
    if (inLoadOrder && !keys.empty()) {
        // One query in the load's order instead of a lookup per row. Its rows are the list's
        // as long as their ids agree; a table changed since the load is read by id from the
        // first row that differs.
        const std::string filter = table.filter.Str();
        const std::string sort = table.sort.Str();
        table.filter = filter_;
        table.sort = sort_;
        // The cells alone come from the table's index; other columns need whole rows.
        Status started = extra ? table.StartWalk() : table.StartWalk({0, 1, 2, 3});
        table.filter = filter;
        table.sort = sort;
        if (!started) {
            table.EndWalk();
            return started;
        }
        while (next < keys.size() && table.WalkNext() && table.CurrentRowId() == rowIds_[next]) {
            if (!write(static_cast<int>(next), true)) {
                table.EndWalk();
                return {};
            }
            ++next;
        }
        Status walked = table.WalkStatus();
        table.EndWalk();
        if (!walked) {
            return walked;
        }
    }
    for (; next < keys.size(); ++next) {
        const int key = keys[next];
        const bool known = key >= 0 && key < Count();
        bool found = false;
        if (known) {
            // A row deleted meanwhile is written as the list shows it; one that could not be
            // read ends the export.
            const Expected<bool> loaded = table.LoadRowById(rowIds_[static_cast<std::size_t>(key)]);
            if (!loaded) {
                return loaded.status();
            }
            found = *loaded;
        }
        if (!write(key, found)) {
            return {};
        }
    }
    return {};
}

} // namespace qa
