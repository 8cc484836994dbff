#include "interop_support.h"
#include "temp_dir.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qa::test {

namespace {

std::string Unflat(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            char next = text[++i];
            out += next == 'r' ? '\r' : next == 'n' ? '\n' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

Readback RunReader(const std::string& command) {
    Readback result;
    char errPath[] = "/tmp/qa_readback_XXXXXX";
    int errFd = ::mkstemp(errPath);
    ::close(errFd);
    std::FILE* pipe = ::popen((command + " 2>" + errPath).c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    std::string out;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.append(buffer, n);
    }
    int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.errors = ReadFile(errPath);
    ::unlink(errPath);
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        std::size_t eq = line.find('=');
        if (eq != std::string::npos) {
            result.values[line.substr(0, eq)] = Unflat(line.substr(eq + 1));
        }
    }
    return result;
}

std::string Quote(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

std::vector<std::string> ListenerArgs(const std::string& folder, const std::string& mode,
                                      int lifetime, const std::vector<std::string>& extra) {
    std::vector<std::string> args = {"/usr/bin/python3",
                                     InteropTestDir() + "/mllp_listener.py",
                                     "--port-file",
                                     folder + "/port-" + mode,
                                     "--log",
                                     folder + "/received.jsonl",
                                     "--mode",
                                     mode,
                                     "--lifetime",
                                     std::to_string(lifetime)};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

std::vector<std::string> FhirServerArgs(const std::string& folder, const std::string& mode,
                                        int lifetime, bool tls,
                                        const std::vector<std::string>& extra) {
    std::vector<std::string> args = {"/usr/bin/python3", InteropTestDir() + "/fhir_server.py",
                                     "--port-file",      folder + "/fhir-port-" + mode,
                                     "--folder",         folder,
                                     "--mode",           mode,
                                     "--lifetime",       std::to_string(lifetime)};
    if (tls) {
        const std::string dir = InteropTestDir() + "/tls/";
        args.push_back("--tls");
        args.push_back(dir + "untrusted-test-cert.pem," + dir + "untrusted-test-key.pem");
    }
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
}

std::string PercentDecoded(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

std::string InteropTestDir() {
    return QA_INTEROP_TEST_DIR;
}

Readback ReadHl7WithPython(const std::string& path) {
    return RunReader("/usr/bin/python3 " + Quote(InteropTestDir() + "/hl7_readback.py") + " " +
                     Quote(path));
}

std::vector<Readback> ValidateFhir(const std::vector<std::string>& paths) {
    const std::string folder = InteropTestDir() + "/fhir";
    std::vector<Readback> results(paths.size());
    if (!FileExists(folder + "/node_modules/@asymmetrik/fhir-json-schema-validator/index.js")) {
        for (Readback& r : results) {
            r.errors = "the FHIR validator is not installed: run scripts/setup";
        }
        return results;
    }
    std::string command = "node " + Quote(folder + "/validate.js");
    for (const std::string& path : paths) {
        command += " " + Quote(path);
    }
    Readback all = RunReader(command);
    for (const auto& [key, value] : all.values) {
        std::size_t colon = key.find(':');
        std::size_t index = std::stoul(key.substr(0, colon));
        if (colon != std::string::npos && index < results.size()) {
            results[index].values[key.substr(colon + 1)] = value;
        }
    }
    for (Readback& r : results) {
        r.exitCode = r.values["valid"] == "1" ? 0 : 1;
        r.errors = all.errors;
    }
    return results;
}

Readback ValidateFhir(const std::string& path) {
    return ValidateFhir(std::vector<std::string>{path})[0];
}

std::vector<std::string> EntryTypes(const Flat& flat) {
    std::vector<std::string> types;
    for (int i = 0;; ++i) {
        auto found = flat.find("entry." + std::to_string(i) + ".resource.resourceType");
        if (found == flat.end()) {
            return types;
        }
        types.push_back(found->second);
    }
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& outPath,
                           const std::string& errPath) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!outPath.empty()) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    if (!errPath.empty()) {
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    int rc = ::posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start " + argv[0]);
    }
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        Kill(SIGKILL);
        Wait(std::chrono::seconds(5));
    }
}

void ChildProcess::Kill(int sig) {
    if (pid_ > 0) {
        ::kill(pid_, sig);
    }
}

int ChildProcess::Wait(std::chrono::milliseconds timeout) {
    if (pid_ <= 0) {
        return -1;
    }
    int status = 0;
    bool ended = WaitUntil([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, timeout);
    if (!ended) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return -1;
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

MllpListener::MllpListener(const std::string& folder, const std::string& mode, int lifetime,
                           const std::vector<std::string>& extra)
    : log_(folder + "/received.jsonl"), process_(ListenerArgs(folder, mode, lifetime, extra)) {
    const std::string portFile = folder + "/port-" + mode;
    if (!WaitUntil([&] { return FileExists(portFile); }, std::chrono::seconds(15))) {
        throw std::runtime_error("the MLLP listener did not start");
    }
    port_ = std::stoi(ReadFile(portFile));
    ::unlink(portFile.c_str());
}

std::vector<std::string> MllpListener::Lines() const {
    std::vector<std::string> lines;
    if (!FileExists(log_)) {
        return lines;
    }
    std::istringstream in(ReadFile(log_));
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> MllpListener::Received() const {
    std::vector<std::string> ids;
    for (const std::string& line : Lines()) {
        const std::string key = "\"control_id\": \"";
        std::size_t at = line.find(key);
        if (at != std::string::npos) {
            at += key.size();
            ids.push_back(line.substr(at, line.find('"', at) - at));
        }
    }
    return ids;
}

void MllpListener::Stop() {
    process_.Kill(SIGTERM);
    process_.Wait(std::chrono::seconds(5));
}

} // namespace qa::test

namespace qa::test {

FhirServer::FhirServer(const std::string& folder, const std::string& mode, int lifetime, bool tls,
                       const std::vector<std::string>& extra)
    : folder_(folder), tls_(tls || std::find(extra.begin(), extra.end(), "--tls") != extra.end()),
      process_(FhirServerArgs(folder, mode, lifetime, tls, extra)) {
    const std::string portFile = folder + "/fhir-port-" + mode;
    if (!WaitUntil([&] { return FileExists(portFile); }, std::chrono::seconds(15))) {
        throw std::runtime_error("the FHIR server did not start");
    }
    port_ = std::stoi(ReadFile(portFile));
    ::unlink(portFile.c_str());
}

std::vector<FhirServer::Post> FhirServer::Posts() const {
    std::vector<Post> posts;
    const std::string log = folder_ + "/posted.log";
    if (!FileExists(log)) {
        return posts;
    }
    std::istringstream in(ReadFile(log));
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, '\t');) {
            fields.push_back(field);
        }
        fields.resize(5);
        Post post{fields[0], std::atoi(fields[1].c_str()), fields[2], fields[3], {}};
        std::istringstream entries(fields[4]);
        for (std::string entry; entries >> entry;) {
            const std::size_t eq = entry.rfind('=');
            post.entries.emplace_back(PercentDecoded(entry.substr(0, eq)),
                                      std::atoi(entry.substr(eq + 1).c_str()));
        }
        posts.push_back(std::move(post));
    }
    return posts;
}

void FhirServer::Stop() {
    process_.Kill(SIGTERM);
    process_.Wait(std::chrono::seconds(5));
}

interop::MessageContext DeliveryContext() {
    interop::MessageContext context;
    context.operatorId = "nurse";
    context.link.sendingFacility = "Ward 3";
    context.composed = {2026, 12, 8, 9, 0, 0};
    return context;
}

int FreePort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

} // namespace qa::test
