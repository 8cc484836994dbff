#include "app/cli.h"
#include "interop/delivery.h"
#include "interop/outbox.h"
#include "interop/result_mapping.h"
#include "interop_support.h"
#include "scripted_prompter.h"
#include "status_text.h"
#include "store/installation_id.h"
#include "store/users.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace qa;
using namespace qa::interop;
using namespace qa::test;
using namespace std::chrono_literals;

namespace {

const std::string kHostileId = "X|1^2~3\\4&5";

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

CliRun Cli(const std::string& folder, std::vector<std::string> args) {
    args.insert(args.begin(), {"--data-dir", folder});
    std::ostringstream out, err;
    int code = RunCli(args, out, err);
    return {code, out.str(), err.str()};
}

struct Row {
    const char* date;
    const char* time;
    const char* value;
    std::string pid;
};

// A data folder whose default user holds these HbA1c results and one glucose result.
void StoreResults(const std::string& folder, const std::vector<Row>& rows) {
    ASSERT_EQ(Cli(folder, {"users", "list"}).code, 0) << "creates the folder and default user";
    ScriptedPrompter prompter;
    UserStore users(folder, prompter);
    ASSERT_TRUE(users.Reload());
    for (const Row& row : rows) {
        HbA1cTable& table = users.HbA1cMain();
        ASSERT_TRUE(table.AddNew());
        table.date = row.date;
        table.time = row.time;
        table.value = row.value;
        table.pid = row.pid;
        table.dob = "19000101";
        ASSERT_TRUE(table.Update());
    }
    GlucoseTable& glucose = users.GlucoseMain();
    ASSERT_TRUE(glucose.AddNew());
    glucose.date = "20261201";
    glucose.time = "0700";
    glucose.value = "104";
    glucose.pid = "00000000000000";
    ASSERT_TRUE(glucose.Update());
}

const std::vector<Row> kRows = {
    {"20261205", "0900", "0650", kHostileId},
    {"20261206", "1000", "1450", "P2"},
    {"20261207", "1100", "0720", "P3"},
};

} // namespace

TEST(InteropCli, SettingsExportHl7AndFhirReadBackIndependently) {
    TempDir dir;
    const std::string data = dir.File("data");
    StoreResults(data, kRows);
    // The interface sends mmol/mol while the window shows percent.
    CliRun set = Cli(data, {"settings", "set", "Interface=1", "Destination=mllp://lis:2575",
                            "Sending_facility=Ward|7", "receiving_application=LIS",
                            "Send_HbA1c_unit=1", "Bearer_token=tok-123456", "Bundle_size=25"});
    ASSERT_EQ(set.code, 0) << set.err;
    CliRun show = Cli(data, {"settings", "show"});
    EXPECT_NE(show.out.find("HbA1c_unit=0\n"), std::string::npos);
    EXPECT_NE(show.out.find("Send_HbA1c_unit=1\n"), std::string::npos);
    EXPECT_NE(show.out.find("Interface=1\nDestination=mllp://lis:2575\n"), std::string::npos);
    EXPECT_NE(show.out.find("Sending_facility=Ward|7\n"), std::string::npos);
    EXPECT_NE(show.out.find("Bundle_size=25\n"), std::string::npos);
    // The token opens the laboratory's server: never printed, its file the owner's alone.
    EXPECT_NE(show.out.find("Bearer_token=(set)\n"), std::string::npos);
    EXPECT_EQ(show.out.find("tok-123456"), std::string::npos);
    EXPECT_EQ(std::filesystem::status(data + "/" + kDefaultUserId + "_set_info.ini").permissions() &
                  (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
              std::filesystem::perms::none);
    for (const char* bad : {"Interface=yes", "Ack_timeout=0", "Bundle_size=0", "Bundle_size=1001",
                            "Send_glucose_unit=2", "Patient_id_system=not a uri",
                            "Result_id_system=urn", "Assigning_authority=A^B"}) {
        CliRun refused = Cli(data, {"settings", "set", bad});
        EXPECT_EQ(refused.code, 2) << bad;
        EXPECT_EQ(refused.err.find("tok-123456"), std::string::npos);
    }
    ASSERT_EQ(Cli(data, {"settings", "set", "Patient_id_system=urn:oid:1.2.410.1",
                         "Assigning_authority=1.2.410.1"})
                  .code,
              0);

    ASSERT_EQ(Cli(data, {"export", "--format", "hl7", "--out", dir.File("r.hl7")}).code, 0);
    Readback hl7 = ReadHl7WithPython(dir.File("r.hl7"));
    ASSERT_EQ(hl7.exitCode, 0) << hl7.errors;
    EXPECT_EQ(hl7.values["messages"], "3") << "the HbA1c list, as csv exports it";
    // Newest first, as the list shows them.
    EXPECT_EQ(hl7.values["m2.patient_id"], kHostileId);
    EXPECT_EQ(hl7.values["m2.patient_id_authority"], "&1.2.410.1&ISO");
    EXPECT_EQ(hl7.values["m2.patient_id_type"], "MR");
    EXPECT_EQ(hl7.values["m2.obx_code.1"], "59261-8");
    EXPECT_EQ(hl7.values["m2.obx_value.1"], "48");
    EXPECT_EQ(hl7.values["m1.obx_code.1"], "59261-8") << "one code for the assay";
    EXPECT_EQ(hl7.values["m1.obx_value.1"], ">=");
    EXPECT_EQ(hl7.values["m1.obx_value.2"], "130");
    EXPECT_EQ(hl7.values["m1.obx_flags"], ">");
    EXPECT_EQ(hl7.values["m2.obx_range"], "26-50");
    // OBR-3 is the result's own ID: a UUID, one per result.
    EXPECT_EQ(hl7.values["m2.obr_filler"].size(), 36u) << hl7.values["m2.obr_filler"];
    EXPECT_NE(hl7.values["m2.obr_filler"], hl7.values["m1.obr_filler"]);
    EXPECT_EQ(hl7.values["m0.sending_facility"], "Ward|7");
    EXPECT_EQ(hl7.values["m0.obx_observer"], kDefaultUserId);

    ASSERT_EQ(
        Cli(data, {"export", "--format", "fhir", "--kind", "glucose", "--out", dir.File("g.json")})
            .code,
        0);
    Readback fhir = ValidateFhir(dir.File("g.json"));
    ASSERT_EQ(fhir.exitCode, 0) << fhir.errors;
    EXPECT_EQ(EntryTypes(fhir.values), std::vector<std::string>{"Observation"});
    EXPECT_EQ(fhir.values["entry.0.resource.code.coding.0.code"], "41653-7");
    EXPECT_EQ(fhir.values["entry.0.resource.valueQuantity.value"], "104");

    ASSERT_EQ(
        Cli(data, {"export", "--format", "fhir", "--weeks", "1", "--out", dir.File("w.json")}).code,
        0);
    Readback week = ValidateFhir(dir.File("w.json"));
    ASSERT_EQ(week.exitCode, 0) << week.errors;
    EXPECT_EQ(EntryTypes(week.values).size(), 6u) << "three patients, three results";

    EXPECT_EQ(Cli(data, {"export", "--format", "pdf", "--out", dir.File("x")}).code, 2);
    EXPECT_EQ(Cli(data, {"list", "--format", "hl7"}).code, 2);
    ASSERT_EQ(Cli(data, {"export", "--out", dir.File("r.csv")}).code, 0);
    EXPECT_EQ(ReadFile(dir.File("r.csv")).substr(0, 4), "\xB9\xF8\xC8\xA3")
        << "csv stays the default";
}

namespace {

std::vector<std::string> FullUrls(const std::string& bundle) {
    static const std::regex fullUrl("\"fullUrl\":\"(urn:uuid:[0-9a-f-]{36})\"");
    std::vector<std::string> urls;
    for (auto it = std::sregex_iterator(bundle.begin(), bundle.end(), fullUrl);
         it != std::sregex_iterator(); ++it) {
        urls.push_back((*it)[1]);
    }
    return urls;
}

} // namespace

// The first FHIR export makes the folder's own namespace; later exports name the same
// results alike, and another clinic's folder with the same results names them otherwise.
TEST(InteropCli, FhirEntryNamesBelongToTheDataFolder) {
    TempDir dir;
    const std::string data = dir.File("data");
    const std::string other = dir.File("other");
    StoreResults(data, kRows);
    StoreResults(other, kRows);
    EXPECT_FALSE(FileExists(data + "/" + kInstallationIdFileName)) << "made only when needed";

    CliRun first = Cli(data, {"export", "--format", "fhir", "--out", dir.File("a.json")});
    ASSERT_EQ(first.code, 0) << first.err;
    struct stat st {};
    ASSERT_EQ(::stat((data + "/" + kInstallationIdFileName).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(Cli(data, {"export", "--format", "fhir", "--out", dir.File("b.json")}).code, 0);
    ASSERT_EQ(Cli(other, {"export", "--format", "fhir", "--out", dir.File("c.json")}).code, 0);

    const std::vector<std::string> a = FullUrls(ReadFile(dir.File("a.json")));
    EXPECT_EQ(a.size(), 6u) << "three patients, three results";
    EXPECT_EQ(FullUrls(ReadFile(dir.File("b.json"))), a);
    for (const std::string& url : FullUrls(ReadFile(dir.File("c.json")))) {
        EXPECT_EQ(std::find(a.begin(), a.end(), url), a.end()) << url;
    }

    // A namespace file that is not a UUID is never replaced: the export fails and says where.
    WriteFile(other + "/" + kInstallationIdFileName, "damaged\n");
    CliRun damaged = Cli(other, {"export", "--format", "fhir", "--out", dir.File("d.json")});
    EXPECT_EQ(damaged.code, 1);
    EXPECT_NE(damaged.err.find(kInstallationIdFileName), std::string::npos) << damaged.err;
    EXPECT_FALSE(FileExists(dir.File("d.json")));
    EXPECT_EQ(Cli(other, {"export", "--format", "hl7", "--out", dir.File("d.hl7")}).code, 1)
        << "HL7 names the patients' assigning authority by the installation too";
}

// The program itself, killed between sending a message and its acknowledgement: the result
// stays pending and goes once more, with the same control ID; the receiver drops nothing.
TEST(InteropCli, SendThroughOutageRefusalAndAKilledSender) {
    TempDir dir;
    const std::string data = dir.File("data");
    StoreResults(data, kRows);
    ASSERT_EQ(Cli(data, {"settings", "set", "Ack_timeout=1"}).code, 0);
    EXPECT_EQ(Cli(data, {"send"}).code, 2) << "no destination anywhere";
    EXPECT_EQ(Cli(data, {"send", "--to", "ftp://lis"}).code, 2);

    std::vector<std::string> ids;
    {
        // A receiver that takes the first message and never answers; the sender is killed
        // while it waits.
        MllpListener silent(dir.Path(), "silent");
        ASSERT_EQ(Cli(data, {"settings", "set", "Ack_timeout=30"}).code, 0);
        ChildProcess sender({QA_CLI_PATH, "--data-dir", data, "send", "--to", silent.url()},
                            dir.File("out1"), dir.File("err1"));
        ASSERT_TRUE(WaitUntil([&] { return silent.Received().size() == 1; }, 20s));
        sender.Kill(SIGKILL);
        EXPECT_EQ(sender.Wait(5s), 128 + SIGKILL);
        silent.Stop();
        ids = silent.Received();
    }
    ASSERT_EQ(Cli(data, {"settings", "set", "Ack_timeout=1"}).code, 0);
    {
        Outbox outbox;
        ASSERT_EQ(Why(outbox.Open(Outbox::PathFor(data, kDefaultUserId))), "");
        // The glucose result has the meter's placeholder for a patient: held, never sent.
        EXPECT_EQ(outbox.Count(DeliveryState::Pending), 3) << "nothing lost, nothing sent";
        EXPECT_EQ(outbox.CountHeldFor(kNoPatientReason), 1);
        EXPECT_EQ(outbox.Count(DeliveryState::Sent), 0);
    }
    {
        MllpListener refusing(dir.Path(), "ae");
        CliRun run = Cli(data, {"send", "--to", refusing.url()});
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.out, "보냄 0, 대기 4\n");
        EXPECT_NE(run.err.find("Patient not registered"), std::string::npos) << run.err;
        refusing.Stop();
    }
    {
        CliRun run = Cli(data, {"send", "--to", "mllp://127.0.0.1:1"});
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.out, "보냄 0, 대기 4\n") << "held ones count as not delivered";
    }
    {
        // Sent again only when asked.
        MllpListener accepting(dir.Path(), "aa");
        CliRun run = Cli(data, {"send", "--to", accepting.url(), "--retry-held"});
        EXPECT_EQ(run.code, 1) << "the result without a patient stays held";
        EXPECT_EQ(run.out, "보냄 3, 대기 1\n");
        EXPECT_NE(run.err.find("환자 없이 보류된 결과: 1건"), std::string::npos) << run.err;
        CliRun again = Cli(data, {"send", "--to", accepting.url()});
        EXPECT_EQ(again.code, 1);
        EXPECT_EQ(again.out, "보냄 0, 대기 1\n");
        accepting.Stop();
        std::vector<std::string> all = accepting.Received();
        // silent: 1, refusing: 3, accepting: 3 — the first message three times, same ID.
        ASSERT_EQ(all.size(), 7u);
        EXPECT_EQ(all[0], ids[0]);
        EXPECT_EQ(all[1], ids[0]) << "the killed send goes again first, with its control ID";
        EXPECT_EQ(all[4], ids[0]);
        std::vector<std::string> last(all.begin() + 4, all.end());
        std::sort(last.begin(), last.end());
        EXPECT_EQ(std::unique(last.begin(), last.end()), last.end()) << "each once when accepted";
    }
}

// send to a FHIR base URL: the same counts and exit codes as over MLLP, the Bundles as
// POSTed valid FHIR R4, a refusal held with the server's reason, nothing sent while the
// server fails, and a server that never answers costs one time-out.
TEST(InteropCli, SendToAFhirServer) {
    TempDir dir;
    const std::string data = dir.File("data");
    std::vector<Row> rows = kRows;
    rows.push_back({"20261208", "0800", "0700", "Q9"});
    StoreResults(data, rows);
    ASSERT_EQ(Cli(data, {"settings", "set", "Ack_timeout=1"}).code, 0);
    for (const char* bad : {"ftp://lis/fhir", "http://lis/fhir?x=1", "https://a@lis/fhir"}) {
        CliRun run = Cli(data, {"send", "--to", bad});
        EXPECT_EQ(run.code, 2) << bad;
        EXPECT_NE(run.err.find("http(s)://HOST/PATH"), std::string::npos) << run.err;
    }
    {
        FhirServer failing(dir.Path(), "error");
        CliRun run = Cli(data, {"send", "--to", failing.url()});
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.out, "보냄 0, 대기 5\n");
        // In the operator's language (Korean here), with the server's own words as they came.
        EXPECT_NE(run.err.find("HTTP 500 (the database is down)"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("FHIR 서버가 결과를 받지 않았습니다"), std::string::npos) << run.err;
        failing.Stop();
    }
    {
        // Never answers: the real program gives up after the one-second time-out.
        FhirServer silent(dir.Path(), "silent", 30);
        const auto start = std::chrono::steady_clock::now();
        ChildProcess sender({QA_CLI_PATH, "--data-dir", data, "send", "--to", silent.url()},
                            dir.File("out1"), dir.File("err1"));
        EXPECT_EQ(sender.Wait(10s), 1);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
        EXPECT_EQ(ReadFile(dir.File("out1")), "보냄 0, 대기 5\n");
        EXPECT_NE(ReadFile(dir.File("err1"))
                      .find("제한 시간 안에 FHIR 서버의 응답이 없었습니다: " + silent.url()),
                  std::string::npos)
            << ReadFile(dir.File("err1"));
        silent.Stop();
    }
    ASSERT_EQ(Cli(data, {"settings", "set", "Ack_timeout=5"}).code, 0);
    {
        FhirServer refusing(dir.Path(), "refuse");
        ASSERT_EQ(Cli(data, {"settings", "set", "Destination=" + refusing.url()}).code, 0);
        CliRun run = Cli(data, {"send"});
        EXPECT_EQ(run.code, 1);
        // The Q9 result refused, the glucose result held for want of a patient.
        EXPECT_EQ(run.out, "보냄 3, 대기 2\n");
        EXPECT_NE(run.err.find("Observation code not accepted by this server"), std::string::npos)
            << run.err;
        CliRun again = Cli(data, {"send"});
        EXPECT_EQ(again.out, "보냄 0, 대기 2\n") << "held until asked";
        EXPECT_EQ(again.code, 1);
        refusing.Stop();
    }
    {
        FhirServer accepting(dir.Path(), "created");
        ASSERT_EQ(Cli(data, {"settings", "set", "lang=1"}).code, 0);
        CliRun run = Cli(data, {"send", "--to", accepting.url(), "--retry-held"});
        EXPECT_EQ(run.code, 1) << run.err;
        EXPECT_EQ(run.out, "sent 1, pending 1\n");
        EXPECT_NE(run.err.find("held without a patient: 1"), std::string::npos) << run.err;
        accepting.Stop();
        std::vector<FhirServer::Post> posts = accepting.Posts();
        ASSERT_EQ(posts.size(), 3u) << "the failed one, the refusing one, the last";
        std::vector<std::string> files;
        for (const FhirServer::Post& post : posts) {
            files.push_back(post.file);
        }
        std::vector<Readback> valid = ValidateFhir(files);
        for (std::size_t i = 0; i < valid.size(); ++i) {
            EXPECT_EQ(valid[i].exitCode, 0) << files[i] << valid[i].errors;
        }
        // The refused result alone went again: its Patient, its Observation.
        EXPECT_EQ(EntryTypes(valid[2].values),
                  (std::vector<std::string>{"Patient", "Observation"}));
        EXPECT_EQ(valid[2].values["entry.0.resource.identifier.0.value"], "Q9");
        std::vector<std::string> patients;
        const std::vector<std::string> types = EntryTypes(valid[1].values);
        for (std::size_t i = 0; i < types.size(); ++i) {
            if (types[i] == "Patient") {
                patients.push_back(
                    valid[1].values["entry." + std::to_string(i) + ".resource.identifier.0.value"]);
            }
        }
        std::sort(patients.begin(), patients.end());
        EXPECT_EQ(patients, (std::vector<std::string>{"P2", "P3", "Q9", kHostileId}))
            << "the hostile ID reads back intact";
    }
}

// What the laboratory system learns of the command line's modify, delete and put-back of a
// sent result: a correction of the patient's name, a wrong-patient posting followed by the
// result under its new patient, a withdrawal, the result again once put back; a memo is
// nothing it holds. send says which of its messages were which.
TEST(InteropCli, ModifyDeleteAndUndeleteReachTheLaboratorySystem) {
    TempDir dir;
    const std::string data = dir.File("data");
    StoreResults(data, kRows);
    ASSERT_EQ(Cli(data, {"settings", "set", "Ack_timeout=5"}).code, 0);
    MllpListener lis(dir.Path(), "aa");
    ASSERT_EQ(Cli(data, {"send", "--to", lis.url()}).out, "보냄 3, 대기 1\n");
    // Result IDs by the patient ID ending each line of list --ids.
    std::map<std::string, std::string> idOf;
    {
        CliRun listed = Cli(data, {"list", "--ids"});
        ASSERT_EQ(listed.code, 0) << listed.err;
        std::istringstream lines(listed.out);
        std::string line;
        std::getline(lines, line);
        while (std::getline(lines, line)) {
            while (!line.empty() && (line.back() == '\r' || line.back() == ',')) {
                line.pop_back();
            }
            const std::string pid = line.substr(line.rfind(',') + 1);
            idOf[pid == "P2" || pid == "P3" ? pid : "hostile"] = line.substr(0, line.find(','));
        }
    }
    ASSERT_EQ(idOf.size(), 3u) << Cli(data, {"list", "--ids"}).out;
    const auto last = [&](std::size_t count) {
        std::vector<std::string> lines = lis.Lines();
        return std::vector<std::string>(lines.end() - static_cast<std::ptrdiff_t>(count),
                                        lines.end());
    };

    ASSERT_EQ(Cli(data, {"modify", idOf["P2"], "Name=홍길동"}).code, 0);
    CliRun corrected = Cli(data, {"send", "--to", lis.url()});
    EXPECT_EQ(corrected.out, "보냄 1, 대기 1\n수정: 보냄 1, 대기 0\n") << corrected.err;
    EXPECT_NE(last(1)[0].find("\"patient_name\": \"홍길동\""), std::string::npos) << last(1)[0];
    EXPECT_NE(last(1)[0].find("\"obx_status\": \"C\""), std::string::npos) << last(1)[0];

    ASSERT_EQ(Cli(data, {"modify", idOf["P2"], "Memo=seen by Dr Lee"}).code, 0);
    EXPECT_EQ(Cli(data, {"send", "--to", lis.url()}).out, "보냄 0, 대기 1\n");

    ASSERT_EQ(Cli(data, {"modify", idOf["P3"], "PID=P9"}).code, 0);
    CliRun moved = Cli(data, {"send", "--to", lis.url()});
    EXPECT_EQ(moved.out, "보냄 2, 대기 1\n환자 오류 통보: 보냄 1, 대기 0\n다시 보내는 결과(새 환자 "
                         "또는 되살림): 보냄 1, 대기 0\n")
        << moved.err;
    const std::vector<std::string> move = last(2);
    EXPECT_NE(move[0].find("\"patient_id\": \"P3\""), std::string::npos) << move[0];
    EXPECT_NE(move[0].find("\"obx_status\": \"W\""), std::string::npos) << move[0];
    EXPECT_NE(move[1].find("\"patient_id\": \"P9\""), std::string::npos) << move[1];
    EXPECT_NE(move[1].find("\"obx_status\": \"F\""), std::string::npos) << move[1];

    ASSERT_EQ(Cli(data, {"delete", idOf["hostile"]}).code, 0);
    CliRun withdrawn = Cli(data, {"send", "--to", lis.url()});
    EXPECT_EQ(withdrawn.out, "보냄 1, 대기 1\n삭제 통보: 보냄 1, 대기 0\n") << withdrawn.err;
    EXPECT_NE(last(1)[0].find("\"obx_status\": \"D\""), std::string::npos) << last(1)[0];
    EXPECT_NE(last(1)[0].find("\"filler\": \"" + idOf["hostile"] + "\""), std::string::npos)
        << last(1)[0];

    ASSERT_EQ(Cli(data, {"audit", "undelete", idOf["hostile"]}).code, 0);
    ASSERT_EQ(Cli(data, {"settings", "set", "lang=1"}).code, 0);
    CliRun back = Cli(data, {"send", "--to", lis.url()});
    EXPECT_EQ(back.out, "sent 1, pending 1\nresults sent again (new patient or put back): sent 1, "
                        "pending 0\n")
        << back.err;
    EXPECT_NE(last(1)[0].find("\"obx_status\": \"F\""), std::string::npos) << last(1)[0];
    lis.Stop();
    std::set<std::string> ids;
    for (const std::string& id : lis.Received()) {
        EXPECT_TRUE(ids.insert(id).second) << "each message under its own control ID: " << id;
    }
    EXPECT_EQ(ids.size(), 8u);
}

// A glucose result with the meter's placeholder is held; given a patient by its ID, it goes
// at the next send under that patient, and the release is in the audit log. Another field
// than the patient ID of a glucose result is refused.
TEST(InteropCli, AGlucoseResultGivenAPatientIsReleasedAndAudited) {
    TempDir dir;
    const std::string data = dir.File("data");
    StoreResults(data, {kRows[1]});
    MllpListener accepting(dir.Path(), "aa");
    CliRun first = Cli(data, {"send", "--to", accepting.url()});
    EXPECT_EQ(first.code, 1);
    EXPECT_EQ(first.out, "보냄 1, 대기 1\n");

    CliRun listed = Cli(data, {"list", "--ids", "--kind", "glucose"});
    ASSERT_EQ(listed.code, 0) << listed.err;
    std::istringstream lines(listed.out);
    std::string line;
    std::getline(lines, line); // the heading
    ASSERT_TRUE(std::getline(lines, line)) << listed.out;
    const std::string id = line.substr(0, line.find(','));
    EXPECT_EQ(Cli(data, {"modify", id, "memo=x"}).code, 1);
    ASSERT_EQ(Cli(data, {"modify", id, "PID=G-42"}).code, 0);

    CliRun second = Cli(data, {"send", "--to", accepting.url()});
    EXPECT_EQ(second.code, 0) << second.err;
    EXPECT_EQ(second.out, "보냄 1, 대기 0\n");
    EXPECT_NE(second.err.find("환자를 지정해 보류에서 풀린 결과: 1건"), std::string::npos)
        << second.err;
    EXPECT_EQ(Cli(data, {"send", "--to", accepting.url()}).out, "보냄 0, 대기 0\n")
        << "released once";
    accepting.Stop();
    const std::vector<std::string> received = accepting.Lines();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_NE(received[1].find("\"patient_id\": \"G-42\""), std::string::npos) << received[1];
    const std::string audit = Cli(data, {"audit"}).out;
    const std::size_t release = audit.find("\trelease\tG-42\t");
    ASSERT_NE(release, std::string::npos) << audit;
    EXPECT_NE(audit.find("result ID " + id, release), std::string::npos) << audit;
    EXPECT_EQ(audit.find("\trelease\t", release + 1), std::string::npos) << "one entry";
}
