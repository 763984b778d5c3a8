#pragma once

#include <cstddef>

namespace quellow {

/// How closely a calculated series follows a measured one, beside R square.
struct TFitMeasures
{
    double NSE = 0;         ///< Nash-Sutcliffe efficiency: 1 - sum (o - s)^2 / sum (o - mean o)^2
    double KGE = 0;         ///< Kling-Gupta efficiency, 2009 form (below)
    double VolumeError = 0; ///< 100 * (volume s - volume o) / volume o (%), steps weighed
    double R = 0;           ///< linear correlation of s and o (0 when s does not vary)
    double Alpha = 0;       ///< sd(s) / sd(o), population standard deviations
    double Beta = 0;        ///< mean(s) / mean(o) (0 when mean(o) is 0)
    bool Valid = false;     ///< at least two values, and the measured ones vary
};

/// How well a free-running simulation follows the measured runoff: the fit measures above and
/// the NSE of log(Q + mean(o) / 100), which weighs the low flows.
struct TSkill
{
    TFitMeasures Fit;
    double LogNSE = 0;
    bool Valid = false;    ///< Fit.Valid: the measures are defined
    bool LogValid = false; ///< LogNSE is defined too
};

/// The NSE of log(q + mean(o) / 100) of both series; 0, with *defined false, when the logs of
/// o do not vary or a shifted value is not positive.
double LogNSE(const double *simulated, const double *observed, std::size_t count,
              bool *defined = nullptr);

/// FitMeasures and LogNSE together.
TSkill Skill(const double *simulated, const double *observed, std::size_t count,
             const double *steps);

/// A simulation of an analysis window with the prediction run's routing (see USimulation.h).
struct TSimulationFit
{
    bool Made = false;                ///< the routing ran (every time step positive)
    double InitialRunoff = 0;         ///< the initial runoff the routing started from (mm/t)
    bool InitialRunoffRaised = false; ///< the prediction's rule replaced it by -1.1 * B1
    int FirstScored = 2;              ///< the first row (from 1) in the scores
    TSkill Skill;                     ///< the simulation against the measured runoff
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
