#include "runs/UFitMeasures.h"

#include <cmath>

namespace quellow {

double Volume(const double *rates, const double *steps, std::size_t count)
{
    double volume = 0;
    for (std::size_t k = 0; k < count; ++k)
        volume += steps ? rates[k] * steps[k] : rates[k];
    return volume;
}

TFitMeasures FitMeasures(const double *simulated, const double *observed, std::size_t count,
                         const double *steps)
{
    TFitMeasures fit;
    if (count < 2)
        return fit;
    // The sums and the volumes in one pass, each summed in the order of the steps.
    double sumSim = 0, sumObs = 0, volumeSim = 0, volumeObs = 0;
    for (std::size_t k = 0; k < count; ++k) {
        sumSim += simulated[k];
        sumObs += observed[k];
        volumeSim += steps ? simulated[k] * steps[k] : simulated[k];
        volumeObs += steps ? observed[k] * steps[k] : observed[k];
    }
    const double n = static_cast<double>(count);
    const double meanSim = sumSim / n, meanObs = sumObs / n;
    // Centred sums, taken about the means for accuracy.
    double sse = 0, sObs = 0, sSim = 0, sCross = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const double dObs = observed[k] - meanObs, dSim = simulated[k] - meanSim;
        const double deviation = observed[k] - simulated[k];
        sse += deviation * deviation;
        sObs += dObs * dObs;
        sSim += dSim * dSim;
        sCross += dObs * dSim;
    }
    if (!(sObs > 0))
        return fit;
    fit.Valid = true;
    fit.NSE = 1 - sse / sObs;
    const double r = sSim > 0 ? sCross / std::sqrt(sObs * sSim) : 0;
    const double alpha = std::sqrt(sSim / sObs);
    const double beta = meanObs != 0 ? meanSim / meanObs : 0;
    fit.R = r;
    fit.Alpha = alpha;
    fit.Beta = beta;
    fit.KGE =
        1 - std::sqrt((r - 1) * (r - 1) + (alpha - 1) * (alpha - 1) + (beta - 1) * (beta - 1));
    fit.VolumeError = volumeObs != 0 ? 100 * (volumeSim - volumeObs) / volumeObs : 0;
    return fit;
}

double LogNSE(const double *simulated, const double *observed, std::size_t count, bool *defined)
{
    if (defined)
        *defined = false;
    if (count < 2)
        return 0;
    double sumObs = 0;
    for (std::size_t k = 0; k < count; ++k)
        sumObs += observed[k];
    const double shift = sumObs / static_cast<double>(count) / 100;
    double sumLog = 0;
    for (std::size_t k = 0; k < count; ++k) {
        if (!(observed[k] + shift > 0) || !(simulated[k] + shift > 0))
            return 0;
        sumLog += std::log(observed[k] + shift);
    }
    const double meanLog = sumLog / static_cast<double>(count);
    double sse = 0, sst = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const double o = std::log(observed[k] + shift), s = std::log(simulated[k] + shift);
        sse += (o - s) * (o - s);
        sst += (o - meanLog) * (o - meanLog);
    }
    if (!(sst > 0))
        return 0;
    if (defined)
        *defined = true;
    return 1 - sse / sst;
}

TSkill Skill(const double *simulated, const double *observed, std::size_t count,
             const double *steps)
{
    TSkill skill;
    skill.Fit = FitMeasures(simulated, observed, count, steps);
    skill.Valid = skill.Fit.Valid;
    if (skill.Valid)
        skill.LogNSE = LogNSE(simulated, observed, count, &skill.LogValid);
    return skill;
}

} // namespace quellow
