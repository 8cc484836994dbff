#pragma once

#include "store/message.h"

#include <string>
#include <vector>

namespace qa {

// What a look over a data folder found about one file (or the folder itself).
struct FolderFinding {
    enum class Kind {
        Fine,        // nothing to report; the detail names the encoding found
        Damaged,     // PRAGMA quick_check (or opening the file) failed
        Undecodable, // text that is neither UTF-8 nor code page 949
        Schema,      // columns or indexes of a later version missing, or no table
        Orphan,      // an operator's file whose operator is not listed
        Leftover,    // a temporary file of an operation that stopped half-way
        Permissions, // readable or writable by others than its owner
        Unreadable,  // the file or folder could not be read at all
    };
    Kind kind = Kind::Fine;
    std::string path;
    Message message; // the line of the report, in the reader's language once shown
};

// Reads the data folder and every file of it without changing anything (databases are
// opened read-only, nothing is created, no journal is played back) and reports, file by
// file: integrity of the databases, the encoding of their texts and of the profile files,
// columns and indexes a later version adds, operators' files no listed operator owns,
// leftovers of interrupted operations here and beside the folder, and permissions that are
// not owner-only. One Fine finding per file that has nothing else.
std::vector<FolderFinding> CheckDataFolder(const std::string& folder);

// Whether any finding is a problem rather than Fine.
bool FoundProblems(const std::vector<FolderFinding>& findings);

} // namespace qa
