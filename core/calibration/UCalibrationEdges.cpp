#include "calibration/UCalibrationEdges.h"

#include <cmath>
#include <cstdio>

namespace quellow::UCalibration {

namespace {

bool near(double value, double limit, double scale)
{
    return std::abs(value - limit) <= EdgeTolerance * scale;
}

std::string number(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

} // namespace

std::vector<TEdge> EdgesOf(const TParameters &best, const TEvaluation &fit)
{
    std::vector<TEdge> edges;
    if (near(best.MaxStor, MinMaxStor, MinMaxStor))
        edges.push_back(TEdge::MaxStorLow);
    if (near(best.MaxStor, MaxMaxStor, MaxMaxStor))
        edges.push_back(TEdge::MaxStorHigh);
    if (near(best.EscapeFactor, 0, MaxFactor))
        edges.push_back(TEdge::FactorLow);
    if (near(best.EscapeFactor, MaxFactor, MaxFactor))
        edges.push_back(TEdge::FactorHigh);
    if (!fit.Stopped && near(fit.VolumeRatio, MinVolumeRatio, MinVolumeRatio))
        edges.push_back(TEdge::VolumeLow);
    if (!fit.Stopped && near(fit.VolumeRatio, MaxVolumeRatio, MaxVolumeRatio))
        edges.push_back(TEdge::VolumeHigh);
    return edges;
}

std::string EdgeText(TEdge edge)
{
    switch (edge) {
    case TEdge::MaxStorLow:
        return "The maximum storage stopped at the smallest value searched (" +
               number(MinMaxStor, 0) + " mm).";
    case TEdge::MaxStorHigh:
        return "The maximum storage stopped at the largest value searched (" +
               number(MaxMaxStor, 0) + " mm).";
    case TEdge::FactorLow:
        return "The escape rate factor stopped at 0: the escape rates are switched off.";
    case TEdge::FactorHigh:
        return "The escape rate factor stopped at the largest value searched (" +
               number(MaxFactor, 0) + ").";
    case TEdge::VolumeLow:
        return "The recharge volume stopped at the smallest share of the runoff volume "
               "allowed (" +
               number(MinVolumeRatio, 1) + ").";
    case TEdge::VolumeHigh:
        return "The recharge volume stopped at the largest share of the runoff volume "
               "allowed (" +
               number(MaxVolumeRatio, 1) + ").";
    }
    return {};
}

std::string FactorHistoryText(double earlier, double factor)
{
    const double total = earlier * factor;
    std::string text;
    if (earlier != 1)
        text = "The escape rates were already scaled by an earlier Apply (x " + number(earlier, 3) +
               "); with this factor the total since the sheet was filled "
               "is x " +
               number(total, 3) + ".";
    if (total > HighTotalFactor) {
        if (!text.empty())
            text += ' ';
        text += "A total above x " + number(HighTotalFactor, 1) +
                " takes far more water out than the escape rates of the series: check the "
                "rain, the area and the unit.";
    } else if (total < LowTotalFactor) {
        if (!text.empty())
            text += ' ';
        text += "A total below x " + number(LowTotalFactor, 1) +
                " takes far less water out than the escape rates of the series: check the "
                "escape rates (their unit, or a potential evaporation far above what the "
                "catchment loses), the runoff and the area.";
    }
    return text;
}

} // namespace quellow::UCalibration
