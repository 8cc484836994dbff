#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

namespace qa::fuzz {

// Stops the run with a message libFuzzer keeps beside the input that broke the invariant.
[[noreturn]] inline void Broken(const std::string& what) {
    std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
    std::abort();
}

inline std::set<std::string> Entries(const std::string& folder) {
    std::set<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* e = ::readdir(dir)) {
            std::string name = e->d_name;
            if (name != "." && name != "..") {
                names.insert(name);
            }
        }
        ::closedir(dir);
    }
    return names;
}

inline void RemoveFolder(const std::string& folder) {
    for (const auto& name : Entries(folder)) {
        ::unlink((folder + "/" + name).c_str());
    }
    ::rmdir(folder.c_str());
}

// A private data folder per input, under one scratch folder. scripts/fuzz runs each target
// in an empty working folder of its own, so whatever the code writes outside the data
// folder shows up either beside it or in the working folder.
class Scratch {
public:
    Scratch() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/qa-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            Broken("no scratch folder");
        }
        root_ = pattern;
    }
    const std::string& Root() const { return root_; }
    std::string NewDataFolder() {
        std::string path = root_ + "/data";
        RemoveFolder(path);
        ::mkdir(path.c_str(), 0700);
        return path;
    }
    void CheckNothingOutside() const {
        for (const auto& name : Entries(root_)) {
            if (name != "data") {
                Broken("created outside the data folder: " + name);
            }
        }
        for (const auto& name : Entries(".")) {
            Broken("created in the working folder: " + name);
        }
    }

private:
    std::string root_;
};

} // namespace qa::fuzz
