// quellow-cli convert: an input file of any layout the window opens, written again in the
// current layout, as opening it in the window and pressing Save / Run writes it.
#include "cli/CliCommands.h"
#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "files/UInputChecks.h"
#include "files/UInputFile.h"
#include "files/UOutputNames.h"
#include "files/UPrompts.h"

#include <iostream>

namespace quellow::cli {

namespace {

const char *const convertUsage =
    "Usage: quellow-cli convert IN.inp -o OUT.inp\n"
    "Reads an input file (either mode, the older prediction layout, rows without an escape\n"
    "rate) and writes it in the current layout, as Open input and Save / Run in the window do.\n";

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
    const std::string input = UOutputNames::AbsolutePath(args[0]);
    const std::string output = UOutputNames::AbsolutePath(args[2]);
    const std::string collision =
        UOutputNames::Collision({{"input file", input}}, {{"converted file", output}});
    if (!collision.empty()) {
        Prompts().ShowMessage(collision);
        return 1;
    }
    std::vector<std::string> lines;
    if (!LoadInputLines(input, lines))
        return 1;
    TDMQuellow dm;
    TModelValues values;
    if (!ParseInputFile(lines, input, dm, values))
        return 1;
    throughBoxes(dm, values);
    // What Save / Run refuses, convert refuses with the same message.
    if (const std::string failure = UInputChecks::SaveFailure(dm, values); !failure.empty()) {
        Prompts().ShowMessage(failure);
        return 1;
    }
    dm.FileName = output;
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
