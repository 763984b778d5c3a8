// Joint calibration on several windows: the single-window identity with a calibration, the
// joint objective against the windows' own simulations, the pooled selection that restarts in
// each window, the robust alpha function, and leave-one-out's independence of thread count.
#include "calibration/UCalibrationRun.h"
#include "calibration/UJointCalibration.h"
#include "calibration/UJointValidation.h"
#include "runs/UPrediction.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace quellow::UJointCalibration {
namespace {

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TWindow window(const std::string &name)
{
    TWindow w;
    std::string message;
    EXPECT_TRUE(ReadWindow(test::TestData("windows/" + name), w, message)) << message;
    return w;
}

/// count rows of a window from row from, renumbered from time firstTime.
TWindow part(const TWindow &w, std::size_t from, std::size_t count, const std::string &name,
             double firstTime = 1)
{
    TWindow p = w;
    p.File = name;
    p.Input.Rows.assign(w.Input.Rows.begin() + static_cast<std::ptrdiff_t>(from),
                        w.Input.Rows.begin() + static_cast<std::ptrdiff_t>(from + count));
    for (std::size_t k = 0; k < p.Input.Rows.size(); ++k) {
        p.Input.Rows[k].Serial = static_cast<int>(k + 1);
        p.Input.Rows[k].Time = firstTime + static_cast<double>(k);
    }
    return p;
}

TOptions small(int threads = 2)
{
    TOptions o;
    o.Evaluations = 300;
    o.Threads = threads;
    return o;
}

// One window given to the joint calibration is a calibration of that window: the same
// parameters, the same alpha function and the same figures, bit for bit.
TEST(JointCalibration, OneWindowIsTheCalibrationOfThatWindow)
{
    const TWindow w = window("hymod-2014.inp");
    for (TObjective objective : {TObjective::NSE, TObjective::KGE}) {
        TOptions options = small();
        options.Objective = objective;
        const TJointCalibration joint = Calibrate({w}, options);
        ASSERT_EQ(joint.Status, TStatus::Calibrated) << joint.Message;

        UCalibration::TOptions single;
        single.Objective = objective;
        single.Evaluations = options.Evaluations;
        single.Threads = options.Threads;
        const UCalibration::TCalibrationRun run =
            UCalibration::CalibrateAnalysis(w.Input, single, nullptr);
        ASSERT_EQ(run.Status, UCalibration::TStatus::Calibrated);
        const UCalibration::TResult &r = run.Search;
        EXPECT_TRUE(sameBits(joint.Best.MaxStor, r.Best.MaxStor));
        EXPECT_TRUE(sameBits(joint.Best.InitStor, r.Best.InitStor));
        EXPECT_TRUE(sameBits(joint.Best.EscapeFactor, r.Best.EscapeFactor));
        EXPECT_EQ(joint.Evaluations, r.Evaluations);
        EXPECT_TRUE(sameBits(joint.BestFit.Alpha.A1, r.BestFit.Alpha.A1));
        EXPECT_TRUE(sameBits(joint.BestFit.Alpha.Divide, r.BestFit.Alpha.Divide));
        EXPECT_TRUE(sameBits(joint.BestFit.RSquare, r.BestFit.RSquare));
        const TSkill &mine = joint.Windows.at(0).Simulation.Skill,
                     &theirs = r.BestFit.Simulation.Skill;
        EXPECT_TRUE(sameBits(mine.Fit.NSE, theirs.Fit.NSE));
        EXPECT_TRUE(sameBits(mine.Fit.KGE, theirs.Fit.KGE));
        EXPECT_TRUE(sameBits(mine.LogNSE, theirs.LogNSE));
        EXPECT_TRUE(sameBits(mine.Fit.VolumeError, theirs.Fit.VolumeError));
        EXPECT_TRUE(sameBits(joint.Value, UCalibration::ObjectiveValue(r.BestFit, objective)));
    }
}

// The joint NSE is 1 - sum(SSE) / sum(SST) of the windows' own simulations, each from its own
// first runoff and scored after its own warm-up; the KGE that of their scored rows together.
TEST(JointCalibration, ObjectiveComesFromEachWindowSimulatedOnItsOwn)
{
    const std::vector<TWindow> windows{window("hymod-2013.inp"), window("hymod-2014.inp"),
                                       window("hymod-2015.inp")};
    TOptions options = small();
    options.Warmup = 30;
    const TJointCalibration joint = Calibrate(windows, options);
    ASSERT_EQ(joint.Status, TStatus::Calibrated) << joint.Message;
    ASSERT_EQ(joint.Windows.size(), 3u);
    double sse = 0, sst = 0;
    std::vector<double> sim, obs;
    for (std::size_t k = 0; k < windows.size(); ++k) {
        const URainRun::TAnalysisInput input =
            UCalibration::CalibratedInput(windows[k].Input, joint.Best);
        USimulation::TScratch s;
        USimulation::Load(input, s);
        const TSimulationFit own =
            USimulation::Simulate(s, input.MaxSto, joint.BestFit.InitStor, joint.BestFit.Alpha,
                                  joint.BestFit.AlphaLimits, options.Warmup + 2);
        ASSERT_TRUE(own.Made);
        EXPECT_EQ(joint.Windows[k].Simulation.Skill.Fit.NSE, own.Skill.Fit.NSE);
        EXPECT_EQ(joint.Windows[k].Simulated.at(0), input.Rows[0].Runoff);
        double mean = 0;
        const int n = s.Count, first = options.Warmup + 2;
        for (int i = first; i <= n; ++i)
            mean += s.Observed[i] / (n - first + 1);
        for (int i = first; i <= n; ++i) {
            sse += (s.Observed[i] - s.Runoff[i]) * (s.Observed[i] - s.Runoff[i]);
            sst += (s.Observed[i] - mean) * (s.Observed[i] - mean);
            sim.push_back(s.Runoff[i]);
            obs.push_back(s.Observed[i]);
        }
    }
    EXPECT_NEAR(joint.Value, 1 - sse / sst, 1e-12);
    EXPECT_NEAR(joint.BestFit.Simulation.Skill.Fit.KGE,
                FitMeasures(sim.data(), obs.data(), sim.size()).KGE, 1e-12);
    EXPECT_GE(joint.Value, UCalibration::ObjectiveValue(joint.StartFit, TObjective::NSE));
    EXPECT_NEAR(joint.FillFraction, joint.Best.InitStor / joint.Best.MaxStor, 0);
}

// The recession steps are selected in each window with its own recharge: the first pass of the
// pooled analysis is, row for row, that of each window analysed alone. The first window ends on
// a dry recession, which the last row of a window never is, and the runoff falls over the long
// step into the second, which no step leads into.
TEST(JointCalibration, PooledSelectionRestartsInEachWindow)
{
    const TWindow whole = window("hymod-2014.inp");
    // The first window ends on a row that the first pass selects in the whole year.
    const TParameters set{80, 40, 1};
    URainRun::TState yearState;
    {
        const URainRun::TPreparedSeries year = URainRun::PrepareSeries(whole.Input);
        URainRun::TFirstReservoir yearSet;
        URainRun::ApplyCalibration(whole.Input, set, yearSet);
        ASSERT_FALSE(URainRun::Evaluate(year, yearSet, yearState, {}).Stopped);
    }
    std::size_t end = 100;
    while (!yearState.FirstPass[end + 1] && end < 300)
        ++end;
    ASSERT_LT(end, 300u);
    const int n = static_cast<int>(end) + 1;
    const TWindow a = part(whole, 0, end + 1, "a");
    TWindow b = part(whole, 150, 100, "b", 1000);
    b.Input.Rows[0].Runoff = a.Input.Rows.back().Runoff / 2;
    URainRun::TAnalysisInput joined = a.Input;
    joined.Rows.insert(joined.Rows.end(), b.Input.Rows.begin(), b.Input.Rows.end());
    const URainRun::TPreparedSeries series = URainRun::PrepareSeries(joined, {1, n + 1});
    URainRun::TFirstReservoir reservoir;
    URainRun::ApplyCalibration(joined, set, reservoir);
    URainRun::TState pooled;
    const URainRun::TEvaluation fit =
        URainRun::Evaluate(series, reservoir, pooled, URainRun::TEvaluateOptions{});
    ASSERT_FALSE(fit.Stopped);
    for (const auto &[w, offset] : {std::pair<const TWindow *, int>{&a, 0}, {&b, n}}) {
        URainRun::TState alone;
        const URainRun::TPreparedSeries own = URainRun::PrepareSeries(w->Input);
        URainRun::TFirstReservoir ownSet;
        URainRun::ApplyCalibration(w->Input, set, ownSet);
        ASSERT_FALSE(URainRun::Evaluate(own, ownSet, alone, URainRun::TEvaluateOptions{}).Stopped);
        int selected = 0;
        for (int i = 1; i <= static_cast<int>(w->Input.Rows.size()); ++i) {
            EXPECT_EQ(pooled.FirstPass[i + offset], alone.FirstPass[i]) << "row " << i + offset;
            EXPECT_EQ(pooled.ActSto[i + offset], alone.ActSto[i]) << "row " << i + offset;
            selected += alone.FirstPass[i];
        }
        EXPECT_GT(selected, 10);
    }
    // The step into the second window is no recession, whatever the runoffs on either side.
    EXPECT_FALSE(series.RowRecedes[n + 1]);
    EXPECT_EQ(pooled.RunCalc[n + 1], series.RunMeas[n + 1]);
}

// The robust function: a range with fewer than five points takes the line over both ranges, and
// a simulation holds alpha beyond the runoffs of the points.
TEST(JointCalibration, RobustAlphaPoolsWeakRangesAndHoldsAlphaAtTheEdges)
{
    // The shortest start of the year whose robust function has a range of three or four points
    // at three distinct runoffs: weak by its number of points alone.
    const TWindow year = window("hymod-2014.inp");
    URainRun::TEvaluateOptions robust;
    robust.RobustAlpha = true;
    URainRun::TState plain, held;
    URainRun::TEvaluation on;
    TWindow w;
    const auto weakByCount = [&held](bool upper) {
        std::vector<double> x;
        for (const int i : held.SelectedRows)
            if ((held.Series().RunMeas[i] > held.Divide) == upper)
                x.push_back(held.Series().RunMeas[i]);
        std::sort(x.begin(), x.end());
        return x.size() >= 3 && x.size() < 5 && std::unique(x.begin(), x.end()) - x.begin() >= 3;
    };
    for (std::size_t rows = 30; rows < 365; ++rows) {
        w = part(year, 0, rows, "short");
        on = URainRun::Evaluate(w.Input, held, robust);
        if (!on.Stopped && (weakByCount(true) || weakByCount(false)))
            break;
    }
    const URainRun::TEvaluation off =
        URainRun::Evaluate(w.Input, plain, URainRun::TEvaluateOptions{});
    ASSERT_FALSE(off.Stopped);
    ASSERT_FALSE(on.Stopped);
    EXPECT_FALSE(off.AlphaLimits.Held);
    ASSERT_TRUE(on.AlphaLimits.Held);
    // The line over the points of both ranges, and their runoffs' range, fitted here by hand.
    const URainRun::TPreparedSeries &series = held.Series();
    double sx = 0, sy = 0, sxx = 0, sxy = 0, low = 1e300, high = -1e300;
    for (const int i : held.SelectedRows) {
        const double x = series.RunMeas[i], y = held.MeasuredAlpha[i];
        sx += x;
        sy += y;
        sxx += x * x;
        sxy += x * y;
        low = std::min(low, x);
        high = std::max(high, x);
    }
    const double count = static_cast<double>(held.SelectedRows.size());
    const double slope = (sxy - sx * sy / count) / (sxx - sx * sx / count);
    const double constant = sy / count - slope * sx / count;
    const bool upperWeak = held.UpperRegCount < URainRun::RobustMinPoints;
    const bool lowerWeak = held.LowerRegCount < URainRun::RobustMinPoints;
    ASSERT_NE(upperWeak, lowerWeak) << "the short window should leave one range weak";
    ASSERT_GE(std::min(held.UpperRegCount, held.LowerRegCount), 2);
    EXPECT_NEAR(upperWeak ? on.Alpha.A1 : on.Alpha.A2, slope, 1e-9);
    EXPECT_NEAR(upperWeak ? on.Alpha.B1 : on.Alpha.B2, constant, 1e-9);
    EXPECT_EQ(upperWeak ? on.Alpha.A2 : on.Alpha.A1, upperWeak ? off.Alpha.A2 : off.Alpha.A1);
    EXPECT_EQ(on.AlphaLimits.Low, low);
    EXPECT_EQ(on.AlphaLimits.High, high);

    // Routed by hand: from a runoff of 3 above the highest point (1.5), alpha is that at 1.5.
    TModelValues alpha;
    alpha.A1 = -1;
    alpha.B1 = 2;
    alpha.A2 = -1;
    alpha.B2 = 2;
    alpha.Divide = 1;
    const double time[] = {0, 1, 2}, rain[] = {0, 0, 0}, escape[] = {0, 0, 0};
    double dead[3], recharge[3], runoff[3];
    ASSERT_TRUE(UPrediction::RouteRunoff(2, time, rain, escape, 10, 10, alpha, 3, dead, recharge,
                                         runoff, {true, 0.5, 1.5}));
    EXPECT_DOUBLE_EQ(runoff[2], 3 * std::exp(-0.5));
    ASSERT_TRUE(UPrediction::RouteRunoff(2, time, rain, escape, 10, 10, alpha, 3, dead, recharge,
                                         runoff, {}));
    EXPECT_DOUBLE_EQ(runoff[2], 3 * std::exp(-0.001)); // alpha(3) = -1, floored
}

// With the prediction's first reservoir, the analysis routes the recharge that the simulation
// of its window routes (its own keeps the deficit after an overflow and gives less).
TEST(JointCalibration, PredictionReservoirGivesTheAnalysisTheSimulationsRecharge)
{
    const TWindow w = window("hymod-2014.inp");
    URainRun::TEvaluateOptions options;
    options.PredictionReservoir = true;
    options.Simulate = URainRun::TSimulate::Fit;
    URainRun::TState own, prediction;
    ASSERT_FALSE(URainRun::Evaluate(w.Input, own, URainRun::TSimulate::Fit).Stopped);
    ASSERT_FALSE(URainRun::Evaluate(w.Input, prediction, options).Stopped);
    double analysed = 0, routed = 0, kept = 0;
    for (int i = 3; i <= static_cast<int>(w.Input.Rows.size()); ++i) {
        EXPECT_EQ(prediction.Rech[i], prediction.Simulation.Recharge[i]) << "row " << i;
        analysed += prediction.Rech[i];
        routed += prediction.Simulation.Recharge[i];
        kept += own.Rech[i];
    }
    EXPECT_EQ(analysed, routed);
    EXPECT_LT(kept, routed);
}

// Windows that do not go together are refused, naming the files, before anything runs.
TEST(JointCalibration, RefusesWindowsThatDoNotGoTogether)
{
    const TWindow a = window("hymod-2013.inp"), b = window("hymod-2014.inp");
    EXPECT_NE(CheckWindows({a, a}, small()).find("given twice"), std::string::npos);
    TWindow hourly = b;
    for (URainRun::TAnalysisRow &r : hourly.Input.Rows)
        r.Time /= 24;
    const std::string steps = CheckWindows({a, hourly}, small());
    EXPECT_NE(steps.find(a.File), std::string::npos);
    EXPECT_NE(steps.find(hourly.File), std::string::npos);
    TWindow units = b;
    units.Input.TimeUnit = "h";
    EXPECT_NE(CheckWindows({a, units}, small()).find("different units"), std::string::npos);
    const TWindow tiny = part(b, 0, 12, "tiny");
    EXPECT_NE(CheckWindows({a, tiny}, small()).find("at least 12"), std::string::npos);
    TWindow rising = part(b, 0, 40, "rising");
    for (std::size_t k = 0; k < rising.Input.Rows.size(); ++k)
        rising.Input.Rows[k].Runoff = 1 + 0.1 * static_cast<double>(k);
    EXPECT_NE(CheckWindows({a, rising}, small()).find("no step"), std::string::npos);
    TOptions rsquare = small();
    rsquare.Objective = TObjective::RSquare;
    EXPECT_FALSE(CheckWindows({a}, rsquare).empty());
    const TJointCalibration refused = Calibrate({a, a}, small());
    EXPECT_EQ(refused.Status, TStatus::BadInput);
    EXPECT_EQ(refused.Evaluations, 0);
}

// Leave-one-out gives the same figures, to the last bit, on one thread and on two.
TEST(JointValidation, LeaveOneOutIsTheSameForAnyThreadCount)
{
    const TWindow whole = window("hymod-2014.inp");
    const std::vector<TWindow> windows{part(whole, 0, 90, "a"), part(whole, 90, 90, "b"),
                                       part(whole, 180, 90, "c"), part(whole, 270, 90, "d")};
    UJointValidation::TOptions one;
    one.Joint = small(1);
    one.Joint.Evaluations = 150;
    UJointValidation::TOptions two = one;
    two.Joint.Threads = 2;
    const UJointValidation::TValidation v1 = UJointValidation::Validate(windows, one);
    const UJointValidation::TValidation v2 = UJointValidation::Validate(windows, two);
    ASSERT_EQ(v1.Status, UJointValidation::TStatus::Validated) << v1.Message;
    ASSERT_EQ(v1.Windows.size(), 4u);
    for (std::size_t k = 0; k < 4; ++k) {
        const auto &a = v1.Windows[k], &b = v2.Windows[k];
        ASSERT_EQ(a.Status, UJointValidation::TWindowStatus::Validated) << a.Message;
        EXPECT_EQ(a.CalibratedOn.size(), 3u);
        EXPECT_TRUE(sameBits(a.Validation.Skill.Fit.NSE, b.Validation.Skill.Fit.NSE));
        EXPECT_TRUE(sameBits(a.Self.Fit.NSE, b.Self.Fit.NSE));
        EXPECT_TRUE(sameBits(a.Start.Fit.KGE, b.Start.Fit.KGE));
    }
    EXPECT_TRUE(v1.Summary.Defined);
    EXPECT_TRUE(sameBits(v1.Summary.NSE[1], v2.Summary.NSE[1]));

    // The mean benchmark of a window is the mean runoff of the windows it was calibrated on.
    double sum = 0;
    std::size_t rows = 0;
    for (std::size_t k = 1; k < 4; ++k)
        for (const URainRun::TAnalysisRow &r : windows[k].Input.Rows) {
            sum += r.Runoff;
            ++rows;
        }
    USimulation::TScratch s;
    USimulation::Load(URainRun::AsWritten(windows[0].Input), s);
    const TSkill mean = USimulation::ConstantSkill(s, sum / static_cast<double>(rows), 2);
    ASSERT_TRUE(v1.Windows[0].Mean.Defined);
    EXPECT_TRUE(sameBits(v1.Windows[0].Mean.Fit.NSE, mean.Fit.NSE));

    // The summary: the quartiles of the windows' validation NSE.
    std::vector<double> nse;
    for (const auto &w : v1.Windows)
        nse.push_back(w.Validation.Skill.Fit.NSE);
    for (const auto &[k, p] : {std::pair<std::size_t, double>{0, 0.25}, {1, 0.5}, {2, 0.75}}) {
        std::vector<double> x = nse;
        EXPECT_EQ(v1.Summary.NSE[k], UValidation::Quantile(x.data(), x.size(), p)) << p;
    }
}

// Windows that start full start full whatever the search tries: the filling fraction is 1.
TEST(JointCalibration, FullStartKeepsEveryWindowFull)
{
    TOptions options = small();
    options.InitStorage = TInitStorage::Full;
    const TJointCalibration joint =
        Calibrate({window("hymod-2013.inp"), window("hymod-2014.inp")}, options);
    ASSERT_EQ(joint.Status, TStatus::Calibrated) << joint.Message;
    EXPECT_EQ(joint.Best.InitStor, joint.Best.MaxStor);
    EXPECT_EQ(joint.FillFraction, 1);
    EXPECT_EQ(joint.Start.InitStor, joint.Start.MaxStor);
}

TEST(JointValidation, ChoosesTheWindowsToCalibrateOn)
{
    UJointValidation::TOptions o;
    EXPECT_EQ(UJointValidation::CalibrationWindows(2, 5, o), (std::vector<int>{0, 1, 3, 4}));
    o.JointSize = 2;
    EXPECT_EQ(UJointValidation::CalibrationWindows(0, 5, o), (std::vector<int>{1, 2}));
    EXPECT_EQ(UJointValidation::CalibrationWindows(2, 5, o), (std::vector<int>{1, 3}));
    EXPECT_EQ(UJointValidation::CalibrationWindows(4, 5, o), (std::vector<int>{2, 3}));
    o.JointSize = 3;
    EXPECT_EQ(UJointValidation::CalibrationWindows(2, 5, o), (std::vector<int>{0, 1, 3}));
    o.JointSize = 0;
    o.Rolling = 2;
    EXPECT_TRUE(UJointValidation::CalibrationWindows(1, 5, o).empty());
    EXPECT_EQ(UJointValidation::CalibrationWindows(3, 5, o), (std::vector<int>{1, 2}));
}

} // namespace
} // namespace quellow::UJointCalibration
