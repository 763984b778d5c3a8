#include "import/UCsvImport.h"

#include "import/USheetTitle.h"
#include "files/UTextFields.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace quellow::UCsvImport {

using UCsvTable::LineText;
using UCsvTable::Lower;

namespace {

/// What makes a field that is no number readable.
const char *const NotANumberHelp =
    ": give it as the marker of a missing value if it marks one, or choose another column.";

/// Values beyond this are refused by the runs as well.
constexpr double LargestValue = 1e9;

/// A product of a value and a factor without the noise of binary fractions (9.5 * 0.1 is
/// 0.9500000000000001): twelve significant digits.
double roundProduct(double value)
{
    char buffer[64];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 12).ptr;
    double rounded = value;
    std::from_chars(buffer, end, rounded);
    return rounded;
}

} // namespace

// ---- Columns ----------------------------------------------------------------------------------

namespace {

bool nameMatches(const std::string &name, int role)
{
    const std::string n = Lower(name);
    const auto has = [&n](std::initializer_list<const char *> words) {
        return std::any_of(words.begin(), words.end(),
                           [&n](const char *w) { return n.find(w) != std::string::npos; });
    };
    switch (role) {
    case RoleRain:
        return has({"rain", "prec", "prcp", "niederschlag", "neerslag"}) || n == "p";
    case RoleEscape:
        return has({"escape", "evap", "etp", "pet", "turc", "et0"}) || n == "et" || n == "e";
    case RoleRunoff:
        return !has({"sim", "mod_", "mod-"}) &&
               (has({"runoff", "discharge", "qobs", "flow", "abfluss", "afvoer", "obs_run"}) ||
                n == "q" || n == "value");
    default:
        return has({"date", "time", "datum"});
    }
}

bool used(const std::array<int, RoleCount> &columns, int column)
{
    return std::find(columns.begin(), columns.end(), column) != columns.end();
}

} // namespace

int ColumnNamed(const TCsvTable &table, int role, const std::vector<char> &excluded)
{
    const int named = static_cast<int>(std::min(table.Names.size(), table.ColumnCount()));
    // The Penman-Monteith evaporation before other evaporations, potential before actual.
    for (int pass = role == RoleEscape ? 0 : 2; pass < 3; ++pass)
        for (int c = 0; c < named; ++c) {
            const std::string n = Lower(table.Names[c]);
            const bool preferred = pass == 0   ? n.find("penman") != std::string::npos
                                   : pass == 1 ? n.find("potential") != std::string::npos
                                               : true;
            if (!(static_cast<std::size_t>(c) < excluded.size() && excluded[c]) && preferred &&
                nameMatches(table.Names[c], role))
                return c;
        }
    return -1;
}

bool IdentifierColumn(const TCsvTable &table, std::size_t column)
{
    for (std::size_t r = 0; r < table.RowCount(); ++r) {
        const std::string_view f = table.Field(r, column);
        if (f.empty() ||
            !std::all_of(f.begin(), f.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
            !(f.size() >= 6 || (f.size() >= 2 && f.front() == '0')))
            return false;
    }
    return table.RowCount() > 0;
}

void GuessColumns(const TCsvTable &table, bool analysis, std::array<int, RoleCount> &columns,
                  const std::vector<char> &notData)
{
    const int width = static_cast<int>(table.ColumnCount());
    const auto excluded = [&] {
        std::vector<char> out(static_cast<std::size_t>(width), 0);
        for (int c = 0; c < width; ++c)
            out[c] = ::quellow::UCsvImport::used(columns, c) ||
                     (static_cast<std::size_t>(c) < notData.size() && notData[c]);
        return out;
    };
    if (columns[RoleDate] < 0) {
        const std::vector<char> taken = excluded();
        TDateParts parts;
        for (int c = 0; c < width && columns[RoleDate] < 0; ++c)
            if (!taken[c] && SplitDate(table.Field(0, static_cast<std::size_t>(c)), parts))
                columns[RoleDate] = c;
    }
    for (int role = RoleRain; role < UCsvPeriod::RoleCountOf(analysis); ++role)
        if (columns[role] < 0)
            columns[role] = ColumnNamed(table, role, excluded());
    // Without names that tell, the columns after the date in their order; never identifiers.
    for (int role = RoleRain; role < UCsvPeriod::RoleCountOf(analysis); ++role) {
        const std::vector<char> taken = excluded();
        for (int c = 0; c < width && columns[role] < 0; ++c)
            if (!taken[c] && !IdentifierColumn(table, static_cast<std::size_t>(c)))
                columns[role] = c;
    }
}

namespace {

/// The role a pair of a list of the columns names ("evaporation" for the escape rate); -1 for
/// none.
int roleNamed(const std::string &name)
{
    int role = -1;
    for (int r = 0; r < RoleCount; ++r)
        if (name == RoleName(r) || (r == RoleEscape && name == "evaporation"))
            role = r;
    return role;
}

bool listProblem(TImportProblem &problem, TImportProblem::TKind kind, int role = -1,
                 std::string item = {})
{
    problem = {};
    problem.Kind = kind;
    problem.Role = role;
    problem.Item = std::move(item);
    return false;
}

} // namespace

bool ParseColumnList(std::string_view list, const TCsvTable &table, bool analysis,
                     const std::array<std::string, RoleCount> &roleFiles, TColumnList &parsed,
                     TImportProblem &problem)
{
    using TKind = TImportProblem::TKind;
    parsed = {};
    if (trim(list).empty())
        return true;
    int position = 0;
    bool pairs = false, positional = false;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string_view::npos)
            end = list.size();
        std::string_view item = trim(list.substr(start, end - start));
        start = end + 1;
        int role = position;
        const std::size_t eq = item.find('=');
        if (eq != std::string_view::npos) {
            pairs = true;
            const std::string name = Lower(trim(item.substr(0, eq)));
            role = roleNamed(name);
            if (role < 0)
                return listProblem(problem, TKind::NoRole, -1, name);
            item = trim(item.substr(eq + 1));
        } else {
            positional = true;
            ++position;
            if (role >= RoleCount)
                return listProblem(problem, TKind::TooManyColumns);
            if (item.empty())
                continue;
        }
        if (pairs && positional)
            return listProblem(problem, TKind::OrderAndPairs);
        if (role == RoleDate && item.find('+') != std::string_view::npos) {
            parsed.DateParts = std::string(item);
            continue;
        }
        if (!roleFiles[role].empty()) {
            listProblem(problem, TKind::RoleFromFile, role);
            problem.File = roleFiles[role];
            return false;
        }
        const int c = table.FindColumn(item);
        if (c < 0)
            return listProblem(problem, TKind::NoColumn, role, std::string(item));
        parsed.Columns[role] = c;
    }
    if (positional && position < 3) {
        listProblem(problem, TKind::TooFewColumns);
        problem.Analysis = analysis;
        return false;
    }
    return true;
}

// ---- Series -----------------------------------------------------------------------------------

namespace {

/// Per value column: the numbers and which rows have none.
struct TValues
{
    std::array<std::vector<double>, RoleCount> Value;
    UCsvPeriod::TMissing Missing;
};

bool checkColumns(const TCsvTable &table, bool analysis, const std::vector<char> &notData,
                  const TImportResult &result, std::string &error)
{
    if (result.Columns[RoleDate] < 0) {
        for (std::size_t c = 0; c < table.ColumnCount(); ++c)
            if (UCsvDates::HasTwoDigitYear(table.Field(0, c))) {
                error = UCsvDates::TwoDigitYearText(table.Field(0, c), table.LineNumbers.front());
                return false;
            }
        error = "No column holds dates (such as 2015-11-01, 01.11.2015 or 11/1/2015) in " +
                LineText(table.LineNumbers.front()) + ": the time of each row must be a date.";
        return false;
    }
    for (int role = RoleRain; role < UCsvPeriod::RoleCountOf(analysis); ++role)
        if (result.Columns[role] < 0 ||
            static_cast<std::size_t>(result.Columns[role]) >= table.ColumnCount()) {
            std::size_t values = 0;
            for (std::size_t c = 0; c < table.ColumnCount(); ++c)
                values += !(c < notData.size() && notData[c]) &&
                          static_cast<int>(c) != result.Columns[RoleDate] &&
                          !IdentifierColumn(table, c);
            const std::string roleText = role == RoleEscape ? "escape rate" : RoleName(role);
            error = "The file has no column for the " + roleText + ": of its " +
                    std::to_string(table.ColumnCount()) + " columns, " + std::to_string(values) +
                    " can hold values" +
                    " (the others hold the date, its parts, quality flags or identifiers), and " +
                    (analysis ? "an analysis" : "a prediction") + " needs rain, escape rate" +
                    (analysis ? " and runoff" : "") + ". Take the " + roleText +
                    " from a file of its own, or choose its column.";
            return false;
        }
    return true;
}

/// A runoff in a unit that is converted once the rows, and so the time unit, are known.
bool unitConverts(const TImportOptions &options)
{
    return options.Unit != URunoffUnit::TRunoffUnit::None &&
           options.Unit != URunoffUnit::TRunoffUnit::Mm;
}

/// What is wrong with a value (read: as read; written: after the factor and, unless unit is
/// None, its conversion to mm per day over areaKm2), said after the value and where it stands.
std::string valueProblem(double read, double written, double factor, URunoffUnit::TRunoffUnit unit,
                         double areaKm2, int role)
{
    const auto number = [](double x) {
        char text[32];
        std::snprintf(text, sizeof text, "%.9g", x);
        return std::string(text);
    };
    const bool converts = unit != URunoffUnit::TRunoffUnit::None;
    if (factor == 1 && !converts)
        return written < 0 ? " is negative." : " is too large for a run.";
    const std::string roleText = role == RoleEscape ? "escape rate" : RoleName(role);
    if (written < 0 && read >= 0)
        return " times the factor " + number(factor) + " is negative: give the " + roleText +
               " a factor of 0 or more.";
    if (written < 0)
        return " is negative.";
    std::string text = factor != 1 ? " times the factor " + number(factor) : std::string();
    if (converts)
        text +=
            std::string(text.empty() ? "" : ",") + " converted from " +
            URunoffUnit::RunoffUnitName(unit) + " to mm per day" +
            (URunoffUnit::IsDischarge(unit) ? " over " + number(areaKm2) + " km2" : std::string()) +
            ",";
    return text + " is " + number(written) + ": too large for a run (at most " +
           number(LargestValue) + "). Check the factor" +
           (converts ? ", the runoff's unit and the catchment area." : ".");
}

bool readValues(const TCsvTable &table, const TImportOptions &options, const TImportResult &result,
                TValues &values, std::string &error)
{
    const std::size_t n = table.RowCount();
    for (int role = RoleRain; role < UCsvPeriod::RoleCountOf(options.Analysis); ++role) {
        values.Value[role].assign(n, 0.0);
        values.Missing[role].assign(n, 0);
        const int column = result.Columns[role];
        const TDecimalMark mark = table.ColumnMark(column, options.Decimal);
        for (std::size_t r = 0; r < n; ++r) {
            const std::string field(table.Field(r, static_cast<std::size_t>(column)));
            double v = 0;
            if (IsMissing(field, options.Missing, mark)) {
                values.Missing[role][r] = 1;
                continue;
            }
            const std::string where = " in " + LineText(table.LineNumbers[r]) + ", column " +
                                      table.ColumnName(column) + " (" + RoleName(role) + ")";
            if (!ReadNumber(field, mark, v)) {
                error = "\"" + field + "\"" + where + " is not a number" + NotANumberHelp;
                return false;
            }
            const bool converts = role == RoleRunoff && unitConverts(options);
            const double read = v;
            if (options.Scale[role] != 1)
                v = roundProduct(v * options.Scale[role]);
            // A runoff in a unit is stored as read and converted once the rows are taken; it
            // is checked as it will be written, at most in mm per day.
            const double written =
                converts ? v * URunoffUnit::RunoffFactor(options.Unit, options.AreaKm2, 86400) : v;
            if (!(std::fabs(written) <= LargestValue) || (role != RoleEscape && written < 0)) {
                error = "The value " + field + where +
                        valueProblem(read, written, options.Scale[role],
                                     converts ? options.Unit : URunoffUnit::TRunoffUnit::None,
                                     options.AreaKm2, role);
                return false;
            }
            if (converts)
                v = read;
            values.Value[role][r] = v == 0 ? 0.0 : v;
        }
    }
    return true;
}

void describeTable(const TCsvTable &table, const TImportOptions &options, TImportResult &result)
{
    static const char *const delimiters[] = {"comma", "semicolon", "tab", "blanks"};
    const int d = table.Delimiter == ','    ? 0
                  : table.Delimiter == ';'  ? 1
                  : table.Delimiter == '\t' ? 2
                                            : 3;
    std::string note = std::to_string(table.RowCount()) + " rows, " + delimiters[d] +
                       " delimited, decimal " + (table.DecimalComma ? "comma" : "point") + ", " +
                       (table.HasHeader ? "with" : "without") + " a header line. Columns:";
    for (int role = RoleDate; role < UCsvPeriod::RoleCountOf(options.Analysis); ++role) {
        note += std::string(role ? ", " : " ") + RoleName(role) + " " +
                table.ColumnName(result.Columns[role]);
        if (role > RoleDate && options.Scale[role] != 1) {
            char factor[32];
            std::snprintf(factor, sizeof factor, "%.9g", options.Scale[role]);
            note += std::string(" times ") + factor;
        }
    }
    result.Notes.push_back(note + ".");
    if (table.LeadingLines > 0)
        result.Notes.push_back("Line" +
                               (table.LeadingLines == 1
                                    ? std::string(" 1")
                                    : "s 1 to " + std::to_string(table.LeadingLines)) +
                               ", a single value each before the table, " +
                               (table.LeadingLines == 1 ? "was" : "were") +
                               " left out (such a value is never taken for an area).");
    std::string order = "Dates read as " + UCsvDates::DateOrderText(result.Order);
    if (result.OrderAmbiguous)
        order +=
            std::string(": no date tells day and month apart; choose ") +
            (result.Order == TDateOrder::Dmy ? "month/day/year (mdy)" : "day.month.year (dmy)") +
            " if that is what the file means";
    result.Notes.push_back(order + ".");
}

/// Names each column whose numbers read two ways (1,234 or 1.234) with nothing in the column
/// to settle it, and the reading taken.
void noteTwoWays(const TCsvTable &table, const TImportOptions &options, TImportResult &result)
{
    for (int role = RoleRain; role < UCsvPeriod::RoleCountOf(options.Analysis); ++role) {
        const int column = result.Columns[role];
        const std::size_t row = table.Marks[static_cast<std::size_t>(column)].TwoWays;
        if (row == UCsvTable::TColumnMarks::NoRow ||
            table.Marks[static_cast<std::size_t>(column)].Settled() != TDecimalMark::Auto)
            continue;
        const std::string example(table.Field(row, static_cast<std::size_t>(column)));
        TDecimalMark mark = table.ColumnMark(column, options.Decimal);
        if (mark == TDecimalMark::Auto)
            mark =
                example.find(',') != std::string::npos ? TDecimalMark::Comma : TDecimalMark::Point;
        const TDecimalMark other =
            mark == TDecimalMark::Comma ? TDecimalMark::Point : TDecimalMark::Comma;
        double taken = 0, otherValue = 0;
        ReadNumber(example, mark, taken);
        ReadNumber(example, other, otherValue);
        result.Notes.push_back("Column " + table.ColumnName(column) + " (" + RoleName(role) +
                               "): " + example + " in " + LineText(table.LineNumbers[row]) +
                               " reads two ways; read with a decimal " +
                               (mark == TDecimalMark::Comma ? "comma" : "point") +
                               (options.Decimal != TDecimalMark::Auto ? " as chosen" : "") +
                               ", as " + UCsvTable::NumberText(taken) + ". Choose the decimal " +
                               (other == TDecimalMark::Comma ? "comma" : "point") +
                               " if it means " + UCsvTable::NumberText(otherValue) + ".");
    }
}

/// The rows first..last of series into result: their elapsed times in the unit that shows them,
/// their values, and the runoff in mm per that unit.
void takeRows(const TSeries &series, bool analysis, std::size_t first, std::size_t last,
              TImportResult &result)
{
    result.First = first;
    result.Last = last;
    result.FirstDate = UCsvDates::DateText(series.Seconds[first]);
    UCsvPeriod::TElapsedTimes elapsed = UCsvPeriod::ElapsedTimes(series.Seconds, first, last);
    result.TimeUnit = elapsed.Unit;
    result.UnitSeconds = elapsed.UnitSeconds;
    result.Time = std::move(elapsed.Time);
    result.Unit = analysis ? series.Unit : URunoffUnit::TRunoffUnit::None;
    result.UnitFactor = URunoffUnit::RunoffFactor(result.Unit, series.AreaKm2, elapsed.UnitSeconds);
    // The runoff of a unit that converts is read as it is, and scaled here once.
    double runoffScale = 1;
    if (result.Unit != URunoffUnit::TRunoffUnit::None &&
        result.Unit != URunoffUnit::TRunoffUnit::Mm) {
        runoffScale = series.RunoffScale * result.UnitFactor;
        result.Scale[RoleRunoff] = runoffScale;
    }
    for (std::size_t r = first; r <= last; ++r) {
        result.Rain.push_back(series.Value[RoleRain][r]);
        result.Escape.push_back(series.Value[RoleEscape][r]);
        double runoff = analysis ? series.Value[RoleRunoff][r] : 0.0;
        if (runoffScale != 1)
            runoff = roundProduct(runoff * runoffScale);
        result.Runoff.push_back(runoff == 0 ? 0.0 : runoff);
        result.MaxEscape = std::max(result.MaxEscape, series.Value[RoleEscape][r]);
    }
}

} // namespace

bool ReadSeries(const TCsvTable &table, const TImportOptions &options, TSeries &series,
                std::string &error)
{
    series = {};
    error.clear();
    TImportResult &result = series.Base;
    if (table.RowCount() == 0) {
        error = "The file holds no rows.";
        return false;
    }
    result.Columns = options.Columns;
    result.Scale = options.Scale;
    for (int role = RoleRain; role < RoleCount; ++role) {
        const int c = result.Columns[role];
        if (c >= 0 && static_cast<std::size_t>(c) < options.NotData.size() && options.NotData[c]) {
            const std::string name = table.ColumnName(c);
            error = (name.front() == '\'' ? "Column " + name : "C" + name.substr(1)) + " holds " +
                    (UCsvTable::IsFlag(table.Field(0, static_cast<std::size_t>(c)))
                         ? "quality flags"
                         : "a part of the date") +
                    ", never values: it cannot be the " + RoleName(role) + ".";
            return false;
        }
    }
    GuessColumns(table, options.Analysis, result.Columns, options.NotData);
    UCsvDates::TDates dates;
    TValues values;
    if (!checkColumns(table, options.Analysis, options.NotData, result, error) ||
        !UCsvDates::ReadDates(table, result.Columns[RoleDate], options.Order, dates, error))
        return false;
    result.Order = dates.Order;
    result.OrderAmbiguous = dates.OrderAmbiguous;
    if (!readValues(table, options, result, values, error))
        return false;
    describeTable(table, options, result);
    noteTwoWays(table, options, result);
    series.Seconds = std::move(dates.Seconds);
    series.Value = std::move(values.Value);
    series.Missing = std::move(values.Missing);
    if (options.Analysis) {
        series.Unit = options.Unit;
        series.AreaKm2 = options.AreaKm2;
        if (unitConverts(options))
            series.RunoffScale = options.Scale[RoleRunoff];
    }
    return true;
}

bool TakePeriod(const TCsvTable &table, const TImportOptions &options, const TSeries &series,
                TImportResult &result, std::string &error)
{
    result = series.Base;
    const UCsvPeriod::TPeriodRequest request{options.Analysis, result.Order, options.From,
                                             options.To, options.Irregular};
    UCsvPeriod::TPeriod period;
    const bool chosen =
        UCsvPeriod::ChoosePeriod(table, result.Columns[RoleDate], request, series.Seconds,
                                 series.Missing, period, result.Notes, error);
    result.Gaps = period.Gaps;
    if (!chosen)
        return false;
    takeRows(series, options.Analysis, period.First, period.Last, result);
    return true;
}

void TakeRows(const TSeries &series, bool analysis, std::size_t first, std::size_t last,
              TImportResult &result)
{
    result = series.Base;
    takeRows(series, analysis, first, last, result);
}

bool ImportSeries(const TCsvTable &table, const TImportOptions &options, TImportResult &result,
                  std::string &error)
{
    result = {};
    TSeries series;
    if (!ReadSeries(table, options, series, error) ||
        !TakePeriod(table, options, series, result, error))
        return false;
    result.Notes.push_back(URunoffUnit::UnitsNote(URunoffUnit::TRunoffUnit::None));
    return true;
}

std::string GapText(const TCsvTable &table, const TImportResult &result, const TGap &gap)
{
    return UCsvPeriod::GapText(table, result.Columns[RoleDate], gap);
}

std::string ImportedTitle2(const std::string &fileName, const TImportResult &result, bool analysis)
{
    return USheetTitle::ImportedTitle(fileName, result.FirstDate, result.TimeUnit, result.Scale,
                                      analysis);
}

} // namespace quellow::UCsvImport
