#include "files/UOutputReader.h"

#include "files/UFileUtil.h"
#include "files/UPrompts.h"
#include "files/UTextFields.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace quellow {

namespace UOutputReader {

namespace {

constexpr std::string_view RSquareLabel = "Coefficient of explanation R square is: ";

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

/// Where one table of an output file stands and which graph column each number of its rows
/// goes to. The rows start a fixed number of lines after the line beginning with the marker
/// and end at the next line beginning with "----".
struct TTableLayout
{
    const char *Name;
    std::string_view Marker;
    std::size_t HeadLines; ///< lines from the marker line to the first row
    int Values;            ///< reals after the serial number
    /// Column of each real (nullptr: read and not kept).
    std::array<DataArrayR TTable::*, 6> Columns;
    bool HasPlotY5;
};

/// time, rain, recharge, measured runoff, calculated alpha (not kept), calculated runoff
constexpr TTableLayout Reconstruction{
    "reconstruction table",
    "RECO",
    6,
    6,
    {&TTable::PlotX, &TTable::PlotY1, &TTable::PlotY2, &TTable::PlotY4, nullptr, &TTable::PlotY3},
    false};
/// time, rain/irrigation, recharge, alpha, runoff, head or storage
constexpr TTableLayout Prediction{"prediction table",
                                  "PRED",
                                  5,
                                  6,
                                  {&TTable::PlotX, &TTable::PlotY3, &TTable::PlotY2,
                                   &TTable::PlotY4, &TTable::PlotY1, &TTable::PlotY5},
                                  true};
/// time, measured runoff, measured alpha, regressed alpha (the time goes to PlotY4 as well)
constexpr TTableLayout Regression{
    "regression table",
    "----",
    5,
    4,
    {&TTable::PlotY1, &TTable::PlotX, &TTable::PlotY2, &TTable::PlotY3, nullptr, nullptr},
    false};

/// The table graph kind 1..8 reads; nullptr for any other kind.
const TTableLayout *layoutOf(int kind)
{
    static constexpr const TTableLayout *layouts[] = {
        nullptr,     &Reconstruction, &Prediction,     &Reconstruction, &Prediction,
        &Prediction, &Regression,     &Reconstruction, &Reconstruction};
    return kind >= 1 && kind <= 8 ? layouts[kind] : nullptr;
}

/// Reads serial and count reals of one table row. Further tokens are ignored.
bool readRow(const std::string &line, int &serial, double *values, int count)
{
    TLineScanner scanner(line);
    if (!scanner.readInt(serial))
        return false;
    for (int k = 0; k < count; ++k)
        if (!scanner.readReal(values[k]))
            return false;
    return true;
}

/// The coefficients of a prediction output: line index, label characters skipped before the
/// number (counted from the end of the previous number on the same line), field.
struct TFunctionField
{
    std::size_t Line;
    std::size_t Label;
    double TFunction::*Value;
};
constexpr TFunctionField FunctionFields[] = {
    {11, 4, &TFunction::A1}, {11, 5, &TFunction::B1},      {12, 4, &TFunction::A2},
    {12, 5, &TFunction::B2}, {13, 15, &TFunction::Divide},
};

/// Reads the five coefficients of lines 12 to 14 of a prediction output.
std::optional<TFunction> readFunction(const LineSet &lines)
{
    if (lines.size() < 14)
        return std::nullopt;
    TFunction f;
    std::optional<TLineScanner> line;
    std::size_t lineIndex = 0;
    for (const TFunctionField &field : FunctionFields) {
        if (!line || field.Line != lineIndex)
            line.emplace(lines[lineIndex = field.Line]);
        line->skipChars(field.Label);
        if (!line->readReal(f.*field.Value))
            return std::nullopt;
    }
    return f;
}

} // namespace

std::string cannotOpenMessage(const std::string &name)
{
    return "The file \"" + name + "\"could not be opened." +
           " It may be damaged,  not created due to inadequate" +
           "input data, or in use by another program.";
}

bool parseHeader(const LineSet &lines, const std::string &name, THeader &header, std::string &error)
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

namespace {

const std::string CannotDraw = " The graph cannot be drawn.";

/// Finds the rows of layout's table: first is the index of the first row, end that of the
/// closing rule.
bool locateRows(const LineSet &lines, const TTableLayout &layout, const std::string &name,
                std::size_t &first, std::size_t &end, std::string &error)
{
    const std::size_t title = findMarker(lines, 0, layout.Marker);
    // The first rule of a prediction output comes after its "PREDICTION" line: that file has
    // no regression table.
    if (&layout == &Regression && findMarker(lines, 0, "PRED") < title) {
        error = "The file " + quoted(name) +
                " holds prediction results and has no regression table." + CannotDraw;
        return false;
    }
    const std::string table = layout.Name;
    if (title == lines.size()) {
        error = "The file " + quoted(name) + " has no " + table + " (no line beginning with \"" +
                std::string(layout.Marker) + "\")." + CannotDraw;
        return false;
    }
    first = title + layout.HeadLines;
    end = findMarker(lines, std::min(first, lines.size()), "----");
    if (first > lines.size() || end == lines.size()) {
        error = "The file " + quoted(name) + " ends inside its " + table +
                "; it may be incomplete." + CannotDraw;
        return false;
    }
    if (end == first) {
        error = "The file " + quoted(name) + " has no rows in its " + table + "." + CannotDraw;
        return false;
    }
    return true;
}

/// Reads the rows first .. end - 1 into the columns of layout.
bool readRows(const LineSet &lines, const TTableLayout &layout, std::size_t first, std::size_t end,
              const std::string &name, TTable &table, std::string &error)
{
    const std::size_t rows = end - first;
    table.Serial.resize(rows);
    for (DataArrayR TTable::*column :
         {&TTable::PlotX, &TTable::PlotY1, &TTable::PlotY2, &TTable::PlotY3, &TTable::PlotY4})
        (table.*column).resize(rows);
    if (layout.HasPlotY5)
        table.PlotY5.resize(rows);
    for (std::size_t n = 0; n < rows; ++n) {
        int serial = 0;
        double v[6] = {};
        if (!readRow(lines[first + n], serial, v, layout.Values)) {
            error = "The file " + quoted(name) + " has an unreadable number on line " +
                    std::to_string(first + n + 1) + "." + CannotDraw;
            return false;
        }
        table.Serial[n] = serial;
        for (int k = 0; k < layout.Values; ++k)
            if (layout.Columns[k])
                (table.*layout.Columns[k])[n] = v[k];
    }
    if (&layout == &Regression)
        table.PlotY4 = table.PlotY1;
    table.NrOfData = static_cast<std::int32_t>(rows);
    return true;
}

/// What graph kind takes from the file besides the rows; end is the closing rule's index.
void readKindValues(const LineSet &lines, int kind, std::size_t end, TTable &table)
{
    if (kind == 1 || kind == 7) {
        // Two lines after the closing rule: the R square line, a 40-character label and
        // the number. An unreadable number counts as 0.
        double rSquare = 0;
        if (end + 2 < lines.size()) {
            TLineScanner line(lines[end + 2]);
            line.skipChars(RSquareLabel.size());
            if (!line.readReal(rSquare))
                rSquare = 0;
        }
        table.RSquare = rSquare;
    }
    if (kind == 7)
        table.PlotX = table.PlotY4;
    if (kind == 6)
        table.Quadratic = !(lines.size() >= 12 && beginsWith(lines[11], "if"));
    if (kind == 5) {
        const std::string_view line(lines[findMarker(lines, 0, Prediction.Marker)]);
        table.Drainage = line.size() >= 14 && line.substr(10, 4) == " dra";
        table.Function = readFunction(lines);
    }
}

} // namespace

bool parseTable(const LineSet &lines, int kind, const std::string &name, TTable &table,
                std::string &error)
{
    const TTableLayout *layout = layoutOf(kind);
    if (!layout) {
        error = "There is no graph of kind " + std::to_string(kind) + ".";
        return false;
    }
    std::size_t first = 0, end = 0;
    TTable result;
    if (!locateRows(lines, *layout, name, first, end, error) ||
        !readRows(lines, *layout, first, end, name, result, error))
        return false;
    readKindValues(lines, kind, end, result);
    table = std::move(result);
    return true;
}

std::optional<double> parseAnalysisDivide(const LineSet &lines)
{
    constexpr std::string_view label = "if Discharge >";
    if (lines.size() < 12 || !beginsWith(lines[11], label))
        return std::nullopt;
    TLineScanner line(lines[11]);
    line.skipChars(label.size());
    double divide = 0;
    if (!parseRealAnySeparator(line.nextToken(), divide))
        return std::nullopt;
    return divide;
}

} // namespace UOutputReader

namespace {

/// Reads the output file named by OutFileName; shows the message and returns false when it
/// cannot be read.
bool readOutputLines(const std::string &name, LineSet &lines)
{
    if (readTextFile(name, lines) != TReadStatus::Ok) {
        Prompts().ShowMessage(UOutputReader::cannotOpenMessage(name));
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
    if (!UOutputReader::parseHeader(lines, OutFileName, header, error)) {
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
    if (!UOutputReader::parseTable(lines, kind, OutFileName, table, error)) {
        Prompts().ShowMessage(error);
        return false;
    }
    Serial = std::move(table.Serial);
    PlotX = std::move(table.PlotX);
    PlotY1 = std::move(table.PlotY1);
    PlotY2 = std::move(table.PlotY2);
    PlotY3 = std::move(table.PlotY3);
    PlotY4 = std::move(table.PlotY4);
    if (!table.PlotY5.empty()) // a prediction table
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
