// Start-up to the home page: users and settings loaded, the four files opened, the pages
// built and the home page painted once.
#include "budget.h"
#include "frame/main_window.h"
#include "store/users.h"
#include "views/ui_services.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWidget>

#include <filesystem>

static void InitResources() {
    Q_INIT_RESOURCE(resources);
}

namespace {

class SilentPrompter : public qa::Prompter {
public:
    bool Confirm(const qa::Message&, const qa::Message&) override { return true; }
    void Inform(const qa::Message&, const qa::Message&, Severity) override {}
};

void StartToHome(benchmark::State& state) {
    InitResources();
    std::string folder = std::filesystem::temp_directory_path() / "qa-bench-startup";
    std::string sysfs = folder + "-sysfs";
    std::filesystem::create_directories(sysfs);
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        state.ResumeTiming();
        SilentPrompter prompter;
        qa::UserStore users(folder, prompter);
        qa::DesktopFileService files;
        qa::MainWindow frame({users, prompter, files, nullptr, sysfs, ""});
        frame.show();
        frame.LateStartup();
        frame.grab(); // painted once
        benchmark::DoNotOptimize(frame.ActiveView());
        state.PauseTiming();
        frame.close();
        state.ResumeTiming();
    }
    std::filesystem::remove_all(folder);
    std::filesystem::remove_all(sysfs);
}
BENCHMARK(StartToHome)->Name("Startup/ToHomePage")->Unit(benchmark::kMillisecond)->UseRealTime();

const bool kBudgets = qa::bench::AddBudget(
    {"start-up to the home page (first start)", "Startup/ToHomePage", "", 1000});

} // namespace
