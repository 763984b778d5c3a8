#include "model/UFitMeasures.h"

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
    double sumSim = 0, sumObs = 0;
    for (std::size_t k = 0; k < count; ++k) {
        sumSim += simulated[k];
        sumObs += observed[k];
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
    fit.KGE =
        1 - std::sqrt((r - 1) * (r - 1) + (alpha - 1) * (alpha - 1) + (beta - 1) * (beta - 1));
    const double volumeObs = Volume(observed, steps, count);
    const double volumeSim = Volume(simulated, steps, count);
    fit.VolumeError = volumeObs != 0 ? 100 * (volumeSim - volumeObs) / volumeObs : 0;
    return fit;
}

} // namespace quellow
