#include "interop/delivery.h"
#include "interop/fhir_bundle.h"
#include "interop/hl7_message.h"
#include "interop_support.h"
#include "status_text.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sqlite3.h>

using namespace qa;
using namespace qa::interop;
using namespace qa::test;
using namespace std::chrono_literals;

namespace {

StoredResult Result(int i, const std::string& patientId) {
    StoredResult r;
    r.kind = ResultKind::HbA1c;
    r.date = "20261207";
    r.time = "10" + std::string(i < 10 ? "0" : "") + std::to_string(i);
    r.value = "0650";
    r.patientId = patientId;
    r.patientName = "Kim";
    r.birthday = "19800215";
    r.resultId = "R" + std::to_string(i);
    return r;
}

// The results as the table lists them (newest first; QueueResults sends oldest first).
std::vector<StoredResult> Listed(std::vector<StoredResult> results) {
    std::reverse(results.begin(), results.end());
    return results;
}

// What the python3-hl7 listener recorded of each message, by the JSON keys it writes.
struct Received {
    std::string controlId, patientId, patientName, filler, obrStatus, obxStatus, value;
};

std::string JsonField(const std::string& line, const std::string& key) {
    const std::string marker = "\"" + key + "\": ";
    std::size_t at = line.find(marker);
    if (at == std::string::npos || line.compare(at + marker.size(), 4, "null") == 0) {
        return "<none>";
    }
    at += marker.size() + 1;
    return line.substr(at, line.find('"', at) - at);
}

std::vector<Received> ReceivedBy(const MllpListener& listener) {
    std::vector<Received> received;
    for (const std::string& line : listener.Lines()) {
        received.push_back({JsonField(line, "control_id"), JsonField(line, "patient_id"),
                            JsonField(line, "patient_name"), JsonField(line, "filler"),
                            JsonField(line, "obr_status"), JsonField(line, "obx_status"),
                            JsonField(line, "value")});
    }
    return received;
}

struct Deletions {
    std::set<std::string> deleted;
    DeletionCheck Check() {
        return {ResultKind::HbA1c, [this](const std::string& id, bool& gone) {
                    gone = deleted.count(id) != 0;
                    return true;
                }};
    }
};

} // namespace

// A result the laboratory system was given is followed through every change: a correction
// of its value or its patient's name, a wrong-patient posting and the result under its new
// patient, a withdrawal of a deleted one and the result again once it is put back. Read by
// python3-hl7 off the wire; nothing about a version never sent goes out, a result merely
// missing from the table is not withdrawn, and every message keeps its own control ID
// through a run the receiver was down for.
TEST(Corrections, TheLaboratorySystemLearnsEveryChangeOfWhatItWasGiven) {
    TempDir dir;
    Outbox outbox;
    ASSERT_EQ(Why(outbox.Open(dir.File("nurse_Outbox.sqlite"))), "");
    const MessageContext context = DeliveryContext();
    Deletions deletions;
    const DeletionCheck check = deletions.Check();
    std::vector<StoredResult> results;
    for (int i = 0; i < 5; ++i) {
        results.push_back(Result(i, "P" + std::to_string(i)));
    }
    results[1].patientName = "김철수";
    ASSERT_EQ(ValueOf(QueueResults(outbox, Listed(results), context, true, &check)), 5);
    MllpListener listener(dir.Path(), "aa");
    MllpSender sender(*ParseMllpDestination(listener.url()), 5s);
    ASSERT_EQ(SendPending(outbox, sender).sent, 5);

    std::vector<StoredResult> now = results;
    now[0].value = "0710";                // a correction
    now[1].patientName = "홍길동";        // a correction of the patient's details
    now[2].patientId = "P9";              // another patient
    now[4].deviceModel = "A1";            // nothing the receiver holds
    deletions.deleted.insert("R3");       // deleted by the operator
    now.erase(now.begin() + 3);           // (R3)
    StoredResult fresh = Result(5, "P5"); // never sent, edited before it went
    now.push_back(fresh);
    ASSERT_EQ(ValueOf(QueueResults(outbox, Listed(now), context, true, &check)), 6);
    now.back().patientId = "P6";
    ASSERT_EQ(ValueOf(QueueResults(outbox, Listed(now), context, true, &check)), 1);
    EXPECT_EQ(ValueOf(QueueResults(outbox, Listed(now), context, true, &check)), 0)
        << "the same follow-ups under the same control IDs";
    const std::vector<OutboxEntry> queued = outbox.Pending();
    ASSERT_EQ(queued.size(), 6u);
    {
        // The receiver is down: everything stays pending under the IDs it had.
        MllpSender down(*ParseMllpDestination("mllp://127.0.0.1:" + std::to_string(FreePort())),
                        1s);
        EXPECT_EQ(SendPending(outbox, down).sent, 0);
        ASSERT_EQ(ValueOf(QueueResults(outbox, Listed(now), context, true, &check)), 0);
        std::vector<std::string> before, after;
        for (const OutboxEntry& entry : queued) {
            before.push_back(entry.controlId);
        }
        for (const OutboxEntry& entry : outbox.Pending()) {
            after.push_back(entry.controlId);
        }
        EXPECT_EQ(before, after);
    }
    DeliverySummary summary = SendPending(outbox, sender);
    EXPECT_EQ(summary.sent, 6);
    EXPECT_EQ(summary.sentOf[static_cast<int>(MessageKind::Correction)], 2);
    EXPECT_EQ(summary.sentOf[static_cast<int>(MessageKind::WrongPatient)], 1);
    EXPECT_EQ(summary.sentOf[static_cast<int>(MessageKind::Resend)], 1);
    EXPECT_EQ(summary.sentOf[static_cast<int>(MessageKind::Deletion)], 1);
    EXPECT_EQ(summary.pending, 0);

    std::vector<Received> got = ReceivedBy(listener);
    ASSERT_EQ(got.size(), 11u);
    std::set<std::string> ids;
    for (const Received& message : got) {
        EXPECT_TRUE(ids.insert(message.controlId).second) << "one control ID per message";
    }
    const std::vector<Received> follow(got.begin() + 5, got.end());
    std::map<std::string, std::vector<Received>> of; // by OBR-3, in the order received
    for (const Received& message : follow) {
        of[message.filler].push_back(message);
    }
    ASSERT_EQ(of["R0"].size(), 1u);
    EXPECT_EQ(of["R0"][0].obxStatus, "C");
    EXPECT_EQ(of["R0"][0].obrStatus, "C");
    EXPECT_EQ(of["R0"][0].value, "7.1");
    ASSERT_EQ(of["R1"].size(), 1u);
    EXPECT_EQ(of["R1"][0].obxStatus, "C");
    EXPECT_EQ(of["R1"][0].patientName, "홍길동");
    ASSERT_EQ(of["R2"].size(), 2u);
    EXPECT_EQ(of["R2"][0].obxStatus, "W") << "the posting as wrong comes first";
    EXPECT_EQ(of["R2"][0].obrStatus, "C");
    EXPECT_EQ(of["R2"][0].patientId, "P2");
    EXPECT_EQ(of["R2"][1].obxStatus, "F");
    EXPECT_EQ(of["R2"][1].obrStatus, "F");
    EXPECT_EQ(of["R2"][1].patientId, "P9");
    ASSERT_EQ(of["R3"].size(), 1u);
    EXPECT_EQ(of["R3"][0].obxStatus, "D");
    EXPECT_EQ(of["R3"][0].obrStatus, "C");
    EXPECT_EQ(of["R3"][0].patientId, "P3");
    ASSERT_EQ(of["R5"].size(), 1u) << "the version never sent stayed home";
    EXPECT_EQ(of["R5"][0].patientId, "P6");
    EXPECT_EQ(of["R5"][0].obxStatus, "F");
    EXPECT_EQ(of.count("R4"), 0u) << "the meter's model alone is nothing to correct";

    // A result missing without a remembered deletion (a file put back from a backup) is
    // not withdrawn; a deletion taken back before it went is never sent; a deletion taken
    // back after it went sends the result again as final.
    std::vector<StoredResult> missing = now;
    missing.erase(missing.begin() + 3); // R4
    EXPECT_EQ(ValueOf(QueueResults(outbox, Listed(missing), context, true, &check)), 0);
    deletions.deleted.insert("R0");
    std::vector<StoredResult> without0(now.begin() + 1, now.end());
    ASSERT_EQ(ValueOf(QueueResults(outbox, Listed(without0), context, true, &check)), 1);
    EXPECT_EQ(outbox.Pending().at(0).kind, MessageKind::Deletion);
    deletions.deleted.erase("R0");
    EXPECT_EQ(ValueOf(QueueResults(outbox, Listed(now), context, true, &check)), 0);
    EXPECT_TRUE(outbox.Pending().empty()) << "the withdrawal that never left is dropped";
    deletions.deleted.erase("R3");
    now.push_back(results[3]);
    ASSERT_EQ(ValueOf(QueueResults(outbox, Listed(now), context, true, &check)), 1);
    summary = SendPending(outbox, sender);
    EXPECT_EQ(summary.sentOf[static_cast<int>(MessageKind::Resend)], 1);
    listener.Stop();
    got = ReceivedBy(listener);
    ASSERT_EQ(got.size(), 12u);
    EXPECT_EQ(got.back().filler, "R3");
    EXPECT_EQ(got.back().obxStatus, "F");
    EXPECT_EQ(got.back().patientId, "P3");
    EXPECT_EQ(ids.count(got.back().controlId), 0u);

    // The messages as a file, read whole by python3-hl7: the Hangul name of the correction.
    const std::string path = dir.File("correction.hl7");
    StoredResult corrected = now[1];
    corrected.status = ResultStatus::Corrected;
    corrected.followUpId = FollowUpControlId("nurse", corrected, corrected.status, "QAH0");
    std::ofstream(path, std::ios::binary) << ComposeHl7Batch({corrected}, context);
    Readback read = ReadHl7WithPython(path);
    ASSERT_EQ(read.exitCode, 0) << read.errors;
    EXPECT_EQ(read.values["m0.patient_name"], "홍길동");
    EXPECT_EQ(read.values["m0.obx_status"], "C");
    EXPECT_EQ(read.values["m0.obr_status"], "C");
    EXPECT_EQ(read.values["m0.control_id"], corrected.followUpId);
    EXPECT_EQ(corrected.followUpId.size(), 20u) << "HL7 v2.5.1 allows MSH-10 20 characters";
}

// The list shows each result's own delivery: the correction waiting, then sent.
TEST(Corrections, EachResultsDeliveryNamesItsCorrections) {
    TempDir dir;
    Outbox outbox;
    ASSERT_EQ(Why(outbox.Open(dir.File("nurse_Outbox.sqlite"))), "");
    const MessageContext context = DeliveryContext();
    std::vector<StoredResult> results = {Result(0, "P0"), Result(1, "P1")};
    ASSERT_EQ(ValueOf(QueueResults(outbox, results, context, true)), 2);
    ASSERT_TRUE(outbox.MarkSent(ControlId("nurse", results[0])));
    ASSERT_TRUE(outbox.MarkSent(ControlId("nurse", results[1])));
    results[0].patientName = "Lee";
    results[1].patientId = "P7";
    ASSERT_EQ(ValueOf(QueueResults(outbox, results, context, true)), 3);
    std::unordered_map<std::string, ResultDelivery> states;
    ASSERT_TRUE(outbox.ResultStates(states));
    EXPECT_EQ(states["R0"].kind, MessageKind::Correction);
    EXPECT_EQ(states["R0"].state, DeliveryState::Pending);
    EXPECT_EQ(states["R1"].kind, MessageKind::WrongPatient);
    for (const OutboxEntry& entry : outbox.Pending()) {
        ASSERT_TRUE(outbox.MarkSent(entry.controlId));
    }
    ASSERT_TRUE(outbox.ResultStates(states));
    EXPECT_EQ(states["R0"].kind, MessageKind::Correction);
    EXPECT_EQ(states["R0"].state, DeliveryState::Sent);
    EXPECT_EQ(states["R1"].kind, MessageKind::Resend);
    EXPECT_EQ(states["R1"].state, DeliveryState::Sent);
    DeliverySummary summary;
    CountWaiting(outbox, summary);
    EXPECT_EQ(summary.pending, 0);
}

// An outbox of the version that sent first messages only opens, learns from its sent entries
// what the receiver holds, and follows a result edited since with a correction.
TEST(Corrections, AnOutboxOfTheFirstVersionOpensAndKnowsWhatWasSent) {
    TempDir dir;
    const std::string path = dir.File("nurse_Outbox.sqlite");
    const MessageContext context = DeliveryContext();
    StoredResult sent = Result(0, "P0");
    StoredResult waiting = Result(1, "P1");
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        const std::string sql =
            "CREATE TABLE outbox (seq INTEGER PRIMARY KEY AUTOINCREMENT, control_id TEXT NOT NULL "
            "UNIQUE, message TEXT NOT NULL, state INTEGER NOT NULL DEFAULT 0, reason TEXT NOT NULL "
            "DEFAULT '', queued_at TEXT NOT NULL DEFAULT '', changed_at TEXT, result TEXT NOT "
            "NULL DEFAULT '');"
            "CREATE TABLE kept (key TEXT PRIMARY KEY, value TEXT NOT NULL);"
            "INSERT INTO outbox(control_id, message, state, result) VALUES('" +
            ControlId("nurse", sent) + "', 'MSH|1', 1, '" + EncodeStoredResult(sent) + "'), ('" +
            ControlId("nurse", waiting) + "', 'MSH|2', 0, '" + EncodeStoredResult(waiting) + "');";
        ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    Outbox outbox;
    ASSERT_EQ(Why(outbox.Open(path)), "");
    std::unordered_map<std::string, DeliveredResult> delivered;
    ASSERT_TRUE(outbox.Delivered(delivered));
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered["R0"].controlId, ControlId("nurse", sent));
    EXPECT_TRUE(delivered["R0"].live);
    sent.birthday = "19800216";
    waiting.birthday = "19800216";
    ASSERT_EQ(ValueOf(QueueResults(outbox, {waiting, sent}, context, true)), 2);
    const std::vector<OutboxEntry> pending = outbox.Pending();
    ASSERT_EQ(pending.size(), 2u);
    // The entry never sent keeps its place and ID and goes as the result is now.
    EXPECT_EQ(pending[0].kind, MessageKind::Original);
    EXPECT_EQ(pending[0].controlId, ControlId("nurse", waiting));
    EXPECT_NE(pending[0].message.find("|19800216"), std::string::npos) << pending[0].message;
    EXPECT_EQ(pending[1].kind, MessageKind::Correction);
    EXPECT_EQ(pending[1].resultKey, "R0");
    EXPECT_NE(pending[1].message.find("|19800216"), std::string::npos) << pending[1].message;
    outbox.Close();
    ASSERT_EQ(Why(outbox.Open(path)), "") << "and opens again: ";
}

// Bundles of corrections, wrong-patient postings, withdrawals and results sent again are
// valid FHIR R4: each updates the Observation its result's identifier finds, with the status
// it says; the posting as wrong gives the result's identifier up.
TEST(Corrections, FhirBundlesOfFollowUpsAreValidR4) {
    TempDir dir;
    const MessageContext context = DeliveryContext();
    std::vector<StoredResult> results;
    const ResultStatus statuses[] = {ResultStatus::Corrected, ResultStatus::WrongPatient,
                                     ResultStatus::Final, ResultStatus::Deleted};
    for (int i = 0; i < 4; ++i) {
        StoredResult r = Result(i, "P" + std::to_string(i));
        r.patientName = "홍길동";
        r.status = statuses[i];
        r.followUpId = FollowUpControlId("nurse", r, r.status, "QAH0");
        results.push_back(r);
    }
    const std::string path = dir.File("followups.json");
    std::ofstream(path, std::ios::binary) << ComposeFhirBundle(results, context);
    Readback read = ValidateFhir(path);
    ASSERT_EQ(read.exitCode, 0) << read.errors;
    const std::vector<std::string> types = EntryTypes(read.values);
    const char* expected[] = {"corrected", "entered-in-error", "final", "entered-in-error"};
    int observation = 0;
    for (std::size_t i = 0; i < types.size(); ++i) {
        if (types[i] != "Observation") {
            continue;
        }
        const std::string entry = "entry." + std::to_string(i);
        EXPECT_EQ(read.values[entry + ".resource.status"], expected[observation]) << entry;
        EXPECT_EQ(read.values[entry + ".request.method"], "PUT") << entry;
        EXPECT_EQ(read.values[entry + ".request.url"].rfind("Observation?identifier=", 0), 0u)
            << read.values[entry + ".request.url"];
        const std::string system = read.values[entry + ".resource.identifier.0.system"];
        EXPECT_EQ(system == RetiredResultIdSystem(context), observation == 1) << system;
        EXPECT_EQ(read.values[entry + ".resource.identifier.0.value"],
                  "R" + std::to_string(observation));
        ++observation;
    }
    EXPECT_EQ(observation, 4);
}
