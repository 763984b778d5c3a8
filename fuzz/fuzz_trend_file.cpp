// The trend file reader, and the line splitting every reader shares.
// Seeds: tests/data/*.dat
#include "FuzzSupport.h"

#include "files/UFileUtil.h"
#include "runs/URainRun.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quellow;
    fuzz::FreshState();
    splitLines(std::string_view(reinterpret_cast<const char *>(data), size));
    URainRun::ReadTrendFile(fuzz::InputFile(data, size, ".dat"));
    return 0;
}
