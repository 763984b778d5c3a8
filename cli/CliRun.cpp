#include "cli/CliBatch.h"
#include "cli/CliCommands.h"
#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "files/UInputFile.h"
#include "files/UOutputNames.h"
#include "runs/UPrediction.h"
#include "files/UPrompts.h"
#include "runs/URainRun.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

namespace quellow::cli {

namespace {

const char *const runUsage =
    "Usage: quellow-cli run FILE.inp [--json]\n"
    "       quellow-cli run FILE.inp|FOLDER ... [--threads N] [--csv SUMMARY.csv] [--json]\n"
    "                       [--shard K/N] [--skip-done]\n"
    "Runs each input file and writes FILE.out beside it (an analysis also FILE.dat).\n"
    "One file: its messages on standard error; --json prints its figures as one JSON object.\n"
    "Several files or a folder (its *.inp files): spread over N threads (default: one per\n"
    "core), messages on standard error as one block per file, and a summary table on\n"
    "standard output (a JSON array with --json) and as CSV in SUMMARY.csv with --csv.\n"
    "--shard K/N runs slice K of N of the files (see docs/cluster.md; in a Slurm array task\n"
    "the slice is the task's), --skip-done leaves the files whose outputs are complete.\n"
    "Exit status 0 when every output file was written.\n";

/// The analysis of the file text content, read once.
void runAnalysis(const std::string &path, const std::string &content, TPrompts &prompts,
                 TFileResult &result)
{
    URainRun::TAnalysisInput input;
    if (!URainRun::ParseAnalysisInput(content, path, input, &prompts))
        return;
    URainRun::TState s;
    s.FileName = path;
    s.Messages = &prompts;
    result.Ok = URainRun::DivideSearch(s, input);
    result.Rows = s.DataCount;
    result.MaxStor = s.MaxSto;
    result.InitStor = s.IniSto;
    result.Fitted = result.Ok;
    if (result.Ok) {
        result.RSquare = s.RSquare;
        result.NSE = s.Fit.NSE;
        result.KGE = s.Fit.KGE;
        result.VolumeError = s.Fit.VolumeError;
        result.Divide = s.Divide;
    }
    // The window simulated as a prediction with this alpha function would run it.
    result.Simulation = TSimulationFit();
    if (!result.Ok)
        return;
    result.Simulation = URainRun::Simulate(input, s);
    const std::string raised =
        RaisedInitialRunoffText(*result.Simulation, input.Rows.empty() ? 0 : input.Rows[0].Runoff);
    if (!raised.empty())
        prompts.ShowMessage(raised);
}

void runPrediction(const std::string &path, bool drainage, TPrompts &prompts, TFileResult &result)
{
    UPrediction::TState s;
    s.FileName = path;
    s.Messages = &prompts;
    s.Drainage = drainage;
    s.Values = ModelValues; // the values of a fresh start, as a single run has them
    UPrediction::RunPrediction(s);
    result.Ok = !s.PredFailed;
    result.Rows = s.NrOfPred;
    result.MaxStor = s.PMaxStor;
    result.InitStor = s.PInitStor;
}

/// The second line of a text (a line ends with CR LF, LF or a lone CR).
std::string secondLine(std::string_view text)
{
    const std::size_t end1 = text.find_first_of("\r\n");
    if (end1 == std::string_view::npos)
        return {};
    const std::size_t start = text.compare(end1, 2, "\r\n") == 0 ? end1 + 2 : end1 + 1;
    const std::size_t end2 = std::min(text.find_first_of("\r\n", start), text.size());
    return std::string(text.substr(start, end2 - start));
}

/// False, with the message, when a run of path would write over a file the command reads.
bool outputsFree(const std::string &path, bool analysis, const std::vector<std::string> &inputs,
                 TPrompts &prompts)
{
    std::vector<UOutputNames::TNamedFile> reads{{"input file", path}};
    for (const std::string &input : inputs)
        reads.push_back({"input file", UOutputNames::AbsolutePath(input)});
    const std::string collision =
        UOutputNames::Collision(reads, UOutputNames::RunOutputs(path, analysis));
    if (collision.empty())
        return true;
    prompts.ShowMessage(collision);
    return false;
}

/// Runs one input file as the mode on its second line says, never over one of inputs (the
/// other files of the command). Touches no shared state, so several files may run on threads
/// at once.
TFileResult runInputFile(const std::string &file, TPrompts &prompts,
                         const std::vector<std::string> &inputs)
{
    TFileResult result;
    result.File = file;
    const std::string path = UOutputNames::AbsolutePath(file);
    std::string content;
    std::vector<std::string> lines;
    if (readWholeFile(path, content) != TReadStatus::Ok) {
        LoadInputLines(path, lines, &prompts); // says why
        return result;
    }
    // The second line names the mode.
    const TInputMode mode = ModeOfLine(secondLine(content));
    if (mode != TInputMode::Unknown &&
        !outputsFree(path, mode == TInputMode::Analysis, inputs, prompts))
        return result;
    if (mode == TInputMode::Analysis) {
        result.Mode = "analysis";
        runAnalysis(path, content, prompts, result);
        return result;
    }
    if (mode == TInputMode::PredictionRunoff || mode == TInputMode::PredictionDrainage) {
        // The run reads the current layout only; an older prediction file is brought up to
        // date by opening it in the program and saving it again.
        if (IsOutdatedPredictionLayout(splitLines(content))) {
            prompts.ShowMessage(OutdatedLayoutText());
            prompts.ShowMessage("The file \"" + path +
                                "\" was not run: open it in Quellow, complete the alpha "
                                "function and save it to run it.");
            return result;
        }
        const bool drainage = mode == TInputMode::PredictionDrainage;
        result.Mode = drainage ? "prediction drainage" : "prediction runoff";
        runPrediction(path, drainage, prompts, result);
        return result;
    }
    prompts.ShowMessage(NotAnInputFileMessage(path));
    return result;
}

} // namespace

int RunCommand(const TArgs &args)
{
    if (ShowsHelp(args, runUsage))
        return 0;
    TBatchOptions options;
    if (!ParseBatchOptions(args, "run", options) || options.Inputs.empty()) {
        std::cerr << runUsage;
        return 2;
    }
    std::error_code error;
    if (!options.Batch && !std::filesystem::is_directory(options.Inputs[0], error)) {
        // One file: its messages as they come, as the window shows them one after another.
        TMessageLog log(true);
        TFileResult result = runInputFile(options.Inputs[0], log, {});
        result.Messages = std::move(log.Lines);
        if (options.Json)
            std::cout << ResultJson(result) << '\n';
        return result.Ok ? 0 : 1;
    }
    std::vector<std::string> files;
    if (!ExpandInputs(options.Inputs, files))
        return 2;
    const auto job = [&files](const std::string &file, TPrompts &prompts) {
        return runInputFile(file, prompts, files);
    };
    return RunBatch("run", files, options, job, RunWrites);
}

} // namespace quellow::cli
