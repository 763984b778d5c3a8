#pragma once

#include "model/UTextFields.h"

#include <cstddef>
#include <string>
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

/// " Maximum dead storage: ", " Initial dead storage: ", " Max.escape/time unit: ",
/// " Initial runoff rate : ", " Initial water level : " and " Runoff division     : ".
inline constexpr std::size_t StorageLabel = 23;

// ---- Analysis ------------------------------------------------------------------------------
/// Line 14: the hyphens over the rows, or in older files a units line with a rule below it.
inline constexpr std::size_t AnalysisUnitsLine = 13;
inline constexpr std::size_t AnalysisFirstRow = 14;
/// The units line of an older file: the time unit in 22 characters, the depth unit in 11; a
/// first field equal to AnalysisRuleStart means there is no units line.
inline constexpr std::size_t UnitsTimeField = 22;
inline constexpr std::size_t UnitsDepthField = 11;
inline constexpr const char *AnalysisRuleStart = " ---------------------";

// ---- Prediction ----------------------------------------------------------------------------
inline constexpr std::size_t FunctionLine = 10; ///< " Linear reservoir function : ..."
inline constexpr std::size_t A1Line = 11;       ///< then B1, A2, B2 on the following lines
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

// ---- Shared helpers ------------------------------------------------------------------------

/// lines[index], or an empty line beyond the end.
inline const std::string &LineAt(const std::vector<std::string> &lines, std::size_t index)
{
    static const std::string none;
    return index < lines.size() ? lines[index] : none;
}

/// Reads the number after a label of `skip` characters on line `index`, as a blank-delimited
/// token; rest (when given) gets what follows it.
inline bool LabelledReal(const std::vector<std::string> &lines, std::size_t index, std::size_t skip,
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
inline std::size_t EndOfRows(const std::vector<std::string> &lines, std::size_t first)
{
    std::size_t end = lines.size();
    while (end > first && trim(lines[end - 1]).empty())
        --end;
    return end;
}

} // namespace quellow::UInputLayout
