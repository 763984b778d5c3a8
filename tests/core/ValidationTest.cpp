// The simulation of an analysis window against a prediction run of the same values, the
// validation's benchmarks, the band's quantiles and coverage, and quellow-cli validate.
#include "calibration/UCalibrationRun.h"
#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "files/UInputFile.h"
#include "runs/UPrediction.h"
#include "runs/URainRun.h"
#include "runs/USimulation.h"
#include "files/UTextFields.h"
#include "calibration/UValidation.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <regex>
#include <set>
#include <stdexcept>
#include <tuple>
#include <sys/wait.h>

using namespace quellow;
using namespace quellow::test;

namespace {

URainRun::TAnalysisInput window(const std::string &name)
{
    URainRun::TAnalysisInput input;
    EXPECT_TRUE(URainRun::ReadAnalysisInput(TestData("windows/" + name), input, nullptr));
    return input;
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

/// The text of a prediction (runoff) file holding the window's rows and storages and the alpha
/// function.
std::string predictionFile(const URainRun::TAnalysisInput &input, double maxStor, double initStor,
                           double initRun, const TModelValues &alpha)
{
    TDMQuellow dm;
    dm.FileName = "p.inp";
    dm.ModeTag = " Pre";
    dm.Analysis = false;
    dm.Drainage = false;
    dm.MaxStor = maxStor;
    dm.InitStor = initStor;
    dm.MaxEscape = input.MaxEsc;
    dm.Porosity = 5;
    dm.InitRun = initRun;
    dm.ResizeRows(input.Rows.size());
    for (std::size_t i = 0; i < input.Rows.size(); ++i) {
        dm.Time[i] = input.Rows[i].Time;
        dm.Rain[i] = input.Rows[i].Rain;
        dm.Escape[i] = input.Rows[i].Escape;
    }
    dm.NrOfData = static_cast<std::int32_t>(input.Rows.size());
    std::string text;
    EXPECT_TRUE(InputFileText(dm, alpha, text));
    return text;
}

} // namespace

// The simulation of an analysis's own window is a prediction run of a file holding the same
// series and storages, with the analysis's alpha function and the first measured runoff: the
// same doubles at every step. Each window once as given and once calibrated (another initial
// storage and escape factor).
TEST(Simulation, EqualsAPredictionRunBitForBit)
{
    for (const char *name : {"gr4j-1991.inp", "hymod-2015.inp"}) {
        URainRun::TAnalysisInput input = window(name);
        for (const TParameters &p : {TParameters{50, 25, 1}, TParameters{321.5, 300.25, 0.731}}) {
            URainRun::TAnalysisInput applied;
            URainRun::ApplyCalibration(input, p, applied);
            URainRun::TState s;
            const URainRun::TEvaluation e =
                URainRun::Evaluate(applied, s, URainRun::TSimulate::Full);
            ASSERT_FALSE(e.Stopped) << name;
            ASSERT_TRUE(e.Simulation.Made);

            UPrediction::TState pred;
            const std::vector<std::string> lines = splitLines(predictionFile(
                applied, applied.MaxSto, applied.IniSto, applied.Rows[0].Runoff, e.Alpha));
            UPrediction::ReadPredictionLines(pred, lines, "p.inp");
            ASSERT_FALSE(pred.PredFailed);
            // The file holds the alpha function in five digits; the run takes the analysis's.
            pred.Values = e.Alpha;
            UPrediction::RoutePrediction(pred);

            const USimulation::TScratch &sim = s.Simulation;
            ASSERT_EQ(sim.Count, pred.NrOfPred);
            int differing = 0;
            for (int i = 1; i <= sim.Count; ++i)
                differing += !sameBits(sim.Runoff[i], pred.RunoffCalc[i]);
            EXPECT_EQ(differing, 0) << name << " " << p.MaxStor;
            // Scored against the measured runoff of rows 2..N.
            std::vector<double> simulated, measured, steps;
            for (int i = 2; i <= sim.Count; ++i) {
                simulated.push_back(pred.RunoffCalc[i]);
                measured.push_back(applied.Rows[static_cast<std::size_t>(i - 1)].Runoff);
                steps.push_back(pred.PTime[i] - pred.PTime[i - 1]);
            }
            const TSkill skill =
                Skill(simulated.data(), measured.data(), simulated.size(), steps.data());
            EXPECT_EQ(e.Simulation.Skill.Fit.NSE, skill.Fit.NSE);
            EXPECT_EQ(e.Simulation.Skill.LogNSE, skill.LogNSE);
        }
    }
}

// In memory a window is simulated whatever its length (a prediction file takes 501 steps), and
// the prediction's rule on the initial runoff is applied and told.
TEST(Simulation, HasNoStepLimitAndTellsARaisedInitialRunoff)
{
    const URainRun::TAnalysisInput input = window("gr4j-1991-1992.inp");
    URainRun::TState s;
    const URainRun::TEvaluation e = URainRun::Evaluate(input, s, URainRun::TSimulate::Full);
    ASSERT_FALSE(e.Stopped);
    EXPECT_TRUE(e.Simulation.Made);
    EXPECT_EQ(s.Simulation.Count, 730);
    EXPECT_TRUE(e.Simulation.Skill.Valid);
    EXPECT_FALSE(e.Simulation.InitialRunoffRaised);

    USimulation::TScratch scratch;
    USimulation::Load(input, scratch);
    TModelValues alpha = USimulation::AlphaFunction(0.01, -5, 0.01, 0.1, 3);
    const TSimulationFit raised = USimulation::Simulate(scratch, 50, 25, alpha, 2);
    EXPECT_TRUE(raised.InitialRunoffRaised); // the first runoff, 2.81, is below 5
    EXPECT_EQ(raised.InitialRunoff, 5 * 1.1);
    EXPECT_EQ(scratch.Runoff[1], 5 * 1.1);
}

// Hand-computed measures: obs 1, 2, 3, 4 against sim 2, 2, 4, 4 over steps 1, 1, 2, 1.
TEST(Simulation, ScoresWithKgePartsLogNseAndStepWeightedVolume)
{
    const double obs[] = {1, 2, 3, 4}, sim[] = {2, 2, 4, 4}, steps[] = {1, 1, 2, 1};
    const TSkill s = Skill(sim, obs, 4, steps);
    ASSERT_TRUE(s.Valid);
    // mean o 2.5, sum (o - mo)^2 = 5; sse = 1 + 0 + 1 + 0 = 2.
    EXPECT_DOUBLE_EQ(s.Fit.NSE, 1 - 2.0 / 5);
    // mean s 3, sum (s - ms)^2 = 4, cross = (-1.5)(-1) + (-0.5)(-1) + 0.5 + 1.5 = 4.
    EXPECT_DOUBLE_EQ(s.Fit.R, 4 / std::sqrt(5.0 * 4));
    EXPECT_DOUBLE_EQ(s.Fit.Alpha, std::sqrt(4.0 / 5));
    EXPECT_DOUBLE_EQ(s.Fit.Beta, 3 / 2.5);
    // volumes 1 + 2 + 6 + 4 = 13 and 2 + 2 + 8 + 4 = 16.
    EXPECT_DOUBLE_EQ(s.Fit.VolumeError, 100 * 3.0 / 13);
    // log(q + 0.025): the NSE of the logs.
    double lo[4], ls[4], mean = 0;
    for (int k = 0; k < 4; ++k) {
        lo[k] = std::log(obs[k] + 0.025);
        ls[k] = std::log(sim[k] + 0.025);
        mean += lo[k] / 4;
    }
    double sse = 0, sst = 0;
    for (int k = 0; k < 4; ++k) {
        sse += (lo[k] - ls[k]) * (lo[k] - ls[k]);
        sst += (lo[k] - mean) * (lo[k] - mean);
    }
    EXPECT_NEAR(s.LogNSE, 1 - sse / sst, 1e-14);
    EXPECT_TRUE(s.LogValid);
    // A measured value below minus a hundredth of the mean has no logarithm: the other figures
    // stand, the log NSE is undefined rather than 0.
    const double marked[] = {1, 2, -999, 4};
    const TSkill m = Skill(sim, marked, 4, steps);
    EXPECT_TRUE(m.Valid);
    EXPECT_FALSE(m.LogValid);
}

// Hyndman and Fan type 7 as R's default quantile(): 1..10 gives 1.45 and 9.55.
TEST(Band, QuantilesCoverageAndWidthByHand)
{
    std::vector<double> x = {10, 3, 7, 1, 9, 2, 8, 5, 4, 6};
    EXPECT_DOUBLE_EQ(UValidation::Quantile(x.data(), x.size(), 0.05), 1.45);
    EXPECT_DOUBLE_EQ(UValidation::Quantile(x.data(), x.size(), 0.95), 9.55);
    double one = 4;
    EXPECT_EQ(UValidation::Quantile(&one, 1, 0.95), 4);

    // Ten sets on three rows: set k gives k on row 1, 10 + k on row 2 and 20 + 2k on row 3
    // (k = 1..10). Row 1 is not scored.
    std::vector<double> runoff;
    for (int k = 1; k <= 10; ++k)
        for (double v : {double(k), 10.0 + k, 20.0 + 2 * k})
            runoff.push_back(v);
    UValidation::TBand band;
    // Row 2: band 11.45 .. 19.55, measured 11.45 on the bound (inside); row 3: band 22.9 ..
    // 39.1, measured 40 outside.
    UValidation::BandFromRuns(runoff, 10, {0, 11.45, 40}, 2, band);
    EXPECT_DOUBLE_EQ(band.Low[1], 11.45);
    EXPECT_DOUBLE_EQ(band.High[2], 39.1);
    EXPECT_EQ(band.Coverage, 0.5);
    ASSERT_TRUE(band.WidthDefined);
    EXPECT_DOUBLE_EQ(band.Width, ((19.55 - 11.45) + (39.1 - 22.9)) / 2 / ((11.45 + 40) / 2));
}

// Benchmarks: without calibration and with factor 1 the start is the validation itself; a
// window validated on itself gives the self benchmark; the mean benchmark is the NSE of CAL's
// mean as a constant; the recession is the first runoff decaying with the alpha function.
TEST(Validation, BenchmarksMeanWhatTheySay)
{
    const URainRun::TAnalysisInput cal = window("hymod-2013.inp"), val = window("hymod-2014.inp");
    UValidation::TOptions options;
    options.Calibrate = false;
    options.Warmup = 30;
    const UValidation::TValidation v = UValidation::Validate(cal, "c", val, "v", options);
    ASSERT_EQ(v.Status, UValidation::TStatus::Validated) << v.Message;
    EXPECT_EQ(v.Rows, 365 - 31);
    EXPECT_EQ(v.Start.Fit.NSE, v.Validation.Skill.Fit.NSE);
    EXPECT_EQ(v.Start.Fit.VolumeError, v.Validation.Skill.Fit.VolumeError);
    EXPECT_FALSE(v.Band.Made);
    ASSERT_FALSE(v.Notes.empty());

    double calMean = 0;
    for (const auto &r : cal.Rows)
        calMean += r.Runoff / cal.Rows.size();
    double mean = 0, sse = 0, sst = 0;
    for (std::size_t k = 31; k < val.Rows.size(); ++k)
        mean += val.Rows[k].Runoff / v.Rows;
    for (std::size_t k = 31; k < val.Rows.size(); ++k) {
        sse += (val.Rows[k].Runoff - calMean) * (val.Rows[k].Runoff - calMean);
        sst += (val.Rows[k].Runoff - mean) * (val.Rows[k].Runoff - mean);
    }
    EXPECT_NEAR(v.Mean.Fit.NSE, 1 - sse / sst, 1e-12);

    // Recession by hand on a small window: alpha 0.1 throughout, steps of 1 and 2.
    USimulation::TScratch s;
    URainRun::TAnalysisInput small;
    small.Rows = {{1, 1, 5, 0, 2}, {2, 2, 5, 0, 1.8}, {3, 4, 5, 0, 1.5}};
    USimulation::Load(small, s);
    const TSimulationFit r =
        USimulation::Recession(s, USimulation::AlphaFunction(0, 0.1, 0, 0.1, 1), 2);
    ASSERT_TRUE(r.Made);
    EXPECT_DOUBLE_EQ(s.Runoff[2], 2 * std::exp(-0.1));
    EXPECT_DOUBLE_EQ(s.Runoff[3], 2 * std::exp(-0.1) * std::exp(-0.2));

    options.Calibrate = true;
    options.Warmup = 0;
    const UValidation::TValidation self = UValidation::Validate(val, "v", val, "v", options);
    ASSERT_EQ(self.Status, UValidation::TStatus::Validated) << self.Message;
    ASSERT_TRUE(self.Self.Defined);
    EXPECT_EQ(self.Self.Fit.NSE, self.Validation.Skill.Fit.NSE);
    EXPECT_EQ(self.Validation.Skill.Fit.NSE, self.CalFit.Simulation.Skill.Fit.NSE);
    ASSERT_TRUE(self.Band.Made);
    EXPECT_GE(self.Band.Sets, UValidation::MinBandSets);
    EXPECT_LE(self.Band.Sets, UValidation::MaxBandSets);
    // Best first, ties in evaluation order, all within 0.05 of the best: the first member is the
    // calibrated set, and the ranges hold it.
    EXPECT_EQ(self.Band.Members.front().Parameters.MaxStor, self.Cal.MaxStor);
    const double best = self.Band.Members.front().Objective;
    for (std::size_t k = 1; k < self.Band.Members.size(); ++k) {
        const UValidation::TBandSet &a = self.Band.Members[k - 1], &b = self.Band.Members[k];
        EXPECT_TRUE(a.Objective > b.Objective || (a.Objective == b.Objective && a.Order < b.Order));
        EXPECT_GE(b.Objective, best - 0.05);
    }
    EXPECT_LE(self.Band.MaxStor[0], self.Cal.MaxStor);
    EXPECT_GE(self.Band.MaxStor[1], self.Cal.MaxStor);
    EXPECT_FALSE(self.Evaluated.empty());
}

// VAL is simulated with CAL's maximum storage, the initial storage the option names, CAL's
// factor on VAL's escape rates (rounded as written) and CAL's alpha function, from VAL's first
// measured runoff: the same as simulating that by hand.
TEST(Validation, TransfersWhatTheOptionsSay)
{
    const URainRun::TAnalysisInput cal = window("gr4j-1992.inp"), val = window("gr4j-1991.inp");
    URainRun::TState s;
    const URainRun::TEvaluation calFit =
        URainRun::Evaluate(URainRun::AsWritten(cal), s, URainRun::TSimulate::No);
    UValidation::TOptions options;
    options.Calibrate = false;
    options.EscapeFactor = 0.4567;
    for (const auto rule : {UValidation::TInitStorage::Cal, UValidation::TInitStorage::Full,
                            UValidation::TInitStorage::Value}) {
        options.InitStorage = rule;
        options.InitStorValue = 12.5;
        const UValidation::TValidation v = UValidation::Validate(cal, "c", val, "v", options);
        ASSERT_EQ(v.Status, UValidation::TStatus::Validated) << v.Message;
        const double init = rule == UValidation::TInitStorage::Cal    ? 25
                            : rule == UValidation::TInitStorage::Full ? 50
                                                                      : 12.5;
        EXPECT_EQ(v.InitStor, init);
        URainRun::TAnalysisInput applied;
        URainRun::ApplyCalibration(URainRun::AsWritten(val), {50, init, 0.4567}, applied);
        USimulation::TScratch scratch;
        USimulation::Load(applied, scratch);
        const TSimulationFit byHand = USimulation::Simulate(scratch, 50, init, calFit.Alpha, 2);
        EXPECT_EQ(v.Validation.Skill.Fit.NSE, byHand.Skill.Fit.NSE);
        EXPECT_EQ(v.Validation.Skill.Fit.VolumeError, byHand.Skill.Fit.VolumeError);
        EXPECT_EQ(v.Simulated.back(), scratch.Runoff[365]);
        // The start benchmark keeps the file's escape rates.
        EXPECT_NE(v.Start.Fit.NSE, v.Validation.Skill.Fit.NSE);
    }
    // A window may cancel: nothing is calibrated.
    const std::atomic<bool> cancel{true};
    UValidation::TOptions cancelled;
    cancelled.Cancel = &cancel;
    EXPECT_EQ(UValidation::Validate(cal, "c", val, "v", cancelled).Status,
              UValidation::TStatus::Cancelled);
    URainRun::TAnalysisInput dry = val;
    for (auto &row : dry.Rows)
        row.Runoff = 0;
    const UValidation::TValidation none = UValidation::Validate(cal, "c", dry, "v", options);
    EXPECT_EQ(none.Status, UValidation::TStatus::BadInput);
    EXPECT_NE(none.Message.find("holds no measured runoff"), std::string::npos) << none.Message;
}

// A storage given in mm is the start as it stands: 0 is an empty start, not the input file's
// tenth of the maximum; one above the maximum storage is refused, before a calibration when it
// lies beyond every maximum the search gives, else once the maximum is known.
TEST(Validation, GivenInitialStorageIsTakenAsItStandsUpToTheMaximum)
{
    const URainRun::TAnalysisInput cal = window("gr4j-1992.inp"), val = window("gr4j-1991.inp");
    UValidation::TOptions options;
    options.Calibrate = false;
    options.InitStorage = UValidation::TInitStorage::Value;
    options.InitStorValue = 0;
    const UValidation::TValidation empty = UValidation::Validate(cal, "c", val, "v", options);
    ASSERT_EQ(empty.Status, UValidation::TStatus::Validated) << empty.Message;
    EXPECT_EQ(empty.InitStor, 0);
    URainRun::TState s;
    const URainRun::TEvaluation calFit =
        URainRun::Evaluate(URainRun::AsWritten(cal), s, URainRun::TSimulate::No);
    USimulation::TScratch scratch;
    USimulation::Load(URainRun::AsWritten(val), scratch);
    const TSimulationFit byHand = USimulation::Simulate(scratch, 50, 0, calFit.Alpha, 2);
    EXPECT_EQ(empty.Validation.Skill.Fit.NSE, byHand.Skill.Fit.NSE);

    options.InitStorValue = 50; // the maximum: a full start
    EXPECT_EQ(UValidation::Validate(cal, "c", val, "v", options).Status,
              UValidation::TStatus::Validated);
    options.InitStorValue = 50.5;
    const UValidation::TValidation above = UValidation::Validate(cal, "c", val, "v", options);
    EXPECT_EQ(above.Status, UValidation::TStatus::BadInput);
    EXPECT_EQ(above.Message, "The initial storage of 50.5 mm lies above the maximum storage of "
                             "50.00 mm (the calibration file's): give at most the maximum, or "
                             "full.");
    options.Calibrate = true;
    options.InitStorValue = 100000;
    const UValidation::TValidation beyond = UValidation::Validate(cal, "c", val, "v", options);
    EXPECT_EQ(beyond.Status, UValidation::TStatus::BadInput);
    EXPECT_FALSE(beyond.Calibrated); // refused before the calibration
    EXPECT_NE(beyond.Message.find("above the maximum storage of 500.00 mm (the largest the "
                                  "calibration searches)"),
              std::string::npos)
        << beyond.Message;
    options.Evaluations = 200; // calibrates to a maximum of about 31 mm
    options.InitStorValue = 499.99;
    const UValidation::TValidation calibrated = UValidation::Validate(cal, "c", val, "v", options);
    EXPECT_EQ(calibrated.Status, UValidation::TStatus::BadInput);
    EXPECT_NE(calibrated.Message.find("The initial storage of 499.99 mm lies above the maximum "
                                      "storage of"),
              std::string::npos)
        << calibrated.Message;
    EXPECT_NE(calibrated.Message.find("(the calibrated one)"), std::string::npos);
}

// A fault while the band's sets are simulated, on whichever of its threads, ends the validation
// with the reason instead of the program: memory in the validation's words, another fault with
// its own text.
TEST(Validation, FaultInTheBandEndsItWithTheReason)
{
    const URainRun::TAnalysisInput val = window("hymod-2014.inp");
    UValidation::TOptions options;
    options.Evaluations = 400;
    options.Threads = 2;
    std::atomic<int> reached{0};
    options.BeforeBandSet = [&reached](int set) {
        ++reached;
        if (set == 5)
            throw std::runtime_error("set 5 went wrong");
    };
    const UValidation::TValidation v = UValidation::Validate(val, "v", val, "v", options);
    EXPECT_EQ(v.Status, UValidation::TStatus::Failed);
    EXPECT_EQ(v.Message, "The validation stopped: set 5 went wrong");
    EXPECT_GE(reached.load(), 6);
    EXPECT_TRUE(v.Notes.empty());
    EXPECT_FALSE(v.Band.Made);

    options.Threads = 1;
    options.BeforeBandSet = [](int) { throw std::bad_alloc(); };
    const UValidation::TValidation memory = UValidation::Validate(val, "v", val, "v", options);
    EXPECT_EQ(memory.Status, UValidation::TStatus::Failed);
    EXPECT_EQ(memory.Message, "There is not enough memory for the validation.");
    EXPECT_EQ(memory.CalFile, "v");
}

// ---- quellow-cli validate ----------------------------------------------------------------------

namespace {

class CliValidate : public ::testing::Test
{
protected:
    int Cli(const std::string &arguments)
    {
        const std::string command = "cd '" + dir.Path() + "' && '" + QUELLOW_CLI + "' " +
                                    arguments + " >stdout.txt 2>stderr.txt";
        const int status = std::system(command.c_str());
        out = ReadBytes(dir.File("stdout.txt"));
        errors = ReadBytes(dir.File("stderr.txt"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void Copy(const std::string &from, const std::string &to)
    {
        WriteBytes(dir.File(to), ReadBytes(TestData(from)));
    }
    TTempDir dir;
    std::string out, errors;
};

} // namespace

// The JSON has exactly the keys of its layout, numbers at full precision and null where a figure
// is undefined (here the band, without calibration); -o writes the series of every row.
TEST_F(CliValidate, JsonKeysAndSeriesFile)
{
    Copy("windows/gr4j-1991.inp", "cal.inp");
    Copy("windows/gr4j-1992.inp", "val.inp");
    ASSERT_EQ(Cli("validate cal.inp val.inp --no-calibrate --json -o res"), 0) << errors;
    const std::string skeleton =
        std::regex_replace(out, std::regex(R"((-?[0-9][0-9.e+-]*|"[^"]*")(?=[,\]}]))"), "#");
    EXPECT_EQ(skeleton,
              "{\"status\":#,\"calibration\":{\"file\":#,\"objective\":#,"
              "\"MaxStor\":#,\"InitStor\":#,\"EscapeFactor\":#,\"A1\":#,\"B1\":#,\"A2\":#,"
              "\"B2\":#,\"Divide\":#,\"RSquare\":#,\"Simulation\":{\"NSE\":#,\"KGE\":#,"
              "\"KGEr\":#,\"KGEalpha\":#,\"KGEbeta\":#,\"LogNSE\":#,\"VolumeError\":#}},"
              "\"validation\":{\"file\":#,\"source\":null,\"rows\":#,\"warmup\":#,\"InitStor\":#,"
              "\"NSE\":#,"
              "\"KGE\":#,\"KGEr\":#,\"KGEalpha\":#,\"KGEbeta\":#,\"LogNSE\":#,"
              "\"VolumeError\":#},\"benchmarks\":{\"start\":{\"NSE\":#,\"KGE\":#,"
              "\"VolumeError\":#},\"self\":{\"NSE\":#,\"KGE\":#,\"VolumeError\":#},\"mean\":{"
              "\"NSE\":#,\"KGE\":#,\"VolumeError\":#},\"recession\":{\"NSE\":#,\"KGE\":#,"
              "\"VolumeError\":#}},\"band\":{\"sets\":null,\"coverage\":null,\"width\":null,"
              "\"ranges\":{\"MaxStor\":null,\"InitStor\":null,\"EscapeFactor\":null}},"
              "\"notes\":[#],\"seconds\":#}\n")
        << out;
    // Full precision: the validation's NSE reads back to the core's.
    URainRun::TAnalysisInput cal, val;
    ASSERT_TRUE(URainRun::ReadAnalysisInput(dir.File("cal.inp"), cal, nullptr));
    ASSERT_TRUE(URainRun::ReadAnalysisInput(dir.File("val.inp"), val, nullptr));
    UValidation::TOptions options;
    options.Calibrate = false;
    const UValidation::TValidation v = UValidation::Validate(cal, "c", val, "v", options);
    EXPECT_NE(out.find("\"rows\":364,\"warmup\":0,\"InitStor\":25,\"NSE\":" +
                       jsonNumber(v.Validation.Skill.Fit.NSE) + ","),
              std::string::npos);

    const std::vector<std::string> lines =
        splitLines(ReadBytes(dir.File("res/val-validation.csv")));
    ASSERT_EQ(lines.size(), 366u);
    EXPECT_EQ(lines[0], "time,rain,measured,simulated,band_low,band_high");
    EXPECT_EQ(lines[1], "1,0,0.808," + shortestText(v.Simulated[0]) + ",,");
    EXPECT_EQ(lines[365].substr(0, 4), "365,");
}

// Bad input: a clear message, exit status 1, nothing written.
TEST_F(CliValidate, RefusesBadInputWithoutWritingAnything)
{
    Copy("windows/hymod-2013.inp", "cal.inp");
    Copy("windows/hymod-2014.inp", "val.inp");
    Copy("pred-runoff.inp", "pred.inp");
    const struct
    {
        const char *args, *says;
    } cases[] = {
        {"cal.inp pred.inp", "is a prediction file"},
        {"cal.inp val.inp --warmup 360", "leaves 4 scored rows"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Cli(std::string("validate ") + c.args + " --no-calibrate -o res"), 1) << c.args;
        EXPECT_NE(errors.find(c.says), std::string::npos) << errors;
        EXPECT_FALSE(fileExists(dir.File("res")));
    }
    // The series file would replace the calibration file.
    Copy("windows/hymod-2013.inp", "val-validation.csv");
    EXPECT_EQ(Cli("validate val-validation.csv val.inp --no-calibrate -o . --json"), 1);
    EXPECT_NE(errors.find("would replace"), std::string::npos) << errors;
    EXPECT_EQ(ReadBytes(dir.File("val-validation.csv")),
              ReadBytes(TestData("windows/hymod-2013.inp")));
    // A runoff that never changes, and steps of a week against days.
    URainRun::TAnalysisInput val;
    ASSERT_TRUE(URainRun::ReadAnalysisInput(dir.File("val.inp"), val, nullptr));
    URainRun::TAnalysisInput changed = val;
    for (auto &row : changed.Rows)
        row.Runoff = 1;
    std::string text;
    ASSERT_TRUE(UCalibration::AnalysisInputText(changed, "flat.inp", text));
    WriteBytes(dir.File("flat.inp"), text);
    EXPECT_EQ(Cli("validate cal.inp flat.inp --no-calibrate"), 1);
    EXPECT_NE(errors.find("is the same on every scored row"), std::string::npos) << errors;
    // A calibration window whose analysis stops at its start values (no variation in runoff).
    EXPECT_EQ(Cli("validate flat.inp val.inp"), 1);
    EXPECT_NE(errors.find("\"flat.inp\" stops at its start values: There is no variation in "
                          "runoff values."),
              std::string::npos)
        << errors;
    changed = val;
    for (auto &row : changed.Rows)
        row.Time *= 7;
    ASSERT_TRUE(UCalibration::AnalysisInputText(changed, "weekly.inp", text));
    WriteBytes(dir.File("weekly.inp"), text);
    EXPECT_EQ(Cli("validate cal.inp weekly.inp --no-calibrate"), 1);
    EXPECT_NE(errors.find("(median 1) and \"weekly.inp\" (median 7) differ"), std::string::npos)
        << errors;
}

// A negative value left in a window (a marker of a missing value) is refused as Save / Run
// refuses it, naming the file, the row and the value; nothing is scored.
TEST_F(CliValidate, NegativeValuesAreRefusedAsSaveRunRefusesThem)
{
    Copy("windows/hymod-2013.inp", "cal.inp");
    URainRun::TAnalysisInput val;
    ASSERT_TRUE(URainRun::ReadAnalysisInput(TestData("windows/hymod-2014.inp"), val, nullptr));
    val.Rows[16].Runoff = -999;
    std::string text;
    ASSERT_TRUE(UCalibration::AnalysisInputText(val, "marked.inp", text));
    WriteBytes(dir.File("marked.inp"), text);
    EXPECT_EQ(Cli("validate cal.inp marked.inp --no-calibrate --json -o res"), 1);
    EXPECT_NE(out.find("\"status\":\"failed\""), std::string::npos) << out;
    EXPECT_NE(errors.find("The validation file \"marked.inp\" has a negative measured runoff "
                          "(-999) in row 17: Save / Run refuses such a row"),
              std::string::npos)
        << errors;
    EXPECT_FALSE(fileExists(dir.File("res")));
    val.Rows[16].Runoff = 1;
    val.Rows[3].Rain = -1;
    ASSERT_TRUE(UCalibration::AnalysisInputText(val, "rain.inp", text));
    WriteBytes(dir.File("rain.inp"), text);
    EXPECT_EQ(Cli("validate rain.inp cal.inp --no-calibrate"), 1);
    EXPECT_NE(errors.find("The calibration file \"rain.inp\" has a negative rain (-1) in row 4"),
              std::string::npos)
        << errors;
}

// -o writes the series and the pictures as one: a picture that cannot be written leaves none of
// them, not a series file without its pictures.
TEST_F(CliValidate, OutputFolderGetsAllFilesOrNone)
{
    Copy("windows/gr4j-1991.inp", "cal.inp");
    Copy("windows/gr4j-1992.inp", "val.inp");
    std::filesystem::create_directories(dir.File("res/val-validation-scatter.png"));
    EXPECT_EQ(Cli("validate cal.inp val.inp --no-calibrate -o res"), 1);
    EXPECT_NE(errors.find("val-validation-scatter.png\" could not be written; no file of the "
                          "validation was written."),
              std::string::npos)
        << errors;
    EXPECT_FALSE(fileExists(dir.File("res/val-validation.csv")));
    EXPECT_FALSE(fileExists(dir.File("res/val-validation-hydrograph.png")));
    std::filesystem::remove(dir.File("res/val-validation-scatter.png"));
    ASSERT_EQ(Cli("validate cal.inp val.inp --no-calibrate -o res"), 0) << errors;
    for (const char *name :
         {"val-validation.csv", "val-validation-hydrograph.png", "val-validation-scatter.png"})
        EXPECT_TRUE(fileExists(dir.File(std::string("res/") + name))) << name;
}

// --robust-alpha and --prediction-reservoir reach the calibration of calibrate and of validate
// (and --chain): each gives, to the last digit, what the core gives with those options.
TEST_F(CliValidate, RobustAlphaAndPredictionReservoirReachTheCore)
{
    Copy("windows/gr4j-1991.inp", "cal.inp");
    Copy("windows/gr4j-1992.inp", "val.inp");
    URainRun::TAnalysisInput cal, val;
    std::string message;
    ASSERT_TRUE(UValidation::ReadWindow(dir.File("cal.inp"), "calibration", cal, message));
    ASSERT_TRUE(UValidation::ReadWindow(dir.File("val.inp"), "validation", val, message));
    const std::string flags = " --robust-alpha --prediction-reservoir --evaluations 60";

    UCalibration::TOptions c;
    c.Objective = UCalibration::TObjective::NSE;
    c.Evaluations = 60;
    c.RobustAlpha = c.PredictionReservoir = true;
    const UCalibration::TResult r = UCalibration::CalibrateAnalysis(cal, c, nullptr).Search;
    ASSERT_EQ(Cli("calibrate cal.inp --json" + flags), 0) << errors;
    EXPECT_NE(out.find("\"calibrated\":{\"MaxStor\":" + jsonNumber(r.Best.MaxStor) +
                       ",\"InitStor\":" + jsonNumber(UsedInitStor(r.Best)) +
                       ",\"EscapeFactor\":" + jsonNumber(r.Best.EscapeFactor) + ","),
              std::string::npos)
        << out;

    UValidation::TOptions o;
    o.Evaluations = 60;
    o.RobustAlpha = o.PredictionReservoir = true;
    const UValidation::TValidation v = UValidation::Validate(cal, "cal.inp", val, "val.inp", o);
    const std::string figures = "\"NSE\":" + jsonNumber(v.Validation.Skill.Fit.NSE) +
                                ",\"KGE\":" + jsonNumber(v.Validation.Skill.Fit.KGE);
    ASSERT_EQ(Cli("validate cal.inp val.inp --json" + flags), 0) << errors;
    EXPECT_NE(out.find("\"MaxStor\":" + jsonNumber(v.Cal.MaxStor) + ","), std::string::npos);
    EXPECT_NE(out.find(figures), std::string::npos) << out;
    ASSERT_EQ(Cli("validate --chain cal.inp val.inp --csv s.csv" + flags), 0) << errors;
    EXPECT_NE(ReadBytes(dir.File("s.csv"))
                  .find(",validated," + std::to_string(v.Rows) + "," +
                        shortestText(v.Validation.Skill.Fit.NSE) + ","),
              std::string::npos);
}

// The budget of evaluations has a ceiling, since a validation keeps every set it evaluates; a
// huge number says so instead of running out of memory.
TEST_F(CliValidate, EvaluationsHaveACeiling)
{
    Copy("windows/hymod-2013.inp", "a.inp");
    Copy("windows/hymod-2014.inp", "b.inp");
    for (const char *command :
         {"validate a.inp b.inp", "calibrate a.inp", "calibrate a.inp b.inp"}) {
        EXPECT_EQ(Cli(std::string(command) + " --evaluations 99999999999999"), 2) << command;
        EXPECT_NE(errors.find("--evaluations takes at most 200000 (99999999999999 given): a "
                              "validation keeps every set it evaluates"),
                  std::string::npos)
            << errors;
    }
    EXPECT_EQ(Cli("validate a.inp b.inp --evaluations 200001"), 2);
    EXPECT_NE(errors.find("takes at most 200000 (200001 given)"), std::string::npos) << errors;
    EXPECT_EQ(Cli("validate a.inp b.inp --evaluations 49"), 2);
    EXPECT_NE(errors.find("--evaluations needs a whole number from 50 to 200000."),
              std::string::npos)
        << errors;
}

// Memory that runs out (here under a limit of the address space), in a validation or a chain,
// ends in a message and exit status 1, with nothing written.
TEST_F(CliValidate, MemoryThatRunsOutEndsInAMessage)
{
#if defined(QUELLOW_SANITIZED) || defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's shadow memory does not fit under a limit of the address space";
#endif
    Copy("windows/hymod-2013.inp", "a.inp");
    Copy("windows/hymod-2014.inp", "b.inp");
    const std::string limit = "ulimit -v 45000; ";
    const std::string run = "cd '" + dir.Path() + "' && (" + limit + "'" + QUELLOW_CLI + "' ";
    auto limited = [&](const std::string &arguments) {
        const int status = std::system((run + arguments + " >stdout.txt 2>stderr.txt)").c_str());
        out = ReadBytes(dir.File("stdout.txt"));
        errors = ReadBytes(dir.File("stderr.txt"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(limited("validate a.inp b.inp --evaluations 200000 --threads 2 --json -o res"), 1);
    EXPECT_NE(errors.find("not enough memory"), std::string::npos) << errors;
    EXPECT_NE(out.find("\"status\":\"failed\""), std::string::npos) << out;
    EXPECT_FALSE(fileExists(dir.File("res")));
    EXPECT_EQ(limited("validate --chain a.inp b.inp --evaluations 200000 --threads 2"), 1);
    EXPECT_NE(out.find("a.inp -> b.inp"), std::string::npos) << out;
    EXPECT_NE(out.find("not enough memory"), std::string::npos) << out;
}

// quellow-cli calibrate questions a result as the window does: escape rates eight times too
// large calibrate to a factor far below 0.3, which a sound series does not need.
TEST_F(CliValidate, CalibrateQuestionsATinyEscapeFactor)
{
    URainRun::TAnalysisInput input;
    ASSERT_TRUE(URainRun::ReadAnalysisInput(TestData("windows/hymod-2014.inp"), input, nullptr));
    for (auto &row : input.Rows)
        row.Escape *= 8;
    std::string text;
    ASSERT_TRUE(UCalibration::AnalysisInputText(input, "wet.inp", text));
    WriteBytes(dir.File("wet.inp"), text);
    ASSERT_EQ(Cli("calibrate wet.inp"), 0) << errors;
    EXPECT_NE(out.find("\nWarning: A total below x 0.3 takes far less water out than the escape "
                       "rates of the series"),
              std::string::npos)
        << out;
    Copy("windows/hymod-2014.inp", "sound.inp");
    ASSERT_EQ(Cli("calibrate sound.inp"), 0) << errors;
    EXPECT_EQ(out.find("Warning: A total"), std::string::npos) << out;
}

// A chain prints the same table on any number of threads; a failing pair gets its own row.
TEST_F(CliValidate, ChainTableDoesNotDependOnThreads)
{
    Copy("windows/hymod-2014.inp", "a.inp");
    Copy("windows/hymod-2015.inp", "b.inp");
    Copy("pred-runoff.inp", "c.inp");
    Copy("windows/hymod-2016.inp", "d.inp");
    const std::string args = "validate --chain a.inp b.inp c.inp d.inp --evaluations 200 --csv "
                             "sum.csv --threads ";
    EXPECT_EQ(Cli(args + "1"), 1);
    const std::string one = out, csv = ReadBytes(dir.File("sum.csv"));
    EXPECT_EQ(Cli(args + "3"), 1);
    EXPECT_EQ(out, one);
    EXPECT_EQ(ReadBytes(dir.File("sum.csv")), csv);
    EXPECT_NE(one.find("a.inp -> b.inp"), std::string::npos) << one;
    EXPECT_NE(one.find("validated"), std::string::npos) << one;
    EXPECT_NE(one.find("c.inp -> d.inp"), std::string::npos) << one;
    EXPECT_NE(one.find("is a prediction file"), std::string::npos) << one;
    EXPECT_EQ(splitLines(csv).size(), 4u);
}

// ---- The calibration's objectives and the sets it keeps
// ------------------------------------------

namespace {

/// A made-up window: the simulation's NSE peaks at 0 at MaxStor 100 and falls far below -1
/// elsewhere; below MaxStor 20 the recharge volume fails the guard while the NSE there is high.
URainRun::TEvaluation nseValley(const TParameters &p, int)
{
    URainRun::TEvaluation fit;
    fit.Stopped = false;
    const double a = std::log(p.MaxStor / 100);
    fit.RSquare = 0.5;
    fit.VolumeRatio = p.MaxStor < 20 ? 5 : 1;
    fit.Simulation.Made = true;
    fit.Simulation.Skill.Valid = true;
    fit.Simulation.Skill.Fit.NSE = p.MaxStor < 20 ? 0.9 : -50 * a * a;
    fit.Simulation.Skill.Fit.KGE = fit.Simulation.Skill.Fit.NSE;
    return fit;
}

} // namespace

// An NSE has no lower bound: an admissible set of NSE -30 still beats every set that fails the
// guard, and the search climbs from there to the top.
// The options' values read the same for quellow-cli validate and the window's dialog, each
// message begun by the option's name; a value that does not read changes nothing.
TEST_F(CliValidate, OptionsReadTheSameOnTheCommandLineAndInTheWindow)
{
    using UValidation::TOption;
    UValidation::TOptions o;
    o.Warmup = 7;
    o.EscapeFactor = 0.5;
    std::string message;
    const struct
    {
        TOption option;
        const char *text;
    } bad[] = {{TOption::Warmup, "2.5"},       {TOption::Warmup, "-1"},
               {TOption::Warmup, "30 rows"},   {TOption::InitStorage, "fulll"},
               {TOption::InitStorage, "-0.5"}, {TOption::EscapeFactor, "-1"},
               {TOption::Objective, "NSE"},    {TOption::Band, "x"}};
    for (const auto &b : bad) {
        message.clear();
        EXPECT_FALSE(UValidation::ReadOption(b.option, b.text, "The value", o, message)) << b.text;
        EXPECT_EQ(message.rfind("The value ", 0), 0u) << message;
    }
    EXPECT_EQ(o.Warmup, 7);
    EXPECT_EQ(o.EscapeFactor, 0.5);
    EXPECT_TRUE(o.InitStorage == UValidation::TInitStorage::Cal);
    EXPECT_TRUE(o.Objective == UCalibration::TObjective::NSE);

    EXPECT_TRUE(UValidation::ReadOption(TOption::Warmup, "30", "w", o, message));
    EXPECT_TRUE(UValidation::ReadOption(TOption::InitStorage, "0", "s", o, message));
    EXPECT_EQ(o.Warmup, 30);
    EXPECT_TRUE(o.InitStorage == UValidation::TInitStorage::Value);
    EXPECT_EQ(o.InitStorValue, 0);
    EXPECT_TRUE(UValidation::ReadOption(TOption::InitStorage, "full", "s", o, message));
    EXPECT_TRUE(o.InitStorage == UValidation::TInitStorage::Full);
    EXPECT_TRUE(UValidation::ReadOption(TOption::Objective, "kge", "o", o, message));
    EXPECT_TRUE(o.Objective == UCalibration::TObjective::KGE);

    Copy("windows/hymod-2013.inp", "cal.inp");
    Copy("windows/hymod-2014.inp", "val.inp");
    EXPECT_EQ(Cli("validate cal.inp val.inp --warmup 2.5"), 2);
    EXPECT_NE(errors.find("--warmup needs a whole number of 0 or more.\n"), std::string::npos)
        << errors;
    EXPECT_EQ(Cli("validate cal.inp val.inp --init-storage -3"), 2);
    EXPECT_NE(errors.find("--init-storage is cal, full or a storage in mm (0 or more).\n"),
              std::string::npos)
        << errors;
}

TEST(CalibrationObjective, NegativeFiguresStayAboveTheGuard)
{
    for (UCalibration::TObjective o :
         {UCalibration::TObjective::NSE, UCalibration::TObjective::KGE}) {
        UCalibration::TOptions options;
        options.Objective = o;
        const UCalibration::TResult r = UCalibration::Search(nseValley, {300, 30, 1}, options);
        ASSERT_EQ(r.Outcome, UCalibration::TOutcome::Calibrated);
        EXPECT_NEAR(r.Best.MaxStor, 100, 2);
        EXPECT_GT(UCalibration::ObjectiveValue(r.BestFit, o), -0.01);
    }
    // R square ignores the simulation: every admissible set ties at 0.5 and the start stays.
    const UCalibration::TResult r = UCalibration::Search(nseValley, {300, 30, 1}, {});
    ASSERT_EQ(r.Outcome, UCalibration::TOutcome::Calibrated);
    EXPECT_EQ(r.Best.MaxStor, 300);
    // A simulation that could not be made is no candidate for its objectives.
    URainRun::TEvaluation unmade = nseValley({100, 30, 1}, 0);
    unmade.Simulation.Made = false;
    EXPECT_TRUE(UCalibration::Admissible(unmade, UCalibration::TObjective::RSquare));
    EXPECT_FALSE(UCalibration::Admissible(unmade, UCalibration::TObjective::NSE));
}

// The kept sets: each set once, numbered in evaluation order from the start, the scan's marked,
// the same list on one thread and on three.
TEST(CalibrationObjective, KeepsEverySetOnceInTheSameOrderOnAnyThreads)
{
    UCalibration::TOptions options;
    options.Objective = UCalibration::TObjective::NSE;
    options.KeepEvaluated = true;
    options.Evaluations = 600;
    options.Threads = 1;
    const UCalibration::TResult one = UCalibration::Search(nseValley, {300, 30, 1}, options);
    options.Threads = 3;
    const UCalibration::TResult three = UCalibration::Search(nseValley, {300, 30, 1}, options);
    ASSERT_FALSE(one.Evaluated.empty());
    ASSERT_EQ(one.Evaluated.size(), three.Evaluated.size());
    EXPECT_EQ(one.Evaluated.front().Parameters.MaxStor, 300);
    EXPECT_FALSE(one.Evaluated.front().Scan);
    int scanned = 0;
    std::set<std::tuple<double, double, double>> seen;
    for (std::size_t k = 0; k < one.Evaluated.size(); ++k) {
        const auto &a = one.Evaluated[k], &b = three.Evaluated[k];
        EXPECT_EQ(a.Order, static_cast<int>(k));
        EXPECT_EQ(a.Parameters.MaxStor, b.Parameters.MaxStor);
        EXPECT_EQ(a.Parameters.InitStor, b.Parameters.InitStor);
        EXPECT_EQ(a.Scan, b.Scan);
        scanned += a.Scan;
        EXPECT_TRUE(
            seen.insert({a.Parameters.MaxStor, a.Parameters.InitStor, a.Parameters.EscapeFactor})
                .second);
    }
    EXPECT_EQ(scanned, 99); // the scan's budget of 599 evaluations, no duplicates there
    EXPECT_LE(static_cast<int>(one.Evaluated.size()), one.Evaluations);
}

// quellow-cli calibrate takes the objective, and run --json gives the core's simulation.
TEST_F(CliValidate, CalibrateObjectiveAndRunJsonSimulation)
{
    Copy("windows/hymod-2013.inp", "w.inp");
    EXPECT_EQ(Cli("calibrate w.inp --objective likelihood"), 2);
    EXPECT_NE(errors.find("--objective is nse, kge or rsquare."), std::string::npos);
    ASSERT_EQ(Cli("calibrate w.inp --objective kge --evaluations 200 --json"), 0) << errors;
    EXPECT_NE(out.find("\"objective\":\"kge\""), std::string::npos) << out;
    URainRun::TAnalysisInput input;
    ASSERT_TRUE(URainRun::ReadAnalysisInput(dir.File("w.inp"), input, nullptr));
    UCalibration::TOptions options;
    options.Objective = UCalibration::TObjective::KGE;
    options.Evaluations = 200;
    const UCalibration::TResult r = UCalibration::CalibrateAnalysis(input, options, nullptr).Search;
    EXPECT_GE(r.BestFit.Simulation.Skill.Fit.KGE, r.StartFit.Simulation.Skill.Fit.KGE);
    EXPECT_NE(out.find("\"calibrated\":{\"MaxStor\":" + jsonNumber(r.Best.MaxStor)),
              std::string::npos)
        << out;
    EXPECT_NE(
        out.find(",\"Simulation\":{\"NSE\":" + jsonNumber(r.BestFit.Simulation.Skill.Fit.NSE) +
                 ",\"KGE\":" + jsonNumber(r.BestFit.Simulation.Skill.Fit.KGE)),
        std::string::npos)
        << out;

    ASSERT_EQ(Cli("run w.inp --json"), 0) << errors;
    URainRun::TState s;
    const URainRun::TEvaluation e = URainRun::Evaluate(input, s, URainRun::TSimulate::Full);
    const TFitMeasures &f = e.Simulation.Skill.Fit;
    EXPECT_NE(out.find(",\"Simulation\":{\"NSE\":" + jsonNumber(f.NSE) +
                       ",\"KGE\":" + jsonNumber(f.KGE) + ",\"KGEr\":" + jsonNumber(f.R) +
                       ",\"KGEalpha\":" + jsonNumber(f.Alpha) + ",\"KGEbeta\":" +
                       jsonNumber(f.Beta) + ",\"LogNSE\":" + jsonNumber(e.Simulation.Skill.LogNSE) +
                       ",\"VolumeError\":" + jsonNumber(f.VolumeError) + "}"),
              std::string::npos)
        << out;
}
