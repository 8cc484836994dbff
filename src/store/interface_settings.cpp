#include "store/interface_settings.h"

#include "store/profile_file.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include <sys/stat.h>

namespace qa {

namespace {

constexpr const char* kEnabledKey = "Interface";
constexpr const char* kDestinationKey = "Destination";
constexpr const char* kSendingApplicationKey = "Sending_application";
constexpr const char* kSendingFacilityKey = "Sending_facility";
constexpr const char* kReceivingApplicationKey = "Receiving_application";
constexpr const char* kReceivingFacilityKey = "Receiving_facility";
constexpr const char* kAckTimeoutKey = "Ack_timeout";

constexpr const char* kAssigningAuthorityKey = "Assigning_authority";
constexpr const char* kPatientIdSystemKey = "Patient_id_system";
constexpr const char* kResultIdSystemKey = "Result_id_system";
constexpr const char* kSendWithoutPatientKey = "Send_without_patient";
constexpr const char* kSendHbA1cUnitKey = "Send_HbA1c_unit";
constexpr const char* kSendGlucoseUnitKey = "Send_glucose_unit";
constexpr const char* kBundleSizeKey = "Bundle_size";
constexpr const char* kCaFileKey = "Ca_file";
constexpr const char* kClientCertificateKey = "Client_certificate";
constexpr const char* kClientKeyKey = "Client_key";
constexpr const char* kBearerTokenKey = "Bearer_token";

constexpr int kMaxAckTimeoutSeconds = 600;

// An absolute URI as FHIR identifier systems are: a scheme, a colon, and no blank or
// control character (urn:oid:…, urn:uuid:…, http(s)://…).
bool IsUri(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 == text.size() ||
        !std::isalpha(static_cast<unsigned char>(text[0]))) {
        return false;
    }
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = text[i];
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') {
            return false;
        }
    }
    return std::none_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) <= 0x20 || c == 0x7f || c == '|';
    });
}

// An HD namespace or OID: printable, none of HL7's delimiters (it goes into a component).
bool IsAuthority(std::string_view text) {
    return std::none_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7f || c == '|' || c == '^' ||
               c == '~' || c == '\\' || c == '&';
    });
}

Status ApplyChoice(std::string_view key, std::string_view value, MessageId choices, int& to) {
    if (value != "0" && value != "1") {
        return Message(choices, {std::string(key), std::string(value)});
    }
    to = value == "1" ? 1 : 0;
    return {};
}

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
        {kAssigningAuthorityKey, OneLine(s.assigningAuthority)},
        {kPatientIdSystemKey, OneLine(s.patientIdSystem)},
        {kResultIdSystemKey, OneLine(s.resultIdSystem)},
        {kSendWithoutPatientKey, s.sendWithoutPatient ? "1" : "0"},
        {kSendHbA1cUnitKey, std::to_string(s.sendHbA1cUnit)},
        {kSendGlucoseUnitKey, std::to_string(s.sendGlucoseUnit)},
        {kBundleSizeKey, std::to_string(s.bundleSize)},
        {kCaFileKey, OneLine(s.caFile)},
        {kClientCertificateKey, OneLine(s.clientCertificate)},
        {kClientKeyKey, OneLine(s.clientKey)},
        {kBearerTokenKey, OneLine(s.bearerToken)},
    };
}

std::vector<std::pair<std::string, std::string>> ShownInterfaceEntries(const InterfaceSettings& s) {
    auto entries = InterfaceEntries(s);
    for (auto& [key, value] : entries) {
        if (key == kBearerTokenKey && !value.empty()) {
            value = "(set)";
        }
    }
    return entries;
}

bool IsInterfaceKey(std::string_view key) {
    for (const auto& [name, value] : InterfaceEntries(InterfaceSettings{})) {
        if (SameKey(key, name)) {
            return true;
        }
    }
    return false;
}

Status ApplyInterfaceEntry(InterfaceSettings& settings, std::string_view key,
                           std::string_view value) {
    if (SameKey(key, kEnabledKey)) {
        if (value != "0" && value != "1") {
            return Message(MessageId::SettingInterfaceChoices,
                           {std::string(key), std::string(value)});
        }
        settings.enabled = value == "1";
        return {};
    }
    if (SameKey(key, kAckTimeoutKey)) {
        int seconds = 0;
        auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
        if (error != std::errc() || end != value.data() + value.size() || seconds < 1 ||
            seconds > kMaxAckTimeoutSeconds) {
            return Message(
                MessageId::SettingAckTimeout,
                {std::string(key), std::to_string(kMaxAckTimeoutSeconds), std::string(value)});
        }
        settings.ackTimeoutSeconds = seconds;
        return {};
    }
    if (SameKey(key, kSendWithoutPatientKey)) {
        int on = 0;
        if (Status chosen = ApplyChoice(key, value, MessageId::SettingInterfaceChoices, on);
            !chosen) {
            return chosen;
        }
        settings.sendWithoutPatient = on != 0;
        return {};
    }
    if (SameKey(key, kSendHbA1cUnitKey)) {
        return ApplyChoice(key, value, MessageId::SettingHbA1cUnitChoices, settings.sendHbA1cUnit);
    }
    if (SameKey(key, kSendGlucoseUnitKey)) {
        return ApplyChoice(key, value, MessageId::SettingGlucoseUnitChoices,
                           settings.sendGlucoseUnit);
    }
    if (SameKey(key, kBundleSizeKey)) {
        int size = 0;
        auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), size);
        if (error != std::errc() || end != value.data() + value.size() || size < 1 ||
            size > kMaxBundleSize) {
            return Message(
                MessageId::SettingOutOfRange,
                {std::string(key), "1", std::to_string(kMaxBundleSize), std::string(value)});
        }
        settings.bundleSize = size;
        return {};
    }
    if (SameKey(key, kPatientIdSystemKey) || SameKey(key, kResultIdSystemKey)) {
        if (!value.empty() && !IsUri(value)) {
            return Message(MessageId::SettingIdentifierSystem,
                           {std::string(key), std::string(value)});
        }
        (SameKey(key, kPatientIdSystemKey) ? settings.patientIdSystem : settings.resultIdSystem) =
            std::string(value);
        return {};
    }
    if (SameKey(key, kAssigningAuthorityKey)) {
        if (!IsAuthority(value)) {
            return Message(MessageId::SettingAssigningAuthority,
                           {std::string(key), std::string(value)});
        }
        settings.assigningAuthority = std::string(value);
        return {};
    }
    std::string* text = SameKey(key, kDestinationKey)            ? &settings.destination
                        : SameKey(key, kSendingApplicationKey)   ? &settings.sendingApplication
                        : SameKey(key, kSendingFacilityKey)      ? &settings.sendingFacility
                        : SameKey(key, kReceivingApplicationKey) ? &settings.receivingApplication
                        : SameKey(key, kReceivingFacilityKey)    ? &settings.receivingFacility
                        : SameKey(key, kCaFileKey)               ? &settings.caFile
                        : SameKey(key, kClientCertificateKey)    ? &settings.clientCertificate
                        : SameKey(key, kClientKeyKey)            ? &settings.clientKey
                        : SameKey(key, kBearerTokenKey)          ? &settings.bearerToken
                                                                 : nullptr;
    if (text == nullptr) {
        return Message(MessageId::SettingUnknown, {std::string(key)});
    }
    *text = OneLine(value);
    return {};
}

Status LoadInterfaceSettings(const std::string& path, InterfaceSettings& settings) {
    settings = InterfaceSettings{};
    std::string content;
    FileReadStatus status = ReadWholeFile(path, content);
    if (status == FileReadStatus::Missing) {
        return {};
    }
    if (status != FileReadStatus::Ok) {
        return FileFailure(path);
    }
    ProfileDocument doc = ProfileDocument::Parse(content);
    for (const auto& [key, defaultText] : InterfaceEntries(InterfaceSettings{})) {
        std::optional<std::string> stored = doc.Get(kInterfaceSection, key);
        // A value that no longer fits keeps the default rather than switching the link on or
        // pointing it somewhere half-read; the defaults themselves always fit.
        if (stored && !ApplyInterfaceEntry(settings, key, *stored)) {
            (void)ApplyInterfaceEntry(settings, key, defaultText);
        }
    }
    return {};
}

Status SaveInterfaceSettings(const std::string& path, const InterfaceSettings& settings) {
    std::vector<ProfileChange> changes;
    for (auto& [key, text] : InterfaceEntries(settings)) {
        changes.push_back({kInterfaceSection, key, std::move(text)});
    }
    if (Status written = WriteProfileStrings(path, changes); !written) {
        return written;
    }
    // The token opens the laboratory's server: the file that holds it is the owner's alone.
    if (!settings.bearerToken.empty() && ::chmod(path.c_str(), 0600) != 0) {
        return FileFailure(path);
    }
    return {};
}

} // namespace qa
