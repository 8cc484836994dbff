#include "store/profile_file.h"

#include "store/system_error.h"

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace qa {

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kBom = "\xEF\xBB\xBF";
// Profile files are a few hundred bytes; anything this large is not one of ours, and
// reading it whole into memory on every lookup would stall the program.
constexpr off_t kMaxProfileFileSize = 16 * 1024 * 1024;

std::string_view Trim(std::string_view text) {
    std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// Cuts to at most `limit` bytes without splitting a UTF-8 sequence: a half character at the
// end of a name would show as garbage and could not be written back as valid text.
std::string CutToBuffer(std::string_view text, std::size_t bufferSize) {
    if (bufferSize == 0) {
        return {};
    }
    std::size_t limit = bufferSize - 1;
    if (text.size() <= limit) {
        return std::string(text);
    }
    std::size_t cut = limit;
    // Step back over continuation bytes to the start of the sequence that crosses the limit.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return std::string(text.substr(0, cut));
}

bool HasLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool ValidChange(const ProfileChange& change) {
    std::string_view section = Trim(change.section);
    if (section.empty() || HasLineBreakOrNul(change.section) ||
        change.section.find(']') != std::string::npos) {
        return false;
    }
    if (!change.key) {
        return true;
    }
    std::string_view key = Trim(*change.key);
    if (key.empty() || HasLineBreakOrNul(*change.key) || key.find('=') != std::string::npos ||
        key.front() == '[' || key.front() == ';') {
        return false;
    }
    return !change.value || !HasLineBreakOrNul(*change.value);
}

bool WriteAll(int fd, std::string_view content) {
    const char* data = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

ProfileDocument::Line ProfileDocument::ParseLine(std::string_view text) {
    Line line;
    line.text = std::string(text);
    std::string_view trimmed = Trim(text);
    if (trimmed.empty() || trimmed.front() == ';') {
        return line;
    }
    if (trimmed.front() == '[') {
        std::size_t close = trimmed.rfind(']');
        if (close != std::string_view::npos) {
            line.kind = Kind::Header;
            line.name = std::string(Trim(trimmed.substr(1, close - 1)));
        }
        // A '[' without its ']' is not a header: the lines after it stay in the section
        // they were in, and the line itself is kept as it is.
        return line;
    }
    std::size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos || equals == 0) {
        return line;
    }
    std::string_view key = Trim(trimmed.substr(0, equals));
    if (key.empty()) {
        return line;
    }
    line.kind = Kind::Entry;
    line.name = std::string(key);
    line.value = std::string(Trim(trimmed.substr(equals + 1)));
    return line;
}

ProfileDocument ProfileDocument::Parse(std::string_view text) {
    ProfileDocument doc;
    if (text.substr(0, kBom.size()) == kBom) {
        doc.bom_ = true;
        text.remove_prefix(kBom.size());
    }
    bool breakSeen = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            doc.lines_.push_back(ParseLine(text.substr(start)));
            break;
        }
        std::size_t next = end + 1;
        std::string_view lineBreak = "\n";
        if (text[end] == '\r') {
            lineBreak = (next < text.size() && text[next] == '\n') ? "\r\n" : "\r";
            if (lineBreak.size() == 2) {
                ++next;
            }
        }
        if (!breakSeen) {
            // New lines follow the file's own convention, so a file shared with Windows
            // keeps its CR LF endings.
            doc.lineBreak_ = std::string(lineBreak);
            breakSeen = true;
        }
        doc.lines_.push_back(ParseLine(text.substr(start, end - start)));
        start = next;
    }
    return doc;
}

std::string ProfileDocument::Serialize() const {
    std::string out;
    if (bom_) {
        out += kBom;
    }
    for (const Line& line : lines_) {
        out += line.text;
        out += lineBreak_;
    }
    return out;
}

std::size_t ProfileDocument::FindSection(std::string_view section) const {
    std::string_view wanted = Trim(section);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == Kind::Header && SameName(lines_[i].name, wanted)) {
            return i;
        }
    }
    return lines_.size();
}

std::size_t ProfileDocument::SectionEnd(std::size_t header) const {
    std::size_t i = header + 1;
    while (i < lines_.size() && lines_[i].kind != Kind::Header) {
        ++i;
    }
    return i;
}

std::optional<std::string> ProfileDocument::Get(std::string_view section,
                                                std::string_view key) const {
    std::size_t header = FindSection(section);
    if (header == lines_.size()) {
        return std::nullopt;
    }
    std::string_view wanted = Trim(key);
    std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (lines_[i].kind == Kind::Entry && SameName(lines_[i].name, wanted)) {
            return lines_[i].value;
        }
    }
    return std::nullopt;
}

std::string ProfileDocument::Read(std::string_view section, std::string_view key,
                                  std::string_view defaultText, std::size_t bufferSize) const {
    std::optional<std::string> value = Get(section, key);
    return CutToBuffer(value ? std::string_view(*value) : defaultText, bufferSize);
}

void ProfileDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    std::string_view name = Trim(key);
    std::string_view trimmedValue = Trim(value);
    std::size_t header = FindSection(section);
    if (header == lines_.size()) {
        if (!lines_.empty() && !Trim(lines_.back().text).empty()) {
            lines_.push_back(Line{});
        }
        std::string headerText = "[";
        headerText.append(Trim(section)).append("]");
        lines_.push_back(ParseLine(headerText));
        lines_.push_back(ParseLine(std::string(name) + "=" + std::string(trimmedValue)));
        return;
    }
    std::size_t end = SectionEnd(header);
    std::size_t insertAt = header + 1;
    for (std::size_t i = header + 1; i < end; ++i) {
        Line& line = lines_[i];
        if (line.kind == Kind::Entry && SameName(line.name, name)) {
            // The key keeps the spelling the file already has.
            line = ParseLine(line.name + "=" + std::string(trimmedValue));
            return;
        }
        if (!Trim(line.text).empty()) {
            insertAt = i + 1;
        }
    }
    // After the section's last non-blank line, so the blank line that separates it from the
    // next section stays where it was.
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                  ParseLine(std::string(name) + "=" + std::string(trimmedValue)));
}

void ProfileDocument::RemoveKey(std::string_view section, std::string_view key) {
    std::string_view wantedSection = Trim(section);
    std::string_view wantedKey = Trim(key);
    bool inside = false;
    std::vector<Line> kept;
    kept.reserve(lines_.size());
    for (Line& line : lines_) {
        if (line.kind == Kind::Header) {
            inside = SameName(line.name, wantedSection);
        } else if (inside && line.kind == Kind::Entry && SameName(line.name, wantedKey)) {
            continue;
        }
        kept.push_back(std::move(line));
    }
    lines_ = std::move(kept);
}

void ProfileDocument::RemoveSection(std::string_view section) {
    std::string_view wanted = Trim(section);
    bool inside = false;
    std::vector<Line> kept;
    kept.reserve(lines_.size());
    for (Line& line : lines_) {
        if (line.kind == Kind::Header) {
            inside = SameName(line.name, wanted);
        }
        if (!inside) {
            kept.push_back(std::move(line));
        }
    }
    lines_ = std::move(kept);
}

std::vector<std::string> ProfileDocument::Sections() const {
    std::vector<std::string> names;
    for (const Line& line : lines_) {
        if (line.kind == Kind::Header) {
            names.push_back(line.name);
        }
    }
    return names;
}

std::vector<std::string> ProfileDocument::Keys(std::string_view section) const {
    std::vector<std::string> names;
    std::size_t header = FindSection(section);
    if (header == lines_.size()) {
        return names;
    }
    std::size_t end = SectionEnd(header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (lines_[i].kind == Kind::Entry) {
            names.push_back(lines_[i].name);
        }
    }
    return names;
}

FileReadStatus ReadWholeFile(const std::string& path, std::string& content) {
    content.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT ? FileReadStatus::Missing : FileReadStatus::Unreadable;
    }
    struct stat info {};
    int refused = 0;
    if (::fstat(fd, &info) != 0) {
        refused = errno;
    } else if (!S_ISREG(info.st_mode)) {
        refused = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    } else if (info.st_size > kMaxProfileFileSize) {
        refused = EFBIG;
    }
    if (refused != 0) {
        ::close(fd);
        errno = refused;
        return FileReadStatus::Unreadable;
    }
    char buffer[8192];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int reason = errno;
            ::close(fd);
            content.clear();
            errno = reason;
            return FileReadStatus::Unreadable;
        }
        if (got == 0) {
            break;
        }
        content.append(buffer, static_cast<std::size_t>(got));
        if (content.size() > static_cast<std::size_t>(kMaxProfileFileSize)) {
            ::close(fd);
            content.clear();
            errno = EFBIG;
            return FileReadStatus::Unreadable;
        }
    }
    ::close(fd);
    return FileReadStatus::Ok;
}

Message FileFailure(const std::string& path) {
    return Message(MessageId::FileReason, {path, SystemErrorText(errno)});
}

Status ReplaceFileAtomically(const std::string& path, std::string_view content) {
    AtomicFileWriter writer(path);
    if (Status opened = writer.Open(); !opened) {
        return opened;
    }
    if (Status written = writer.Write(content); !written) {
        return written;
    }
    return writer.Commit();
}

struct AtomicFileWriter::Background {
    // How much may wait for the writing thread before Write waits in turn.
    static constexpr std::size_t kQueueLimit = 4u << 20;

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::string> blocks;
    std::size_t queued = 0;
    bool closing = false;
    bool failed = false;
    int error = 0;
    std::thread thread;
};

AtomicFileWriter::AtomicFileWriter(std::string path)
    : path_(std::move(path)), folder_(FolderOf(path_)) {}

AtomicFileWriter::~AtomicFileWriter() {
    Abandon();
}

void AtomicFileWriter::WriteInBackground() {
    if (fd_ < 0 || background_) {
        return;
    }
    background_ = std::make_unique<Background>();
    Background& b = *background_;
    b.thread = std::thread([this, &b] {
        for (;;) {
            std::string block;
            {
                std::unique_lock lock(b.mutex);
                b.changed.wait(lock, [&b] { return !b.blocks.empty() || b.closing; });
                if (b.blocks.empty()) {
                    return;
                }
                block = std::move(b.blocks.front());
                b.blocks.pop_front();
            }
            // After a failure the rest is only taken off the queue: the file is given up.
            const bool ok = !b.failed && WriteNow(block);
            {
                std::lock_guard lock(b.mutex);
                b.queued -= block.size();
                if (!ok && !b.failed) {
                    b.failed = true;
                    b.error = errno;
                }
            }
            b.changed.notify_all();
        }
    });
}

bool AtomicFileWriter::StopBackground() {
    if (!background_) {
        return true;
    }
    Background& b = *background_;
    {
        std::lock_guard lock(b.mutex);
        b.closing = true;
    }
    b.changed.notify_all();
    b.thread.join();
    const bool ok = !b.failed;
    const int error = b.error;
    background_.reset();
    if (!ok) {
        errno = error;
    }
    return ok;
}

void AtomicFileWriter::Abandon() {
    if (background_) {
        const int saved = errno;
        (void)StopBackground();
        errno = saved;
    }
    if (fd_ >= 0) {
        int saved = errno;
        ::close(fd_);
        ::unlink(temp_.c_str());
        fd_ = -1;
        errno = saved;
    }
}

Status AtomicFileWriter::Open() {
    static std::atomic<unsigned> counter{0};
    Abandon();
    std::size_t slash = path_.rfind('/');
    std::string base = path_.substr(slash == std::string::npos ? 0 : slash + 1);
    if (base.empty()) {
        errno = EISDIR;
        return FileFailure(path_);
    }
    struct stat old {};
    hadFile_ = ::stat(path_.c_str(), &old) == 0;
    if (hadFile_ && !S_ISREG(old.st_mode)) {
        errno = EISDIR;
        return FileFailure(path_);
    }
    mode_ = old.st_mode & 07777;
    written_ = 0;
    unflushed_ = 0;
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temp_ = folder_ + "/." + base + ".tmp-" + std::to_string(::getpid()) + "-" +
                std::to_string(counter.fetch_add(1));
        // 0666 so the process umask decides, as for any file the program creates; created
        // exclusively, so a link planted under the temporary name is never followed.
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST) {
            return FileFailure(path_);
        }
    }
    if (fd_ < 0) {
        return FileFailure(path_);
    }
    return {};
}

Status AtomicFileWriter::Write(std::string_view content) {
    if (fd_ < 0) {
        errno = EBADF;
        return FileFailure(path_);
    }
    if (background_) {
        Background& b = *background_;
        std::unique_lock lock(b.mutex);
        b.changed.wait(lock, [&b] { return b.queued < Background::kQueueLimit || b.failed; });
        if (b.failed) {
            const int error = b.error;
            lock.unlock();
            Abandon();
            errno = error;
            return FileFailure(path_);
        }
        b.blocks.emplace_back(content);
        b.queued += content.size();
        lock.unlock();
        b.changed.notify_all();
        return {};
    }
    if (!WriteNow(content)) {
        Abandon();
        return FileFailure(path_);
    }
    return {};
}

bool AtomicFileWriter::WriteNow(std::string_view content) {
    if (!WriteAll(fd_, content)) {
        return false;
    }
    unflushed_ += content.size();
#ifdef __linux__
    if (unflushed_ >= kWritebackStep) {
        // Long files (an export of a whole table) start on their way to the disk while the
        // rest is still being made, so the sync of Commit waits for the tail alone. Only a
        // request: Commit's fsync is what makes the file safe.
        (void)::sync_file_range(fd_, static_cast<off_t>(written_), static_cast<off_t>(unflushed_),
                                SYNC_FILE_RANGE_WRITE);
        written_ += unflushed_;
        unflushed_ = 0;
    }
#endif
    return true;
}

Status AtomicFileWriter::Commit() {
    if (fd_ < 0) {
        errno = EBADF;
        return FileFailure(path_);
    }
    if (!StopBackground()) {
        Abandon();
        return FileFailure(path_);
    }
    bool ok = !hadFile_ || ::fchmod(fd_, mode_) == 0;
    ok = ok && ::fsync(fd_) == 0;
    int saved = errno;
    ok = (::close(fd_) == 0) && ok;
    fd_ = -1;
    ok = ok && ::rename(temp_.c_str(), path_.c_str()) == 0;
    if (!ok) {
        saved = errno != 0 ? errno : saved;
        ::unlink(temp_.c_str());
        errno = saved;
        return FileFailure(path_);
    }
    // The rename itself must reach the disk too, or a crash can bring back the old name.
    int dir = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

std::string ReadProfileString(const std::string& path, std::string_view section,
                              std::string_view key, std::string_view defaultText,
                              std::size_t bufferSize) {
    std::string content;
    if (ReadWholeFile(path, content) != FileReadStatus::Ok) {
        return CutToBuffer(defaultText, bufferSize);
    }
    return ProfileDocument::Parse(content).Read(section, key, defaultText, bufferSize);
}

Status WriteProfileStrings(const std::string& path, const std::vector<ProfileChange>& changes) {
    for (const ProfileChange& change : changes) {
        if (!ValidChange(change)) {
            return Message(MessageId::ProfileEntryRefused,
                           {path, change.section + (change.key ? "/" + *change.key : "")});
        }
    }
    std::string content;
    FileReadStatus status = ReadWholeFile(path, content);
    if (status == FileReadStatus::Unreadable) {
        return FileFailure(path);
    }
    if (status == FileReadStatus::Missing) {
        bool onlyDeletions = true;
        for (const ProfileChange& change : changes) {
            onlyDeletions = onlyDeletions && (!change.key || !change.value);
        }
        if (onlyDeletions) {
            return {}; // nothing to delete from, and no reason to create an empty file
        }
    }
    ProfileDocument doc = ProfileDocument::Parse(content);
    for (const ProfileChange& change : changes) {
        if (!change.key) {
            doc.RemoveSection(change.section);
        } else if (!change.value) {
            doc.RemoveKey(change.section, *change.key);
        } else {
            doc.Set(change.section, *change.key, *change.value);
        }
    }
    return ReplaceFileAtomically(path, doc.Serialize());
}

Status WriteProfileString(const std::string& path, std::string_view section,
                          std::optional<std::string_view> key,
                          std::optional<std::string_view> value) {
    ProfileChange change;
    change.section = std::string(section);
    if (key) {
        change.key = std::string(*key);
    }
    if (value) {
        change.value = std::string(*value);
    }
    return WriteProfileStrings(path, {change});
}

} // namespace qa
