// Tiny benchmarks with budgets, one for each way a run can end, for the budget judgement test.
#include "budget.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

using namespace qa::bench;

namespace {

void Fast(benchmark::State& state) {
    int sum = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(sum += 1);
    }
}
BENCHMARK(Fast)->Name("Probe/Fast")->Iterations(10);
BENCHMARK(Fast)->Name("Probe/Floor")->Iterations(10);
BENCHMARK(Fast)->Name("Probe/OnBrokenFloor")->Iterations(10);
BENCHMARK(Fast)->Name("Probe/History")->Iterations(10);
BENCHMARK(Fast)->Name("Probe/Orphan")->Iterations(10);
BENCHMARK(Fast)->Name("Probe/Counter")->Iterations(10);

void Errors(benchmark::State& state) {
    for (auto _ : state) {
        state.SkipWithError("rows missing");
    }
}
BENCHMARK(Errors)->Name("Probe/Errors")->Iterations(10);
BENCHMARK(Errors)->Name("Probe/BrokenFloor")->Iterations(10);

void Slow(benchmark::State& state) {
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}
BENCHMARK(Slow)->Name("Probe/Slow")->Iterations(2)->UseRealTime();

const bool kBudgets =
    AddBudget({"fast", "Probe/Fast", "Probe/Floor", 1000, "the floor"}) &&
    AddBudget({"erroring", "Probe/Errors", "", 1000}) &&
    AddBudget({"on a broken floor", "Probe/OnBrokenFloor", "Probe/BrokenFloor", 1000}) &&
    AddBudget({"never registered", "Probe/NeverRegistered", "", 1000}) &&
    AddBudget({"slow", "Probe/Slow", "", 1}) &&
    AddRelativeBudget({"counter", "Probe/Counter", Measure::Counter, "peak_MiB", 10, "MiB"}) &&
    AddNaive({"the old way", "Probe/History"});

} // namespace
