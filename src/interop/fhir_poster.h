#pragma once

#include "store/status.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace qa::interop {

// A FHIR server's base URL, "http://host[:port][/path]" or "https://…", as it is POSTed to:
// without a trailing '/'. Nothing for anything else (no user name or password in it either:
// the settings file is no place for them).
std::optional<std::string> ParseFhirBase(std::string_view text);

// What the server's transaction-response said about one result of a posted Bundle.
struct FhirVerdict {
    enum class State {
        Created,    // its Observation entry answered 2xx (201 created, 200 already there)
        Refused,    // its Observation, or its patient's Patient entry, answered 4xx
        Unanswered, // anything else: it goes again
    };
    State state = State::Unanswered;
    std::string reason; // why it was refused
};

struct FhirReply {
    // A transaction-response Bundle with one entry per entry sent. Without one nothing is
    // known about any result of the Bundle: all of them stay pending.
    bool answered = false;
    std::unordered_map<std::string, FhirVerdict> results; // by ResultKey
    Status status; // why there was no answer, or which entries it left open
    // The HTTP status of the answer; with a 4xx the server refused the Bundle as a whole and
    // `reason` says why (its OperationOutcome).
    int httpStatus = 0;
    std::string reason;
    // The server's Patient ("Patient/<id>") each patient ID of the Bundle was filed under.
    std::unordered_map<std::string, std::string> patients;
};

// Whether an HTTP status refuses a Bundle for what it holds (so a part of it may go), rather
// than for who sent it or where.
inline bool RefusedForContent(int httpStatus) {
    return httpStatus == 400 || httpStatus == 409 || httpStatus == 412 || httpStatus == 413 ||
           httpStatus == 422;
}

// Posts one transaction Bundle and reads the outcome of each result from the answer; the
// wait for the answer is bounded by a time-out. The network part is a Qt adapter; the
// delivery logic sees only this.
class FhirPoster {
public:
    virtual ~FhirPoster() = default;
    virtual FhirReply Post(const std::string& bundle) = 0;
};

// Makes the poster on the thread that will use it.
using FhirPosterFactory = std::function<std::unique_ptr<FhirPoster>(
    const std::string& base, std::chrono::milliseconds timeout)>;

} // namespace qa::interop
