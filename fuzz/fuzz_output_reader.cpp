// The output file reader: the header scan and the table of every graph kind, and the chart
// computations on whatever the reader accepted. The first byte chooses the graph kind.
// Seeds: tests/data/*.out Data/*.out
// Seed prefixes: 0 1 2 3 4 5 6 7
#include "FuzzSupport.h"

#include "files/UDMQuellow.h"
#include "runs/UQuellowUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quellow;
    if (size == 0)
        return 0;
    fuzz::FreshState();
    const int kind = 1 + data[0] % 8;
    DMQuellow.OutFileName = fuzz::InputFile(data + 1, size - 1, ".out");
    DMQuellow.ReadOutputHeader();
    if (DMQuellow.ReadOutputFile(kind))
        UQuellowUtils::prepareChart(kind);
    return 0;
}
