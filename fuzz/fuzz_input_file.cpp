// The input file reader (both modes and the older prediction layout), file to data module,
// and the writer on whatever the reader accepted: a file read back must write again.
// Seeds: tests/data/*.inp Data/*.inp
#include "FuzzSupport.h"

#include "files/UDMQuellow.h"
#include "files/UInputFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quellow;
    fuzz::FreshInputFile(data, size);
    if (DMQuellow.ReadInputFile()) {
        std::string text;
        // Every value the reader accepts is finite, so the writer must manage it.
        if (!InputFileText(DMQuellow, ModelValues, text))
            std::abort();
    }
    return 0;
}
