#include "bench_data.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace qa::bench {

const std::string& ScratchFolder() {
    // Never destroyed, so the exit handler below can still read it.
    static const std::string& folder = *new std::string([] {
        std::string pattern = (std::filesystem::temp_directory_path() / "qa-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        std::atexit([] {
            std::error_code error;
            std::filesystem::remove_all(ScratchFolder(), error);
        });
        return pattern;
    }());
    return folder;
}

void SyntheticResult(int i, char date[16], char time[8], char value[8]) {
    // Minutes step forward so every result has its own date and time.
    int minute = i % 60, hour = (i / 60) % 24, day = (i / 1440) % 28 + 1,
        month = (i / 40320) % 12 + 1, year = 2000 + (i / 483840) % 100;
    std::snprintf(date, 16, "%04d%02d%02d", year, month, day);
    std::snprintf(time, 8, "%02d%02d", hour, minute);
    std::snprintf(value, 8, "%04d", 400 + i % 1000);
}

void CopyFile(const std::string& from, const std::string& to) {
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
    // On disk before the run: the first commit of a timed run would otherwise wait for the
    // whole fresh copy to be written, which no user of a file stored long ago waits for.
    const int fd = ::open(to.c_str(), O_RDONLY);
    Require(fd >= 0 && ::fsync(fd) == 0, "fsync of the copy");
    ::close(fd);
}

} // namespace qa::bench
