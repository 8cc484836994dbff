// 1,000 pending results POSTed to a FHIR server on the loopback interface that answers each
// transaction Bundle at once, in Bundles of a hundred, against a Bundle per result.
#include "bench_data.h"
#include "budget.h"
#include "clinic_data.h"
#include "i18n/message_catalogue.h"
#include "interop/delivery.h"
#include "interop/qt/fhir_sender.h"

#include "loopback_server.h"

#include <benchmark/benchmark.h>

using namespace qa;
using namespace qa::interop;
using namespace qa::bench;

namespace {

constexpr int kFhirSendCount = 1'000;

// Answers every POST with a transaction-response of one "201 Created" per entry sent.
std::string AnswerPosts(std::string& received) {
    std::string replies;
    for (;;) {
        const std::size_t head = received.find("\r\n\r\n");
        if (head == std::string::npos) {
            return replies;
        }
        const std::size_t at = received.find("Content-Length:");
        const std::size_t length = at < head ? std::stoul(received.substr(at + 15)) : 0;
        if (received.size() < head + 4 + length) {
            return replies;
        }
        const std::string body = received.substr(head + 4, length);
        received.erase(0, head + 4 + length);
        std::string answer = R"({"resourceType":"Bundle","type":"transaction-response",)"
                             R"("entry":[)";
        bool first = true;
        for (std::size_t p = 0; (p = body.find("\"request\":{", p)) != std::string::npos; ++p) {
            answer += first ? "" : ",";
            answer += R"({"response":{"status":"201 Created"}})";
            first = false;
        }
        answer += "]}";
        replies += "HTTP/1.1 200 OK\r\nContent-Type: application/fhir+json\r\nContent-Length: " +
                   std::to_string(answer.size()) + "\r\n\r\n" + answer;
    }
}

void SendFhir(benchmark::State& state, std::size_t batchSize) {
    LoopbackServer server(AnswerPosts);
    const std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/fhir";
    MessageContext context;
    context.operatorId = "bench";
    context.composed = {2026, 12, 8, 9, 0, 0};
    std::vector<StoredResult> results;
    for (const ClinicRecord& record : NewClinicRecords(kFhirSendCount, 5)) {
        results.push_back({ResultKind::HbA1c, record.date, record.time, record.value, record.pid,
                           "", "", "", "", ""});
    }
    int round = 0;
    for (auto _ : state) {
        // Only the sending is timed: the queue is filled before the clock starts.
        Outbox outbox;
        if (!outbox.Open(ScratchFolder() + "/fhir_send_" + std::to_string(batchSize) + "_" +
                         std::to_string(round++) + kOutboxFileSuffix) ||
            !QueueResults(outbox, results, context)) {
            state.SkipWithError("the outbox cannot be filled");
            break;
        }
        auto start = std::chrono::steady_clock::now();
        FhirSender sender(url, std::chrono::seconds(5));
        DeliverySummary summary = SendPendingFhir(outbox, sender, context, {}, nullptr, batchSize);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (summary.sent != kFhirSendCount) {
            state.SkipWithError(
                ("sent " + std::to_string(summary.sent) + ": " +
                 (summary.status ? std::string() : SourceText(summary.status.error())))
                    .c_str());
            break;
        }
    }
}

void FhirSend1000(benchmark::State& state) {
    SendFhir(state, kFhirBatchSize);
}
BENCHMARK(FhirSend1000)
    ->Name("Interop/FhirSend1000")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

void FhirSend1000PerResult(benchmark::State& state) {
    SendFhir(state, 1);
}
BENCHMARK(FhirSend1000PerResult)
    ->Name("Interop/FhirSend1000PerResult")
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

// As long as over MLLP: a FHIR link is no reason to wait longer. The floor is the same code
// with a Bundle of one result: what batching buys is the ratio below one.
const bool kBudgets =
    AddBudget({"send 1,000 pending results to a FHIR server (loopback)", "Interop/FhirSend1000",
               "Interop/FhirSend1000PerResult", 2000, "the same code with a batch of one"});

} // namespace
