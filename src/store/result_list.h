#pragma once

#include "store/measurement_table.h"
#include "store/settings.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qa {

// One listed result as stored, kept beside the displayed texts so that a delete or an edit
// names the stored values, never the formatted ones.
struct ListRow {
    int rowIndex = 0;
    int rowId = 0; // the stored row, so an edit changes exactly this one
    std::string date;
    std::string time;
    std::string value;
    std::string patientId;
    std::string operatorId;
    std::string patientName;
    std::string spare;
    std::string birthday;
    int diagnosis = 0;
    std::string memo;
    std::string resultId; // see MeasurementTable::resultId
};

struct ResultList {
    std::vector<ListRow> rows;
    // The displayed texts, one vector of column texts per row: number, date, time, result,
    // and for HbA1c the estimated average glucose and the patient ID.
    std::vector<std::vector<std::string>> cells;
    std::string newestDate;              // DATE of the first row; empty when no row
    std::vector<std::string> patientIds; // distinct PIDs, first seen first (HbA1c)
    // Why the table could not be read: the rows are then those read before the failure, if
    // any.
    Status status;
};

// The cells of a list row's export line, formatted straight from the row a table has loaded
// into the line being written: the texts ReadListRow makes, each closed with its comma as
// AppendCsvLineUtf8 closes it. Every export of the list, the command line's and the window's,
// writes its lines through this, so they hold the same bytes.
class ListCsvCells {
public:
    explicit ListCsvCells(const SettingsStore& settings) : settings_(settings) {}

    // The kind's own cells of the row `table` has loaded, numbered index + 1; no line feed.
    void Append(const MeasurementTable& table, int index, std::string& out);
    // For a terminal: control characters in the patient ID written out as "\x1b" instead of
    // sent raw (an export keeps the ID's exact bytes).
    void SetVisibleControls(bool visible) { visibleControls_ = visible; }

private:
    const SettingsStore& settings_;
    bool visibleControls_ = false;
    // The cells of recently seen stored values, closed and ready to append.
    struct ValueCells {
        bool filled = false;
        int units = 0; // of the settings it was made with
        std::string stored;
        std::string cells;
    };
    std::array<ValueCells, 512> valueCells_;
};

// Reads the table into the texts the all-data list shows, newest first, through one walk.
// Unless `keepFilter`, the table gets the standard sort and no filter first; with it, the
// filter and sort the caller set are used as they are. The table's row-id list is neither
// built nor changed.
ResultList LoadResultList(MeasurementTable& table, const SettingsStore& settings, bool keepFilter);

// The same rows, texts and order as LoadResultList, read one at a time while one query runs,
// so a list of any length is written out without being held (the command line's list,
// export and report). Unless `keepFilter`, the table gets the standard sort and no filter
// first, as LoadResultList does, but no requery: the table's row-id list is neither built
// nor changed.
class ResultListStream {
public:
    ResultListStream(MeasurementTable& table, const SettingsStore& settings, bool keepFilter);
    ~ResultListStream();
    ResultListStream(const ResultListStream&) = delete;
    ResultListStream& operator=(const ResultListStream&) = delete;

    // Moves to the next row (the first, after construction or Restart); false at the end or
    // when the query failed (WalkStatus tells them apart; a closed table is an empty list).
    bool Next();
    // Starts again before the first row.
    Status Restart();
    // Why the last start or step failed; ok while none has.
    Status WalkStatus() const;
    // The walks started from now on read each row's result ID too (ListRow::resultId and
    // the table's member); the list's own columns alone come from the index.
    void SetWithIds(bool withIds) { withIds_ = withIds; }

    // The row Next moved to, numbered from 0. Of its stored values only those the texts show
    // are read: row id, date, time, value and patient ID. Row and Cells are made when first
    // asked for, so an output that only wants the line pays for no copies.
    int Index() const { return index_; }
    const ListRow& Row() const;
    const std::vector<std::string>& Cells() const;
    // The row's line of the export in UTF-8, exactly as AppendCsvLineUtf8(Cells()) writes
    // it, formatted straight into `out`.
    void AppendCsvLine(std::string& out) const;
    // AppendCsvLine for a terminal: see ListCsvCells::SetVisibleControls.
    void SetVisibleControls(bool visible) { csvCells_.SetVisibleControls(visible); }

private:
    void Format() const;

    MeasurementTable& table_;
    const SettingsStore& settings_;
    bool started_ = false;
    bool withIds_ = false;
    int index_ = -1;
    mutable bool formatted_ = false;
    mutable ListRow row_;
    mutable std::vector<std::string> cells_;
    mutable ListCsvCells csvCells_;
};

// The all-data list as a window holds it: only the row ids, in list order; a row's values and
// texts are read by its id when the list shows it, and the list's patient-ID set when it is
// first asked for. Order, numbers, texts and IDs are those of LoadResultList.
class ResultListIndex {
public:
    // Reads the ids in list order (unless `keepFilter`, the standard sort and no filter, set
    // on the table without a requery). Fails when the table is closed or the query failed;
    // the index is then empty.
    Status Load(MeasurementTable& table, const SettingsStore& settings, bool keepFilter);
    void Clear();

    int Count() const { return static_cast<int>(rowIds_.size()); }
    int RowId(int index) const;
    // The row numbered index + 1: its stored values and displayed texts, read from the table
    // now, with the settings of the load. False when it is no longer stored (its texts then
    // hold only the number); a failure when it could not be read (the same texts).
    Expected<bool> Read(int index, ListRow& row, std::vector<std::string>& cells) const;

    const std::string& NewestDate() const { return newestDate_; }
    // The distinct patient IDs of the loaded list (HbA1c), first seen first, read by a walk
    // of the patient column under the filter and sort of the load the first time they are
    // asked for: a clinic's list names nearly a patient per row, and a window that never
    // shows them should not wait for them. Empty when that walk failed.
    const std::vector<std::string>& PatientIds() const;

    // The export lines of the loaded rows in the order `keys` names them (a key is a row's
    // number - 1; a list sorted on the screen passes its own order), with the texts and
    // settings of the load. Each line is the kind's own cells as ListCsvCells writes them;
    // then, when `extra` is set, whatever it appends for the row's stored values (null for a
    // row no longer stored, whose line holds only its number and empty cells, as the list
    // shows it); then the line feed. `line` gets each line in UTF-8 and returns false to
    // stop, which is no failure. Rows in load order come from one walk under the load's
    // filter and sort, the rest by id. Fails when the table could not be read.
    using ExtraCells = std::function<void(const ListRow* row, std::string& out)>;
    Status ForEachCsvLine(const std::vector<int>& keys, const ExtraCells& extra,
                          const std::function<bool(std::string_view)>& line) const;

private:
    MeasurementTable* table_ = nullptr;
    SettingsStore settings_;
    std::string filter_;
    std::string sort_;
    std::vector<std::int32_t> rowIds_;
    std::string newestDate_;
    mutable bool patientIdsRead_ = false;
    mutable std::vector<std::string> patientIds_;
};

// The stored values of the row the table has just loaded, as row number index + 1.
void ReadListValues(const MeasurementTable& table, int index, ListRow& row);
// The values and texts of the row the table has just loaded, as row number index + 1 of the
// list.
void ReadListRow(MeasurementTable& table, const SettingsStore& settings, int index, ListRow& row,
                 std::vector<std::string>& cells);

} // namespace qa
