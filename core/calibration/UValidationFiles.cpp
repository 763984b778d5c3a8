#include "calibration/UValidationFiles.h"

#include "files/UTextFields.h"

#include <charconv>
#include <filesystem>
#include <locale>
#include <sstream>

namespace quellow::UValidationFiles {

using UValidation::TValidation;

std::string FigureText(bool defined, double value, const char *format)
{
    if (!defined)
        return "-";
    std::string text = printfText(format, value);
    if (text.size() > 1 && text[0] == '-' && text.find_first_not_of("0.", 1) == std::string::npos)
        text.erase(0, 1);
    return text;
}

std::vector<TFigureRow> FigureRows(const UValidation::TValidation &v)
{
    std::vector<TFigureRow> rows;
    auto row = [&rows](const char *label, bool defined, const TFitMeasures &f) {
        rows.push_back({label, FigureText(defined, f.NSE), FigureText(defined, f.KGE),
                        FigureText(defined, f.VolumeError, "%.2f")});
    };
    const TSkill &s = v.Validation.Skill;
    row("simulation", s.Valid, s.Fit);
    row("start (uncalibrated)", v.Start.Defined, v.Start.Fit);
    row("self (VAL calibrated)", v.Self.Defined, v.Self.Fit);
    row("mean of CAL", v.Mean.Defined, v.Mean.Fit);
    row("recession", v.Recession.Defined, v.Recession.Fit);
    return rows;
}

std::string SeriesCsv(const TValidation &v)
{
    std::string csv = "time,rain,measured,simulated,band_low,band_high\r\n";
    for (std::size_t k = 0; k < v.Measured.size(); ++k) {
        csv += shortestText(v.Time[k]) + "," + shortestText(v.Rain[k]) + "," +
               shortestText(v.Measured[k]) + "," + shortestText(v.Simulated[k]) + ",";
        if (v.Band.Made)
            csv += shortestText(v.Band.Low[k]) + "," + shortestText(v.Band.High[k]);
        else
            csv += ",";
        csv += "\r\n";
    }
    return csv;
}

std::vector<TPicture> Pictures(bool calibrated)
{
    if (!calibrated)
        return {TPicture::Hydrograph, TPicture::Scatter};
    return {TPicture::Hydrograph, TPicture::Scatter, TPicture::MaxStor, TPicture::InitStor,
            TPicture::EscapeFactor};
}

const char *PictureName(TPicture picture)
{
    switch (picture) {
    case TPicture::Hydrograph:
        return "hydrograph";
    case TPicture::Scatter:
        return "scatter";
    case TPicture::MaxStor:
        return "MaxStor";
    case TPicture::InitStor:
        return "InitStor";
    case TPicture::EscapeFactor:
        return "EscapeFactor";
    }
    return "";
}

namespace {

std::string stemPath(const std::string &dir, const std::string &valFile, const std::string &tail)
{
    return (std::filesystem::path(dir) /
            (std::filesystem::path(valFile).stem().string() + "-validation" + tail))
        .string();
}

} // namespace

std::string SeriesName(const std::string &dir, const std::string &valFile)
{
    return stemPath(dir, valFile, ".csv");
}

std::string PictureFileName(const std::string &dir, const std::string &valFile, TPicture picture)
{
    return stemPath(dir, valFile, std::string("-") + PictureName(picture) + ".png");
}

// The picture data: a line per item, words separated by blanks; file names on lines of their
// own, as they are.
//   quellow-validation-pictures 1
//   cal FILE / val FILE / objective NAME / calibrated 0|1 / warmup K / rows N
//   series N, then N lines: time rain measured simulated
//   band 0|1, then with a band N lines: low high
//   dots M, then M lines: MaxStor InitStor EscapeFactor objective scan

namespace {

const char *const magic = "quellow-validation-pictures 1";

std::string series(const TValidation &v)
{
    std::string t = "series " + std::to_string(v.Measured.size()) + "\n";
    for (std::size_t k = 0; k < v.Measured.size(); ++k)
        t += shortestText(v.Time[k]) + " " + shortestText(v.Rain[k]) + " " +
             shortestText(v.Measured[k]) + " " + shortestText(v.Simulated[k]) + "\n";
    t += std::string("band ") + (v.Band.Made ? "1" : "0") + "\n";
    if (v.Band.Made)
        for (std::size_t k = 0; k < v.Measured.size(); ++k)
            t += shortestText(v.Band.Low[k]) + " " + shortestText(v.Band.High[k]) + "\n";
    return t;
}

bool readLine(std::istream &in, const std::string &key, std::string &value)
{
    std::string line;
    if (!std::getline(in, line) || line.compare(0, key.size() + 1, key + " ") != 0)
        return false;
    value = line.substr(key.size() + 1);
    return true;
}

bool readCount(std::istream &in, const std::string &key, std::size_t &count)
{
    std::string value;
    if (!readLine(in, key, value))
        return false;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), count);
    return error == std::errc() && end == value.data() + value.size() && count < 100000000;
}

} // namespace

std::vector<TDot> Dots(const TValidation &v)
{
    std::vector<TDot> dots;
    for (const UCalibration::TEvaluatedSet &e : v.Evaluated)
        if (UCalibration::Admissible(e.Evaluation, v.Objective))
            dots.push_back({e.Parameters.MaxStor, e.Parameters.InitStor, e.Parameters.EscapeFactor,
                            UCalibration::ObjectiveValue(e.Evaluation, v.Objective), e.Scan});
    return dots;
}

std::string PictureData(const TValidation &v)
{
    std::string t = std::string(magic) + "\ncal " + v.CalFile + "\nval " + v.ValFile +
                    "\nobjective " + UCalibration::ObjectiveName(v.Objective) + "\ncalibrated " +
                    (v.Calibrated ? "1" : "0") + "\nwarmup " + std::to_string(v.Warmup) +
                    "\nrows " + std::to_string(v.Rows) + "\n" + series(v);
    const std::vector<TDot> dots = Dots(v);
    t += "dots " + std::to_string(dots.size()) + "\n";
    for (const TDot &d : dots)
        t += shortestText(d.MaxStor) + " " + shortestText(d.InitStor) + " " +
             shortestText(d.EscapeFactor) + " " + shortestText(d.Objective) + " " +
             (d.Scan ? "1" : "0") + "\n";
    return t;
}

bool ReadPictureData(const std::string &text, TValidation &v, std::vector<TDot> &dots)
{
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    std::string line, value;
    if (!std::getline(in, line) || line != magic)
        return false;
    std::size_t warmup = 0, rows = 0, n = 0, m = 0;
    if (!readLine(in, "cal", v.CalFile) || !readLine(in, "val", v.ValFile) ||
        !readLine(in, "objective", value) || !UCalibration::ObjectiveFromName(value, v.Objective))
        return false;
    if (!readLine(in, "calibrated", value) || (value != "0" && value != "1"))
        return false;
    v.Calibrated = value == "1";
    if (!readCount(in, "warmup", warmup) || !readCount(in, "rows", rows) ||
        !readCount(in, "series", n))
        return false;
    v.Warmup = static_cast<int>(warmup);
    v.Rows = static_cast<int>(rows);
    v.Time.assign(n, 0);
    v.Rain.assign(n, 0);
    v.Measured.assign(n, 0);
    v.Simulated.assign(n, 0);
    for (std::size_t k = 0; k < n; ++k)
        if (!(in >> v.Time[k] >> v.Rain[k] >> v.Measured[k] >> v.Simulated[k]))
            return false;
    in >> std::ws;
    if (!readLine(in, "band", value) || (value != "0" && value != "1"))
        return false;
    v.Band.Made = value == "1";
    if (v.Band.Made) {
        v.Band.Low.assign(n, 0);
        v.Band.High.assign(n, 0);
        for (std::size_t k = 0; k < n; ++k)
            if (!(in >> v.Band.Low[k] >> v.Band.High[k]))
                return false;
        in >> std::ws;
    }
    if (!readCount(in, "dots", m))
        return false;
    dots.assign(m, {});
    for (TDot &d : dots) {
        int scan = 0;
        if (!(in >> d.MaxStor >> d.InitStor >> d.EscapeFactor >> d.Objective >> scan))
            return false;
        d.Scan = scan != 0;
    }
    v.Status = UValidation::TStatus::Validated;
    return true;
}

} // namespace quellow::UValidationFiles
