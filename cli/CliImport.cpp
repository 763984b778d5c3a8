// quellow-cli import: a dated series in a delimited text file becomes an input file.
#include "cli/CliCommands.h"
#include "cli/CliImportText.h"
#include "import/UCsvImport.h"
#include "import/UCsvSeasons.h"
#include "import/UCsvSources.h"
#include "import/UImportPipeline.h"
#include "import/UImportedFile.h"
#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "files/UInputFile.h"
#include "files/UOutputNames.h"
#include "files/UPrompts.h"
#include "files/UTextFields.h"

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
    "         [--rain-file F[:COL]] [--escape-file F[:COL]] [--runoff-file F[:COL]]\n"
    "         [--runoff-unit mm|mm/d|mm/h|l/s|m3/s|cfs] [--area-km2 A]\n"
    "         [--season MM-DD..MM-DD [--spinup DAYS] [--replace-seasons]]\n"
    "         prediction only: [--drainage] [--alpha A1,B1,A2,B2,DIVIDE]\n"
    "         [--initial-runoff X] [--initial-level X] [--porosity X]\n"
    "Reads a dated series (comma, semicolon, tab or blank delimited; decimal point or comma;\n"
    "dates 2015-11-01, 01.11.2015 or 11/1/2015, with or without a time of day) and writes an\n"
    "input file of its longest gap-free period (or the one given). Time becomes days from the\n"
    "first row; values keep their units unless scaled (--scale runoff=0.048458). A date left\n"
    "out of a regular series is a gap; --irregular takes the steps as they are. --decimal\n"
    "decides numbers such as 1,234 that read two ways where their column does not.\n"
    "--columns also takes role=COLUMN pairs (rain=PRCP,runoff=OBS_RUN; date=YR+MNTH+DY).\n"
    "A role's file is joined on the date (daily rows by calendar date); --runoff-unit with\n"
    "--area-km2 (or the area and unit its header names) converts discharge to mm per time\n"
    "unit, as mm/d and mm/h are. --season writes NAME-YYYY.inp beside -o NAME.inp for every\n"
    "complete season without gaps, with --spinup days before each; --replace-seasons removes\n"
    "the NAME-YYYY.inp of an earlier import that this one does not write.\n";

struct TImportArgs
{
    std::string Csv, Output, Columns, Title1, Title2, Season;
    std::array<std::string, UCsvImport::RoleCount> RoleFiles;
    UCsvSources::TRunoffUnit Unit = UCsvSources::TRunoffUnit::None;
    double AreaKm2 = 0;
    bool AreaGiven = false;
    int Spinup = 0;
    bool Drainage = false;
    bool ReplaceSeasons = false;
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
    } else if (name == "--rain-file" || name == "--escape-file" || name == "--runoff-file") {
        const int role = name == "--rain-file"     ? UCsvImport::RoleRain
                         : name == "--escape-file" ? UCsvImport::RoleEscape
                                                   : UCsvImport::RoleRunoff;
        a.RoleFiles[role] = value;
    } else if (name == "--runoff-unit") {
        if (!UCsvSources::ParseRunoffUnit(value, a.Unit))
            return usageError("--runoff-unit is mm, mm/d, mm/h, l/s, m3/s or cfs.");
    } else if (name == "--area-km2") {
        a.AreaGiven = true;
        return readNumber(name, value, a.AreaKm2);
    } else if (name == "--season") {
        a.Season = value;
    } else if (name == "--spinup") {
        if (!parseInt(value, a.Spinup) || a.Spinup < 0)
            return usageError("--spinup takes a number of days, 0 or more.");
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
        } else if (arg == "--replace-seasons") {
            a.ReplaceSeasons = true;
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

/// What the input files hold besides the rows: the parameters and titles given, else the
/// program's start values.
UImportedFile::TForm fileForm(const TImportArgs &a, const UCsvSources::TFrame &frame)
{
    UImportedFile::TForm form;
    form.Analysis = a.Options.Analysis;
    form.SourceName = std::filesystem::path(a.Csv).filename().string();
    form.Unit = frame.Unit;
    TDMQuellow &dm = form.Parameters;
    dm.Title1 = a.Title1;
    dm.Title2 = a.Title2;
    dm.MaxStor = numberOr(a, "--max-storage", 50);
    dm.InitStor = numberOr(a, "--initial-storage", 50);
    dm.Drainage = !a.Options.Analysis && a.Drainage;
    if (a.Options.Analysis)
        return form;
    dm.InitRun = numberOr(a, "--initial-runoff", 0);
    dm.InitLevel = numberOr(a, "--initial-level", 0);
    dm.Porosity = numberOr(a, "--porosity", 10);
    if (a.Alpha.size() == 5)
        form.Values = {a.Alpha[0], a.Alpha[1], a.Alpha[2], a.Alpha[3], a.Alpha[4], 0};
    return form;
}

/// A file read whole, its messages as the table reader's.
bool readSource(const std::string &path, UCsvSources::TSourceText &source, std::string &error)
{
    source.Name = path;
    switch (readWholeFile(path, source.Text, UCsvImport::MaxCsvBytes)) {
    case TReadStatus::Ok:
        return true;
    case TReadStatus::CannotOpen:
        error = "The file \"" + path + "\" could not be opened.";
        break;
    case TReadStatus::TooLarge:
        error = "The file \"" + path + "\" is larger than " +
                std::to_string(UCsvImport::MaxCsvBytes >> 20) +
                " MB: too large for a series to import.";
        break;
    case TReadStatus::Binary:
        error = "The file \"" + path + "\" is not a text file.";
        break;
    }
    return false;
}

/// FILE or FILE:COLUMN (a file whose own name holds a colon is taken whole).
void splitFileColumn(const std::string &text, std::string &file, std::string &column)
{
    std::error_code ec;
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0 || std::filesystem::exists(text, ec)) {
        file = text;
        column.clear();
        return;
    }
    file = text.substr(0, colon);
    column = text.substr(colon + 1);
}

/// The series file and the roles' files read whole into request, each named in reads; false
/// with the reason in error when one cannot be read (those after it are not).
bool readSources(const TImportArgs &a, UCsvSources::TSourceRequest &request,
                 std::vector<UOutputNames::TNamedFile> &reads, std::string &error)
{
    reads = {{"series file", UOutputNames::AbsolutePath(a.Csv)}};
    bool readOk = readSource(a.Csv, request.Main, error);
    for (int role = UCsvImport::RoleRain; role < UCsvImport::RoleCount && readOk; ++role) {
        if (a.RoleFiles[role].empty())
            continue;
        std::string file, column;
        splitFileColumn(a.RoleFiles[role], file, column);
        reads.push_back(
            {std::string(UCsvImport::RoleName(role)) + " file", UOutputNames::AbsolutePath(file)});
        readOk = readSource(file, request.Files[role], error);
        request.Files[role].Column = column;
    }
    return readOk;
}

/// The sources read with the options given.
bool readSeries(const TImportArgs &a, UCsvSources::TSourceRequest &request,
                UImportPipeline::TRead &read, std::string &error)
{
    request.Columns = a.Columns;
    request.Missing = a.Options.Missing;
    request.Unit = a.Unit;
    request.AreaKm2 = a.AreaKm2;
    request.AreaGiven = a.AreaGiven;
    request.Analysis = a.Options.Analysis;
    request.GivenIn = GivenOnCommandLine;
    TImportProblem problem;
    if (UImportPipeline::Read(request, a.Options, read, problem))
        return true;
    error = ImportProblemText(problem);
    return false;
}

/// Shows the message that ends an import before anything is written; the exit status.
int stopped(const std::string &error)
{
    Prompts().ShowMessage(error + " Nothing was written.");
    return 1;
}

void showAll(const std::vector<std::string> &lines)
{
    for (const std::string &line : lines)
        Prompts().ShowMessage(line);
}

/// One input file of the period asked (else the longest without gaps).
int importPeriod(const TImportArgs &a, const UImportPipeline::TRead &read,
                 const std::string &output)
{
    UCsvImport::TImportResult result;
    std::vector<std::string> report;
    std::string error;
    if (!UImportPipeline::TakePeriod(read, result, report, error)) {
        showAll(report);
        return stopped("In " + a.Csv + ": " + error);
    }
    showAll(report);
    std::string text;
    if (!UImportedFile::FileText(fileForm(a, read.Frame), result, {}, output, text) ||
        !writeFileAtomically(output, text))
        return stopped(CannotOpenText(output));
    Prompts().ShowMessage("Wrote " + output + " (" + std::to_string(result.Time.size()) +
                          " rows).");
    return 0;
}

/// One input file per complete season without gaps, named after output.
int importSeasons(const TImportArgs &a, const UImportPipeline::TRead &read,
                  const UCsvSeasons::TSeasonBounds &bounds, const std::string &output,
                  const std::vector<UOutputNames::TNamedFile> &reads)
{
    UCsvSeasons::TSeasons seasons;
    std::string error;
    if (!UImportPipeline::TakeSeasons(read, bounds, a.Spinup, seasons, error)) {
        showAll(read.Frame.Notes);
        return stopped("In " + a.Csv + ": " + error);
    }
    showAll(UImportPipeline::SeasonsReport(read, seasons, SpinupNote(seasons)));
    const UImportPipeline::TSeasonWrite write{fileForm(a, read.Frame), output, reads,
                                              a.ReplaceSeasons};
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<std::string> report;
    TImportProblem problem;
    if (!UImportPipeline::WriteSeasons(write, seasons, a.Season, files, report, problem)) {
        if (problem.Kind == TImportProblem::TKind::OtherSeasonFiles)
            problem.File = a.Output;
        return stopped(ImportProblemText(problem));
    }
    showAll(report);
    if (files.empty()) {
        Prompts().ShowMessage("No season is complete and without gaps: nothing was written.");
        return 1;
    }
    return 0;
}

} // namespace

int ImportCommand(const TArgs &args)
{
    if (ShowsHelp(args, importUsage))
        return 0;
    TImportArgs a;
    if (!parseArgs(args, a))
        return 2;
    UCsvSeasons::TSeasonBounds bounds;
    std::string error;
    if (!a.Season.empty() && !UCsvSeasons::ParseSeason(a.Season, bounds, error))
        return stopped(error);
    if (a.Spinup > 0 && a.Season.empty()) {
        usageError("--spinup goes with --season.");
        return 2;
    }
    UCsvSources::TSourceRequest request;
    std::vector<UOutputNames::TNamedFile> reads;
    const bool readOk = readSources(a, request, reads, error);
    const std::string output = UOutputNames::AbsolutePath(a.Output);
    if (a.Season.empty()) {
        const std::string collision = UOutputNames::Collision(reads, {{"input file", output}});
        if (!collision.empty()) {
            Prompts().ShowMessage(collision);
            return 1;
        }
    }
    UImportPipeline::TRead read;
    if (!readOk || !readSeries(a, request, read, error))
        return stopped(error);
    if (a.Season.empty())
        return importPeriod(a, read, output);
    return importSeasons(a, read, bounds, output, reads);
}

} // namespace quellow::cli
