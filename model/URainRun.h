#pragma once

#include <string>

namespace quellow::URainRun {

/// Trend lines of measured runoff against recharge over all rows of the last analysis:
/// Runoff = TrendA * Rech + TrendC and Runoff = TrendQA * Rech^2 + TrendQB * Rech + TrendQC.
struct TTrend
{
    double TrendA = 0;
    double TrendC = 0;
    double TrendQA = 0;
    double TrendQB = 0;
    double TrendQC = 0;
    bool TrendValid = false; ///< the trend could be computed (false after start-up)
};
inline TTrend Trend;

/// Text of the trend file (five lines, CR LF).
std::string TrendFileText(const TTrend &trend);

/// Writes the trend file: DMQuellow.FileName with the extension ".dat" (atomically).
/// Returns false when it could not be written.
bool WriteTrendFile();

/// Reads TrendQA, TrendQB, TrendQC back from the trend file beside DMQuellow.FileName.
/// Returns false (values unchanged) when the file is missing or unreadable.
bool ReadTrendFile();
/// The same from a named trend file.
bool ReadTrendFile(const std::string &path);

} // namespace quellow::URainRun
