#pragma once

// Test helpers around quorina1c-meter-sim: start it on a pty, talk to it like a serial port
// user, and make sure it never outlives the test.

#include <chrono>
#include <csignal>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace qa::test {

using namespace std::chrono_literals;

// The simulator built with the tests.
std::string meterSimPath();

struct ProcessResult {
    int exitCode = -1; // 128 + signal number when killed by a signal
    std::string out;
    std::string err;
};

// Runs the simulator to its end (argument checks, --help); kills it after `timeout`.
ProcessResult runMeterSim(const std::vector<std::string>& args,
                          std::chrono::milliseconds timeout = 5s);

// A running simulator. --link into a private temporary folder is added to `args`; the
// constructor returns once the device is ready and throws std::runtime_error otherwise.
class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> args);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    const std::string& devicePath() const { return device_; }
    const std::string& linkPath() const { return link_; }
    const std::string& tempDir() const { return dir_; }
    pid_t pid() const { return pid_; }

    // Sends `sig` and waits for the exit. Returns the exit code (128 + signal when killed by
    // one), or -1 when it did not end within `timeout` (it is then killed).
    int stop(int sig = SIGTERM, std::chrono::milliseconds timeout = 5s);

private:
    std::string dir_;
    std::string link_;
    std::string device_;
    pid_t pid_ = -1;
};

// The client side of the pty, opened raw as a serial port at 9600 8N1 would be.
class RawPort {
public:
    explicit RawPort(const std::string& path);
    ~RawPort();
    RawPort(const RawPort&) = delete;
    RawPort& operator=(const RawPort&) = delete;

    void write(std::string_view bytes);
    // Exactly `n` bytes; throws std::runtime_error when they do not arrive within `timeout`,
    // so a stuck simulator fails the test instead of hanging it.
    std::string read(std::size_t n, std::chrono::milliseconds timeout = 5s);
    // Whatever arrives within `wait`, possibly nothing.
    std::string readFor(std::chrono::milliseconds wait);
    int fd() const { return fd_; }

private:
    int fd_ = -1;
};

// The five command bytes for `letter`: 'S', blank, letter, LF, CR.
std::string command(char letter);

} // namespace qa::test
