// A whole paced download from the simulated meter, against the least time the exchange can
// take: its fixed pauses plus every byte at 960 bytes a second.
#include "bench_data.h"
#include "budget.h"
#include "clinic_data.h"
#include "device/qt/headless_download.h"
#include "store/users.h"

#include <benchmark/benchmark.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace qa;

namespace {

class SilentPrompter : public Prompter {
public:
    bool Confirm(const qa::Message&, const qa::Message&) override { return true; }
    void Inform(const qa::Message&, const qa::Message&, Severity) override {}
};

// The simulated meter in a child process, on a pseudo-terminal linked at `link`.
class Meter {
public:
    Meter(const std::string& link, int records) {
        pipe(fds_);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds_[1], STDOUT_FILENO);
            std::string count = std::to_string(records);
            execl(QA_METER_SIM_PATH, QA_METER_SIM_PATH, "--link", link.c_str(), "--pace", "--hba1c",
                  count.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds_[1]);
        char c;
        while (read(fds_[0], &c, 1) == 1 && c != '\n') {
        }
    }
    ~Meter() {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        close(fds_[0]);
    }

private:
    int fds_[2]{};
    pid_t pid_ = -1;
};

// Settle 800 ms, 300 ms after E, five mode-sequence ticks, 50 ms before the import, and the
// importer's two 300 ms pauses; the version reply (10 bytes) and the records reply.
double MinimumMs(int records) {
    double fixed = 800 + 300 + 5 * 1000 + 50 + 300 + 300;
    double bytes = 10 + 7 + 30.0 * records;
    return fixed + bytes / 960.0 * 1000.0;
}

void PacedDownload(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    const int stored = state.range(1) > 0 ? static_cast<int>(state.range(1)) : 0;
    std::string folder = std::filesystem::temp_directory_path() / "qa-bench-download";
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        SilentPrompter prompter;
        UserStore users(folder, prompter);
        bench::Require(users.Reload(), "Reload");
        if (stored > 0) {
            // Into a clinic's main file: every duplicate test runs against its rows.
            users.CloseTables();
            std::filesystem::copy_file(bench::ClinicHbA1cFile(stored),
                                       users.FilesOf(users.ActiveUserId()).hba1cMain,
                                       std::filesystem::copy_options::overwrite_existing);
            bench::Require(users.Reload(), "Reload");
        }
        std::string link = folder + "/meter";
        Meter meter(link, records);
        SteadyClock clock;
        HeadlessDownload download(users, clock, prompter, nullptr);
        state.ResumeTiming();
        auto result = download.Run(link, link, ResultKind::HbA1c, false, 120'000);
        if (result.imported != records) {
            state.SkipWithError("download did not import every record");
            break;
        }
    }
    std::filesystem::remove_all(folder);
    state.counters["minimum_ms"] = MinimumMs(records);
}
BENCHMARK(PacedDownload)
    ->Name("Download/Paced100")
    ->Args({100, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(PacedDownload)
    ->Name("Download/Paced999")
    ->Args({999, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(PacedDownload)
    ->Name("Download/Paced999Into1M")
    ->Args({999, 1'000'000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

// The floor is the least time the exchange can take (minimum_ms of the same run).
const char* const kWire = "the wire and protocol time";

const bool kBudgets =
    bench::AddBudget({"paced download of 100 records", "Download/Paced100", "",
                      MinimumMs(100) * 1.02, kWire, "minimum_ms"}) &&
    bench::AddBudget({"paced download of 999 records", "Download/Paced999", "",
                      MinimumMs(999) * 1.02, kWire, "minimum_ms"}) &&
    bench::AddBudget({"paced download of 999 records into 1M stored rows",
                      "Download/Paced999Into1M", "", MinimumMs(999) * 1.02, kWire, "minimum_ms"});

} // namespace
