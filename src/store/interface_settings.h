#pragma once

#include "store/message.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qa {

// The link to the laboratory system, kept in the user's settings file in a section of its
// own, so the display settings and their file keys stay exactly as they were.
inline constexpr const char* kInterfaceSection = "INTERFACE";

struct InterfaceSettings {
    bool enabled = false;
    std::string destination; // "mllp://host:port" or a FHIR base URL "http(s)://host/path"
    std::string sendingApplication = "QuorinA1c";
    std::string sendingFacility;
    std::string receivingApplication;
    std::string receivingFacility;
    int ackTimeoutSeconds = 10;

    bool operator==(const InterfaceSettings&) const = default;
};

// A missing key keeps its default (the section is new, older files do not have it).
bool LoadInterfaceSettings(const std::string& path, InterfaceSettings& settings);
bool SaveInterfaceSettings(const std::string& path, const InterfaceSettings& settings);

std::vector<std::pair<std::string, std::string>> InterfaceEntries(const InterfaceSettings& s);
// Whether `key` names an interface setting (any case).
bool IsInterfaceKey(std::string_view key);
// Sets one setting from its key and a text; false with `problem` for an unknown key or a
// value that does not fit.
bool ApplyInterfaceEntry(InterfaceSettings& settings, std::string_view key, std::string_view value,
                         Message& problem);

} // namespace qa
