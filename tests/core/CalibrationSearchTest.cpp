// The calibration search against made-up objectives whose best set is known.
#include "calibration/UCalibration.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>

namespace quellow::UCalibration {
namespace {

/// A smooth hill whose top lies at MaxStor 120, InitStor 30, factor 1.4 (R square 0.95); the
/// recharge volume falls as the storage and the factor grow.
TEvaluation hill(const TParameters &p, int)
{
    const double a = std::log(p.MaxStor / 120), b = (p.InitStor - 30) / 50,
                 c = p.EscapeFactor - 1.4;
    TEvaluation fit;
    fit.Stopped = false;
    fit.RSquare = 0.95 - 0.2 * (a * a + b * b + c * c);
    fit.VolumeRatio = 1.8 - 0.003 * p.MaxStor - 0.3 * p.EscapeFactor;
    return fit;
}

/// A rugged surface: the hill broken into steps, a second, lower hill far away (MaxStor 8),
/// and sets that stop (MaxStor above 400).
TEvaluation rugged(const TParameters &p, int worker)
{
    TEvaluation fit = hill(p, worker);
    fit.RSquare = std::floor(fit.RSquare * 200) / 200;
    const double second = 0.9 - 0.5 * std::pow(std::log(p.MaxStor / 8), 2);
    fit.RSquare = std::max(fit.RSquare, second);
    fit.Stopped = p.MaxStor > 400;
    return fit;
}

TEST(CalibrationSearch, FindsTheTopOfSmoothAndRuggedSurfaces)
{
    const TResult smooth = Search(hill, {}, {});
    ASSERT_EQ(smooth.Outcome, TOutcome::Calibrated);
    EXPECT_NEAR(smooth.BestFit.RSquare, 0.95, 1e-4);
    EXPECT_NEAR(smooth.Best.MaxStor, 120, 3);
    EXPECT_NEAR(smooth.Best.InitStor, 30, 1.5);
    EXPECT_NEAR(smooth.Best.EscapeFactor, 1.4, 0.02);
    EXPECT_LE(smooth.Evaluations, DefaultEvaluations);
    EXPECT_GE(smooth.Evaluations, DefaultEvaluations / 2);

    const TResult steps = Search(rugged, {}, {});
    ASSERT_EQ(steps.Outcome, TOutcome::Calibrated);
    EXPECT_GE(steps.BestFit.RSquare, 0.945);
    EXPECT_GT(steps.BestFit.RSquare, steps.StartFit.RSquare);
}

TEST(CalibrationSearch, TheResultIsWhatTheInputFileHolds)
{
    const TResult r = Search(hill, {}, {});
    const TParameters written = AsWritten(r.Best);
    EXPECT_EQ(written.MaxStor, r.Best.MaxStor);
    EXPECT_EQ(written.InitStor, r.Best.InitStor);
    EXPECT_EQ(written.EscapeFactor, r.Best.EscapeFactor);

    // Two decimals from 1 up, four significant digits below, as the storage fields are written.
    const TParameters p = AsWritten({123.456, 0.04749, 1.23449});
    EXPECT_EQ(p.MaxStor, 123.46);
    EXPECT_EQ(p.InitStor, 0.04749);
    EXPECT_EQ(p.EscapeFactor, 1.234);
    EXPECT_EQ(AsWritten({1, 0, 0}).InitStor, 0.0);
}

TEST(CalibrationSearch, SameResultOnEveryThreadCount)
{
    TOptions options;
    options.Evaluations = 800;
    options.Threads = 1;
    const TResult one = Search(rugged, {50, 25, 1}, options);
    for (int threads : {2, 3, 4}) {
        options.Threads = threads;
        for (int repeat = 0; repeat < 2; ++repeat) {
            const TResult many = Search(rugged, {50, 25, 1}, options);
            EXPECT_EQ(many.Best.MaxStor, one.Best.MaxStor) << threads;
            EXPECT_EQ(many.Best.InitStor, one.Best.InitStor) << threads;
            EXPECT_EQ(many.Best.EscapeFactor, one.Best.EscapeFactor) << threads;
            EXPECT_EQ(many.BestFit.RSquare, one.BestFit.RSquare) << threads;
            EXPECT_EQ(many.Evaluations, one.Evaluations) << threads;
        }
    }
}

// The sets with the highest R square send no rain to the main reservoir: they must lose to the
// best set within the guard, even though that one fits worse.
TEST(CalibrationSearch, TheGuardRefusesImplausibleRechargeVolumes)
{
    auto gamed = [](const TParameters &p, int worker) {
        TEvaluation fit = hill(p, worker);
        if (p.MaxStor > 200) {
            fit.RSquare = 0.99;
            fit.VolumeRatio = 0;
        }
        return fit;
    };
    const TResult r = Search(gamed, {300, 100, 1}, {});
    ASSERT_EQ(r.Outcome, TOutcome::Calibrated);
    EXPECT_EQ(r.StartFit.RSquare, 0.99);
    EXPECT_LE(r.Best.MaxStor, 200);
    EXPECT_NEAR(r.BestFit.RSquare, 0.95, 1e-3);
    EXPECT_TRUE(Admissible(r.BestFit));

    TEvaluation fit;
    fit.Stopped = false;
    for (double ratio : {0.5, 1.0, 2.0}) {
        fit.VolumeRatio = ratio;
        EXPECT_TRUE(Admissible(fit)) << ratio;
    }
    for (double ratio : {0.0, 0.4999, 2.0001}) {
        fit.VolumeRatio = ratio;
        EXPECT_FALSE(Admissible(fit)) << ratio;
    }
    fit.VolumeRatio = 1;
    fit.Stopped = true;
    EXPECT_FALSE(Admissible(fit));
}

TEST(CalibrationSearch, NothingAdmissibleOrCancelledGivesNoResult)
{
    auto tooWet = [](const TParameters &p, int worker) {
        TEvaluation fit = hill(p, worker);
        fit.VolumeRatio = 2.5;
        return fit;
    };
    EXPECT_EQ(Search(tooWet, {}, {}).Outcome, TOutcome::NoAdmissibleSet);
    auto stops = [](const TParameters &, int) { return TEvaluation{}; };
    EXPECT_EQ(Search(stops, {}, {}).Outcome, TOutcome::NoAdmissibleSet);

    std::atomic<bool> cancel{false};
    TOptions options;
    options.Threads = 2;
    options.Cancel = &cancel;
    int lastDone = 0, calls = 0;
    options.Progress = [&](int done, int total) {
        EXPECT_GE(done, lastDone);
        EXPECT_EQ(total, DefaultEvaluations);
        lastDone = done;
        if (++calls == 10)
            cancel = true;
    };
    const TResult r = Search(hill, {}, options);
    EXPECT_EQ(r.Outcome, TOutcome::Cancelled);
    EXPECT_LT(r.Evaluations, DefaultEvaluations / 2);
}

} // namespace
} // namespace quellow::UCalibration
