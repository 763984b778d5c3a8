#pragma once

#include "calibration/UCalibration.h"

#include <string>
#include <vector>

/// Where a calibration result stands against the limits of the search: a value on a limit
/// was stopped there, and a better one may lie beyond it, so the result deserves a second look.
namespace quellow::UCalibration {

enum class TEdge {
    MaxStorLow,  ///< maximum storage at MinMaxStor
    MaxStorHigh, ///< maximum storage at MaxMaxStor
    FactorLow,   ///< escape factor at 0
    FactorHigh,  ///< escape factor at MaxFactor
    VolumeLow,   ///< the volume guard binds at MinVolumeRatio
    VolumeHigh,  ///< the volume guard binds at MaxVolumeRatio
};

/// A value counts as on a limit within this share of the limit (of MaxFactor for a factor of 0).
inline constexpr double EdgeTolerance = 0.01;

/// A total escape factor since the sheet was filled above this takes far more water out than
/// the escape rates the series came with.
inline constexpr double HighTotalFactor = 1.5;
/// A total escape factor below this lets out under a third of the water the escape rates of
/// the series take: evaporation hardly working, which a sound series does not need.
inline constexpr double LowTotalFactor = 0.3;

/// The limits the best parameters and their fit stand on, in the order of TEdge. An initial
/// storage equal to the maximum storage is plausible (a wet start) and is not an edge.
std::vector<TEdge> EdgesOf(const TParameters &best, const TEvaluation &fit);

/// One line for the user about an edge.
std::string EdgeText(TEdge edge);

/// The line about the escape factors applied to a sheet: earlier is the product of the
/// factors applied since the sheet was filled (1: none), factor the one about to be applied.
/// Empty when nothing was applied before and the factor alone lies within LowTotalFactor and
/// HighTotalFactor.
std::string FactorHistoryText(double earlier, double factor);

} // namespace quellow::UCalibration
