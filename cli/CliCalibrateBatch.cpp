#include "cli/CliBatch.h"
#include "cli/CliCommands.h"
#include "calibration/UCalibrationRun.h"
#include "runs/URainRun.h"
#include "files/UTextFields.h"

#include <filesystem>
#include <iostream>

namespace quellow::cli {

namespace {

const char *const batchUsage =
    "Usage: quellow-cli calibrate FILE.inp|FOLDER ... [--threads N] [--evaluations N]\n"
    "                             [--objective nse|kge|rsquare] [--csv SUMMARY.csv] [--json]\n"
    "                             [--shard K/N] [--skip-done]\n"
    "Calibrates each analysis file (every *.inp file of a folder but the *-calibrated.inp\n"
    "ones) as quellow-cli calibrate FILE.inp does: writes FILE-calibrated.inp and runs it.\n"
    "The files are spread over N threads (default: one per core); messages go to standard\n"
    "error as one block per file, the calibrated figures to a summary table on standard output\n"
    "(a JSON array with --json) and as CSV in SUMMARY.csv with --csv.\n"
    "--shard K/N calibrates slice K of N of the files (in a Slurm array task the task's),\n"
    "--skip-done leaves the files whose outputs are complete (docs/cluster.md).\n"
    "Exit status 0 when every file was calibrated.\n";

constexpr std::string_view calibratedSuffix = "-calibrated.inp";

/// Takes the option name and its value out of args, the value read by read; false (with a
/// line on standard error) when read refuses it.
template <class TRead> bool takeOption(TArgs &args, std::string_view name, TRead read)
{
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] != name)
            continue;
        if (!read(args[i + 1]))
            return false;
        args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
                   args.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        return true;
    }
    return true;
}

/// Takes --evaluations N out of args; false (with a line on standard error) for a bad value.
bool takeEvaluations(TArgs &args, int &evaluations)
{
    return takeOption(args, "--evaluations", [&evaluations](const std::string &value) {
        std::string message;
        if (UCalibration::ReadEvaluations(value, "--evaluations", evaluations, message))
            return true;
        std::cerr << message << '\n';
        return false;
    });
}

/// Takes --objective NAME out of args; false (with a line on standard error) for a bad name.
bool takeObjective(TArgs &args, UCalibration::TObjective &objective)
{
    return takeOption(args, "--objective", [&objective](const std::string &value) {
        if (UCalibration::ObjectiveFromName(value, objective))
            return true;
        std::cerr << "--objective is nse, kge or rsquare.\n";
        return false;
    });
}

/// The figures of the calibrated file as its analysis gives them (and its .out file shows).
void figuresOfCalibratedFile(const UCalibration::TFileCalibration &c, TFileResult &result)
{
    URainRun::TAnalysisInput input;
    if (!URainRun::ReadAnalysisInput(c.Output, input, nullptr))
        return;
    URainRun::TState scratch;
    const URainRun::TEvaluation e = URainRun::Evaluate(input, scratch, URainRun::TSimulate::Full);
    result.Rows = static_cast<int>(input.Rows.size());
    result.Fitted = !e.Stopped;
    result.RSquare = e.RSquare;
    result.NSE = e.Fit.NSE;
    result.KGE = e.Fit.KGE;
    result.VolumeError = e.Fit.VolumeError;
    result.Divide = e.Divide;
    result.Simulation = e.Simulation;
}

TFileResult calibrateOne(const std::string &file, int evaluations,
                         UCalibration::TObjective objective, TPrompts &prompts)
{
    UCalibration::TOptions options;
    options.Evaluations = evaluations;
    options.Objective = objective;
    options.Threads = 1; // the files are spread over the threads instead
    const UCalibration::TFileCalibration c =
        UCalibration::CalibrateFile(file, std::string(), options, &prompts);
    TFileResult result;
    result.Ok = c.ExitStatus == 0;
    URainRun::TAnalysisInput input;
    if (URainRun::ReadAnalysisInput(c.Input.empty() ? file : c.Input, input, nullptr)) {
        result.Mode = "analysis";
        result.Rows = static_cast<int>(input.Rows.size());
    }
    if (!result.Ok)
        return result;
    const TParameters &best = c.Run.Search.Best;
    result.MaxStor = best.MaxStor;
    result.InitStor = best.InitStor;
    result.EscapeFactor = best.EscapeFactor;
    figuresOfCalibratedFile(c, result);
    return result;
}

} // namespace

bool IsCalibrateBatch(const TArgs &args)
{
    int inputs = 0;
    bool folder = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--csv" || arg == "--shard" || arg == "--skip-done")
            return true;
        if (arg == "-o" || arg == "--evaluations" || arg == "--threads" || arg == "--objective") {
            ++i;
        } else if (!arg.empty() && arg[0] != '-') {
            ++inputs;
            std::error_code error;
            folder = folder || std::filesystem::is_directory(arg, error);
        }
    }
    return inputs > 1 || folder;
}

int CalibrateBatchCommand(const TArgs &arguments)
{
    TArgs args = arguments;
    int evaluations = UCalibration::DefaultEvaluations;
    TBatchOptions options;
    for (const std::string &arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::cout << batchUsage;
            return 0;
        }
        if (arg == "-o") {
            std::cerr << "quellow-cli calibrate: -o names the output of one file; several "
                         "files are written as FILE-calibrated.inp each.\n";
            return 2;
        }
    }
    UCalibration::TObjective objective = UCalibration::TObjective::NSE;
    if (!takeEvaluations(args, evaluations) || !takeObjective(args, objective) ||
        !ParseBatchOptions(args, "calibrate", options) || options.Inputs.empty()) {
        std::cerr << batchUsage;
        return 2;
    }
    std::vector<std::string> files;
    if (!ExpandInputs(options.Inputs, files, calibratedSuffix))
        return 2;
    const auto job = [evaluations, objective](const std::string &file, TPrompts &prompts) {
        return calibrateOne(file, evaluations, objective, prompts);
    };
    return RunBatch("calibrate", files, options, job, CalibrateWrites);
}

} // namespace quellow::cli
