#pragma once

#include "store/measurement_table.h"
#include "store/result_list.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qa {

// Limits of the patient details, in code page 949 bytes (a Hangul syllable takes two).
inline constexpr std::size_t kPatientNameMaxBytes = 15;
inline constexpr std::size_t kPatientIdMaxBytes = 15;
inline constexpr std::size_t kMemoMaxBytes = 99;

inline constexpr const char* kRecordCaption = "QuorinA1c";
inline constexpr const char* kConfirmChangeText = "데이터 변경하시겠습니까?";
inline constexpr const char* kNameOrIdTooLongText =
    "환자ID 입력 범위를 초과하였습니다.\n다시 입력해 주세요.(Max 15)";
inline constexpr const char* kNameTooLongText =
    "환자 이름 입력 범위를 초과하였습니다.\n다시 입력해 주세요.(Max 15)";
inline constexpr const char* kMemoTooLongText =
    "입력 범위를 초과하였습니다.\n다시 입력해 주세요.(Max 100)";

// The diagnosis texts of the record dialogs, in index order.
inline constexpr const char* kDiagnosisNames[] = {"None", "Type  I", "Type II", "Gestational",
                                                  "Normal"};
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
std::optional<std::string> RecordEditLimitMessage(const RecordEdit& edit);

// Writes the changed patient details to the one stored row the operator selected: found by
// all five key fields (and by its row id too when `storedRowId` is not 0), and when several
// rows share all five, only the first stored. Every other column keeps its stored value.
// The table's filter and sort are as before afterwards, requeried. False when no row
// matched or the write failed.
bool ModifyRecord(HbA1cTable& table, const ListRow& selected, const RecordEdit& changes,
                  int storedRowId = 0);

} // namespace qa
