// The prediction run's own reader, the routing and the output writer, file to file.
// Seeds: tests/data/*.inp Data/*.inp
#include "FuzzSupport.h"

#include "files/UDMQuellow.h"
#include "runs/UPrediction.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quellow;
    fuzz::FreshInputFile(data, size);
    UPrediction::RunPrediction();
    return 0;
}
