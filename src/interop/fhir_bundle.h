#pragma once

#include "interop/result_mapping.h"
#include "store/status.h"

#include <string>
#include <string_view>
#include <vector>

namespace qa::interop {

inline constexpr const char* kOperatorIdSystem = "urn:quorina1c:operator-id";
inline constexpr const char* kDeviceSystem = "urn:quorina1c:meter";

// A FHIR R4 transaction Bundle: one Observation per result, each created only when no
// Observation with its control ID exists, and one Patient per patient ID, created only when
// no Patient with that identifier exists. Observations name their patient by identifier and
// by the Patient entry of the same bundle.
std::string ComposeFhirBundle(const std::vector<StoredResult>& results,
                              const MessageContext& context);
// The same bundle handed to `sink` in blocks while the walk runs once; each Patient entry
// comes just before the first Observation of that patient, and only the patient IDs are held. A
// failure when a walk or the sink failed; what the sink got is then no whole file.
Status WriteFhirBundle(const ResultWalk& walk, const MessageContext& context, const TextSink& sink);

// The search text of a conditional create: "identifier=" with the system and value, the
// value's own '|', ',', '$' and '\' escaped as FHIR search wants, and the whole percent-encoded.
std::string IdentifierQuery(std::string_view system, std::string_view value);

} // namespace qa::interop
