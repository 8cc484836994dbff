#pragma once

#include "store/measurement_table.h"
#include "store/settings.h"

#include <string>
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
};

struct ResultList {
    std::vector<ListRow> rows;
    // The displayed texts, one vector of column texts per row: number, date, time, result,
    // and for HbA1c the estimated average glucose and the patient ID.
    std::vector<std::vector<std::string>> cells;
    std::string newestDate;              // DATE of the first row; empty when no row
    std::vector<std::string> patientIds; // distinct PIDs, first seen first (HbA1c)
    // False when the table could not be queried: the rows are then those of its last query.
    bool read = true;
};

// Reads the table into the texts the all-data list shows, newest first. Unless
// `keepFilter`, the table gets the standard sort and no filter first; with it, the filter
// and sort the caller set are used as they are.
ResultList LoadResultList(MeasurementTable& table, const SettingsStore& settings, bool keepFilter);

} // namespace qa
