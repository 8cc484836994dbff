#pragma once

#include "store/status.h"

#include <string>

namespace qa {

// Why an export or report may not be written to `path`, or success when it may. Refused: an
// existing entry that is not a regular file (a device, a folder, a link, a pipe), and any
// file inside the data folder or one that is the same file as one there (a hard link), so
// that an export can never replace a database, a profile file, or something else entirely.
Status CheckOutputTarget(const std::string& path, const std::string& dataFolder);

// A name for a temporary file in the folder of `path`, hidden and unique to this process.
std::string TempPathBeside(const std::string& path);

// Moves a finished temporary file into place; on failure removes it and says why.
Status MoveIntoPlace(const std::string& temp, const std::string& path);

} // namespace qa
