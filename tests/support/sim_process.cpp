#include "sim_process.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace qa::test {

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

int msLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

struct Pipe {
    int read = -1;
    int write = -1;
    Pipe() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            fail("pipe");
        }
        read = fds[0];
        write = fds[1];
    }
    ~Pipe() {
        closeRead();
        closeWrite();
    }
    void closeRead() {
        if (read >= 0) {
            ::close(read);
            read = -1;
        }
    }
    void closeWrite() {
        if (write >= 0) {
            ::close(write);
            write = -1;
        }
    }
};

// Starts the simulator with stdout (and optionally stderr) on the given pipes; the
// simulator's own stderr otherwise shows up in the test log.
pid_t spawnSim(const std::vector<std::string>& args, int outFd, int errFd) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    if (errFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, errFd, STDERR_FILENO);
    }
    const std::string exe = meterSimPath();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(exe.c_str()));
    for (const auto& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        errno = rc;
        fail("starting " + exe);
    }
    return pid;
}

int decodeStatus(int status) {
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return -1;
}

// Exit code, or nullopt-like -1 when still running at the deadline.
int waitUntil(pid_t pid, Clock::time_point deadline) {
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) {
            return decodeStatus(status);
        }
        if (r < 0 && errno != EINTR) {
            return -1;
        }
        if (Clock::now() >= deadline) {
            return -1;
        }
        std::this_thread::sleep_for(2ms);
    }
}

void killAndReap(pid_t pid) {
    ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

std::string meterSimPath() {
    return QA_METER_SIM_PATH;
}

std::string command(char letter) {
    return std::string{'S', ' ', letter, '\n', '\r'};
}

ProcessResult runMeterSim(const std::vector<std::string>& args, std::chrono::milliseconds timeout) {
    Pipe out;
    Pipe err;
    const pid_t pid = spawnSim(args, out.write, err.write);
    out.closeWrite();
    err.closeWrite();
    ProcessResult result;
    const auto deadline = Clock::now() + timeout;
    pollfd fds[2] = {{out.read, POLLIN, 0}, {err.read, POLLIN, 0}};
    int open = 2;
    while (open > 0 && Clock::now() < deadline) {
        if (::poll(fds, 2, msLeft(deadline)) <= 0) {
            continue;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) {
                continue;
            }
            char buf[4096];
            const auto n = ::read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                (i == 0 ? result.out : result.err).append(buf, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    result.exitCode = waitUntil(pid, deadline);
    if (result.exitCode < 0) {
        killAndReap(pid);
    }
    return result;
}

SimProcess::SimProcess(std::vector<std::string> args) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/meter-sim-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        fail("mkdtemp");
    }
    dir_ = pattern;
    link_ = dir_ + "/meter";
    args.insert(args.begin(), {"--link", link_});

    Pipe out;
    pid_ = spawnSim(args, out.write, -1);
    out.closeWrite();
    // The first stdout line is the device path; the link exists by the time it is printed.
    std::string line;
    const auto deadline = Clock::now() + 5s;
    while (line.find('\n') == std::string::npos) {
        pollfd pfd{out.read, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, msLeft(deadline));
        char buf[256];
        const auto n = ready > 0 ? ::read(out.read, buf, sizeof buf) : 0;
        if (n <= 0) {
            stop(SIGKILL, 1s);
            std::filesystem::remove_all(dir_);
            throw std::runtime_error("meter simulator did not report its device");
        }
        line.append(buf, static_cast<std::size_t>(n));
    }
    device_ = line.substr(0, line.find('\n'));
}

SimProcess::~SimProcess() {
    if (pid_ > 0) {
        killAndReap(pid_);
    }
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

int SimProcess::stop(int sig, std::chrono::milliseconds timeout) {
    if (pid_ <= 0) {
        return -1;
    }
    ::kill(pid_, sig);
    const int code = waitUntil(pid_, Clock::now() + timeout);
    if (code < 0) {
        killAndReap(pid_);
    }
    pid_ = -1;
    return code;
}

RawPort::RawPort(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        fail("opening " + path);
    }
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) {
        fail("tcgetattr " + path);
    }
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    if (::tcsetattr(fd_, TCSANOW, &tio) != 0) {
        fail("tcsetattr " + path);
    }
    // A serial port user starts from empty buffers, as the real channel does on open.
    ::tcflush(fd_, TCIOFLUSH);
}

RawPort::~RawPort() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void RawPort::write(std::string_view bytes) {
    while (!bytes.empty()) {
        const auto n = ::write(fd_, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
        } else if (n < 0 && errno == EAGAIN) {
            pollfd pfd{fd_, POLLOUT, 0};
            ::poll(&pfd, 1, 1000);
        } else if (!(n < 0 && errno == EINTR)) {
            fail("writing to the port");
        }
    }
}

std::string RawPort::read(std::size_t n, std::chrono::milliseconds timeout) {
    std::string data;
    const auto deadline = Clock::now() + timeout;
    while (data.size() < n) {
        pollfd pfd{fd_, POLLIN, 0};
        if (::poll(&pfd, 1, msLeft(deadline)) <= 0) {
            if (Clock::now() >= deadline) {
                throw std::runtime_error("expected " + std::to_string(n) + " bytes, got " +
                                         std::to_string(data.size()));
            }
            continue;
        }
        char buf[4096];
        const auto got = ::read(fd_, buf, std::min(sizeof buf, n - data.size()));
        if (got > 0) {
            data.append(buf, static_cast<std::size_t>(got));
        } else if (got < 0 && errno != EAGAIN && errno != EINTR) {
            fail("reading from the port");
        }
    }
    return data;
}

std::string RawPort::readFor(std::chrono::milliseconds wait) {
    std::string data;
    const auto deadline = Clock::now() + wait;
    for (;;) {
        pollfd pfd{fd_, POLLIN, 0};
        if (::poll(&pfd, 1, msLeft(deadline)) <= 0) {
            return data;
        }
        char buf[4096];
        const auto got = ::read(fd_, buf, sizeof buf);
        if (got > 0) {
            data.append(buf, static_cast<std::size_t>(got));
        } else if (got < 0 && errno != EAGAIN && errno != EINTR) {
            fail("reading from the port");
        }
    }
}

} // namespace qa::test
