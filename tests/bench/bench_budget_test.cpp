// scripts/bench must fail when a benchmark fails: run the benchmarks' main over tiny
// benchmarks that pass, error, never run or run without a line, and read its exit and lines.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

struct Outcome {
    int exit = -1;
    std::string output;
};

Outcome RunProbe(const std::string& filter) {
    std::string command = std::string(QA_BUDGET_PROBE_PATH) + " --benchmark_color=false";
    if (!filter.empty()) {
        command += " '--benchmark_filter=" + filter + "'";
    }
    command += " 2>&1";
    Outcome outcome;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return outcome;
    }
    std::array<char, 4096> block;
    std::size_t read = 0;
    while ((read = std::fread(block.data(), 1, block.size(), pipe)) > 0) {
        outcome.output.append(block.data(), read);
    }
    const int status = pclose(pipe);
    outcome.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

bool Has(const Outcome& outcome, const std::string& text) {
    return outcome.output.find(text) != std::string::npos;
}

TEST(BenchBudgetTest, MetBudgetsPassWithTheirFloorAndLeaveFilteredOnesUnjudged) {
    Outcome run = RunProbe("Probe/(Fast|Floor|History)");
    EXPECT_EQ(run.exit, 0) << run.output;
    EXPECT_TRUE(Has(run, "fast: ")) << run.output;
    EXPECT_TRUE(Has(run, "x vs the floor)")) << run.output;
    EXPECT_TRUE(Has(run, "naive: the old way: ")) << run.output;
    EXPECT_FALSE(Has(run, "MISSED")) << run.output;
    EXPECT_FALSE(Has(run, "erroring")) << run.output;
    EXPECT_TRUE(Has(run, "not judged")) << run.output;
}

TEST(BenchBudgetTest, EveryWayOfNotMeasuringIsAMissedBudget) {
    struct Case {
        const char* filter;
        const char* line;
    };
    const Case cases[] = {
        {"Probe/Errors", "erroring: MISSED (Probe/Errors failed: rows missing)"},
        {"Probe/NeverRegistered", "never registered: MISSED (Probe/NeverRegistered produced "
                                  "no result)"},
        {"Probe/(OnBrokenFloor|BrokenFloor)", "on a broken floor: MISSED (floor Probe/BrokenFloor "
                                              "failed: rows missing)"},
        {"Probe/Orphan", "Probe/Orphan: MISSED (ran without a budget line)"},
        {"Probe/Counter", "counter: MISSED (no counter peak_MiB in Probe/Counter)"},
        {"Probe/Slow", "ms)  MISSED"},
        // Everything: the failures above are not hidden by the budgets that pass.
        {"", "erroring: MISSED"},
    };
    for (const Case& c : cases) {
        Outcome run = RunProbe(c.filter);
        EXPECT_EQ(run.exit, 1) << c.filter << "\n" << run.output;
        EXPECT_TRUE(Has(run, c.line)) << c.filter << "\n" << run.output;
    }
}

TEST(BenchBudgetTest, AFloorLeftOutByTheFilterIsNamedNotGuessed) {
    Outcome run = RunProbe("Probe/OnBrokenFloor");
    EXPECT_EQ(run.exit, 0) << run.output;
    EXPECT_TRUE(Has(run, "floor Probe/BrokenFloor filtered out")) << run.output;
}

} // namespace
