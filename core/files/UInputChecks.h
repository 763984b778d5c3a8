#pragma once

#include <string>

namespace quellow {

class TDMQuellow;
struct TModelValues;

/// What Save/Run checks before it writes an input file, for the window and quellow-cli alike.
namespace UInputChecks {

/// The check of one value that a box of the sheet holds: its messages and what the box shows
/// after a value out of range.
struct TValueRule
{
    const char *Negative;      ///< message for a value below 0; nullptr: any value passes
    const char *NegativeReset; ///< box text after a value out of range (also the model value)
    const char *AboveHundred;  ///< message for a value above 100; nullptr: no upper limit
    bool RangeInAnalysisOnly;  ///< the range test applies in analysis mode only
};

inline constexpr TValueRule MaxStorRule{"The maximum storage must be >= 0", "0", nullptr, false};
inline constexpr TValueRule InitStorRule{"The initial storage must be >= 0", "0", nullptr, false};
/// A negative escape rate is another source of water: possible in a prediction only.
inline constexpr TValueRule EscapeRule{"The escape rate must be >= 0", "0", nullptr, true};
inline constexpr TValueRule FreeRule{nullptr, nullptr, nullptr, false};
inline constexpr TValueRule DivideRule{"The divide must be >= 0", " 0", nullptr, false};
inline constexpr TValueRule InitRunRule{"The initial runoff must be >= 0", "0", nullptr, false};
inline constexpr TValueRule InitLevelRule{"The initial level must be >= 0", "0", nullptr, false};
inline constexpr TValueRule PorosityRule{"The porosity must be >= 0", " 5",
                                         "The porosity must be < 100%", false};

/// The range test of a rule: the failure message, or nullptr when the value passes.
const char *RangeFailure(const TValueRule &rule, double value, bool analysis);

/// The message of rows that fail the row check.
inline constexpr const char *FaultyRowsMessage =
    "The input data were not saved due to input errors like negative values or a "
    "non-sequential time series";

/// A cell of the rows (column 0 time, 1 rain, 2 escape rate, 3 runoff); Col -1: none.
struct TCell
{
    int Col = -1;
    int Row = -1;
};

/// The first cell of dm's rows 0..NrOfData-1 not marked in Remove that fails the row check: a
/// time not above the time of the row before, a negative rain, and in analysis mode a negative
/// escape rate or runoff.
TCell FirstFaultyCell(const TDMQuellow &dm);

/// The check of the number of complete rows: none, or more than the mode takes (MaxData for an
/// analysis, MaxPredSteps for a prediction). The message; empty when the number will do.
std::string RowCountFailure(int rows, bool analysis);

/// A prediction with A1 = B1 = A2 = B2 = 0 has an alpha function of 0 for every runoff and
/// would run with alpha on its floor throughout. The message (fileName: the input file that
/// holds the function; empty for the sheet), or empty when the function is not 0 throughout.
std::string ZeroAlphaFailure(const TModelValues &values, const std::string &fileName = {});

/// Every check Save/Run makes of the values of dm and values once they are read: the ranges of
/// the values the run uses, the rows, and their number. The first failure's message; empty
/// when Save/Run would write the file.
std::string SaveFailure(const TDMQuellow &dm, const TModelValues &values);

} // namespace UInputChecks

} // namespace quellow
