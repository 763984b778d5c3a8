// The series import: any text is split into a table and read as a series in each mode and
// date order; whatever it accepts must write as an input file.
// Seeds: tests/data/*.csv
// Seed prefixes: 0 1 2 3 4 5 6 7 16 32 64 49
#include "FuzzSupport.h"

#include "import/UCsvImport.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quellow;
    using namespace quellow::UCsvImport;
    fuzz::FreshState();
    if (size == 0)
        return 0;
    // The first byte chooses the mode, the date order, whether a marker is given, whether the
    // steps are irregular and the decimal mark of numbers that read two ways.
    const std::uint8_t choice = data[0];
    const std::string_view text(reinterpret_cast<const char *>(data + 1), size - 1);
    TImportOptions options;
    options.Analysis = (choice & 1) == 0;
    options.Order = static_cast<TDateOrder>((choice >> 1) & 3);
    if (choice & 8)
        options.Missing = "x";
    // Counted from '0', so that the seeds' prefixes 0 to 7 leave these at their defaults.
    const unsigned extra = static_cast<std::uint8_t>(choice - '0') >> 4;
    options.Irregular = (extra & 1) != 0;
    options.Decimal = static_cast<TDecimalMark>(((extra >> 1) & 3) % 3);
    TCsvTable table;
    std::string error;
    if (!ReadCsvText(text, table, error, options.Missing))
        return 0;
    TImportResult result;
    if (!ImportSeries(table, options, result, error))
        return 0;
    fuzz::CheckImported(result, options.Analysis, static_cast<std::size_t>(MinImportRows));
    return 0;
}
