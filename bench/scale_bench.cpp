// The list, export and report of the command line and the all-data page, each on clinic-like
// data of 10k, 100k and 1M rows: time, peak memory of the real process, the growth between
// sizes, and the sqlite3 shell reading the same columns in the same order as the baseline.
#include "budget.h"
#include "clinic_data.h"

#include "bench_data.h"
#include "store/prompter.h"
#include "store/users.h"
#include "views/all_data_page.h"
#include "views/data_list_view.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSettings>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

static void InitScaleResources() {
    Q_INIT_RESOURCE(resources);
}

using namespace qa;
using namespace qa::bench;

namespace {

struct ProcessRun {
    double seconds = 0;
    double peakMiB = 0;
    int status = -1;
};

// Runs a program with its output to `outPath`, timing it. Its peak resident size comes from a
// small launcher: a child forked straight from this process would report this process's size.
ProcessRun RunProcess(const std::vector<std::string>& args, const std::string& outPath) {
    const std::string resultPath = outPath + ".peak";
    std::vector<char*> argv = {const_cast<char*>(QA_PEAK_RUN_PATH),
                               const_cast<char*>(resultPath.c_str()),
                               const_cast<char*>(outPath.c_str())};
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    ProcessRun run;
    int launcherStatus = -1;
    waitpid(pid, &launcherStatus, 0);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    long peakKiB = 0;
    if (WIFEXITED(launcherStatus) && WEXITSTATUS(launcherStatus) == 0) {
        if (std::FILE* result = std::fopen(resultPath.c_str(), "r")) {
            if (std::fscanf(result, "%ld %d", &peakKiB, &run.status) != 2) {
                run.status = -1;
            }
            std::fclose(result);
        }
    }
    run.peakMiB = static_cast<double>(peakKiB) / 1024.0;
    return run;
}

std::string SqliteShell() {
    for (const char* path : {"/usr/bin/sqlite3", "/usr/local/bin/sqlite3"}) {
        if (access(path, X_OK) == 0) {
            return path;
        }
    }
    return {};
}

void RunTimed(benchmark::State& state, const std::vector<std::string>& args,
              const std::string& outPath) {
    double peak = 0;
    // Every round writes its files as new, the shell's as ours: replacing the last round's
    // would add their deletion, the file system's cost of a delete (~90 ms per 130 MB on a
    // disk mounted with online discard), which an export to a new name never pays.
    std::vector<std::string> outputs = {outPath};
    for (std::size_t i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "--out") {
            outputs.push_back(args[i + 1]);
        }
    }
    for (auto _ : state) {
        for (const std::string& output : outputs) {
            std::error_code ignored;
            std::filesystem::remove(output, ignored);
        }
        ProcessRun run = RunProcess(args, outPath);
        if (!WIFEXITED(run.status) || WEXITSTATUS(run.status) != 0) {
            state.SkipWithError(
                ("failed: " + args[0] + " " + args[args.size() > 3 ? 3 : 1]).c_str());
            break;
        }
        state.SetIterationTime(run.seconds);
        peak = std::max(peak, run.peakMiB);
    }
    state.counters["peak_MiB"] = peak;
    std::error_code ignored;
    state.counters["out_MiB"] =
        static_cast<double>(std::filesystem::file_size(outPath, ignored)) / (1 << 20);
}

std::string OutFile(const char* what) {
    return ScratchFolder() + "/scale-" + what + ".out";
}

void CliCommand(benchmark::State& state, const char* command, const char* format = "csv") {
    const int rows = static_cast<int>(state.range(0));
    const std::string folder = ClinicDataFolder(rows);
    std::vector<std::string> args = {QA_CLI_PATH, "--data-dir", folder, command};
    std::string out = OutFile(command);
    if (std::string(command) != "list") {
        const std::string file =
            out + "." + (std::string(command) == "report" ? std::string("pdf") : format);
        args.push_back("--out");
        args.push_back(file);
        if (std::string(format) != "csv") {
            args.push_back("--format");
            args.push_back(format);
        }
        RunTimed(state, args, out);
        std::error_code ignored;
        state.counters["out_MiB"] =
            static_cast<double>(std::filesystem::file_size(file, ignored)) / (1 << 20);
        return;
    }
    RunTimed(state, args, out);
}

void CliList(benchmark::State& state) {
    CliCommand(state, "list");
}
void CliExport(benchmark::State& state) {
    CliCommand(state, "export");
}
void CliReport(benchmark::State& state) {
    CliCommand(state, "report");
}
void CliHl7(benchmark::State& state) {
    CliCommand(state, "export", "hl7");
}
void CliFhir(benchmark::State& state) {
    CliCommand(state, "export", "fhir");
}

void ShellQuery(benchmark::State& state, const char* select, const char* out) {
    const std::string shell = SqliteShell();
    if (shell.empty()) {
        state.SkipWithError("the sqlite3 shell is not installed (scripts/setup installs it)");
        return;
    }
    const int rows = static_cast<int>(state.range(0));
    RunTimed(
        state,
        {shell, "-csv", ClinicHbA1cFile(rows),
         std::string(select) + " FROM HospitalTlb ORDER BY DATE DESC, TIME DESC, HbA1c_VALUE DESC"},
        OutFile(out));
}

// The shell reading what the list shows, in the list's order, as CSV.
void Sqlite3Shell(benchmark::State& state) {
    ShellQuery(state, "SELECT DATE, TIME, HbA1c_VALUE, HbA1c_VALUE, PID", "sqlite3");
}

// The shell reading what the messages carry (the list's columns, the name and the birth
// date: whole rows looked up through the index), in the list's order.
void Sqlite3ShellRows(benchmark::State& state) {
    ShellQuery(state, "SELECT DATE, TIME, HbA1c_VALUE, PID, p_NAME, p_DOB", "sqlite3-rows");
}

class SilentPrompter : public Prompter {
public:
    bool Confirm(const qa::Message&, const qa::Message&) override { return true; }
    void Inform(const qa::Message&, const qa::Message&, Severity) override {}
};

class NoFiles : public FileService {
public:
    QString AskSavePath(QWidget*) override { return {}; }
    bool OpenFile(const QString&) override { return true; }
};

// The all-data page over a clinic data folder, as the window shows it.
struct ScalePage {
    SilentPrompter prompter;
    NoFiles files;
    std::unique_ptr<UserStore> users;
    std::unique_ptr<AllDataPage> page;

    explicit ScalePage(int rows) {
        InitScaleResources();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(ScratchFolder() + "/config"));
        users = std::make_unique<UserStore>(ClinicDataFolder(rows), prompter);
        Require(users->Reload(), "Reload");
        page = std::make_unique<AllDataPage>(*users, prompter, files, nullptr, [](FrameCommand) {});
        page->resize(1014, 738);
    }
};

ScalePage& PageOf(int rows) {
    static std::map<int, ScalePage*> pages; // widgets outlive every benchmark
    ScalePage*& page = pages[rows];
    if (page == nullptr) {
        page = new ScalePage(rows);
    }
    return *page;
}

void PageFirstScreen(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    ScalePage& p = PageOf(rows);
    for (auto _ : state) {
        p.page->Activate();
        QPixmap screen = p.page->grab();
        benchmark::DoNotOptimize(screen);
        if (p.page->List()->RowCount() != rows) {
            state.SkipWithError("rows missing");
        }
    }
}

// Page-down through the list, each step up to its painted screen; the slowest step is kept
// beside the mean.
void PageDownSteps(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    ScalePage& p = PageOf(rows);
    p.page->Activate();
    views::DataListView* list = p.page->List();
    list->setFocus();
    double slowest = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(list, &press);
        QPixmap screen = list->grab();
        benchmark::DoNotOptimize(screen);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        slowest = std::max(slowest, seconds * 1e3);
    }
    state.counters["slowest_ms"] = slowest;
    state.counters["row"] = list->FocusedRow();
}

void Sizes(benchmark::internal::Benchmark* b) {
    for (int rows : kClinicSizes) {
        b->Arg(rows);
    }
}

#define SCALE(function, name, timing)                                                              \
    BENCHMARK(function)                                                                            \
        ->Name(name)                                                                               \
        ->Apply(Sizes)                                                                             \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->Iterations(3)                                                                            \
        ->timing()

SCALE(Sqlite3Shell, "Scale/Sqlite3", UseManualTime);
SCALE(CliList, "Scale/List", UseManualTime);
SCALE(CliExport, "Scale/Export", UseManualTime);
SCALE(CliReport, "Scale/Report", UseManualTime);
SCALE(Sqlite3ShellRows, "Scale/Sqlite3Rows", UseManualTime);
SCALE(CliHl7, "Scale/Hl7", UseManualTime);
SCALE(CliFhir, "Scale/Fhir", UseManualTime);
SCALE(PageFirstScreen, "Scale/PageFirstScreen", UseRealTime);
BENCHMARK(PageDownSteps)
    ->Name("Scale/PageDown")
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30)
    ->UseManualTime();

bool AddScaleBudgets() {
    const std::string m = "/1000000", k100 = "/100000", k10 = "/10000";
    for (const char* work : {"List", "Export"}) {
        std::string name = std::string("Scale/") + work;
        std::string lower = work == std::string("List") ? "list" : "export";
        AddRelativeBudget({lower + " of 1M clinic rows against the sqlite3 shell", name + m,
                           Measure::Ratio, "Scale/Sqlite3" + m, 3.0, ""});
        AddRelativeBudget({lower + " of 1M clinic rows, peak memory", name + m, Measure::Counter,
                           "peak_MiB", 150, "MiB"});
    }
    // The message files are far larger than the shell's output: their ratio is printed for
    // scale, their budgets are the 100k time, memory and growth.
    for (const char* work : {"Hl7", "Fhir"}) {
        std::string name = std::string("Scale/") + work;
        AddRelativeBudget(
            {std::string(work) + " export of 1M clinic rows against the sqlite3 shell", name + m,
             Measure::Ratio, "Scale/Sqlite3Rows" + m, 0, ""});
        AddRelativeBudget({std::string(work) + " export of 1M clinic rows, peak memory", name + m,
                           Measure::Counter, "peak_MiB", 150, "MiB"});
        AddBudget({std::string(work) + " export of 100,000 clinic rows (command line)", name + k100,
                   "", 1000});
    }
    for (const char* work : {"List", "Export", "Report", "PageFirstScreen", "Hl7", "Fhir"}) {
        std::string name = std::string("Scale/") + work;
        AddRelativeBudget({std::string("growth 10k -> 100k of ") + work, name + k100,
                           Measure::Growth, name + k10, 11.0, ""});
        AddRelativeBudget({std::string("growth 100k -> 1M of ") + work, name + m, Measure::Growth,
                           name + k100, 11.0, ""});
    }
    AddRelativeBudget({"growth 100k -> 1M of the sqlite3 shell (for scale)", "Scale/Sqlite3" + m,
                       Measure::Growth, "Scale/Sqlite3" + k100, 11.0, ""});
    AddRelativeBudget({"data report of 1M rows, peak memory", "Scale/Report" + m, Measure::Counter,
                       "peak_MiB", 200, "MiB"});
    AddBudget({"data report of 100,000 clinic rows to PDF", "Scale/Report" + k100, "", 2000});
    AddBudget({"all-data page of 1M rows, first screen", "Scale/PageFirstScreen" + m, "", 500});
    AddBudget({"all-data page of 1M rows, a page-down (mean)", "Scale/PageDown" + m, "", 16});
    AddRelativeBudget({"all-data page of 1M rows, the slowest page-down", "Scale/PageDown" + m,
                       Measure::Counter, "slowest_ms", 16, "ms"});
    return true;
}

const bool kBudgets = AddScaleBudgets();

} // namespace
