#include "store/interface_settings.h"

#include "store/profile_file.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace qa {

namespace {

constexpr const char* kEnabledKey = "Interface";
constexpr const char* kDestinationKey = "Destination";
constexpr const char* kSendingApplicationKey = "Sending_application";
constexpr const char* kSendingFacilityKey = "Sending_facility";
constexpr const char* kReceivingApplicationKey = "Receiving_application";
constexpr const char* kReceivingFacilityKey = "Receiving_facility";
constexpr const char* kAckTimeoutKey = "Ack_timeout";

constexpr int kMaxAckTimeoutSeconds = 600;

bool SameKey(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Values are written into a profile file line: a line break would end the entry early.
std::string OneLine(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c == '\r' || c == '\n' || c == '\0') {
            c = ' ';
        }
    }
    return out;
}

} // namespace

std::vector<std::pair<std::string, std::string>> InterfaceEntries(const InterfaceSettings& s) {
    return {
        {kEnabledKey, s.enabled ? "1" : "0"},
        {kDestinationKey, OneLine(s.destination)},
        {kSendingApplicationKey, OneLine(s.sendingApplication)},
        {kSendingFacilityKey, OneLine(s.sendingFacility)},
        {kReceivingApplicationKey, OneLine(s.receivingApplication)},
        {kReceivingFacilityKey, OneLine(s.receivingFacility)},
        {kAckTimeoutKey, std::to_string(s.ackTimeoutSeconds)},
    };
}

bool IsInterfaceKey(std::string_view key) {
    for (const auto& [name, value] : InterfaceEntries(InterfaceSettings{})) {
        if (SameKey(key, name)) {
            return true;
        }
    }
    return false;
}

bool ApplyInterfaceEntry(InterfaceSettings& settings, std::string_view key, std::string_view value,
                         Message& problem) {
    if (SameKey(key, kEnabledKey)) {
        if (value != "0" && value != "1") {
            problem =
                Message(MessageId::SettingInterfaceChoices, {std::string(key), std::string(value)});
            return false;
        }
        settings.enabled = value == "1";
        return true;
    }
    if (SameKey(key, kAckTimeoutKey)) {
        int seconds = 0;
        auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
        if (error != std::errc() || end != value.data() + value.size() || seconds < 1 ||
            seconds > kMaxAckTimeoutSeconds) {
            problem = Message(
                MessageId::SettingAckTimeout,
                {std::string(key), std::to_string(kMaxAckTimeoutSeconds), std::string(value)});
            return false;
        }
        settings.ackTimeoutSeconds = seconds;
        return true;
    }
    std::string* text = SameKey(key, kDestinationKey)            ? &settings.destination
                        : SameKey(key, kSendingApplicationKey)   ? &settings.sendingApplication
                        : SameKey(key, kSendingFacilityKey)      ? &settings.sendingFacility
                        : SameKey(key, kReceivingApplicationKey) ? &settings.receivingApplication
                        : SameKey(key, kReceivingFacilityKey)    ? &settings.receivingFacility
                                                                 : nullptr;
    if (text == nullptr) {
        problem = Message(MessageId::SettingUnknown, {std::string(key)});
        return false;
    }
    *text = OneLine(value);
    return true;
}

bool LoadInterfaceSettings(const std::string& path, InterfaceSettings& settings) {
    settings = InterfaceSettings{};
    std::string content;
    FileReadStatus status = ReadWholeFile(path, content);
    if (status == FileReadStatus::Missing) {
        return true;
    }
    if (status != FileReadStatus::Ok) {
        return false;
    }
    ProfileDocument doc = ProfileDocument::Parse(content);
    for (const auto& [key, defaultText] : InterfaceEntries(InterfaceSettings{})) {
        std::optional<std::string> stored = doc.Get(kInterfaceSection, key);
        Message problem;
        // A value that no longer fits keeps the default rather than switching the link on or
        // pointing it somewhere half-read.
        if (stored && !ApplyInterfaceEntry(settings, key, *stored, problem)) {
            ApplyInterfaceEntry(settings, key, defaultText, problem);
        }
    }
    return true;
}

bool SaveInterfaceSettings(const std::string& path, const InterfaceSettings& settings) {
    std::vector<ProfileChange> changes;
    for (auto& [key, text] : InterfaceEntries(settings)) {
        changes.push_back({kInterfaceSection, key, std::move(text)});
    }
    return WriteProfileStrings(path, changes);
}

} // namespace qa
