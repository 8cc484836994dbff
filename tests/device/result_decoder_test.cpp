#include "device/result_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

using namespace qa;

namespace {

Transfer HbA1c(std::string payload, int count, bool fourDigit = false) {
    return {
        std::move(payload), count, fourDigit ? 30 : 29, fourDigit, ResultKind::HbA1c, false, ""};
}

Transfer Glucose(std::string payload, int count) {
    return {std::move(payload), count, 15, false, ResultKind::Glucose, false, ""};
}

std::vector<MeterResult> Results(const DecodedTransfer& decoded) {
    const auto* results = std::get_if<std::vector<MeterResult>>(&decoded);
    EXPECT_NE(results, nullptr) << "refused";
    return results ? *results : std::vector<MeterResult>{};
}

FramingFailure Failure(const DecodedTransfer& decoded) {
    const auto* failure = std::get_if<FramingFailure>(&decoded);
    EXPECT_NE(failure, nullptr) << "accepted";
    return failure ? *failure : FramingFailure{};
}

const std::string kRecord29 = "1606201430065PATIENT0000001\r\n";

} // namespace

TEST(ResultDecoder, DecodesEachLayoutIntoTheStoredEncoding) {
    EXPECT_EQ(Results(DecodeTransfer(HbA1c(kRecord29 + "9912312359 65SZ'quote,comma\n ", 2))),
              (std::vector<MeterResult>{{"20160620", "1430", "0650", "PATIENT0000001", ""},
                                        {"20991231", "2359", "0650", "SZ'quote,comma", ""}}));
    EXPECT_EQ(Results(DecodeTransfer(HbA1c("16062014300655PATIENT0000001\r\n", 1, true))),
              (std::vector<MeterResult>{{"20160620", "1430", "0655", "PATIENT0000001", ""}}));
    EXPECT_EQ(Results(DecodeTransfer(Glucose("16062014307 5\n\r", 1))),
              (std::vector<MeterResult>{
                  {"20160620", "1430", "007", "00000000000000", "00000000000000"}}));
    EXPECT_TRUE(Results(DecodeTransfer(HbA1c("", 0))).empty()) << "no records, nothing wrong";
}

// The failure says how far the check got, so the operator's progress stops where it did.
TEST(ResultDecoder, RefusalNamesTheRecordAndTheBytesWalked) {
    using Reason = FramingFailure::Reason;
    EXPECT_EQ(Failure(DecodeTransfer(HbA1c(kRecord29 + kRecord29.substr(0, 28) + "X", 2))),
              (FramingFailure{Reason::RecordEnd, 1, 58}));
    EXPECT_EQ(Failure(DecodeTransfer(HbA1c(kRecord29 + kRecord29.substr(0, 27) + "X\n", 2))),
              (FramingFailure{Reason::RecordEnd, 1, 57}));
    EXPECT_EQ(Failure(DecodeTransfer(Glucose("1606201430110\r ", 1))),
              (FramingFailure{Reason::RecordEnd, 0, 15}))
        << "a blank ends HbA1c records only";
    EXPECT_EQ(Failure(DecodeTransfer(HbA1c(kRecord29, 2))),
              (FramingFailure{Reason::RecordEnd, 1, 57}))
        << "bytes past the end read as nothing";
    std::string cut = kRecord29;
    cut[5] = '\0';
    EXPECT_EQ(Failure(DecodeTransfer(HbA1c(cut, 1))), (FramingFailure{Reason::RecordEnd, 0, 28}))
        << "a NUL ends the text";
    Transfer otherLayout = HbA1c(kRecord29, 1);
    otherLayout.fourDigitValues = true; // 30-byte records announced, 29 given
    EXPECT_EQ(Failure(DecodeTransfer(otherLayout)).reason, Reason::BadLayout);
    EXPECT_EQ(Failure(DecodeTransfer(HbA1c(kRecord29, -1))).reason, Reason::BadLayout);
    EXPECT_EQ(Failure(DecodeTransfer(HbA1c(kRecord29, 2'000'000'000))).bytesChecked, 57);
    EXPECT_EQ(Failure(DecodeTransfer(HbA1c(std::string(kMaxPayloadBytes, '\n'), 1))).reason,
              Reason::Oversized);
}
