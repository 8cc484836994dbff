#pragma once

#include "store/status.h"

#include <stdexcept>
#include <string>

namespace qa::bench {

// Path of a scratch folder that lives as long as the benchmark process.
const std::string& ScratchFolder();

// Copies a file (for benchmarks that change their input on every iteration) and puts the
// copy on disk.
void CopyFile(const std::string& from, const std::string& to);

// The date, time and value texts of synthetic result number i (distinct for every i).
void SyntheticResult(int i, char date[16], char time[8], char value[8]);

// A setup step that fails would make the figures measure something else: the run ends.
inline void Require(bool ok, const char* step) {
    if (!ok) {
        throw std::runtime_error(std::string("benchmark setup failed: ") + step);
    }
}
inline void Require(const Status& status, const char* step) {
    Require(status.ok(), step);
}

} // namespace qa::bench
