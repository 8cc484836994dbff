// 1,000 pending results POSTed to a FHIR server on the loopback interface that answers each
// transaction Bundle at once, in Bundles of a hundred, against a Bundle per result.
#include "bench_data.h"
#include "budget.h"
#include "interop/delivery.h"
#include "interop/qt/fhir_sender.h"

#include <arpa/inet.h>
#include <atomic>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace qa;
using namespace qa::interop;
using namespace qa::bench;

namespace {

constexpr int kFhirSendCount = 1'000;

// Answers every POST with a transaction-response of one "201 Created" per entry sent.
class FhirResponder {
public:
    FhirResponder() {
        listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int on = 1;
        ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        ::listen(listen_, 16);
        thread_ = std::thread([this] { Serve(); });
    }
    ~FhirResponder() {
        stop_ = true;
        ::shutdown(listen_, SHUT_RDWR);
        ::close(listen_);
        thread_.join();
    }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/fhir"; }

private:
    void Serve() {
        while (!stop_) {
            int client = ::accept(listen_, nullptr, nullptr);
            if (client < 0) {
                return;
            }
            std::string buffer;
            char chunk[65536];
            for (ssize_t n; (n = ::recv(client, chunk, sizeof chunk, 0)) > 0;) {
                buffer.append(chunk, static_cast<std::size_t>(n));
                std::size_t head = buffer.find("\r\n\r\n");
                if (head == std::string::npos) {
                    continue;
                }
                std::size_t at = buffer.find("Content-Length:");
                std::size_t length = at < head ? std::stoul(buffer.substr(at + 15)) : 0;
                if (buffer.size() < head + 4 + length) {
                    continue;
                }
                const std::string body = buffer.substr(head + 4, length);
                buffer.erase(0, head + 4 + length);
                std::string answer = R"({"resourceType":"Bundle","type":"transaction-response",)"
                                     R"("entry":[)";
                bool first = true;
                for (std::size_t p = 0; (p = body.find("\"request\":{", p)) != std::string::npos;
                     ++p) {
                    answer += first ? "" : ",";
                    answer += R"({"response":{"status":"201 Created"}})";
                    first = false;
                }
                answer += "]}";
                const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: application/fhir+json"
                                          "\r\nContent-Length: " +
                                          std::to_string(answer.size()) + "\r\n\r\n" + answer;
                ::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
            }
            ::close(client);
        }
    }

    int listen_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

void SendFhir(benchmark::State& state, std::size_t batchSize) {
    FhirResponder server;
    MessageContext context;
    context.operatorId = "bench";
    context.composed = {2026, 12, 8, 9, 0, 0};
    std::vector<StoredResult> results;
    for (int i = 0; i < kFhirSendCount; ++i) {
        char date[16], time[8], value[8];
        SyntheticResult(i, date, time, value);
        results.push_back(
            {ResultKind::HbA1c, date, time, value, "P" + std::to_string(i % 300), "", "", ""});
    }
    int round = 0;
    for (auto _ : state) {
        // Only the sending is timed: the queue is filled before the clock starts.
        Outbox outbox;
        std::string error;
        outbox.Open(ScratchFolder() + "/fhir_send_" + std::to_string(batchSize) + "_" +
                        std::to_string(round++) + kOutboxFileSuffix,
                    error);
        QueueResults(outbox, results, context);
        auto start = std::chrono::steady_clock::now();
        FhirSender sender(server.url(), std::chrono::seconds(5));
        DeliverySummary summary = SendPendingFhir(outbox, sender, context, {}, nullptr, batchSize);
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (summary.sent != kFhirSendCount) {
            state.SkipWithError(
                ("sent " + std::to_string(summary.sent) + ": " + summary.problem).c_str());
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

// As long as over MLLP: a FHIR link is no reason to wait longer.
const bool kBudgets = AddBudget({"send 1,000 pending results to a FHIR server (loopback)",
                                 "Interop/FhirSend1000", "Interop/FhirSend1000PerResult", 2000});

} // namespace
