#include "FuzzSupport.h"

#include "import/UCsvImport.h"
#include "files/UDMQuellow.h"
#include "files/UInputFile.h"
#include "files/UPrompts.h"

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

void CheckImported(const UCsvImport::TImportResult &result, bool analysis, std::size_t minRows)
{
    const std::size_t rows = result.Time.size();
    if (rows < minRows || rows > static_cast<std::size_t>(UCsvImport::ImportRowLimit(analysis)) ||
        result.Rain.size() != rows || result.Escape.size() != rows || result.Runoff.size() != rows)
        std::abort();
    for (std::size_t i = 1; i < rows; ++i)
        if (!(result.Time[i - 1] < result.Time[i]))
            std::abort();
    TDMQuellow dm;
    dm.Analysis = analysis;
    dm.SetSeries(result.Time, result.Rain, result.Escape, result.Runoff);
    std::string inp;
    if (!InputFileText(dm, ModelValues, inp))
        std::abort();
}

} // namespace quellow::fuzz
