#pragma once

#include <cstddef>

namespace quellow {

/// How closely a calculated series follows a measured one, beside R square.
struct TFitMeasures
{
    double NSE = 0;         ///< Nash-Sutcliffe efficiency: 1 - sum (o - s)^2 / sum (o - mean o)^2
    double KGE = 0;         ///< Kling-Gupta efficiency, 2009 form (below)
    double VolumeError = 0; ///< 100 * (volume s - volume o) / volume o (%), steps weighed
    bool Valid = false;     ///< at least two values, and the measured ones vary
};

/// The volume of a series of rates: sum rates[k] * steps[k], k = 0..count-1 (steps nullptr:
/// steps of length 1).
double Volume(const double *rates, const double *steps, std::size_t count);

/// The fit of simulated[k] against observed[k], k = 0..count-1, steps[k] the length of step k
/// (nullptr: steps of length 1):
///   NSE = 1 - sum (o - s)^2 / sum (o - mean o)^2;
///   KGE = 1 - sqrt((r - 1)^2 + (alpha - 1)^2 + (beta - 1)^2), r the linear correlation,
///         alpha = sd(s) / sd(o), beta = mean(s) / mean(o);
///   volume error = 100 * (V(s) - V(o)) / V(o), V the volume over the steps.
/// Fewer than two values or measured values without variation give Valid false (all 0). A
/// simulated series without variation has r = 0. A measured volume of 0 gives a volume error
/// of 0.
TFitMeasures FitMeasures(const double *simulated, const double *observed, std::size_t count,
                         const double *steps = nullptr);

} // namespace quellow
