#include "store/settings.h"

#include "store/text_encoding.h"

#include "store/profile_file.h"
#include "store/text_encoding.h"
#include "store/users.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

namespace qa {

namespace {

bool IsCSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The sign and the position of the digits after leading blanks, as atoi/atof see them.
std::string_view SkipToNumber(std::string_view text, bool& negative) {
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i])) {
        ++i;
    }
    negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    return text.substr(i);
}

std::string OneLine(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c == '\r' || c == '\n' || c == '\0') {
            c = ' ';
        }
    }
    return out;
}

std::string IntText(std::int32_t value) {
    return std::to_string(value);
}

} // namespace

bool SettingsTextFits(std::string_view utf8) {
    return Cp949Length(utf8) <= kSettingsTextMaxBytes;
}

std::int32_t LeadingInt(std::string_view text) {
    bool negative = false;
    std::string_view digits = SkipToNumber(text, negative);
    std::int64_t value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            break;
        }
        // Saturate instead of overflowing: a broken file must not be undefined behaviour.
        value = std::min<std::int64_t>(value * 10 + (c - '0'), std::int64_t{1} << 32);
    }
    value = negative ? -value : value;
    value = std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                     std::numeric_limits<std::int32_t>::max());
    return static_cast<std::int32_t>(value);
}

double LeadingDouble(std::string_view text) {
    bool negative = false;
    std::string_view number = SkipToNumber(text, negative);
    // Only plain decimal numbers: "nan" would make every later comparison false and the
    // conversions to int undefined.
    if (number.empty() || !((number[0] >= '0' && number[0] <= '9') || number[0] == '.')) {
        return 0.0;
    }
    double value = 0.0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value,
                                        std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        // Like strtod: too large gives infinity, too small gives zero.
        bool large = false;
        for (char c : number) {
            if (c == 'e' || c == 'E') {
                break;
            }
            large = large || (c >= '1' && c <= '9');
        }
        std::size_t exponent = number.find_first_of("eE");
        bool negativeExponent = exponent != std::string_view::npos &&
                                exponent + 1 < number.size() && number[exponent + 1] == '-';
        value = (large && !negativeExponent) ? HUGE_VAL : 0.0;
    } else if (error != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

std::string FixedText(double value, int decimals) {
    char buffer[400];
    auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (error != std::errc()) {
        return {};
    }
    return std::string(buffer, end);
}

std::string SettingsFilePath(const std::string& dataFolder, const std::string& userId) {
    return dataFolder + "/" + UserFileStem(dataFolder, userId) + kSettingsFileSuffix;
}

Status WriteDefaultSettings(const std::string& path, SettingsStore& store) {
    store = SettingsStore{};
    std::vector<ProfileChange> changes;
    auto set = [&](const char* key, std::string value) {
        changes.push_back({kSettingsSection, key, std::move(value)});
    };
    set("HbA1c_unit", "0");
    set("Glucose_unit", "0");
    set("Date", "0");
    set("time", "0");
    // The defaults go out with one decimal and no padding beyond it: 6.7, 4.5, 160.0, 80.0.
    set("HbA1c_high", FixedText(store.hba1cHigh, 1));
    set("HbA1c_low", FixedText(store.hba1cLow, 1));
    set("Glucose_high", FixedText(store.glucoseHigh, 1));
    set("Glucose_low", FixedText(store.glucoseLow, 1));
    set("lang", "0");
    set("Name", "");
    set("Hospital", "");
    set("Email", "");
    set("Command", "");
    return WriteProfileStrings(path, changes);
}

std::vector<std::pair<std::string, std::string>> SettingsEntries(const SettingsStore& store) {
    return {
        {"HbA1c_unit", IntText(store.hba1cUnit)},
        {"Glucose_unit", IntText(store.glucoseUnit)},
        {"Date", IntText(store.dateFormat)},
        {"time", IntText(store.timeFormat)},
        {"HbA1c_high", FixedText(store.hba1cHigh, 1)},
        {"HbA1c_low", FixedText(store.hba1cLow, 1)},
        {"Glucose_high", FixedText(store.glucoseHigh, 1)},
        {"Glucose_low", FixedText(store.glucoseLow, 1)},
        {"lang", IntText(store.language)},
        {"Name", OneLine(store.name)},
        {"Hospital", OneLine(store.hospital)},
        {"Email", OneLine(store.email)},
        {"Command", OneLine(store.command)},
    };
}

Status ApplySettingsEntry(SettingsStore& store, std::string_view key, std::string_view value) {
    Message problem;
    auto is = [&](std::string_view name) {
        return key.size() == name.size() &&
               std::equal(key.begin(), key.end(), name.begin(), [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) ==
                          std::tolower(static_cast<unsigned char>(b));
               });
    };
    const std::vector<std::string> keyAndValue{std::string(key), std::string(value)};
    // A code outside its list would leave every date or time printed empty.
    auto code = [&](std::int32_t& field, std::int32_t highest, MessageId choices) {
        std::int32_t parsed = 0;
        auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), parsed);
        if (error != std::errc() || end != value.data() + value.size() || parsed < 0 ||
            parsed > highest) {
            problem = Message(choices, keyAndValue);
            return false;
        }
        field = parsed;
        return true;
    };
    // Never stored shortened: a later, unrelated save would write the cut text for good.
    auto text = [&](std::string& field) {
        std::string line = OneLine(value);
        if (!SettingsTextFits(line)) {
            problem = Message(MessageId::SettingTooLong,
                              {std::string(key), std::to_string(kSettingsTextMaxBytes),
                               std::to_string(Cp949Length(line))});
            return false;
        }
        field = std::move(line);
        return true;
    };
    // A limit far outside what the meter measures is a typing slip, and a huge one does not
    // even survive the file's one-decimal text (1e23 comes back as 99999997781963083612160.0).
    auto real = [&](float& field, double highest) {
        double parsed = LeadingDouble(value);
        if (value.empty() || value.find_first_not_of("0123456789.") != std::string_view::npos) {
            problem = Message(MessageId::SettingNotANumber, keyAndValue);
            return false;
        }
        if (parsed > highest) {
            problem = Message(MessageId::SettingOutOfRange,
                              {std::string(key), "0", FixedText(highest, 1), std::string(value)});
            return false;
        }
        field = static_cast<float>(parsed);
        return true;
    };
    const auto result = [&](bool applied) { return applied ? Status() : Status(problem); };
    if (is("HbA1c_unit"))
        return result(code(store.hba1cUnit, 1, MessageId::SettingHbA1cUnitChoices));
    if (is("Glucose_unit"))
        return result(code(store.glucoseUnit, 1, MessageId::SettingGlucoseUnitChoices));
    if (is("Date"))
        return result(code(store.dateFormat, 2, MessageId::SettingDateChoices));
    if (is("time"))
        return result(code(store.timeFormat, 1, MessageId::SettingTimeChoices));
    if (is("lang"))
        return result(code(store.language, 1, MessageId::SettingLanguageChoices));
    if (is("HbA1c_high"))
        return result(real(store.hba1cHigh, kHbA1cLimitHighest));
    if (is("HbA1c_low"))
        return result(real(store.hba1cLow, kHbA1cLimitHighest));
    if (is("Glucose_high"))
        return result(real(store.glucoseHigh, kGlucoseLimitHighest));
    if (is("Glucose_low"))
        return result(real(store.glucoseLow, kGlucoseLimitHighest));
    if (is("Name"))
        return result(text(store.name));
    if (is("Hospital"))
        return result(text(store.hospital));
    if (is("Email"))
        return result(text(store.email));
    if (is("Command"))
        return result(text(store.command));
    return Message(MessageId::SettingUnknown, {std::string(key)});
}

Status CheckTargetRanges(const SettingsStore& store) {
    struct Limit {
        const char* key;
        float value;
        double highest;
    };
    const Limit limits[] = {{"HbA1c_low", store.hba1cLow, kHbA1cLimitHighest},
                            {"HbA1c_high", store.hba1cHigh, kHbA1cLimitHighest},
                            {"Glucose_low", store.glucoseLow, kGlucoseLimitHighest},
                            {"Glucose_high", store.glucoseHigh, kGlucoseLimitHighest}};
    for (const Limit& limit : limits) {
        // A limit of 0 draws its line on the axis, where no result can lie.
        if (!(limit.value > 0.0f) || limit.value > limit.highest) {
            return Message(
                MessageId::SettingOutOfRange,
                {limit.key, "0", FixedText(limit.highest, 1), FixedText(limit.value, 1)});
        }
    }
    for (std::size_t i = 0; i < 4; i += 2) {
        if (!(limits[i].value < limits[i + 1].value)) {
            return Message(MessageId::TargetLowNotBelowHigh, {limits[i].key, limits[i + 1].key});
        }
    }
    return {};
}

Status SaveSettings(const std::string& path, const SettingsStore& store) {
    std::vector<ProfileChange> changes;
    for (auto& [key, text] : SettingsEntries(store)) {
        changes.push_back({kSettingsSection, key, std::move(text)});
    }
    return WriteProfileStrings(path, changes);
}

Status LoadSettings(const std::string& path, SettingsStore& store) {
    std::string content;
    FileReadStatus status = ReadWholeFile(path, content);
    if (status == FileReadStatus::Missing) {
        if (Status written = WriteDefaultSettings(path, store); !written) {
            return written;
        }
        status = ReadWholeFile(path, content);
    }
    if (status != FileReadStatus::Ok) {
        // Rewriting a file that exists but cannot be read would throw its content away, and
        // loading every key as -1 would switch all units; the defaults are the safer view.
        const Message failure = FileFailure(path);
        store = SettingsStore{};
        return failure;
    }
    ProfileDocument doc = ProfileDocument::Parse(content);
    auto text = [&](const char* key) { return doc.Read(kSettingsSection, key); };
    auto real = [&](const char* key) { return static_cast<float>(LeadingDouble(text(key))); };
    store.hba1cUnit = LeadingInt(text("HbA1c_unit"));
    store.glucoseUnit = LeadingInt(text("Glucose_unit"));
    store.dateFormat = LeadingInt(text("Date"));
    store.timeFormat = LeadingInt(text("time"));
    store.hba1cHigh = real("HbA1c_high");
    store.hba1cLow = real("HbA1c_low");
    store.glucoseHigh = real("Glucose_high");
    store.glucoseLow = real("Glucose_low");
    store.language = LeadingInt(text("lang"));
    // Files written by the Windows program hold these in code page 949; they are saved back
    // as UTF-8, which reads the same.
    // The limit counts code page 949 bytes whichever encoding the file uses: a 40-syllable
    // name is 80 bytes there and 120 in UTF-8, and cutting the UTF-8 bytes would shorten it
    // after the first save.
    auto userText = [&](const char* key) {
        std::string stored = doc.Get(kSettingsSection, key).value_or(kProfileDefaultText);
        return CutToCp949Length(DecodeStoredText(stored), kSettingsTextMaxBytes);
    };
    store.name = userText("Name");
    store.hospital = userText("Hospital");
    store.email = userText("Email");
    store.command = userText("Command");
    return {};
}

} // namespace qa
