#pragma once

#include "files/UDMQuellow.h"

#include <optional>
#include <string>

namespace quellow::UOutputReader {

/// What the head of an output file says: lines 3 and 4 are the titles, line 15 begins with
/// "----" in an analysis output and is empty in a prediction output, whose line 16 begins
/// "PREDICTION drainage:" or "PREDICTION runoff:".
struct THeader
{
    std::string Title1;
    std::string Title2;
    std::string OutTag;      ///< first four characters of line 15
    bool Prediction = false; ///< line 16 begins "PREDICTION"
    bool Drainage = false;   ///< ... followed by " dra"
};

/// The alpha function a prediction output lists on its lines 12 to 14.
struct TFunction
{
    double A1 = 0, B1 = 0, A2 = 0, B2 = 0, Divide = 0;
};

/// The columns one graph kind takes from an output file (one element per table row, from 0).
/// Which table fills which column:
///   reconstruction (kinds 1, 3, 7, 8): PlotX time (kind 7: measured runoff), PlotY1 rain,
///       PlotY2 recharge, PlotY3 calculated runoff, PlotY4 measured runoff;
///   prediction (kinds 2, 4, 5): PlotX time, PlotY1 runoff, PlotY2 recharge, PlotY3 rain,
///       PlotY4 alpha, PlotY5 head or storage;
///   regression (kind 6): PlotX measured runoff, PlotY1 time, PlotY2 measured alpha,
///       PlotY3 regressed alpha, PlotY4 time.
struct TTable
{
    DataArrayI Serial;
    DataArrayR PlotX, PlotY1, PlotY2, PlotY3, PlotY4, PlotY5;
    std::int32_t NrOfData = 0;
    std::optional<double> RSquare;     ///< kinds 1 and 7 (0 when the number is unreadable)
    std::optional<bool> Quadratic;     ///< kind 6
    std::optional<bool> Drainage;      ///< kind 5
    std::optional<TFunction> Function; ///< kind 5, when lines 12 to 14 are readable
};

/// "The file "<name>"could not be opened. ..." as the graphs show it.
std::string cannotOpenMessage(const std::string &name);

/// Reads the head of an output file from its lines. On failure error holds the message
/// (naming the file as name) and header is unchanged.
bool parseHeader(const LineSet &lines, const std::string &name, THeader &header,
                 std::string &error);

/// Reads the table that graph kind 1..8 needs. Stops at the end of the lines rather than
/// search on; a missing marker line, an unfinished table, a table without rows or an
/// unreadable number gives false with the message in error, and table is then unchanged.
bool parseTable(const LineSet &lines, int kind, const std::string &name, TTable &table,
                std::string &error);

/// The runoff divide an analysis output gives on its line 12 ("if Discharge >" and the
/// divide with two decimals and the writer's decimal separator).
std::optional<double> parseAnalysisDivide(const LineSet &lines);

} // namespace quellow::UOutputReader
