// quorina1c-meter-sim: the meter on a pseudo-terminal, for tests, benchmarks and demos.
// The protocol lives in MeterModel; this file owns the pty, pacing, signals and the transcript.

#include "meter_model.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <termios.h>
#include <type_traits>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using meter_sim::MeterEvent;

constexpr const char* kUsage =
    "usage: quorina1c-meter-sim --link PATH [options]\n"
    "\n"
    "Simulates the meter on a pseudo-terminal. PATH becomes a symbolic link to the\n"
    "terminal device, whose path is printed as the first line on stdout. Runs until\n"
    "SIGTERM or SIGINT, then removes the link.\n"
    "\n"
    "  --link PATH          symbolic link to create (an existing link is replaced)\n"
    "  --model CODE         two-character model code (default EG; EG and CG send\n"
    "                       30-byte HbA1c records, other codes 29-byte ones)\n"
    "  --hba1c-file F       HbA1c records exactly as sent (whole file, records back to back)\n"
    "  --glucose-file F     glucose records exactly as sent (15 bytes each)\n"
    "  --hba1c N            generate N valid HbA1c records (0-999)\n"
    "  --glucose N          generate N valid glucose records (0-999)\n"
    "  --seed S             seed of the generated records (default 1)\n"
    "  --pace               send at the byte rate of 9600 baud 8N1 (default)\n"
    "  --no-pace            send replies at once\n"
    "  --no-version         never answer the version request\n"
    "  --stall-after N      stop every records reply after N bytes\n"
    "  --silent             answer nothing at all (a port without a meter)\n"
    "  --log FILE           write a transcript of the exchange to FILE\n"
    "  --help               show this text\n";

// 9600 baud, 8N1: ten bit times per byte.
constexpr long long kBytesPerSecond = 960;

struct Options {
    std::string link;
    std::string model = "EG";
    std::optional<std::string> hba1cFile;
    std::optional<std::string> glucoseFile;
    std::optional<int> hba1cCount;
    std::optional<int> glucoseCount;
    std::uint64_t seed = 1;
    bool pace = true;
    bool answerVersion = true;
    bool silent = false;
    std::optional<std::size_t> stallAfter;
    std::optional<std::string> logFile;
};

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

template <typename T> T parseNumber(const std::string& option, const std::string& text, T max) {
    T value{};
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    bool negative = false;
    if constexpr (std::is_signed_v<T>) {
        negative = value < 0;
    }
    if (text.empty() || ec != std::errc() || ptr != end || negative || value > max) {
        throw UsageError(option + " needs a whole number from 0 to " + std::to_string(max) +
                         ", not \"" + text + "\"");
    }
    return value;
}

// Returns nullopt when --help was asked for.
std::optional<Options> parseArgs(int argc, char** argv) {
    Options opts;
    bool haveLink = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::optional<std::string> inlineValue;
        if (auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = arg.substr(eq + 1);
            arg.erase(eq);
        }
        auto value = [&]() -> std::string {
            if (inlineValue) {
                return *inlineValue;
            }
            if (i + 1 >= argc) {
                throw UsageError(arg + " needs a value");
            }
            return argv[++i];
        };
        auto flag = [&] {
            if (inlineValue) {
                throw UsageError(arg + " takes no value");
            }
        };
        if (arg == "--help" || arg == "-h") {
            return std::nullopt;
        } else if (arg == "--link") {
            opts.link = value();
            haveLink = true;
        } else if (arg == "--model") {
            opts.model = value();
        } else if (arg == "--hba1c-file") {
            opts.hba1cFile = value();
        } else if (arg == "--glucose-file") {
            opts.glucoseFile = value();
        } else if (arg == "--hba1c") {
            opts.hba1cCount = parseNumber<int>(arg, value(), meter_sim::kMaxRecords);
        } else if (arg == "--glucose") {
            opts.glucoseCount = parseNumber<int>(arg, value(), meter_sim::kMaxRecords);
        } else if (arg == "--seed") {
            opts.seed = parseNumber<std::uint64_t>(arg, value(), UINT64_MAX);
        } else if (arg == "--pace") {
            flag();
            opts.pace = true;
        } else if (arg == "--no-pace") {
            flag();
            opts.pace = false;
        } else if (arg == "--no-version") {
            flag();
            opts.answerVersion = false;
        } else if (arg == "--silent") {
            flag();
            opts.silent = true;
        } else if (arg == "--stall-after") {
            opts.stallAfter = parseNumber<std::size_t>(arg, value(), SIZE_MAX);
        } else if (arg == "--log") {
            opts.logFile = value();
        } else {
            throw UsageError("unknown argument \"" + arg + "\"");
        }
    }
    if (!haveLink || opts.link.empty()) {
        throw UsageError("--link PATH is required");
    }
    if (opts.model.size() != 2) {
        throw UsageError("--model needs a two-character code, not \"" + opts.model + "\"");
    }
    if (opts.hba1cFile && opts.hba1cCount) {
        throw UsageError("--hba1c-file and --hba1c exclude each other");
    }
    if (opts.glucoseFile && opts.glucoseCount) {
        throw UsageError("--glucose-file and --glucose exclude each other");
    }
    return opts;
}

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::invalid_argument("cannot read " + path + ": " + std::strerror(errno));
    }
    std::ostringstream data;
    data << in.rdbuf();
    if (in.bad()) {
        throw std::invalid_argument("error while reading " + path);
    }
    return data.str();
}

std::string loadRecords(const std::optional<std::string>& file, std::size_t recordSize,
                        const char* what) {
    if (!file) {
        return {};
    }
    std::string payload = readWholeFile(*file);
    if (auto problem = meter_sim::payloadProblem(payload, recordSize)) {
        throw std::invalid_argument(std::string(what) + " file " + *file + ": " + *problem);
    }
    return payload;
}

std::string escaped(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

// Human-readable record of the exchange; a no-op without --log.
class Transcript {
public:
    explicit Transcript(const std::optional<std::string>& path) : start_(Clock::now()) {
        if (!path) {
            return;
        }
        file_ = std::fopen(path->c_str(), "w");
        if (!file_) {
            throw std::invalid_argument("cannot write " + *path + ": " + std::strerror(errno));
        }
        // Line-buffered so a transcript can be followed while the simulator runs.
        std::setvbuf(file_, nullptr, _IOLBF, 0);
    }
    ~Transcript() {
        if (file_) {
            std::fclose(file_);
        }
    }
    Transcript(const Transcript&) = delete;
    Transcript& operator=(const Transcript&) = delete;

    void line(const std::string& text) {
        if (!file_) {
            return;
        }
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start_).count();
        std::fprintf(file_, "%10.3f  %s\n", ms, text.c_str());
    }

    void event(const MeterEvent& e) {
        if (!file_) {
            return;
        }
        if (e.type == MeterEvent::Type::Garbage) {
            line("<- skipped " + std::to_string(e.detail.size()) + " bytes \"" + escaped(e.detail) +
                 "\"");
            return;
        }
        line(std::string("<- S ") + e.letter + "  " + e.detail);
        if (e.reply.empty()) {
            return;
        }
        line("-> " + std::to_string(e.reply.size()) + " bytes");
        // One wire line per transcript line: the header and every record end in CR LF.
        std::size_t pos = 0;
        while (pos < e.reply.size()) {
            auto end = e.reply.find('\n', pos);
            end = end == std::string::npos ? e.reply.size() : end + 1;
            std::fprintf(file_, "%10s     %s\n", "",
                         escaped(e.reply.substr(pos, end - pos)).c_str());
            pos = end;
        }
    }

private:
    std::FILE* file_ = nullptr;
    Clock::time_point start_;
};

// Bytes waiting for the line. With pacing, byte i of a burst leaves no earlier than
// epoch + i byte times: deadlines are absolute, so scheduling jitter never accumulates.
class Sender {
public:
    explicit Sender(bool pace) : pace_(pace) {}

    void enqueue(const std::string& bytes, Clock::time_point now) {
        if (idle()) {
            // A new burst starts when the line is free: now, or after the last byte still
            // on its way.
            const auto lineFree = epoch_ + byteTime(queue_.size());
            epoch_ = pace_ && lineFree > now ? lineFree : now;
            queue_.clear();
            sent_ = 0;
        }
        queue_ += bytes;
    }

    bool idle() const { return sent_ == queue_.size(); }

    // How many queued bytes may have left by `now`.
    std::size_t due(Clock::time_point now) const {
        if (!pace_) {
            return queue_.size();
        }
        if (now < epoch_) {
            return 0;
        }
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now - epoch_).count();
        const auto n = static_cast<std::size_t>(ns * kBytesPerSecond / 1'000'000'000) + 1;
        return std::min(n, queue_.size());
    }

    Clock::time_point nextDeadline() const { return epoch_ + byteTime(sent_); }

    // Writes what is due; false when the pty cannot take more right now.
    bool pump(int fd, Clock::time_point now) {
        const auto limit = due(now);
        while (sent_ < limit) {
            const auto n = ::write(fd, queue_.data() + sent_, limit - sent_);
            if (n > 0) {
                sent_ += static_cast<std::size_t>(n);
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                return false;
            }
        }
        return true;
    }

    std::size_t burstSize() const { return queue_.size(); }
    Clock::time_point epoch() const { return epoch_; }

private:
    static Clock::duration byteTime(std::size_t count) {
        return std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(
            (static_cast<long long>(count) * 1'000'000'000 + kBytesPerSecond - 1) /
            kBytesPerSecond));
    }

    bool pace_;
    std::string queue_;
    std::size_t sent_ = 0;
    Clock::time_point epoch_{};
};

struct Pty {
    int master = -1;
    int slave = -1;
    std::string device;
};

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

Pty openPty() {
    Pty pty;
    pty.master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (pty.master < 0) {
        fail("posix_openpt");
    }
    if (::grantpt(pty.master) != 0 || ::unlockpt(pty.master) != 0) {
        fail("preparing the pseudo-terminal");
    }
    char name[256];
    if (::ptsname_r(pty.master, name, sizeof name) != 0) {
        fail("ptsname");
    }
    pty.device = name;
    // Holding the slave open ourselves keeps the master usable while clients close and
    // reopen the port; without it the master reports EIO/HUP between their sessions.
    pty.slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (pty.slave < 0) {
        fail("opening " + pty.device);
    }
    termios tio{};
    if (::tcgetattr(pty.slave, &tio) != 0) {
        fail("tcgetattr");
    }
    // Raw: no echo, no CR/LF translation, so commands and records pass byte for byte.
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    if (::tcsetattr(pty.slave, TCSANOW, &tio) != 0) {
        fail("tcsetattr");
    }
    const int flags = ::fcntl(pty.master, F_GETFL);
    if (flags < 0 || ::fcntl(pty.master, F_SETFL, flags | O_NONBLOCK) != 0) {
        fail("fcntl");
    }
    return pty;
}

void makeLink(const std::string& link, const std::string& device) {
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        throw std::invalid_argument(link + " exists and is not a symbolic link; not replacing it");
    }
    // Replace a stale link atomically: build the new one aside and rename it over.
    const std::string temp = link + ".tmp" + std::to_string(::getpid());
    ::unlink(temp.c_str());
    if (::symlink(device.c_str(), temp.c_str()) != 0) {
        fail("creating link " + temp);
    }
    if (::rename(temp.c_str(), link.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temp.c_str());
        errno = saved;
        fail("creating link " + link);
    }
}

// Only our own link goes: another simulator may have taken the name over meanwhile.
void removeLink(const std::string& link, const std::string& device) {
    char target[512];
    const auto n = ::readlink(link.c_str(), target, sizeof target - 1);
    if (n >= 0 && std::string(target, static_cast<std::size_t>(n)) == device) {
        ::unlink(link.c_str());
    }
}

int serve(const Options& opts) {
    const auto hba1cSize = meter_sim::hba1cRecordSize(opts.model);
    std::string hba1c =
        opts.hba1cCount ? meter_sim::generateHbA1cRecords(*opts.hba1cCount, opts.seed, hba1cSize)
                        : loadRecords(opts.hba1cFile, hba1cSize, "HbA1c");
    std::string glucose =
        opts.glucoseCount ? meter_sim::generateGlucoseRecords(*opts.glucoseCount, opts.seed)
                          : loadRecords(opts.glucoseFile, meter_sim::kGlucoseRecordSize, "glucose");
    meter_sim::MeterConfig config;
    config.model = opts.model;
    config.answerVersion = opts.answerVersion;
    config.stallAfter = opts.stallAfter;
    config.silent = opts.silent;
    meter_sim::MeterModel meter(config, std::move(hba1c), std::move(glucose));
    Transcript log(opts.logFile);

    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGHUP);
    // A shell's background job inherits SIGINT as ignored, and ignored signals never reach
    // a signalfd: restore the default first.
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        std::signal(sig, SIG_DFL);
    }
    if (::sigprocmask(SIG_BLOCK, &stopSignals, nullptr) != 0) {
        fail("sigprocmask");
    }
    std::signal(SIGPIPE, SIG_IGN);
    const int sigFd = ::signalfd(-1, &stopSignals, SFD_CLOEXEC | SFD_NONBLOCK);
    if (sigFd < 0) {
        fail("signalfd");
    }

    Pty pty = openPty();
    makeLink(opts.link, pty.device);
    std::printf("%s\n", pty.device.c_str());
    std::fflush(stdout);
    log.line("device " + pty.device + ", link " + opts.link + ", model " + opts.model + ", " +
             std::to_string(meter.recordCount(meter_sim::RecordKind::HbA1c)) + " HbA1c and " +
             std::to_string(meter.recordCount(meter_sim::RecordKind::Glucose)) +
             " glucose records, " + (opts.pace ? "paced at 9600 baud" : "unpaced"));

    Sender sender(opts.pace);
    bool masterFull = false;
    // After EIO/HUP the master is left out of poll() for a moment instead of spinning on it.
    Clock::time_point restUntil{};
    bool running = true;
    int stopSignal = 0;

    while (running) {
        const auto now = Clock::now();
        const bool resting = now < restUntil;
        if (!sender.idle() && !masterFull && !resting) {
            if (!sender.pump(pty.master, now)) {
                if (errno == EAGAIN || errno == EWOULDBLOCK) {
                    masterFull = true;
                } else {
                    log.line(std::string("write failed: ") + std::strerror(errno));
                    restUntil = now + std::chrono::milliseconds(50);
                }
            }
            if (sender.idle()) {
                const double ms =
                    std::chrono::duration<double, std::milli>(Clock::now() - sender.epoch())
                        .count();
                char text[96];
                std::snprintf(text, sizeof text, "-> sent %zu bytes in %.1f ms", sender.burstSize(),
                              ms);
                log.line(text);
            }
        }

        pollfd fds[2] = {{sigFd, POLLIN, 0}, {pty.master, POLLIN, 0}};
        const nfds_t nfds = resting ? 1 : 2;
        if (masterFull) {
            fds[1].events |= POLLOUT;
        }
        timespec timeout{};
        timespec* timeoutPtr = nullptr;
        const bool timed = resting || (!sender.idle() && !masterFull);
        if (timed) {
            const auto wake = resting ? restUntil : sender.nextDeadline();
            const auto ns = std::max<long long>(
                0, std::chrono::duration_cast<std::chrono::nanoseconds>(wake - now).count());
            timeout.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
            timeout.tv_nsec = static_cast<long>(ns % 1'000'000'000);
            timeoutPtr = &timeout;
        }
        if (::ppoll(fds, nfds, timeoutPtr, nullptr) < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail("ppoll");
        }

        if (fds[0].revents & POLLIN) {
            signalfd_siginfo info{};
            if (::read(sigFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
                stopSignal = static_cast<int>(info.ssi_signo);
                running = false;
            }
        }
        if (nfds < 2) {
            continue;
        }
        if (fds[1].revents & POLLOUT) {
            masterFull = false;
        }
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
            char buf[4096];
            for (;;) {
                const auto n = ::read(pty.master, buf, sizeof buf);
                if (n > 0) {
                    for (const auto& event : meter.feed({buf, static_cast<std::size_t>(n)})) {
                        log.event(event);
                        if (!event.reply.empty()) {
                            sender.enqueue(event.reply, Clock::now());
                        }
                    }
                    continue;
                }
                if (n < 0 && errno == EINTR) {
                    continue;
                }
                if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
                    // EIO: no slave side open. Cannot happen while we hold the slave, but a
                    // busy loop would be worse than a short rest.
                    restUntil = Clock::now() + std::chrono::milliseconds(50);
                }
                break;
            }
        }
    }

    log.line(std::string("stopped by ") + (stopSignal ? ::strsignal(stopSignal) : "request"));
    removeLink(opts.link, pty.device);
    ::close(pty.slave);
    ::close(pty.master);
    ::close(sigFd);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::optional<Options> opts;
    try {
        opts = parseArgs(argc, argv);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "quorina1c-meter-sim: %s\n\n%s", e.what(), kUsage);
        return 2;
    }
    if (!opts) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    try {
        return serve(*opts);
    } catch (const std::invalid_argument& e) {
        // The arguments or the files they name are at fault: the caller's usage, as above.
        std::fprintf(stderr, "quorina1c-meter-sim: %s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quorina1c-meter-sim: %s\n", e.what());
        return 1;
    }
}
