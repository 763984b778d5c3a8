#include "files/UInputFile.h"

#include "files/UFileUtil.h"
#include "files/UInputLayout.h"
#include "files/UPrompts.h"
#include "files/UTextFields.h"

#include <cmath>
#include <cstdio>

namespace quellow {

namespace {

namespace L = UInputLayout;

const char *const EscapeWarningAnalysis = "Please check the escape rates";
const char *const EscapeWarningPrediction = "Please check the ecape rates";
const char *const NegativeEscapeWarning =
    "There are negative evaporation values, i.e. there is another source of water. This "
    "program cannot handle that. Use QuellowT instead, unless the prediction mode will be used.";
const char *const OutdatedWarning = "This is an outdated input file. Please make the necessary "
                                    "adjustments for the Alpha characteristics.";

// ---- Writing -------------------------------------------------------------------------------

/// A label of the layout and the field after it, as one line.
void appendLabelled(std::string &text, std::string_view label, const std::string &field)
{
    text += label;
    appendLine(text, field);
}

std::string serialField(int serial)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%5d", serial);
    return buffer;
}

/// A title or path with a line break would shift every later line of the file.
std::string oneLine(std::string text)
{
    for (char &c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

bool allFinite(std::initializer_list<double> values)
{
    for (double v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

/// Lines 1 to 10, the same in both modes.
void writeHead(const TDMQuellow &dm, std::string &text)
{
    appendLine(text, L::FirstLineText);
    appendLine(text, ModeLine(dm));
    appendLine(text, "");
    appendLine(text, oneLine(dm.Title1));
    appendLine(text, oneLine(dm.Title2));
    appendLine(text, "");
    appendLabelled(text, L::FileNameText, oneLine(dm.FileName));
    appendLabelled(text, L::MaxStorText, inputChoice(dm.MaxStor, 8));
    appendLabelled(text, L::InitStorText, inputChoice(dm.InitStor, 8));
    appendLabelled(text, L::MaxEscapeText, inputChoice(dm.MaxEscape, 8));
}

/// The alpha function, the porosity in percent and the initial state: lines 11 to 19.
void writePredictionParameters(const TDMQuellow &dm, const TModelValues &values, std::string &text)
{
    const double percent = dm.Porosity >= 1 ? dm.Porosity : dm.Porosity * 100;
    appendLine(text, L::FunctionText);
    appendLabelled(text, L::A1Text, e5(values.A1));
    appendLabelled(text, L::B1Text, e5(values.B1));
    appendLabelled(text, L::A2Text, e5(values.A2));
    appendLabelled(text, L::B2Text, e5(values.B2));
    appendLabelled(text, L::PorosityText, fixed(percent, 7, 2));
    appendLabelled(text, L::InitRunText, inputChoice(dm.InitRun, 8));
    appendLabelled(text, L::InitLevelText, inputChoice(dm.InitLevel, 8));
    appendLabelled(text, L::DivideText, fixed(values.Divide, 8, 2));
}

/// The empty line, the hyphens, the column header and the hyphens over the rows.
void writeRowHead(std::string &text, std::string_view hyphens, std::string_view header)
{
    appendLine(text, "");
    appendLine(text, hyphens);
    appendLine(text, header);
    appendLine(text, hyphens);
}

/// The rows not flagged in Remove, numbered from 1. False when a row cannot be written.
bool writeRows(const TDMQuellow &dm, std::string &text)
{
    const auto rows = static_cast<std::size_t>(dm.NrOfData > 0 ? dm.NrOfData : 0);
    if (dm.Time.size() < rows || dm.Rain.size() < rows || dm.Escape.size() < rows ||
        (dm.Analysis && dm.Runoff.size() < rows))
        return false;
    int serial = 0;
    for (std::size_t i = 0; i < rows; ++i) {
        if (i < dm.Remove.size() && dm.Remove[i])
            continue;
        if (!allFinite({dm.Time[i], dm.Rain[i], dm.Escape[i]}) ||
            (dm.Analysis && !std::isfinite(dm.Runoff[i])))
            return false;
        std::string row = serialField(++serial);
        row += ' ' + inputChoice(dm.Time[i], 12);
        row += ' ' + inputChoice(dm.Rain[i], 10);
        row += ' ' + inputChoice(dm.Escape[i], 10);
        if (dm.Analysis)
            row += ' ' + inputChoice(dm.Runoff[i], 10);
        appendLine(text, row);
    }
    return true;
}

// ---- Reading -------------------------------------------------------------------------------

/// The number at the end of a data row was converted with the locale's separator; a full stop
/// is taken as well, so files read back under any locale.
bool parseRowEnd(std::string_view text, double &value)
{
    return DecimalSeparator == ',' ? parseRealAnySeparator(text, value) : parseReal(text, value);
}

/// Line 2: the mode. False, with the message shown, for a file of neither mode.
bool parseMode(const std::vector<std::string> &lines, const std::string &fileName, TDMQuellow &dm)
{
    const std::string &line = L::lineAt(lines, L::ModeLine);
    const TInputMode mode = ModeOfLine(line);
    if (mode == TInputMode::Unknown) {
        Prompts().ShowMessage(NotAnInputFileMessage(fileName));
        return false;
    }
    dm.ModeTag = line.substr(0, 4);
    dm.Analysis = mode == TInputMode::Analysis;
    dm.Drainage = mode == TInputMode::PredictionDrainage;
    return true;
}

/// The titles and the three dead-storage parameters. False for a corrupt number.
bool parseHead(const std::vector<std::string> &lines, TDMQuellow &dm)
{
    dm.Title1 = L::lineAt(lines, L::Title1Line);
    dm.Title2 = L::lineAt(lines, L::Title2Line);
    return L::labelledReal(lines, L::MaxStorLine, L::StorageLabel, dm.MaxStor) &&
           L::labelledReal(lines, L::InitStorLine, L::StorageLabel, dm.InitStor) &&
           L::labelledReal(lines, L::MaxEscapeLine, L::StorageLabel, dm.MaxEscape);
}

/// The older prediction layout, found when no A2 could be read: A2 becomes 0, B2 and the
/// runoff division keep their values.
bool parseOutdatedParameters(const std::vector<std::string> &lines, TDMQuellow &dm,
                             TModelValues &values, std::size_t &first)
{
    values.A2 = 0;
    Prompts().ShowMessage(OutdatedWarning);
    first = L::OutdatedFirstRow;
    return L::labelledReal(lines, L::OutdatedPorosityLine, L::AlphaLabel + L::OutdatedPorositySkip,
                           dm.Porosity) &&
           L::labelledReal(lines, L::OutdatedInitRunLine, L::StorageLabel, dm.InitRun) &&
           L::labelledReal(lines, L::OutdatedInitLevelLine, L::StorageLabel, dm.InitLevel);
}

/// The alpha function, the porosity (in percent, as read) and the initial state of a
/// prediction; first gets the index of the first row. False for a corrupt number.
bool parsePredictionParameters(const std::vector<std::string> &lines, TDMQuellow &dm,
                               TModelValues &values, std::size_t &first)
{
    if (!L::labelledReal(lines, L::A1Line, L::AlphaLabel, values.A1) ||
        !L::labelledReal(lines, L::B1Line, L::AlphaLabel, values.B1))
        return false;
    if (!L::labelledReal(lines, L::A2Line, L::AlphaLabel, values.A2))
        return parseOutdatedParameters(lines, dm, values, first);
    first = L::PredictionFirstRow;
    return L::labelledReal(lines, L::B2Line, L::AlphaLabel, values.B2) &&
           L::labelledReal(lines, L::PorosityLine, L::PorosityLabel, dm.Porosity) &&
           L::labelledReal(lines, L::InitRunLine, L::StorageLabel, dm.InitRun) &&
           L::labelledReal(lines, L::InitLevelLine, L::StorageLabel, dm.InitLevel) &&
           L::labelledReal(lines, L::DivideLine, L::StorageLabel, values.Divide);
}

/// Reads one row into slot k. Its last value is the text after the numbers, converted with the
/// locale's separator: the runoff of an analysis row, the escape rate of a prediction row.
/// Without it the escape rate is MaxEscape (an analysis row of four numbers ends in its
/// runoff) and missing is set. False for a corrupt number.
bool parseRow(const std::string &line, std::size_t k, TDMQuellow &dm, bool &missing)
{
    TLineScanner row(line);
    int serial = 0;
    double time = 0, rain = 0, escape = 0, last = 0;
    if (!row.readInt(serial) || !row.readReal(time) || !row.readReal(rain))
        return false;
    dm.Serial[k] = serial;
    dm.Time[k] = time;
    dm.Rain[k] = rain;
    if (dm.Analysis && !row.readReal(escape))
        return false;
    const std::string_view rest = row.restTrimmed();
    missing = rest.empty();
    if (!missing && !parseRowEnd(rest, last))
        return false;
    if (dm.Analysis) {
        dm.Runoff[k] = missing ? escape : last;
        dm.Escape[k] = missing ? dm.MaxEscape : escape;
    } else {
        dm.Escape[k] = missing ? dm.MaxEscape : last;
    }
    return true;
}

/// The rows from index first to the last line with text; count gets how many were read. A
/// missing escape rate is reported once. False for a corrupt number.
bool parseRows(const std::vector<std::string> &lines, std::size_t first, TDMQuellow &dm,
               std::size_t &count)
{
    bool escapeWarned = false;
    const std::size_t end = L::endOfRows(lines, first);
    for (count = 0; first + count < end; ++count) {
        dm.ResizeRows(count + 1);
        dm.Remove[count] = false;
        bool missing = false;
        if (!parseRow(lines[first + count], count, dm, missing))
            return false;
        if (missing && !escapeWarned) {
            escapeWarned = true;
            Prompts().ShowMessage(dm.Analysis ? EscapeWarningAnalysis : EscapeWarningPrediction);
        }
        dm.NrOfData = static_cast<std::int32_t>(count + 1);
    }
    return true;
}

void warnNegativeEscape(const TDMQuellow &dm, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        if (dm.Escape[i] < 0) {
            Prompts().ShowMessage(NegativeEscapeWarning);
            return;
        }
}

/// The number a field written by the file's writer reads back as.
double readBack(const std::string &field)
{
    double value = 0;
    return parseReal(trim(field), value) ? value : 0;
}

} // namespace

TModelValues AlphaAsWritten(const TModelValues &values)
{
    TModelValues written = values;
    written.A1 = readBack(e5(values.A1));
    written.B1 = readBack(e5(values.B1));
    written.A2 = readBack(e5(values.A2));
    written.B2 = readBack(e5(values.B2));
    written.Divide = readBack(fixed(values.Divide, 8, 2));
    return written;
}

double ParameterAsWritten(double value)
{
    return readBack(inputChoice(value, 8));
}

double RowValueAsWritten(double value)
{
    return readBack(inputChoice(value, 10));
}

std::string CannotOpenText(const std::string &path)
{
    return "The file \"" + path + "\"could not be opened. It may be " +
           "damaged or in use by another program.";
}

std::string CorruptNumbersText(const std::string &path)
{
    return "Real numbers in the inputfile \"" + path + "\" are corrupt";
}

std::string OutdatedLayoutText()
{
    return OutdatedWarning;
}

bool IsOutdatedPredictionLayout(const std::vector<std::string> &lines)
{
    // In the current layout the line of the older one's empty line holds the initial runoff.
    double value = 0;
    const TInputMode mode = ModeOfLine(L::lineAt(lines, L::ModeLine));
    return lines.size() > L::OutdatedEmptyLine && mode != TInputMode::Analysis &&
           mode != TInputMode::Unknown &&
           !L::labelledReal(lines, L::A2Line, L::AlphaLabel, value) &&
           L::labelledReal(lines, L::OutdatedPorosityLine, L::AlphaLabel + L::OutdatedPorositySkip,
                           value) &&
           trim(lines[L::OutdatedEmptyLine]).empty();
}

std::string NotAnInputFileMessage(const std::string &path)
{
    return "The file \"" + path +
           "\" is not a Quellow input file: its second line begins with neither \" Analysis\" "
           "nor \" Prediction\".";
}

std::string ModeLine(const TDMQuellow &dm)
{
    if (dm.ModeTag == " Ana")
        return std::string(L::AnalysisModeText);
    return std::string(dm.Drainage ? L::DrainageModeText : L::RunoffModeText);
}

TInputMode ModeOfLine(const std::string &line2)
{
    const std::string tag = line2.substr(0, 4);
    if (tag == " Ana")
        return TInputMode::Analysis;
    if (tag != " Pre")
        return TInputMode::Unknown;
    return line2.size() >= 15 && line2.compare(12, 3, "dra") == 0 ? TInputMode::PredictionDrainage
                                                                  : TInputMode::PredictionRunoff;
}

bool InputFileText(const TDMQuellow &dm, const TModelValues &values, std::string &text)
{
    text.clear();
    writeHead(dm, text);
    if (dm.Analysis) {
        writeRowHead(text, L::AnalysisHyphens, L::AnalysisHeader);
    } else {
        writePredictionParameters(dm, values, text);
        writeRowHead(text, L::PredictionHyphens, L::PredictionHeader);
    }
    if (!writeRows(dm, text))
        return false;
    if (!dm.Analysis && !allFinite({values.A1, values.B1, values.A2, values.B2, values.Divide,
                                    dm.Porosity, dm.InitRun, dm.InitLevel}))
        return false;
    return allFinite({dm.MaxStor, dm.InitStor, dm.MaxEscape});
}

bool LoadInputLines(const std::string &path, std::vector<std::string> &lines)
{
    return LoadInputLines(path, lines, &Prompts());
}

bool LoadInputLines(const std::string &path, std::vector<std::string> &lines, TPrompts *prompts)
{
    const auto refuse = [prompts](const std::string &text) {
        if (prompts)
            prompts->ShowMessage(text);
        return false;
    };
    switch (readTextFile(path, lines)) {
    case TReadStatus::Ok:
        return true;
    case TReadStatus::CannotOpen:
        return refuse(CannotOpenText(path));
    case TReadStatus::TooLarge:
        return refuse("The file \"" + path +
                      "\" is too large for an input file (more than 8 MB). It may be "
                      "damaged or not an input file.");
    case TReadStatus::Binary:
        return refuse("The file \"" + path +
                      "\" is not a text file. It may be damaged or not an input file.");
    }
    return false;
}

bool ParseInputFile(const std::vector<std::string> &lines, const std::string &fileName,
                    TDMQuellow &dm, TModelValues &values)
{
    if (!parseMode(lines, fileName, dm))
        return false;
    std::size_t first = L::AnalysisFirstRow;
    std::size_t count = 0;
    if (!parseHead(lines, dm) ||
        (!dm.Analysis && !parsePredictionParameters(lines, dm, values, first)) ||
        !parseRows(lines, first, dm, count)) {
        dm.ShowProgramError(CorruptNumbersText(fileName));
        return false;
    }
    if (dm.Analysis)
        warnNegativeEscape(dm, count);
    return true;
}

bool TDMQuellow::WriteInputFile()
{
    std::string text;
    if (!InputFileText(*this, ModelValues, text)) {
        ShowProgramError(CorruptNumbersText(FileName));
        return false;
    }
    if (!writeFileAtomically(FileName, text)) {
        Prompts().ShowMessage(CannotOpenText(FileName));
        return false;
    }
    return true;
}

bool TDMQuellow::ReadInputFile()
{
    std::vector<std::string> lines;
    if (!LoadInputLines(FileName, lines))
        return false;
    TDMQuellow copy = *this;
    TModelValues values = ModelValues;
    if (!ParseInputFile(lines, FileName, copy, values))
        return false;
    *this = std::move(copy);
    ModelValues = values;
    return true;
}

} // namespace quellow
