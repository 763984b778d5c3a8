#include "cli/CliBatch.h"
#include "cli/CliCommands.h"
#include "cli/CliJoint.h"
#include "cli/CliShard.h"
#include "cli/CliValidationTable.h"
#include "files/UFileUtil.h"
#include "files/UOutputNames.h"
#include "files/UTextFields.h"
#include "reports/UReports.h"
#include "calibration/UValidation.h"
#include "calibration/UValidationFiles.h"
#include "tasks/UTaskPool.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <utility>

namespace quellow::cli {

namespace {

using UValidation::TValidation;

const char *const validateUsage =
    "Usage: quellow-cli validate CAL.inp VAL.inp [--objective nse|kge|rsquare]\n"
    "           [--no-calibrate [--escape-factor F]] [--init-storage cal|full|X]\n"
    "           [--warmup K] [--band D] [--json] [-o DIR] [--threads N] [--evaluations N]\n"
    "           [--robust-alpha] [--prediction-reservoir]\n"
    "       quellow-cli validate --chain A.inp B.inp C.inp ... [--threads N] [--csv SUMMARY.csv]\n"
    "           [--shard K/N] [--skip-done] [the options above but --json and -o]\n"
    "       quellow-cli validate --leave-one-out A.inp B.inp ...|FOLDER (see its --help)\n"
    "Split-sample validation: calibrates the analysis file CAL (unless --no-calibrate: its\n"
    "parameters as they stand, escape factor F on VAL's escape rates, default 1), runs its\n"
    "analysis for the alpha function and simulates VAL with CAL's maximum storage, the\n"
    "initial storage of --init-storage (cal: CAL's, the default; full: the maximum; or X mm,\n"
    "0 for an empty start, refused above the maximum),\n"
    "CAL's escape factor and alpha function, from VAL's first measured runoff, as a prediction\n"
    "runs it. Rows K+2..N of VAL are scored (K warm-up rows, default 0), beside benchmarks:\n"
    "start (CAL uncalibrated), self (VAL calibrated on itself), mean (CAL's mean runoff as a\n"
    "constant) and recession (VAL's first runoff routed without recharge). With calibration,\n"
    "the sets within D of the best objective (default 0.05 for nse and kge, 0.02 for rsquare)\n"
    "give a 5-95 % band. -o DIR writes DIR/VAL-validation.csv and the pictures as\n"
    "DIR/VAL-validation-NAME.png (hydrograph, scatter and, with calibration, the dotty plots\n"
    "MaxStor, InitStor, EscapeFactor). --chain validates each file on\n"
    "the next and prints one summary table; --shard K/N validates slice K of N of its pairs (in a\n"
    "Slurm array task the task's), --skip-done leaves the pairs with a row in the summary.\n"
    "--robust-alpha and --prediction-reservoir go to CAL's analyses as for quellow-cli\n"
    "calibrate; VAL's simulation holds alpha as CAL's analysis says. Exit status 0 when every\n"
    "validation completed.\n";

struct TValidateArgs
{
    std::vector<std::string> Files;
    UValidation::TOptions Options;
    bool Chain = false;
    bool Json = false;
    bool Help = false;
    bool FactorGiven = false;
    std::string OutputDir;
    std::string CsvFile;
};

/// The value of an option; false (with a line on standard error) when it does not read.
bool readOption(const std::string &name, const std::string &text, TValidateArgs &out)
{
    UValidation::TOptions &o = out.Options;
    static const std::pair<const char *, UValidation::TOption> valueOptions[] = {
        {"--objective", UValidation::TOption::Objective},
        {"--escape-factor", UValidation::TOption::EscapeFactor},
        {"--init-storage", UValidation::TOption::InitStorage},
        {"--warmup", UValidation::TOption::Warmup},
        {"--band", UValidation::TOption::Band}};
    for (const auto &[option, kind] : valueOptions)
        if (name == option) {
            if (kind == UValidation::TOption::EscapeFactor)
                out.FactorGiven = true;
            std::string message;
            if (UValidation::ReadOption(kind, text, name, o, message))
                return true;
            std::cerr << message << '\n';
            return false;
        }
    if (name == "--threads") {
        return ReadThreads(text, o.Threads);
    } else if (name == "--evaluations") {
        std::string message;
        if (UCalibration::ReadEvaluations(text, name, o.Evaluations, message))
            return true;
        std::cerr << message << '\n';
    } else if (name == "-o") {
        out.OutputDir = text;
        return true;
    } else if (name == "--csv") {
        out.CsvFile = text;
        return true;
    }
    return false;
}

bool takesValue(const std::string &a)
{
    for (const char *name : {"--objective", "--escape-factor", "--init-storage", "--warmup",
                             "--band", "--threads", "--evaluations", "-o", "--csv"})
        if (a == name)
            return true;
    return false;
}

/// False (with a line on standard error when a value is bad) when the arguments do not read.
bool parseArgs(const TArgs &args, TValidateArgs &out)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (a == "--help" || a == "-h")
            out.Help = true;
        else if (a == "--json")
            out.Json = true;
        else if (a == "--chain")
            out.Chain = true;
        else if (a == "--no-calibrate")
            out.Options.Calibrate = false;
        else if (a == "--robust-alpha")
            out.Options.RobustAlpha = true;
        else if (a == "--prediction-reservoir")
            out.Options.PredictionReservoir = true;
        else if (takesValue(a) && i + 1 < args.size()) {
            if (!readOption(a, args[++i], out))
                return false;
        } else if (!a.empty() && a[0] != '-')
            out.Files.push_back(a);
        else
            return false;
    }
    if (out.Help)
        return true;
    if (out.FactorGiven && out.Options.Calibrate) {
        std::cerr << "--escape-factor goes with --no-calibrate: a calibration finds the factor.\n";
        return false;
    }
    if (out.Chain) {
        if (out.Json || !out.OutputDir.empty()) {
            std::cerr << "--chain prints one summary table; --json and -o are for one pair.\n";
            return false;
        }
        return out.Files.size() >= 2;
    }
    if (!out.CsvFile.empty()) {
        std::cerr << "--csv writes the summary of --chain.\n";
        return false;
    }
    return out.Files.size() == 2;
}

// ---- One pair ------------------------------------------------------------------------------

/// The validation as a small table for people.
std::string validationTable(const TValidation &v)
{
    const TModelValues &a = v.CalFit.Alpha;
    std::string t = "Calibration " + v.CalFile +
                    (v.Calibrated ? " (calibrated for " : " (as given, ") +
                    UCalibration::ObjectiveName(v.Objective) + ")\n";
    t += printfText("  maximum storage %.2f mm, initial storage %.2f mm, escape factor %.3f\n",
                    v.Cal.MaxStor, UsedInitStor(v.Cal), v.EscapeFactor);
    t += printfText("  alpha = %.6g Q + %.6g above %.6g, %.6g Q + %.6g below\n", a.A1, a.B1,
                    a.Divide, a.A2, a.B2);
    const TSkill &c = v.CalFit.Simulation.Skill;
    t += printfText("  reconstruction R square %.3f; simulation NSE %s, KGE %s\n", v.CalFit.RSquare,
                    UValidationFiles::FigureText(c.Valid, c.Fit.NSE).c_str(),
                    UValidationFiles::FigureText(c.Valid, c.Fit.KGE).c_str());
    t += "Validation " + v.ValFile +
         printfText(" (%d rows scored after a warm-up of %d, initial storage %.2f mm)\n", v.Rows,
                    v.Warmup, v.InitStor);
    t += printfText("%-24s%9s%9s%11s\n", "", "NSE", "KGE", "volume %");
    for (const UValidationFiles::TFigureRow &r : UValidationFiles::FigureRows(v))
        t += printfText("%-24s%9s%9s%11s\n", ("  " + std::string(r.Label)).c_str(), r.NSE.c_str(),
                        r.KGE.c_str(), r.VolumeError.c_str());
    const TSkill &s = v.Validation.Skill;
    t += printfText("  log NSE %s; KGE parts r %s, alpha %s, beta %s\n",
                    UValidationFiles::FigureText(s.LogValid, s.LogNSE).c_str(),
                    UValidationFiles::FigureText(s.Valid, s.Fit.R).c_str(),
                    UValidationFiles::FigureText(s.Valid, s.Fit.Alpha).c_str(),
                    UValidationFiles::FigureText(s.Valid, s.Fit.Beta).c_str());
    const UValidation::TBand &b = v.Band;
    if (b.Made)
        t += printfText("Band of %d sets: coverage %.1f %% (nominal 90 %%), width %s\n", b.Sets,
                        100 * b.Coverage,
                        UValidationFiles::FigureText(b.WidthDefined, b.Width).c_str());
    for (const std::string &note : v.Notes)
        t += "Note: " + note + "\n";
    return t;
}

/// Reads both files and validates; messages in v.
TValidation validatePair(const std::string &calFile, const std::string &valFile,
                         const UValidation::TOptions &options)
{
    URainRun::TAnalysisInput cal, val;
    TValidation v;
    v.CalFile = calFile;
    v.ValFile = valFile;
    v.Objective = options.Objective;
    v.Warmup = options.Warmup;
    if (!UValidation::ReadWindow(calFile, "calibration", cal, v.Message) ||
        !UValidation::ReadWindow(valFile, "validation", val, v.Message))
        return v;
    return UValidation::Validate(cal, calFile, val, valFile, options);
}

int validateOne(const TValidateArgs &a)
{
    const std::string cal = a.Files[0], val = a.Files[1];
    std::string series;
    if (!a.OutputDir.empty()) {
        series = UValidationFiles::SeriesName(a.OutputDir, val);
        std::vector<UOutputNames::TNamedFile> writes = {
            {"series file", UOutputNames::AbsolutePath(series)}};
        for (UValidationFiles::TPicture picture : UValidationFiles::Pictures(a.Options.Calibrate))
            writes.push_back({"picture file",
                              UOutputNames::AbsolutePath(
                                  UValidationFiles::PictureFileName(a.OutputDir, val, picture))});
        const std::string collision =
            UOutputNames::Collision({{"calibration file", UOutputNames::AbsolutePath(cal)},
                                     {"validation file", UOutputNames::AbsolutePath(val)}},
                                    writes);
        if (!collision.empty()) {
            std::cerr << collision << '\n';
            return 1;
        }
    }
    const TValidation v = validatePair(cal, val, a.Options);
    const bool ok = v.Status == UValidation::TStatus::Validated;
    if (!ok)
        std::cerr << v.Message << '\n';
    if (ok && !series.empty()) {
        std::error_code error;
        std::filesystem::create_directories(a.OutputDir, error);
        // The pictures need the drawing libraries: the chart program draws them and writes
        // them with the series file, all of them or none.
        if (!RunChartProgram({ValidationPicturesOption, a.OutputDir},
                             UValidationFiles::PictureData(v))) {
            std::cerr << "The files of the validation could not be written in \"" << a.OutputDir
                      << "\": none was.\n";
            return 1;
        }
    }
    if (a.Json)
        std::cout << UReports::ValidationJson(v) << '\n';
    else if (ok)
        std::cout << validationTable(v)
                  << (series.empty() ? "" : "Written: " + series + " and the pictures beside it\n");
    return ok ? 0 : 1;
}

// ---- A chain of windows ----------------------------------------------------------------------

const TValidationLayout chainLayout = {
    "pair",
    {"calibration", "validation"},
    true,
    "NSE of the benchmarks: start = CAL uncalibrated, self = VAL calibrated on itself, mean = "
    "CAL's mean runoff, recess = VAL's first runoff without recharge; cover = share of rows inside "
    "the band."};

TValidationRow chainRow(const TValidation &v)
{
    TValidationRow row = FiguresRow(v);
    row.Label = v.CalFile + " -> " + v.ValFile;
    row.Lead = {v.CalFile, v.ValFile};
    row.Status = v.Status == UValidation::TStatus::Validated ? "validated" : "failed";
    row.Band = &v.Band;
    return row;
}

/// Validates the pairs of the chain at the positions given (pair k: file k on file k + 1),
/// prints their table and puts their summary in csv.
int validatePairs(const TValidateArgs &a, const std::vector<std::size_t> &chosen, std::string &csv)
{
    const std::size_t count = chosen.size();
    std::vector<TValidation> pairs(count);
    UValidation::TOptions options = a.Options;
    // The pairs are spread over the threads, each pair on one: a search gives the same result
    // on any number of threads, so the table does not depend on them.
    UTaskPool::TTaskPool pool(UTaskPool::ThreadCount(options.Threads, count));
    options.Threads = 1;
    pool.forEach(static_cast<int>(count), [&](int i, int) {
        const std::size_t k = chosen[static_cast<std::size_t>(i)];
        pairs[static_cast<std::size_t>(i)] = validatePair(a.Files[k], a.Files[k + 1], options);
    });
    std::vector<TValidationRow> rows;
    for (const TValidation &v : pairs)
        rows.push_back(chainRow(v));
    std::cout << ValidationTable(rows, chainLayout);
    csv = ValidationCsv(rows, chainLayout);
    return std::all_of(rows.begin(), rows.end(),
                       [](const TValidationRow &row) { return row.Validated(); })
               ? 0
               : 1;
}

int validateChain(const TValidateArgs &a, TShardOptions sharding)
{
    if (!a.CsvFile.empty() && !SummaryFileIsFree(a.Files, a.CsvFile))
        return 1;
    if (!ShardFromSlurm("validate", sharding, [](const char *name) { return std::getenv(name); }))
        return 2;
    // A pair's only output is its row of the summary: the chain keeps the order given.
    std::vector<TBatchUnit> units;
    for (std::size_t k = 0; k + 1 < a.Files.size(); ++k)
        units.push_back({a.Files[k] + '\n' + a.Files[k + 1], {a.Files[k], a.Files[k + 1]}, {}});
    return RunSlice("validate", units, sharding, a.CsvFile, {2, 2, "validated"},
                    [&a](const std::vector<std::size_t> &chosen, std::string &csv) {
                        return validatePairs(a, chosen, csv);
                    });
}

} // namespace

int ValidateCommand(const TArgs &arguments)
{
    if (IsLeaveOneOut(arguments))
        return LeaveOneOutCommand(arguments);
    TArgs args = arguments;
    TShardOptions sharding;
    if (!TakeShardOptions(args, "validate", sharding))
        return 2;
    TValidateArgs parsed;
    if (!parseArgs(args, parsed)) {
        std::cerr << validateUsage;
        return 2;
    }
    if (parsed.Help) {
        std::cout << validateUsage;
        return 0;
    }
    if (!parsed.Chain && (sharding.Shard || sharding.SkipDone)) {
        std::cerr << "--shard and --skip-done are for --chain.\n";
        return 2;
    }
    return parsed.Chain ? validateChain(parsed, sharding) : validateOne(parsed);
}

} // namespace quellow::cli
