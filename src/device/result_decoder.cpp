#include "device/result_decoder.h"

#include "store/settings.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace qa {

namespace {

constexpr char kCR = 13;
constexpr char kLF = 10;
constexpr char kBlank = 32;
constexpr const char* kNoPatientId = "00000000000000";

int ExpectedRecordSize(ResultKind kind, bool fourDigitValues) {
    if (kind == ResultKind::Glucose) {
        return 15; // the four-digit flag only concerns HbA1c records
    }
    return fourDigitValues ? 30 : 29;
}

bool RecordEndByteOk(char c, ResultKind kind) {
    // Some meters pad the HbA1c record with a blank instead of the line feed; the glucose
    // records never do, so a blank there means the stream slipped.
    return c == kCR || c == kLF || (kind == ResultKind::HbA1c && c == kBlank);
}

// The value field read by the leading-integer rule of stored texts: leading blanks are
// skipped (some meters pad " 65"), then digits up to the first other character; 0 when
// there are none. A result is never negative.
int LeadingDigits(std::string_view field) {
    return std::max(0, static_cast<int>(LeadingInt(field)));
}

MeterResult DecodeRecord(std::string_view record, ResultKind kind, bool fourDigitValues) {
    MeterResult decoded;
    const int width = kind == ResultKind::HbA1c && fourDigitValues ? 4 : 3;
    const std::string_view view = record;
    decoded.date = "20" + std::string(view.substr(0, 6));
    decoded.time = std::string(view.substr(6, 4));
    const int value = LeadingDigits(view.substr(10, static_cast<std::size_t>(width)));
    char text[16];
    if (kind == ResultKind::HbA1c) {
        std::snprintf(text, sizeof text, "%04d", width == 3 ? value * 10 : value);
        decoded.pid = std::string(view.substr(10 + static_cast<std::size_t>(width), 14));
    } else {
        std::snprintf(text, sizeof text, "%03d", value);
        decoded.pid = kNoPatientId;
        decoded.opid = kNoPatientId;
    }
    decoded.value = text;
    return decoded;
}

} // namespace

DecodedTransfer DecodeTransfer(const Transfer& transfer) {
    using Reason = FramingFailure::Reason;
    if (transfer.payload.size() >= kMaxPayloadBytes) {
        return FramingFailure{Reason::Oversized, 0, 0};
    }
    const ResultKind kind = transfer.kind;
    const int size = transfer.recordSize;
    // A record size that does not match the layout would put the record-end test on the
    // wrong bytes, so it fails like a bad record.
    if (size != ExpectedRecordSize(kind, transfer.fourDigitValues) || transfer.recordCount < 0) {
        return FramingFailure{Reason::BadLayout, 0, 0};
    }
    const std::size_t end = transfer.payload.find('\0');
    const std::string_view text(transfer.payload.data(),
                                end == std::string::npos ? transfer.payload.size() : end);
    auto at = [&text](std::int64_t position) {
        return static_cast<std::uint64_t>(position) < text.size()
                   ? text[static_cast<std::size_t>(position)]
                   : '\0';
    };
    std::vector<MeterResult> results;
    results.reserve(static_cast<std::size_t>(std::min<std::int64_t>(
        transfer.recordCount, static_cast<std::int64_t>(text.size()) / size + 1)));
    const int firstEnd = size - 2;
    for (int i = 0; i < transfer.recordCount; ++i) {
        const std::int64_t start = static_cast<std::int64_t>(i) * size;
        for (int b = firstEnd; b < size; ++b) {
            if (!RecordEndByteOk(at(start + b), kind)) {
                return FramingFailure{Reason::RecordEnd, i, start + b + 1};
            }
        }
        // Both end bytes lie inside the text, so the whole record does.
        results.push_back(DecodeRecord(
            text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(size)), kind,
            transfer.fourDigitValues));
    }
    return results;
}

} // namespace qa
