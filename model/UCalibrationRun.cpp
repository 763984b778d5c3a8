#include "model/UCalibrationRun.h"

#include "model/UDMQuellow.h"
#include "model/UFileUtil.h"
#include "model/UInputFile.h"
#include "model/UPrompts.h"
#include "model/UTextFields.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
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

/// Each thread of the search evaluates into its own copy of the input and its own run state.
struct TWorkerState
{
    URainRun::TAnalysisInput Applied;
    URainRun::TState State;
};

/// The status of a search that ran; one without an admissible set says so.
TStatus statusOf(TOutcome outcome, TPrompts *prompts)
{
    switch (outcome) {
    case TOutcome::Calibrated:
        return TStatus::Calibrated;
    case TOutcome::Cancelled:
        return TStatus::Cancelled;
    case TOutcome::NoAdmissibleSet:
        break;
    }
    tell(prompts, noAdmissibleText());
    return TStatus::NoAdmissibleSet;
}

} // namespace

TFit FitOf(const URainRun::TEvaluation &evaluation)
{
    TFit fit;
    fit.Stopped = evaluation.Stopped;
    fit.RSquare = evaluation.RSquare;
    fit.NSE = evaluation.Fit.NSE;
    fit.KGE = evaluation.Fit.KGE;
    fit.VolumeRatio = evaluation.VolumeRatio;
    fit.Divide = evaluation.Divide;
    return fit;
}

TParameters StartValues(const URainRun::TAnalysisInput &input)
{
    return {input.MaxSto, input.IniSto, 1};
}

URainRun::TAnalysisInput CalibratedInput(const URainRun::TAnalysisInput &input,
                                         const TParameters &parameters)
{
    URainRun::TAnalysisInput out;
    URainRun::ApplyCalibration(
        input, {parameters.MaxStor, parameters.InitStor, parameters.EscapeFactor}, out);
    return out;
}

TCalibrationRun CalibrateAnalysis(const URainRun::TAnalysisInput &input, const TOptions &options,
                                  TPrompts *prompts)
{
    const auto begin = std::chrono::steady_clock::now();
    TCalibrationRun run;
    const int rows = static_cast<int>(input.Rows.size());
    if (rows < MinCalibrationRows) {
        run.Status = TStatus::TooFewRows;
        tell(prompts, tooFewRowsText(rows));
        return run;
    }
    std::vector<std::unique_ptr<TWorkerState>> workers;
    for (int w = 0; w < ThreadCount(options); ++w)
        workers.push_back(std::make_unique<TWorkerState>());
    // The start values first, alone: a stop there is a fault of the data, which a Save/Run
    // reports with its own messages; the search would only hide it.
    const URainRun::TEvaluation start = URainRun::Evaluate(input, workers[0]->State);
    if (start.Stopped) {
        URainRun::TState shown;
        shown.Messages = prompts;
        shown.WriteFiles = false;
        URainRun::DivideSearch(shown, input);
        run.Status = TStatus::StartStopped;
        run.Search.Start = StartValues(input);
        return run;
    }
    auto evaluate = [&](const TParameters &p, int worker) {
        TWorkerState &w = *workers[static_cast<std::size_t>(worker)];
        URainRun::ApplyCalibration(input, {p.MaxStor, p.InitStor, p.EscapeFactor}, w.Applied);
        return FitOf(URainRun::Evaluate(w.Applied, w.State));
    };
    run.Search = Search(evaluate, StartValues(input), options);
    run.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    run.Status = statusOf(run.Search.Outcome, prompts);
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

std::string DefaultCalibratedName(const std::string &path)
{
    std::filesystem::path p(path);
    return (p.parent_path() / (p.stem().string() + "-calibrated.inp")).string();
}

namespace {

std::string absolutePath(const std::string &path)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

bool samePath(const std::string &a, const std::string &b)
{
    std::error_code error;
    if (std::filesystem::equivalent(a, b, error))
        return true;
    return absolutePath(a) == absolutePath(b);
}

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
    c.Input = absolutePath(path);
    c.Output = absolutePath(output.empty() ? DefaultCalibratedName(path) : output);
    if (samePath(c.Input, c.Output)) {
        tell(prompts,
             "The calibrated file would replace \"" + c.Input + "\": give another name for it.");
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

// ---- Reports -------------------------------------------------------------------------------

namespace {

std::string number(double value)
{
    if (!std::isfinite(value))
        return "null";
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

std::string jsonSet(const TParameters &p, const TFit &fit)
{
    return "{\"MaxStor\":" + number(p.MaxStor) + ",\"InitStor\":" + number(p.InitStor) +
           ",\"EscapeFactor\":" + number(p.EscapeFactor) + ",\"RSquare\":" + number(fit.RSquare) +
           ",\"NSE\":" + number(fit.NSE) + ",\"KGE\":" + number(fit.KGE) +
           ",\"VolumeRatio\":" + number(fit.VolumeRatio) + ",\"Divide\":" + number(fit.Divide) +
           "}";
}

const char *statusName(TStatus status)
{
    switch (status) {
    case TStatus::Calibrated:
        return "calibrated";
    case TStatus::Cancelled:
        return "cancelled";
    case TStatus::TooFewRows:
        return "too few rows";
    case TStatus::StartStopped:
        return "analysis stops";
    case TStatus::NoAdmissibleSet:
        return "no admissible set";
    case TStatus::FileError:
        break;
    }
    return "file error";
}

} // namespace

std::string CalibrationJson(const TFileCalibration &c)
{
    const TResult &r = c.Run.Search;
    std::string json =
        "{\"file\":" + jsonText(c.Input) + ",\"status\":" + jsonText(statusName(c.Run.Status));
    if (c.Run.Status == TStatus::Calibrated) {
        json += ",\"output\":" + jsonText(c.Output) + ",\"start\":" + jsonSet(r.Start, r.StartFit) +
                ",\"calibrated\":" + jsonSet(r.Best, r.BestFit);
    }
    return json + ",\"evaluations\":" + std::to_string(r.Evaluations) +
           ",\"seconds\":" + number(std::round(c.Run.Seconds * 1e4) / 1e4) + "}";
}

std::string CalibrationTable(const TCalibrationRun &run)
{
    const TResult &r = run.Search;
    std::string table = "                          start  calibrated\n";
    auto row = [&](const char *label, double start, double best, const char *format) {
        char buffer[96];
        char a[32], b[32];
        std::snprintf(a, sizeof a, format, start);
        std::snprintf(b, sizeof b, format, best);
        std::snprintf(buffer, sizeof buffer, "%-22s%10s%12s\n", label, a, b);
        table += buffer;
    };
    row("Maximum storage (mm)", r.Start.MaxStor, r.Best.MaxStor, "%.2f");
    row("Initial storage (mm)", r.Start.InitStor, r.Best.InitStor, "%.2f");
    row("Escape factor", r.Start.EscapeFactor, r.Best.EscapeFactor, "%.3f");
    row("R square", r.StartFit.RSquare, r.BestFit.RSquare, "%.3f");
    row("NSE", r.StartFit.NSE, r.BestFit.NSE, "%.3f");
    row("KGE", r.StartFit.KGE, r.BestFit.KGE, "%.3f");
    row("Recharge/runoff", r.StartFit.VolumeRatio, r.BestFit.VolumeRatio, "%.3f");
    row("Runoff divide", r.StartFit.Divide, r.BestFit.Divide, "%.2f");
    return table;
}

} // namespace quellow::UCalibration
