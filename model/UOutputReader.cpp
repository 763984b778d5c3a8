#include "model/UOutputReader.h"

#include "model/UFileUtil.h"
#include "model/UPrompts.h"
#include "model/UTextFields.h"

#include <string_view>

namespace quellow {

namespace UOutputReader {

namespace {

constexpr std::string_view RSquareLabel = "Coefficient of explanation R square is: ";

enum class TTableKind { Reconstruction, Prediction, Regression };

/// A line "begins with" a marker when its first four characters are the marker.
bool beginsWith(const std::string &line, std::string_view marker)
{
    return line.size() >= marker.size() &&
           std::string_view(line).substr(0, marker.size()) == marker;
}

/// Index of the first line at or after from that begins with marker; lines.size() if none.
std::size_t findMarker(const LineSet &lines, std::size_t from, std::string_view marker)
{
    for (std::size_t i = from; i < lines.size(); ++i)
        if (beginsWith(lines[i], marker))
            return i;
    return lines.size();
}

std::string quoted(const std::string &name)
{
    return "\"" + name + "\"";
}

const char *tableName(TTableKind table)
{
    switch (table) {
    case TTableKind::Reconstruction:
        return "reconstruction table";
    case TTableKind::Prediction:
        return "prediction table";
    case TTableKind::Regression:
        return "regression table";
    }
    return "table";
}

const char *markerOf(TTableKind table)
{
    switch (table) {
    case TTableKind::Reconstruction:
        return "RECO";
    case TTableKind::Prediction:
        return "PRED";
    case TTableKind::Regression:
        return "----";
    }
    return "";
}

/// Reads serial and count reals of one table row. Further tokens are ignored.
bool readRow(const std::string &line, int &serial, double *values, int count)
{
    TLineScanner scanner(line);
    if (!scanner.ReadInt(serial))
        return false;
    for (int k = 0; k < count; ++k)
        if (!scanner.ReadReal(values[k]))
            return false;
    return true;
}

/// Reads the five coefficients of lines 12 to 14 of a prediction output.
std::optional<TFunction> readFunction(const LineSet &lines)
{
    if (lines.size() < 14)
        return std::nullopt;
    TFunction f;
    TLineScanner line12(lines[11]);
    line12.SkipChars(4);
    if (!line12.ReadReal(f.A1))
        return std::nullopt;
    line12.SkipChars(5);
    if (!line12.ReadReal(f.B1))
        return std::nullopt;
    TLineScanner line13(lines[12]);
    line13.SkipChars(4);
    if (!line13.ReadReal(f.A2))
        return std::nullopt;
    line13.SkipChars(5);
    if (!line13.ReadReal(f.B2))
        return std::nullopt;
    TLineScanner line14(lines[13]);
    line14.SkipChars(15);
    if (!line14.ReadReal(f.Divide))
        return std::nullopt;
    return f;
}

} // namespace

std::string CannotOpenMessage(const std::string &name)
{
    return "The file \"" + name + "\"could not be opened." +
           " It may be damaged,  not created due to inadequate" +
           "input data, or in use by another program.";
}

bool ParseHeader(const LineSet &lines, const std::string &name, THeader &header, std::string &error)
{
    // An analysis output has its first rule on line 15, a prediction output its table title
    // on line 16; anything else is not an output file of this program.
    THeader result;
    if (lines.size() >= 16) {
        result.Title1 = lines[2];
        result.Title2 = lines[3];
        result.OutTag = lines[14].substr(0, 4);
        const std::string_view line16(lines[15]);
        result.Prediction = line16.substr(0, 10) == "PREDICTION";
        result.Drainage =
            result.Prediction && line16.size() >= 14 && line16.substr(10, 4) == " dra";
    }
    if (lines.size() < 16 || (result.OutTag != "----" && !result.Prediction)) {
        error = "The file " + quoted(name) +
                " is not an output file of Quellow: it holds neither analysis nor prediction"
                " results, so no graph can be made from it.";
        return false;
    }
    header = std::move(result);
    return true;
}

bool ParseTable(const LineSet &lines, int kind, const std::string &name, TTable &table,
                std::string &error)
{
    TTableKind tableKind;
    switch (kind) {
    case 1:
    case 3:
    case 7:
    case 8:
        tableKind = TTableKind::Reconstruction;
        break;
    case 2:
    case 4:
    case 5:
        tableKind = TTableKind::Prediction;
        break;
    case 6:
        tableKind = TTableKind::Regression;
        break;
    default:
        error = "There is no graph of kind " + std::to_string(kind) + ".";
        return false;
    }
    const std::string cannotDraw = " The graph cannot be drawn.";

    // The table title (or first rule) is followed by a fixed number of head lines; the rows
    // end at the next line beginning with "----".
    std::size_t title = findMarker(lines, 0, markerOf(tableKind));
    // The first rule of a prediction output comes after its "PREDICTION" line: that file has
    // no regression table.
    if (tableKind == TTableKind::Regression && findMarker(lines, 0, "PRED") < title) {
        error = "The file " + quoted(name) +
                " holds prediction results and has no regression table." + cannotDraw;
        return false;
    }
    if (title == lines.size()) {
        error = "The file " + quoted(name) + " has no " + tableName(tableKind) +
                " (no line beginning with \"" + markerOf(tableKind) + "\")." + cannotDraw;
        return false;
    }
    const std::size_t first = title + (tableKind == TTableKind::Reconstruction ? 6 : 5);
    const std::size_t end = findMarker(lines, first < lines.size() ? first : lines.size(), "----");
    if (first > lines.size() || end == lines.size()) {
        error = "The file " + quoted(name) + " ends inside its " + tableName(tableKind) +
                "; it may be incomplete." + cannotDraw;
        return false;
    }
    if (end == first) {
        error = "The file " + quoted(name) + " has no rows in its " + tableName(tableKind) + "." +
                cannotDraw;
        return false;
    }

    TTable result;
    const std::size_t rows = end - first;
    const int count = tableKind == TTableKind::Regression ? 4 : 6;
    result.Serial.resize(rows);
    result.PlotX.resize(rows);
    result.PlotY1.resize(rows);
    result.PlotY2.resize(rows);
    result.PlotY3.resize(rows);
    result.PlotY4.resize(rows);
    if (tableKind == TTableKind::Prediction)
        result.PlotY5.resize(rows);
    for (std::size_t n = 0; n < rows; ++n) {
        int serial = 0;
        double v[6] = {};
        if (!readRow(lines[first + n], serial, v, count)) {
            error = "The file " + quoted(name) + " has an unreadable number on line " +
                    std::to_string(first + n + 1) + "." + cannotDraw;
            return false;
        }
        result.Serial[n] = serial;
        switch (tableKind) {
        case TTableKind::Reconstruction:
            // time, rain, recharge, measured runoff, calculated alpha (not kept), calculated runoff
            result.PlotX[n] = v[0];
            result.PlotY1[n] = v[1];
            result.PlotY2[n] = v[2];
            result.PlotY4[n] = v[3];
            result.PlotY3[n] = v[5];
            break;
        case TTableKind::Prediction:
            // time, rain/irrigation, recharge, alpha, runoff, head or storage
            result.PlotX[n] = v[0];
            result.PlotY3[n] = v[1];
            result.PlotY2[n] = v[2];
            result.PlotY4[n] = v[3];
            result.PlotY1[n] = v[4];
            result.PlotY5[n] = v[5];
            break;
        case TTableKind::Regression:
            // time, measured runoff, measured alpha, regressed alpha
            result.PlotY1[n] = v[0];
            result.PlotX[n] = v[1];
            result.PlotY2[n] = v[2];
            result.PlotY3[n] = v[3];
            result.PlotY4[n] = v[0];
            break;
        }
    }
    result.NrOfData = static_cast<std::int32_t>(rows);

    if (kind == 1 || kind == 7) {
        // Two lines after the closing rule: the R square line, a 40-character label and
        // the number. An unreadable number counts as 0.
        double rSquare = 0;
        if (end + 2 < lines.size()) {
            TLineScanner line(lines[end + 2]);
            line.SkipChars(RSquareLabel.size());
            if (!line.ReadReal(rSquare))
                rSquare = 0;
        }
        result.RSquare = rSquare;
    }
    if (kind == 7)
        result.PlotX = result.PlotY4;
    if (kind == 6)
        result.Quadratic = !(lines.size() >= 12 && beginsWith(lines[11], "if"));
    if (kind == 5) {
        const std::string_view line(lines[title]);
        result.Drainage = line.size() >= 14 && line.substr(10, 4) == " dra";
        result.Function = readFunction(lines);
    }
    table = std::move(result);
    return true;
}

std::optional<double> ParseAnalysisDivide(const LineSet &lines)
{
    constexpr std::string_view label = "if Discharge >";
    if (lines.size() < 12 || !beginsWith(lines[11], label))
        return std::nullopt;
    TLineScanner line(lines[11]);
    line.SkipChars(label.size());
    double divide = 0;
    if (!ParseRealAnySeparator(line.NextToken(), divide))
        return std::nullopt;
    return divide;
}

} // namespace UOutputReader

namespace {

/// Reads the output file named by OutFileName; shows the message and returns false when it
/// cannot be read.
bool readOutputLines(const std::string &name, LineSet &lines)
{
    if (ReadTextFile(name, lines) != TReadStatus::Ok) {
        Prompts().ShowMessage(UOutputReader::CannotOpenMessage(name));
        return false;
    }
    return true;
}

} // namespace

bool TDMQuellow::ReadOutputHeader()
{
    LineSet lines;
    if (!readOutputLines(OutFileName, lines))
        return false;
    UOutputReader::THeader header;
    std::string error;
    if (!UOutputReader::ParseHeader(lines, OutFileName, header, error)) {
        Prompts().ShowMessage(error);
        return false;
    }
    Title1 = header.Title1;
    Title2 = header.Title2;
    OutTag = header.OutTag;
    if (header.Prediction) {
        Analysis = false;
        Drainage = header.Drainage;
    }
    return true;
}

bool TDMQuellow::ReadOutputFile(int kind)
{
    LineSet lines;
    if (!readOutputLines(OutFileName, lines))
        return false;
    UOutputReader::TTable table;
    std::string error;
    if (!UOutputReader::ParseTable(lines, kind, OutFileName, table, error)) {
        Prompts().ShowMessage(error);
        return false;
    }
    Serial = std::move(table.Serial);
    PlotX = std::move(table.PlotX);
    PlotY1 = std::move(table.PlotY1);
    PlotY2 = std::move(table.PlotY2);
    PlotY3 = std::move(table.PlotY3);
    PlotY4 = std::move(table.PlotY4);
    if (kind == 2 || kind == 4 || kind == 5)
        PlotY5 = std::move(table.PlotY5);
    NrOfData = table.NrOfData;
    if (table.RSquare)
        ModelValues.RSquare = *table.RSquare;
    if (table.Quadratic)
        Quadratic = *table.Quadratic;
    if (table.Drainage)
        Drainage = *table.Drainage;
    if (table.Function) {
        ModelValues.A1 = table.Function->A1;
        ModelValues.B1 = table.Function->B1;
        ModelValues.A2 = table.Function->A2;
        ModelValues.B2 = table.Function->B2;
        ModelValues.Divide = table.Function->Divide;
    }
    return true;
}

} // namespace quellow
