#include "i18n/message_catalogue.h"
#include "interop/delivery.h"
#include "interop/fhir_bundle.h"
#include "interop/hl7_message.h"
#include "interop_support.h"
#include "message_languages.h"
#include "status_text.h"
#include "store/audit_log.h"
#include "store/text_encoding.h"
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
    ASSERT_EQ(Why(outbox.Open(dir.File("nurse_Outbox.sqlite"))), "");
    const MessageContext context = DeliveryContext();
    std::vector<StoredResult> first = Results(3);
    ASSERT_EQ(ValueOf(QueueResults(outbox, first, context)), 3);

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
        EXPECT_TRUE(summary.status.ok()) << Why(summary.status);
        // Nothing pending: a second run sends nothing again.
        EXPECT_EQ(SendPending(outbox, sender).sent, 0);
        // Queueing the same results again does not bring them back.
        EXPECT_EQ(ValueOf(QueueResults(outbox, first, context)), 0);
        listener.Stop();
        EXPECT_EQ(listener.Received(), ids) << "each exactly once, oldest first";
        auto lines = listener.Lines();
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_NE(lines[0].find(R"("patient_id": "P2|^~\\&")"), std::string::npos) << lines[0];
    }

    ASSERT_EQ(ValueOf(QueueResults(outbox, Results(1, "Q"), context)), 1);
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
    ASSERT_EQ(ValueOf(QueueResults(outbox, Results(2, "R"), context)), 2);
    {
        const int port = FreePort();
        MllpSender sender(MllpEndpoint{"127.0.0.1", port}, 2s);
        DeliverySummary summary = SendPending(outbox, sender);
        EXPECT_EQ(summary.sent, 0);
        EXPECT_EQ(summary.pending, 2);
        EXPECT_NE(
            Why(summary.status).find("127.0.0.1:" + std::to_string(port) + " cannot be reached"),
            std::string::npos)
            << Why(summary.status);
        ExpectBothLanguages(summary.status);
    }
    {
        MllpListener listener(dir.Path(), "silent");
        MllpSender sender(*ParseMllpDestination(listener.url()), 300ms);
        auto start = std::chrono::steady_clock::now();
        DeliverySummary summary = SendPending(outbox, sender);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << "one time-out, not one each";
        EXPECT_EQ(summary.pending, 2);
        EXPECT_NE(Why(summary.status).find("time-out"), std::string::npos) << Why(summary.status);
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
    ASSERT_EQ(Why(outbox.Open(dir.File("nurse_Outbox.sqlite"))), "");
    const MessageContext context = DeliveryContext();
    ASSERT_EQ(ValueOf(QueueResults(outbox, Results(2), context)), 2);
    struct Case {
        const char* mode;
        const char* problem;
    };
    // Two MSA segments (AE, then AA) may say either; our own message echoed back with an MSA
    // appended acknowledges nothing.
    for (const Case& c :
         {Case{"other-id", "time-out"}, Case{"unknown", "unknown code"},
          Case{"not-ack", "not an acknowledgement"}, Case{"two-msa", "not an acknowledgement"},
          Case{"echo", "not an acknowledgement"}}) {
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
        EXPECT_NE(Why(summary.status).find(c.problem), std::string::npos) << Why(summary.status);
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
    EXPECT_TRUE(summary.status.ok()) << Why(summary.status);
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
    ASSERT_TRUE(summary.status.ok()) << Why(summary.status);
    EXPECT_EQ(summary.pending, 2);

    Outbox outbox;
    ASSERT_EQ(Why(outbox.Open(Outbox::PathFor(dir.Path(), "nurse"))), "");
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
        return ForEachListedResult(table, each, parts).ok();
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

// A receiver that closes the connection after each acknowledgement gets every message, each
// on a connection of its own; one slower than the run's time limit gets what fits, and the
// rest waits for the next run.
TEST(Delivery, ReceiversThatCloseOrCrawlGetWhatTheRunAllows) {
    TempDir dir;
    Outbox outbox;
    ASSERT_EQ(Why(outbox.Open(dir.File("nurse_Outbox.sqlite"))), "");
    const MessageContext context = DeliveryContext();
    ASSERT_EQ(ValueOf(QueueResults(outbox, Results(4), context)), 4);
    {
        ASSERT_TRUE(std::filesystem::create_directory(dir.File("close")));
        MllpListener listener(dir.File("close"), "close");
        MllpSender sender(*ParseMllpDestination(listener.url()), 5s);
        DeliverySummary summary = SendPending(outbox, sender);
        EXPECT_EQ(summary.sent, 4);
        EXPECT_EQ(summary.pending, 0);
        EXPECT_TRUE(summary.status.ok()) << Why(summary.status);
        listener.Stop();
        EXPECT_EQ(listener.Received().size(), 4u);
    }
    ASSERT_EQ(ValueOf(QueueResults(outbox, Results(20, "S"), context)), 20);
    ASSERT_TRUE(std::filesystem::create_directory(dir.File("slow")));
    MllpListener listener(dir.File("slow"), "slow");
    MllpSender sender(*ParseMllpDestination(listener.url()), 5s);
    RunLimits limits;
    limits.deadline = std::chrono::steady_clock::now() + 700ms;
    std::vector<std::pair<int, int>> progress;
    limits.progress = [&](int done, int total) { progress.emplace_back(done, total); };
    DeliverySummary summary = SendPending(outbox, sender, {}, nullptr, limits);
    EXPECT_GT(summary.sent, 0);
    EXPECT_LT(summary.sent, 20);
    EXPECT_EQ(summary.pending, 20 - summary.sent);
    EXPECT_EQ(summary.status.error().id, MessageId::DeliveryTimeLimit);
    ASSERT_EQ(progress.size(), static_cast<std::size_t>(summary.sent));
    EXPECT_EQ(progress.back(), std::make_pair(summary.sent, 20));
    listener.Stop();
}

namespace {

// A result as the Windows program stored it: patient ID and name in code page 949.
void AddCp949(HbA1cTable& table, const char* time, const std::string& id, const std::string& name) {
    ASSERT_TRUE(table.AddNew());
    table.date = "20261207";
    table.time = time;
    table.value = "0650";
    table.pid = *Utf8ToCp949(id);
    table.name = *Utf8ToCp949(name);
    table.dob = "19800215";
    ASSERT_TRUE(table.Update());
}

} // namespace

// Code page 949 texts go out as the patient's Hangul over MLLP (read back by python3-hl7), and
// the row has one control ID in the send and in the export. An entry an older version queued
// under the stored bytes' ID is sent decoded rather than garbled, and not twice.
TEST(Delivery, CodePage949RowsGoOutAsHangulUnderTheExportsControlId) {
    TempDir dir;
    HbA1cTable table;
    ASSERT_TRUE(table.SetTableName(kMainTableName));
    ASSERT_TRUE(table.OpenOrCreate(dir.File("nurse_HbA1c.sqlite")));
    AddCp949(table, "0800", "김철수", "김철수");
    AddCp949(table, "0900", "홍길동", "홍길동");
    std::vector<StoredResult> results;
    ASSERT_TRUE(ReadStoredResults(table, results));
    ASSERT_EQ(results.size(), 2u);
    std::vector<std::string> exported;
    ASSERT_TRUE(ForEachListedResult(table, [&](const StoredResult& r) {
        exported.push_back(ControlId("nurse", r));
        return true;
    }));
    std::vector<std::string> sent = {ControlId("nurse", results[0]),
                                     ControlId("nurse", results[1])};
    std::sort(exported.begin(), exported.end());
    std::sort(sent.begin(), sent.end());
    EXPECT_EQ(sent, exported);

    Outbox outbox;
    ASSERT_EQ(Why(outbox.Open(dir.File("nurse_Outbox.sqlite"))), "");
    const MessageContext context = DeliveryContext();
    // One of them queued by an older version: ID and message made of the stored bytes.
    const StoredResult& hong = results[0].patientName == "홍길동" ? results[0] : results[1];
    StoredResult raw = hong;
    raw.patientId = hong.storedPatientId;
    raw.storedPatientId.clear();
    const std::string oldId = ControlId("nurse", raw);
    ASSERT_NE(oldId, ControlId("nurse", hong));
    ASSERT_EQ(ValueOf(outbox.Enqueue({{oldId, ComposeOruR01(raw, context), DeliveryState::Pending,
                                       "", EncodeStoredResult(raw)}})),
              1);
    ASSERT_EQ(ValueOf(QueueResults(outbox, results, context)), 2);
    EXPECT_FALSE(outbox.Find(oldId)) << "replaced, not sent as it was";
    ASSERT_EQ(outbox.Pending().size(), 2u);

    MllpListener listener(dir.Path(), "aa");
    MllpSender sender(*ParseMllpDestination(listener.url()), 5s);
    EXPECT_EQ(SendPending(outbox, sender).sent, 2);
    listener.Stop();
    std::vector<std::string> lines = listener.Lines();
    ASSERT_EQ(lines.size(), 2u);
    std::string all = lines[0] + lines[1];
    for (const std::string hangul : {"김철수", "홍길동"}) {
        EXPECT_NE(all.find(R"("patient_id": ")" + hangul + "\""), std::string::npos) << all;
        EXPECT_NE(all.find(R"("patient_name": ")" + hangul + "\""), std::string::npos) << all;
    }
    std::vector<std::string> received = listener.Received();
    std::sort(received.begin(), received.end());
    EXPECT_EQ(received, exported) << "the export's control IDs";

    // The older entry delivered already: the receiver has the result, nothing goes again.
    Outbox second;
    ASSERT_EQ(Why(second.Open(dir.File("other_Outbox.sqlite"))), "");
    ASSERT_EQ(ValueOf(second.Enqueue({{oldId, "MSH|old", DeliveryState::Pending, "", ""}})), 1);
    ASSERT_TRUE(second.MarkSent(oldId));
    EXPECT_EQ(ValueOf(QueueResults(second, results, context)), 1) << "only the other result";
}

// Results without a patient (none entered, or the meter's placeholder) are held, not sent,
// unless the site allows it; asking for the held ones again does not release them, and a
// patient given to the result afterwards sends it under that patient.
TEST(Delivery, ResultsWithoutAPatientAreHeldUntilTheyHaveOne) {
    TempDir dir;
    Outbox outbox;
    ASSERT_EQ(Why(outbox.Open(dir.File("nurse_Outbox.sqlite"))), "");
    MessageContext context = DeliveryContext();
    std::vector<StoredResult> results = Results(3);
    results[0].patientId = "00000000000000";
    results[1].patientId = "";
    results[1].kind = ResultKind::Glucose;
    results[1].value = "104";
    ASSERT_EQ(ValueOf(QueueResults(outbox, results, context)), 3);
    EXPECT_EQ(outbox.Count(DeliveryState::Held), 2);
    EXPECT_EQ(outbox.Find(ControlId("nurse", results[0]))->reason, kNoPatientReason);
    EXPECT_EQ(ValueOf(outbox.ReleaseHeld(kNoPatientReason)), 0);
    {
        MllpListener listener(dir.Path(), "aa");
        MllpSender sender(*ParseMllpDestination(listener.url()), 5s);
        DeliverySummary summary = SendPending(outbox, sender);
        EXPECT_EQ(summary.sent, 1);
        EXPECT_EQ(summary.heldTotal, 2);
        listener.Stop();
        EXPECT_EQ(listener.Received(), std::vector<std::string>{ControlId("nurse", results[2])});
    }

    // The HbA1c result is given a patient: its held entry goes, the result is queued anew.
    std::vector<StoredResult> edited = results;
    edited[0].patientId = "P-77";
    edited.erase(edited.begin() + 1); // the glucose table is queued on its own
    ASSERT_EQ(ValueOf(QueueResults(outbox, edited, context)), 1);
    EXPECT_FALSE(outbox.Find(ControlId("nurse", results[0])));
    EXPECT_EQ(outbox.Find(ControlId("nurse", edited[0]))->state, DeliveryState::Pending);
    EXPECT_EQ(outbox.Find(ControlId("nurse", results[1]))->state, DeliveryState::Held)
        << "another kind's entry stays";

    // The site allows results without a patient: the held glucose result is released.
    context.link.sendWithoutPatient = true;
    ASSERT_EQ(ValueOf(QueueResults(outbox, {results[1]}, context)), 0);
    EXPECT_EQ(outbox.Find(ControlId("nurse", results[1]))->state, DeliveryState::Pending);
    EXPECT_EQ(outbox.Count(DeliveryState::Held), 0);
}

// A held result given a patient is released under it with an entry in the audit log; while
// the log cannot be written nothing is released (nor queued), and a result that keeps the
// meter's placeholder, or was queued before the outbox kept results, releases nothing.
TEST(Delivery, ReleasingAResultGivenAPatientIsAudited) {
    TempDir dir;
    const std::string folder = dir.File("data");
    std::filesystem::create_directory(folder);
    Outbox outbox;
    ASSERT_EQ(Why(outbox.Open(dir.File("nurse_Outbox.sqlite"))), "");
    const MessageContext context = DeliveryContext();
    std::vector<StoredResult> results = Results(3);
    results[0].patientId = "00000000000000";
    results[1].patientId = "";
    for (std::size_t i = 0; i < results.size(); ++i) {
        results[i].resultId = "5e0c1d7a-0000-4000-8000-00000000000" + std::to_string(i);
    }
    int released = -1;
    ASSERT_EQ(*QueueResultsReleasing(outbox, results, context, folder, released), 3);
    EXPECT_EQ(released, 0);
    EXPECT_EQ(outbox.CountHeldFor(kNoPatientReason), 2);

    std::vector<StoredResult> given = results;
    given[0].patientId = "P-77";
    // The log's file is not one: refused before anything is queued.
    std::filesystem::create_directory(folder + "/" + kAuditFileName);
    Expected<int> refused = QueueResultsReleasing(outbox, given, context, folder, released);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().id, MessageId::AuditNotWritable);
    EXPECT_EQ(released, 0);
    EXPECT_EQ(outbox.Find(ControlId("nurse", results[0]))->state, DeliveryState::Held);
    EXPECT_FALSE(outbox.Find(ControlId("nurse", given[0])));
    std::filesystem::remove(folder + "/" + kAuditFileName);

    ASSERT_EQ(*QueueResultsReleasing(outbox, given, context, folder, released), 1);
    EXPECT_EQ(released, 1);
    EXPECT_FALSE(outbox.Find(ControlId("nurse", results[0])));
    EXPECT_EQ(outbox.Find(ControlId("nurse", given[0]))->state, DeliveryState::Pending);
    EXPECT_EQ(outbox.CountHeldFor(kNoPatientReason), 1) << "the other still has none";
    std::vector<AuditEntry> entries;
    entries = test::ValueOf(ReadAudit(folder, {}));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].action, audit_action::kRelease);
    EXPECT_EQ(entries[0].operatorId, "nurse");
    EXPECT_EQ(entries[0].patientId, "P-77");
    EXPECT_NE(entries[0].detail.find(results[0].resultId), std::string::npos) << entries[0].detail;
    // A message, read in the reader's language, whose source text the command line lists.
    EXPECT_EQ(entries[0].message,
              Message(MessageId::AuditResultReleased,
                      {given[0].date, given[0].time, given[0].value, "P-77", given[0].resultId}));
    EXPECT_EQ(entries[0].detail, SourceText(entries[0].message));

    // The same results again: nothing more is released or written.
    ASSERT_EQ(*QueueResultsReleasing(outbox, given, context, folder, released), 0);
    EXPECT_EQ(released, 0);
    // Given the placeholder instead of nobody: still no patient, still held, not audited.
    given[1].patientId = "00000000000000";
    ASSERT_EQ(*QueueResultsReleasing(outbox, given, context, folder, released), 1);
    EXPECT_EQ(outbox.CountHeldFor(kNoPatientReason), 1);
    EXPECT_EQ(released, 0);
    entries = test::ValueOf(ReadAudit(folder, {}));
    EXPECT_EQ(entries.size(), 1u);
}

// A message queued for a result that is edited or deleted before it leaves is dropped, never
// sent stale; the result as it is now goes instead. What was delivered stays as it was.
TEST(Delivery, QueuedMessagesOfResultsChangedSinceAreNeverSentStale) {
    TempDir dir;
    Outbox outbox;
    ASSERT_EQ(Why(outbox.Open(dir.File("nurse_Outbox.sqlite"))), "");
    const MessageContext context = DeliveryContext();
    std::vector<StoredResult> results = Results(3);
    ASSERT_EQ(ValueOf(QueueResults(outbox, results, context, true)), 3);
    ASSERT_TRUE(outbox.MarkSent(ControlId("nurse", results[0])));
    std::vector<StoredResult> now = results;
    now[1].value = "0710";      // edited
    now.erase(now.begin() + 2); // deleted
    ASSERT_EQ(ValueOf(QueueResults(outbox, now, context, true)), 1);
    EXPECT_FALSE(outbox.Find(ControlId("nurse", results[1])));
    EXPECT_FALSE(outbox.Find(ControlId("nurse", results[2])));
    EXPECT_EQ(outbox.Find(ControlId("nurse", results[0]))->state, DeliveryState::Sent);
    const std::vector<OutboxEntry> pending = outbox.Pending();
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_EQ(pending[0].controlId, ControlId("nurse", now[1]));
    EXPECT_NE(pending[0].message.find("|7.1|"), std::string::npos) << pending[0].message;
}
