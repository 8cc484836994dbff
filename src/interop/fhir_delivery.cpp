#include "interop/delivery.h"
#include "interop/fhir_bundle.h"

#include <cctype>
#include <charconv>

namespace qa::interop {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

bool ValidPort(std::string_view port) {
    int number = 0;
    auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
    return error == std::errc() && end == port.data() + port.size() && number >= 1 &&
           number <= 65535;
}

// Host and port of an http(s) URL: a name or address, a bracketed IPv6 address, an
// optional port; no user information.
bool ValidAuthority(std::string_view authority) {
    if (authority.empty() || authority.find('@') != std::string_view::npos) {
        return false;
    }
    std::string_view host = authority;
    std::string_view port;
    if (authority.front() == '[') {
        std::size_t close = authority.find(']');
        if (close == std::string_view::npos || close == 1) {
            return false;
        }
        host = authority.substr(1, close - 1);
        std::string_view rest = authority.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') {
                return false;
            }
            port = rest.substr(1);
            if (!ValidPort(port)) {
                return false;
            }
        }
        return host.find_first_not_of("0123456789abcdefABCDEF:.") == std::string_view::npos;
    }
    if (std::size_t colon = authority.rfind(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        if (!ValidPort(authority.substr(colon + 1))) {
            return false;
        }
    }
    if (host.empty()) {
        return false;
    }
    for (char c : host) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.' && c != '_') {
            return false;
        }
    }
    return true;
}

void AppendField(std::string& out, std::string_view field) {
    out += std::to_string(field.size());
    out += ':';
    out += field;
}

bool ReadField(std::string_view& text, std::string& field) {
    std::size_t colon = text.find(':');
    std::size_t length = 0;
    if (colon == std::string_view::npos) {
        return false;
    }
    auto [end, error] = std::from_chars(text.data(), text.data() + colon, length);
    if (error != std::errc() || end != text.data() + colon || length > text.size() - colon - 1) {
        return false;
    }
    field.assign(text.substr(colon + 1, length));
    text.remove_prefix(colon + 1 + length);
    return true;
}

} // namespace

std::optional<std::string> ParseFhirBase(std::string_view text) {
    std::string scheme;
    if (StartsWithNoCase(text, "http://")) {
        scheme = "http://";
    } else if (StartsWithNoCase(text, "https://")) {
        scheme = "https://";
    } else {
        return std::nullopt;
    }
    std::string_view rest = text.substr(scheme.size());
    while (!rest.empty() && rest.back() == '/') {
        rest.remove_suffix(1);
    }
    // A base is a plain location: no query, fragment, space or control character.
    for (char c : rest) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7f || c == '?' || c == '#' || c == '\\') {
            return std::nullopt;
        }
    }
    const std::size_t slash = rest.find('/');
    if (!ValidAuthority(rest.substr(0, slash))) {
        return std::nullopt;
    }
    return scheme + std::string(rest);
}

std::string EncodeStoredResult(const StoredResult& result) {
    std::string out = "1;";
    AppendField(out, result.kind == ResultKind::HbA1c ? "H" : "G");
    for (const std::string* field : {&result.date, &result.time, &result.value, &result.patientId,
                                     &result.patientName, &result.birthday, &result.deviceModel}) {
        AppendField(out, *field);
    }
    return out;
}

std::optional<StoredResult> DecodeStoredResult(std::string_view text) {
    if (text.substr(0, 2) != "1;") {
        return std::nullopt;
    }
    text.remove_prefix(2);
    StoredResult result;
    std::string kind;
    if (!ReadField(text, kind) || (kind != "H" && kind != "G")) {
        return std::nullopt;
    }
    result.kind = kind == "H" ? ResultKind::HbA1c : ResultKind::Glucose;
    for (std::string* field : {&result.date, &result.time, &result.value, &result.patientId,
                               &result.patientName, &result.birthday, &result.deviceModel}) {
        if (!ReadField(text, *field)) {
            return std::nullopt;
        }
    }
    if (!text.empty()) {
        return std::nullopt;
    }
    return result;
}

DeliverySummary SendPendingFhir(
    Outbox& outbox, FhirPoster& poster, const MessageContext& context,
    const std::function<void(const std::string& controlId, const std::string& reason)>& onHeld,
    const std::atomic<bool>* stop, std::size_t batchSize) {
    DeliverySummary summary;
    std::vector<std::string> ids;
    std::vector<StoredResult> results;
    int unknown = 0;
    for (OutboxEntry& entry : outbox.Pending()) {
        std::optional<StoredResult> result = DecodeStoredResult(entry.result);
        // The Bundle names each result by its control ID: an entry whose stored result does
        // not give that ID back would be reported on under another one.
        if (!result || ControlId(context.operatorId, *result) != entry.controlId) {
            ++unknown;
            continue;
        }
        ids.push_back(std::move(entry.controlId));
        results.push_back(std::move(*result));
    }
    if (unknown > 0) {
        summary.problem = std::to_string(unknown) +
                          " results were queued without their stored result; they go once "
                          "they are queued again";
    }
    batchSize = std::max<std::size_t>(batchSize, 1);
    for (std::size_t start = 0; start < results.size(); start += batchSize) {
        if (stop != nullptr && stop->load()) {
            break;
        }
        const std::size_t end = std::min(results.size(), start + batchSize);
        const std::vector<StoredResult> batch(results.begin() + static_cast<std::ptrdiff_t>(start),
                                              results.begin() + static_cast<std::ptrdiff_t>(end));
        FhirReply reply = poster.Post(ComposeFhirBundle(batch, context));
        if (!reply.answered) {
            summary.problem = reply.problem;
            break;
        }
        bool kept = true;
        for (std::size_t i = start; i < end && kept; ++i) {
            auto verdict = reply.results.find(ids[i]);
            if (verdict == reply.results.end() ||
                verdict->second.state == FhirVerdict::State::Unanswered) {
                continue; // stays pending, goes again with the next run
            }
            const bool created = verdict->second.state == FhirVerdict::State::Created;
            kept =
                created ? outbox.MarkSent(ids[i]) : outbox.MarkHeld(ids[i], verdict->second.reason);
            if (!kept) {
                // The server has it but the state could not be kept: stop before the file
                // disagrees with the server about more than this Bundle.
                summary.problem = "The delivery state cannot be written: " + outbox.LastError();
                break;
            }
            ++(created ? summary.sent : summary.held);
            if (!created && onHeld) {
                onHeld(ids[i], verdict->second.reason);
            }
        }
        if (!kept) {
            break;
        }
        if (!reply.problem.empty()) {
            summary.problem = reply.problem;
        }
    }
    summary.pending = outbox.Count(DeliveryState::Pending);
    summary.heldTotal = outbox.Count(DeliveryState::Held);
    return summary;
}

} // namespace qa::interop
