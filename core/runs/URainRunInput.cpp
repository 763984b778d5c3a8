// The analysis input: read once from a file or a text, and changed by calibration parameters
// exactly as a written input file would change it.
#include "runs/URainRun.h"

#include "files/UFileUtil.h"
#include "files/UInputFile.h"
#include "files/UInputLayout.h"
#include "files/UPrompts.h"
#include "files/UTextFields.h"

#include <charconv>
#include <cmath>

namespace quellow::URainRun {

namespace {

namespace L = UInputLayout;

std::string tooLargeText(const std::string &name)
{
    return "The input file \"" + name + "\" holds values beyond 1E9 (in magnitude)." +
           " Rainfall-Runoff analysis cannot be made";
}

std::string tooManyRowsText()
{
    return "The input file holds more than " + std::to_string(MaxSteps) +
           " data rows. Rainfall-Runoff analysis cannot be made";
}

/// Shows text unless there is nowhere to show it; returns false for the callers' failures.
bool refuse(TPrompts *prompts, const std::string &text)
{
    if (prompts)
        prompts->ShowMessage(text);
    return false;
}

/// Both unit fields of a units line lose their blanks and full stops.
std::string unitText(std::string_view field)
{
    std::string text;
    for (char c : field)
        if (c != ' ' && c != '.')
            text += c;
    return text;
}

/// Reads the units line of an older file, or "--" for both units. Returns the index of the
/// first data row.
std::size_t readUnits(const std::vector<std::string> &lines, TAnalysisInput &input)
{
    TLineScanner unitsLine(lines[L::AnalysisUnitsLine]);
    const std::string_view timeField = unitsLine.readChars(L::UnitsTimeField);
    const std::string_view depthField = unitsLine.readChars(L::UnitsDepthField);
    if (timeField == L::AnalysisRuleStart) {
        input.TimeUnit = "--";
        input.DepthUnit = "--";
        return L::AnalysisFirstRow;
    }
    input.TimeUnit = unitText(timeField);
    input.DepthUnit = unitText(depthField);
    if (input.TimeUnit == "SerialTimeR")
        input.TimeUnit = "t";
    if (input.DepthUnit == "ainR")
        input.DepthUnit = "depth/t";
    return L::AnalysisFirstRow + 1; // the rule under the units line
}

/// Reads the data rows from line first on; blank lines carry no row.
bool readRows(const std::vector<std::string> &lines, std::size_t first, const std::string &name,
              TAnalysisInput &input, TPrompts *prompts)
{
    input.Rows.clear();
    input.Rows.reserve(lines.size() - std::min(lines.size(), first));
    for (std::size_t k = first; k < lines.size(); ++k) {
        TLineScanner line(lines[k]);
        if (line.atEnd())
            continue;
        if (input.Rows.size() == static_cast<std::size_t>(MaxSteps))
            return refuse(prompts, tooManyRowsText());
        TAnalysisRow row;
        if (!(line.readInt(row.Serial) && line.readReal(row.Time) && line.readReal(row.Rain) &&
              line.readReal(row.Escape) && line.readReal(row.Runoff)))
            return refuse(prompts, CorruptNumbersText(name));
        if (!WithinRunRange(row.Time, row.Rain, row.Escape, row.Runoff))
            return refuse(prompts, tooLargeText(name));
        input.Rows.push_back(row);
    }
    return true;
}

/// The double a field of the given width with two decimals holds for v once read back, for a
/// fixed field (v >= 1): the nearest double to k / 100, k the integer the field rounds 100 v
/// to (ties to even, as the field's conversion rounds the exact binary value).
double fixedAsWritten(double v)
{
    // The product and its exact rounding error (Dekker's product; 100 splits into itself and
    // 0, so every partial product is exact), without a call to fma.
    const double p = v * 100;
    const double t = v * 134217729.0; // 2^27 + 1
    const double high = t - (t - v), low = v - high;
    const double error = (high * 100 - p) + low * 100;
    // p rounded to the nearest integer, ties to even: p is below 2^52.
    double k = (p + 0x1p52) - 0x1p52;
    // v * 100 - k, rounded once: p - k is exact (it is below 1 and both are close).
    const double d = (p - k) + error;
    if (d > 0.5 || (d == 0.5 && std::fmod(k, 2) != 0))
        k += 1;
    else if (d < -0.5 || (d == -0.5 && std::fmod(k, 2) != 0))
        k -= 1;
    return k / 100;
}

/// The same for a scientific field with three decimals (0 < v < 1): four significant digits k
/// (1000..9999) times 10^-n, read back as the nearest double to k / 10^n.
double scientificAsWritten(double v, bool &done)
{
    static constexpr double powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    // The decade from the binary exponent: floor(log10 v) is that or one more, which the first
    // attempt below corrects.
    int exponent = 0;
    std::frexp(v, &exponent);
    int n = 3 - static_cast<int>(std::floor((exponent - 1) * 0.30102999566398120));
    for (int attempt = 0; attempt < 2 && n >= 1 && n <= 22; ++attempt) {
        const double c = powers[n];
        const double p = v * c;
        if (p < 1000) {
            ++n;
            continue;
        }
        if (p >= 10000) {
            --n;
            continue;
        }
        // v * c exactly is p + err; its distance from k is (p - k) + err, p - k exact.
        const double err = std::fma(v, c, -p);
        double k = std::nearbyint(p);
        const double a = p - k;
        const bool aboveHalf = a > 0.5 || (a == 0.5 && err > 0);
        const bool belowHalf = a < -0.5 || (a == -0.5 && err < 0);
        const bool tie = std::fabs(a) == 0.5 && err == 0;
        if (aboveHalf)
            k += 1;
        else if (belowHalf)
            k -= 1;
        else if (tie && std::fmod(k, 2) != 0)
            k += a > 0 ? 1 : -1;
        done = true;
        return k / c; // k = 10000 is 1.000E of the next power: the same rational
    }
    done = false;
    return 0;
}

/// The escape rate of row scaled by the parameters' factor, as the input file writes it.
double escapeAsWritten(const TParameters &parameters, const TAnalysisRow &row)
{
    return AsWritten(parameters.EscapeFactor * row.Escape, 10);
}

/// AsWritten through the text of the field: the reference for the cases the arithmetic above
/// leaves out.
double asWrittenByText(double v, int width)
{
    const std::string field = inputChoice(v, width);
    double value = 0;
    parseReal(trim(field), value);
    return value;
}

} // namespace

bool ParseAnalysisInput(std::string_view text, const std::string &name, TAnalysisInput &input,
                        TPrompts *prompts)
{
    const std::vector<std::string> lines = splitLines(text);
    if (lines.size() <= L::AnalysisUnitsLine)
        return refuse(prompts, CorruptNumbersText(name));
    TAnalysisInput read;
    read.Title1 = lines[L::Title1Line];
    read.Title2 = lines[L::Title2Line];
    if (!L::labelledReal(lines, L::MaxStorLine, L::StorageLabel, read.MaxSto) ||
        !L::labelledReal(lines, L::InitStorLine, L::StorageLabel, read.IniSto) ||
        !L::labelledReal(lines, L::MaxEscapeLine, L::StorageLabel, read.MaxEsc))
        return refuse(prompts, CorruptNumbersText(name));
    const std::size_t first = readUnits(lines, read);
    if (!readRows(lines, first, name, read, prompts))
        return false;
    input = std::move(read);
    return true;
}

bool ReadAnalysisInput(const std::string &path, TAnalysisInput &input, TPrompts *prompts)
{
    std::string content;
    if (readWholeFile(path, content) != TReadStatus::Ok)
        return refuse(prompts, CannotOpenText(path));
    return ParseAnalysisInput(content, path, input, prompts);
}

double AsWritten(double v, int width)
{
    if (v >= 1 && v < 1e9)
        return fixedAsWritten(v);
    if (v > 1e-20 && v < 1) {
        bool done = false;
        const double value = scientificAsWritten(v, done);
        if (done)
            return value;
    }
    if (v == 0)
        return 0;
    return asWrittenByText(v, width);
}

TAnalysisInput AsWritten(const TAnalysisInput &input)
{
    TAnalysisInput out = input;
    out.MaxSto = AsWritten(input.MaxSto, 8);
    out.IniSto = AsWritten(input.IniSto, 8);
    out.MaxEsc = AsWritten(input.MaxEsc, 8);
    for (TAnalysisRow &row : out.Rows) {
        row.Time = AsWritten(row.Time, 12);
        row.Rain = AsWritten(row.Rain, 10);
        row.Escape = AsWritten(row.Escape, 10);
        row.Runoff = AsWritten(row.Runoff, 10);
    }
    return out;
}

void ApplyCalibration(const TAnalysisInput &input, const TParameters &parameters,
                      TAnalysisInput &out)
{
    out.Title1 = input.Title1;
    out.Title2 = input.Title2;
    out.TimeUnit = input.TimeUnit;
    out.DepthUnit = input.DepthUnit;
    // The largest escape rate is scaled with the rates, as the window's Apply scales its box.
    out.MaxEsc = AsWritten(input.MaxEsc * parameters.EscapeFactor, 8);
    out.Rows = input.Rows;
    out.MaxSto = AsWritten(parameters.MaxStor, 8);
    out.IniSto = AsWritten(parameters.InitStor, 8);
    for (std::size_t k = 0; k < input.Rows.size(); ++k)
        out.Rows[k].Escape = escapeAsWritten(parameters, input.Rows[k]);
}

void ApplyCalibration(const TAnalysisInput &input, const TParameters &parameters,
                      TFirstReservoir &out)
{
    out.MaxSto = AsWritten(parameters.MaxStor, 8);
    out.IniSto = AsWritten(parameters.InitStor, 8);
    if (out.Escape.size() < input.Rows.size() + 1)
        out.Escape.resize(input.Rows.size() + 1);
    for (std::size_t k = 0; k < input.Rows.size(); ++k)
        out.Escape[k + 1] = escapeAsWritten(parameters, input.Rows[k]);
}

} // namespace quellow::URainRun
