// The simulation of a 1500-row window with a given alpha function, as the Python module's
// quellow.simulate runs it: the window taken into the simulation's arrays, the first reservoir
// and the routing, no score. scripts/bench-python.py times the same call from Python on the same
// window (SimulateBench --write-input FILE writes it).
#include "bench/BenchData.h"
#include "bench/BenchSupport.h"
#include "runs/URainRun.h"
#include "runs/USimulation.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>

namespace {

using namespace quellow;

constexpr int Rows = 1500;

void BM_Simulate1500Rows(benchmark::State &state)
{
    URainRun::TAnalysisInput input;
    if (!bench::readAnalysisInput(state, Rows, input))
        return;
    const TModelValues alpha = USimulation::AlphaFunction(0.006, 0.05, 0.011, 0.03, 8);
    USimulation::TScratch scratch;
    for (auto _ : state) {
        USimulation::Load(input, scratch);
        const TSimulationFit fit =
            USimulation::Simulate(scratch, input.MaxSto, UsedInitStor(input.MaxSto, input.IniSto),
                                  alpha, 2, USimulation::TScore::None);
        benchmark::DoNotOptimize(fit);
        benchmark::DoNotOptimize(scratch.Runoff.data());
    }
}
BENCHMARK(BM_Simulate1500Rows)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--write-input") == 0) {
        std::ofstream(argv[2], std::ios::binary) << quellow::bench::AnalysisInputText(Rows);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
