// Validation: quellow-cli validate as a whole process (two calibrations, the benchmarks and the
// band), the band's simulations in memory, and the calibration of a long window for each
// objective.
#include "bench/BenchData.h"
#include "bench/BenchSupport.h"
#include "calibration/UCalibrationRun.h"
#include "runs/USimulation.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <string>
#include <vector>

namespace {

using namespace quellow;

/// Runs quellow-cli with args, its output streams sent to /dev/null; false unless it exits 0.
bool runCli(const std::vector<std::string> &args)
{
    return bench::runCli(args, true);
}

/// validate CAL VAL --threads 2: the public windows, or (empty names) a synthetic window of 1501
/// rows validated on itself.
void BM_CliValidate(benchmark::State &state, const std::string &cal, const std::string &val)
{
    std::string calPath, valPath;
    const std::filesystem::path folder = "/dev/shm/quellow-validate-bench";
    if (cal.empty()) {
        calPath = valPath = bench::writeInputFile(state, folder, bench::AnalysisInputText(1501));
        if (calPath.empty())
            return;
    } else {
        calPath = std::string(QUELLOW_TEST_DATA) + "/windows/" + cal;
        valPath = std::string(QUELLOW_TEST_DATA) + "/windows/" + val;
    }
    for (auto _ : state)
        if (!runCli({"validate", calPath, valPath, "--threads", "2"})) {
            state.SkipWithError("quellow-cli validate failed");
            break;
        }
    std::error_code error;
    std::filesystem::remove_all(folder, error);
}
BENCHMARK_CAPTURE(BM_CliValidate, Gr4j1991To1992, std::string("gr4j-1991.inp"),
                  std::string("gr4j-1992.inp"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_CliValidate, Synthetic1501Rows, std::string(), std::string())
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

/// The band's work: 300 parameter sets simulated on a window of 1501 rows, each with its
/// storages and escape factor rounded as the input file writes them.
void BM_BandSimulations(benchmark::State &state)
{
    URainRun::TAnalysisInput input, applied;
    if (!bench::readAnalysisInput(state, 1501, input))
        return;
    input = URainRun::AsWritten(input);
    USimulation::TScratch scratch;
    const TModelValues alpha = USimulation::AlphaFunction(0.006, 0.05, 0.011, 0.03, 8);
    for (auto _ : state) {
        double sum = 0;
        for (int k = 0; k < 300; ++k) {
            const TParameters p{20.0 + k * 0.1, 10.0 + k * 0.05, 0.8 + k * 0.001};
            URainRun::ApplyCalibration(input, p, applied);
            USimulation::Load(applied, scratch);
            sum += USimulation::Simulate(scratch, applied.MaxSto, applied.IniSto, alpha, 2,
                                         USimulation::TScore::Fit)
                       .Skill.Fit.NSE;
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_BandSimulations)->Unit(benchmark::kMillisecond);

/// The same without the rounding of each set's escape rates: the routing and scoring alone.
void BM_BandRoutingOnly(benchmark::State &state)
{
    URainRun::TAnalysisInput input;
    if (!bench::readAnalysisInput(state, 1501, input))
        return;
    USimulation::TScratch scratch;
    USimulation::Load(URainRun::AsWritten(input), scratch);
    const TModelValues alpha = USimulation::AlphaFunction(0.006, 0.05, 0.011, 0.03, 8);
    for (auto _ : state) {
        double sum = 0;
        for (int k = 0; k < 300; ++k)
            sum += USimulation::Simulate(scratch, 20.0 + k * 0.1, 10.0 + k * 0.05, alpha, 2,
                                         USimulation::TScore::Fit)
                       .Skill.Fit.NSE;
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_BandRoutingOnly)->Unit(benchmark::kMillisecond);

/// The band as the validation makes it: 300 sets on 1501 rows, escape rates rounded per set,
/// runoff only, the sets spread over N threads, as the validation makes it.
void BM_BandAsMade(benchmark::State &state)
{
    URainRun::TAnalysisInput input;
    if (!bench::readAnalysisInput(state, 1501, input))
        return;
    input = URainRun::AsWritten(input);
    const TModelValues alpha = USimulation::AlphaFunction(0.006, 0.05, 0.011, 0.03, 8);
    const int threads = static_cast<int>(state.range(0));
    for (auto _ : state) {
        std::vector<double> runoff(300 * 1502);
        std::atomic<int> next{0};
        auto work = [&] {
            USimulation::TScratch s;
            USimulation::Load(input, s);
            for (int k = next++; k < 300; k = next++) {
                USimulation::ScaleEscape(input, 0.8 + k * 0.001, s);
                USimulation::Simulate(s, 20.0 + k * 0.1, 10.0 + k * 0.05, alpha, 2,
                                      USimulation::TScore::None);
                std::copy(s.Runoff.begin(), s.Runoff.begin() + 1502, runoff.begin() + k * 1502);
            }
        };
        std::vector<std::thread> pool;
        for (int t = 1; t < threads; ++t)
            pool.emplace_back(work);
        work();
        for (auto &t : pool)
            t.join();
        benchmark::DoNotOptimize(runoff.data());
    }
}
BENCHMARK(BM_BandAsMade)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

/// calibrate of a 1501-row window as a whole process, for each objective.
void BM_CliCalibrateObjective(benchmark::State &state, const std::string &objective)
{
    const std::filesystem::path folder = "/dev/shm/quellow-objective-bench";
    const std::string input = bench::writeInputFile(state, folder, bench::AnalysisInputText(1501));
    if (input.empty())
        return;
    for (auto _ : state)
        if (!runCli({"calibrate", input, "--objective", objective, "--threads", "2"})) {
            state.SkipWithError("quellow-cli calibrate failed");
            break;
        }
    std::error_code error;
    std::filesystem::remove_all(folder, error);
}
BENCHMARK_CAPTURE(BM_CliCalibrateObjective, RSquare, std::string("rsquare"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_CliCalibrateObjective, NSE, std::string("nse"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_CliCalibrateObjective, KGE, std::string("kge"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
