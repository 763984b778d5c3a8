#include "calibration/UJointValidation.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace quellow::UJointValidation {

using UJointCalibration::TWindow;

namespace {

TBenchmark benchmarkOf(const TSkill &skill)
{
    TBenchmark b;
    b.Defined = skill.Valid;
    if (b.Defined)
        b.Fit = skill.Fit;
    return b;
}

/// The mean measured runoff of the windows' rows.
double meanRunoff(const std::vector<TWindow> &windows)
{
    double sum = 0;
    std::size_t count = 0;
    for (const TWindow &w : windows)
        for (const URainRun::TAnalysisRow &r : w.Input.Rows) {
            sum += r.Runoff;
            ++count;
        }
    return count > 0 ? sum / static_cast<double>(count) : 0;
}

/// The window simulated with a set and the alpha function of analysis.
UJointCalibration::TWindowFit simulated(const TWindow &window, const TParameters &set,
                                        const URainRun::TEvaluation &analysis,
                                        const UJointCalibration::TOptions &options)
{
    TSimulationFit together;
    return UJointCalibration::SimulateWindows({window}, set, analysis, options, together).at(0);
}

/// The mean and recession benchmarks on the window.
void constantAndRecession(TWindowValidation &v, const TWindow &window,
                          const std::vector<TWindow> &calibratedOn, int firstScored)
{
    USimulation::TScratch s;
    USimulation::Load(URainRun::AsWritten(window.Input), s);
    v.Mean = benchmarkOf(USimulation::ConstantSkill(s, meanRunoff(calibratedOn), firstScored));
    const URainRun::TEvaluation &fit = v.Calibration.BestFit;
    v.Recession = UValidation::BenchmarkOf(
        USimulation::Recession(s, fit.Alpha, firstScored, fit.AlphaLimits));
}

/// Validates window on the joint calibration of calibratedOn.
void validateWindow(TWindowValidation &v, const TWindow &window,
                    const std::vector<TWindow> &calibratedOn, const TOptions &options)
{
    const UJointCalibration::TOptions &joint = options.Joint;
    v.Calibration = UJointCalibration::Calibrate(calibratedOn, joint);
    v.Calibration.Windows.clear();
    v.Calibration.StartWindows.clear();
    if (v.Calibration.Status != UJointCalibration::TStatus::Calibrated) {
        v.Status = TWindowStatus::Failed;
        v.Message = v.Calibration.Message;
        return;
    }
    const UJointCalibration::TWindowFit fit =
        simulated(window, v.Calibration.Best, v.Calibration.BestFit, joint);
    v.Validation = fit.Simulation;
    v.Simulated = fit.Simulated;
    v.Start = UValidation::BenchmarkOf(
        simulated(window, v.Calibration.Start, v.Calibration.StartFit, joint).Simulation);
    const UJointCalibration::TJointCalibration self = UJointCalibration::Calibrate({window}, joint);
    if (self.Status == UJointCalibration::TStatus::Calibrated)
        v.Self = UValidation::BenchmarkOf(self.Windows.at(0).Simulation);
    constantAndRecession(v, window, calibratedOn, joint.Warmup + 2);
    v.Status = TWindowStatus::Validated;
}

void summarise(TValidation &v)
{
    std::vector<double> nse, kge;
    for (const TWindowValidation &w : v.Windows)
        if (w.Status == TWindowStatus::Validated && w.Validation.Skill.Valid) {
            nse.push_back(w.Validation.Skill.Fit.NSE);
            kge.push_back(w.Validation.Skill.Fit.KGE);
        }
    v.Summary.Defined = !nse.empty();
    if (!v.Summary.Defined)
        return;
    const std::array<double, 3> p{0.25, 0.5, 0.75};
    for (std::size_t k = 0; k < 3; ++k) {
        v.Summary.NSE[k] = UValidation::Quantile(nse.data(), nse.size(), p[k]);
        v.Summary.KGE[k] = UValidation::Quantile(kge.data(), kge.size(), p[k]);
    }
}

bool cancelled(const TOptions &options)
{
    return options.Joint.Cancel && options.Joint.Cancel->load();
}

} // namespace

std::vector<int> CalibrationWindows(int window, int count, const TOptions &options)
{
    std::vector<int> chosen;
    if (options.Rolling > 0) {
        for (int k = window - options.Rolling; k < window && window >= options.Rolling; ++k)
            chosen.push_back(k);
        return chosen;
    }
    std::vector<int> others;
    for (int k = 0; k < count; ++k)
        if (k != window)
            others.push_back(k);
    if (options.JointSize > 0 && options.JointSize < static_cast<int>(others.size())) {
        // The nearest in the order given, the earlier first among equals.
        std::stable_sort(others.begin(), others.end(), [window](int a, int b) {
            return std::abs(a - window) < std::abs(b - window);
        });
        others.resize(static_cast<std::size_t>(options.JointSize));
        std::sort(others.begin(), others.end());
    }
    return others;
}

std::string CheckWindows(const std::vector<TWindow> &windows, const TOptions &options)
{
    const int count = static_cast<int>(windows.size());
    if (options.JointSize > 0 && options.Rolling > 0)
        return "A window is validated either on the windows nearest to it or on those before it, "
               "not both.";
    if (options.JointSize < 0 || options.Rolling < 0)
        return "The number of windows to calibrate on is a whole number of 1 or more.";
    if (count < 2)
        return "A leave-one-out validation needs at least two windows.";
    if (options.JointSize >= count)
        return "There are " + std::to_string(count) + " windows: each can be calibrated on at " +
               "most " + std::to_string(count - 1) + " others, not " +
               std::to_string(options.JointSize) + ".";
    if (options.Rolling >= count)
        return "There are " + std::to_string(count) + " windows: none has " +
               std::to_string(options.Rolling) + " windows before it.";
    return UJointCalibration::CheckWindows(windows, options.Joint);
}

TValidation Validate(const std::vector<TWindow> &windows, const TOptions &options)
{
    const auto begin = std::chrono::steady_clock::now();
    TValidation v;
    v.Message = CheckWindows(windows, options);
    if (!v.Message.empty())
        return v;
    const int count = static_cast<int>(windows.size());
    for (int k = 0; k < count; ++k) {
        if (cancelled(options)) {
            v.Status = TStatus::Cancelled;
            v.Message = "The validation was cancelled.";
            return v;
        }
        const TWindow &window = windows[static_cast<std::size_t>(k)];
        TWindowValidation w;
        w.File = window.File;
        w.Rows = static_cast<int>(window.Input.Rows.size()) - 1 - options.Joint.Warmup;
        for (const URainRun::TAnalysisRow &r : window.Input.Rows) {
            w.Time.push_back(r.Time);
            w.Measured.push_back(r.Runoff);
        }
        std::vector<TWindow> calibratedOn;
        for (const int j : CalibrationWindows(k, count, options)) {
            calibratedOn.push_back(windows[static_cast<std::size_t>(j)]);
            w.CalibratedOn.push_back(calibratedOn.back().File);
        }
        if (calibratedOn.empty()) {
            w.Status = TWindowStatus::Skipped;
            w.Message = "fewer than " + std::to_string(options.Rolling) + " windows before it";
        } else {
            validateWindow(w, window, calibratedOn, options);
        }
        v.Windows.push_back(std::move(w));
        if (options.Progress)
            options.Progress(k + 1, count);
    }
    if (cancelled(options)) {
        v.Status = TStatus::Cancelled;
        v.Message = "The validation was cancelled.";
        return v;
    }
    summarise(v);
    v.Status = TStatus::Validated;
    v.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    return v;
}

} // namespace quellow::UJointValidation
