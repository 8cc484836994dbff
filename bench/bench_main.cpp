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

std::vector<RelativeBudget>& RelativeBudgets() {
    static std::vector<RelativeBudget> budgets;
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
            // Sized benchmarks are told apart by their argument: "Scale/List/1000000".
            std::string key = run.run_name.function_name;
            if (!run.run_name.args.empty()) {
                millis[key] = ms;
                key += "/" + run.run_name.args;
            }
            millis[key] = ms;
            for (const auto& [name, counter] : run.counters) {
                counters[key][name] = counter.value;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> millis;
    std::map<std::string, std::map<std::string, double>> counters;
};

} // namespace

bool AddBudget(Budget budget) {
    Budgets().push_back(std::move(budget));
    return true;
}

bool AddRelativeBudget(RelativeBudget budget) {
    RelativeBudgets().push_back(std::move(budget));
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
    for (const RelativeBudget& budget : RelativeBudgets()) {
        auto found = reporter.millis.find(budget.benchmark);
        if (found == reporter.millis.end()) {
            continue;
        }
        double measured = 0;
        if (budget.measure == Measure::Counter) {
            auto& counters = reporter.counters[budget.benchmark];
            auto counter = counters.find(budget.other);
            if (counter == counters.end()) {
                continue;
            }
            measured = counter->second;
            std::printf("%s: %.1f %s (budget %.0f %s; %.2f ms per run)", budget.name.c_str(),
                        measured, budget.unit.c_str(), budget.limit, budget.unit.c_str(),
                        found->second);
        } else {
            auto other = reporter.millis.find(budget.other);
            if (other == reporter.millis.end() || other->second <= 0) {
                continue;
            }
            measured = found->second / other->second;
            if (budget.limit <= 0) {
                std::printf("%s: %.2fx (for scale; %.2f ms vs %.2f ms of %s)\n",
                            budget.name.c_str(), measured, found->second, other->second,
                            budget.other.c_str());
                continue;
            }
            std::printf("%s: %.2fx (budget %.1fx; %.2f ms vs %.2f ms of %s)", budget.name.c_str(),
                        measured, budget.limit, found->second, other->second, budget.other.c_str());
        }
        std::printf("%s\n", measured > budget.limit ? "  MISSED" : "");
        if (measured > budget.limit) {
            ++missed;
        }
    }
    return missed == 0 ? 0 : 1;
}
