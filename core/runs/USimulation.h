#pragma once

#include "files/UDMQuellow.h"
#include "runs/UAlphaLimits.h"
#include "runs/UFitMeasures.h"

#include <string>
#include <vector>

/// A simulation of an analysis window: its rain and escape rates run through the prediction
/// run's first reservoir and routing (runoff sub-mode: the alpha piece chosen by the runoff
/// calculated before, alpha at least 0.001) with a given alpha function, from the first
/// measured runoff, and scored against the measured runoff. It is the prediction core of
/// UPrediction on the same doubles, so its runoff equals that of a prediction run of a file
/// holding these values, bit for bit; in memory it has no limit of steps.
namespace quellow::URainRun {
struct TAnalysisInput;
struct TPreparedSeries;
} // namespace quellow::URainRun

namespace quellow::USimulation {

using UPrediction::TAlphaLimits;

/// The arrays of a simulation, indexed from 1 (element 0 unused); reused between simulations.
struct TScratch
{
    std::vector<double> Time, Rain, Escape, Observed; ///< the window as simulated
    std::vector<double> DeadStor, Recharge, Runoff;   ///< the first reservoir and the runoff
    std::vector<double> Steps;                        ///< step lengths of the scored rows
    int Count = 0;                                    ///< rows N of the last simulation
};

/// How much of a simulation's score to compute.
enum class TScore {
    None, ///< no score: the runoff only
    Fit,  ///< NSE, KGE and its parts, volume error
    Full  ///< also the NSE of the logs
};

/// Takes the window of input into scratch: time, rain, escape rates and measured runoff as the
/// input holds them.
void Load(const URainRun::TAnalysisInput &input, TScratch &scratch);
/// Takes the window of a prepared series into scratch: its time, rain and measured runoff as
/// read; the escape rates are a parameter set's (LoadEscape).
void Load(const URainRun::TPreparedSeries &series, TScratch &scratch);
/// Takes the escape rates escape[1..N] into scratch, which holds a window of N rows (Load).
void LoadEscape(const std::vector<double> &escape, TScratch &scratch);

/// Puts input's escape rates times factor into scratch, each rounded as the input file writes
/// it (as URainRun::ApplyCalibration does): the window of Load with another escape factor.
void ScaleEscape(const URainRun::TAnalysisInput &input, double factor, TScratch &scratch);

/// Simulates the window in scratch (Load) with maximum and initial dead storage, the alpha
/// function (A1, B1 above Divide, A2, B2 at or below) and the first measured runoff as the
/// initial runoff, and scores rows firstScored..N (firstScored >= 2) against the measured
/// runoff. The runoff is in scratch.Runoff[1..N]. A time step that is not positive: Made false.
TSimulationFit Simulate(TScratch &scratch, double maxStor, double initStor,
                        const TModelValues &alpha, int firstScored, TScore score = TScore::Full);
/// The same with the robust rule of limits (when held).
TSimulationFit Simulate(TScratch &scratch, double maxStor, double initStor,
                        const TModelValues &alpha, const TAlphaLimits &limits, int firstScored,
                        TScore score = TScore::Full);

/// The runoff routed from the first measured runoff with no recharge at all, scored like
/// Simulate: how much of a simulation's skill the initial runoff alone gives.
TSimulationFit Recession(TScratch &scratch, const TModelValues &alpha, int firstScored,
                         const TAlphaLimits &limits = {});

/// Scores the constant c as a simulation of rows firstScored..N (KGE: r taken as 0).
TSkill ConstantSkill(TScratch &scratch, double c, int firstScored);

/// Scores scratch.Runoff against the measured runoff over rows firstScored..N.
TSkill Score(TScratch &scratch, int firstScored, TScore score = TScore::Full);

/// What a simulation whose initial runoff the prediction's rule raised says (empty when it did
/// not): firstRunoff is the first measured runoff. The numbers with digits significant digits
/// (0: in full).
std::string RaisedInitialRunoffText(const TSimulationFit &simulation, double firstRunoff,
                                    int digits = 0);

/// The alpha function of an analysis: the upper line (A1, B1), the lower one (A2, B2) and the
/// divide.
inline TModelValues AlphaFunction(double aUp, double cUp, double aLow, double cLow, double divide)
{
    TModelValues v;
    v.A1 = aUp;
    v.B1 = cUp;
    v.A2 = aLow;
    v.B2 = cLow;
    v.Divide = divide;
    return v;
}

} // namespace quellow::USimulation
