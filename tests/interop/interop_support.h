#pragma once

#include "interop/result_mapping.h"

#include <chrono>
#include <map>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace qa::test {

// "key=value" lines printed by the readers, with \\ \r \n undone.
using Flat = std::map<std::string, std::string>;

struct Readback {
    int exitCode = -1;
    Flat values;
    std::string errors;
};

// HL7 v2 file (one message or a batch) read by python3-hl7.
Readback ReadHl7WithPython(const std::string& path);
// FHIR JSON files validated against the R4 schema by the npm validator (one run for all) and
// read back; each file's exit code is 0 when it is valid.
std::vector<Readback> ValidateFhir(const std::vector<std::string>& paths);
Readback ValidateFhir(const std::string& path);

// Counts the flat keys that start with `prefix` and end in `.resourceType` (entries).
std::vector<std::string> EntryTypes(const Flat& flat);

// A child process (the MLLP listener, the command line) that never outlives the test.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& argv, const std::string& outPath = "",
                          const std::string& errPath = "");
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    pid_t pid() const { return pid_; }
    // Exit code, 128 + signal when killed, -1 when still running after `timeout` (then killed).
    int Wait(std::chrono::milliseconds timeout);
    void Kill(int sig);

private:
    pid_t pid_ = -1;
};

// The python3-hl7 MLLP server of tests/interop, on a free loopback port.
class MllpListener {
public:
    // `extra`: further arguments of mllp_listener.py (--tls CERT,KEY).
    MllpListener(const std::string& folder, const std::string& mode, int lifetimeSeconds = 60,
                 const std::vector<std::string>& extra = {});
    int port() const { return port_; }
    std::string url() const { return "mllp://127.0.0.1:" + std::to_string(port_); }
    // Control IDs received, in order.
    std::vector<std::string> Received() const;
    // The received entries' JSON lines.
    std::vector<std::string> Lines() const;
    void Stop();

private:
    std::string log_;
    int port_ = 0;
    ChildProcess process_;
};

// The FHIR server of tests/interop (Python's http.server), on a free loopback port.
class FhirServer {
public:
    struct Post {
        std::string file; // the body as received
        int status = 0;   // HTTP status answered
        std::string contentType;
        std::string accept;
        // "Observation:<control ID>" or "Patient:<patient ID>" with the status its entry got
        std::vector<std::pair<std::string, int>> entries;
    };
    // `tls`: https with the self-signed certificate of tests/interop/tls. `extra`: further
    // arguments of fhir_server.py (--tls CERT,KEY with another certificate, --token T).
    FhirServer(const std::string& folder, const std::string& mode, int lifetimeSeconds = 60,
               bool tls = false, const std::vector<std::string>& extra = {});
    int port() const { return port_; }
    std::string url() const {
        return (tls_ ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(port_) +
               "/fhir";
    }
    // Every request answered so far, by this server and the ones before it in the folder.
    std::vector<Post> Posts() const;
    void Stop();

private:
    std::string folder_;
    bool tls_ = false;
    int port_ = 0;
    ChildProcess process_;
};

// Waits (polling a real external process's output) until `done` or the time is up.
template <typename Done> bool WaitUntil(Done done, std::chrono::milliseconds limit);

std::string InteropTestDir();

// The operator, facility and time the delivery tests compose their messages with.
interop::MessageContext DeliveryContext();

// A loopback port nothing listens on: bound, never listening, closed.
int FreePort();

} // namespace qa::test

#include <thread>

template <typename Done> bool qa::test::WaitUntil(Done done, std::chrono::milliseconds limit) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}
