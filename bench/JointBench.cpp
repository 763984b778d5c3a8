// Joint calibration: five 153-row windows against one calibration of the same 765 rows as one
// file, and leave-one-out over 30 such windows.
#include "bench/BenchSupport.h"
#include "calibration/UCalibrationRun.h"
#include "calibration/UJointCalibration.h"
#include "calibration/UJointValidation.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace {

using namespace quellow;

/// count windows of rows rows each, cut one after the other from one synthetic series (of at
/// most the rows of an input file: beyond, they begin again near its start), each with its own
/// time from 1.
std::vector<UJointCalibration::TWindow> windows(benchmark::State &state, int count, int rows)
{
    URainRun::TAnalysisInput all;
    std::vector<UJointCalibration::TWindow> result;
    const int length = std::min(count * rows, MaxSteps);
    if (!bench::readAnalysisInput(state, length, all))
        return result;
    for (int w = 0; w < count; ++w) {
        UJointCalibration::TWindow window{"window-" + std::to_string(w + 1) + ".inp", all};
        const int first = (w * rows) % (length - rows + 1) + w / (length / rows);
        window.Input.Rows.assign(all.Rows.begin() + first, all.Rows.begin() + first + rows);
        for (int k = 0; k < rows; ++k) {
            window.Input.Rows[static_cast<std::size_t>(k)].Serial = k + 1;
            window.Input.Rows[static_cast<std::size_t>(k)].Time = k + 1;
        }
        result.push_back(std::move(window));
    }
    return result;
}

void BM_CalibrateOneFile765Rows(benchmark::State &state)
{
    URainRun::TAnalysisInput input;
    if (!bench::readAnalysisInput(state, 765, input))
        return;
    UCalibration::TOptions options;
    options.Objective = UCalibration::TObjective::NSE;
    options.Threads = 2;
    for (auto _ : state)
        benchmark::DoNotOptimize(UCalibration::CalibrateAnalysis(input, options, nullptr));
}
BENCHMARK(BM_CalibrateOneFile765Rows)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_JointFiveWindows153Rows(benchmark::State &state)
{
    const std::vector<UJointCalibration::TWindow> five = windows(state, 5, 153);
    UJointCalibration::TOptions options;
    options.Threads = 2;
    for (auto _ : state)
        benchmark::DoNotOptimize(UJointCalibration::Calibrate(five, options));
}
BENCHMARK(BM_JointFiveWindows153Rows)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LeaveOneOut30Windows153Rows(benchmark::State &state)
{
    const std::vector<UJointCalibration::TWindow> thirty = windows(state, 30, 153);
    UJointValidation::TOptions options;
    options.Joint.Threads = 2;
    for (auto _ : state)
        benchmark::DoNotOptimize(UJointValidation::Validate(thirty, options));
}
BENCHMARK(BM_LeaveOneOut30Windows153Rows)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

} // namespace

BENCHMARK_MAIN();
