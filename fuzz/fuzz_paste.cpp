// The paste of a clipboard block into the input sheet: any text a clipboard may hold, spread
// over a sheet of 15 rows at any cell and read back row by row as the sheet does. The first
// two bytes choose the cell (and the first one the mode); the rest is the clipboard text.
// Seeds: tests/data/*.txt tests/data/*.tsv
#include "FuzzSupport.h"

#include "import/UClipboardBlock.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quellow;
    if (size < 2)
        return 0;
    const bool analysis = data[0] % 2 == 0;
    const int columns = analysis ? 4 : 3;
    const int col = data[0] % 5;
    const int row = data[1] % 40;
    const std::string_view text(reinterpret_cast<const char *>(data + 2), size - 2);

    const UClipboardBlock::TBlock block = UClipboardBlock::Parse(text);
    const int rows = std::max<int>(15, row + static_cast<int>(block.Lines.size()));
    std::vector<std::vector<std::string>> grid(static_cast<std::size_t>(rows),
                                               std::vector<std::string>(4, "0"));
    UClipboardBlock::Spread(block, col, row, columns, [&](int c, int r, const std::string &cell) {
        if (c < 0 || c >= columns || r < 0 || r >= rows)
            std::abort();
        grid[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = cell;
    });
    for (const auto &cells : grid) {
        UClipboardBlock::TSheetRow values;
        if (UClipboardBlock::ReadRow(cells[0], cells[1], cells[2], cells[3], analysis, values) &&
            (values.Rain != values.Rain || values.Escape != values.Escape))
            std::abort();
    }
    return 0;
}
