#pragma once

#include <string>

namespace qa::bench {

// A performance budget: the measured benchmark, the most it may take, and the floor it is
// compared with in the same run. A floor does the same work by the shortest known means (the
// sqlite3 shell on the same rows, Qt's PDF engine, the wire time, the same code with a batch of
// one), so the ratio says how far the product is from it, never how much it beats a strawman.
struct Budget {
    std::string name;      // the line printed
    std::string benchmark; // benchmark name as registered
    std::string floor;     // benchmark name of the floor, or "" for none
    double limitMs;
    std::string floorName = "";    // how the line names the floor; `floor` when empty
    std::string floorCounter = ""; // the floor is this counter (ms) of `floor`, or of
                                   // `benchmark` when `floor` is empty
};

// Registers a budget; returns true so it can initialise a static at namespace scope.
bool AddBudget(Budget budget);

// A pattern kept for history (no index, a commit per insert, a connection per message): its
// time is printed on a line of its own labelled "naive", never judged and never a floor.
struct Naive {
    std::string name;
    std::string benchmark;
};

bool AddNaive(Naive naive);

// Budgets of the scale benchmarks, which are judged against another measurement of the same
// run rather than (only) against the clock.
enum class Measure {
    Ratio,   // time of `benchmark` over time of `other` (a floor such as the sqlite3 shell)
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
