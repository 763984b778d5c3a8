#include "reports/UReports.h"
#include "calibration/UCalibration.h"
#include "files/UTextFields.h"

#include <cmath>

namespace quellow::UReports {

namespace {

using UValidation::TValidation;

std::string jsonSet(const TParameters &p, const UCalibration::TEvaluation &fit)
{
    return "{\"MaxStor\":" + jsonNumber(p.MaxStor) +
           ",\"InitStor\":" + jsonNumber(UsedInitStor(p)) +
           ",\"EscapeFactor\":" + jsonNumber(p.EscapeFactor) +
           ",\"RSquare\":" + jsonNumber(fit.RSquare) + ",\"NSE\":" + jsonNumber(fit.Fit.NSE) +
           ",\"KGE\":" + jsonNumber(fit.Fit.KGE) +
           ",\"VolumeRatio\":" + jsonNumber(fit.VolumeRatio) +
           ",\"Divide\":" + jsonNumber(fit.Divide) +
           ",\"Simulation\":" + SimulationJson(fit.Simulation) + "}";
}

std::string rangeJson(const std::array<double, 2> &range, bool defined)
{
    return defined ? "[" + jsonNumber(range[0]) + "," + jsonNumber(range[1]) + "]"
                   : std::string("null");
}

std::string calJson(const TValidation &v, bool ok)
{
    const TModelValues &a = v.CalFit.Alpha;
    return "{\"file\":" + jsonText(v.CalFile) +
           ",\"objective\":" + jsonText(UCalibration::ObjectiveName(v.Objective)) +
           ",\"MaxStor\":" + JsonFigure(ok, v.Cal.MaxStor) +
           ",\"InitStor\":" + JsonFigure(ok, UsedInitStor(v.Cal)) +
           ",\"EscapeFactor\":" + JsonFigure(ok, v.EscapeFactor) +
           ",\"A1\":" + JsonFigure(ok, a.A1) + ",\"B1\":" + JsonFigure(ok, a.B1) +
           ",\"A2\":" + JsonFigure(ok, a.A2) + ",\"B2\":" + JsonFigure(ok, a.B2) +
           ",\"Divide\":" + JsonFigure(ok, a.Divide) +
           ",\"RSquare\":" + JsonFigure(ok, v.CalFit.RSquare) +
           ",\"Simulation\":" + SimulationJson(ok ? v.CalFit.Simulation : TSimulationFit()) + "}";
}

std::string valJson(const TValidation &v, bool ok)
{
    const TSimulationFit &s = v.Validation;
    const bool fit = ok && s.Made && s.Skill.Valid;
    const TFitMeasures &f = s.Skill.Fit;
    return "{\"file\":" + jsonText(v.ValFile) +
           ",\"source\":" + (v.ValSource.empty() ? std::string("null") : jsonText(v.ValSource)) +
           ",\"rows\":" + JsonFigure(ok, v.Rows) + ",\"warmup\":" + std::to_string(v.Warmup) +
           ",\"InitStor\":" + JsonFigure(ok, v.InitStor) + ",\"NSE\":" + JsonFigure(fit, f.NSE) +
           ",\"KGE\":" + JsonFigure(fit, f.KGE) + ",\"KGEr\":" + JsonFigure(fit, f.R) +
           ",\"KGEalpha\":" + JsonFigure(fit, f.Alpha) + ",\"KGEbeta\":" + JsonFigure(fit, f.Beta) +
           ",\"LogNSE\":" + JsonFigure(fit && s.Skill.LogValid, s.Skill.LogNSE) +
           ",\"VolumeError\":" + JsonFigure(fit, f.VolumeError) + "}";
}

std::string bandJson(const UValidation::TBand &b)
{
    return "{\"sets\":" + (b.Made ? std::to_string(b.Sets) : std::string("null")) +
           ",\"coverage\":" + JsonFigure(b.Made, b.Coverage) +
           ",\"width\":" + JsonFigure(b.Made && b.WidthDefined, b.Width) +
           ",\"ranges\":{\"MaxStor\":" + rangeJson(b.MaxStor, b.Made) +
           ",\"InitStor\":" + rangeJson(b.InitStor, b.Made) +
           ",\"EscapeFactor\":" + rangeJson(b.EscapeFactor, b.Made) + "}}";
}

} // namespace

std::string JsonFigure(bool defined, double value)
{
    return defined ? jsonNumber(value) : std::string("null");
}

std::string SimulationJson(const TSimulationFit &sim)
{
    const bool ok = sim.Made && sim.Skill.Valid;
    const TFitMeasures &f = sim.Skill.Fit;
    return "{\"NSE\":" + JsonFigure(ok, f.NSE) + ",\"KGE\":" + JsonFigure(ok, f.KGE) +
           ",\"KGEr\":" + JsonFigure(ok, f.R) + ",\"KGEalpha\":" + JsonFigure(ok, f.Alpha) +
           ",\"KGEbeta\":" + JsonFigure(ok, f.Beta) +
           ",\"LogNSE\":" + JsonFigure(ok, sim.Skill.LogNSE) +
           ",\"VolumeError\":" + JsonFigure(ok, f.VolumeError) + "}";
}

std::string BenchmarkJson(const UValidation::TBenchmark &b)
{
    return "{\"NSE\":" + JsonFigure(b.Defined, b.Fit.NSE) +
           ",\"KGE\":" + JsonFigure(b.Defined, b.Fit.KGE) +
           ",\"VolumeError\":" + JsonFigure(b.Defined, b.Fit.VolumeError) + "}";
}

const char *StatusName(UCalibration::TStatus status)
{
    using UCalibration::TStatus;
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
    case TStatus::Failed:
        return "failed";
    case TStatus::NoSimulation:
        return "no simulation";
    case TStatus::FileError:
        break;
    }
    return "file error";
}

std::string CalibrationJson(const UCalibration::TFileCalibration &c,
                            UCalibration::TObjective objective)
{
    const UCalibration::TResult &r = c.Run.Search;
    std::string json =
        "{\"file\":" + jsonText(c.Input) + ",\"status\":" + jsonText(StatusName(c.Run.Status));
    if (c.Run.Status == UCalibration::TStatus::Calibrated) {
        json += ",\"output\":" + (c.Output.empty() ? std::string("null") : jsonText(c.Output)) +
                ",\"start\":" + jsonSet(r.Start, r.StartFit) +
                ",\"calibrated\":" + jsonSet(r.Best, r.BestFit);
    }
    return json + ",\"objective\":" + jsonText(UCalibration::ObjectiveName(objective)) +
           ",\"evaluations\":" + std::to_string(r.Evaluations) +
           ",\"seconds\":" + jsonNumber(std::round(c.Run.Seconds * 1e4) / 1e4) + "}";
}

std::string ValidationJson(const TValidation &v)
{
    const bool ok = v.Status == UValidation::TStatus::Validated;
    std::vector<std::string> notes = v.Notes;
    if (!ok)
        notes.insert(notes.begin(), v.Message);
    std::string json = "{\"status\":" + jsonText(ok ? "validated" : "failed") +
                       ",\"calibration\":" + calJson(v, ok) + ",\"validation\":" + valJson(v, ok) +
                       ",\"benchmarks\":{\"start\":" + BenchmarkJson(v.Start) +
                       ",\"self\":" + BenchmarkJson(v.Self) + ",\"mean\":" + BenchmarkJson(v.Mean) +
                       ",\"recession\":" + BenchmarkJson(v.Recession) +
                       "},\"band\":" + bandJson(v.Band) + ",\"notes\":[";
    for (std::size_t i = 0; i < notes.size(); ++i)
        json += (i ? "," : "") + jsonText(notes[i]);
    return json + "],\"seconds\":" + jsonNumber(std::round(v.Seconds * 1e4) / 1e4) + "}";
}

} // namespace quellow::UReports
