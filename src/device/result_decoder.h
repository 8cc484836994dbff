#pragma once

#include "store/measurement_table.h"
#include "store/result_import.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace qa {

// A complete transfer as the download session hands it over: the records back to back,
// record i starting at byte i * recordSize.
struct Transfer {
    std::string payload;
    int recordCount = 0;
    int recordSize = 0;           // 29 or 30 for HbA1c, 15 for glucose
    bool fourDigitValues = false; // HbA1c values in hundredths (30-byte records)
    ResultKind kind = ResultKind::HbA1c;
    bool eraseAfterDownload = false;
    std::string meterModel; // the model code of the version reply ("EG", "CG"...)
};

inline constexpr std::size_t kMaxPayloadBytes = 10'000'000; // a payload must be shorter

// Why a transfer was refused. The meter's records carry no checksum: the record-end bytes
// are the whole check, so every refusal means the stream slipped or was cut.
struct FramingFailure {
    enum class Reason {
        Oversized, // no meter's memory is this large
        BadLayout, // the record size does not fit the kind and value width, or count < 0
        RecordEnd, // a record-end byte is not one the layout allows (or the text ended)
    };
    Reason reason = Reason::RecordEnd;
    int record = 0;                // the failing record (RecordEnd)
    std::int64_t bytesChecked = 0; // bytes walked before refusing, the failing one included

    bool operator==(const FramingFailure&) const = default;
};

using DecodedTransfer = std::variant<std::vector<MeterResult>, FramingFailure>;

// Checks the framing of every record and decodes them into the stored encoding, in the
// order received. Reads nothing but its argument and changes nothing.
//
// Layouts: HbA1c 29 bytes = date YYMMDD, time HHMM, value in tenths (3), patient ID (14),
// two end bytes; 30 bytes = the same with the value in hundredths (4); glucose 15 bytes =
// date, time, mg/dL (3), two end bytes. End bytes are CR or LF, and for HbA1c also a blank.
// The payload is text: a NUL ends it, and bytes past its end fail the check.
DecodedTransfer DecodeTransfer(const Transfer& transfer);

} // namespace qa
