#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quellow::UClipboardBlock {

/// True when a text holds more than one cell: a tab or a line break (CR or LF).
bool IsBlock(std::string_view text);

/// The characters of a number that a pasted cell keeps: digits, minus signs, full stops and
/// commas, an exponent letter right after a digit and a plus sign right after the exponent
/// letter. Blanks, units and other marks are dropped ("1.5E+1 mm" keeps "1.5E+1").
std::string NumberPart(std::string_view cell);

/// A number of a pasted column that reads two ways (1,234 or 1.234) with nothing in its column
/// to settle the decimal mark: it is read with that mark as the decimal mark.
struct TTwoWays
{
    int Column = 0;      ///< in the block, from 0
    std::string Example; ///< the first such cell
};

/// A block of cells copied from a spreadsheet.
struct TBlock
{
    /// The cells of each line, left to right, already cut down to their number parts.
    /// CR LF, LF and a lone CR each end a line; a last line without a line break counts when
    /// it holds anything.
    std::vector<std::vector<std::string>> Lines;
    /// The text ended with a tab: the last cell of the last line is no cell at all, and the
    /// grid cell it would reach keeps its text.
    bool EndsWithTab = false;
    /// The columns whose numbers read two ways, unsettled.
    std::vector<TTwoWays> TwoWays;
};

/// Splits a clipboard text into lines and cells. Thousands marks are dropped where a number
/// shows them (1.002,5 and 1,002.5; 1,234 in a column whose other numbers have a decimal
/// point), so that a cell keeps at most its decimal mark.
TBlock Parse(std::string_view text);

/// The message naming the columns of TwoWays and how their numbers were read, for a block
/// pasted from grid column col (0: time); empty when there are none.
std::string TwoWaysText(const TBlock &block, int col);

/// The number of columns the block fills: up to the last cell that holds anything, on its
/// widest line.
int Width(const TBlock &block);

/// Called for each grid cell the block writes: column and row (0-based) and the new text.
using TPutCell = std::function<void(int col, int row, const std::string &text)>;

/// Writes the block into a grid of `columns` columns from cell (col, row) down and to the
/// right; cells beyond the last column are dropped. The caller makes room for the rows.
void Spread(const TBlock &block, int col, int row, int columns, const TPutCell &put);

/// One row of the sheet as numbers (time in the user's unit, the rest in mm/t).
struct TSheetRow
{
    int Time = 0;
    double Rain = 0;
    double Escape = 0;
    double Runoff = 0;
};

/// Reads the texts of one pasted row: the time as a whole number, rain, escape rate and (in
/// analysis mode) runoff as reals with a full stop or a comma. Blanks around a number are
/// ignored. False when a cell is empty or no number, or the time is fractional.
bool ReadRow(const std::string &time, const std::string &rain, const std::string &escape,
             const std::string &runoff, bool analysis, TSheetRow &row);

} // namespace quellow::UClipboardBlock
