#pragma once

#include "store/status.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qa {

inline constexpr const char* kSettingsSection = "SETTING VALUE";
inline constexpr const char* kSettingsFileSuffix = "_set_info.ini";

// The current user's display choices and user information, as held in memory. Any non-zero
// unit selects the second unit; a date or time format outside its list shows no text.
struct SettingsStore {
    std::int32_t hba1cUnit = 0;   // 0 percent, otherwise mmol/mol
    std::int32_t glucoseUnit = 0; // 0 mg/dL, otherwise mmol/L
    std::int32_t dateFormat = 0;  // 0 year-month-day, 1 month-day-year, 2 day-month-year
    std::int32_t timeFormat = 0;  // 0 12-hour with AM/PM, 1 24-hour
    float hba1cHigh = 6.7f;       // percent
    float hba1cLow = 4.5f;
    float glucoseHigh = 160.0f; // mg/dL
    float glucoseLow = 80.0f;
    std::int32_t language = 0;
    std::string name;
    std::string hospital;
    std::string email;
    std::string command; // the memo

    bool operator==(const SettingsStore&) const = default;
};

std::string SettingsFilePath(const std::string& dataFolder, const std::string& userId);

// Fills `store` from the file. A missing file is first written with the defaults. A key
// that is missing loads as -1 (numbers) or "-1" (texts), texts are cut to 99 bytes of code
// page 949. Fails, with the defaults in `store` and the file untouched, when the file exists
// but cannot be read, or when the missing file cannot be created; the failure names the file
// and the system's reason.
Status LoadSettings(const std::string& path, SettingsStore& store);

// Writes all thirteen keys in one replacement of the file; other content of the file stays.
// Line breaks in the texts become blanks, since they would end the entry and let the rest
// of a memo be read as keys of the file.
Status SaveSettings(const std::string& path, const SettingsStore& store);

// Resets `store` to the defaults and writes all thirteen keys.
Status WriteDefaultSettings(const std::string& path, SettingsStore& store);

// The number parsing of the settings file, also used for stored result texts: the leading
// part of the text as a number (leading blanks and a sign allowed), 0 when there is none.
// Independent of the process locale: the GUI toolkit sets the locale from the environment,
// and a decimal comma would read "6.7" back as 6.
// The settings as the file's own keys and texts, in file order (for showing them).
std::vector<std::pair<std::string, std::string>> SettingsEntries(const SettingsStore& store);
// The highest target limits a setting takes: HbA1c in percent, glucose in mg/dL, each well
// above what the meter can measure.
inline constexpr double kHbA1cLimitHighest = 20.0;
inline constexpr double kGlucoseLimitHighest = 1000.0;

// The target ranges the charts draw: each limit above 0 and at most the highest above, and
// each low limit below its high one. The failure names the first that is not.
Status CheckTargetRanges(const SettingsStore& store);

// Sets one setting from its file key (any case) and a text; fails, leaving `store` as it
// was, for an unknown key or a value that does not fit it.
Status ApplySettingsEntry(SettingsStore& store, std::string_view key, std::string_view value);

// The user-information texts (name, hospital, e-mail, memo) are kept whole up to this many
// bytes of code page 949, as the Windows program counted them (a Hangul syllable takes two
// there, three in the UTF-8 this program stores), so what fitted there fits here.
inline constexpr std::size_t kSettingsTextMaxBytes = 99;
bool SettingsTextFits(std::string_view utf8);

std::int32_t LeadingInt(std::string_view text);
double LeadingDouble(std::string_view text);
// printf's "%.<decimals>f" with a '.' whatever the locale.
std::string FixedText(double value, int decimals);

} // namespace qa
