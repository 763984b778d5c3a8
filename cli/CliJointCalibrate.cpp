#include "cli/CliBatch.h"
#include "cli/CliJoint.h"
#include "cli/CliPrompts.h"
#include "calibration/UCalibrationRun.h"
#include "files/UFileUtil.h"
#include "files/UInputFile.h"
#include "files/UOutputNames.h"
#include "files/UTextFields.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <utility>

namespace quellow::cli {

namespace {

namespace fs = std::filesystem;
using UJointCalibration::TJointCalibration;
using UJointCalibration::TWindow;
using UJointCalibration::TWindowFit;

const char *const jointUsage =
    "Usage: quellow-cli calibrate --joint A.inp B.inp ...|FOLDER [--objective nse|kge]\n"
    "           [--warmup K] [--init-storage fraction|full] [--robust-alpha]\n"
    "           [--prediction-reservoir] [--evaluations N] [--threads N] [--json] [-o DIR]\n"
    "Calibrates one set of the first reservoir's parameters (maximum storage, filling\n"
    "fraction at the start, escape factor) on several analysis windows (a folder: its *.inp\n"
    "files by name, *-calibrated.inp and *-joint.inp left out). Each window is simulated on\n"
    "its own, from its own first measured runoff and initial storage (the same filling\n"
    "fraction of the maximum storage, or full), and scored after its own K warm-up rows;\n"
    "the NSE of the windows together (default) or their KGE is maximised, and one alpha\n"
    "function is fitted to the recession steps of all windows. --robust-alpha: a range with\n"
    "too few points takes one line over both ranges, and the simulation holds alpha beyond\n"
    "the runoffs fitted.\n"
    "--prediction-reservoir: the analysis takes its recharge from the prediction's first\n"
    "reservoir. Prints the parameters, the alpha function, the combined objective and each\n"
    "window's figures (one JSON object with --json). -o DIR writes DIR/STEM-joint.inp for\n"
    "each window with its run (STEM-joint.out, STEM-joint.dat) and DIR/joint-summary.csv, all\n"
    "of them or none. Exit status 0 on success; 1 for windows that do not go together.\n";

const char *statusName(UJointCalibration::TStatus status)
{
    // In the order of UJointCalibration::TStatus.
    static const char *const names[] = {"calibrated",        "bad input", "analysis stops",
                                        "no admissible set", "failed",    "cancelled"};
    return names[static_cast<std::size_t>(status)];
}

/// The result as one JSON object (one line, no line end).
std::string jointJson(const TJointCalibration &c)
{
    const bool ok = c.Status == UJointCalibration::TStatus::Calibrated;
    std::string json = "{\"status\":" + jsonText(statusName(c.Status)) +
                       ",\"objective\":" + jsonText(UCalibration::ObjectiveName(c.Objective)) +
                       ",\"evaluations\":" + std::to_string(c.Evaluations) + ",\"calibrated\":";
    if (ok) {
        const TModelValues &a = c.BestFit.Alpha;
        json += "{\"MaxStor\":" + jsonNumber(c.Best.MaxStor) +
                ",\"FillFraction\":" + jsonNumber(c.FillFraction) +
                ",\"EscapeFactor\":" + jsonNumber(c.Best.EscapeFactor) +
                ",\"A1\":" + jsonNumber(a.A1) + ",\"B1\":" + jsonNumber(a.B1) +
                ",\"A2\":" + jsonNumber(a.A2) + ",\"B2\":" + jsonNumber(a.B2) +
                ",\"Divide\":" + jsonNumber(a.Divide) + ",\"Objective\":" + jsonNumber(c.Value) +
                "}";
    } else {
        json += "null";
    }
    json += ",\"windows\":[";
    for (std::size_t k = 0; ok && k < c.Windows.size(); ++k) {
        const TWindowFit &w = c.Windows[k];
        json += std::string(k ? "," : "") + "{\"file\":" + jsonText(w.File) +
                ",\"rows\":" + std::to_string(w.Rows) + ",\"InitStor\":" + jsonNumber(w.InitStor) +
                ",\"Simulation\":" + SimulationJson(w.Simulation) + "}";
    }
    if (!ok)
        json += "],\"message\":" + jsonText(c.Message);
    else
        json += "]";
    return json + ",\"seconds\":" + jsonNumber(std::round(c.Seconds * 1e4) / 1e4) + "}";
}

/// A line of the windows' table.
std::string windowLine(int width, const std::string &file, const std::string &rows,
                       const std::string &initStor, const TSimulationFit &fit)
{
    const TSkill &s = fit.Skill;
    const bool ok = fit.Made && s.Valid;
    auto figure = [ok](double value, const char *format) {
        return ok ? printfText(format, value) : std::string("-");
    };
    return printfText("%-*s %5s %9s %7s %7s %8s\n", width, file.c_str(), rows.c_str(),
                      initStor.c_str(), figure(s.Fit.NSE, "%.3f").c_str(),
                      figure(s.Fit.KGE, "%.3f").c_str(), figure(s.Fit.VolumeError, "%.1f").c_str());
}

/// The result as text for people: the parameters, the pooled alpha function, the combined
/// objective and a table of the windows.
std::string jointTable(const TJointCalibration &c)
{
    const TModelValues &a = c.BestFit.Alpha;
    std::string t =
        printfText("Joint calibration of %zu windows for %s (%d evaluations)\n", c.Windows.size(),
                   UCalibration::ObjectiveName(c.Objective), c.Evaluations);
    t += printfText("  maximum storage %.2f mm, filling fraction %.4f, escape factor %.3f\n",
                    c.Best.MaxStor, c.FillFraction, c.Best.EscapeFactor);
    t += printfText("  alpha = %.6g Q + %.6g above %.6g, %.6g Q + %.6g below\n", a.A1, a.B1,
                    a.Divide, a.A2, a.B2);
    t += printfText("  combined objective %.4f; recharge/runoff %.3f\n", c.Value,
                    c.BestFit.VolumeRatio);
    int width = 6;
    int rows = 0;
    for (const TWindowFit &w : c.Windows) {
        width = std::max(width, static_cast<int>(std::min<std::size_t>(w.File.size(), 60)));
        rows += w.Rows;
    }
    t += printfText("%-*s %5s %9s %7s %7s %8s\n", width, "window", "rows", "InitStor", "NSE", "KGE",
                    "volume%");
    for (const TWindowFit &w : c.Windows)
        t += windowLine(width, w.File, std::to_string(w.Rows), printfText("%.2f", w.InitStor),
                        w.Simulation);
    t += windowLine(width, "all", std::to_string(rows), "", c.BestFit.Simulation);
    return t + CalibrationWarnings(c.Best, c.BestFit);
}

// ---- -o DIR ---------------------------------------------------------------------------------

std::string csvFigure(bool defined, double value)
{
    return defined ? shortestText(value) : std::string();
}

std::string summaryRow(const std::string &file, int rows, const std::string &initStor,
                       const TSimulationFit &fit)
{
    const TSkill &s = fit.Skill;
    const bool ok = fit.Made && s.Valid;
    return csvField(file) + "," + std::to_string(rows) + "," + initStor + "," +
           csvFigure(ok, s.Fit.NSE) + "," + csvFigure(ok, s.Fit.KGE) + "," +
           csvFigure(ok && s.LogValid, s.LogNSE) + "," + csvFigure(ok, s.Fit.VolumeError) + "\r\n";
}

/// DIR/joint-summary.csv: a row per window, then the windows together.
std::string summaryCsv(const TJointCalibration &c)
{
    std::string csv = "file,rows,InitStor,NSE,KGE,LogNSE,VolumeError\r\n";
    int rows = 0;
    for (const TWindowFit &w : c.Windows) {
        csv += summaryRow(w.File, w.Rows, shortestText(w.InitStor), w.Simulation);
        rows += w.Rows;
    }
    return csv + summaryRow("all", rows, "", c.BestFit.Simulation);
}

/// DIR/STEM-joint.inp for the window file.
std::string calibratedName(const std::string &dir, const std::string &file)
{
    return UOutputNames::AbsolutePath(
        (fs::path(dir) / (fs::path(file).stem().string() + "-joint.inp")).string());
}

std::string summaryName(const std::string &dir)
{
    return UOutputNames::AbsolutePath((fs::path(dir) / "joint-summary.csv").string());
}

/// False, with a line on standard error, when dir is there and is no folder.
bool outputIsFolder(const std::string &dir)
{
    std::error_code error;
    if (!fs::exists(dir, error) || fs::is_directory(dir, error))
        return true;
    std::cerr << "-o names the folder the files are written to; \"" << dir << "\" is no folder.\n";
    return false;
}

/// False, with a line on standard error, when a file of -o would be written over a window or
/// over another file it writes.
bool outputsAreFree(const std::string &dir, const std::vector<TWindow> &windows)
{
    std::vector<UOutputNames::TNamedFile> reads, writes;
    for (const TWindow &w : windows) {
        reads.push_back({"input file", UOutputNames::AbsolutePath(w.File)});
        const std::string name = calibratedName(dir, w.File);
        writes.push_back({"calibrated file", name});
        for (UOutputNames::TNamedFile &file : UOutputNames::RunOutputs(name, true))
            writes.push_back(std::move(file));
    }
    writes.push_back({"summary file", summaryName(dir)});
    const std::string collision = UOutputNames::Collision(reads, writes);
    if (collision.empty())
        return true;
    std::cerr << collision << '\n';
    return false;
}

/// The files of -o with their contents: each window calibrated, and its analysis run as a run
/// of that file gives it. False when a window cannot be written or its analysis stops (the
/// analysis's messages said why).
bool outputTexts(const std::string &dir, const std::vector<TWindow> &windows,
                 const TJointCalibration &c,
                 std::vector<std::pair<std::string, std::string>> &files)
{
    TStderrPrompts prompts;
    for (const TWindow &w : windows) {
        const std::string name = calibratedName(dir, w.File);
        std::string text;
        URainRun::TAnalysisInput input;
        if (!UCalibration::AnalysisInputText(UJointCalibration::CalibratedWindow(w, c.Best), name,
                                             text) ||
            !URainRun::ParseAnalysisInput(text, name, input, &prompts)) {
            std::cerr << CannotOpenText(name) << '\n';
            return false;
        }
        URainRun::TState state;
        state.FileName = name;
        state.Messages = &prompts;
        state.WriteFiles = false;
        if (!URainRun::DivideSearch(state, input)) {
            std::cerr << "The analysis of \"" << name << "\" stops (as said above): no file of "
                      << "the joint calibration was written.\n";
            return false;
        }
        files.emplace_back(name, text);
        files.emplace_back(UOutputNames::TrendName(name), URainRun::TrendFileText(state.Trend));
        files.emplace_back(UOutputNames::OutputName(name),
                           URainRun::AnalysisOutputText(state, name));
    }
    files.emplace_back(summaryName(dir), summaryCsv(c));
    return true;
}

/// Writes the files of -o, all of them or none: on a failure the files that were not there
/// before and the folder, when it was made here, are removed again.
bool writeOutputs(const std::string &dir, const std::vector<TWindow> &windows,
                  const TJointCalibration &c)
{
    std::vector<std::pair<std::string, std::string>> files;
    if (!outputTexts(dir, windows, c, files))
        return false;
    std::error_code error;
    const bool made = !fs::exists(dir, error) && fs::create_directories(dir, error);
    std::vector<std::string> fresh;
    for (const auto &[name, text] : files)
        if (!fs::exists(name, error))
            fresh.push_back(name);
    std::string failed;
    if (!error && writeFilesAtomically(files, failed))
        return true;
    for (const std::string &name : fresh)
        fs::remove(name, error);
    if (made)
        fs::remove(dir, error);
    std::cerr << "The files of the joint calibration could not be written in \"" << dir << "\""
              << (failed.empty() ? "" : " (" + failed + ")") << ": none was.\n";
    return false;
}

} // namespace

bool IsJointCalibrate(const TArgs &args)
{
    return std::find(args.begin(), args.end(), "--joint") != args.end();
}

int JointCalibrateCommand(const TArgs &args)
{
    TJointArgs parsed;
    if (const int status = ReadJointArgs(args, "--joint", {"-o"}, jointUsage, parsed); status >= 0)
        return status;
    if (!parsed.OutputDir.empty() && !outputIsFolder(parsed.OutputDir))
        return 1;
    std::vector<TWindow> windows;
    if (!ReadJointWindows(parsed.Inputs, windows))
        return 1;
    if (const std::string problem = UJointCalibration::CheckWindows(windows, parsed.Options);
        !problem.empty()) {
        std::cerr << problem << '\n';
        return 1;
    }
    if (!parsed.OutputDir.empty() && !outputsAreFree(parsed.OutputDir, windows))
        return 1;
    const TJointCalibration c = UJointCalibration::Calibrate(windows, parsed.Options);
    const bool ok = c.Status == UJointCalibration::TStatus::Calibrated;
    if (!ok)
        std::cerr << c.Message << '\n';
    else if (!parsed.OutputDir.empty() && !writeOutputs(parsed.OutputDir, windows, c))
        return 1;
    if (parsed.Json)
        std::cout << jointJson(c) << '\n';
    else if (ok)
        std::cout << jointTable(c)
                  << (parsed.OutputDir.empty() ? ""
                                               : "Written: " + summaryName(parsed.OutputDir) +
                                                     " and the windows beside it\n");
    return ok ? 0 : 1;
}

} // namespace quellow::cli
