#pragma once

#include "store/status.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qa {

// Profile (INI) files as the Windows program wrote and read them, so that files carried
// over from it keep working and the two stay interchangeable:
// - section and key names compare without regard to ASCII case; keys and values are read
//   with surrounding blanks and tabs removed;
// - a lookup uses the first section of that name and the first key of that name in it;
// - a read of a missing file, section or key gives the caller's default text;
// - a read is cut to what fits a fixed buffer with its terminator (99 bytes of a 100-byte
//   buffer), never in the middle of a UTF-8 sequence;
// - a write creates the file, the section and the key as needed, a missing value deletes the
//   key and a missing key deletes the section;
// - everything else in the file (comments, unknown keys and sections, order, lines that are
//   not entries at all, line endings, a byte order mark) is kept.
// Unlike the Windows functions, values are not unquoted: a name typed with quotes around it
// comes back with its quotes.
inline constexpr const char* kProfileDefaultText = "-1";
inline constexpr std::size_t kProfileBufferSize = 100;

// One file's lines, parsed once and edited in memory.
class ProfileDocument {
public:
    ProfileDocument() = default;
    static ProfileDocument Parse(std::string_view text);
    std::string Serialize() const;

    // The trimmed value, or nothing when the section or key is missing. A line that names
    // the key without '=' has no value, as in the Windows functions.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    // What a read into a buffer of `bufferSize` bytes gives: the value or `defaultText`, at
    // most bufferSize - 1 bytes of it.
    std::string Read(std::string_view section, std::string_view key,
                     std::string_view defaultText = kProfileDefaultText,
                     std::size_t bufferSize = kProfileBufferSize) const;
    void Set(std::string_view section, std::string_view key, std::string_view value);
    // Every entry of that key in every section of that name, so no older duplicate comes
    // back into view.
    void RemoveKey(std::string_view section, std::string_view key);
    void RemoveSection(std::string_view section);

    std::vector<std::string> Sections() const;
    std::vector<std::string> Keys(std::string_view section) const;

private:
    enum class Kind { Other, Header, Entry };
    struct Line {
        Kind kind = Kind::Other;
        std::string text;  // as written, without its line break
        std::string name;  // section name (Header) or key (Entry), trimmed
        std::string value; // Entry only, trimmed
    };
    static Line ParseLine(std::string_view text);
    // Index of the first header of that name, or lines_.size().
    std::size_t FindSection(std::string_view section) const;
    std::size_t SectionEnd(std::size_t header) const;

    std::vector<Line> lines_;
    bool bom_ = false;
    std::string lineBreak_ = "\n";
};

// One change of a batch: a value sets the key, no value deletes the key, no key deletes the
// section.
struct ProfileChange {
    std::string section;
    std::optional<std::string> key;
    std::optional<std::string> value;
};

// Reads one value into a buffer of `bufferSize` bytes: at most bufferSize - 1 bytes come
// back. A missing file, section or key gives `defaultText`, cut the same way.
std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key,
                              std::string_view defaultText = kProfileDefaultText,
                              std::size_t bufferSize = kProfileBufferSize);

// Writes one key (or deletes it, or its section) and replaces the file in one step.
// Fails, leaving the file as it was, when a name or value would break the file (line breaks,
// a NUL, ']' in a section, '=' in a key, a key that reads as a comment or a header), when an
// existing file cannot be read (rewriting it would lose its content), or when the new file
// cannot be written; the failure names the file and the system's reason.
Status WriteProfileString(const std::string& path, std::string_view section,
                          std::optional<std::string_view> key,
                          std::optional<std::string_view> value);

// Several changes applied together and written with one replacement, so a reader never sees
// half of them (a count without its list entries, for example). All or nothing: one bad
// change refuses the whole batch.
Status WriteProfileStrings(const std::string& path, const std::vector<ProfileChange>& changes);

// Whole-file helpers used by the profile functions and by anything else that must not leave
// a half-written file behind.
// Unreadable leaves errno telling why (EISDIR for something that is not a plain file, EFBIG
// for one far larger than any profile file).
enum class FileReadStatus { Ok, Missing, Unreadable };
FileReadStatus ReadWholeFile(const std::string& path, std::string& content);
// The failure of a read or write of `path`, with the reason errno gives now.
Message FileFailure(const std::string& path);
// Writes a temporary file next to `path`, flushes it to the disk and renames it over `path`:
// after a crash the file holds either the old or the new content, never a mixture. An
// existing file's permission bits are kept. A failure names `path` and the system's reason.
Status ReplaceFileAtomically(const std::string& path, std::string_view content);

// ReplaceFileAtomically for content written piece by piece (an export too long to hold):
// the temporary file is created by Open, filled by Write and put in place by Commit. Dropped
// before Commit, or after any failure, the temporary file goes and `path` stays as it was.
// A failure names `path` and the system's reason.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    Status Open();
    // For a long file, after Open: the blocks are written by a thread of the writer's own
    // while the next ones are made, so making the file and the system's copying it to the
    // disk overlap. Write then copies a block and returns at once unless several wait; a
    // write that failed is reported by the next Write or by Commit.
    void WriteInBackground();
    Status Write(std::string_view content);
    Status Commit();

private:
    struct Background;

    void Abandon();
    bool WriteNow(std::string_view content);
    // Waits for the blocks handed over; false (errno set) when one could not be written.
    bool StopBackground();

    std::string path_;
    std::string folder_;
    std::string temp_;
    int fd_ = -1;
    bool hadFile_ = false;
    unsigned mode_ = 0;
    // Bytes handed to the disk's writeback so far, and written since.
    static constexpr std::size_t kWritebackStep = 8u << 20;
    std::size_t written_ = 0;
    std::size_t unflushed_ = 0;
    std::unique_ptr<Background> background_;
};

} // namespace qa
