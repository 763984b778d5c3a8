#include "model/UCsvImport.h"

#include "model/UFileUtil.h"
#include "model/UPrediction.h"
#include "model/URunShared.h"
#include "model/UTextFields.h"

#include <date/date.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace quellow::UCsvImport {

namespace {

/// Values beyond this are refused by the runs as well.
constexpr double LargestValue = 1e9;
/// Lines looked at to find the delimiter.
constexpr std::size_t SampleLines = 100;
/// Problems named in one message.
constexpr std::size_t NamedProblems = 5;

std::string lower(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

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

std::string lineText(std::size_t line)
{
    return "line " + std::to_string(line);
}

/// Splits one line at delimiter; double quotes enclose fields that hold the delimiter ("" is
/// one quote). Blanks split at every run of blanks and tabs. Fields are trimmed.
std::vector<std::string> splitFields(std::string_view line, char delimiter)
{
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    bool any = false;
    const bool blanks = delimiter == ' ';
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"')
                field += line[++i];
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = any = true;
        } else if (blanks ? (c == ' ' || c == '\t') : c == delimiter) {
            if (blanks && !any)
                continue;
            fields.emplace_back(trim(field));
            field.clear();
            any = false;
        } else {
            field += c;
            any = any || !(c == ' ' || c == '\t');
        }
    }
    if (!blanks || any)
        fields.emplace_back(trim(field));
    return fields;
}

/// The delimiter that splits every sample line (the first may be a header) into the same
/// number of fields, at least two; tab, semicolon and comma before blanks. 0 when none does.
char findDelimiter(const std::vector<std::string_view> &lines)
{
    for (char candidate : {'\t', ';', ',', ' '}) {
        const std::size_t sample = std::min(lines.size(), SampleLines);
        std::size_t count = 0;
        bool same = true;
        for (std::size_t k = 0; k < sample && same; ++k) {
            const std::size_t n = splitFields(lines[k], candidate).size();
            // A header split at blanks may have more fields than its rows ("TURC [mm d-1]").
            if (k == 0 && sample > 1)
                same = n >= 2;
            else if (count == 0)
                count = n, same = n >= 2;
            else
                same = n == count;
        }
        if (same)
            return candidate;
    }
    return 0;
}

/// A field that no data row would hold: neither number, date nor missing value.
bool isHeaderField(const std::string &field, const std::string &missing)
{
    double value = 0;
    TDateParts parts;
    return !IsMissing(field, missing, true) && !ParseNumber(field, true, value) &&
           !SplitDate(field, parts);
}

/// The lines that carry rows: not empty, not a comment.
std::vector<std::string_view> contentLines(std::string_view text, std::vector<std::size_t> &numbers,
                                           std::string &error)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0, number = 0;
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        start = 3; // byte order mark
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        ++number;
        if (end - start > MaxLineLength) {
            error = "Line " + std::to_string(number) + " is longer than " +
                    std::to_string(MaxLineLength) + " characters: this is not a table of values.";
            return {};
        }
        const std::string_view line = trim(text.substr(start, end - start));
        if (!line.empty() && line.front() != '#') {
            lines.push_back(line);
            numbers.push_back(number);
        }
        start = end + (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

/// Checks that every row has the header's number of fields; names the first that has not.
bool sameWidth(TCsvTable &table, std::string &error)
{
    const std::size_t width = table.Rows.empty() ? 0 : table.Rows.front().size();
    if (width > MaxColumns) {
        error = "The rows have " + std::to_string(width) + " fields: more than " +
                std::to_string(MaxColumns) + " columns is not a table of series.";
        return false;
    }
    for (std::size_t r = 0; r < table.Rows.size(); ++r) {
        if (table.Rows[r].size() != width) {
            error = "Line " + std::to_string(table.LineNumbers[r]) + " has " +
                    std::to_string(table.Rows[r].size()) + " fields where line " +
                    std::to_string(table.LineNumbers.front()) + " has " + std::to_string(width) +
                    ": mixed delimiters or a broken line.";
            return false;
        }
    }
    if (!table.HasHeader || table.Names.size() == width)
        return true;
    if (table.Delimiter == ' ') {
        table.Names.resize(width); // names with blanks cannot be told apart: positions count
        return true;
    }
    error = "The header has " + std::to_string(table.Names.size()) + " fields but the rows have " +
            std::to_string(width) + ": mixed delimiters?";
    return false;
}

} // namespace

const char *RoleName(int role)
{
    static const char *const names[RoleCount] = {"date", "rain", "escape", "runoff"};
    return role >= 0 && role < RoleCount ? names[role] : "?";
}

const char *DateOrderName(TDateOrder order)
{
    switch (order) {
    case TDateOrder::Ymd:
        return "ymd";
    case TDateOrder::Dmy:
        return "dmy";
    case TDateOrder::Mdy:
        return "mdy";
    case TDateOrder::Auto:
        break;
    }
    return "auto";
}

bool ParseDateOrder(std::string_view text, TDateOrder &order)
{
    for (TDateOrder o : {TDateOrder::Auto, TDateOrder::Ymd, TDateOrder::Dmy, TDateOrder::Mdy})
        if (lower(text) == DateOrderName(o)) {
            order = o;
            return true;
        }
    return false;
}

std::string TCsvTable::ColumnName(int column) const
{
    if (column >= 0 && static_cast<std::size_t>(column) < Names.size() && !Names[column].empty())
        return "'" + Names[column] + "'";
    return "column " + std::to_string(column + 1);
}

bool IsMissing(std::string_view field, const std::string &marker, bool decimalComma)
{
    field = trim(field);
    if (field.empty() || (!marker.empty() && field == trim(marker)))
        return true;
    const std::string text = lower(field);
    if (text == "na" || text == "n/a" || text == "nan" || text == "-nan")
        return true;
    double value = 0;
    if (!ParseNumber(field, decimalComma, value))
        return false;
    double mark = 0;
    return value == -999 || value == -9999 ||
           (!marker.empty() && ParseNumber(marker, decimalComma, mark) && value == mark);
}

bool ParseNumber(std::string_view field, bool decimalComma, double &value)
{
    field = trim(field);
    if (decimalComma)
        return parseRealAnySeparator(field, value);
    return parseReal(field, value);
}

bool ReadCsvText(std::string_view text, TCsvTable &table, std::string &error,
                 const std::string &missing)
{
    table = {};
    std::vector<std::size_t> numbers;
    error.clear();
    const std::vector<std::string_view> lines = contentLines(text, numbers, error);
    if (!error.empty())
        return false;
    if (lines.empty()) {
        error = "The file holds no rows.";
        return false;
    }
    table.Delimiter = findDelimiter(lines);
    if (table.Delimiter == 0) {
        error = "No delimiter (comma, semicolon, tab or blanks) splits the lines into the same "
                "number of fields: mixed delimiters, or not a table of values.";
        return false;
    }
    std::vector<std::string> first = splitFields(lines.front(), table.Delimiter);
    table.HasHeader = std::any_of(first.begin(), first.end(),
                                  [&](const std::string &f) { return isHeaderField(f, missing); });
    if (table.HasHeader)
        table.Names = std::move(first);
    for (std::size_t k = table.HasHeader ? 1 : 0; k < lines.size(); ++k) {
        table.Rows.push_back(splitFields(lines[k], table.Delimiter));
        table.LineNumbers.push_back(numbers[k]);
    }
    if (table.Rows.empty()) {
        error = "The file holds a header line but no rows.";
        return false;
    }
    if (!sameWidth(table, error))
        return false;
    // A comma in a field is a decimal comma unless commas delimit the fields.
    if (table.Delimiter != ',')
        for (const auto &row : table.Rows)
            for (const auto &field : row)
                if (field.find(',') != std::string::npos)
                    table.DecimalComma = true;
    return true;
}

bool ReadCsvFile(const std::string &path, TCsvTable &table, std::string &error,
                 const std::string &missing)
{
    std::string content;
    switch (readWholeFile(path, content, MaxCsvBytes)) {
    case TReadStatus::Ok:
        break;
    case TReadStatus::CannotOpen:
        error = "The file \"" + path + "\" could not be opened.";
        return false;
    case TReadStatus::TooLarge:
        error = "The file \"" + path + "\" is larger than " + std::to_string(MaxCsvBytes >> 20) +
                " MB: too large for a series to import.";
        return false;
    case TReadStatus::Binary:
        error = "The file \"" + path + "\" is not a text file.";
        return false;
    }
    if (ReadCsvText(content, table, error, missing))
        return true;
    error = "The file \"" + path + "\" cannot be imported. " + error;
    return false;
}

// ---- Dates ------------------------------------------------------------------------------------

namespace {

/// Reads 1 to maxDigits digits at text[pos]; advances pos.
bool readNumber(std::string_view text, std::size_t &pos, int maxDigits, int &value, int &digits)
{
    value = 0;
    digits = 0;
    while (pos < text.size() && isDigit(text[pos]) && digits < maxDigits) {
        value = value * 10 + (text[pos++] - '0');
        ++digits;
    }
    return digits > 0 && !(pos < text.size() && isDigit(text[pos]));
}

/// Reads "hh:mm", "hh:mm:ss" or "hh:mm:ss.fff" (fraction dropped) and an optional 'Z'.
bool readTimeOfDay(std::string_view text, std::size_t pos, std::int64_t &seconds)
{
    int h = 0, m = 0, sec = 0, digits = 0;
    if (!readNumber(text, pos, 2, h, digits) || pos >= text.size() || text[pos++] != ':' ||
        !readNumber(text, pos, 2, m, digits) || digits != 2)
        return false;
    if (pos < text.size() && text[pos] == ':') {
        ++pos;
        if (!readNumber(text, pos, 2, sec, digits) || digits != 2)
            return false;
        if (pos < text.size() && text[pos] == '.') {
            ++pos;
            while (pos < text.size() && isDigit(text[pos]))
                ++pos;
        }
    }
    if (pos < text.size() && text[pos] == 'Z')
        ++pos;
    if (pos != text.size() || h > 24 || m > 59 || sec > 59 || (h == 24 && (m > 0 || sec > 0)))
        return false;
    seconds = h * 3600 + m * 60 + sec;
    return true;
}

} // namespace

bool SplitDate(std::string_view text, TDateParts &parts)
{
    text = trim(text);
    std::size_t pos = 0;
    parts = {};
    for (int k = 0; k < 3; ++k) {
        if (!readNumber(text, pos, 4, parts.Part[k], parts.Digits[k]))
            return false;
        if (k == 2)
            break;
        if (pos >= text.size())
            return false;
        const char sep = text[pos++];
        if (sep != '-' && sep != '.' && sep != '/')
            return false;
        if (k == 0)
            parts.Separator = sep;
        else if (sep != parts.Separator)
            return false;
    }
    // The year has four digits, first or last.
    if (!(parts.Digits[0] == 4 && parts.Digits[2] <= 2) &&
        !(parts.Digits[2] == 4 && parts.Digits[0] <= 2))
        return false;
    if (parts.Digits[1] > 2)
        return false;
    if (pos == text.size())
        return true;
    if (text[pos] == 'T')
        ++pos;
    else if (text[pos] == ' ')
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
    else
        return false;
    return readTimeOfDay(text, pos, parts.Seconds);
}

bool DateSeconds(const TDateParts &parts, TDateOrder order, std::int64_t &seconds)
{
    int y = 0, m = 0, d = 0;
    const bool yearFirst = parts.Digits[0] == 4;
    if (order == TDateOrder::Auto)
        order = yearFirst                ? TDateOrder::Ymd
                : parts.Separator == '/' ? TDateOrder::Mdy
                                         : TDateOrder::Dmy;
    if (yearFirst != (order == TDateOrder::Ymd)) {
        // A year-first date is read as such whatever order was asked for the others.
        if (!yearFirst)
            return false;
        order = TDateOrder::Ymd;
    }
    switch (order) {
    case TDateOrder::Ymd:
        y = parts.Part[0], m = parts.Part[1], d = parts.Part[2];
        break;
    case TDateOrder::Dmy:
        d = parts.Part[0], m = parts.Part[1], y = parts.Part[2];
        break;
    default:
        m = parts.Part[0], d = parts.Part[1], y = parts.Part[2];
        break;
    }
    const date::year_month_day ymd{date::year{y}, date::month{static_cast<unsigned>(m)},
                                   date::day{static_cast<unsigned>(d)}};
    if (!ymd.ok())
        return false;
    seconds = std::int64_t{date::sys_days{ymd}.time_since_epoch().count()} * 86400 + parts.Seconds;
    return true;
}

// ---- Columns ----------------------------------------------------------------------------------

namespace {

bool nameMatches(const std::string &name, int role)
{
    const std::string n = lower(name);
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
        return !has({"sim"}) &&
               (has({"runoff", "discharge", "qobs", "flow", "abfluss", "afvoer"}) || n == "q");
    default:
        return has({"date", "time", "datum"});
    }
}

bool used(const std::array<int, RoleCount> &columns, int column)
{
    return std::find(columns.begin(), columns.end(), column) != columns.end();
}

int roleCount(bool analysis)
{
    return analysis ? RoleCount : RoleCount - 1;
}

} // namespace

void GuessColumns(const TCsvTable &table, bool analysis, std::array<int, RoleCount> &columns)
{
    const int width = static_cast<int>(table.ColumnCount());
    if (columns[RoleDate] < 0) {
        TDateParts parts;
        for (int c = 0; c < width && columns[RoleDate] < 0; ++c)
            if (!used(columns, c) && SplitDate(table.Rows.front()[c], parts))
                columns[RoleDate] = c;
    }
    for (int role = RoleRain; role < roleCount(analysis); ++role)
        for (int c = 0; c < width && columns[role] < 0 && c < static_cast<int>(table.Names.size());
             ++c)
            if (!used(columns, c) && nameMatches(table.Names[c], role))
                columns[role] = c;
    // Without names that tell, the columns after the date in their order.
    for (int role = RoleRain; role < roleCount(analysis); ++role)
        for (int c = 0; c < width && columns[role] < 0; ++c)
            if (!used(columns, c))
                columns[role] = c;
}

bool ParseColumnList(std::string_view list, const TCsvTable &table, bool analysis,
                     std::array<int, RoleCount> &columns, std::string &error)
{
    columns = {-1, -1, -1, -1};
    int role = 0;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(',', start);
        if (end == std::string_view::npos)
            end = list.size();
        const std::string item(trim(list.substr(start, end - start)));
        start = end + 1;
        if (role >= RoleCount) {
            error = "--columns takes at most four columns: date,rain,escape,runoff.";
            return false;
        }
        int number = 0;
        if (item.empty()) {
            ++role; // left to the guess
            continue;
        }
        if (parseInt(item, number) && number >= 1 &&
            static_cast<std::size_t>(number) <= table.ColumnCount()) {
            columns[role++] = number - 1;
            continue;
        }
        const auto found =
            std::find_if(table.Names.begin(), table.Names.end(),
                         [&](const std::string &n) { return lower(n) == lower(item); });
        if (found == table.Names.end()) {
            error = "--columns: the file has no column \"" + item + "\" (" + RoleName(role) + ").";
            return false;
        }
        columns[role++] = static_cast<int>(found - table.Names.begin());
    }
    if (role < 3) {
        error = "--columns names date,rain,escape" + std::string(analysis ? ",runoff" : "") + ".";
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
    std::array<std::vector<char>, RoleCount> Missing;
};

std::string dateOrderText(TDateOrder order)
{
    switch (order) {
    case TDateOrder::Dmy:
        return "day.month.year";
    case TDateOrder::Mdy:
        return "month/day/year";
    default:
        return "year-month-day";
    }
}

const std::string &dateField(const TCsvTable &table, const TImportResult &result, std::size_t row)
{
    return table.Rows[row][result.Columns[RoleDate]];
}

std::string rowText(const TCsvTable &table, const TImportResult &result, std::size_t row)
{
    return lineText(table.LineNumbers[row]) + " (" + dateField(table, result, row) + ")";
}

std::string joinProblems(const std::vector<std::string> &problems)
{
    std::string text;
    for (std::size_t k = 0; k < problems.size() && k < NamedProblems; ++k)
        text += (k ? "; " : "") + problems[k];
    if (problems.size() > NamedProblems)
        text += "; and " + std::to_string(problems.size() - NamedProblems) + " more";
    return text;
}

bool checkColumns(const TCsvTable &table, bool analysis, const TImportResult &result,
                  std::string &error)
{
    if (result.Columns[RoleDate] < 0) {
        error = "No column holds dates (such as 2015-11-01, 01.11.2015 or 11/1/2015) in " +
                lineText(table.LineNumbers.front()) + ": the time of each row must be a date.";
        return false;
    }
    for (int role = RoleRain; role < roleCount(analysis); ++role)
        if (result.Columns[role] < 0 ||
            static_cast<std::size_t>(result.Columns[role]) >= table.ColumnCount()) {
            error = std::string("The file has no column for the ") +
                    (role == RoleEscape ? "escape rate" : RoleName(role)) + ": " +
                    std::to_string(table.ColumnCount()) + " columns found, " +
                    std::to_string(roleCount(analysis)) + " needed (date, rain, escape rate" +
                    (analysis ? ", runoff)." : ").");
            return false;
        }
    return true;
}

/// The order of dates that do not start with the year: day first when a first part exceeds
/// 12, month first when a second one does, else by the separator ('/' month first). False
/// when both are met.
bool findDateOrder(const std::vector<TDateParts> &parts, TImportResult &result, std::string &error)
{
    bool dayFirst = false, monthFirst = false, other = false;
    char separator = 0;
    for (const TDateParts &date : parts) {
        if (date.Digits[0] == 4)
            continue;
        other = true;
        separator = date.Separator;
        dayFirst = dayFirst || date.Part[0] > 12;
        monthFirst = monthFirst || date.Part[1] > 12;
    }
    if (dayFirst && monthFirst) {
        error = "Some dates have the day first, others the month first: the dates cannot "
                "be read in one order.";
        return false;
    }
    result.Order = !other             ? TDateOrder::Ymd
                   : dayFirst         ? TDateOrder::Dmy
                   : monthFirst       ? TDateOrder::Mdy
                   : separator == '/' ? TDateOrder::Mdy
                                      : TDateOrder::Dmy;
    result.OrderAmbiguous = other && !dayFirst && !monthFirst;
    return true;
}

/// Finds the order of the dates (unless asked) and reads them as seconds.
bool readDates(const TCsvTable &table, TDateOrder asked, TImportResult &result,
               std::vector<std::int64_t> &seconds, std::string &error)
{
    const std::size_t n = table.Rows.size();
    std::vector<TDateParts> parts(n);
    for (std::size_t r = 0; r < n; ++r)
        if (!SplitDate(dateField(table, result, r), parts[r])) {
            error = "The date \"" + dateField(table, result, r) + "\" in " +
                    lineText(table.LineNumbers[r]) +
                    " cannot be read: dates are taken as 2015-11-01, 01.11.2015 or 11/1/2015, "
                    "with or without a time of day (13:30).";
            return false;
        }
    result.Order = asked;
    if (asked == TDateOrder::Auto && !findDateOrder(parts, result, error))
        return false;
    seconds.resize(n);
    for (std::size_t r = 0; r < n; ++r)
        if (!DateSeconds(parts[r], result.Order, seconds[r])) {
            error = "The date \"" + dateField(table, result, r) + "\" in " +
                    lineText(table.LineNumbers[r]) + " is no date when read as " +
                    dateOrderText(result.Order) + ".";
            return false;
        }
    return true;
}

bool checkTimeOrder(const TCsvTable &table, const TImportResult &result,
                    const std::vector<std::int64_t> &seconds, std::string &error)
{
    std::vector<std::string> problems;
    for (std::size_t r = 1; r < seconds.size(); ++r)
        if (seconds[r] <= seconds[r - 1])
            problems.push_back(
                rowText(table, result, r) +
                (seconds[r] == seconds[r - 1] ? " repeats the date of " : " comes after ") +
                rowText(table, result, r - 1));
    if (problems.empty())
        return true;
    error = "Dates out of order or repeated: " + joinProblems(problems) +
            ". The rows must follow each other in time, one row per date.";
    return false;
}

bool readValues(const TCsvTable &table, const TImportOptions &options, const TImportResult &result,
                TValues &values, std::string &error)
{
    const std::size_t n = table.Rows.size();
    for (int role = RoleRain; role < roleCount(options.Analysis); ++role) {
        values.Value[role].assign(n, 0.0);
        values.Missing[role].assign(n, 0);
        const int column = result.Columns[role];
        for (std::size_t r = 0; r < n; ++r) {
            const std::string &field = table.Rows[r][column];
            double v = 0;
            if (IsMissing(field, options.Missing, table.DecimalComma)) {
                values.Missing[role][r] = 1;
                continue;
            }
            const std::string where = " in " + lineText(table.LineNumbers[r]) + ", column " +
                                      table.ColumnName(column) + " (" + RoleName(role) + ")";
            if (!ParseNumber(field, table.DecimalComma, v)) {
                error = "\"" + field + "\"" + where + " is not a number.";
                return false;
            }
            if (options.Scale[role] != 1)
                v = roundProduct(v * options.Scale[role]);
            if (!(std::fabs(v) <= LargestValue) || (role != RoleEscape && v < 0)) {
                error = "The value " + field + where +
                        (v < 0 ? " is negative." : " is too large for a run.");
                return false;
            }
            values.Value[role][r] = v == 0 ? 0.0 : v;
        }
    }
    return true;
}

std::vector<TGap> findGaps(const TValues &values, int roles, std::size_t n)
{
    std::vector<TGap> gaps;
    for (int role = RoleRain; role < roles; ++role)
        for (std::size_t r = 0; r < n; ++r) {
            if (!values.Missing[role][r])
                continue;
            TGap gap{role, r, r};
            while (gap.Last + 1 < n && values.Missing[role][gap.Last + 1])
                ++gap.Last;
            gaps.push_back(gap);
            r = gap.Last;
        }
    std::sort(gaps.begin(), gaps.end(),
              [](const TGap &a, const TGap &b) { return a.First < b.First; });
    return gaps;
}

} // namespace

std::string GapText(const TCsvTable &table, const TImportResult &result, const TGap &gap)
{
    const std::size_t rows = gap.Last - gap.First + 1;
    std::string text = std::string(RoleName(gap.Role)) + ": " + dateField(table, result, gap.First);
    if (rows > 1)
        text += " to " + dateField(table, result, gap.Last);
    return text + " (" + std::to_string(rows) + (rows == 1 ? " row)" : " rows)");
}

// ---- Period -----------------------------------------------------------------------------------

namespace {

/// A date of --from / --to as seconds; a date without a time of day ends at its last second
/// when it closes the period.
bool periodBound(const std::string &text, TDateOrder order, bool end, std::int64_t &seconds,
                 std::string &error)
{
    TDateParts parts;
    if (!SplitDate(text, parts) || !DateSeconds(parts, order, seconds)) {
        error = "The date \"" + text + "\" of the period cannot be read (as " +
                dateOrderText(parts.Digits[0] == 4 ? TDateOrder::Ymd : order) + ").";
        return false;
    }
    const bool timeGiven = trim(text).find_first_of(" T") != std::string_view::npos;
    if (end && !timeGiven)
        seconds += 86399;
    return true;
}

std::string modeLimitText(bool analysis, int limit)
{
    return std::string(analysis ? "an analysis" : "a prediction") + " takes at most " +
           std::to_string(limit) + " rows";
}

/// The rows of the period asked for: all of them without gaps and within the limit.
bool askedPeriod(const TCsvTable &table, const TImportOptions &options,
                 const std::vector<std::int64_t> &seconds, int limit, TImportResult &result,
                 std::string &error)
{
    std::int64_t from = seconds.front(), to = seconds.back();
    if ((!options.From.empty() && !periodBound(options.From, result.Order, false, from, error)) ||
        (!options.To.empty() && !periodBound(options.To, result.Order, true, to, error)))
        return false;
    const auto first = std::lower_bound(seconds.begin(), seconds.end(), from) - seconds.begin();
    const auto past = std::upper_bound(seconds.begin(), seconds.end(), to) - seconds.begin();
    const std::string period = "The period " + (options.From.empty() ? "start" : options.From) +
                               " to " + (options.To.empty() ? "end" : options.To);
    if (first >= past) {
        error = period + " holds no rows of the file.";
        return false;
    }
    result.First = static_cast<std::size_t>(first);
    result.Last = static_cast<std::size_t>(past - 1);
    std::vector<std::string> inside;
    for (const TGap &gap : result.Gaps)
        if (gap.Last >= result.First && gap.First <= result.Last)
            inside.push_back(GapText(table, result, gap));
    if (!inside.empty()) {
        error = period + " has gaps: " + joinProblems(inside) + ". Choose a period without gaps.";
        return false;
    }
    const std::size_t rows = result.Last - result.First + 1;
    if (rows > static_cast<std::size_t>(limit)) {
        error = period + " holds " + std::to_string(rows) + " rows; " +
                modeLimitText(options.Analysis, limit) + ". Choose a shorter period.";
        return false;
    }
    result.Notes.push_back(
        "Imported the period asked for: " + dateField(table, result, result.First) + " to " +
        dateField(table, result, result.Last) + " (" + std::to_string(rows) + " rows).");
    return true;
}

/// The longest run of rows without gaps (the first of equal ones), cut to the limit.
bool longestPeriod(const TCsvTable &table, const TImportOptions &options,
                   const std::vector<char> &good, int limit, TImportResult &result,
                   std::string &error)
{
    std::size_t bestFirst = 0, bestRows = 0;
    for (std::size_t r = 0; r < good.size(); ++r) {
        if (!good[r])
            continue;
        std::size_t end = r;
        while (end < good.size() && good[end])
            ++end;
        if (end - r > bestRows)
            bestFirst = r, bestRows = end - r;
        r = end;
    }
    if (bestRows == 0) {
        error = "No row has all of its values: there is no period without gaps to import.";
        return false;
    }
    result.First = bestFirst;
    result.Last = bestFirst + bestRows - 1;
    const std::string stretch = dateField(table, result, result.First) + " to " +
                                dateField(table, result, result.Last) + " (" +
                                std::to_string(bestRows) + " rows)";
    const bool whole = bestRows == good.size();
    if (bestRows > static_cast<std::size_t>(limit)) {
        result.Last = bestFirst + static_cast<std::size_t>(limit) - 1;
        result.Notes.push_back(
            std::string(whole ? "The file" : "The longest gap-free stretch") + ", " + stretch +
            ", is longer than " + modeLimitText(options.Analysis, limit) + ": the first " +
            std::to_string(limit) + " rows were imported, " +
            dateField(table, result, result.First) + " to " +
            dateField(table, result, result.Last) + ". Give a period to take others.");
    } else {
        result.Notes.push_back(std::string(whole ? "Imported every row: "
                                                 : "Imported the longest gap-free stretch: ") +
                               stretch + ".");
    }
    return true;
}

/// Chooses the time unit in which every elapsed time has at most two decimals (the file's
/// fixed fields): days, else hours, else minutes. Fills result.Time.
void elapsedTimes(const TCsvTable &table, const std::vector<std::int64_t> &seconds,
                  TImportResult &result)
{
    const std::int64_t start = seconds[result.First];
    const auto allMultiples = [&](std::int64_t step) {
        for (std::size_t r = result.First; r <= result.Last; ++r)
            if ((seconds[r] - start) % step != 0)
                return false;
        return true;
    };
    double unit = 86400;
    result.TimeUnit = "days";
    if (!allMultiples(864)) {
        unit = allMultiples(36) ? 3600 : 60;
        result.TimeUnit = unit == 3600 ? "hours" : "minutes";
    }
    for (std::size_t r = result.First; r <= result.Last; ++r)
        result.Time.push_back(static_cast<double>(seconds[r] - start) / unit);
    std::string note = "Time in " + result.TimeUnit + " from the first row (" +
                       dateField(table, result, result.First) + ")";
    if (unit != 86400)
        note += ": the steps are shorter than days with two decimals can show, so escape "
                "rates and runoff must be per " +
                std::string(unit == 3600 ? "hour" : "minute");
    result.Notes.push_back(note + ".");
}

void describeTable(const TCsvTable &table, const TImportOptions &options, TImportResult &result)
{
    static const char *const delimiters[] = {"comma", "semicolon", "tab", "blanks"};
    const int d = table.Delimiter == ','    ? 0
                  : table.Delimiter == ';'  ? 1
                  : table.Delimiter == '\t' ? 2
                                            : 3;
    std::string note = std::to_string(table.Rows.size()) + " rows, " + delimiters[d] +
                       " delimited, decimal " + (table.DecimalComma ? "comma" : "point") + ", " +
                       (table.HasHeader ? "with" : "without") + " a header line. Columns:";
    for (int role = RoleDate; role < roleCount(options.Analysis); ++role) {
        note += std::string(role ? ", " : " ") + RoleName(role) + " " +
                table.ColumnName(result.Columns[role]);
        if (role > RoleDate && options.Scale[role] != 1) {
            char factor[32];
            std::snprintf(factor, sizeof factor, "%.9g", options.Scale[role]);
            note += std::string(" times ") + factor;
        }
    }
    result.Notes.push_back(note + ".");
    std::string order = "Dates read as " + dateOrderText(result.Order);
    if (result.OrderAmbiguous)
        order +=
            std::string(": no date tells day and month apart; choose ") +
            (result.Order == TDateOrder::Dmy ? "month/day/year (mdy)" : "day.month.year (dmy)") +
            " if that is what the file means";
    result.Notes.push_back(order + ".");
}

/// Finds the gaps and notes them; returns which rows lie outside every gap.
std::vector<char> noteGaps(const TCsvTable &table, const TValues &values, int roles,
                           TImportResult &result)
{
    const std::size_t n = table.Rows.size();
    result.Gaps = findGaps(values, roles, n);
    std::vector<char> good(n, 1);
    for (const TGap &gap : result.Gaps)
        std::fill(good.begin() + gap.First, good.begin() + gap.Last + 1, 0);
    if (!result.Gaps.empty()) {
        std::vector<std::string> listed;
        for (const TGap &gap : result.Gaps)
            listed.push_back(GapText(table, result, gap));
        result.Notes.push_back(std::to_string(result.Gaps.size()) + " gap" +
                               (result.Gaps.size() == 1 ? "" : "s") + ": " + joinProblems(listed) +
                               ".");
    }
    return good;
}

/// The period to import: the one asked for, or else the longest without gaps, of at most
/// the rows a run takes and at least MinImportRows.
bool choosePeriod(const TCsvTable &table, const TImportOptions &options,
                  const std::vector<std::int64_t> &seconds, const std::vector<char> &good,
                  TImportResult &result, std::string &error)
{
    const int limit = options.MaxRows > 0 ? options.MaxRows
                      : options.Analysis  ? MaxSteps
                                          : UPrediction::MaxPredSteps;
    const bool asked = !options.From.empty() || !options.To.empty();
    if (asked ? !askedPeriod(table, options, seconds, limit, result, error)
              : !longestPeriod(table, options, good, limit, result, error))
        return false;
    const std::size_t rows = result.Last - result.First + 1;
    if (rows < static_cast<std::size_t>(MinImportRows)) {
        error = "The period " + dateField(table, result, result.First) + " to " +
                dateField(table, result, result.Last) + " holds only " + std::to_string(rows) +
                " rows; at least " + std::to_string(MinImportRows) + " are needed.";
        return false;
    }
    return true;
}

/// The values of the period's rows.
void takeRows(const TValues &values, bool analysis, TImportResult &result)
{
    for (std::size_t r = result.First; r <= result.Last; ++r) {
        result.Rain.push_back(values.Value[RoleRain][r]);
        result.Escape.push_back(values.Value[RoleEscape][r]);
        result.Runoff.push_back(analysis ? values.Value[RoleRunoff][r] : 0.0);
        result.MaxEscape = std::max(result.MaxEscape, values.Value[RoleEscape][r]);
    }
}

} // namespace

bool ImportSeries(const TCsvTable &table, const TImportOptions &options, TImportResult &result,
                  std::string &error)
{
    result = {};
    error.clear();
    if (table.Rows.empty()) {
        error = "The file holds no rows.";
        return false;
    }
    result.Columns = options.Columns;
    GuessColumns(table, options.Analysis, result.Columns);
    std::vector<std::int64_t> seconds;
    TValues values;
    if (!checkColumns(table, options.Analysis, result, error) ||
        !readDates(table, options.Order, result, seconds, error) ||
        !checkTimeOrder(table, result, seconds, error) ||
        !readValues(table, options, result, values, error))
        return false;
    describeTable(table, options, result);
    const std::vector<char> good = noteGaps(table, values, roleCount(options.Analysis), result);
    if (!choosePeriod(table, options, seconds, good, result, error))
        return false;
    elapsedTimes(table, seconds, result);
    takeRows(values, options.Analysis, result);
    result.Notes.push_back("Units stay as in the file: the model expects rain, escape rate and "
                           "runoff in mm per time unit (a factor converts a column).");
    return true;
}

void FillDataModule(const TImportResult &result, bool analysis, TDMQuellow &dm)
{
    const std::size_t n = result.Time.size();
    dm.Analysis = analysis;
    dm.ModeTag = analysis ? " Ana" : " Pre";
    if (analysis)
        dm.Drainage = false;
    dm.ResizeRows(0);
    dm.ResizeRows(n);
    for (std::size_t i = 0; i < n; ++i) {
        dm.Serial[i] = static_cast<std::int32_t>(i + 1);
        dm.Time[i] = result.Time[i];
        dm.Rain[i] = result.Rain[i];
        dm.Escape[i] = result.Escape[i];
        dm.Runoff[i] = result.Runoff[i];
    }
    dm.NrOfData = static_cast<std::int32_t>(n);
    dm.MaxEscape = result.MaxEscape;
}

std::string ImportedTitle2(const std::string &fileName, const TImportResult &result)
{
    return "Imported from " + fileName + "; time in " + result.TimeUnit + ", units as in the file";
}

double DischargeFactor(double areaKm2, bool cubicMetres, double unitSeconds)
{
    if (!(areaKm2 > 0))
        return 0;
    // l/s over km2: 1e-3 m3/s / (A 1e6 m2) m/s = 1e-6 / A mm/s.
    const double perSecond = (cubicMetres ? 1e-3 : 1e-6) / areaKm2;
    return perSecond * unitSeconds;
}

} // namespace quellow::UCsvImport
