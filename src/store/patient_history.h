#pragma once

#include "store/measurement_table.h"
#include "store/patient_search.h"
#include "store/settings.h"
#include "store/status.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qa {

// One stored result of one patient, as stored (the texts are decoded for display only
// where the field says so).
struct PatientResult {
    ResultKind kind = ResultKind::HbA1c;
    int rowId = 0;
    std::string date;        // "YYYYMMDD"
    std::string time;        // "HHMM"
    std::string value;       // as stored: HbA1c percent x 100, glucose mg/dL
    std::string patientId;   // stored bytes
    std::string patientName; // decoded
    std::string birthDate;   // as stored
    std::string memo;        // decoded
};

// Lookups by patient ID walk this index; files of older versions get it the first time a
// writable connection opens them (CREATE INDEX IF NOT EXISTS, which every SQLite accepts).
// Fails when it could not be made (a read-only connection): lookups then scan the table.
Status EnsurePatientIndex(MeasurementTable& table);

// Every result of the table whose stored patient ID is `patientId`, newest first (the
// standard sort). The ID is bound as a parameter, so any byte the meter sends is matched as
// itself. An ID typed as UTF-8 also finds rows the Windows program stored in code page 949.
// Fails, naming the file and SQLite's reason, when the table could not be read.
Expected<std::vector<PatientResult>> ReadPatientResults(MeasurementTable& table,
                                                        std::string_view patientId);

// A figure whose true value may be known only as a bound: results shown as "> 14 %" or
// "Hi" say only that the value lies above the meter's range. `atLeast`/`atMost` hold the
// bounds (no value means unbounded on that side); both equal means the figure is exact.
struct BoundedFigure {
    std::optional<double> atLeast;
    std::optional<double> atMost;

    bool Known() const { return atLeast.has_value() || atMost.has_value(); }
    bool Exact() const { return atLeast && atMost && *atLeast == *atMost; }
};

// The summary of one kind of a patient's results. Values are HbA1c percent or glucose mg/dL.
struct PatientSummary {
    int count = 0;
    std::string firstDate; // stored date of the oldest result
    std::string lastDate;  // stored date of the newest result
    std::string lastTime;
    std::string lastValue; // stored text of the newest result
    BoundedFigure change;  // newest minus the one before; unknown with one result
    BoundedFigure mean12Months;
    int countIn12Months = 0;
};

// `results` newest first, as ReadPatientResults gives them. The twelve months end with
// `today`, counting its day and the same day a year before.
PatientSummary SummarisePatient(ResultKind kind, const std::vector<PatientResult>& results,
                                std::chrono::sys_days today);

// The range a stored value stands for: exact inside the meter's range, a bound at its ends
// (HbA1c 14 % and 4 %, glucose 600 and 10 mg/dL, the limits the lists show as texts).
BoundedFigure StoredValueRange(ResultKind kind, std::string_view stored);

// The value on the chart: HbA1c in the operator's unit (percent or mmol/mol, one decimal
// precision kept), glucose in mg/dL or mmol/L; a value at the end of the range is drawn at
// that end.
double ChartValue(const SettingsStore& settings, ResultKind kind, std::string_view stored);
// The same conversion for a value already in percent or mg/dL (targets, bounds).
double DisplayValue(const SettingsStore& settings, ResultKind kind, double base);
// "%" / "mmol/mol" / "mg/dL" / "mmol/L" by the settings.
std::string UnitText(const SettingsStore& settings, ResultKind kind);

// A summary figure as text in the operator's unit: "7.2 %", "> 9.1 %" for a lower bound,
// "< 4.0 %" for an upper bound, "" when unknown. With `signedChange` the figure is a
// difference: "+0.4 %", "-3 mg/dL".
std::string FormatFigure(const SettingsStore& settings, ResultKind kind,
                         const BoundedFigure& figure, bool signedChange);

// One line per patient ID of a table, for the command line's patients listing.
struct PatientOverview {
    std::string patientId; // stored bytes
    PatientIdentity identity;
    int count = 0;
    std::string lastDate;
    std::string lastTime;
    std::string lastValue;
};

// Every patient ID of the table with its count and newest result, in byte order of the ID.
Expected<std::vector<PatientOverview>> ReadPatientOverview(MeasurementTable& table);

// The condition of the all-data page's search field: rows whose patient ID or patient name
// contains `typed`, ignoring case (ASCII letters), every character taken literally (quotes,
// '%', '_' and the HL7 delimiters alike). Empty when `typed` is empty or only blanks.
std::string PatientSearchCondition(std::string_view typed);

// The condition of one patient's rows: the stored ID equal to `patientId`, or to its code
// page 949 spelling; every character taken literally.
std::string PatientIdCondition(std::string_view patientId);

// Joins two conditions with "and"; either may be empty.
std::string JoinConditions(const std::string& first, const std::string& second);

} // namespace qa
