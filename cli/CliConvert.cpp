// quellow-cli convert: an input file of any layout the window opens, written again in the
// current layout, as opening it in the window and pressing Save / Run writes it.
#include "cli/CliCommands.h"
#include "model/UDMQuellow.h"
#include "model/UFileUtil.h"
#include "model/UInputFile.h"
#include "model/UPrompts.h"

#include <filesystem>
#include <iostream>

namespace quellow::cli {

namespace {

const char *const convertUsage =
    "Usage: quellow-cli convert IN.inp -o OUT.inp\n"
    "Reads an input file (either mode, the older prediction layout, rows without an escape\n"
    "rate) and writes it in the current layout, as Open input and Save / Run in the window do.\n";

std::string absolutePath(const std::string &path)
{
    std::error_code error;
    const auto absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

/// The window shows every value in a box or cell in its shortest form and reads it back:
/// the same value, save that a negative zero comes back as zero.
void throughBoxes(TDMQuellow &dm, TModelValues &values)
{
    const auto plain = [](double &v) {
        if (v == 0)
            v = 0;
    };
    for (auto *rows : {&dm.Time, &dm.Rain, &dm.Escape, &dm.Runoff})
        for (double &v : *rows)
            plain(v);
    if (dm.Analysis)
        return;
    // The sheet shows a porosity of 0 as 10.
    if (dm.Porosity == 0)
        dm.Porosity = 10;
    for (double *v : {&values.A1, &values.B1, &values.A2, &values.B2, &values.Divide, &dm.InitRun,
                      &dm.InitLevel, &dm.Porosity})
        plain(*v);
}

/// The checks of Save / Run, with its messages.
bool saveChecks(const TDMQuellow &dm)
{
    if (dm.Analysis && dm.MaxEscape < 0) {
        Prompts().ShowMessage("The maximum escape rate cannot be negative.");
        return false;
    }
    const auto n = static_cast<std::size_t>(dm.NrOfData);
    for (std::size_t i = 0; i < n; ++i) {
        if ((i > 0 && !(dm.Time[i - 1] < dm.Time[i])) || dm.Rain[i] < 0 ||
            (dm.Analysis && dm.Runoff[i] < 0)) {
            Prompts().ShowMessage("The input data were not saved due to input errors like "
                                  "negative values or a non-sequential time series");
            return false;
        }
    }
    if (n == 0) {
        Prompts().ShowMessage("The input data were not saved");
        return false;
    }
    if (dm.NrOfData > MaxData) {
        Prompts().ShowMessage(MaxDataMessage);
        return false;
    }
    return true;
}

} // namespace

int ConvertCommand(const TArgs &args)
{
    if (ShowsHelp(args, convertUsage))
        return 0;
    if (args.size() != 3 || (args[1] != "-o" && args[1] != "--output") || args[0].empty() ||
        args[2].empty()) {
        std::cerr << convertUsage;
        return 2;
    }
    const std::string input = absolutePath(args[0]);
    std::vector<std::string> lines;
    if (!LoadInputLines(input, lines))
        return 1;
    TDMQuellow dm;
    TModelValues values;
    if (!ParseInputFile(lines, input, dm, values))
        return 1;
    throughBoxes(dm, values);
    if (!saveChecks(dm))
        return 1;
    dm.FileName = absolutePath(args[2]);
    std::string text;
    if (!InputFileText(dm, values, text)) {
        dm.ShowProgramError(CorruptNumbersText(dm.FileName));
        return 1;
    }
    if (!writeFileAtomically(dm.FileName, text)) {
        Prompts().ShowMessage(CannotOpenText(dm.FileName));
        return 1;
    }
    return 0;
}

} // namespace quellow::cli
