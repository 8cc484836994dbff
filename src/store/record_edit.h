#pragma once

#include "store/measurement_table.h"
#include "store/message.h"
#include "store/result_list.h"
#include "store/status.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qa {

// Limits of the patient details, in code page 949 bytes (a Hangul syllable takes two).
inline constexpr std::size_t kPatientNameMaxBytes = 15;
inline constexpr std::size_t kPatientIdMaxBytes = 15;
inline constexpr std::size_t kMemoMaxBytes = 99;

inline constexpr MessageId kNameOrIdTooLongText = MessageId::NameOrIdTooLong;
inline constexpr MessageId kNameTooLongText = MessageId::NameTooLong;
inline constexpr MessageId kMemoTooLongText = MessageId::MemoTooLong;

// The diagnoses a record can name, by index (the record dialogs give their texts).
inline constexpr int kDiagnosisCount = 5;

struct BirthDate {
    int year = 1900;
    int month = 1;
    int day = 1;

    bool operator==(const BirthDate&) const = default;
};

// The patient details the operator confirmed in the modify dialog.
struct RecordEdit {
    int rowNumber = 0; // list row + 1, for the caller's bookkeeping
    std::string patientName;
    std::string patientId;
    BirthDate birthday;
    int diagnosis = -1; // -1: no type chosen
    std::string memo;
};

// A stored birthday ("YYYYMMDD") as a date; nothing when it names no real day (an empty
// text, a record imported without patient data that holds something else).
std::optional<BirthDate> ParseStoredBirthday(std::string_view text);
std::string StoredBirthday(const BirthDate& date);

// The refusal for the first detail over its limit (name, then patient ID, then memo), or
// nothing when all fit.
std::optional<MessageId> RecordEditLimitMessage(const RecordEdit& edit);

// Writes the changed patient details to the one stored row the operator selected: found by
// all five key fields (and by its row id too when `storedRowId` is not 0), and when several
// rows share all five, only the first stored. Every other column keeps its stored value.
// The table's filter and sort are as before afterwards, requeried. Fails with ResultGone when
// no row matched, else saying why the write failed. Of a glucose result only the patient ID
// changes.
Status ModifyRecord(MeasurementTable& table, const ListRow& selected, const RecordEdit& changes,
                    int storedRowId = 0);

} // namespace qa
