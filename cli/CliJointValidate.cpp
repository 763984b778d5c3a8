#include "cli/CliBatch.h"
#include "cli/CliJoint.h"
#include "cli/CliValidationTable.h"
#include "calibration/UJointValidation.h"
#include "files/UTextFields.h"

#include <algorithm>
#include <cmath>
#include <iostream>

namespace quellow::cli {

namespace {

using UJointValidation::TWindowValidation;

const char *const leaveOneOutUsage =
    "Usage: quellow-cli validate --leave-one-out A.inp B.inp ...|FOLDER\n"
    "           [--joint-size K | --rolling K] [--objective nse|kge] [--warmup K]\n"
    "           [--init-storage fraction|full] [--robust-alpha] [--prediction-reservoir]\n"
    "           [--evaluations N] [--threads N] [--json] [--csv SUMMARY.csv]\n"
    "Validates each window (a folder: its *.inp files by name, *-calibrated.inp and\n"
    "*-joint.inp left out) on the joint calibration of the others (quellow-cli calibrate\n"
    "--joint), or of the K windows nearest to it in the order given (--joint-size K, the\n"
    "earlier first among equals), or of the K windows before it (--rolling K: the first K\n"
    "windows are skipped). Each window is simulated with the joint set and alpha function\n"
    "from its first measured runoff and scored after its warm-up beside the benchmarks\n"
    "start, self, mean and recession. Prints a table and the quartiles of the validation NSE\n"
    "and KGE (one JSON object with --json); --csv writes a row per window. The result is\n"
    "the same for any number of threads.\n"
    "Exit status 0 when every window that was not skipped was validated.\n";

const TValidationLayout leaveOneOutLayout = {
    "window",
    {"file", "calibrated_on"},
    false,
    "NSE of the benchmarks: start = the joint windows uncalibrated, self = the window calibrated "
    "on itself, mean = the joint windows' mean runoff, recess = the window's first runoff without "
    "recharge."};

const char *statusName(UJointValidation::TWindowStatus status)
{
    switch (status) {
    case UJointValidation::TWindowStatus::Validated:
        return "validated";
    case UJointValidation::TWindowStatus::Skipped:
        return "skipped";
    case UJointValidation::TWindowStatus::Failed:
        break;
    }
    return "failed";
}

TValidationRow windowRow(const TWindowValidation &w)
{
    TValidationRow row = FiguresRow(w);
    row.Label = w.File;
    std::string on;
    for (const std::string &file : w.CalibratedOn)
        on += (on.empty() ? "" : ";") + file;
    row.Lead = {w.File, on};
    row.Status = statusName(w.Status);
    return row;
}

std::string quartilesJson(bool defined, const std::array<double, 3> &q)
{
    return defined ? "[" + jsonNumber(q[0]) + "," + jsonNumber(q[1]) + "," + jsonNumber(q[2]) + "]"
                   : std::string("null");
}

/// The validation as one JSON object (one line, no line end).
std::string leaveOneOutJson(const UJointValidation::TValidation &v,
                            const std::vector<TValidationRow> &rows)
{
    std::string json =
        "{\"status\":" +
        jsonText(v.Status == UJointValidation::TStatus::Validated ? "validated" : "cancelled") +
        ",\"windows\":[";
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const TValidationRow &r = rows[k];
        const TWindowValidation &w = v.Windows[k];
        const bool fit = r.Validated() && r.Skill.Valid;
        json += std::string(k ? "," : "") + "{\"file\":" + jsonText(w.File) +
                ",\"status\":" + jsonText(r.Status) + ",\"calibrated_on\":[";
        for (std::size_t i = 0; i < w.CalibratedOn.size(); ++i)
            json += (i ? "," : "") + jsonText(w.CalibratedOn[i]);
        json += "],\"NSE\":" + JsonFigure(fit, r.Skill.Fit.NSE) +
                ",\"KGE\":" + JsonFigure(fit, r.Skill.Fit.KGE) +
                ",\"VolumeError\":" + JsonFigure(fit, r.Skill.Fit.VolumeError) +
                ",\"benchmarks\":{\"start\":" + BenchmarkJson(r.Start) +
                ",\"self\":" + BenchmarkJson(r.Self) + ",\"mean\":" + BenchmarkJson(r.Mean) +
                ",\"recession\":" + BenchmarkJson(r.Recession) + "}";
        if (!r.Validated())
            json += ",\"message\":" + jsonText(r.Message);
        json += "}";
    }
    const auto &s = v.Summary;
    return json + "],\"summary\":{\"NSE\":" + quartilesJson(s.Defined, s.NSE) +
           ",\"KGE\":" + quartilesJson(s.Defined, s.KGE) +
           "},\"seconds\":" + jsonNumber(std::round(v.Seconds * 1e4) / 1e4) + "}";
}

/// The line below the table: the quartiles of the validation's NSE and KGE.
std::string summaryLine(const UJointValidation::TValidation &v,
                        const std::vector<TValidationRow> &rows)
{
    const auto validated = std::count_if(rows.begin(), rows.end(),
                                         [](const TValidationRow &r) { return r.Validated(); });
    const auto &s = v.Summary;
    if (!s.Defined)
        return printfText("%zu windows, none validated\n", rows.size());
    return printfText("%zu windows, %td validated: NSE %.3f / %.3f / %.3f, KGE %.3f / %.3f / "
                      "%.3f (25 %% / median / 75 %%)\n",
                      rows.size(), validated, s.NSE[0], s.NSE[1], s.NSE[2], s.KGE[0], s.KGE[1],
                      s.KGE[2]);
}

} // namespace

bool IsLeaveOneOut(const TArgs &args)
{
    return std::find(args.begin(), args.end(), "--leave-one-out") != args.end();
}

int LeaveOneOutCommand(const TArgs &args)
{
    TJointArgs parsed;
    if (const int status =
            ReadJointArgs(args, "--leave-one-out", {"--csv", "--joint-size", "--rolling"},
                          leaveOneOutUsage, parsed);
        status >= 0)
        return status;
    if (parsed.JointSize > 0 && parsed.Rolling > 0) {
        std::cerr << "--joint-size and --rolling exclude each other: a window is validated on "
                     "the windows nearest to it or on those before it.\n";
        return 1;
    }
    UJointValidation::TOptions options;
    options.Joint = parsed.Options;
    options.JointSize = parsed.JointSize;
    options.Rolling = parsed.Rolling;
    std::vector<UJointCalibration::TWindow> windows;
    if (!ReadJointWindows(parsed.Inputs, windows))
        return 1;
    if (const std::string problem = UJointValidation::CheckWindows(windows, options);
        !problem.empty()) {
        std::cerr << problem << '\n';
        return 1;
    }
    std::vector<std::string> files;
    for (const UJointCalibration::TWindow &w : windows)
        files.push_back(w.File);
    if (!parsed.CsvFile.empty() && !SummaryFileIsFree(files, parsed.CsvFile))
        return 1;
    const UJointValidation::TValidation v = UJointValidation::Validate(windows, options);
    if (v.Status == UJointValidation::TStatus::BadInput) {
        std::cerr << v.Message << '\n';
        return 1;
    }
    std::vector<TValidationRow> rows;
    for (const TWindowValidation &w : v.Windows)
        rows.push_back(windowRow(w));
    if (parsed.Json)
        std::cout << leaveOneOutJson(v, rows) << '\n';
    else
        std::cout << ValidationTable(rows, leaveOneOutLayout) << summaryLine(v, rows);
    bool all = v.Status == UJointValidation::TStatus::Validated &&
               std::none_of(rows.begin(), rows.end(),
                            [](const TValidationRow &r) { return r.Status == "failed"; });
    if (!parsed.CsvFile.empty() &&
        !WriteSummaryFile(parsed.CsvFile, ValidationCsv(rows, leaveOneOutLayout)))
        all = false;
    return all ? 0 : 1;
}

} // namespace quellow::cli
