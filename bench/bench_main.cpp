// Runs every registered benchmark, then prints one line per budget:
//   <name>: <measured> ms (budget <budget> ms; <ratio>x vs <baseline>)
// and exits non-zero when a budget is missed.
#include "budget.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <vector>

namespace qa::bench {

namespace {

std::vector<Budget>& Budgets() {
    static std::vector<Budget> budgets;
    return budgets;
}

class CollectingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) {
                continue;
            }
            double inUnit = run.GetAdjustedRealTime(); // per iteration, in run.time_unit
            double ms = inUnit / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e3;
            millis[run.run_name.function_name] = ms;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> millis;
};

} // namespace

bool AddBudget(Budget budget) {
    Budgets().push_back(std::move(budget));
    return true;
}

} // namespace qa::bench

int main(int argc, char** argv) {
    using namespace qa::bench;
    // The one application of every benchmark: lists and reports need widgets and fonts, the
    // download an event loop. Offscreen, so the benchmarks run without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    int missed = 0;
    std::printf("\n");
    for (const Budget& budget : Budgets()) {
        auto found = reporter.millis.find(budget.benchmark);
        if (found == reporter.millis.end()) {
            continue; // filtered out of this run
        }
        double measured = found->second;
        std::printf("%s: %.2f ms (budget %.0f ms", budget.name.c_str(), measured, budget.limitMs);
        auto base = reporter.millis.find(budget.baseline);
        if (base != reporter.millis.end() && measured > 0) {
            std::printf("; %.1fx vs %s", base->second / measured, budget.baseline.c_str());
        }
        std::printf(")%s\n", measured > budget.limitMs ? "  MISSED" : "");
        if (measured > budget.limitMs) {
            ++missed;
        }
    }
    return missed == 0 ? 0 : 1;
}
