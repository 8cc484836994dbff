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

} // namespace qa::bench
