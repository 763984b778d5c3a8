// The run core evaluated in memory, with calibration parameters, and on several threads at
// once, against the file-based runs.
#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "runs/UFitMeasures.h"
#include "files/UInputFile.h"
#include "runs/UPrediction.h"
#include "files/UPrompts.h"
#include "runs/URainRun.h"
#include "files/UTextFields.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace quellow;
using namespace quellow::test;
namespace run = quellow::URainRun;

namespace {

/// Messages of one run, kept apart from every other run's.
class TMessages final : public TPrompts
{
public:
    void ShowMessage(const std::string &text) override { Texts.push_back(text); }
    bool Confirm(const std::string &) override { return false; }
    std::vector<std::string> Texts;
};

std::string exampleText()
{
    return ReadBytes(std::string(QUELLOW_SOURCE_DIR) + "/Data/Example-analysis.inp");
}

/// A daily analysis series of rows rows whose escape rates span both field forms (below 1
/// scientific, from 1 on fixed), with storms and recessions.
std::string seriesText(int rows, unsigned seed)
{
    std::string text = " Input data for Quellow program\r\n Analysis and reconstruction\r\n\r\n"
                       "Test catchment\r\nDaily\r\n\r\n Filename: series.inp\r\n"
                       " Maximum dead storage:    50.00\r\n Initial dead storage:    25.00\r\n"
                       " Max.escape/time unit:     4.00\r\n\r\n";
    const std::string rule = " " + std::string(49, '-') + "\r\n";
    text += rule + "  Serial    T i m e   R a i n    Esc. rate Run-off\r\n" + rule;
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0, 1);
    double q = 3;
    for (int i = 1; i <= rows; ++i) {
        const double rain = unit(random) < 0.25 ? 40 * unit(random) : 0.0;
        const double escape = 0.05 + 5 * unit(random) * (1 + std::sin(i / 58.0)) / 2;
        q = q * 0.85 + 0.12 * rain;
        char line[120];
        std::snprintf(line, sizeof line, "%5d %s %s %s %s\r\n", i, choice(i, 12, 2).c_str(),
                      choice(rain, 10, 2).c_str(), choice(escape, 10, 2).c_str(),
                      choice(q, 10, 2).c_str());
        text += line;
    }
    return text;
}

/// The input file the window writes after the parameters were put into its boxes and the
/// escape column was scaled: read, changed, written.
std::string writtenWith(const std::string &text, const TParameters &p, const std::string &path)
{
    TDMQuellow dm;
    TModelValues values;
    EXPECT_TRUE(ParseInputFile(splitLines(text), path, dm, values));
    dm.MaxStor = p.MaxStor;
    dm.InitStor = p.InitStor;
    for (double &escape : dm.Escape)
        escape = p.EscapeFactor * escape;
    dm.FileName = path;
    std::string written;
    EXPECT_TRUE(InputFileText(dm, values, written));
    return written;
}

/// The value a field holds once written and read back, through its text.
double throughText(double v, int width)
{
    double value = 0;
    EXPECT_TRUE(parseReal(trim(inputChoice(v, width)), value)) << v;
    return value;
}

void expectSameEvaluation(const run::TEvaluation &a, const run::TEvaluation &b)
{
    EXPECT_EQ(a.Stopped, b.Stopped);
    EXPECT_EQ(a.Stop, b.Stop);
    EXPECT_EQ(a.RSquare, b.RSquare);
    EXPECT_EQ(a.Divide, b.Divide);
    EXPECT_EQ(a.DivideFraction, b.DivideFraction);
    EXPECT_EQ(a.VolumeRatio, b.VolumeRatio);
    EXPECT_EQ(a.Fit.NSE, b.Fit.NSE);
    EXPECT_EQ(a.Fit.KGE, b.Fit.KGE);
}

class RunCore : public ::testing::Test
{
protected:
    void SetUp() override { ResetAllState(); }
    TTempDir dir;
};

// ---- Calibration parameters as the input file rounds them ---------------------------------

TEST_F(RunCore, AsWrittenIsTheValueOfTheWrittenField)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<double> values = {0,      1,       0.125,  0.375, 0.625, 0.875,  1.125, 2.375,
                                  0.0625, 0.995,   0.9951, 0.95,  9.995, 99.995, 0.099, 0.0995,
                                  1e-7,   123.455, -0.5,   -3.25, -1e-3, 1e12,   5e-25, 0.00015};
    for (int k = 0; k < 400000; ++k) {
        values.push_back(3 * unit(random) * 6 * unit(random));  // scaled escape rates
        values.push_back(std::pow(10, 12 * unit(random) - 6));  // six decades either side of 1
        values.push_back(std::round(unit(random) * 2000) / 8);  // exact binary halves
        values.push_back(std::round(unit(random) * 1e5) / 1e3); // already on the grid
    }
    int differences = 0;
    for (double v : values)
        for (int width : {8, 10})
            if (run::AsWritten(v, width) != throughText(v, width) && ++differences < 10)
                ADD_FAILURE() << "value " << v << " width " << width;
    EXPECT_EQ(differences, 0);
}

TEST_F(RunCore, EvaluationEqualsSaveRunOnRandomParameters)
{
    const std::vector<std::string> texts = {exampleText(), seriesText(400, 3), seriesText(60, 5),
                                            ReadBytes(TestData("analysis-two-ranges.inp"))};
    std::mt19937 random(11);
    std::uniform_real_distribution<double> unit(0, 1);
    run::TState scratch;
    run::TAnalysisInput applied;
    int completed = 0;
    for (std::size_t t = 0; t < texts.size(); ++t) {
        run::TAnalysisInput base;
        ASSERT_TRUE(run::ParseAnalysisInput(texts[t], "base.inp", base, nullptr));
        for (int k = 0; k < 75; ++k) {
            TParameters p;
            p.MaxStor = std::pow(500, unit(random)); // 1..500 on a log scale
            p.InitStor = p.MaxStor * unit(random);
            p.EscapeFactor = 3 * unit(random);
            SCOPED_TRACE("file " + std::to_string(t) + " set " + std::to_string(k));
            run::ApplyCalibration(base, p, applied);
            const run::TEvaluation memory = run::Evaluate(applied, scratch);

            const std::string path = dir.File("case.inp");
            WriteBytes(path, writtenWith(texts[t], p, path));
            run::TState files;
            files.FileName = path;
            files.WriteFiles = k % 25 == 0; // the output files cost time, not results
            const bool written = run::DivideSearch(files);
            ASSERT_EQ(written, !memory.Stopped);
            EXPECT_EQ(files.Stop, memory.Stop);
            if (!written)
                continue;
            ++completed;
            EXPECT_EQ(files.RSquare, memory.RSquare);
            EXPECT_EQ(files.Divide, memory.Divide);
            EXPECT_EQ(files.Fit.NSE, memory.Fit.NSE);
            EXPECT_EQ(files.Fit.KGE, memory.Fit.KGE);
            EXPECT_EQ(files.VolumeRatio, memory.VolumeRatio);
        }
    }
    EXPECT_GT(completed, 200);
}

TEST_F(RunCore, ReusedScratchGivesWhatAFreshStateGives)
{
    run::TAnalysisInput good, flat, backwards;
    ASSERT_TRUE(run::ParseAnalysisInput(exampleText(), "a.inp", good, nullptr));
    flat = good;
    for (run::TAnalysisRow &row : flat.Rows)
        row.Runoff = 2;
    backwards = good;
    backwards.Rows[5].Time = -1;

    run::TState fresh, reused;
    const run::TEvaluation expected = run::Evaluate(good, fresh);
    ASSERT_FALSE(expected.Stopped);
    EXPECT_GT(expected.RSquare, 0.5);

    const run::TEvaluation stopped = run::Evaluate(flat, reused);
    EXPECT_TRUE(stopped.Stopped);
    EXPECT_EQ(stopped.Stop, run::TStop::NoRunoffVariation);
    EXPECT_EQ(run::Evaluate(backwards, reused).Stop, run::TStop::TimeOrder);
    run::TAnalysisInput empty = good;
    empty.MaxSto = 0;
    EXPECT_EQ(run::Evaluate(empty, reused).Stop, run::TStop::MaxStorage);
    expectSameEvaluation(run::Evaluate(good, reused), expected);
}

TEST_F(RunCore, SearchGivesTheTrialsOfSingleRuns)
{
    // The search runs its trials side by side; each must equal a trial run on its own.
    for (const std::string &text : {exampleText(), seriesText(700, 8), seriesText(40, 6),
                                    ReadBytes(TestData("analysis-relaxed.inp"))}) {
        run::TAnalysisInput input;
        ASSERT_TRUE(run::ParseAnalysisInput(text, "a.inp", input, nullptr));
        run::TState single;
        single.WriteFiles = false;
        for (int k = 1; k <= 5; ++k) {
            single.DivideFraction = run::TrialFractions[static_cast<std::size_t>(k - 1)];
            single.RunCounter = k;
            single.Silent = true;
            run::AnalysisRun(single, input);
            ASSERT_FALSE(single.Stopped());
        }
        run::TState search;
        run::Evaluate(input, search);
        // The final run keeps the trial counter at 5 and so fills the fifth slot again.
        const int chosen = run::ChooseTrial(single.TrialResult);
        for (std::size_t k = 1; k <= 4; ++k)
            EXPECT_EQ(search.TrialResult[k], single.TrialResult[k]) << k;
        EXPECT_EQ(search.SSE, single.TrialResult[static_cast<std::size_t>(chosen)]);
    }
}

TEST_F(RunCore, SearchEndsAsAFinalRunOnItsOwn)
{
    // The final run of the search takes over its chosen trial's reconstruction; a final run on
    // its own computes it. Every row must agree to the last bit.
    for (const std::string &text : {exampleText(), seriesText(900, 4), seriesText(30, 9),
                                    ReadBytes(TestData("analysis-two-ranges.inp"))}) {
        run::TAnalysisInput input;
        ASSERT_TRUE(run::ParseAnalysisInput(text, "a.inp", input, nullptr));
        run::TState search;
        ASSERT_FALSE(run::Evaluate(input, search).Stopped);
        run::TState single;
        single.WriteFiles = false;
        single.DivideFraction = search.DivideFraction;
        single.RunCounter = 5;
        run::AnalysisRun(single, input);
        ASSERT_FALSE(single.Stopped());
        const int n = search.DataCount;
        ASSERT_EQ(single.DataCount, n);
        for (int i = 1; i <= n; ++i) {
            ASSERT_EQ(search.RunCalc[i], single.RunCalc[i]) << i;
            ASSERT_EQ(search.AlphaCalc[i], single.AlphaCalc[i]) << i;
            ASSERT_EQ(search.Rech[i], single.Rech[i]) << i;
        }
        EXPECT_EQ(search.SSE, single.SSE);
        EXPECT_EQ(search.TrialResult[5], single.SSE);
        EXPECT_EQ(search.RSquare, single.RSquare);
        EXPECT_EQ(search.MeanRun, single.MeanRun);
        EXPECT_EQ(search.Fit.NSE, single.Fit.NSE);
        EXPECT_EQ(search.VolumeRatio, single.VolumeRatio);
    }
}

// ---- Fit measures -----------------------------------------------------------------------------

TEST_F(RunCore, FitMeasuresWorkedOutByHand)
{
    // Observed 2, 2, 4 and simulated 1, 2, 3: SSE 2, SST 8/3, so NSE 1/4; r = sqrt(3)/2,
    // alpha = sqrt(2 / (8/3)) = sqrt(3)/2, beta = 2 / (8/3) = 3/4; volume 6 against 8.
    const double sim[] = {1, 2, 3}, obs[] = {2, 2, 4};
    const TFitMeasures fit = FitMeasures(sim, obs, 3);
    ASSERT_TRUE(fit.Valid);
    EXPECT_NEAR(fit.NSE, 0.25, 1e-14);
    const double h = std::sqrt(3.0) / 2;
    EXPECT_NEAR(fit.KGE, 1 - std::sqrt(2 * (h - 1) * (h - 1) + 0.0625), 1e-14);
    EXPECT_NEAR(fit.VolumeError, -25, 1e-12);

    const double perfect[] = {2, 2, 4};
    const TFitMeasures same = FitMeasures(perfect, obs, 3);
    EXPECT_EQ(same.NSE, 1);
    EXPECT_NEAR(same.KGE, 1, 1e-15);
    EXPECT_EQ(same.VolumeError, 0);

    // A level simulation has no correlation: r = 0, alpha = 0, beta = 1.
    const double level[] = {8.0 / 3, 8.0 / 3, 8.0 / 3};
    EXPECT_NEAR(FitMeasures(level, obs, 3).KGE, 1 - std::sqrt(2.0), 1e-12);
    const double flat[] = {3, 3, 3};
    EXPECT_FALSE(FitMeasures(sim, flat, 3).Valid);
    EXPECT_FALSE(FitMeasures(sim, obs, 1).Valid);
}

TEST_F(RunCore, FinalRunMeasuresRowsTwoOnward)
{
    run::TAnalysisInput input;
    ASSERT_TRUE(run::ParseAnalysisInput(exampleText(), "a.inp", input, nullptr));
    run::TState s;
    const run::TEvaluation e = run::Evaluate(input, s);
    ASSERT_FALSE(e.Stopped);
    const int n = s.DataCount;
    const TFitMeasures fit = FitMeasures(&s.RunCalc[2], &s.Series().RunMeas[2], n - 1);
    EXPECT_EQ(e.Fit.NSE, fit.NSE);
    EXPECT_EQ(e.Fit.VolumeError, fit.VolumeError);
    double recharge = 0, runoff = 0;
    for (int i = 2; i <= n; ++i) {
        recharge += s.Rech[i] * (s.Series().StepTime[i] - s.Series().StepTime[i - 1]);
        runoff += s.Series().RunMeas[i] * (s.Series().StepTime[i] - s.Series().StepTime[i - 1]);
    }
    EXPECT_DOUBLE_EQ(e.VolumeRatio, recharge / runoff);
    EXPECT_GT(e.Fit.NSE, 0.5);
    EXPECT_LT(e.Fit.KGE, 1);
}

TEST_F(RunCore, VolumeRatioWeighsEachStepByItsLength)
{
    // Full dead storage and no escape: the recharge is the rain itself, so the ratio can be
    // worked out from the file's rows. Rainy steps of 3 time units and dry ones of 0.5 make
    // the weighted ratio differ from a plain ratio of sums.
    run::TAnalysisInput input;
    ASSERT_TRUE(run::ParseAnalysisInput(exampleText(), "a.inp", input, nullptr));
    input.MaxSto = input.IniSto = 10;
    double time = 0;
    for (std::size_t k = 0; k < input.Rows.size(); ++k) {
        time += input.Rows[k].Rain > 0 ? 3 : 0.5;
        input.Rows[k].Time = time;
        input.Rows[k].Escape = 0;
    }
    input.Rows[0].Rain = 0; // no raised recharge in step 2
    double rain = 0, runoff = 0, plainRain = 0, plainRunoff = 0;
    for (std::size_t k = 1; k < input.Rows.size(); ++k) {
        const double length = input.Rows[k].Time - input.Rows[k - 1].Time;
        const double q = std::max(input.Rows[k].Runoff, 0.001);
        rain += input.Rows[k].Rain * length;
        runoff += q * length;
        plainRain += input.Rows[k].Rain;
        plainRunoff += q;
    }
    ASSERT_GT(std::abs(rain / runoff - plainRain / plainRunoff), 0.01 * rain / runoff);

    run::TState s;
    const run::TEvaluation e = run::Evaluate(input, s);
    ASSERT_FALSE(e.Stopped);
    EXPECT_DOUBLE_EQ(e.VolumeRatio, rain / runoff);
}

// ---- Many runs at once --------------------------------------------------------------------------

struct TCase
{
    std::string name;
    std::string text;
    bool prediction = false;
    bool drainage = false;
};

/// What one run leaves behind: its output and trend files (the folder's name replaced) and
/// its messages.
struct TOutcome
{
    bool ok = false;
    std::string out, dat;
    std::vector<std::string> messages;
    bool operator==(const TOutcome &) const = default;
};

std::string withoutFolder(std::string text, const std::string &folder)
{
    for (std::size_t at = text.find(folder); at != std::string::npos; at = text.find(folder))
        text.replace(at, folder.size(), "<dir>");
    return text;
}

TOutcome runCase(const TCase &c, const std::string &folder)
{
    const std::string path = folder + "/" + c.name + ".inp";
    WriteBytes(path, c.text);
    TMessages messages;
    TOutcome outcome;
    if (c.prediction) {
        auto s = std::make_unique<UPrediction::TState>();
        s->FileName = path;
        s->Drainage = c.drainage;
        s->Messages = &messages;
        UPrediction::RunPrediction(*s);
        outcome.ok = !s->PredFailed;
    } else {
        auto s = std::make_unique<run::TState>();
        s->FileName = path;
        s->Messages = &messages;
        outcome.ok = run::DivideSearch(*s);
    }
    outcome.out = withoutFolder(ReadBytes(folder + "/" + c.name + ".out"), folder);
    outcome.dat = ReadBytes(folder + "/" + c.name + ".dat");
    for (const std::string &m : messages.Texts)
        outcome.messages.push_back(withoutFolder(m, folder));
    return outcome;
}

TEST_F(RunCore, RunsOnThreadsEqualSingleRuns)
{
    std::string flat = seriesText(30, 2);
    const std::vector<TCase> cases = {
        {"example", exampleText()},
        {"long", seriesText(1500, 9)},
        {"relaxed", ReadBytes(TestData("analysis-relaxed.inp"))},
        {"close", ReadBytes(TestData("analysis-close-trials.inp"))},
        {"two", ReadBytes(TestData("analysis-two-ranges.inp"))},
        {"missing", ""},
        {"runoff", ReadBytes(TestData("pred-runoff.inp")), true, false},
        {"drainage", ReadBytes(TestData("pred-drainage.inp")), true, true},
    };
    std::vector<TOutcome> single;
    std::filesystem::create_directories(dir.File("single"));
    for (const TCase &c : cases)
        single.push_back(runCase(c, dir.File("single")));
    EXPECT_TRUE(single[0].ok && single[1].ok && single[6].ok && single[7].ok);
    EXPECT_FALSE(single[5].ok);
    EXPECT_FALSE(single[1].out.empty());

    constexpr int threads = 4;
    std::vector<std::vector<TOutcome>> outcomes(threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            const std::string folder = dir.File("thread" + std::to_string(t));
            std::filesystem::create_directories(folder);
            for (int round = 0; round < 3; ++round)
                for (std::size_t k = 0; k < cases.size(); ++k)
                    outcomes[t].push_back(runCase(cases[(k + t) % cases.size()], folder));
        });
    for (std::thread &w : workers)
        w.join();
    for (int t = 0; t < threads; ++t)
        for (std::size_t k = 0; k < outcomes[t].size(); ++k)
            EXPECT_TRUE(outcomes[t][k] == single[(k + t) % cases.size()])
                << "thread " << t << " run " << k;
}

TEST_F(RunCore, EvaluationsOnThreadsAgree)
{
    run::TAnalysisInput base;
    ASSERT_TRUE(run::ParseAnalysisInput(seriesText(1000, 4), "a.inp", base, nullptr));
    std::vector<TParameters> sets;
    for (int k = 0; k < 40; ++k)
        sets.push_back({5.0 + 10 * k, 2.0 + 3 * k, 0.1 + 0.07 * k});
    std::vector<run::TEvaluation> single(sets.size()), threaded(sets.size());
    run::TState scratch;
    run::TAnalysisInput applied;
    for (std::size_t k = 0; k < sets.size(); ++k) {
        run::ApplyCalibration(base, sets[k], applied);
        single[k] = run::Evaluate(applied, scratch);
    }
    std::vector<std::thread> workers;
    for (std::size_t t = 0; t < 2; ++t)
        workers.emplace_back([&, t] {
            run::TState own;
            run::TAnalysisInput mine;
            for (std::size_t k = t; k < sets.size(); k += 2) {
                run::ApplyCalibration(base, sets[k], mine);
                threaded[k] = run::Evaluate(mine, own);
            }
        });
    for (std::thread &w : workers)
        w.join();
    for (std::size_t k = 0; k < sets.size(); ++k)
        expectSameEvaluation(threaded[k], single[k]);
}

} // namespace
