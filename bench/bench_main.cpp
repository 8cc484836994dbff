// Runs every registered benchmark, then prints one line per budget:
//   <name>: <measured> ms (budget <budget> ms; <ratio>x vs <floor>)
// then the naive patterns kept for history, each on a line labelled "naive". Exits non-zero
// when a budget is missed. A benchmark that errors, a budget whose benchmark or floor was
// selected but produced no result, and a benchmark that ran without any line naming it are
// missed too: a failure must never read as a pass. Only a benchmark left out by
// --benchmark_filter leaves its budgets unjudged.
#include "budget.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <regex>
#include <set>
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

std::vector<Naive>& Naives() {
    static std::vector<Naive> naives;
    return naives;
}

struct Result {
    double ms = 0;
    std::map<std::string, double> counters;
    bool failed = false;
    std::string error;
    std::string family; // the name without its arguments
};

class CollectingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration) {
                continue;
            }
            // Sized benchmarks are told apart by their argument: "Scale/List/1000000". The
            // family name alone stands for its last size, and fails when any size failed.
            std::string key = run.run_name.function_name;
            if (!run.run_name.args.empty()) {
                Record(key, run);
                key += "/" + run.run_name.args;
            }
            Record(key, run);
            ran.insert(key);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    std::map<std::string, Result> results;
    std::set<std::string> ran; // full names, without the family aliases

private:
    void Record(const std::string& key, const Run& run) {
        Result& result = results[key];
        result.family = run.run_name.function_name;
        if (run.error_occurred) {
            result.failed = true;
            result.error = run.error_message.empty() ? "error" : run.error_message;
            return;
        }
        if (result.failed && key == run.run_name.function_name) {
            return;
        }
        const double inUnit = run.GetAdjustedRealTime(); // per iteration, in run.time_unit
        result.ms = inUnit / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e3;
        result.counters.clear();
        for (const auto& [name, counter] : run.counters) {
            result.counters[name] = counter.value;
        }
    }
};

// Whether --benchmark_filter (or its environment variable) selects a benchmark of this name,
// matched as the library matches it: an extended regular expression searched in the name, "-"
// in front negating it, "all" or nothing selecting every benchmark.
bool Selected(const std::string& name) {
    std::string filter = benchmark::GetBenchmarkFilter();
    if (filter.empty() || filter == "all") {
        return true;
    }
    bool negative = false;
    if (filter.front() == '-') {
        negative = true;
        filter.erase(0, 1);
    }
    try {
        return std::regex_search(name, std::regex(filter, std::regex::extended)) != negative;
    } catch (const std::regex_error&) {
        return true; // the library refuses such a filter too; judge rather than stay silent
    }
}

enum class Found { Ok, FilteredOut, Failed };

struct Lookup {
    Found found = Found::Failed;
    const Result* result = nullptr;
    std::string why;
};

class Judge {
public:
    explicit Judge(const CollectingReporter& reporter) : reporter_(reporter) {}

    Lookup Find(const std::string& name) {
        named_.insert(name);
        auto found = reporter_.results.find(name);
        if (found != reporter_.results.end()) {
            if (found->second.failed) {
                failureShown_.insert(name);
                return {Found::Failed, nullptr, name + " failed: " + found->second.error};
            }
            return {Found::Ok, &found->second, ""};
        }
        if (!Selected(name)) {
            return {Found::FilteredOut, nullptr, ""};
        }
        return {Found::Failed, nullptr, name + " produced no result"};
    }

    void Missed(const std::string& line, const std::string& why) {
        std::printf("%s: MISSED (%s)\n", line.c_str(), why.c_str());
        ++judged;
        ++missed;
    }

    // Benchmarks that failed, or ran, without any line naming them.
    void Unnamed() {
        for (const std::string& name : reporter_.ran) {
            const Result& result = reporter_.results.at(name);
            if (result.failed) {
                if (failureShown_.count(name) == 0 && failureShown_.count(result.family) == 0) {
                    Missed(name, "failed: " + result.error);
                }
            } else if (named_.count(name) == 0 && named_.count(result.family) == 0) {
                Missed(name, "ran without a budget line");
            }
        }
    }

    int missed = 0;
    int judged = 0;
    int notJudged = 0;

private:
    const CollectingReporter& reporter_;
    std::set<std::string> named_;
    std::set<std::string> failureShown_;
};

void JudgeBudget(Judge& judge, const Budget& budget) {
    Lookup own = judge.Find(budget.benchmark);
    if (own.found == Found::FilteredOut) {
        ++judge.notJudged;
        return;
    }
    if (own.found == Found::Failed) {
        judge.Missed(budget.name, own.why);
        return;
    }
    const double measured = own.result->ms;
    std::string floorText;
    const std::string floorName = !budget.floorName.empty() ? budget.floorName : budget.floor;
    if (!budget.floorCounter.empty()) {
        Lookup source = budget.floor.empty() ? own : judge.Find(budget.floor);
        if (source.found == Found::Failed) {
            judge.Missed(budget.name, "floor " + source.why);
            return;
        }
        if (source.found == Found::Ok) {
            auto counter = source.result->counters.find(budget.floorCounter);
            if (counter == source.result->counters.end() || counter->second <= 0) {
                judge.Missed(budget.name, "no floor counter " + budget.floorCounter);
                return;
            }
            char text[256];
            std::snprintf(text, sizeof text, "; %.2fx vs %s", measured / counter->second,
                          floorName.c_str());
            floorText = text;
        } else {
            floorText = "; floor " + budget.floor + " filtered out";
        }
    } else if (!budget.floor.empty()) {
        Lookup floor = judge.Find(budget.floor);
        if (floor.found == Found::Failed) {
            judge.Missed(budget.name, "floor " + floor.why);
            return;
        }
        if (floor.found == Found::Ok && floor.result->ms > 0) {
            char text[256];
            std::snprintf(text, sizeof text, "; %.2fx vs %s", measured / floor.result->ms,
                          floorName.c_str());
            floorText = text;
        } else {
            floorText = "; floor " + budget.floor + " filtered out";
        }
    }
    ++judge.judged;
    const bool over = measured > budget.limitMs;
    std::printf("%s: %.2f ms (budget %.0f ms%s)%s\n", budget.name.c_str(), measured, budget.limitMs,
                floorText.c_str(), over ? "  MISSED" : "");
    judge.missed += over ? 1 : 0;
}

void JudgeRelative(Judge& judge, const RelativeBudget& budget) {
    Lookup own = judge.Find(budget.benchmark);
    if (own.found == Found::Failed) {
        judge.Missed(budget.name, own.why);
        return;
    }
    if (budget.measure == Measure::Counter) {
        if (own.found == Found::FilteredOut) {
            ++judge.notJudged;
            return;
        }
        auto counter = own.result->counters.find(budget.other);
        if (counter == own.result->counters.end()) {
            judge.Missed(budget.name, "no counter " + budget.other + " in " + budget.benchmark);
            return;
        }
        const double measured = counter->second;
        ++judge.judged;
        const bool over = budget.limit > 0 && measured > budget.limit;
        std::printf("%s: %.1f %s (budget %.0f %s; %.2f ms per run)%s\n", budget.name.c_str(),
                    measured, budget.unit.c_str(), budget.limit, budget.unit.c_str(),
                    own.result->ms, over ? "  MISSED" : "");
        judge.missed += over ? 1 : 0;
        return;
    }
    Lookup other = judge.Find(budget.other);
    if (other.found == Found::Failed) {
        judge.Missed(budget.name, other.why);
        return;
    }
    if (own.found == Found::FilteredOut || other.found == Found::FilteredOut) {
        ++judge.notJudged;
        return;
    }
    if (other.result->ms <= 0) {
        judge.Missed(budget.name, budget.other + " took no time");
        return;
    }
    const double measured = own.result->ms / other.result->ms;
    if (budget.limit <= 0) {
        std::printf("%s: %.2fx (for scale; %.2f ms vs %.2f ms of %s)\n", budget.name.c_str(),
                    measured, own.result->ms, other.result->ms, budget.other.c_str());
        return;
    }
    ++judge.judged;
    const bool over = measured > budget.limit;
    std::printf("%s: %.2fx (budget %.1fx; %.2f ms vs %.2f ms of %s)%s\n", budget.name.c_str(),
                measured, budget.limit, own.result->ms, other.result->ms, budget.other.c_str(),
                over ? "  MISSED" : "");
    judge.missed += over ? 1 : 0;
}

void ShowNaive(Judge& judge, const Naive& naive) {
    Lookup run = judge.Find(naive.benchmark);
    if (run.found == Found::FilteredOut) {
        return;
    }
    if (run.found == Found::Failed) {
        judge.Missed("naive: " + naive.name, run.why);
        return;
    }
    std::printf("naive: %s: %.2f ms (%s; for history, not a floor)\n", naive.name.c_str(),
                run.result->ms, naive.benchmark.c_str());
}

} // namespace

bool AddBudget(Budget budget) {
    Budgets().push_back(std::move(budget));
    return true;
}

bool AddRelativeBudget(RelativeBudget budget) {
    RelativeBudgets().push_back(std::move(budget));
    return true;
}

bool AddNaive(Naive naive) {
    Naives().push_back(std::move(naive));
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
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 2;
    }
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    Judge judge(reporter);
    std::printf("\n");
    for (const Budget& budget : Budgets()) {
        JudgeBudget(judge, budget);
    }
    for (const RelativeBudget& budget : RelativeBudgets()) {
        JudgeRelative(judge, budget);
    }
    for (const Naive& naive : Naives()) {
        ShowNaive(judge, naive);
    }
    judge.Unnamed();
    std::printf("\n%d budgets judged, %d missed", judge.judged, judge.missed);
    if (judge.notJudged > 0) {
        std::printf(", %d not judged (their benchmarks filtered out by \"%s\")", judge.notJudged,
                    benchmark::GetBenchmarkFilter().c_str());
    }
    std::printf("\n");
    return judge.missed == 0 ? 0 : 1;
}
