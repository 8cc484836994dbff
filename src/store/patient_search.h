#pragma once

#include "store/measurement_table.h"
#include "store/status.h"

#include <string>
#include <string_view>
#include <vector>

namespace qa {

// A patient a typed text may stand for, with what tells one patient from another: every
// name and birth date on their records (most frequent first; blanks left out), how many
// results they have and the newest date.
struct PatientCandidate {
    std::string patientId;               // stored bytes
    std::vector<std::string> names;      // decoded
    std::vector<std::string> birthDates; // stored texts ("YYYYMMDD" as the meter sends them)
    int count = 0;
    std::string newestDate; // stored date
};

// More candidates than this are not read: the operator types more instead.
inline constexpr int kMaxPatientCandidates = 50;

struct PatientSearch {
    // True when the text, trimmed, is a whole stored ID (ignoring ASCII case): the candidates
    // are then those IDs only, however many others contain the text.
    bool wholeId = false;
    std::vector<PatientCandidate> candidates; // in byte order of the ID
    bool more = false;                        // more than the limit matched
};

// The index the search walks: IDs ignoring case, with the name beside them so that a search
// by part of an ID or a name reads the index and not the table. Fails when it could not be
// made (a read-only file): the search then reads the table.
Status EnsurePatientSearchIndex(MeasurementTable& table);

// The stored IDs equal to `typed` once its surrounding blanks are gone, ignoring ASCII case
// (and the code page 949 spelling of a Hangul ID), in byte order. Empty for blank text.
Expected<std::vector<std::string>> FindWholePatientIds(MeasurementTable& table,
                                                       std::string_view typed);

// The patients `typed` may mean: a whole ID when it is one, otherwise every patient whose ID
// or name contains it (ignoring ASCII case, every character literal), at most `limit`.
Expected<PatientSearch> FindPatients(MeasurementTable& table, std::string_view typed,
                                     int limit = kMaxPatientCandidates);

// Names, birth dates, count and newest date of one stored ID.
Expected<PatientCandidate> ReadPatientCandidate(MeasurementTable& table,
                                                std::string_view patientId);

// What a patient's records say about who they are, over both kinds.
struct PatientIdentity {
    struct Variant {
        std::string text;
        int count = 0;
    };
    std::vector<Variant> names;      // decoded, most frequent first, blanks left out
    std::vector<Variant> birthDates; // stored texts, most frequent first, blanks left out

    bool NamesDisagree() const { return names.size() > 1; }
    bool BirthDatesDisagree() const { return birthDates.size() > 1; }
    bool Disagrees() const { return NamesDisagree() || BirthDatesDisagree(); }
};

// Adds one record's name and birth date to `identity`, keeping the variants ordered.
void CountIdentity(PatientIdentity& identity, const std::string& name,
                   const std::string& birthDate);

} // namespace qa
