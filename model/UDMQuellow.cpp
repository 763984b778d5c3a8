#include "model/UDMQuellow.h"

#include "model/UFileUtil.h"
#include "model/UPrompts.h"

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
