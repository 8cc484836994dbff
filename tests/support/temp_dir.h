#pragma once

#include <string>

#include <sys/stat.h>

namespace qa::test {

// A fresh folder under the system temp folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A permissive file mode mask for the test's duration: a test of a file's mode then sees the
// mode the program sets, not the one the mask of whoever runs the tests would give anyway.
class ScopedUmask {
public:
    explicit ScopedUmask(mode_t mask = 022) : old_(::umask(mask)) {}
    ~ScopedUmask() { ::umask(old_); }
    ScopedUmask(const ScopedUmask&) = delete;
    ScopedUmask& operator=(const ScopedUmask&) = delete;

private:
    mode_t old_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);

} // namespace qa::test
