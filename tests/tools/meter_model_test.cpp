#include "meter_model.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <stdexcept>
#include <string>

using meter_sim::MeterConfig;
using meter_sim::MeterEvent;
using meter_sim::MeterModel;
using meter_sim::MeterState;
using meter_sim::RecordKind;

namespace {

std::string cmd(char letter) {
    return std::string{'S', ' ', letter, '\n', '\r'};
}

// Everything the meter sends back for `bytes`.
std::string replyTo(MeterModel& meter, std::string_view bytes) {
    std::string out;
    for (const auto& event : meter.feed(bytes)) {
        out += event.reply;
    }
    return out;
}

// Brings a fresh meter into transfer mode.
void wake(MeterModel& meter) {
    ASSERT_EQ(replyTo(meter, cmd('E') + cmd('H')), "");
    ASSERT_EQ(meter.state(), MeterState::Serving);
}

bool allDigits(std::string_view s) {
    for (char c : s) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

int number(std::string_view s) {
    return std::stoi(std::string(s));
}

// Date YYMMDD and time HHMM as a reader of the record would check them.
::testing::AssertionResult validStamp(std::string_view rec) {
    if (!allDigits(rec.substr(0, 10))) {
        return ::testing::AssertionFailure() << "date/time not digits: " << rec.substr(0, 10);
    }
    const int yy = number(rec.substr(0, 2));
    const int mm = number(rec.substr(2, 2));
    const int dd = number(rec.substr(4, 2));
    const int year = 2000 + yy;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int days[] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (mm < 1 || mm > 12 || dd < 1 || dd > days[mm - 1]) {
        return ::testing::AssertionFailure() << "impossible date " << rec.substr(0, 6);
    }
    if (number(rec.substr(6, 2)) > 23 || number(rec.substr(8, 2)) > 59) {
        return ::testing::AssertionFailure() << "impossible time " << rec.substr(6, 4);
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult validHbA1c(std::string_view rec, std::size_t size) {
    if (rec.size() != size) {
        return ::testing::AssertionFailure() << "size " << rec.size();
    }
    if (auto stamp = validStamp(rec); !stamp) {
        return stamp;
    }
    const std::size_t digits = size == 30 ? 4 : 3;
    const auto value = rec.substr(10, digits);
    if (!allDigits(value)) {
        return ::testing::AssertionFailure() << "value not digits: " << value;
    }
    const double percent = number(value) / (size == 30 ? 100.0 : 10.0);
    if (percent < 4.0 || percent > 14.0) {
        return ::testing::AssertionFailure() << "implausible HbA1c " << percent;
    }
    const auto id = rec.substr(10 + digits, 14);
    for (char c : id) {
        // The importer's raw dump ends at the first 'S' or 'Z'.
        if (!std::isalnum(static_cast<unsigned char>(c)) || c == 'S' || c == 'Z') {
            return ::testing::AssertionFailure() << "bad patient ID " << id;
        }
    }
    if (rec.substr(size - 2) != "\r\n") {
        return ::testing::AssertionFailure() << "record does not end in CR LF";
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult validGlucose(std::string_view rec) {
    if (rec.size() != 15) {
        return ::testing::AssertionFailure() << "size " << rec.size();
    }
    if (auto stamp = validStamp(rec); !stamp) {
        return stamp;
    }
    const auto value = rec.substr(10, 3);
    if (!allDigits(value) || number(value) < 20 || number(value) > 600) {
        return ::testing::AssertionFailure() << "implausible glucose " << value;
    }
    if (rec.substr(13) != "\r\n") {
        return ::testing::AssertionFailure() << "record does not end in CR LF";
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(MeterProtocol, ServesAWholeDownload) {
    const std::string hba1c = meter_sim::generateHbA1cRecords(2, 5, 30);
    const std::string glucose = meter_sim::generateGlucoseRecords(1, 5);
    MeterModel meter({}, hba1c, glucose);

    // E and the mode-change H are silent; the version reply carries the model code in bytes 6-7.
    EXPECT_EQ(replyTo(meter, cmd('E')), "");
    EXPECT_EQ(replyTo(meter, cmd('H')), "");
    EXPECT_EQ(replyTo(meter, cmd('V')), "SV1.09EG\r\n");
    EXPECT_EQ(replyTo(meter, cmd('H')), "SH002\r\n" + hba1c);
    EXPECT_EQ(replyTo(meter, cmd('G')), "SG001\r\n" + glucose);
    // Asking again sends the same records: only D forgets them.
    EXPECT_EQ(replyTo(meter, cmd('H')), "SH002\r\n" + hba1c);
}

TEST(MeterProtocol, IgnoresCommandsUntilWokenAndSwitched) {
    MeterModel meter({}, meter_sim::generateHbA1cRecords(1, 1, 30), "");

    EXPECT_EQ(replyTo(meter, cmd('V') + cmd('H') + cmd('G') + cmd('D')), "");
    EXPECT_EQ(meter.state(), MeterState::Off);

    // After E only H counts, and only as the mode change; D must not erase here.
    EXPECT_EQ(replyTo(meter, cmd('E') + cmd('V') + cmd('G') + cmd('D')), "");
    EXPECT_EQ(meter.state(), MeterState::AwaitingModeChange);
    EXPECT_EQ(meter.recordCount(RecordKind::HbA1c), 1);

    EXPECT_EQ(replyTo(meter, cmd('H')), "");
    EXPECT_EQ(meter.state(), MeterState::Serving);

    // Each download starts with E again, so the next H is a mode change once more.
    EXPECT_EQ(replyTo(meter, cmd('E') + cmd('H')), "");
    EXPECT_EQ(replyTo(meter, cmd('V')).substr(0, 2), "SV");
    EXPECT_EQ(replyTo(meter, cmd('X')), "") << "unknown letters are ignored";
}

TEST(MeterProtocol, EraseForgetsBothKinds) {
    MeterModel meter({}, meter_sim::generateHbA1cRecords(4, 2, 30),
                     meter_sim::generateGlucoseRecords(3, 2));
    wake(meter);
    EXPECT_EQ(replyTo(meter, cmd('D')), "");
    EXPECT_EQ(replyTo(meter, cmd('H')), "SH000\r\n");
    EXPECT_EQ(replyTo(meter, cmd('G')), "SG000\r\n");
    EXPECT_EQ(meter.recordCount(RecordKind::HbA1c), 0);
    EXPECT_EQ(meter.recordCount(RecordKind::Glucose), 0);
}

TEST(MeterProtocol, ModelVersionAndStallOptions) {
    {
        MeterConfig config;
        config.model = "AB";
        const std::string records = meter_sim::generateHbA1cRecords(2, 3, 29);
        MeterModel meter(config, records, "");
        wake(meter);
        EXPECT_EQ(replyTo(meter, cmd('V')), "SV1.09AB\r\n");
        EXPECT_EQ(replyTo(meter, cmd('H')), "SH002\r\n" + records);
        // 30-byte records cannot be served by a 29-byte model.
        EXPECT_THROW(MeterModel(config, meter_sim::generateHbA1cRecords(1, 3, 30), ""),
                     std::invalid_argument);
    }
    {
        MeterConfig config;
        config.answerVersion = false;
        MeterModel meter(config, meter_sim::generateHbA1cRecords(1, 3, 30), "");
        wake(meter);
        EXPECT_EQ(replyTo(meter, cmd('V')), "");
        EXPECT_EQ(replyTo(meter, cmd('H')).substr(0, 7), "SH001\r\n");
    }
    {
        MeterConfig config;
        config.silent = true;
        MeterModel meter(config, meter_sim::generateHbA1cRecords(1, 3, 30), "");
        wake(meter);
        for (char letter : {'V', 'H', 'G', 'E'}) {
            EXPECT_EQ(replyTo(meter, cmd(letter)), "") << letter;
        }
        EXPECT_EQ(meter.recordCount(meter_sim::RecordKind::HbA1c), 1) << "it still heard them";
    }
    {
        MeterConfig config;
        config.stallAfter = 9;
        const std::string glucose = meter_sim::generateGlucoseRecords(2, 3);
        MeterModel meter(config, "", glucose);
        wake(meter);
        EXPECT_EQ(replyTo(meter, cmd('V')), "SV1.09EG\r\n") << "only records replies stall";
        EXPECT_EQ(replyTo(meter, cmd('G')), "SG002\r\n" + glucose.substr(0, 2));
        EXPECT_EQ(replyTo(meter, cmd('H')), "SH000\r\n") << "a shorter reply is sent whole";
    }
}

TEST(MeterProtocol, FindsCommandsInAMessyByteStream) {
    MeterModel meter({}, "", meter_sim::generateGlucoseRecords(1, 9));

    // Split anywhere across reads.
    const std::string wakeUp = cmd('E') + cmd('H');
    for (char byte : wakeUp) {
        EXPECT_EQ(replyTo(meter, std::string_view(&byte, 1)), "");
    }
    ASSERT_EQ(meter.state(), MeterState::Serving);

    // Noise between commands, and a broken command whose tail starts a real one.
    EXPECT_EQ(replyTo(meter, "\x00\xffjunk" + cmd('V') + "S S V\n\r"), "SV1.09EG\r\nSV1.09EG\r\n");
    // Line ends in the wrong order, lower case and a missing blank are not commands.
    EXPECT_EQ(replyTo(meter, "S V\r\nS v\n\rSV\n\r"), "");
    EXPECT_EQ(replyTo(meter, "SSS" + cmd('G')).substr(0, 7), "SG001\r\n");

    const auto events = meter.feed("xy" + cmd('V'));
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].type, MeterEvent::Type::Garbage);
    EXPECT_EQ(events[0].detail, "xy");
    EXPECT_EQ(events[1].type, MeterEvent::Type::Command);
    EXPECT_EQ(events[1].letter, 'V');
}

TEST(MeterRecords, PayloadsMustBeWholeRecordsThatFitTheCount) {
    EXPECT_EQ(meter_sim::payloadProblem("", 30), std::nullopt);
    EXPECT_EQ(meter_sim::payloadProblem(std::string(999 * 15, '0'), 15), std::nullopt);

    const auto ragged = meter_sim::payloadProblem(std::string(61, '0'), 30);
    ASSERT_TRUE(ragged);
    EXPECT_NE(ragged->find("not a whole number of 30-byte records"), std::string::npos) << *ragged;
    EXPECT_TRUE(meter_sim::payloadProblem(std::string(1000 * 15, '0'), 15));

    EXPECT_THROW(MeterModel({}, std::string(29, '0'), ""), std::invalid_argument)
        << "model EG sends 30-byte records";
    EXPECT_THROW(MeterModel({}, "", std::string(16, '0')), std::invalid_argument);
}

TEST(MeterRecords, GeneratedRecordsAreValidDistinctAndReproducible) {
    struct Case {
        const char* name;
        std::size_t size;
    };
    for (const Case c : {Case{"HbA1c 30", 30}, Case{"HbA1c 29", 29}, Case{"glucose", 15}}) {
        SCOPED_TRACE(c.name);
        auto generate = [&](int count, std::uint64_t seed) {
            return c.size == 15 ? meter_sim::generateGlucoseRecords(count, seed)
                                : meter_sim::generateHbA1cRecords(count, seed, c.size);
        };
        const std::string records = generate(meter_sim::kMaxRecords, 42);
        ASSERT_EQ(records.size(), meter_sim::kMaxRecords * c.size);
        std::set<std::string> stamps;
        for (std::size_t at = 0; at < records.size(); at += c.size) {
            const std::string_view rec(records.data() + at, c.size);
            ASSERT_TRUE(c.size == 15 ? validGlucose(rec) : validHbA1c(rec, c.size))
                << "record " << at / c.size << ": " << rec;
            stamps.insert(std::string(rec.substr(0, 10)));
        }
        EXPECT_EQ(stamps.size(), static_cast<std::size_t>(meter_sim::kMaxRecords))
            << "two records share a date and time and would look like duplicates";

        EXPECT_EQ(generate(20, 42), records.substr(0, 20 * c.size)) << "same seed, same records";
        EXPECT_NE(generate(20, 43), generate(20, 42));
        EXPECT_EQ(generate(0, 42), "");
        EXPECT_THROW(generate(meter_sim::kMaxRecords + 1, 42), std::invalid_argument);
    }
}
