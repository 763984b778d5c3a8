#include "FuzzSupport.h"

#include "model/UDMQuellow.h"
#include "model/UPrompts.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace quellow::fuzz {

namespace {

const std::string &folder()
{
    // Never destroyed, so the exit handler below can still use it.
    static const std::string &path = *new std::string([] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quellow-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        std::atexit([] {
            std::error_code error;
            std::filesystem::remove_all(folder(), error);
        });
        return pattern;
    }());
    return path;
}

} // namespace

void FreshState()
{
    SetPrompts(nullptr);
    ResetAllState();
}

std::string InputFile(const std::uint8_t *data, std::size_t size, const std::string &ext)
{
    const std::string path = folder() + "/input" + ext;
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        std::abort();
    if (size > 0)
        std::fwrite(data, 1, size, f);
    std::fclose(f);
    return path;
}

void FreshInputFile(const std::uint8_t *data, std::size_t size)
{
    FreshState();
    DMQuellow.FileName = InputFile(data, size, ".inp");
}

} // namespace quellow::fuzz
