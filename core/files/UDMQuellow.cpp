#include "files/UDMQuellow.h"

#include "files/UFileUtil.h"
#include "files/UPrompts.h"

#include <filesystem>

namespace quellow {

TDMQuellow DMQuellow;

namespace {

std::vector<void (*)()> &resetFunctions()
{
    static std::vector<void (*)()> functions;
    return functions;
}

} // namespace

void RegisterStateReset(void (*reset)())
{
    resetFunctions().push_back(reset);
}

void ResetAllState()
{
    ModelValues = {};
    DMQuellow = {};
    for (auto reset : resetFunctions())
        reset();
}

void TDMQuellow::ResizeRows(std::size_t rows)
{
    Serial.resize(rows);
    Time.resize(rows);
    Rain.resize(rows);
    Escape.resize(rows);
    Runoff.resize(rows);
    Remove.resize(rows);
}

void TDMQuellow::SetSeries(const DataArrayR &time, const DataArrayR &rain, const DataArrayR &escape,
                           const DataArrayR &runoff)
{
    const std::size_t n = time.size();
    ResizeRows(0);
    ResizeRows(n);
    for (std::size_t i = 0; i < n; ++i)
        Serial[i] = static_cast<std::int32_t>(i + 1);
    Time = time;
    Rain = rain;
    Escape = escape;
    Runoff = runoff;
    Runoff.resize(n);
    NrOfData = static_cast<std::int32_t>(n);
}

void TDMQuellow::DataModuleCreate()
{
    std::error_code error;
    FileName = std::filesystem::current_path(error).string();
}

bool TDMQuellow::LoadTextFile(const std::string &path)
{
    LineSet lines;
    if (readTextFile(path, lines) != TReadStatus::Ok) {
        Prompts().ShowMessage("The file \"" + path + "\" could not be opened.  It may be damaged," +
                              "  not created due to inadequate input data," +
                              "  in use by another program.");
        return false;
    }
    // An empty file gives NrOfLines 0 and leaves the length of OutLines as it was.
    NrOfLines = static_cast<std::int32_t>(lines.size());
    if (!lines.empty())
        OutLines = std::move(lines);
    return true;
}

void TDMQuellow::ShowProgramError(const std::string &text)
{
    Prompts().ShowMessage("A program error occurred." + text);
}

bool TDMQuellow::Confirm(const std::string &text)
{
    return Prompts().Confirm(text);
}

} // namespace quellow
