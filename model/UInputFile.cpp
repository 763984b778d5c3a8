#include "model/UInputFile.h"

#include "model/UFileUtil.h"
#include "model/UPrompts.h"
#include "model/UTextFields.h"

#include <cmath>
#include <cstdio>

namespace quellow {

namespace {

const char *const Crlf = "\r\n";

const char *const AnalysisModeLine = " Analysis and reconstruction";
const char *const AnalysisHyphens = " -------------------------------------------------";
const char *const AnalysisHeader = "  Serial    T i m e   R a i n    Esc. rate Run-off";
const char *const PredictionHyphens = " ------------------------------------------";
const char *const PredictionHeader = " Serial    T i m e   Rainfall   Escape rate";

const char *const EscapeWarningAnalysis = "Please check the escape rates";
const char *const EscapeWarningPrediction = "Please check the ecape rates";
const char *const NegativeEscapeWarning =
    "There are negative evaporation values, i.e. there is another source of water. This "
    "program cannot handle that. Use QuellowT instead, unless the prediction mode will be used.";
const char *const OutdatedWarning = "This is an outdated input file. Please make the necessary "
                                    "adjustments for the Alpha characteristics.";

/// Label widths of the parameter lines.
constexpr std::size_t StorageLabel = 23;
constexpr std::size_t AlphaLabel = 18;
constexpr std::size_t PorosityLabel = 26;
/// In the older layout the porosity line stands where A2 is looked for: after the 18 characters
/// of the failed try, 8 more reach the number.
constexpr std::size_t OutdatedPorositySkip = 8;

std::string SerialField(int serial)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%5d", serial);
    return buffer;
}

/// A title or path with a line break would shift every later line of the file.
std::string OneLine(std::string text)
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

/// The number at the end of a data row was converted with the locale's separator; a full stop
/// is taken as well, so files read back under any locale.
bool ParseRowEnd(std::string_view text, double &value)
{
    return DecimalSeparator == ',' ? parseRealAnySeparator(text, value) : parseReal(text, value);
}

/// Reads one line after a label of `skip` characters: the number, as a blank-delimited token.
bool LabelledReal(const std::vector<std::string> &lines, std::size_t index, std::size_t skip,
                  double &value)
{
    if (index >= lines.size())
        return false;
    TLineScanner line(lines[index]);
    line.skipChars(skip);
    return line.readReal(value);
}

/// Index one past the last line that holds anything but blanks: empty lines at the end of a
/// file edited by hand are no rows.
std::size_t EndOfRows(const std::vector<std::string> &lines, std::size_t first)
{
    std::size_t end = lines.size();
    while (end > first && trim(lines[end - 1]).empty())
        --end;
    return end;
}

void GrowRows(TDMQuellow &dm, std::size_t k)
{
    dm.ResizeRows(k);
    dm.Remove[k - 1] = false;
}

} // namespace

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
    // Lines 14 to 17 of the older layout: porosity, initial runoff, initial level, empty line;
    // in the current layout line 17 holds the initial runoff.
    constexpr std::size_t a2Line = 13;
    constexpr std::size_t emptyLine = 16;
    double value = 0;
    return lines.size() > emptyLine && ModeOfLine(lines[1]) != TInputMode::Analysis &&
           ModeOfLine(lines[1]) != TInputMode::Unknown &&
           !LabelledReal(lines, a2Line, AlphaLabel, value) &&
           LabelledReal(lines, a2Line, AlphaLabel + OutdatedPorositySkip, value) &&
           trim(lines[emptyLine]).empty();
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
        return AnalysisModeLine;
    return dm.Drainage ? " Prediction drainage" : " Prediction runoff";
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
    const auto line = [&text](const std::string &s) {
        text += s;
        text += Crlf;
    };
    line(" Input data for Quellow program");
    line(ModeLine(dm));
    line("");
    line(OneLine(dm.Title1));
    line(OneLine(dm.Title2));
    line("");
    line(" Filename: " + OneLine(dm.FileName));
    line(" Maximum dead storage: " + choice(dm.MaxStor, 8, 2));
    line(" Initial dead storage: " + choice(dm.InitStor, 8, 2));
    line(" Max.escape/time unit: " + choice(dm.MaxEscape, 8, 2));
    if (dm.Analysis) {
        line("");
        line(AnalysisHyphens);
        line(AnalysisHeader);
        line(AnalysisHyphens);
    } else {
        const double percent = dm.Porosity >= 1 ? dm.Porosity : dm.Porosity * 100;
        line(" Linear reservoir function : Alpha = A * Runoff + B");
        line(" A1 coefficient : " + e5(values.A1));
        line(" Value of B1 is : " + e5(values.B1));
        line(" A2 coefficient : " + e5(values.A2));
        line(" Value of B2 is : " + e5(values.B2));
        line(" Effective porosity (%) : " + fixed(percent, 7, 2));
        line(" Initial runoff rate : " + choice(dm.InitRun, 8, 2));
        line(" Initial water level : " + choice(dm.InitLevel, 8, 2));
        line(" Runoff division     : " + fixed(values.Divide, 8, 2));
        line("");
        line(PredictionHyphens);
        line(PredictionHeader);
        line(PredictionHyphens);
    }

    const auto rows = static_cast<std::size_t>(dm.NrOfData > 0 ? dm.NrOfData : 0);
    if (dm.Time.size() < rows || dm.Rain.size() < rows || dm.Escape.size() < rows ||
        (dm.Analysis && dm.Runoff.size() < rows))
        return false;
    int serial = 0;
    for (std::size_t i = 0; i < rows; ++i) {
        if (i < dm.Remove.size() && dm.Remove[i])
            continue;
        ++serial;
        std::string row = SerialField(serial);
        row += ' ' + choice(dm.Time[i], 12, 2);
        row += ' ' + choice(dm.Rain[i], 10, 2);
        row += ' ' + choice(dm.Escape[i], 10, 2);
        if (!allFinite({dm.Time[i], dm.Rain[i], dm.Escape[i]}))
            return false;
        if (dm.Analysis) {
            if (!std::isfinite(dm.Runoff[i]))
                return false;
            row += ' ' + choice(dm.Runoff[i], 10, 2);
        }
        line(row);
    }
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
    const auto corrupt = [&]() {
        dm.ShowProgramError(CorruptNumbersText(fileName));
        return false;
    };
    const auto at = [&lines](std::size_t index) -> const std::string & {
        static const std::string none;
        return index < lines.size() ? lines[index] : none;
    };

    const TInputMode mode = ModeOfLine(at(1));
    if (mode == TInputMode::Unknown) {
        Prompts().ShowMessage(NotAnInputFileMessage(fileName));
        return false;
    }
    dm.ModeTag = at(1).substr(0, 4);
    if (mode != TInputMode::Analysis)
        dm.Drainage = mode == TInputMode::PredictionDrainage;
    dm.Title1 = at(3);
    dm.Title2 = at(4);
    if (!LabelledReal(lines, 7, StorageLabel, dm.MaxStor) ||
        !LabelledReal(lines, 8, StorageLabel, dm.InitStor) ||
        !LabelledReal(lines, 9, StorageLabel, dm.MaxEscape))
        return corrupt();

    bool escapeWarned = false;
    std::size_t next = 10; // index of the line after the three storage lines
    const bool analysis = mode == TInputMode::Analysis;
    if (analysis) {
        dm.Analysis = true;
        dm.Drainage = false;
        next += 4;
    } else {
        dm.Analysis = false;
        ++next; // the alpha-function line
        if (!LabelledReal(lines, next, AlphaLabel, values.A1) ||
            !LabelledReal(lines, next + 1, AlphaLabel, values.B1))
            return corrupt();
        next += 2;
        bool outdated = false;
        if (LabelledReal(lines, next, AlphaLabel, values.A2)) {
            if (!LabelledReal(lines, next + 1, AlphaLabel, values.B2) ||
                !LabelledReal(lines, next + 2, PorosityLabel, dm.Porosity))
                return corrupt();
            next += 3;
        } else {
            outdated = true;
            values.A2 = 0;
            Prompts().ShowMessage(OutdatedWarning);
            if (!LabelledReal(lines, next, AlphaLabel + OutdatedPorositySkip, dm.Porosity))
                return corrupt();
            ++next;
        }
        if (!LabelledReal(lines, next, StorageLabel, dm.InitRun) ||
            !LabelledReal(lines, next + 1, StorageLabel, dm.InitLevel))
            return corrupt();
        next += 2;
        if (!outdated) {
            if (!LabelledReal(lines, next, StorageLabel, values.Divide))
                return corrupt();
            ++next;
        }
        next += 4; // empty line, hyphens, column header, hyphens
    }

    const std::size_t end = EndOfRows(lines, next);
    std::size_t k = 0;
    for (std::size_t index = next; index < end; ++index) {
        ++k;
        GrowRows(dm, k);
        TLineScanner row(lines[index]);
        int serial = 0;
        double time = 0;
        double rain = 0;
        if (!row.readInt(serial) || !row.readReal(time) || !row.readReal(rain))
            return corrupt();
        dm.Serial[k - 1] = serial;
        dm.Time[k - 1] = time;
        dm.Rain[k - 1] = rain;
        if (analysis) {
            double escape = 0;
            if (!row.readReal(escape))
                return corrupt();
            const std::string_view rest = row.restTrimmed();
            if (!rest.empty()) {
                double runoff = 0;
                if (!ParseRowEnd(rest, runoff))
                    return corrupt();
                dm.Escape[k - 1] = escape;
                dm.Runoff[k - 1] = runoff;
            } else {
                // Four numbers: the fourth is the runoff.
                dm.Runoff[k - 1] = escape;
                dm.Escape[k - 1] = dm.MaxEscape;
                if (!escapeWarned) {
                    escapeWarned = true;
                    Prompts().ShowMessage(EscapeWarningAnalysis);
                }
            }
        } else {
            const std::string_view rest = row.restTrimmed();
            if (!rest.empty()) {
                double escape = 0;
                if (!ParseRowEnd(rest, escape))
                    return corrupt();
                dm.Escape[k - 1] = escape;
            } else {
                dm.Escape[k - 1] = dm.MaxEscape;
                if (!escapeWarned) {
                    escapeWarned = true;
                    Prompts().ShowMessage(EscapeWarningPrediction);
                }
            }
        }
        dm.NrOfData = static_cast<std::int32_t>(k);
    }
    if (analysis) {
        for (std::size_t i = 0; i < k; ++i)
            if (dm.Escape[i] < 0) {
                Prompts().ShowMessage(NegativeEscapeWarning);
                break;
            }
    }
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
