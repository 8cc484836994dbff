// Results to the laboratory system: HL7 and FHIR files of a clinic's 100,000 stored results
// (read from the table, coded, written), against the sqlite3 shell reading the rows the
// messages carry (Scale/Sqlite3Rows); and 1,000 pending results sent over MLLP to a loopback
// receiver that acknowledges at once, against the wire time: the same framed messages and
// their acknowledgements over one connection, nothing stored. The straightforward patterns (a
// stream per message flushed to the file, a connection and autocommit per send) are kept as
// naive lines.
#include "bench_data.h"
#include "budget.h"
#include "clinic_data.h"
#include "i18n/message_catalogue.h"
#include "interop/delivery.h"
#include "interop/fhir_bundle.h"
#include "interop/hl7_message.h"
#include "loopback_server.h"
#include "store/profile_file.h"

#include <sqlite3.h>

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

using namespace qa;
using namespace qa::interop;
using namespace qa::bench;

namespace {

constexpr int kExportRows = 100'000;
constexpr int kSendCount = 1'000;

const std::string& ClinicFile() {
    static const std::string path = ClinicWorkingCopy(kExportRows);
    return path;
}

MessageContext Context() {
    MessageContext context;
    context.operatorId = "nurse";
    context.link.sendingFacility = "Ward 3";
    context.link.receivingApplication = "LIS";
    context.composed = LocalNow();
    return context;
}

// The benchmark's own generated file: a table that does not open is a broken set-up. Opened
// as the command line opens it, for one thread.
void OpenClinic(HbA1cTable& table) {
    table.SetSingleThread(true);
    if (!table.SetTableName(kMainTableName) || !table.Open(ClinicFile())) {
        std::abort();
    }
}

std::vector<StoredResult> LoadClinic(HbA1cTable& table, const SettingsStore&) {
    std::vector<StoredResult> results;
    if (!ReadStoredResults(table, results)) {
        std::abort();
    }
    return results;
}

// The file written as the command line writes it: one walk of the table in list order,
// each message made and written in blocks as its row is read.
bool StreamExport(HbA1cTable& table, const MessageContext& context, const std::string& path,
                  bool hl7) {
    table.sort = table.StandardSort();
    table.filter.Clear();
    std::size_t count = 0;
    const ResultWalk walk = [&](const ResultEach& each, ResultParts parts) {
        count = 0;
        return ForEachListedResult(
                   table,
                   [&](const StoredResult& result) {
                       ++count;
                       return each(result);
                   },
                   parts)
            .ok();
    };
    AtomicFileWriter file(path);
    const TextSink sink = [&file](std::string_view block) { return file.Write(block).ok(); };
    if (!file.Open()) {
        return false;
    }
    file.WriteInBackground();
    return (hl7 ? WriteHl7Batch(walk, context, sink) : WriteFhirBundle(walk, context, sink)).ok() &&
           file.Commit() && count == kExportRows;
}

// Each round writes a file as new. Replacing the last round's file would add its deletion,
// ~90 ms for 130 MB on a disk mounted with online discard: the file system's cost of a delete,
// which an export to a new name never pays.
void RemoveLastRound(benchmark::State& state, const std::string& path) {
    state.PauseTiming();
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    state.ResumeTiming();
}

void ExportHl7(benchmark::State& state) {
    HbA1cTable table;
    OpenClinic(table);
    const MessageContext context = Context();
    const std::string path = ScratchFolder() + "/export.hl7";
    for (auto _ : state) {
        RemoveLastRound(state, path);
        if (!StreamExport(table, context, path, true)) {
            state.SkipWithError("export failed");
        }
    }
}
BENCHMARK(ExportHl7)->Name("Interop/Hl7Export100k")->Unit(benchmark::kMillisecond)->UseRealTime();

// Straightforward: every segment built in a string stream, each message flushed on its own.
void ExportHl7Stream(benchmark::State& state) {
    HbA1cTable table;
    OpenClinic(table);
    const MessageContext context = Context();
    const std::string path = ScratchFolder() + "/export_literal.hl7";
    for (auto _ : state) {
        RemoveLastRound(state, path);
        std::vector<StoredResult> results = LoadClinic(table, context.display);
        std::ofstream file(path, std::ios::binary);
        for (const StoredResult& result : results) {
            std::ostringstream message;
            CodedValue coded = CodeValue(result.kind, result.value, context.display);
            message << "MSH|^~\\&|" << Hl7Escape(context.link.sendingApplication) << "|"
                    << Hl7Escape(context.link.sendingFacility) << "|||"
                    << Hl7Time(context.composed, context.utcOffset) << "||ORU^R01^ORU_R01|"
                    << ControlId(context.operatorId, result) << "|P|2.5.1\r";
            message << "PID|1||" << Hl7Escape(result.patientId) << "^^^^PI||"
                    << Hl7Escape(result.patientName) << "\r";
            message << "OBR|1||" << ControlId(context.operatorId, result) << "|" << coded.loinc
                    << "^^LN\r";
            message << "OBX|1|NM|" << coded.loinc << "^^LN||" << coded.number << "|" << coded.ucum
                    << "\r";
            file << message.str() << std::flush;
        }
    }
}
BENCHMARK(ExportHl7Stream)
    ->Name("Interop/Hl7Export100kStream")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

void ExportFhir(benchmark::State& state) {
    HbA1cTable table;
    OpenClinic(table);
    const MessageContext context = Context();
    const std::string path = ScratchFolder() + "/export.json";
    for (auto _ : state) {
        RemoveLastRound(state, path);
        if (!StreamExport(table, context, path, false)) {
            state.SkipWithError("export failed");
        }
    }
}
BENCHMARK(ExportFhir)->Name("Interop/FhirExport100k")->Unit(benchmark::kMillisecond)->UseRealTime();

// Straightforward: one bundle per result written and flushed as its own small document.
void ExportFhirPerResult(benchmark::State& state) {
    HbA1cTable table;
    OpenClinic(table);
    const MessageContext context = Context();
    const std::string path = ScratchFolder() + "/export_literal.json";
    for (auto _ : state) {
        RemoveLastRound(state, path);
        std::vector<StoredResult> results = LoadClinic(table, context.display);
        std::ofstream file(path, std::ios::binary);
        for (const StoredResult& result : results) {
            file << ComposeFhirBundle({result}, context) << std::flush;
        }
    }
}
BENCHMARK(ExportFhirPerResult)
    ->Name("Interop/FhirExport100kPerResult")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

// Acknowledges every MLLP-framed message at once.
std::string AcknowledgeMessages(std::string& received) {
    std::string acks;
    std::size_t end;
    while ((end = received.find('\x1c')) != std::string::npos) {
        std::string message = received.substr(1, end - 1);
        received.erase(0, end + 2);
        // MSH-10 is the tenth field.
        std::size_t at = 0;
        for (int bar = 0; bar < 9 && at != std::string::npos; ++bar) {
            at = message.find('|', at + 1);
        }
        std::string id = message.substr(at + 1, message.find('|', at + 1) - at - 1);
        acks += "\x0bMSH|^~\\&|LIS||QuorinA1c||20261208||ACK^R01^ACK|A" + id + "|P|2.5.1\rMSA|AA|" +
                id + "\r\x1c\r";
    }
    return acks;
}

std::vector<StoredResult> SendResults() {
    std::vector<StoredResult> results;
    for (const ClinicRecord& record : NewClinicRecords(kSendCount, 4)) {
        results.push_back({ResultKind::HbA1c, record.date, record.time, record.value, record.pid,
                           "", "", "", "", ""});
    }
    return results;
}

void SendPending1000(benchmark::State& state) {
    LoopbackServer server(AcknowledgeMessages);
    const MessageContext context = Context();
    const std::vector<StoredResult> results = SendResults();
    int round = 0;
    for (auto _ : state) {
        // Only the sending is timed: the queue is filled before the clock starts.
        Outbox outbox;
        if (!outbox.Open(ScratchFolder() + "/send_" + std::to_string(round++) +
                         kOutboxFileSuffix) ||
            !QueueResults(outbox, results, context)) {
            state.SkipWithError("the outbox cannot be filled");
            break;
        }
        auto start = std::chrono::steady_clock::now();
        MllpSender sender({"127.0.0.1", server.port()}, std::chrono::seconds(5));
        DeliverySummary summary = SendPending(outbox, sender);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (summary.sent != kSendCount) {
            state.SkipWithError(
                ("sent " + std::to_string(summary.sent) + ": " +
                 (summary.status ? std::string() : SourceText(summary.status.error())))
                    .c_str());
            break;
        }
    }
}
BENCHMARK(SendPending1000)
    ->Name("Interop/Send1000")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

// The wire time: the same messages framed and sent over one connection, each waiting for its
// acknowledgement, with nothing queued, composed or recorded on the way.
void SendWire(benchmark::State& state) {
    LoopbackServer server(AcknowledgeMessages);
    const MessageContext context = Context();
    std::vector<std::string> frames;
    for (const StoredResult& result : SendResults()) {
        frames.push_back("\x0b" + ComposeOruR01(result, context) + "\x1c\r");
    }
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<std::uint16_t>(server.port()));
        if (::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(socket);
            state.SkipWithError("no connection to the loopback receiver");
            break;
        }
        int acknowledged = 0;
        std::string received;
        char chunk[4096];
        for (const std::string& frame : frames) {
            if (::send(socket, frame.data(), frame.size(), MSG_NOSIGNAL) !=
                static_cast<ssize_t>(frame.size())) {
                break;
            }
            std::size_t end = std::string::npos;
            while ((end = received.find("\x1c\r")) == std::string::npos) {
                const ssize_t n = ::recv(socket, chunk, sizeof chunk, 0);
                if (n <= 0) {
                    break;
                }
                received.append(chunk, static_cast<std::size_t>(n));
            }
            if (end == std::string::npos) {
                break;
            }
            received.erase(0, end + 2);
            ++acknowledged;
        }
        ::close(socket);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (acknowledged != kSendCount) {
            state.SkipWithError("not every message was acknowledged");
            break;
        }
    }
}
BENCHMARK(SendWire)
    ->Name("Interop/Send1000Wire")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

// Straightforward: a connection per message, and each state change its own fsync'd
// rollback-journal commit.
void SendPendingPerConnection(benchmark::State& state) {
    LoopbackServer server(AcknowledgeMessages);
    const MessageContext context = Context();
    const std::vector<StoredResult> results = SendResults();
    int round = 0;
    for (auto _ : state) {
        std::string path = ScratchFolder() + "/literal_" + std::to_string(round++) + ".sqlite";
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        sqlite3_exec(db,
                     "PRAGMA synchronous=FULL; CREATE TABLE outbox(id TEXT PRIMARY KEY, "
                     "message TEXT, state INT)",
                     nullptr, nullptr, nullptr);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        for (const StoredResult& result : results) {
            std::string sql = "INSERT INTO outbox VALUES('" + ControlId("nurse", result) + "', '" +
                              ComposeOruR01(result, context) + "', 0)";
            sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
        }
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        auto start = std::chrono::steady_clock::now();
        for (const StoredResult& result : results) {
            MllpSender sender({"127.0.0.1", server.port()}, std::chrono::seconds(5));
            std::string id = ControlId("nurse", result);
            if (sender.Send(ComposeOruR01(result, context), id).outcome !=
                MllpSender::Outcome::Accepted) {
                state.SkipWithError("not accepted");
                break;
            }
            std::string sql = "UPDATE outbox SET state = 1 WHERE id = '" + id + "'";
            sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
        }
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        sqlite3_close(db);
    }
}
BENCHMARK(SendPendingPerConnection)
    ->Name("Interop/Send1000PerConnection")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

const char* const kRowsFloor = "the sqlite3 shell reading the rows the messages carry";

const bool kBudgets =
    AddBudget({"HL7 export of 100,000 results", "Interop/Hl7Export100k", "Scale/Sqlite3Rows/100000",
               1000, kRowsFloor}) &&
    AddBudget({"FHIR export of 100,000 results", "Interop/FhirExport100k",
               "Scale/Sqlite3Rows/100000", 1000, kRowsFloor}) &&
    AddBudget({"send 1,000 pending results over MLLP (loopback, immediate ACK)", "Interop/Send1000",
               "Interop/Send1000Wire", 2000, "the wire time (same frames, one connection)"}) &&
    AddNaive({"HL7 export of 100,000 results, a stream flushed per message",
              "Interop/Hl7Export100kStream"}) &&
    AddNaive({"FHIR export of 100,000 results, a Bundle flushed per result",
              "Interop/FhirExport100kPerResult"}) &&
    AddNaive({"send 1,000 pending results, a connection and a synced commit per message",
              "Interop/Send1000PerConnection"});

} // namespace
