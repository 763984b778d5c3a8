#include "cli/CliCommands.h"
#include "model/UDMQuellow.h"
#include "model/UFileUtil.h"
#include "model/UInputFile.h"
#include "model/UPrediction.h"
#include "model/UPrompts.h"
#include "model/URainRun.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <iostream>

namespace quellow::cli {

namespace {

/// A JSON string: quotation marks, backslashes and control characters escaped.
std::string jsonString(const std::string &text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            static const char hex[] = "0123456789abcdef";
            out += "\\u00";
            out += hex[(c >> 4) & 0xf];
            out += hex[c & 0xf];
        } else {
            out += c;
        }
    }
    return out + '"';
}

/// A JSON number at full precision (the shortest text that reads back as the same double);
/// null for a value that is not finite.
std::string jsonNumber(double value)
{
    if (!std::isfinite(value))
        return "null";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

/// One line of JSON: the figures of the run that just ended.
void printJson(const std::string &path, const char *mode, bool ok)
{
    std::string json = "{\"file\": " + jsonString(path) + ", \"mode\": \"" + mode +
                       "\", \"status\": \"" + (ok ? "ok" : "failed") + "\"";
    const auto field = [&json](const char *name, double value) {
        json += std::string(", \"") + name + "\": " + jsonNumber(value);
    };
    if (std::string(mode) == "analysis") {
        const URainRun::TState &s = URainRun::State;
        field("rows", s.DataCount);
        if (ok) {
            field("r_square", s.RSquare);
            field("nse", s.Fit.NSE);
            field("kge", s.Fit.KGE);
            field("volume_error", s.Fit.VolumeError);
            field("volume_ratio", s.VolumeRatio);
            field("divide", s.Divide);
            field("max_storage", s.MaxSto);
            field("initial_storage", s.IniSto);
        }
    } else {
        field("rows", UPrediction::State.NrOfPred);
    }
    std::cout << json << "}\n";
}

/// Runs a prediction input file; the sub-mode comes from its second line.
int RunPredictionFile(const std::string &path, bool drainage, bool json)
{
    DMQuellow.FileName = path;
    DMQuellow.ModeTag = " Pre";
    DMQuellow.Analysis = false;
    DMQuellow.Drainage = drainage;
    UPrediction::RunPrediction();
    const bool ok = !UPrediction::State.PredFailed;
    if (json)
        printJson(path, drainage ? "prediction drainage" : "prediction runoff", ok);
    return ok ? 0 : 1;
}

/// Runs an analysis input file: the runoff-divide search, which writes FILE.dat and FILE.out.
int RunAnalysisFile(const std::string &path, bool json)
{
    DMQuellow.FileName = path;
    DMQuellow.ModeTag = " Ana";
    DMQuellow.Analysis = true;
    DMQuellow.Drainage = false;
    const bool ok = URainRun::DivideSearch();
    if (json)
        printJson(path, "analysis", ok);
    return ok ? 0 : 1;
}

} // namespace

int RunCommand(const TArgs &args)
{
    const char *const usage =
        "Usage: quellow-cli run FILE.inp [--json]\n"
        "Runs the input file and writes FILE.out beside it. With --json, prints the figures of\n"
        "the run as one JSON object: R square, NSE, KGE, volume error (%), the recharge/runoff\n"
        "volume ratio and the divide of an analysis.\n";
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << usage;
        return 0;
    }
    TArgs files;
    bool json = false;
    for (const std::string &arg : args)
        if (arg == "--json")
            json = true;
        else
            files.push_back(arg);
    if (files.size() != 1 || files[0].empty()) {
        std::cerr << usage;
        return 2;
    }
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(files[0], error);
    const std::string path = error ? files[0] : absolute.lexically_normal().string();

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
        return RunAnalysisFile(path, json);
    case TInputMode::PredictionRunoff:
        return RunPredictionFile(path, false, json);
    case TInputMode::PredictionDrainage:
        return RunPredictionFile(path, true, json);
    case TInputMode::Unknown:
        break;
    }
    Prompts().ShowMessage(NotAnInputFileMessage(path));
    return 1;
}

} // namespace quellow::cli
