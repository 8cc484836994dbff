// The list, export and report of the command line and the all-data page, each on clinic-like
// data of 10k, 100k and 1M rows: time, peak memory of the real process, the growth between
// sizes, and the floors: the sqlite3 shell reading the same columns in the same order, and
// SQLite alone reading the list's row ids. At 1M rows: page-down across the whole list, and the
// patient-ID drop-down of ~900,000 distinct IDs opened and typed into.
#include "budget.h"
#include "clinic_data.h"

#include "bench_data.h"
#include "store/prompter.h"
#include "store/users.h"
#include "views/all_data_page.h"
#include "views/data_list_view.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSettings>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sqlite3.h>
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
// The same report on a system whose report faces have CFF outlines (Noto Sans and Serif CJK
// standing in for the Nanum faces, as on many distributions): the fonts are embedded as CID
// fonts cut from 16 MB tables.
void CliReportCff(benchmark::State& state) {
    const char* earlier = std::getenv("FONTCONFIG_FILE");
    const std::string kept = earlier ? earlier : "";
    setenv("FONTCONFIG_FILE", QA_NOTO_FONTS_CONF, 1);
    CliCommand(state, "report");
    if (earlier) {
        setenv("FONTCONFIG_FILE", kept.c_str(), 1);
    } else {
        unsetenv("FONTCONFIG_FILE");
    }
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

// SQLite alone: the row ids of the list in the list's order, which is what the page reads
// before it paints its first screen.
void SqliteIds(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const std::string path = ClinicHbA1cFile(rows);
    for (auto _ : state) {
        sqlite3* db = nullptr;
        Require(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK,
                "open");
        sqlite3_stmt* statement = nullptr;
        Require(sqlite3_prepare_v2(db,
                                   "SELECT rowid FROM HospitalTlb ORDER BY DATE DESC, TIME DESC, "
                                   "HbA1c_VALUE DESC",
                                   -1, &statement, nullptr) == SQLITE_OK,
                "prepare");
        std::vector<int> ids;
        while (sqlite3_step(statement) == SQLITE_ROW) {
            ids.push_back(sqlite3_column_int(statement, 0));
        }
        sqlite3_finalize(statement);
        sqlite3_close(db);
        if (static_cast<int>(ids.size()) != rows) {
            state.SkipWithError("rows missing");
            break;
        }
    }
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

// Page-down across the whole list, each step up to its painted screen: from 200 places spread
// from the first row to the last page, five steps each, so rows deep in the list are read as
// often as the first ones. The slowest step is kept beside the mean.
constexpr int kPageDownPlaces = 200;
constexpr int kPageDownSteps = 5;

void PageDownWhole(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    ScalePage& p = PageOf(rows);
    p.page->Activate();
    views::DataListView* list = p.page->List();
    list->setFocus();
    double slowest = 0;
    int step = 0;
    int lastRow = 0;
    for (auto _ : state) {
        if (step % kPageDownSteps == 0) {
            const int place = step / kPageDownSteps % kPageDownPlaces;
            list->SelectRow(
                static_cast<int>(static_cast<long long>(rows - 1) * place / (kPageDownPlaces - 1)));
            (void)list->grab(); // the place itself painted, untimed
        }
        ++step;
        const auto start = std::chrono::steady_clock::now();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(list, &press);
        QPixmap screen = list->grab();
        benchmark::DoNotOptimize(screen);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        slowest = std::max(slowest, seconds * 1e3);
        lastRow = std::max(lastRow, list->FocusedRow());
    }
    state.counters["slowest_ms"] = slowest;
    state.counters["last_row"] = lastRow;
    if (lastRow != rows - 1) {
        state.SkipWithError("page-down never reached the last row");
    }
}

// The patient-ID drop-down of the page over a fresh load, opened up to its painted list: the
// first opening reads the distinct IDs of the whole list.
void PatientIdsOpen(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    ScalePage& p = PageOf(rows);
    QComboBox* ids = p.page->OperatorIdList();
    for (auto _ : state) {
        state.PauseTiming();
        p.page->Activate(); // a new load: its IDs are read when the list first drops down
        state.ResumeTiming();
        ids->showPopup();
        QPixmap screen = ids->view()->grab();
        benchmark::DoNotOptimize(screen);
        state.PauseTiming();
        ids->hidePopup();
        state.ResumeTiming();
    }
    state.counters["ids"] = ids->count() - 1;
    if (ids->count() - 1 < rows * 8 / 10) {
        state.SkipWithError("the drop-down holds fewer IDs than the clinic data has patients");
    }
}

// Typing an ID into the open drop-down, a character at a time, each up to the painted list:
// IDs from a fifth of the way down to the last, the search starting at the top each time.
void PatientIdsType(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    ScalePage& p = PageOf(rows);
    p.page->Activate();
    QComboBox* combo = p.page->OperatorIdList();
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    const int count = combo->count();
    std::vector<QString> typed;
    for (int fifth = 1; fifth <= 5; ++fifth) {
        typed.push_back(combo->itemText(std::max(1, (count - 1) * fifth / 5)));
    }
    // However slow a character is, the next one continues the same search.
    const int interval = QApplication::keyboardInputInterval();
    QApplication::setKeyboardInputInterval(60'000);
    std::size_t id = 0;
    int at = 0;
    double slowest = 0;
    bool landed = true;
    for (auto _ : state) {
        if (at == 0) {
            view->keyboardSearch(QString()); // a new search, from the top
            view->setCurrentIndex(view->model()->index(0, 0));
        }
        const QString key = typed[id].mid(at, 1);
        const auto start = std::chrono::steady_clock::now();
        QKeyEvent press(QEvent::KeyPress, key.toUpper().at(0).unicode(), Qt::NoModifier, key);
        QApplication::sendEvent(view, &press);
        QPixmap screen = view->grab();
        benchmark::DoNotOptimize(screen);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        slowest = std::max(slowest, seconds * 1e3);
        if (++at == typed[id].size()) {
            landed = landed && view->currentIndex().data().toString() == typed[id];
            at = 0;
            id = (id + 1) % typed.size();
        }
    }
    combo->hidePopup();
    QApplication::setKeyboardInputInterval(interval);
    state.counters["slowest_ms"] = slowest;
    state.counters["ids"] = count - 1;
    if (!landed) {
        state.SkipWithError("typing an ID did not select it");
    }
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
BENCHMARK(CliReportCff)
    ->Name("Scale/ReportCff")
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseManualTime();
SCALE(Sqlite3ShellRows, "Scale/Sqlite3Rows", UseManualTime);
SCALE(CliHl7, "Scale/Hl7", UseManualTime);
SCALE(CliFhir, "Scale/Fhir", UseManualTime);
SCALE(PageFirstScreen, "Scale/PageFirstScreen", UseRealTime);
BENCHMARK(SqliteIds)->Name("Scale/SqliteIds")->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(PageDownWhole)
    ->Name("Scale/PageDownWhole")
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(kPageDownPlaces* kPageDownSteps)
    ->UseManualTime();
BENCHMARK(PatientIdsOpen)
    ->Name("Scale/PatientIdsOpen")
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();
BENCHMARK(PatientIdsType)
    ->Name("Scale/PatientIdsType")
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50)
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
                   "Scale/Sqlite3Rows" + k100, 1000,
                   "the sqlite3 shell reading the rows the messages carry"});
    }
    for (const char* work : {"List", "Export", "Report", "PageFirstScreen", "Hl7", "Fhir"}) {
        std::string name = std::string("Scale/") + work;
        AddRelativeBudget({std::string("growth 10k -> 100k of ") + work, name + k100,
                           Measure::Growth, name + k10, 11.0, ""});
        AddRelativeBudget({std::string("growth 100k -> 1M of ") + work, name + m, Measure::Growth,
                           name + k100, 11.0, ""});
    }
    // The floors grow too; printed for scale.
    for (const char* floor : {"Sqlite3", "Sqlite3Rows", "SqliteIds"}) {
        std::string name = std::string("Scale/") + floor;
        AddRelativeBudget({std::string("growth 10k -> 100k of ") + floor + " (floor, for scale)",
                           name + k100, Measure::Growth, name + k10, 0, ""});
        AddRelativeBudget({std::string("growth 100k -> 1M of ") + floor + " (floor, for scale)",
                           name + m, Measure::Growth, name + k100, 0, ""});
    }
    AddRelativeBudget({"data report of 1M rows, peak memory", "Scale/Report" + m, Measure::Counter,
                       "peak_MiB", 200, "MiB"});
    AddBudget({"data report of 100,000 clinic rows to PDF", "Scale/Report" + k100, "", 2000});
    AddBudget({"data report of 100,000 clinic rows to PDF, CFF faces (Noto CJK)",
               "Scale/ReportCff" + k100, "", 2000});
    AddRelativeBudget({"data report of 100,000 rows, CFF faces against TrueType (Nanum), time",
                       "Scale/ReportCff" + k100, Measure::Ratio, "Scale/Report" + k100, 0, ""});
    for (const char* report : {"Report", "ReportCff"}) {
        AddRelativeBudget(
            {std::string("data report of 100,000 rows, file size, ") +
                 (report == std::string("Report") ? "TrueType (Nanum)" : "CFF (Noto CJK)"),
             std::string("Scale/") + report + k100, Measure::Counter, "out_MiB", 0, "MiB"});
    }
    AddBudget({"all-data page of 1M rows, first screen", "Scale/PageFirstScreen" + m,
               "Scale/SqliteIds" + m, 500, "SQLite alone reading the list's row ids"});
    AddBudget({"all-data page of 1M rows, a page-down anywhere in the list (mean)",
               "Scale/PageDownWhole" + m, "", 16});
    AddRelativeBudget({"all-data page of 1M rows, the slowest page-down anywhere in the list",
                       "Scale/PageDownWhole" + m, Measure::Counter, "slowest_ms", 16, "ms"});
    // A drop-down should open about as fast as the page itself shows, and a typed character
    // answer within the tenth of a second that still feels immediate.
    AddBudget({"patient-ID drop-down of 1M rows (~900,000 IDs), opening",
               "Scale/PatientIdsOpen" + m, "", 500});
    AddBudget({"patient-ID drop-down of 1M rows, a typed character (mean)",
               "Scale/PatientIdsType" + m, "", 100});
    AddRelativeBudget({"patient-ID drop-down of 1M rows, the slowest typed character",
                       "Scale/PatientIdsType" + m, Measure::Counter, "slowest_ms", 100, "ms"});
    return true;
}

const bool kBudgets = AddScaleBudgets();

} // namespace
