#pragma once

#include "store/status.h"

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
    // PID-3.4: an OID (digits and dots) or a namespace; empty for the installation's own OID.
    std::string assigningAuthority;
    // FHIR identifier systems (URIs) of the patients and the results; empty for the
    // installation's own.
    std::string patientIdSystem;
    std::string resultIdSystem;
    bool sendWithoutPatient = false;
    int sendHbA1cUnit = 0;   // 0 % (LOINC 4548-4), 1 mmol/mol (59261-8)
    int sendGlucoseUnit = 0; // 0 mg/dL, 1 mmol/L
    int bundleSize = 100;    // results per FHIR Bundle
    // PEM files for mllps:// and https://: the site's CA, our certificate and its key.
    std::string caFile;
    std::string clientCertificate;
    std::string clientKey;
    // Sent to the FHIR server as "Authorization: Bearer …"; never shown.
    std::string bearerToken;

    bool operator==(const InterfaceSettings&) const = default;
};

// A missing key, or a missing file, keeps its default (the section is new, older files do
// not have it). A file that cannot be read fails, naming it and the reason, with the defaults
// in `settings`.
Status LoadInterfaceSettings(const std::string& path, InterfaceSettings& settings);
Status SaveInterfaceSettings(const std::string& path, const InterfaceSettings& settings);

std::vector<std::pair<std::string, std::string>> InterfaceEntries(const InterfaceSettings& s);
// The same for showing: a secret's value is replaced by a mark that it is set.
std::vector<std::pair<std::string, std::string>> ShownInterfaceEntries(const InterfaceSettings& s);
inline constexpr int kMaxBundleSize = 1000;
// Whether `key` names an interface setting (any case).
bool IsInterfaceKey(std::string_view key);
// Sets one setting from its key and a text; fails, leaving `settings` as they were, for an
// unknown key or a value that does not fit.
Status ApplyInterfaceEntry(InterfaceSettings& settings, std::string_view key,
                           std::string_view value);

} // namespace qa
