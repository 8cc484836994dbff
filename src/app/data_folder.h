#pragma once

#include <optional>
#include <string>

namespace qa {

inline constexpr const char* kDataFolderName = "OrvoA1c";

// Where the per-user files live. An explicit folder (--data-dir) is used as it is;
// otherwise APPDATA when set (kept for installations that share a profile folder with the
// Windows program), else the XDG data home. "OrvoA1c" is appended unless the path already
// names that folder, compared without regard to case; the path itself keeps its case.
struct DataFolderInputs {
    std::optional<std::string> explicitFolder;
    std::optional<std::string> appData;
    std::optional<std::string> xdgDataHome;
    std::optional<std::string> home;
};

std::string ResolveDataFolder(const DataFolderInputs& inputs);
DataFolderInputs DataFolderInputsFromEnvironment();

// Makes sure the folder exists without touching the working directory. Missing parents are
// created too: on a fresh account ~/.local/share may not exist yet, and a data folder that
// silently fails to appear would make every later save fail. Returns false when the path
// cannot be made a folder.
[[nodiscard]] bool EnsureFolder(const std::string& path);

} // namespace qa
