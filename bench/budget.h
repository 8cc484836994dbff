#pragma once

#include <string>

namespace qa::bench {

// A performance budget: the measured benchmark, the straightforward pattern it is compared
// with in the same run, and the most it may take.
struct Budget {
    std::string name;      // the line printed
    std::string benchmark; // benchmark name as registered
    std::string baseline;  // benchmark name of the literal pattern, or "" for none
    double limitMs;
};

// Registers a budget; returns true so it can initialise a static at namespace scope.
bool AddBudget(Budget budget);

// Budgets of the scale benchmarks, which are judged against another measurement of the same
// run rather than (only) against the clock.
enum class Measure {
    Ratio,   // time of `benchmark` over time of `other` (a baseline such as the sqlite3 shell)
    Growth,  // time of `benchmark` over time of `other` (the same work at a smaller size)
    Counter, // the counter named `other` of `benchmark` (peak memory in MiB, a step's ms)
};

struct RelativeBudget {
    std::string name;
    std::string benchmark;
    Measure measure;
    std::string other;
    double limit;     // 0: printed for scale, no budget
    std::string unit; // of a counter
};

bool AddRelativeBudget(RelativeBudget budget);

} // namespace qa::bench
