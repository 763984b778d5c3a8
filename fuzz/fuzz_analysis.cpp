// The whole divide search on one input file: five silent trials and the final run, with the
// analysis run's own reader, the regressions, the reconstruction and both output files.
// Seeds: tests/data/*.inp Data/*.inp
#include "FuzzSupport.h"

#include "files/UDMQuellow.h"
#include "runs/URainRun.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quellow;
    fuzz::FreshInputFile(data, size);
    URainRun::DivideSearch();
    return 0;
}
