// The clipboard block of the input sheet: lines and cells of a text copied from a spreadsheet,
// the number characters a cell keeps, where the cells land, and how a row is read.
#include "import/UClipboardBlock.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

using namespace quellow;
using namespace quellow::UClipboardBlock;

namespace {

using TCells = std::map<std::pair<int, int>, std::string>;

TCells spread(std::string_view text, int col, int row, int columns)
{
    TCells cells;
    Spread(Parse(text), col, row, columns, [&](int c, int r, const std::string &cell) {
        cells[{c, r}] = cell;
    });
    return cells;
}

} // namespace

TEST(ClipboardBlock, EveryKindOfLineBreakEndsOneLine)
{
    // CR LF, LF, a lone CR, and a last line without a line break.
    const TBlock block = Parse("1\t2\r\n3\t4\n5\t6\r7\t8");
    ASSERT_EQ(block.Lines.size(), 4u);
    EXPECT_EQ(block.Lines[2], (std::vector<std::string>{"5", "6"}));
    EXPECT_EQ(block.Lines[3], (std::vector<std::string>{"7", "8"}));
    // A closing line break adds no line; an empty line between two counts.
    EXPECT_EQ(Parse("1\r\n").Lines.size(), 1u);
    EXPECT_EQ(Parse("1\r\n\r\n2\r\n").Lines.size(), 3u);
    EXPECT_TRUE(Parse("").Lines.empty());
}

TEST(ClipboardBlock, BlockIsAnyTextWithATabOrLineBreak)
{
    EXPECT_TRUE(IsBlock("1\t2"));
    EXPECT_TRUE(IsBlock("1\r"));
    EXPECT_TRUE(IsBlock("\n"));
    EXPECT_FALSE(IsBlock("12.5"));
    EXPECT_FALSE(IsBlock(""));
}

TEST(ClipboardBlock, CellsKeepTheCharactersOfANumber)
{
    EXPECT_EQ(NumberPart(" 1.5E+1 mm"), "1.5E+1");
    EXPECT_EQ(NumberPart("2,5"), "2,5");
    EXPECT_EQ(NumberPart("-0.3"), "-0.3");
    // An exponent letter counts only after a digit, a plus sign only after the letter.
    EXPECT_EQ(NumberPart("e5"), "5");
    EXPECT_EQ(NumberPart("+7"), "7");
    EXPECT_EQ(NumberPart("12 Jan"), "12");
    EXPECT_EQ(NumberPart("\xc3\xa9t\xc3\xa9 3"), "3");
}

TEST(ClipboardBlock, SpreadStartsAtTheCellAndStopsAtTheLastColumn)
{
    const TCells cells = spread("1\t2\t3\t4\t5\r\n6\t7\r\n", 1, 3, 4);
    EXPECT_EQ(cells.size(), 5u);
    EXPECT_EQ(cells.at({1, 3}), "1");
    EXPECT_EQ(cells.at({3, 3}), "3");
    EXPECT_EQ(cells.count({4, 3}), 0u);
    EXPECT_EQ(cells.at({2, 4}), "7");
}

TEST(ClipboardBlock, ClosingTabLeavesTheNextCellAlone)
{
    const TCells cells = spread("1\t2\t", 0, 0, 4);
    EXPECT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells.at({1, 0}), "2");
    // A tab inside the text empties the cell after it.
    const TCells inner = spread("1\t\t3\r\n", 0, 0, 4);
    EXPECT_EQ(inner.at({1, 0}), "");
    EXPECT_EQ(inner.at({2, 0}), "3");
}

TEST(ClipboardBlock, RowsAreReadAsThePasteReadsThem)
{
    TSheetRow row;
    ASSERT_TRUE(ReadRow(" 3 ", "2,5", "0.1", "1.5E1", true, row));
    EXPECT_EQ(row.Time, 3);
    EXPECT_DOUBLE_EQ(row.Rain, 2.5);
    EXPECT_DOUBLE_EQ(row.Runoff, 15.0);
    // Time is a whole number; empty and foreign texts are no number.
    EXPECT_FALSE(ReadRow("1.5", "1", "0", "1", true, row));
    EXPECT_FALSE(ReadRow("1", "", "0", "1", true, row));
    EXPECT_FALSE(ReadRow("1", "1,234.5", "0", "1", true, row));
    EXPECT_FALSE(ReadRow("1", "nan", "0", "1", true, row));
    // The runoff counts in analysis mode only.
    EXPECT_FALSE(ReadRow("1", "1", "0", "", true, row));
    EXPECT_TRUE(ReadRow("4", "1", "-0.5", "", false, row));
    EXPECT_EQ(row.Time, 4);
    EXPECT_DOUBLE_EQ(row.Escape, -0.5);
}

TEST(ClipboardBlock, WidthCountsUpToTheLastFilledCellOfTheWidestLine)
{
    EXPECT_EQ(Width(Parse("1\t0\t0.1\r\n2\t0\t0.1\r\n")), 3);
    EXPECT_EQ(Width(Parse("1\t0\t0.1\r\n2\t0\t0.1\t5\r\n")), 4);
    // Closing tabs and empty cells at the end of a line add nothing.
    EXPECT_EQ(Width(Parse("1\t0\t0.1\t\t\r\n")), 3);
    EXPECT_EQ(Width(Parse("\r\n\r\n")), 0);
    EXPECT_EQ(Width(Parse("x\ty\r\n")), 0);
}

TEST(ClipboardBlock, NumbersThatReadTwoWaysFollowTheirColumn)
{
    // Thousands marks are dropped where the numbers show them: both marks, a mark twice, or
    // 1,234 in a column whose other numbers have a decimal point.
    TBlock block = Parse("1\t1.002,5\t1,234\t1,234\r\n2\t1,002.5\t0.5\t7\r\n3\t1.234.567\t2\t8");
    EXPECT_EQ(block.Lines[0], (std::vector<std::string>{"1", "1002,5", "1234", "1,234"}));
    EXPECT_EQ(block.Lines[1], (std::vector<std::string>{"2", "1002.5", "0.5", "7"}));
    EXPECT_EQ(block.Lines[2][1], "1234567");
    // Nothing settles the runoff: read as before, with the comma as decimal mark, and said.
    ASSERT_EQ(block.TwoWays.size(), 1u);
    EXPECT_EQ(TwoWaysText(block, 0),
              "The pasted runoff 1,234 reads two ways: it was read with a decimal comma, as "
              "1.234. Paste 1234 without a thousands mark if that is meant.");
    TSheetRow row;
    ASSERT_TRUE(ReadRow(block.Lines[0][0], block.Lines[0][1], block.Lines[0][2], block.Lines[0][3],
                        true, row));
    EXPECT_EQ(row.Rain, 1002.5);
    EXPECT_EQ(row.Escape, 1234);
    EXPECT_EQ(row.Runoff, 1.234);
    EXPECT_TRUE(Parse("1\t2,5\r\n2\t1,234").TwoWays.empty());
}
