#include "app/data_folder.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace qa {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string WithFolderName(std::string base) {
    std::string wanted = Lower(std::string("/") + kDataFolderName);
    std::string lowered = Lower(base);
    // "Contains" rather than "ends with": a path such as .../OrvoA1c/ or one that names a
    // sub-folder of an existing data folder is taken as it is.
    if (lowered.find(wanted) != std::string::npos || Lower(base) == Lower(kDataFolderName)) {
        return base;
    }
    while (base.size() > 1 && base.back() == '/') {
        base.pop_back();
    }
    return base + "/" + kDataFolderName;
}

std::optional<std::string> Env(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

} // namespace

std::string ResolveDataFolder(const DataFolderInputs& inputs) {
    if (inputs.explicitFolder && !inputs.explicitFolder->empty()) {
        return *inputs.explicitFolder;
    }
    if (inputs.appData) {
        return WithFolderName(*inputs.appData);
    }
    if (inputs.xdgDataHome) {
        return WithFolderName(*inputs.xdgDataHome);
    }
    std::string home = inputs.home.value_or(".");
    return WithFolderName(home + "/.local/share");
}

DataFolderInputs DataFolderInputsFromEnvironment() {
    DataFolderInputs inputs;
    inputs.appData = Env("APPDATA");
    inputs.xdgDataHome = Env("XDG_DATA_HOME");
    inputs.home = Env("HOME");
    return inputs;
}

bool EnsureFolder(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return true;
    }
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}

} // namespace qa
