#pragma once

// A data folder as the Windows program leaves it, made from what that program is known to
// write: profile files in code page 949 with CR LF line ends, Hangul operator IDs, user texts
// filling the 99-byte buffers, and databases of the first schema (no memo column, no
// indexes). Nothing in it comes from the Windows program itself.

#include <string>
#include <vector>

namespace qa::test {

struct WindowsOperator {
    std::string id;       // UTF-8
    bool filesNamedCp949; // the files carry the ID's code page 949 bytes in their names
    std::string name;     // Name setting, UTF-8
    std::string hospital; // Hospital setting, UTF-8
    std::vector<std::string> patientIds; // one HbA1c result each, newest first
};

struct WindowsFolder {
    std::vector<WindowsOperator> operators; // the first is current
};

// 홍길동 (files named in code page 949 bytes, as an unpacked archive of the folder has them,
// a 49-syllable name and clinic: 99 bytes each with one ASCII letter), 김철수 (files named in
// UTF-8, as a copy by a newer tool has them), and Basis.
WindowsFolder StandardWindowsFolder();

// Writes the folder at `path` (made when missing). Files get mode 0644, as a copy does.
void WriteWindowsFolder(const std::string& path, const WindowsFolder& folder);

// The files' names and contents, to show that a command changed nothing.
std::string FolderFingerprint(const std::string& path);

// The code page 949 bytes of a UTF-8 text the corpus uses (every character fits).
std::string Cp949(const std::string& utf8);

} // namespace qa::test
