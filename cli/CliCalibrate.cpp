#include "cli/CliCommands.h"
#include "model/UCalibrationRun.h"
#include "model/UPrompts.h"
#include "model/UTextFields.h"

#include <iostream>

namespace quellow::cli {

namespace {

const char *const calibrateUsage =
    "Usage: quellow-cli calibrate FILE.inp [-o OUT.inp] [--json] [--evaluations N] "
    "[--threads N]\n"
    "Calibrates the maximum storage, the initial storage and a factor on the escape rates of\n"
    "an analysis file for the highest R square among the parameter sets whose recharge volume\n"
    "is 0.5 to 2 times the measured runoff volume. Writes the calibrated input file (default\n"
    "FILE-calibrated.inp, never FILE.inp itself), runs it (OUT.out, OUT.dat) and prints the\n"
    "start and calibrated figures (one JSON object with --json). Exit status 0 on success.\n";

struct TCalibrateArgs
{
    std::string File;
    std::string Output;
    bool Json = false;
    bool Help = false;
    UCalibration::TOptions Options;
};

bool readCount(const std::string &text, int lowest, int &value)
{
    return parseInt(text, value) && value >= lowest;
}

/// False (with a line on standard error) when the arguments are not understood.
bool parseArgs(const TArgs &args, TCalibrateArgs &out)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--help" || a == "-h")
            out.Help = true;
        else if (a == "--json")
            out.Json = true;
        else if (a == "-o" && hasValue)
            out.Output = args[++i];
        else if (a == "--evaluations" && hasValue) {
            if (!readCount(args[++i], UCalibration::MinEvaluations, out.Options.Evaluations)) {
                std::cerr << "--evaluations needs a whole number of at least "
                          << UCalibration::MinEvaluations << ".\n";
                return false;
            }
        } else if (a == "--threads" && hasValue) {
            if (!readCount(args[++i], 1, out.Options.Threads) || out.Options.Threads > 256) {
                std::cerr << "--threads needs a whole number from 1 to 256.\n";
                return false;
            }
        } else if (out.File.empty() && !a.empty() && a[0] != '-')
            out.File = a;
        else
            return false;
    }
    return out.Help || !out.File.empty();
}

} // namespace

int CalibrateCommand(const TArgs &args)
{
    if (IsCalibrateBatch(args))
        return CalibrateBatchCommand(args);
    TCalibrateArgs parsed;
    if (!parseArgs(args, parsed)) {
        std::cerr << calibrateUsage;
        return 2;
    }
    if (parsed.Help) {
        std::cout << calibrateUsage;
        return 0;
    }
    const UCalibration::TFileCalibration result =
        UCalibration::CalibrateFile(parsed.File, parsed.Output, parsed.Options, &Prompts());
    if (parsed.Json)
        std::cout << UCalibration::CalibrationJson(result) << '\n';
    else if (result.ExitStatus == 0)
        std::cout << UCalibration::CalibrationTable(result.Run) << "Written: " << result.Output
                  << '\n';
    return result.ExitStatus;
}

} // namespace quellow::cli
