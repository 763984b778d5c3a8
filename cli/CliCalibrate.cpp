#include "cli/CliBatch.h"
#include "cli/CliCommands.h"
#include "cli/CliJoint.h"
#include "calibration/UCalibrationEdges.h"
#include "calibration/UCalibrationRun.h"
#include "files/UPrompts.h"
#include "files/UTextFields.h"
#include "reports/UReports.h"

#include <cmath>
#include <iostream>

namespace quellow::cli {

namespace {

const char *const calibrateUsage =
    "Usage: quellow-cli calibrate FILE.inp [-o OUT.inp] [--objective nse|kge|rsquare] [--json]\n"
    "                             [--evaluations N] [--threads N] [--robust-alpha]\n"
    "                             [--prediction-reservoir]\n"
    "Calibrates the maximum storage, the initial storage and a factor on the escape rates of\n"
    "an analysis file for the highest objective among the parameter sets whose recharge volume\n"
    "is 0.5 to 2 times the measured runoff volume. The objective is the NSE (default) or KGE\n"
    "of the simulation of the window with the prediction run's routing, or the R square of\n"
    "the analysis's reconstruction. Writes the calibrated input file (default\n"
    "FILE-calibrated.inp, never FILE.inp itself), runs it (OUT.out, OUT.dat) and prints the\n"
    "start and calibrated figures (one JSON object with --json).\n"
    "--robust-alpha: a range of the alpha function with fewer than 5 points or 3 distinct\n"
    "runoffs takes one line over both ranges, and the simulation holds alpha beyond the\n"
    "runoffs fitted.\n"
    "--prediction-reservoir: the analysis takes its recharge from the prediction's first\n"
    "reservoir (an overflow empties the deficit).\n"
    "The file written and its run stay as Save / Run makes them. Several files: quellow-cli\n"
    "calibrate A.inp B.inp --help; several windows with one parameter set: quellow-cli\n"
    "calibrate --joint --help. Exit status 0 on success.\n";

struct TCalibrateArgs
{
    TCalibrateArgs() { Options.Objective = UCalibration::TObjective::NSE; }
    std::string File;
    std::string Output;
    bool Json = false;
    bool Help = false;
    UCalibration::TOptions Options;
};

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
        else if (a == "--objective" && hasValue) {
            if (!UCalibration::ObjectiveFromName(args[++i], out.Options.Objective)) {
                std::cerr << "--objective is nse, kge or rsquare.\n";
                return false;
            }
        } else if (a == "--evaluations" && hasValue) {
            std::string message;
            if (!UCalibration::ReadEvaluations(args[++i], a, out.Options.Evaluations, message)) {
                std::cerr << message << '\n';
                return false;
            }
        } else if (a == "--threads" && hasValue) {
            if (!ReadThreads(args[++i], out.Options.Threads))
                return false;
        } else if (a == "--robust-alpha") {
            out.Options.RobustAlpha = true;
        } else if (a == "--prediction-reservoir") {
            out.Options.PredictionReservoir = true;
        } else if (out.File.empty() && !a.empty() && a[0] != '-')
            out.File = a;
        else
            return false;
    }
    return out.Help || !out.File.empty();
}

/// The same as a small table for people. The initial storage is the one the run starts from.
std::string calibrationTable(const UCalibration::TCalibrationRun &run)
{
    const UCalibration::TResult &r = run.Search;
    std::string table = "                          start  calibrated\n";
    auto row = [&](const char *label, double start, double best, const char *format) {
        table += printfText("%-22s%10s%12s\n", label, printfText(format, start).c_str(),
                            printfText(format, best).c_str());
    };
    row("Maximum storage (mm)", r.Start.MaxStor, r.Best.MaxStor, "%.2f");
    row("Initial storage (mm)", UsedInitStor(r.Start), UsedInitStor(r.Best), "%.2f");
    row("Escape factor", r.Start.EscapeFactor, r.Best.EscapeFactor, "%.3f");
    table += "Reconstruction (alpha piece by the measured runoff)\n";
    row("  R square", r.StartFit.RSquare, r.BestFit.RSquare, "%.3f");
    row("  NSE", r.StartFit.Fit.NSE, r.BestFit.Fit.NSE, "%.3f");
    row("  KGE", r.StartFit.Fit.KGE, r.BestFit.Fit.KGE, "%.3f");
    table += "Simulation (as a prediction runs it)\n";
    const TSkill &s0 = r.StartFit.Simulation.Skill, &s1 = r.BestFit.Simulation.Skill;
    auto skillRow = [&](const char *label, double start, double best) {
        table +=
            printfText("%-22s%10s%12s\n", label, s0.Valid ? printfText("%.3f", start).c_str() : "-",
                       s1.Valid ? printfText("%.3f", best).c_str() : "-");
    };
    skillRow("  NSE", s0.Fit.NSE, s1.Fit.NSE);
    skillRow("  KGE", s0.Fit.KGE, s1.Fit.KGE);
    skillRow("  log NSE", s0.LogNSE, s1.LogNSE);
    skillRow("  volume error %", s0.Fit.VolumeError, s1.Fit.VolumeError);
    row("Recharge/runoff", r.StartFit.VolumeRatio, r.BestFit.VolumeRatio, "%.3f");
    row("Runoff divide", r.StartFit.Divide, r.BestFit.Divide, "%.2f");
    return table + CalibrationWarnings(r.Best, r.BestFit);
}

} // namespace

std::string CalibrationWarnings(const TParameters &best, const UCalibration::TEvaluation &fit)
{
    // What the window's result questions, the command line questions too.
    std::string lines;
    for (UCalibration::TEdge edge : UCalibration::EdgesOf(best, fit))
        lines += "Warning: " + UCalibration::EdgeText(edge) + "\n";
    if (const std::string factor = UCalibration::FactorHistoryText(1, best.EscapeFactor);
        !factor.empty())
        lines += "Warning: " + factor + "\n";
    return lines;
}

int CalibrateCommand(const TArgs &args)
{
    if (IsJointCalibrate(args))
        return JointCalibrateCommand(args);
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
        std::cout << UReports::CalibrationJson(result, parsed.Options.Objective) << '\n';
    else if (result.ExitStatus == 0)
        std::cout << calibrationTable(result.Run) << "Written: " << result.Output << '\n';
    return result.ExitStatus;
}

} // namespace quellow::cli
