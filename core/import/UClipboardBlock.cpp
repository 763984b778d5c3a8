#include "import/UClipboardBlock.h"

#include "import/UCsvTable.h"
#include "files/UTextFields.h"

#include <cctype>
#include <cstdio>

namespace quellow::UClipboardBlock {

namespace {

bool isDigit(char ch)
{
    return std::isdigit(static_cast<unsigned char>(ch)) != 0;
}

bool isExponent(char ch)
{
    return ch == 'e' || ch == 'E';
}

/// Splits one line at its tabs.
std::vector<std::string> cellsOf(std::string_view line)
{
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        cells.push_back(NumberPart(line.substr(start, tab - start)));
        if (tab == std::string_view::npos)
            return cells;
        start = tab + 1;
    }
}

/// Drops the thousands marks of each column's numbers, with the decimal mark its numbers
/// settle; notes the columns whose numbers read two ways with nothing to settle them.
void settleDecimalMarks(TBlock &block)
{
    using namespace UCsvTable;
    std::vector<TColumnMarks> marks;
    for (const std::vector<std::string> &cells : block.Lines)
        for (std::size_t j = 0; j < cells.size(); ++j) {
            if (marks.size() <= j)
                marks.resize(j + 1);
            const TNumberForm form = NumberForm(cells[j]);
            if (!form.Number)
                continue;
            marks[j].Point = marks[j].Point || form.Says == TDecimalMark::Point;
            marks[j].Comma = marks[j].Comma || form.Says == TDecimalMark::Comma;
            if (form.TwoWays && marks[j].TwoWays == TColumnMarks::NoRow) {
                marks[j].TwoWays = 0;
                block.TwoWays.push_back({static_cast<int>(j), cells[j]});
            }
        }
    std::erase_if(block.TwoWays, [&](const TTwoWays &two) {
        return marks[static_cast<std::size_t>(two.Column)].Settled() != TDecimalMark::Auto;
    });
    for (std::vector<std::string> &cells : block.Lines)
        for (std::size_t j = 0; j < cells.size(); ++j) {
            std::string plain;
            // An unsettled cell that reads two ways is left as it is: its mark is the decimal.
            if (PlainNumber(cells[j], marks[j].Settled(), plain))
                cells[j] = plain;
        }
}

} // namespace

bool IsBlock(std::string_view text)
{
    return text.find_first_of("\t\r\n") != std::string_view::npos;
}

std::string NumberPart(std::string_view cell)
{
    std::string kept;
    for (const char ch : cell) {
        const bool afterDigit = !kept.empty() && isDigit(kept.back());
        const bool afterExponent = !kept.empty() && isExponent(kept.back());
        if (isDigit(ch) || ch == '-' || ch == '.' || ch == ',')
            kept += ch;
        else if (isExponent(ch) && afterDigit)
            kept += ch;
        else if (ch == '+' && afterExponent)
            kept += ch;
    }
    return kept;
}

TBlock Parse(std::string_view text)
{
    TBlock block;
    block.EndsWithTab = !text.empty() && text.back() == '\t';
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch != '\r' && ch != '\n')
            continue;
        block.Lines.push_back(cellsOf(text.substr(start, i - start)));
        if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        block.Lines.push_back(cellsOf(text.substr(start)));
    settleDecimalMarks(block);
    return block;
}

std::string TwoWaysText(const TBlock &block, int col)
{
    static const char *const names[] = {"time", "rain", "escape rate", "runoff"};
    std::string text;
    for (const TTwoWays &two : block.TwoWays) {
        const int column = col + two.Column;
        if (column < 0 || column > 3)
            continue;
        const bool comma = two.Example.find(',') != std::string::npos;
        double taken = 0, other = 0;
        UCsvTable::ReadNumber(two.Example, UCsvTable::TDecimalMark::Auto, taken);
        UCsvTable::ReadNumber(
            two.Example, comma ? UCsvTable::TDecimalMark::Point : UCsvTable::TDecimalMark::Comma,
            other);
        text += std::string(text.empty() ? "" : "\n") + "The pasted " + names[column] + " " +
                two.Example + " reads two ways: it was read with a decimal " +
                (comma ? "comma" : "point") + ", as " + UCsvTable::NumberText(taken) + ". Paste " +
                UCsvTable::NumberText(other) + " without a thousands mark if that is meant.";
    }
    return text;
}

int Width(const TBlock &block)
{
    std::size_t width = 0;
    for (const std::vector<std::string> &cells : block.Lines)
        for (std::size_t j = cells.size(); j > width; --j)
            if (!cells[j - 1].empty()) {
                width = j;
                break;
            }
    return static_cast<int>(width);
}

void Spread(const TBlock &block, int col, int row, int columns, const TPutCell &put)
{
    const int lineCount = static_cast<int>(block.Lines.size());
    for (int k = 0; k < lineCount; ++k) {
        const std::vector<std::string> &cells = block.Lines[static_cast<std::size_t>(k)];
        const int cellCount = static_cast<int>(cells.size());
        for (int j = 0; j < cellCount && col + j < columns; ++j) {
            if (block.EndsWithTab && k == lineCount - 1 && j == cellCount - 1)
                break;
            put(col + j, row + k, cells[static_cast<std::size_t>(j)]);
        }
    }
}

bool ReadRow(const std::string &time, const std::string &rain, const std::string &escape,
             const std::string &runoff, bool analysis, TSheetRow &row)
{
    TSheetRow read;
    if (!parseInt(trim(time), read.Time) || !parseRealAnySeparator(trim(rain), read.Rain) ||
        !parseRealAnySeparator(trim(escape), read.Escape))
        return false;
    if (analysis && !parseRealAnySeparator(trim(runoff), read.Runoff))
        return false;
    row = read;
    return true;
}

} // namespace quellow::UClipboardBlock
