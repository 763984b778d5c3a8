#include "calibration/UCalibrationRun.h"

#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "files/UInputFile.h"
#include "files/UOutputNames.h"
#include "files/UPrompts.h"
#include "files/UTextFields.h"
#include "tasks/UTaskPool.h"

#include <chrono>
#include <memory>
#include <vector>

namespace quellow::UCalibration {

namespace {

void tell(TPrompts *prompts, const std::string &text)
{
    if (prompts)
        prompts->ShowMessage(text);
}

std::string tooFewRowsText(int rows)
{
    return "A calibration needs at least " + std::to_string(MinCalibrationRows) +
           " data rows; there are " + std::to_string(rows) + ". Nothing was calibrated.";
}

std::string noAdmissibleText()
{
    return "No parameter set gives a recharge volume between 0.5 and 2 times the measured "
           "runoff volume. Nothing was calibrated.";
}

/// Each thread of the search evaluates its sets over the series they share with its own first
/// reservoir and its own run state.
struct TWorkerState
{
    URainRun::TFirstReservoir Set;
    URainRun::TState State;
};

/// The status of a search that ran; one without an admissible set or one that failed says so.
TStatus statusOf(const TResult &result, TPrompts *prompts)
{
    switch (result.Outcome) {
    case TOutcome::Calibrated:
        return TStatus::Calibrated;
    case TOutcome::Cancelled:
        return TStatus::Cancelled;
    case TOutcome::Failed:
        tell(prompts, result.Failure + " Nothing was calibrated.");
        return TStatus::Failed;
    case TOutcome::NoAdmissibleSet:
        break;
    }
    tell(prompts, noAdmissibleText());
    return TStatus::NoAdmissibleSet;
}

} // namespace

TParameters StartValues(const URainRun::TAnalysisInput &input)
{
    return {input.MaxSto, input.IniSto, 1};
}

URainRun::TAnalysisInput CalibratedInput(const URainRun::TAnalysisInput &input,
                                         const TParameters &parameters)
{
    URainRun::TAnalysisInput out;
    URainRun::ApplyCalibration(URainRun::AsWritten(input), parameters, out);
    return out;
}

TCalibrationRun CalibrateAnalysis(const URainRun::TAnalysisInput &given, const TOptions &options,
                                  TPrompts *prompts)
{
    const auto begin = std::chrono::steady_clock::now();
    TCalibrationRun run;
    const int rows = static_cast<int>(given.Rows.size());
    if (rows < MinCalibrationRows) {
        run.Status = TStatus::TooFewRows;
        tell(prompts, tooFewRowsText(rows));
        return run;
    }
    // Every set is evaluated on the values its input file will hold, so that what the search
    // reports is what a run of the calibrated file gives.
    const URainRun::TAnalysisInput input = URainRun::AsWritten(given);
    std::vector<std::unique_ptr<TWorkerState>> workers;
    try {
        for (int w = 0; w < UTaskPool::ThreadCount(options.Threads); ++w)
            workers.push_back(std::make_unique<TWorkerState>());
    } catch (const std::bad_alloc &) {
        run.Status = TStatus::Failed;
        tell(prompts, "There is not enough memory for the calibration. Nothing was calibrated.");
        return run;
    }
    // The start values first, alone: a stop there is a fault of the data, which a Save/Run
    // reports with its own messages; the search would only hide it.
    const bool simulates = options.Objective != TObjective::RSquare;
    const URainRun::TSimulate simulate =
        simulates ? URainRun::TSimulate::Fit : URainRun::TSimulate::No;
    URainRun::TEvaluateOptions full;
    full.Simulate = URainRun::TSimulate::Full;
    full.RobustAlpha = options.RobustAlpha;
    full.PredictionReservoir = options.PredictionReservoir;
    const URainRun::TEvaluation start = URainRun::Evaluate(input, workers[0]->State, full);
    if (start.Stopped) {
        URainRun::TState shown;
        shown.Messages = prompts;
        shown.WriteFiles = false;
        URainRun::DivideSearch(shown, input);
        run.Status = TStatus::StartStopped;
        run.Search.Start = StartValues(input);
        return run;
    }
    if (simulates && !start.Simulation.Made) {
        run.Status = TStatus::NoSimulation;
        run.Search.Start = StartValues(input);
        tell(prompts, "The simulation of the window needs time steps of positive length; it "
                      "cannot be calibrated for " +
                          std::string(ObjectiveName(options.Objective)) +
                          " (rsquare can). Nothing was calibrated.");
        return run;
    }
    URainRun::TEvaluateOptions evaluation = full;
    evaluation.Simulate = simulate;
    evaluation.Final = URainRun::TFinalRun::InMemoryWithoutFit;
    evaluation.SimulatedFromRatio = MinVolumeRatio;
    evaluation.SimulatedToRatio = MaxVolumeRatio;
    // The sets differ in their storages and escape rates only: they share the series.
    const URainRun::TPreparedSeries series = URainRun::PrepareSeries(input);
    auto evaluate = [&](const TParameters &p, int worker) {
        TWorkerState &w = *workers[static_cast<std::size_t>(worker)];
        URainRun::ApplyCalibration(input, p, w.Set);
        return URainRun::Evaluate(series, w.Set, w.State, evaluation);
    };
    run.Search = Search(evaluate, StartValues(input), options);
    // The start and the result with every figure of the simulation.
    run.Search.StartFit = start;
    if (run.Search.Outcome == TOutcome::Calibrated) {
        URainRun::TAnalysisInput best;
        URainRun::ApplyCalibration(input, run.Search.Best, best);
        run.Search.BestFit = URainRun::Evaluate(best, workers[0]->State, full);
    }
    run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    run.Status = statusOf(run.Search, prompts);
    return run;
}

bool AnalysisInputText(const URainRun::TAnalysisInput &input, const std::string &fileName,
                       std::string &text)
{
    TDMQuellow dm;
    dm.FileName = fileName;
    dm.Title1 = input.Title1;
    dm.Title2 = input.Title2;
    dm.ModeTag = " Ana";
    dm.Analysis = true;
    dm.MaxStor = input.MaxSto;
    dm.InitStor = input.IniSto;
    dm.MaxEscape = input.MaxEsc;
    dm.ResizeRows(input.Rows.size());
    for (std::size_t i = 0; i < input.Rows.size(); ++i) {
        dm.Time[i] = input.Rows[i].Time;
        dm.Rain[i] = input.Rows[i].Rain;
        dm.Escape[i] = input.Rows[i].Escape;
        dm.Runoff[i] = input.Rows[i].Runoff;
    }
    dm.NrOfData = static_cast<std::int32_t>(input.Rows.size());
    return InputFileText(dm, TModelValues{}, text);
}

namespace {

/// Reads the analysis file path; prediction files and unreadable files get their message.
bool readAnalysis(const std::string &path, URainRun::TAnalysisInput &input, TPrompts *prompts)
{
    std::vector<std::string> lines;
    if (readTextFile(path, lines) != TReadStatus::Ok) {
        tell(prompts, CannotOpenText(path));
        return false;
    }
    const TInputMode mode = ModeOfLine(lines.size() > 1 ? lines[1] : std::string());
    if (mode == TInputMode::PredictionRunoff || mode == TInputMode::PredictionDrainage) {
        tell(prompts,
             "The file \"" + path + "\" is a prediction file: only an analysis can be calibrated.");
        return false;
    }
    if (mode != TInputMode::Analysis) {
        tell(prompts, NotAnInputFileMessage(path));
        return false;
    }
    return URainRun::ReadAnalysisInput(path, input, prompts);
}

} // namespace

TFileCalibration CalibrateFile(const std::string &path, const std::string &output,
                               const TOptions &options, TPrompts *prompts)
{
    TFileCalibration c;
    c.Input = UOutputNames::AbsolutePath(path);
    c.Output =
        UOutputNames::AbsolutePath(output.empty() ? UOutputNames::CalibratedName(path) : output);
    // The calibrated file is run at once: neither it nor its output may replace the file read.
    std::vector<UOutputNames::TNamedFile> writes{{"calibrated file", c.Output}};
    for (UOutputNames::TNamedFile &file : UOutputNames::RunOutputs(c.Output, true))
        writes.push_back(std::move(file));
    const std::string collision = UOutputNames::Collision({{"input file", c.Input}}, writes);
    if (!collision.empty()) {
        tell(prompts, collision);
        return c;
    }
    URainRun::TAnalysisInput input;
    if (!readAnalysis(c.Input, input, prompts))
        return c;
    c.Run = CalibrateAnalysis(input, options, prompts);
    if (c.Run.Status != TStatus::Calibrated)
        return c;
    std::string text;
    const URainRun::TAnalysisInput calibrated = CalibratedInput(input, c.Run.Search.Best);
    if (!AnalysisInputText(calibrated, c.Output, text) || !writeFileAtomically(c.Output, text)) {
        c.Run.Status = TStatus::FileError;
        tell(prompts, CannotOpenText(c.Output));
        return c;
    }
    URainRun::TState state;
    state.FileName = c.Output;
    state.Messages = prompts;
    if (!URainRun::DivideSearch(state)) {
        c.Run.Status = TStatus::FileError;
        return c;
    }
    c.OutputRSquare = state.RSquare;
    c.ExitStatus = 0;
    return c;
}

} // namespace quellow::UCalibration
