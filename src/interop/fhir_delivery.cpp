#include "interop/delivery.h"
#include "interop/fhir_bundle.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <unordered_set>

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
    // Version 2 adds the result's ID, version 3 what the message says of it and a
    // follow-up's control ID; entries of version 1 are read as results without an ID, those
    // of versions 1 and 2 as first messages.
    const bool followUp = result.status != ResultStatus::Final || !result.followUpId.empty();
    std::string out = followUp ? "3;" : "2;";
    AppendField(out, result.kind == ResultKind::HbA1c ? "H" : "G");
    for (const std::string* field :
         {&result.date, &result.time, &result.value, &result.patientId, &result.patientName,
          &result.birthday, &result.deviceModel, &result.resultId}) {
        AppendField(out, *field);
    }
    if (followUp) {
        const char status = ObservationStatusCode(result.status);
        AppendField(out, std::string_view(&status, 1));
        AppendField(out, result.followUpId);
    }
    return out;
}

std::optional<StoredResult> DecodeStoredResult(std::string_view text) {
    const std::string_view version = text.substr(0, 2);
    if (version != "1;" && version != "2;" && version != "3;") {
        return std::nullopt;
    }
    const bool withId = version != "1;";
    const bool followUp = version == "3;";
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
    if (withId && !ReadField(text, result.resultId)) {
        return std::nullopt;
    }
    if (followUp) {
        std::string status;
        if (!ReadField(text, status) || !ReadField(text, result.followUpId)) {
            return std::nullopt;
        }
        if (status == "C") {
            result.status = ResultStatus::Corrected;
        } else if (status == "W") {
            result.status = ResultStatus::WrongPatient;
        } else if (status == "D") {
            result.status = ResultStatus::Deleted;
        } else if (status != "F") {
            return std::nullopt;
        }
    }
    if (!text.empty()) {
        return std::nullopt;
    }
    return result;
}

namespace {

// One run's Bundles: a queue of spans of the pending results, the first Bundle-sized, a
// refused one replaced by its halves.
struct Span {
    std::size_t start = 0;
    std::size_t end = 0;
    bool fromRefused = false; // a half of a Bundle the server refused as a whole
};

std::string KeptSizeKey(const std::string& destination) {
    return "bundle_size " + destination;
}

} // namespace

DeliverySummary SendPendingFhir(
    Outbox& outbox, FhirPoster& poster, const MessageContext& context,
    const std::function<void(const std::string& controlId, const std::string& reason)>& onHeld,
    const std::atomic<bool>* stop, std::size_t batchSize, const RunLimits& limits, bool fixedSize) {
    DeliverySummary summary;
    std::vector<std::string> ids;
    std::vector<MessageKind> kinds;
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
        kinds.push_back(entry.kind);
        results.push_back(std::move(*result));
    }
    if (unknown > 0) {
        summary.status = Message(MessageId::DeliveryWithoutResult, {std::to_string(unknown)});
    }
    const std::string sizeKey = KeptSizeKey(context.link.destination);
    batchSize = std::max<std::size_t>(batchSize, 1);
    if (!fixedSize) {
        // The size a server took after refusing a larger one: no run starts by being refused.
        const std::string kept = outbox.Setting(sizeKey);
        std::size_t size = 0;
        auto [end, error] = std::from_chars(kept.data(), kept.data() + kept.size(), size);
        if (error == std::errc() && end == kept.data() + kept.size() && size >= 1) {
            batchSize = std::min(batchSize, size);
        }
    }
    // Spans are taken from the back: the halves of a refused Bundle go right after it, and
    // the results are taken in their order. Past them, the next Bundle of `batchSize` starts
    // at `next`.
    std::vector<Span> spans;
    std::size_t next = 0;
    // The server's Patient of each patient ID in this run, to find two of ours filed as one.
    std::unordered_map<std::string, std::string> serverPatients;
    std::unordered_map<std::string, std::string> patientOfServer;
    const int total = static_cast<int>(results.size());
    int done = 0;
    bool kept = true;
    std::size_t takenAfterRefusal = 0;
    const std::size_t startSize = batchSize;
    bool isolated = false;
    while (kept && (!spans.empty() || next < results.size())) {
        if (spans.empty()) {
            // A Bundle names each result once: a transaction carries out its updates after
            // its creates whatever their order, so a result's wrong-patient posting and its
            // message under the new patient go in Bundles of their own, one after the other.
            std::size_t end = next;
            std::unordered_set<std::string> keys;
            while (end < results.size() && end - next < batchSize &&
                   keys.insert(ResultKey(context.operatorId, results[end])).second) {
                ++end;
            }
            spans.push_back({next, end, false});
            next = end;
        }
        if (stop != nullptr && stop->load()) {
            break;
        }
        if (std::chrono::steady_clock::now() >= limits.deadline) {
            summary.status = MessageId::DeliveryTimeLimit;
            break;
        }
        const Span span = spans.back();
        spans.pop_back();
        const std::vector<StoredResult> batch(
            results.begin() + static_cast<std::ptrdiff_t>(span.start),
            results.begin() + static_cast<std::ptrdiff_t>(span.end));
        FhirReply reply = poster.Post(ComposeFhirBundle(batch, context));
        if (!reply.answered && RefusedForContent(reply.httpStatus)) {
            if (span.end - span.start > 1) {
                // Refused whole: one result may be what it refuses, or the Bundle too large.
                const std::size_t middle = span.start + (span.end - span.start) / 2;
                spans.push_back({middle, span.end, true});
                spans.push_back({span.start, middle, true});
                continue;
            }
            // One result alone, refused: held with the server's reason. The refusals above it
            // were for it, not for their size: the rest goes at the size the run began with.
            isolated = true;
            batchSize = startSize;
            reply.answered = true;
            reply.results[ResultKey(context.operatorId, results[span.start])] = {
                FhirVerdict::State::Refused,
                reply.reason.empty() ? "HTTP " + std::to_string(reply.httpStatus) : reply.reason};
        }
        if (!reply.answered) {
            summary.status = reply.status;
            break;
        }
        if (span.fromRefused && !isolated) {
            // Taken at this size after a larger Bundle was refused, with no result refused on
            // its own: the rest goes at this size rather than being refused again.
            takenAfterRefusal = span.end - span.start;
            batchSize = std::min(batchSize, takenAfterRefusal);
            spans.clear();
            next = span.end;
        }
        // Two of our patient IDs the server filed under one Patient: neither patient's
        // results are where they belong.
        std::unordered_map<std::string, std::string> merged;
        for (const auto& [patientId, server] : reply.patients) {
            serverPatients[patientId] = server;
            auto [other, added] = patientOfServer.emplace(server, patientId);
            if (!added && other->second != patientId) {
                const std::string reason = "the FHIR server filed the patients " + other->second +
                                           " and " + patientId + " as one (" + server + ")";
                merged[patientId] = reason;
                merged[other->second] = reason;
            }
        }
        for (std::size_t i = span.start; i < span.end && kept; ++i) {
            auto verdict = reply.results.find(ResultKey(context.operatorId, results[i]));
            if (verdict == reply.results.end() ||
                verdict->second.state == FhirVerdict::State::Unanswered) {
                continue; // stays pending, goes again with the next run
            }
            if (auto wrong = merged.find(results[i].patientId); wrong != merged.end()) {
                verdict->second = {FhirVerdict::State::Refused, wrong->second};
            }
            const bool created = verdict->second.state == FhirVerdict::State::Created;
            Status stored =
                created ? outbox.MarkSent(ids[i]) : outbox.MarkHeld(ids[i], verdict->second.reason);
            kept = stored.ok();
            if (!kept) {
                // The server has it but the state could not be kept: stop before the file
                // disagrees with the server about more than this Bundle.
                summary.status = stored;
                break;
            }
            if (created) {
                ++summary.sent;
                ++summary.sentOf[static_cast<std::size_t>(kinds[i])];
            } else {
                ++summary.held;
            }
            if (!created && onHeld) {
                onHeld(ids[i], verdict->second.reason);
            }
        }
        // Results of a patient found merged later in the run were marked sent with an
        // earlier Bundle: they are held now, as they are not where they belong either.
        for (const auto& [patientId, reason] : merged) {
            for (std::size_t i = 0; i < span.start && kept; ++i) {
                if (results[i].patientId == patientId) {
                    std::optional<OutboxEntry> entry = outbox.Find(ids[i]);
                    if (entry && entry->state == DeliveryState::Sent) {
                        Status stored = outbox.MarkHeld(ids[i], reason);
                        kept = stored.ok();
                        if (!kept) {
                            summary.status = stored;
                            break;
                        }
                        --summary.sent;
                        --summary.sentOf[static_cast<std::size_t>(kinds[i])];
                        ++summary.held;
                        if (onHeld) {
                            onHeld(ids[i], reason);
                        }
                    }
                }
            }
        }
        if (!reply.status) {
            summary.status = reply.status;
        }
        done += static_cast<int>(span.end - span.start);
        if (limits.progress) {
            limits.progress(done, total);
        }
    }
    if (!fixedSize && !isolated && takenAfterRefusal > 0 && takenAfterRefusal < startSize) {
        // Refusals that no single result explains: the server limits a Bundle's size. (With
        // a result refused alone, the halves went through because that result was gone.)
        (void)outbox.SetSetting(sizeKey, std::to_string(takenAfterRefusal));
    }
    CountWaiting(outbox, summary);
    return summary;
}

} // namespace qa::interop
