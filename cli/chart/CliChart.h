#pragma once

#include "cli/CliCommands.h"

namespace quellow::cli {

/// What a Qt application of the chart program is made with.
struct TQtArgs
{
    int &Argc;
    char **Argv;
};

/// Readies Qt for the chart program: the offscreen platform unless one is chosen, and only
/// Qt's serious errors on standard error (its notes would mix with the program's messages).
/// Returns the arguments to make the application with.
TQtArgs PrepareQt();

/// quellow-cli-chart FILE.out --kind N -o IMAGE: draws the chart (quellow-cli chart hands its
/// arguments on to this program).
int DrawChartCommand(const TArgs &args);

/// quellow-cli-chart --validation-pictures DIR: draws the pictures of a validation, whose data
/// (UValidationFiles::PictureData) come on standard input, as PNG files into DIR (quellow-cli
/// validate -o runs it).
int DrawValidationPictures(const TArgs &args);

} // namespace quellow::cli
