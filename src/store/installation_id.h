#pragma once

#include "store/name_uuid.h"
#include "store/status.h"

#include <optional>
#include <string>

namespace qa {

// The file of the data folder that holds this installation's own UUID: the namespace of the
// name-based identifiers the laboratory interface gives results and patients, so that two
// clinics never give the same identifier to their own, equal-looking data. No Windows-era
// folder has it; as a plain file of the folder it travels with a backup and comes back with
// a restore, so a restored folder keeps naming its results as before.
inline constexpr const char* kInstallationIdFileName = "installation.uuid";

// The installation's UUID, made the first time it is asked for (a random version 4 UUID,
// written owner-only and put in place atomically; when two processes race, both end with
// the one that landed first). Fails (the path and the system's reason) when the file cannot
// be read or made, or holds something other than a UUID: a damaged file is never replaced,
// since a new namespace would rename every result already sent.
Expected<Uuid> InstallationUuid(const std::string& dataFolder);

// The same, never writing: no value when the folder has none yet.
Expected<std::optional<Uuid>> ReadInstallationUuid(const std::string& dataFolder);

// For a restore from an archive made before the file existed: gives `into` (the unpacked
// folder) the UUID of `from` (the folder it replaces) when `into` has none and `from` has one,
// so the results keep the names they were sent with. Fails when that copy failed.
Status KeepInstallationUuid(const std::string& from, const std::string& into);

} // namespace qa
