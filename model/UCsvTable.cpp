#include "model/UCsvTable.h"

#include "model/UCsvDates.h"
#include "model/UFileUtil.h"
#include "model/UTextFields.h"

#include <algorithm>
#include <cctype>

namespace quellow::UCsvTable {

namespace {

/// Lines looked at to find the delimiter.
constexpr std::size_t SampleLines = 100;
/// Problems named in one message.
constexpr std::size_t NamedProblems = 5;

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
    UCsvDates::TDateParts parts;
    return !IsMissing(field, missing, true) && !ParseNumber(field, true, value) &&
           !UCsvDates::SplitDate(field, parts);
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
    const std::string text = Lower(field);
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

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string LineText(std::size_t line)
{
    return "line " + std::to_string(line);
}

std::string JoinProblems(const std::vector<std::string> &problems)
{
    std::string text;
    for (std::size_t k = 0; k < problems.size() && k < NamedProblems; ++k)
        text += (k ? "; " : "") + problems[k];
    if (problems.size() > NamedProblems)
        text += "; and " + std::to_string(problems.size() - NamedProblems) + " more";
    return text;
}

} // namespace quellow::UCsvTable
