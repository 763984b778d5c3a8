// quellow-cli import: a dated series in a delimited text file becomes an input file.
#include "cli/CliCommands.h"
#include "model/UCsvImport.h"
#include "model/UDMQuellow.h"
#include "model/UFileUtil.h"
#include "model/UOutputNames.h"
#include "model/UInputFile.h"
#include "model/UPrompts.h"
#include "model/UTextFields.h"

#include <filesystem>
#include <iostream>
#include <map>

namespace quellow::cli {

namespace {

const char *const importUsage =
    "Usage: quellow-cli import FILE.csv --mode analysis|prediction -o OUT.inp\n"
    "         [--columns date,rain,escape,runoff] [--from DATE] [--to DATE]\n"
    "         [--title1 T] [--title2 T] [--max-storage X] [--initial-storage X]\n"
    "         [--scale COLUMN=FACTOR]... [--missing M] [--date-order dmy|mdy|ymd]\n"
    "         [--decimal comma|point] [--irregular]\n"
    "         prediction only: [--drainage] [--alpha A1,B1,A2,B2,DIVIDE]\n"
    "         [--initial-runoff X] [--initial-level X] [--porosity X]\n"
    "Reads a dated series (comma, semicolon, tab or blank delimited; decimal point or comma;\n"
    "dates 2015-11-01, 01.11.2015 or 11/1/2015, with or without a time of day) and writes an\n"
    "input file of its longest gap-free period (or the one given). Time becomes days from the\n"
    "first row; values keep their units unless scaled (--scale runoff=0.048458). A date left\n"
    "out of a regular series is a gap; --irregular takes the steps as they are. --decimal\n"
    "decides numbers such as 1,234 that read two ways where their column does not.\n";

struct TImportArgs
{
    std::string Csv, Output, Columns, Title1, Title2;
    bool Drainage = false;
    UCsvImport::TImportOptions Options;
    std::map<std::string, double> Numbers; ///< storage, initial and alpha values given
    std::vector<double> Alpha;
};

bool usageError(const std::string &text)
{
    std::cerr << text << '\n' << importUsage;
    return false;
}

bool readNumber(const std::string &option, const std::string &text, double &value)
{
    if (parseRealAnySeparator(text, value))
        return true;
    return usageError(option + ": \"" + text + "\" is not a number.");
}

bool readScale(const std::string &text, UCsvImport::TImportOptions &options)
{
    const std::size_t eq = text.find('=');
    double factor = 0;
    if (eq == std::string::npos || !readNumber("--scale", text.substr(eq + 1), factor))
        return usageError("--scale takes COLUMN=FACTOR, for instance runoff=0.048458.");
    for (int role = UCsvImport::RoleRain; role < UCsvImport::RoleCount; ++role)
        if (text.compare(0, eq, UCsvImport::RoleName(role)) == 0) {
            options.Scale[role] = factor;
            return true;
        }
    return usageError("--scale: the column is rain, escape or runoff.");
}

bool readAlpha(const std::string &text, std::vector<double> &alpha)
{
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        double value = 0;
        if (!readNumber("--alpha", text.substr(start, end - start), value))
            return false;
        alpha.push_back(value);
        start = end + 1;
    }
    return alpha.size() == 5 || usageError("--alpha takes five numbers: A1,B1,A2,B2,DIVIDE.");
}

/// One option with its value; false on an unknown option or a bad value.
bool takeOption(const std::string &name, const std::string &value, TImportArgs &a)
{
    auto &o = a.Options;
    if (name == "--mode") {
        if (value != "analysis" && value != "prediction")
            return usageError("--mode is analysis or prediction.");
        o.Analysis = value == "analysis";
    } else if (name == "-o" || name == "--output") {
        a.Output = value;
    } else if (name == "--columns") {
        a.Columns = value;
    } else if (name == "--from" || name == "--to") {
        (name == "--from" ? o.From : o.To) = value;
    } else if (name == "--title1" || name == "--title2") {
        (name == "--title1" ? a.Title1 : a.Title2) = value;
    } else if (name == "--missing") {
        o.Missing = value;
    } else if (name == "--date-order") {
        if (!UCsvImport::ParseDateOrder(value, o.Order))
            return usageError("--date-order is dmy, mdy or ymd.");
    } else if (name == "--decimal") {
        if (value != "comma" && value != "point")
            return usageError("--decimal is comma or point.");
        o.Decimal =
            value == "comma" ? UCsvImport::TDecimalMark::Comma : UCsvImport::TDecimalMark::Point;
    } else if (name == "--scale") {
        return readScale(value, o);
    } else if (name == "--alpha") {
        return readAlpha(value, a.Alpha);
    } else if (name == "--max-storage" || name == "--initial-storage" ||
               name == "--initial-runoff" || name == "--initial-level" || name == "--porosity") {
        return readNumber(name, value, a.Numbers[name]);
    } else {
        return usageError("Unknown option " + name + ".");
    }
    return true;
}

bool parseArgs(const TArgs &args, TImportArgs &a)
{
    bool modeGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--drainage") {
            a.Drainage = true;
        } else if (arg == "--irregular") {
            a.Options.Irregular = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            if (i + 1 >= args.size())
                return usageError(arg + " needs a value.");
            modeGiven = modeGiven || arg == "--mode";
            if (!takeOption(arg, args[++i], a))
                return false;
        } else if (a.Csv.empty()) {
            a.Csv = arg;
        } else {
            return usageError("One file at a time: " + arg + "?");
        }
    }
    if (a.Csv.empty() || a.Output.empty() || !modeGiven)
        return usageError("The file, --mode and -o are needed.");
    return true;
}

double numberOr(const TImportArgs &a, const char *name, double otherwise)
{
    const auto found = a.Numbers.find(name);
    return found == a.Numbers.end() ? otherwise : found->second;
}

/// The parameters of the input file: given ones, else the program's start values.
void setParameters(const TImportArgs &a, const UCsvImport::TImportResult &result, TDMQuellow &dm,
                   TModelValues &values)
{
    const std::string name = std::filesystem::path(a.Csv).filename().string();
    dm.Title1 = a.Title1.empty() ? name : a.Title1;
    dm.Title2 = a.Title2.empty() ? UCsvImport::ImportedTitle2(name, result) : a.Title2;
    dm.MaxStor = numberOr(a, "--max-storage", 50);
    dm.InitStor = numberOr(a, "--initial-storage", 50);
    dm.Drainage = !a.Options.Analysis && a.Drainage;
    if (a.Options.Analysis)
        return;
    dm.InitRun = numberOr(a, "--initial-runoff", 0);
    dm.InitLevel = numberOr(a, "--initial-level", 0);
    dm.Porosity = numberOr(a, "--porosity", 10);
    if (a.Alpha.size() == 5)
        values = {a.Alpha[0], a.Alpha[1], a.Alpha[2], a.Alpha[3], a.Alpha[4], 0};
}

} // namespace

int ImportCommand(const TArgs &args)
{
    if (ShowsHelp(args, importUsage))
        return 0;
    TImportArgs a;
    if (!parseArgs(args, a))
        return 2;
    const std::string collision =
        UOutputNames::Collision({{"series file", UOutputNames::AbsolutePath(a.Csv)}},
                                {{"input file", UOutputNames::AbsolutePath(a.Output)}});
    if (!collision.empty()) {
        Prompts().ShowMessage(collision);
        return 1;
    }
    UCsvImport::TCsvTable table;
    UCsvImport::TImportResult result;
    std::string error;
    if (!UCsvImport::ReadCsvFile(a.Csv, table, error, a.Options.Missing) ||
        (!a.Columns.empty() && !UCsvImport::ParseColumnList(a.Columns, table, a.Options.Analysis,
                                                            a.Options.Columns, error)) ||
        !UCsvImport::ImportSeries(table, a.Options, result, error)) {
        Prompts().ShowMessage(error + " Nothing was written.");
        return 1;
    }
    for (const std::string &note : result.Notes)
        Prompts().ShowMessage(note);

    TDMQuellow dm;
    TModelValues values;
    dm.Analysis = a.Options.Analysis;
    dm.ModeTag = dm.Analysis ? " Ana" : " Pre";
    dm.SetSeries(result.Time, result.Rain, result.Escape, result.Runoff);
    dm.MaxEscape = result.MaxEscape;
    setParameters(a, result, dm, values);
    dm.FileName = UOutputNames::AbsolutePath(a.Output);
    std::string text;
    if (!InputFileText(dm, values, text) || !writeFileAtomically(dm.FileName, text)) {
        Prompts().ShowMessage(CannotOpenText(dm.FileName) + " Nothing was written.");
        return 1;
    }
    Prompts().ShowMessage("Wrote " + dm.FileName + " (" + std::to_string(dm.NrOfData) + " rows).");
    return 0;
}

} // namespace quellow::cli
