#include "cli/CliBatch.h"
#include "cli/CliCommands.h"
#include "cli/CliShard.h"
#include "files/UFileUtil.h"
#include "files/UOutputNames.h"
#include "files/UTextFields.h"
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
    "       quellow-cli validate --chain A.inp B.inp C.inp ... [--threads N] [--csv SUMMARY.csv]\n"
    "           [--shard K/N] [--skip-done] [the options above but --json and -o]\n"
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
    "Exit status 0 when every validation completed.\n";

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
    int whole = 0;
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
        if (parseInt(text, whole) && whole >= 1 && whole <= 256) {
            o.Threads = whole;
            return true;
        }
        std::cerr << "--threads needs a whole number from 1 to 256.\n";
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

std::string num(bool defined, double value)
{
    return defined ? jsonNumber(value) : std::string("null");
}

std::string benchmarkJson(const UValidation::TBenchmark &b)
{
    return "{\"NSE\":" + num(b.Defined, b.Fit.NSE) + ",\"KGE\":" + num(b.Defined, b.Fit.KGE) +
           ",\"VolumeError\":" + num(b.Defined, b.Fit.VolumeError) + "}";
}

std::string rangeJson(const std::array<double, 2> &range, bool defined)
{
    return defined ? "[" + jsonNumber(range[0]) + "," + jsonNumber(range[1]) + "]"
                   : std::string("null");
}

std::string calibrationJson(const TValidation &v, bool ok)
{
    const TModelValues &a = v.CalFit.Alpha;
    return "{\"file\":" + jsonText(v.CalFile) +
           ",\"objective\":" + jsonText(UCalibration::ObjectiveName(v.Objective)) +
           ",\"MaxStor\":" + num(ok, v.Cal.MaxStor) +
           ",\"InitStor\":" + num(ok, UsedInitStor(v.Cal)) +
           ",\"EscapeFactor\":" + num(ok, v.EscapeFactor) + ",\"A1\":" + num(ok, a.A1) +
           ",\"B1\":" + num(ok, a.B1) + ",\"A2\":" + num(ok, a.A2) + ",\"B2\":" + num(ok, a.B2) +
           ",\"Divide\":" + num(ok, a.Divide) + ",\"RSquare\":" + num(ok, v.CalFit.RSquare) +
           ",\"Simulation\":" + SimulationJson(ok ? v.CalFit.Simulation : TSimulationFit()) + "}";
}

std::string validationJson(const TValidation &v, bool ok)
{
    const TSimulationFit &s = v.Validation;
    const bool fit = ok && s.Made && s.Skill.Valid;
    const TFitMeasures &f = s.Skill.Fit;
    return "{\"file\":" + jsonText(v.ValFile) +
           ",\"source\":" + (v.ValSource.empty() ? std::string("null") : jsonText(v.ValSource)) +
           ",\"rows\":" + num(ok, v.Rows) + ",\"warmup\":" + std::to_string(v.Warmup) +
           ",\"InitStor\":" + num(ok, v.InitStor) + ",\"NSE\":" + num(fit, f.NSE) +
           ",\"KGE\":" + num(fit, f.KGE) + ",\"KGEr\":" + num(fit, f.R) +
           ",\"KGEalpha\":" + num(fit, f.Alpha) + ",\"KGEbeta\":" + num(fit, f.Beta) +
           ",\"LogNSE\":" + num(fit && s.Skill.LogValid, s.Skill.LogNSE) +
           ",\"VolumeError\":" + num(fit, f.VolumeError) + "}";
}

std::string bandJson(const UValidation::TBand &b)
{
    return "{\"sets\":" + (b.Made ? std::to_string(b.Sets) : std::string("null")) +
           ",\"coverage\":" + num(b.Made, b.Coverage) +
           ",\"width\":" + num(b.Made && b.WidthDefined, b.Width) +
           ",\"ranges\":{\"MaxStor\":" + rangeJson(b.MaxStor, b.Made) +
           ",\"InitStor\":" + rangeJson(b.InitStor, b.Made) +
           ",\"EscapeFactor\":" + rangeJson(b.EscapeFactor, b.Made) + "}}";
}

/// The validation as one JSON object (one line, no line end).
std::string validationReport(const TValidation &v)
{
    const bool ok = v.Status == UValidation::TStatus::Validated;
    std::vector<std::string> notes = v.Notes;
    if (!ok)
        notes.insert(notes.begin(), v.Message);
    std::string json = "{\"status\":" + jsonText(ok ? "validated" : "failed") +
                       ",\"calibration\":" + calibrationJson(v, ok) +
                       ",\"validation\":" + validationJson(v, ok) +
                       ",\"benchmarks\":{\"start\":" + benchmarkJson(v.Start) +
                       ",\"self\":" + benchmarkJson(v.Self) + ",\"mean\":" + benchmarkJson(v.Mean) +
                       ",\"recession\":" + benchmarkJson(v.Recession) +
                       "},\"band\":" + bandJson(v.Band) + ",\"notes\":[";
    for (std::size_t i = 0; i < notes.size(); ++i)
        json += (i ? "," : "") + jsonText(notes[i]);
    return json + "],\"seconds\":" + jsonNumber(std::round(v.Seconds * 1e4) / 1e4) + "}";
}

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
        std::cout << validationReport(v) << '\n';
    else if (ok)
        std::cout << validationTable(v)
                  << (series.empty() ? "" : "Written: " + series + " and the pictures beside it\n");
    return ok ? 0 : 1;
}

// ---- A chain of windows ----------------------------------------------------------------------

std::string chainTable(const std::vector<TValidation> &pairs)
{
    std::size_t width = 4;
    for (const TValidation &v : pairs)
        width = std::max({width, v.CalFile.size() + v.ValFile.size() + 4});
    width = std::min<std::size_t>(width, 60);
    const int w = static_cast<int>(width);
    std::string t =
        printfText("%-*s %5s %7s %7s %8s %7s %7s %7s %7s %7s  %s\n", w, "pair", "rows", "NSE",
                   "KGE", "volume%", "start", "self", "mean", "recess", "cover", "status");
    for (const TValidation &v : pairs) {
        const std::string pair = v.CalFile + " -> " + v.ValFile;
        if (v.Status != UValidation::TStatus::Validated) {
            t += printfText("%-*s %5s %7s %7s %8s %7s %7s %7s %7s %7s  %s\n", w, pair.c_str(), "-",
                            "-", "-", "-", "-", "-", "-", "-", "-", v.Message.c_str());
            continue;
        }
        const TSkill &s = v.Validation.Skill;
        t += printfText(
            "%-*s %5d %7s %7s %8s %7s %7s %7s %7s %7s  %s\n", w, pair.c_str(), v.Rows,
            UValidationFiles::FigureText(s.Valid, s.Fit.NSE).c_str(),
            UValidationFiles::FigureText(s.Valid, s.Fit.KGE).c_str(),
            UValidationFiles::FigureText(s.Valid, s.Fit.VolumeError, "%.1f").c_str(),
            UValidationFiles::FigureText(v.Start.Defined, v.Start.Fit.NSE).c_str(),
            UValidationFiles::FigureText(v.Self.Defined, v.Self.Fit.NSE).c_str(),
            UValidationFiles::FigureText(v.Mean.Defined, v.Mean.Fit.NSE).c_str(),
            UValidationFiles::FigureText(v.Recession.Defined, v.Recession.Fit.NSE).c_str(),
            UValidationFiles::FigureText(v.Band.Made, v.Band.Coverage, "%.3f").c_str(),
            "validated");
    }
    t += "NSE of the benchmarks: start = CAL uncalibrated, self = VAL calibrated on itself, "
         "mean = CAL's mean runoff, recess = VAL's first runoff without recharge; cover = share "
         "of rows inside the band.\n";
    return t;
}

std::string chainCsv(const std::vector<TValidation> &pairs)
{
    std::string csv = "calibration,validation,status,rows,NSE,KGE,LogNSE,VolumeError";
    for (const char *b : {"start", "self", "mean", "recession"})
        for (const char *f : {"NSE", "KGE", "VolumeError"})
            csv += std::string(",") + b + "_" + f;
    csv += ",band_sets,coverage,width,message\r\n";
    auto opt = [](bool defined, double value) {
        return defined ? shortestText(value) : std::string();
    };
    for (const TValidation &v : pairs) {
        const bool ok = v.Status == UValidation::TStatus::Validated;
        const TSkill &s = v.Validation.Skill;
        const bool fit = ok && s.Valid;
        csv += csvField(v.CalFile) + "," + csvField(v.ValFile) + "," +
               (ok ? "validated" : "failed") + "," + (ok ? std::to_string(v.Rows) : "") + "," +
               opt(fit, s.Fit.NSE) + "," + opt(fit, s.Fit.KGE) + "," +
               opt(fit && s.LogValid, s.LogNSE) + "," + opt(fit, s.Fit.VolumeError);
        for (const UValidation::TBenchmark *b : {&v.Start, &v.Self, &v.Mean, &v.Recession})
            csv += "," + opt(b->Defined, b->Fit.NSE) + "," + opt(b->Defined, b->Fit.KGE) + "," +
                   opt(b->Defined, b->Fit.VolumeError);
        const UValidation::TBand &band = v.Band;
        csv += "," + (band.Made ? std::to_string(band.Sets) : std::string()) + "," +
               opt(band.Made, band.Coverage) + "," +
               opt(band.Made && band.WidthDefined, band.Width) + "," +
               csvField(ok ? std::string() : v.Message) + "\r\n";
    }
    return csv;
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
    std::cout << chainTable(pairs);
    csv = chainCsv(pairs);
    return std::all_of(
               pairs.begin(), pairs.end(),
               [](const TValidation &v) { return v.Status == UValidation::TStatus::Validated; })
               ? 0
               : 1;
}

int validateChain(const TValidateArgs &a, TShardOptions sharding)
{
    if (!a.CsvFile.empty()) {
        std::vector<UOutputNames::TNamedFile> reads;
        for (const std::string &f : a.Files)
            reads.push_back({"input file", UOutputNames::AbsolutePath(f)});
        const std::string collision = UOutputNames::Collision(
            reads, {{"summary file", UOutputNames::AbsolutePath(a.CsvFile)}});
        if (!collision.empty()) {
            std::cerr << collision << '\n';
            return 1;
        }
    }
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
