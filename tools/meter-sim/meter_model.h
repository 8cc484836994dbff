#pragma once

// The simulated meter's behaviour, free of any I/O: bytes from the host go in, the bytes the
// meter would answer come out. The pty, the pacing and the transcript live in main.cpp, so
// everything here can be exercised directly by unit tests.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace meter_sim {

enum class RecordKind { HbA1c, Glucose };

// The count field of a records reply has three digits.
inline constexpr int kMaxRecords = 999;
inline constexpr std::size_t kGlucoseRecordSize = 15;
inline constexpr std::size_t kCommandSize = 5;

// Models "EG" and "CG" report HbA1c in hundredths (four digits, 30-byte records); every other
// model reports tenths (three digits, 29-byte records).
std::size_t hba1cRecordSize(std::string_view model);

// Deterministic, valid records back to back, oldest first, every one at a distinct date and
// time. recordSize picks the HbA1c layout (29 or 30).
std::string generateHbA1cRecords(int count, std::uint64_t seed, std::size_t recordSize);
std::string generateGlucoseRecords(int count, std::uint64_t seed);

// Returns an explanation when `payload` cannot be served as records of `recordSize` bytes
// (not a whole number of records, or more than the count field can carry).
std::optional<std::string> payloadProblem(std::string_view payload, std::size_t recordSize);

struct MeterConfig {
    std::string model = "EG";     // two characters, echoed in the version reply
    std::string version = "1.09"; // four characters, echoed in the version reply
    bool answerVersion = true;
    // Hears every command and answers none: a meter switched off, or a port with no meter.
    bool silent = false;
    std::optional<std::size_t> stallAfter; // records replies are cut after this many bytes
};

enum class MeterState {
    Off,                // not yet woken by E: everything is ignored
    AwaitingModeChange, // after E: the next H switches to transfer mode
    Serving,            // V, H, G and D are answered
};

// One thing the meter noticed, in arrival order; `reply` holds the bytes to send for it.
struct MeterEvent {
    enum class Type { Command, Garbage };
    Type type = Type::Command;
    char letter = 0;    // the command letter (Command only)
    std::string detail; // what the meter made of it, or the discarded bytes (Garbage)
    std::string reply;
};

class MeterModel {
public:
    // Throws std::invalid_argument when a payload cannot be served (see payloadProblem).
    MeterModel(MeterConfig config, std::string hba1cPayload, std::string glucosePayload);

    // Feeds bytes as they arrive; commands may be split across calls.
    std::vector<MeterEvent> feed(std::string_view bytes);

    MeterState state() const { return state_; }
    int recordCount(RecordKind kind) const;
    const MeterConfig& config() const { return config_; }

private:
    MeterEvent handleCommand(char letter);
    std::string recordsReply(char letter, const std::string& payload, std::size_t recordSize) const;
    void flushGarbage(std::vector<MeterEvent>& events);

    MeterConfig config_;
    std::size_t hba1cSize_;
    std::string hba1c_;
    std::string glucose_;
    MeterState state_ = MeterState::Off;
    std::string pending_; // a possibly incomplete command
    std::string garbage_; // bytes discarded while looking for a command
};

} // namespace meter_sim
