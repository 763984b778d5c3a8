#pragma once

#include "files/UTextFields.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

/// The layout of the input file (".inp"), for its writer and its three readers (the data
/// module's reader, the analysis run and the prediction run). Every value is found by its line
/// position and a fixed number of label characters, never by the label text. Line indices are
/// 0-based (index 7 is line 8 of the file).
namespace quellow::UInputLayout {

// ---- Common head ---------------------------------------------------------------------------
inline constexpr std::size_t ModeLine = 1;   ///< " Analysis and reconstruction", " Prediction ..."
inline constexpr std::size_t Title1Line = 3; ///< the description of the area
inline constexpr std::size_t Title2Line = 4; ///< particulars and units
inline constexpr std::size_t MaxStorLine = 7;
inline constexpr std::size_t InitStorLine = 8;
inline constexpr std::size_t MaxEscapeLine = 9; ///< its rest may name the unit (prediction run)

inline constexpr std::string_view FirstLineText = " Input data for Quellow program";
inline constexpr std::string_view AnalysisModeText = " Analysis and reconstruction";
inline constexpr std::string_view DrainageModeText = " Prediction drainage";
inline constexpr std::string_view RunoffModeText = " Prediction runoff";
inline constexpr std::string_view FileNameText = " Filename: ";

/// The six labels of 23 characters: the three dead-storage lines of both modes and the
/// initial state and runoff division of a prediction.
inline constexpr std::size_t StorageLabel = 23;
inline constexpr std::string_view MaxStorText = " Maximum dead storage: ";
inline constexpr std::string_view InitStorText = " Initial dead storage: ";
inline constexpr std::string_view MaxEscapeText = " Max.escape/time unit: ";
static_assert(MaxStorText.size() == StorageLabel && InitStorText.size() == StorageLabel &&
              MaxEscapeText.size() == StorageLabel);

// ---- Analysis ------------------------------------------------------------------------------
/// Line 14: the hyphens over the rows, or in older files a units line with a rule below it.
inline constexpr std::size_t AnalysisUnitsLine = 13;
inline constexpr std::size_t AnalysisFirstRow = 14;
/// The units line of an older file: the time unit in 22 characters, the depth unit in 11; a
/// first field equal to AnalysisRuleStart means there is no units line.
inline constexpr std::size_t UnitsTimeField = 22;
inline constexpr std::size_t UnitsDepthField = 11;
inline constexpr const char *AnalysisRuleStart = " ---------------------";

inline constexpr std::string_view AnalysisHyphens =
    " -------------------------------------------------";
inline constexpr std::string_view AnalysisHeader =
    "  Serial    T i m e   R a i n    Esc. rate Run-off";

// ---- Prediction ----------------------------------------------------------------------------
inline constexpr std::size_t FunctionLine = 10; ///< " Linear reservoir function : ..."
inline constexpr std::size_t A1Line = 11;
inline constexpr std::size_t B1Line = 12;
/// A2 in the current layout; the porosity line in the older one, which has no A2, B2 and
/// runoff division.
inline constexpr std::size_t A2Line = 13;
inline constexpr std::size_t B2Line = 14;
inline constexpr std::size_t PorosityLine = 15;
inline constexpr std::size_t InitRunLine = 16;
inline constexpr std::size_t InitLevelLine = 17;
inline constexpr std::size_t DivideLine = 18;
inline constexpr std::size_t PredictionFirstRow = 23;
/// The older layout: the porosity on A2Line, the initial state on the two lines after it.
inline constexpr std::size_t OutdatedPorosityLine = A2Line;
inline constexpr std::size_t OutdatedInitRunLine = 14;
inline constexpr std::size_t OutdatedInitLevelLine = 15;
inline constexpr std::size_t OutdatedEmptyLine = 16;
inline constexpr std::size_t OutdatedFirstRow = 20;

/// " A1 coefficient : ", " Value of B1 is : " and the like. The prediction run skips one
/// character less than the data module's reader (17, as it always has); both land before the
/// number, which is read as a blank-delimited token.
inline constexpr std::size_t AlphaLabel = 18;
inline constexpr std::size_t RunAlphaLabel = AlphaLabel - 1;
/// " Effective porosity (%) : ".
inline constexpr std::size_t PorosityLabel = 26;
/// In the older layout the porosity line stands where A2 is looked for: after the 18
/// characters of the failed try, 8 more reach the number.
inline constexpr std::size_t OutdatedPorositySkip = PorosityLabel - AlphaLabel;
/// Lines between the last parameter line and the first row: the empty line, the hyphens, the
/// column header and the hyphens.
inline constexpr std::size_t RowHeadLines = 4;

inline constexpr std::string_view FunctionText =
    " Linear reservoir function : Alpha = A * Runoff + B";
inline constexpr std::string_view A1Text = " A1 coefficient : ";
inline constexpr std::string_view B1Text = " Value of B1 is : ";
inline constexpr std::string_view A2Text = " A2 coefficient : ";
inline constexpr std::string_view B2Text = " Value of B2 is : ";
inline constexpr std::string_view PorosityText = " Effective porosity (%) : ";
inline constexpr std::string_view InitRunText = " Initial runoff rate : ";
inline constexpr std::string_view InitLevelText = " Initial water level : ";
inline constexpr std::string_view DivideText = " Runoff division     : ";
static_assert(A1Text.size() == AlphaLabel && B1Text.size() == AlphaLabel &&
              A2Text.size() == AlphaLabel && B2Text.size() == AlphaLabel);
static_assert(PorosityText.size() == PorosityLabel);
static_assert(InitRunText.size() == StorageLabel && InitLevelText.size() == StorageLabel &&
              DivideText.size() == StorageLabel);
static_assert(DivideLine + 1 + RowHeadLines == PredictionFirstRow &&
              OutdatedInitLevelLine + 1 + RowHeadLines == OutdatedFirstRow &&
              MaxEscapeLine + 1 + RowHeadLines == AnalysisFirstRow);

inline constexpr std::string_view PredictionHyphens = " ------------------------------------------";
inline constexpr std::string_view PredictionHeader = " Serial    T i m e   Rainfall   Escape rate";

// ---- Shared helpers ------------------------------------------------------------------------

/// lines[index], or an empty line beyond the end.
inline const std::string &lineAt(const std::vector<std::string> &lines, std::size_t index)
{
    static const std::string none;
    return index < lines.size() ? lines[index] : none;
}

/// Reads the number after a label of `skip` characters on line `index`, as a blank-delimited
/// token; rest (when given) gets what follows it.
inline bool labelledReal(const std::vector<std::string> &lines, std::size_t index, std::size_t skip,
                         double &value, TLineScanner *rest = nullptr)
{
    if (index >= lines.size())
        return false;
    TLineScanner line(lines[index]);
    line.skipChars(skip);
    if (!line.readReal(value))
        return false;
    if (rest)
        *rest = line;
    return true;
}

/// Index one past the last line that holds anything but blanks: empty lines at the end of a
/// file edited by hand are no rows.
inline std::size_t endOfRows(const std::vector<std::string> &lines, std::size_t first)
{
    std::size_t end = lines.size();
    while (end > first && trim(lines[end - 1]).empty())
        --end;
    return end;
}

} // namespace quellow::UInputLayout
