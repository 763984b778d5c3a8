#pragma once

#include "model/URunShared.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quellow::UPrediction {

/// Most time steps one prediction handles.
inline constexpr int MaxPredSteps = 501;

/// Working values of the prediction run, kept until the next run; the output writer reads
/// them. The step arrays are indexed from 1 (element 0 unused) and overwritten up to NrOfPred.
struct TState
{
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
    std::vector<double> PEscape = std::vector<double>(MaxPredSteps + 1, 0.0);   ///< mm/t
    std::vector<double> PDeadStor = std::vector<double>(MaxPredSteps + 1, 0.0); ///< mm, end of step
    std::vector<double> PRecharge = std::vector<double>(MaxPredSteps + 1, 0.0); ///< mm/t
    std::vector<double> PAlpha = std::vector<double>(MaxPredSteps + 1, 0.0);    ///< 1/t; step 1: 0
    std::vector<double> PLevel = std::vector<double>(MaxPredSteps + 1, 0.0);    ///< head or storage
    std::vector<double> RunoffCalc = std::vector<double>(MaxSteps + 1, 0.0);    ///< mm/t, 1..1501
};
inline TState State;

/// Runs the prediction of the input file named by DMQuellow.FileName and writes its output file
/// (same path, extension ".out"). State.PredFailed tells whether an output file was written.
void RunPrediction();

/// Reads the input file named by DMQuellow.FileName by line position, checks the series and
/// computes the dead-storage balance and the recharge:
///   step 1: D0 = PMaxStor - PInitStor; recharge max(Rain - D0, 0), deficit and storage follow;
///   step j: loss L = PEscape[j] * dt * PDeadStor[j-1] / PMaxStor (never more than the dead
///           storage holds); rain above deficit + L is recharge.
/// Sets A1, B1, A2, B2, Divide and DMQuellow's Title1, Title2, InitRun, InitLevel from the file.
/// On failure shows the message and sets State.PredFailed.
void ReadPredictionInput();
/// The same from the lines of an input file; fileName is named in the messages.
void ReadPredictionLines(const std::vector<std::string> &lines, const std::string &fileName);

/// Routes the recharge through the main reservoir: alpha = A1*Q + B1 above Divide (a Divide of
/// 0 counts as -0.001), A2*Q + B2 otherwise, at least 0.01 (drainage) or 0.001 (runoff);
/// x = exp(-alpha*dt); Q[j] = x*Q[j-1] + (1-x)*R[j]; head H[j] = x*H[j-1] +
/// (1-x)*R[j] / (0.8*porosity*alpha), or storage S[j] = S[j-1] + R[j] - Q[j].
void RoutePrediction();

/// Text of the prediction output file for the input file inputPath, CR LF after every line.
std::string PredictionOutputText(const std::string &inputPath);

/// Writes the output file beside DMQuellow.FileName (atomically). A file that cannot be written
/// gets the file message and sets State.PredFailed. Returns true when written.
bool WritePredictionOutput();

} // namespace quellow::UPrediction
