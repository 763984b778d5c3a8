#include "cli/CliCommands.h"
#include "model/UDMQuellow.h"
#include "model/UFileUtil.h"
#include "model/UInputFile.h"
#include "model/UPrediction.h"
#include "model/UPrompts.h"
#include "model/URainRun.h"

#include <filesystem>
#include <iostream>

namespace quellow::cli {

namespace {

/// Runs a prediction input file; the sub-mode comes from its second line.
int RunPredictionFile(const std::string &path, bool drainage)
{
    DMQuellow.FileName = path;
    DMQuellow.ModeTag = " Pre";
    DMQuellow.Analysis = false;
    DMQuellow.Drainage = drainage;
    UPrediction::RunPrediction();
    return UPrediction::State.PredFailed ? 1 : 0;
}

/// Runs an analysis input file: the runoff-divide search, which writes FILE.dat and FILE.out.
int RunAnalysisFile(const std::string &path)
{
    DMQuellow.FileName = path;
    DMQuellow.ModeTag = " Ana";
    DMQuellow.Analysis = true;
    DMQuellow.Drainage = false;
    return URainRun::DivideSearch() ? 0 : 1;
}

} // namespace

int RunCommand(const TArgs &args)
{
    const char *const usage = "Usage: quellow-cli run FILE.inp\n"
                              "Runs the input file and writes FILE.out beside it.\n";
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << usage;
        return 0;
    }
    if (args.size() != 1 || args[0].empty()) {
        std::cerr << usage;
        return 2;
    }
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(args[0], error);
    const std::string path = error ? args[0] : absolute.lexically_normal().string();

    // The second line names the mode; the run itself reads the file again by line position.
    std::vector<std::string> lines;
    if (!LoadInputLines(path, lines))
        return 1;
    // The run reads the current layout only; an older prediction file is brought up to date by
    // opening it in the program and saving it again.
    if (IsOutdatedPredictionLayout(lines)) {
        Prompts().ShowMessage(OutdatedLayoutText());
        Prompts().ShowMessage("The file \"" + path +
                              "\" was not run: open it in Quellow, complete the alpha function "
                              "and save it to run it.");
        return 1;
    }
    switch (ModeOfLine(lines.size() > 1 ? lines[1] : std::string())) {
    case TInputMode::Analysis:
        return RunAnalysisFile(path);
    case TInputMode::PredictionRunoff:
        return RunPredictionFile(path, false);
    case TInputMode::PredictionDrainage:
        return RunPredictionFile(path, true);
    case TInputMode::Unknown:
        break;
    }
    Prompts().ShowMessage(NotAnInputFileMessage(path));
    return 1;
}

} // namespace quellow::cli
