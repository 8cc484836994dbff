#include "interop/delivery.h"
#include "interop/fhir_bundle.h"
#include "interop/hl7_message.h"
#include "interop_support.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace qa;
using namespace qa::interop;
using namespace qa::test;
using namespace std::chrono_literals;

namespace {

std::vector<StoredResult> Results(int count, const std::string& pidPrefix = "P") {
    std::vector<StoredResult> results;
    for (int i = 0; i < count; ++i) {
        StoredResult r;
        r.kind = ResultKind::HbA1c;
        r.date = "20261207";
        char time[16];
        std::snprintf(time, sizeof time, "%04d", 1000 + i);
        r.time = time;
        r.value = "0650";
        r.patientId = pidPrefix + std::to_string(i) + "|^~\\&";
        results.push_back(r);
    }
    return results;
}

} // namespace

TEST(MllpDestination, OnlyMllpUrlsWithAPortAreTaken) {
    auto endpoint = ParseMllpDestination("mllp://lis.example:2575");
    ASSERT_TRUE(endpoint);
    EXPECT_EQ(endpoint->host, "lis.example");
    EXPECT_EQ(endpoint->port, 2575);
    EXPECT_EQ(ParseMllpDestination("mllp://[::1]:6661/")->host, "::1");
    for (const char* bad : {"http://lis:80", "mllp://lis", "mllp://:2575", "mllp://lis:0",
                            "mllp://lis:70000", "mllp://lis:25x", ""}) {
        EXPECT_FALSE(ParseMllpDestination(bad)) << bad;
    }
}

// Against python3-hl7's own MLLP server: accepted once, refused with the reason, pending
// through an outage and a receiver that never answers, delivered after.
TEST(Delivery, AcceptedRefusedAndOutageAgainstPythonHl7Server) {
    TempDir dir;
    Outbox outbox;
    std::string error;
    ASSERT_TRUE(outbox.Open(dir.File("nurse_Outbox.sqlite"), error)) << error;
    const MessageContext context = DeliveryContext();
    std::vector<StoredResult> first = Results(3);
    ASSERT_EQ(QueueResults(outbox, first, context), 3);

    std::vector<std::string> ids;
    for (auto it = first.rbegin(); it != first.rend(); ++it) {
        ids.push_back(ControlId("nurse", *it));
    }
    {
        MllpListener listener(dir.Path(), "aa");
        MllpSender sender(*ParseMllpDestination(listener.url()), 5s);
        DeliverySummary summary = SendPending(outbox, sender);
        EXPECT_EQ(summary.sent, 3);
        EXPECT_EQ(summary.pending, 0);
        EXPECT_TRUE(summary.problem.empty()) << summary.problem;
        // Nothing pending: a second run sends nothing again.
        EXPECT_EQ(SendPending(outbox, sender).sent, 0);
        // Queueing the same results again does not bring them back.
        EXPECT_EQ(QueueResults(outbox, first, context), 0);
        listener.Stop();
        EXPECT_EQ(listener.Received(), ids) << "each exactly once, oldest first";
        auto lines = listener.Lines();
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_NE(lines[0].find(R"("patient_id": "P2|^~\\&")"), std::string::npos) << lines[0];
    }

    ASSERT_EQ(QueueResults(outbox, Results(1, "Q"), context), 1);
    {
        MllpListener listener(dir.Path(), "ae");
        MllpSender sender(*ParseMllpDestination(listener.url()), 5s);
        DeliverySummary summary = SendPending(outbox, sender);
        EXPECT_EQ(summary.sent, 0);
        EXPECT_EQ(summary.held, 1);
        EXPECT_EQ(summary.heldTotal, 1);
        listener.Stop();
    }
    const std::string heldId = ControlId("nurse", Results(1, "Q")[0]);
    EXPECT_EQ(outbox.Find(heldId)->state, DeliveryState::Held);
    EXPECT_EQ(outbox.Find(heldId)->reason, "Patient not registered");

    // Outage: nobody listens, then a receiver that never answers.
    ASSERT_EQ(QueueResults(outbox, Results(2, "R"), context), 2);
    {
        MllpSender sender(MllpEndpoint{"127.0.0.1", FreePort()}, 2s);
        DeliverySummary summary = SendPending(outbox, sender);
        EXPECT_EQ(summary.sent, 0);
        EXPECT_EQ(summary.pending, 2);
        EXPECT_NE(summary.problem.find("cannot connect"), std::string::npos) << summary.problem;
    }
    {
        MllpListener listener(dir.Path(), "silent");
        MllpSender sender(*ParseMllpDestination(listener.url()), 300ms);
        auto start = std::chrono::steady_clock::now();
        DeliverySummary summary = SendPending(outbox, sender);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << "one time-out, not one each";
        EXPECT_EQ(summary.pending, 2);
        EXPECT_NE(summary.problem.find("time-out"), std::string::npos) << summary.problem;
        listener.Stop();
    }
    {
        MllpListener listener(dir.Path(), "aa");
        MllpSender sender(*ParseMllpDestination(listener.url()), 5s);
        DeliverySummary summary = SendPending(outbox, sender);
        EXPECT_EQ(summary.sent, 2);
        EXPECT_EQ(summary.pending, 0);
        EXPECT_EQ(summary.heldTotal, 1) << "held stays held until asked";
        listener.Stop();
    }
    EXPECT_EQ(outbox.Count(DeliveryState::Sent), 5);
}

// Only an ACK naming this very message with AA or CA is acceptance. Anything else a receiver
// may say leaves the result pending (sent again on the next run) rather than marked sent.
TEST(Delivery, AnswersThatAcknowledgeNothingOfThisMessageLeaveItPending) {
    TempDir dir;
    Outbox outbox;
    std::string error;
    ASSERT_TRUE(outbox.Open(dir.File("nurse_Outbox.sqlite"), error)) << error;
    const MessageContext context = DeliveryContext();
    ASSERT_EQ(QueueResults(outbox, Results(2), context), 2);
    struct Case {
        const char* mode;
        const char* problem;
    };
    for (const Case& c : {Case{"other-id", "time-out"}, Case{"unknown", "without a known code"},
                          Case{"not-ack", "not an acknowledgement"}}) {
        SCOPED_TRACE(c.mode);
        // A folder each: a listener logs what it received into its folder.
        const std::string folder = dir.File(c.mode);
        ASSERT_TRUE(std::filesystem::create_directory(folder));
        MllpListener listener(folder, c.mode);
        MllpSender sender(*ParseMllpDestination(listener.url()), 300ms);
        DeliverySummary summary = SendPending(outbox, sender);
        EXPECT_EQ(summary.sent, 0);
        EXPECT_EQ(summary.held, 0);
        EXPECT_EQ(summary.pending, 2);
        EXPECT_NE(summary.problem.find(c.problem), std::string::npos) << summary.problem;
        listener.Stop();
        EXPECT_EQ(listener.Received().size(), 1u) << "the run stops at the first such answer";
    }
    EXPECT_EQ(outbox.Count(DeliveryState::Sent), 0);
    EXPECT_EQ(outbox.Count(DeliveryState::Held), 0);

    // A late answer for another message first, then this one's: the late one is passed over.
    ASSERT_TRUE(std::filesystem::create_directory(dir.File("late")));
    MllpListener listener(dir.File("late"), "late");
    MllpSender sender(*ParseMllpDestination(listener.url()), 5s);
    DeliverySummary summary = SendPending(outbox, sender);
    EXPECT_EQ(summary.sent, 2);
    EXPECT_TRUE(summary.problem.empty()) << summary.problem;
    listener.Stop();
    EXPECT_EQ(listener.Received().size(), 2u) << "each once";
    EXPECT_EQ(outbox.Count(DeliveryState::Sent), 2);
}

namespace {

void AddHbA1c(HbA1cTable& table, const char* time, const char* pid) {
    ASSERT_TRUE(table.AddNew());
    table.date = "20261207";
    table.time = time;
    table.value = "0650";
    table.pid = pid;
    ASSERT_TRUE(table.Update());
}

} // namespace

TEST(Delivery, OnlyTheResultsOfTheDownloadNameTheMeter) {
    TempDir dir;
    const std::string main = dir.File("nurse_HbA1c.sqlite");
    const std::string down = dir.File("nurse_HbA1cDown.sqlite");
    {
        HbA1cTable table;
        ASSERT_TRUE(table.SetTableName(kMainTableName));
        ASSERT_TRUE(table.OpenOrCreate(main));
        AddHbA1c(table, "0800", "OLD");
        AddHbA1c(table, "0900", "NEW");
        HbA1cTable download;
        ASSERT_TRUE(download.SetTableName(kDownloadTableName));
        ASSERT_TRUE(download.OpenOrCreate(down));
        AddHbA1c(download, "0900", "NEW");
    }
    DeliveryJob job;
    job.dataFolder = dir.Path();
    job.hba1cFile = main;
    job.context = DeliveryContext();
    job.meterModel = "EG";
    job.downloadedKind = ResultKind::HbA1c;
    job.downloadFile = down;
    DeliverySummary summary = RunDelivery(job);
    ASSERT_TRUE(summary.problem.empty()) << summary.problem;
    EXPECT_EQ(summary.pending, 2);

    Outbox outbox;
    std::string error;
    ASSERT_TRUE(outbox.Open(Outbox::PathFor(dir.Path(), "nurse"), error)) << error;
    int checked = 0;
    for (const OutboxEntry& entry : outbox.Pending()) {
        const std::string path = dir.File(entry.controlId + ".hl7");
        FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(entry.message.data(), 1, entry.message.size(), file);
        std::fclose(file);
        Readback back = ReadHl7WithPython(path);
        ASSERT_EQ(back.exitCode, 0) << back.errors;
        const bool downloaded = back.values["m0.patient_id"] == "NEW";
        EXPECT_EQ(back.values["m0.obx_equipment"], downloaded ? "EG" : "")
            << back.values["m0.patient_id"] << ": only the downloaded result knows its meter";
        ++checked;
    }
    EXPECT_EQ(checked, 2);
}

// The command line's HL7 and FHIR files: one walk of the table per pass, written in blocks,
// with the bytes of the messages composed from the list the window would load.
TEST(ResultExport, StreamedFilesHoldTheFilteredListInItsOrder) {
    TempDir dir;
    HbA1cTable table;
    ASSERT_TRUE(table.SetTableName(kMainTableName));
    ASSERT_TRUE(table.OpenOrCreate(dir.File("nurse_HbA1c.sqlite")));
    ASSERT_TRUE(table.BeginTransaction());
    for (int i = 0; i < 400; ++i) { // past one block of either file
        ASSERT_TRUE(table.AddNew());
        char time[8], pid[16];
        std::snprintf(time, sizeof time, "%02d%02d", i / 60 % 24, i % 60);
        std::snprintf(pid, sizeof pid, i % 3 == 0 ? "\xB1\xE8%d" : "P|%d", i % 150); // cp949 김
        table.date = i % 2 == 0 ? "20261207" : "20261208";
        table.time = time;
        table.value = i % 17 == 0 ? "1500" : "0650";
        table.pid = pid;
        table.name = i % 5 == 0 ? "\xC8\xAB" : "Kim"; // cp949 홍
        table.dob = "19800215";
        ASSERT_TRUE(table.Update());
    }
    ASSERT_TRUE(table.CommitTransaction());
    table.sort = table.StandardSort();
    table.filter = "PID <> 'P|7'";
    ASSERT_TRUE(table.Requery());
    SettingsStore settings;
    ResultList list = LoadResultList(table, settings, true);
    ASSERT_GT(list.rows.size(), 390u);
    std::vector<StoredResult> expected;
    for (const ListRow& row : list.rows) {
        expected.push_back(FromListRow(ResultKind::HbA1c, row));
    }

    const ResultWalk walk = [&](const ResultEach& each, ResultParts parts) {
        return ForEachListedResult(table, each, parts);
    };
    const MessageContext context = DeliveryContext();
    for (bool hl7 : {true, false}) {
        std::string file;
        int blocks = 0;
        const TextSink sink = [&](std::string_view block) {
            file += block;
            ++blocks;
            return true;
        };
        ASSERT_TRUE(hl7 ? WriteHl7Batch(walk, context, sink)
                        : WriteFhirBundle(walk, context, sink));
        EXPECT_GT(blocks, 1);
        EXPECT_EQ(file,
                  hl7 ? ComposeHl7Batch(expected, context) : ComposeFhirBundle(expected, context));

        // A target that stops taking blocks stops the walk and fails the file.
        int taken = 0;
        const TextSink full = [&](std::string_view) { return ++taken < 2; };
        EXPECT_FALSE(hl7 ? WriteHl7Batch(walk, context, full)
                         : WriteFhirBundle(walk, context, full));
        EXPECT_EQ(taken, 2);
    }

    // A query that fails is a failed file, never a short one.
    table.filter = "NO_SUCH_COLUMN = 1";
    std::string file;
    const TextSink sink = [&](std::string_view block) {
        file += block;
        return true;
    };
    EXPECT_FALSE(WriteHl7Batch(walk, context, sink));
    EXPECT_FALSE(WriteFhirBundle(walk, context, sink));
    EXPECT_TRUE(table.ReadFailed());
}
