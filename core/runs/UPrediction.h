#pragma once

#include "files/UDMQuellow.h"
#include "runs/UAlphaLimits.h"
#include "runs/URunShared.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quellow {
class TPrompts;
}

namespace quellow::UPrediction {

using quellow::MaxPredSteps;

/// Everything one prediction run reads and writes. A run touches no other state, so several
/// states may be run on threads at once. The step arrays are indexed from 1 (element 0 unused)
/// and overwritten up to NrOfPred.
struct TState
{
    // ---- In ------------------------------------------------------------------------------
    std::string FileName;         ///< the input file; the output goes beside it
    TPrompts *Messages = nullptr; ///< where this run's messages go; nullptr: nowhere
    bool Drainage = false;        ///< sub-mode drainage (head) or runoff (storage)
    /// The alpha function A1, B1, A2, B2 and Divide; A1 to B2 are replaced by the file's when it
    /// has a linear function, Divide always.
    TModelValues Values;

    // ---- Taken from the input file ----------------------------------------------------------
    std::string Title1, Title2;
    double InitRun = 0;   ///< initial runoff (mm/t)
    double InitLevel = 0; ///< initial water level or main storage

    bool PredFailed = false;       ///< the last run stopped on a data error: no output
    std::int32_t FunctionKind = 0; ///< 1 when the alpha-function line begins " Lin"
    std::int32_t NrOfPred = 0;     ///< number of time steps N
    double PMaxStor = 0;           ///< maximum dead storage (mm)
    double PInitStor = 0;          ///< initial dead storage (mm)
    double PMaxEscape = 0;         ///< maximum escape rate (mm/t)
    std::string UnitText;          ///< unit after the maximum escape rate, normalised
    double PPorosity = 0;          ///< effective porosity as a fraction
    std::vector<std::int32_t> PSerial = std::vector<std::int32_t>(MaxPredSteps + 1, 0);
    std::vector<double> PTime = std::vector<double>(MaxPredSteps + 1, 0.0);
    std::vector<double> Rain = std::vector<double>(MaxSteps + 1, 0.0);          ///< mm/t
    std::vector<double> PEscape = std::vector<double>(MaxPredSteps + 1, 0.0);   ///< mm/t
    std::vector<double> PDeadStor = std::vector<double>(MaxPredSteps + 1, 0.0); ///< mm, end of step
    std::vector<double> PRecharge = std::vector<double>(MaxPredSteps + 1, 0.0); ///< mm/t
    std::vector<double> PAlpha = std::vector<double>(MaxPredSteps + 1, 0.0);    ///< 1/t; step 1: 0
    std::vector<double> PLevel = std::vector<double>(MaxPredSteps + 1, 0.0);    ///< head or storage
    std::vector<double> RunoffCalc = std::vector<double>(MaxSteps + 1, 0.0);    ///< mm/t, 1..1501
};

/// The window's run: its input comes from the data module and its results go back to it (see
/// the functions without a state below).
inline TState State;

/// Runs the prediction of the input file named by s.FileName and writes its output file (same
/// path, extension ".out"). s.PredFailed tells whether an output file was written.
void RunPrediction(TState &s);

/// Reads the input file named by s.FileName by line position, checks the series and computes
/// the dead-storage balance and the recharge:
///   step 1: D0 = PMaxStor - PInitStor; recharge max(Rain - D0, 0), deficit and storage follow;
///   step j: loss L = PEscape[j] * dt * PDeadStor[j-1] / PMaxStor (never more than the dead
///           storage holds); rain above deficit + L is recharge.
/// Sets Values, Title1, Title2, InitRun, InitLevel from the file. On failure shows the message
/// and sets s.PredFailed.
void ReadPredictionInput(TState &s);
/// The same from the lines of an input file; fileName is named in the messages. A file that
/// cannot be read leaves s as it was but for PredFailed.
void ReadPredictionLines(TState &s, const std::vector<std::string> &lines,
                         const std::string &fileName);

// ---- The prediction core on arrays (indexed from 1, element 0 unused) --------------------
// The run of a file and a simulation in memory share it, so both give the same doubles.

/// The dead-storage reservoir over steps 1..n: deadStor and recharge from time, rain and
/// escape, as ReadPredictionInput describes it. Returns false at the first step whose length is
/// not positive (the steps before it are computed).
bool DeadStorage(int n, const double *time, const double *rain, const double *escape,
                 double maxStor, double initStor, double *deadStor, double *recharge);

/// The runoff a routing starts from: initRun, or -1.1 * B1 when B1 < 0 and -B1 > initRun.
double InitialRunoff(double initRun, const TModelValues &v);

/// What a routing of the main reservoir takes.
struct TRouting
{
    int Count = 0;                    ///< steps N
    const double *Time = nullptr;     ///< time of each step
    const double *Recharge = nullptr; ///< recharge of each step (mm/t)
    TModelValues Values;              ///< the alpha function A1, B1, A2, B2 and Divide
    double InitRun = 0;               ///< initial runoff, before InitialRunoff
    double InitLevel = 0;             ///< initial head or storage
    bool Drainage = false;            ///< floor 0.01 and the head; else floor 0.001, storage
    double Porosity = 0;              ///< drainable porosity as a fraction (drainage)
    TAlphaLimits Limits;              ///< the robust rule (a simulation's only)
};

/// Routes r through the main reservoir into runoff[1..N]; alpha and level (head or storage)
/// too when they are not nullptr. See RoutePrediction.
void Route(const TRouting &r, double *alpha, double *runoff, double *level);

/// DeadStorage and Route of the runoff sub-mode (no level, no alpha) in one pass, to the same
/// doubles: runoff[1..n] from initRun and the alpha function values. Returns false at the first
/// step whose length is not positive.
bool RouteRunoff(int n, const double *time, const double *rain, const double *escape,
                 double maxStor, double initStor, const TModelValues &values, double initRun,
                 double *deadStor, double *recharge, double *runoff,
                 const TAlphaLimits &limits = {});

/// Routes the recharge through the main reservoir: alpha = A1*Q + B1 above Divide (a Divide of
/// 0 counts as -0.001), A2*Q + B2 otherwise, at least 0.01 (drainage) or 0.001 (runoff);
/// x = exp(-alpha*dt); Q[j] = x*Q[j-1] + (1-x)*R[j]; head H[j] = x*H[j-1] +
/// (1-x)*R[j] / (0.8*porosity*alpha), or storage S[j] = S[j-1] + R[j] - Q[j].
void RoutePrediction(TState &s);

/// Text of the prediction output file of s for the input file inputPath, CR LF after every
/// line.
std::string PredictionOutputText(const TState &s, const std::string &inputPath);

/// Writes the output file beside s.FileName (atomically). A file that cannot be written gets
/// the file message and sets s.PredFailed. Returns true when written.
bool WritePredictionOutput(TState &s);

// ---- The window's run ------------------------------------------------------------------------
// These run State: they copy in DMQuellow.FileName, Drainage, Title1, Title2, InitRun,
// InitLevel, ModelValues and RainArr, run, and copy the results back, messages going to
// Prompts().

/// RunPrediction of the file named by DMQuellow.FileName.
void RunPrediction();
/// ReadPredictionLines of the window's run.
void ReadPredictionLines(const std::vector<std::string> &lines, const std::string &fileName);

} // namespace quellow::UPrediction
