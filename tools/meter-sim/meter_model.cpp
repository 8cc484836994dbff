#include "meter_model.h"

#include <array>
#include <cstdio>
#include <stdexcept>

namespace meter_sim {

namespace {

// splitmix64: tiny, and unlike the standard distributions it yields the same stream with every
// compiler, so a seed names the same meter contents everywhere.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // Inclusive range; the modulo bias is irrelevant for test data.
    int between(int lo, int hi) {
        return lo + static_cast<int>(next() % static_cast<std::uint64_t>(hi - lo + 1));
    }

    bool percent(int p) { return between(1, 100) <= p; }

private:
    std::uint64_t state_;
};

bool isLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr std::array<int, 12> days{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeap(year) ? 29 : days[static_cast<std::size_t>(month - 1)];
}

// A clock that only moves forward, so consecutive records never share a date and time.
class RecordClock {
public:
    explicit RecordClock(Rng& rng)
        : year_(rng.between(2015, 2024)), month_(rng.between(1, 12)), day_(rng.between(1, 28)),
          minute_(rng.between(0, 1439)) {}

    void advance(int minutes) {
        minute_ += minutes;
        while (minute_ >= 1440) {
            minute_ -= 1440;
            if (++day_ > daysInMonth(year_, month_)) {
                day_ = 1;
                if (++month_ > 12) {
                    month_ = 1;
                    ++year_;
                }
            }
        }
    }

    // YYMMDDHHMM
    std::string stamp() const {
        char buf[48];
        std::snprintf(buf, sizeof buf, "%02d%02d%02d%02d%02d", year_ % 100, month_, day_,
                      minute_ / 60, minute_ % 60);
        return buf;
    }

private:
    int year_;
    int month_;
    int day_;
    int minute_;
};

// Between a few minutes and half a day apart: 999 records stay well inside 2000-2099.
int nextGap(Rng& rng) {
    return rng.between(5, 720);
}

// The importer's raw dump stops at the first 'S' or 'Z', so IDs avoid them (and the easily
// confused I and O) to keep dumps of generated data whole.
constexpr std::string_view kIdAlphabet = "0123456789ABCDEFGHJKLMNPQRTUVWXY";

std::vector<std::string> patientIds(Rng& rng) {
    std::vector<std::string> ids(static_cast<std::size_t>(rng.between(1, 6)));
    for (auto& id : ids) {
        for (int i = 0; i < 14; ++i) {
            id += kIdAlphabet[static_cast<std::size_t>(
                rng.between(0, static_cast<int>(kIdAlphabet.size()) - 1))];
        }
    }
    return ids;
}

void checkCount(int count) {
    if (count < 0 || count > kMaxRecords) {
        throw std::invalid_argument("record count must be between 0 and " +
                                    std::to_string(kMaxRecords));
    }
}

constexpr std::uint64_t kHbA1cStream = 0x4862413163ULL;
constexpr std::uint64_t kGlucoseStream = 0x476C75636FULL;

} // namespace

std::size_t hba1cRecordSize(std::string_view model) {
    return model == "EG" || model == "CG" ? 30 : 29;
}

std::string generateHbA1cRecords(int count, std::uint64_t seed, std::size_t recordSize) {
    checkCount(count);
    if (recordSize != 29 && recordSize != 30) {
        throw std::invalid_argument("HbA1c records are 29 or 30 bytes");
    }
    Rng rng(seed ^ kHbA1cStream);
    RecordClock clock(rng);
    const auto ids = patientIds(rng);
    std::string out;
    out.reserve(static_cast<std::size_t>(count) * recordSize);
    for (int i = 0; i < count; ++i) {
        clock.advance(nextGap(rng));
        // Mostly the everyday range, sometimes anywhere the meter can measure.
        const int hundredths = rng.percent(80) ? rng.between(480, 900) : rng.between(400, 1400);
        const auto& id =
            ids[static_cast<std::size_t>(rng.between(0, static_cast<int>(ids.size()) - 1))];
        char value[16];
        if (recordSize == 30) {
            std::snprintf(value, sizeof value, "%04d", hundredths);
        } else {
            std::snprintf(value, sizeof value, "%03d", hundredths / 10);
        }
        out += clock.stamp();
        out += value;
        out += id;
        out += "\r\n";
    }
    return out;
}

std::string generateGlucoseRecords(int count, std::uint64_t seed) {
    checkCount(count);
    Rng rng(seed ^ kGlucoseStream);
    RecordClock clock(rng);
    std::string out;
    out.reserve(static_cast<std::size_t>(count) * kGlucoseRecordSize);
    for (int i = 0; i < count; ++i) {
        clock.advance(nextGap(rng));
        const int mgdl = rng.percent(80) ? rng.between(70, 250) : rng.between(20, 600);
        char value[16];
        std::snprintf(value, sizeof value, "%03d", mgdl);
        out += clock.stamp();
        out += value;
        out += "\r\n";
    }
    return out;
}

std::optional<std::string> payloadProblem(std::string_view payload, std::size_t recordSize) {
    if (recordSize == 0) {
        return "record size must not be zero";
    }
    if (payload.size() % recordSize != 0) {
        return std::to_string(payload.size()) + " bytes is not a whole number of " +
               std::to_string(recordSize) + "-byte records (" +
               std::to_string(payload.size() / recordSize) + " records and " +
               std::to_string(payload.size() % recordSize) + " bytes left over)";
    }
    if (payload.size() / recordSize > static_cast<std::size_t>(kMaxRecords)) {
        return std::to_string(payload.size() / recordSize) + " records; at most " +
               std::to_string(kMaxRecords) + " fit in a reply";
    }
    return std::nullopt;
}

MeterModel::MeterModel(MeterConfig config, std::string hba1cPayload, std::string glucosePayload)
    : config_(std::move(config)), hba1cSize_(hba1cRecordSize(config_.model)),
      hba1c_(std::move(hba1cPayload)), glucose_(std::move(glucosePayload)) {
    if (config_.model.size() != 2) {
        throw std::invalid_argument("model code must be two characters");
    }
    if (config_.version.size() != 4) {
        throw std::invalid_argument("version must be four characters");
    }
    if (auto problem = payloadProblem(hba1c_, hba1cSize_)) {
        throw std::invalid_argument("HbA1c records: " + *problem);
    }
    if (auto problem = payloadProblem(glucose_, kGlucoseRecordSize)) {
        throw std::invalid_argument("glucose records: " + *problem);
    }
}

int MeterModel::recordCount(RecordKind kind) const {
    return kind == RecordKind::HbA1c ? static_cast<int>(hba1c_.size() / hba1cSize_)
                                     : static_cast<int>(glucose_.size() / kGlucoseRecordSize);
}

namespace {

// Whether `buf` can still grow into "S <letter>\n\r".
bool isCommandPrefix(std::string_view buf) {
    static constexpr std::string_view shape = "S ?\n\r";
    for (std::size_t i = 0; i < buf.size(); ++i) {
        const bool ok = i == 2 ? (buf[i] >= 'A' && buf[i] <= 'Z') : buf[i] == shape[i];
        if (!ok) {
            return false;
        }
    }
    return true;
}

} // namespace

std::vector<MeterEvent> MeterModel::feed(std::string_view bytes) {
    std::vector<MeterEvent> events;
    for (char byte : bytes) {
        pending_ += byte;
        // On a mismatch, restart at the next 'S' already received: a command may begin inside
        // what looked like the tail of a broken one.
        while (!pending_.empty() && !isCommandPrefix(pending_)) {
            const auto next = pending_.find('S', 1);
            const auto drop = next == std::string::npos ? pending_.size() : next;
            garbage_.append(pending_, 0, drop);
            pending_.erase(0, drop);
        }
        if (pending_.size() == kCommandSize) {
            flushGarbage(events);
            events.push_back(handleCommand(pending_[2]));
            if (config_.silent) {
                events.back().reply.clear();
                events.back().detail += " (silent: not answered)";
            }
            pending_.clear();
        }
    }
    flushGarbage(events);
    return events;
}

void MeterModel::flushGarbage(std::vector<MeterEvent>& events) {
    if (garbage_.empty()) {
        return;
    }
    MeterEvent event;
    event.type = MeterEvent::Type::Garbage;
    event.detail = std::move(garbage_);
    garbage_.clear();
    events.push_back(std::move(event));
}

MeterEvent MeterModel::handleCommand(char letter) {
    MeterEvent event;
    event.letter = letter;
    if (letter == 'E') {
        // E also restarts the mode sequence of a meter that is already serving: every
        // download begins with E and then sends the mode-change H again.
        state_ = MeterState::AwaitingModeChange;
        event.detail = "command mode";
        return event;
    }
    switch (state_) {
    case MeterState::Off:
        event.detail = "ignored (no E yet)";
        return event;
    case MeterState::AwaitingModeChange:
        if (letter == 'H') {
            state_ = MeterState::Serving;
            event.detail = "mode change";
        } else {
            event.detail = "ignored (waiting for the mode change)";
        }
        return event;
    case MeterState::Serving:
        break;
    }
    switch (letter) {
    case 'V':
        if (config_.answerVersion) {
            event.detail = "version";
            event.reply = "SV" + config_.version + config_.model + "\r\n";
        } else {
            event.detail = "version (not answered)";
        }
        break;
    case 'H':
        event.detail = "HbA1c records";
        event.reply = recordsReply(letter, hba1c_, hba1cSize_);
        break;
    case 'G':
        event.detail = "glucose records";
        event.reply = recordsReply(letter, glucose_, kGlucoseRecordSize);
        break;
    case 'D':
        hba1c_.clear();
        glucose_.clear();
        event.detail = "erase";
        break;
    default:
        event.detail = "ignored (unknown command)";
        break;
    }
    return event;
}

std::string MeterModel::recordsReply(char letter, const std::string& payload,
                                     std::size_t recordSize) const {
    char header[24];
    std::snprintf(header, sizeof header, "S%c%03d\r\n", letter,
                  static_cast<int>(payload.size() / recordSize));
    std::string reply = header + payload;
    if (config_.stallAfter && *config_.stallAfter < reply.size()) {
        reply.resize(*config_.stallAfter);
    }
    return reply;
}

} // namespace meter_sim
