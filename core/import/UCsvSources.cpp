#include "import/UCsvSources.h"

#include "files/UTextFields.h"

#include <algorithm>
#include <cmath>

namespace quellow::UCsvSources {

using UCsvImport::RoleDate;
using UCsvImport::RoleEscape;
using UCsvImport::RoleName;
using UCsvImport::RoleRain;
using UCsvImport::RoleRunoff;
using UCsvTable::IsFlag;
using UCsvTable::IsMissing;
using UCsvTable::LineText;
using UCsvTable::Lower;
using UCsvTable::TDecimalMark;

namespace {

constexpr double SquareKmPerSquareMile = 2.589988110336;

bool isDigits(std::string_view s)
{
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string inFile(const std::string &name)
{
    return "In " + name + ": ";
}

/// Two texts of a unit that say the same: the same unit, or the same words.
bool sameUnit(std::string_view a, std::string_view b)
{
    TRunoffUnit ua = TRunoffUnit::None, ub = TRunoffUnit::None;
    if (ParseRunoffUnit(a, ua) && ParseRunoffUnit(b, ub))
        return ua == ub;
    return URunoffUnit::PlainUnitText(a) == URunoffUnit::PlainUnitText(b);
}

} // namespace

// ---- The header ---------------------------------------------------------------------------------

THeaderInfo ReadHeaderInfo(std::string_view text)
{
    THeaderInfo info;
    std::size_t start = 0, number = 0, dataLines = 0;
    while (start < text.size()) {
        const std::size_t end = UCsvTable::LineEnd(text, start);
        ++number;
        const std::string_view line = trim(text.substr(start, end - start));
        start = end + (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);
        if (line.empty())
            continue;
        if (line.front() != '#' && ++dataLines > 2)
            break; // the header is read; the rows say nothing of the catchment
        const std::size_t colon = line.find(':');
        if (line.front() != '#' || colon == std::string_view::npos)
            continue; // an unlabelled number is never taken
        const std::string label = URunoffUnit::PlainUnitText(line.substr(1, colon - 1));
        const std::string_view value = trim(line.substr(colon + 1));
        if (label.find("area") != std::string::npos && info.AreaLine == 0) {
            std::size_t numberEnd = value.find_first_of(" \t");
            if (numberEnd == std::string_view::npos)
                numberEnd = value.size();
            const std::string unit = label + URunoffUnit::PlainUnitText(value.substr(numberEnd));
            double area = 0;
            double toKm2 = 0;
            if (unit.find("km2") != std::string::npos || unit.find("sqkm") != std::string::npos)
                toKm2 = 1;
            else if (unit.find("mi2") != std::string::npos ||
                     unit.find("sqmi") != std::string::npos)
                toKm2 = SquareKmPerSquareMile;
            if (!UCsvTable::ReadNumber(value.substr(0, numberEnd), TDecimalMark::Auto, area) ||
                !(area > 0)) {
                info.Notes.push_back("The area in " + LineText(number) + " (" + std::string(value) +
                                     ") is no positive number: not taken.");
            } else if (toKm2 == 0) {
                info.Notes.push_back("The area in " + LineText(number) +
                                     " names no unit of km² or square miles: not taken.");
            } else {
                info.AreaKm2 = area * toKm2;
                info.AreaLine = number;
            }
        } else if (!value.empty() && URunoffUnit::LabelsRunoffUnit(line.substr(1, colon - 1))) {
            if (info.UnitLine == 0) {
                info.Unit = std::string(value);
                info.UnitLine = number;
            } else if (info.OtherUnitLine == 0 && !sameUnit(info.Unit, value)) {
                info.OtherUnit = std::string(value);
                info.OtherUnitLine = number;
            }
        }
    }
    return info;
}

std::string TitleUnitNote(TRunoffUnit unit)
{
    if (unit == TRunoffUnit::None || unit == TRunoffUnit::Mm)
        return {};
    return std::string(" (runoff from ") + RunoffUnitName(unit) + ")";
}

// ---- Dates over several columns ---------------------------------------------------------------

namespace {

struct TDateColumns
{
    int Date = -1, Time = -1, Year = -1, Month = -1, Day = -1, Hour = -1;
    bool Split() const { return Year >= 0; }
};

bool isTimeField(std::string_view field)
{
    field = trim(field);
    if (field == "--:--" || field == "--:--:--")
        return true;
    UCsvDates::TDateParts parts;
    return field.find(':') != std::string_view::npos &&
           UCsvDates::SplitDate("2000-01-01 " + std::string(field), parts);
}

/// True when every row of column holds a whole number from low to high (of digits digits
/// when that is above 0).
bool wholeNumbers(const TCsvTable &table, int column, int low, int high, std::size_t digits)
{
    for (std::size_t r = 0; r < table.RowCount(); ++r) {
        const std::string_view f = table.Field(r, static_cast<std::size_t>(column));
        int v = 0;
        if (!isDigits(f) || (digits && f.size() != digits) || !parseInt(f, v) || v < low ||
            v > high)
            return false;
    }
    return true;
}

int namedColumn(const TCsvTable &table, std::initializer_list<const char *> names)
{
    for (std::size_t c = 0; c < table.Names.size(); ++c)
        for (const char *name : names)
            if (Lower(trim(table.Names[c])) == name)
                return static_cast<int>(c);
    return -1;
}

/// Finds the date: year, month, day (and hour) columns by their names, a date column
/// (followed perhaps by a time column), or consecutive columns of a year, month and day.
bool findDateColumns(const TCsvTable &table, TDateColumns &dc)
{
    const int width = static_cast<int>(table.ColumnCount());
    dc.Year = namedColumn(table, {"year", "yr", "yyyy"});
    dc.Month = namedColumn(table, {"month", "mnth", "mo", "mm", "mon"});
    dc.Day = namedColumn(table, {"day", "dy", "dd"});
    if (dc.Year >= 0 && dc.Month >= 0 && dc.Day >= 0) {
        dc.Hour = namedColumn(table, {"hr", "hour", "hh"});
        return true;
    }
    dc = {};
    UCsvDates::TDateParts parts;
    for (int c = 0; c < width; ++c)
        if (UCsvDates::SplitDate(table.Field(0, static_cast<std::size_t>(c)), parts)) {
            dc.Date = c;
            if (c + 1 < width) {
                bool times = true;
                for (std::size_t r = 0; r < table.RowCount() && times; ++r)
                    times = isTimeField(table.Field(r, static_cast<std::size_t>(c + 1)));
                if (times)
                    dc.Time = c + 1;
            }
            return true;
        }
    for (int c = 0; c + 2 < width; ++c)
        if (wholeNumbers(table, c, 1000, 2999, 4) && wholeNumbers(table, c + 1, 1, 12, 0) &&
            wholeNumbers(table, c + 2, 1, 31, 0)) {
            dc.Year = c, dc.Month = c + 1, dc.Day = c + 2;
            return true;
        }
    return false;
}

/// "YR+MNTH+DY[+HR]" or "DATE+TIME" or one column.
bool parseDateColumnsNamed(const TCsvTable &table, std::string_view named, TDateColumns &dc,
                           TImportProblem &problem)
{
    std::vector<int> parts;
    std::size_t start = 0;
    while (start <= named.size()) {
        std::size_t end = named.find('+', start);
        if (end == std::string_view::npos)
            end = named.size();
        const std::string_view item = trim(named.substr(start, end - start));
        const int c = table.FindColumn(item);
        if (c < 0) {
            problem = {};
            problem.Kind = TImportProblem::TKind::NoColumn;
            problem.Role = RoleDate;
            problem.Item = std::string(item);
            return false;
        }
        parts.push_back(c);
        start = end + 1;
    }
    dc = {};
    if (parts.size() == 1)
        dc.Date = parts[0];
    else if (parts.size() == 2)
        dc.Date = parts[0], dc.Time = parts[1];
    else if (parts.size() <= 4) {
        dc.Year = parts[0], dc.Month = parts[1], dc.Day = parts[2];
        dc.Hour = parts.size() == 4 ? parts[3] : -1;
    } else {
        problem = {};
        problem.Kind = TImportProblem::TKind::DateParts;
        return false;
    }
    return true;
}

/// The date of one row as one text (2015-11-01 or 2015-11-01 13:00); false when a part is
/// no whole number.
bool dateText(const TCsvTable &table, const TDateColumns &dc, std::size_t row, std::string &text,
              std::string &error)
{
    const auto field = [&](int c) { return table.Field(row, static_cast<std::size_t>(c)); };
    if (!dc.Split()) {
        text = std::string(field(dc.Date));
        const std::string_view time = dc.Time >= 0 ? field(dc.Time) : std::string_view();
        if (!time.empty() && time.substr(0, 2) != "--")
            text += " " + std::string(time);
        return true;
    }
    const int columns[4] = {dc.Year, dc.Month, dc.Day, dc.Hour};
    static const char *const names[4] = {"year", "month", "day", "hour"};
    int value[4] = {0, 0, 0, 0};
    for (int k = 0; k < 4; ++k) {
        if (columns[k] < 0)
            continue;
        const std::string_view f = field(columns[k]);
        if (!isDigits(f) || f.size() > 4 || !parseInt(f, value[k])) {
            error = LineText(table.LineNumbers[row]) + ": the " + names[k] + " \"" +
                    std::string(f) + "\" in column " + table.ColumnName(columns[k]) +
                    " is not a whole number.";
            return false;
        }
    }
    if (value[0] > 9999 || value[1] > 99 || value[2] > 99 || value[3] > 99) {
        text = printfText("%d-%d-%d", value[0], value[1], value[2]); // no date: named later
        return true;
    }
    // 2015-11-01 or 2015-11-01 13:00, the digits written directly (this runs for every row).
    text.assign(dc.Hour >= 0 ? "0000-00-00 00:00" : "0000-00-00");
    static const std::size_t at[4] = {0, 5, 8, 11};
    for (int k = 0; k < 4; ++k) {
        int v = value[k];
        for (std::size_t d = k == 0 ? 4 : 2; d-- > 0 && columns[k] >= 0;) {
            text[at[k] + d] = static_cast<char>('0' + v % 10);
            v /= 10;
        }
    }
    return true;
}

/// The flag codes of a field: 'm' missing, 'e' estimated, 'p' provisional, 0 otherwise.
char flagMeaning(std::string_view flag)
{
    char meaning = 0;
    std::size_t start = 0;
    while (start <= flag.size()) {
        std::size_t end = flag.find_first_of(":,", start);
        if (end == std::string_view::npos)
            end = flag.size();
        const std::string code = Lower(trim(flag.substr(start, end - start)));
        if (code == "m" || code == "mis" || code == "missing")
            return 'm';
        if (code == "e" || code == "est")
            meaning = 'e';
        else if ((code == "p" || code == "[p]") && meaning == 0)
            meaning = 'p';
        start = end + 1;
    }
    return meaning;
}

/// A file's table with its date as one column (added after the file's own) and its flags
/// applied: a row flagged missing has no value.
struct TDatedTable
{
    TCsvTable Table;
    std::size_t FileColumns = 0;
    int DateColumn = -1;
    std::vector<char> NotData;
    std::vector<std::vector<char>> Quality;
    std::vector<std::int64_t> Seconds;
    std::int64_t Step = 0;
};

bool dateTable(TCsvTable table, const TDateColumns &dc, bool blankFlagged, TDatedTable &dated,
               std::string &error)
{
    const std::size_t width = table.ColumnCount();
    const std::size_t rows = table.RowCount();
    dated.FileColumns = width;
    dated.NotData.assign(width, 0);
    dated.Quality.assign(width, {});
    for (int c : {dc.Time, dc.Year, dc.Month, dc.Day, dc.Hour})
        if (c >= 0)
            dated.NotData[static_cast<std::size_t>(c)] = 1;
    const bool compose = dc.Split() || dc.Time >= 0;
    if (compose && dc.Date >= 0)
        dated.NotData[static_cast<std::size_t>(dc.Date)] = 1; // read with its time
    // Flag columns: letters in every row; each belongs to the value column before it. A row
    // flagged missing has no value ('m'), estimated 'e', provisional 'p'.
    bool blanks = false;
    for (std::size_t c = 0; c < width; ++c) {
        if (dated.NotData[c] || static_cast<int>(c) == dc.Date)
            continue;
        bool flags = true, some = false;
        for (std::size_t r = 0; r < rows && flags; ++r) {
            const std::string_view f = table.Field(r, c);
            flags = f.empty() || IsFlag(f);
            some = some || !f.empty();
        }
        if (!flags || !some)
            continue;
        dated.NotData[c] = 1;
        std::size_t v = c;
        while (v-- > 0 && (dated.NotData[v] || static_cast<int>(v) == dc.Date)) {
        }
        if (v >= c)
            continue; // no value column before it
        std::vector<char> &quality = dated.Quality[v];
        quality.assign(rows, 0);
        for (std::size_t r = 0; r < rows; ++r) {
            quality[r] = flagMeaning(table.Field(r, c));
            blanks = blanks || quality[r] == 'm';
        }
    }
    if (blankFlagged && blanks) {
        // The values flagged missing become empty fields.
        TCsvTable out;
        out.Delimiter = table.Delimiter;
        out.DecimalComma = table.DecimalComma;
        out.HasHeader = table.HasHeader;
        out.LeadingLines = table.LeadingLines;
        out.Names = table.Names;
        out.Reserve(table.RowCount() * (width * 8 + 20), rows * width);
        std::vector<std::string> fields(width);
        for (std::size_t r = 0; r < rows; ++r) {
            for (std::size_t c = 0; c < width; ++c)
                fields[c] = !dated.Quality[c].empty() && dated.Quality[c][r] == 'm'
                                ? std::string()
                                : std::string(table.Field(r, c));
            out.AddRow(fields, table.LineNumbers[r], width);
        }
        std::copy(table.Marks.begin(), table.Marks.end(), out.Marks.begin());
        table = std::move(out);
    }
    dated.DateColumn = dc.Date;
    if (compose) {
        std::vector<std::string> texts(rows);
        for (std::size_t r = 0; r < rows; ++r)
            if (!dateText(table, dc, r, texts[r], error))
                return false;
        table.AppendColumn("date", texts);
        dated.DateColumn = static_cast<int>(width);
        dated.NotData.push_back(0);
        dated.Quality.emplace_back();
    }
    dated.Table = std::move(table);
    return true;
}

bool readDated(TCsvTable table, const TDateColumns &dc, TDatedTable &dated, std::string &error)
{
    if (!dateTable(std::move(table), dc, false, dated, error))
        return false;
    UCsvDates::TDates dates;
    if (!UCsvDates::ReadDates(dated.Table, dated.DateColumn, UCsvDates::TDateOrder::Auto, dates,
                              error))
        return false;
    dated.Seconds = std::move(dates.Seconds);
    dated.Step = UCsvPeriod::UsualStep(dated.Seconds);
    return true;
}

/// A column of whole-number identifiers (gauge numbers) or of one value throughout.
bool identifierOrConstant(const TCsvTable &table, std::size_t column)
{
    const std::string_view first = table.Field(0, column);
    for (std::size_t r = 1; r < table.RowCount(); ++r)
        if (table.Field(r, column) != first)
            return UCsvImport::IdentifierColumn(table, column);
    return true;
}

/// The value column of a role file: the one named, else one whose name says the role, else
/// the first that is neither date, flag, identifier nor constant.
bool roleColumn(const TSourceText &source, const TDatedTable &dated, int role, int &column,
                std::string &error)
{
    const TCsvTable &table = dated.Table;
    if (!source.Column.empty()) {
        column = table.FindColumn(source.Column);
        if (column < 0 || static_cast<std::size_t>(column) >= dated.FileColumns) {
            error = inFile(source.Name) + "there is no column \"" + source.Column + "\".";
            return false;
        }
        if (dated.NotData[static_cast<std::size_t>(column)] || column == dated.DateColumn) {
            const std::string name = table.ColumnName(column);
            error = inFile(source.Name) + (name.front() == '\'' ? "column " : "") + name +
                    " holds dates or quality flags, never values.";
            return false;
        }
        return true;
    }
    std::vector<int> left;
    std::vector<char> excluded(table.ColumnCount(), 1);
    for (std::size_t c = 0; c < dated.FileColumns; ++c)
        if (!dated.NotData[c] && static_cast<int>(c) != dated.DateColumn &&
            !identifierOrConstant(table, c)) {
            left.push_back(static_cast<int>(c));
            excluded[c] = 0;
        }
    column = UCsvImport::ColumnNamed(table, role, excluded);
    if (column >= 0)
        return true;
    if (left.empty()) {
        error =
            inFile(source.Name) + "no column is left for the " +
            (role == RoleEscape ? std::string("escape rate") : RoleName(role)) +
            " beside the date, flags, identifiers and constant columns: name it as FILE:COLUMN.";
        return false;
    }
    column = left.front();
    return true;
}

/// A number as a joined column holds it: its shortest form, never one that reads two ways.
std::string joinedText(double value)
{
    std::string text = shortestText(value);
    if (UCsvTable::NumberForm(text).TwoWays)
        text += "0";
    return text;
}

std::string dateRange(const TDatedTable &dated)
{
    return std::string(dated.Table.Field(0, static_cast<std::size_t>(dated.DateColumn))) + " to " +
           std::string(dated.Table.Field(dated.Table.RowCount() - 1,
                                         static_cast<std::size_t>(dated.DateColumn)));
}

/// A role's series read from its own file, as texts per row of the main file.
struct TJoined
{
    int Role = RoleRunoff;
    std::string Name;
    std::string Column;            ///< the column of the role's file (TCsvTable::ColumnName)
    std::vector<std::string> Text; ///< per main row; empty: no value
    std::vector<char> Quality;     ///< per main row
    THeaderInfo Header;
};

/// A role's file read with its header, its date as one column and its dates in seconds.
bool readRoleFile(const TSourceText &source, const std::string &missing, TJoined &joined,
                  TCsvTable &table, TDatedTable &dated, std::string &error)
{
    std::string text = source.Text;
    UCsvTable::TextAsUtf8(text);
    joined.Header = ReadHeaderInfo(text);
    TDateColumns dc;
    if (!UCsvTable::ReadCsvText(text, table, error, missing) ||
        (!findDateColumns(table, dc) &&
         (error = "no column holds dates, and no columns hold a year, month and day.", true)) ||
        !readDated(table, dc, dated, error)) {
        error = inFile(source.Name) + error;
        return false;
    }
    return true;
}

/// What a date is joined on: the date and time, or the calendar date of daily rows.
std::int64_t joinKey(std::int64_t seconds, bool daily)
{
    return daily ? (seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400)) : seconds;
}

/// The join keys of a role file's rows; false when a row repeats the key of the one before.
bool joinKeys(const TSourceText &source, const TCsvTable &table, const TDatedTable &dated,
              bool daily, std::vector<std::int64_t> &keys, std::string &error)
{
    keys.resize(dated.Seconds.size());
    for (std::size_t r = 0; r < keys.size(); ++r) {
        keys[r] = joinKey(dated.Seconds[r], daily);
        if (r > 0 && keys[r] == keys[r - 1]) {
            error = inFile(source.Name) + LineText(table.LineNumbers[r]) + " repeats the day of " +
                    LineText(table.LineNumbers[r - 1]) + ".";
            return false;
        }
    }
    return true;
}

/// A role file's column joined to the rows of main: how many of main's dates it holds.
struct TJoinCount
{
    std::size_t Matched = 0, Lacking = 0;
};

/// The values of column of a role file as texts per row of main, with their quality flags.
bool joinValues(const TSourceText &source, const TCsvTable &table, const TDatedTable &dated,
                int column, const std::string &roleText, const std::string &missing,
                const std::vector<std::int64_t> &keys, const TDatedTable &main, bool daily,
                TJoined &joined, TJoinCount &count, std::string &error)
{
    const TDecimalMark mark = dated.Table.ColumnMark(column, TDecimalMark::Auto);
    const std::size_t n = main.Seconds.size();
    joined.Text.assign(n, std::string());
    joined.Quality.assign(n, 0);
    const auto &quality = dated.Quality[static_cast<std::size_t>(column)];
    for (std::size_t r = 0; r < n; ++r) {
        const std::int64_t key = joinKey(main.Seconds[r], daily);
        const auto at = std::lower_bound(keys.begin(), keys.end(), key);
        if (at == keys.end() || *at != key) {
            ++count.Lacking;
            continue;
        }
        const auto k = static_cast<std::size_t>(at - keys.begin());
        ++count.Matched;
        const std::string_view field = dated.Table.Field(k, static_cast<std::size_t>(column));
        if (IsMissing(field, missing, mark) || (!quality.empty() && quality[k] == 'm'))
            continue;
        double value = 0;
        if (!UCsvTable::ReadNumber(field, mark, value)) {
            error = inFile(source.Name) + "\"" + std::string(field) + "\" in " +
                    LineText(table.LineNumbers[k]) + ", column " + dated.Table.ColumnName(column) +
                    " (" + roleText +
                    ") is not a number: give it as the marker of a missing "
                    "value if it marks one, or choose another column.";
            return false;
        }
        joined.Text[r] = joinedText(value);
        if (!quality.empty())
            joined.Quality[r] = quality[k] == 'm' ? 0 : quality[k];
    }
    return true;
}

/// The note on a join: where the series comes from, how it was joined, what it lacks and what
/// was left out.
std::string joinNote(const TSourceText &source, const TDatedTable &dated, int column,
                     const std::string &roleText, const std::string &mainName, bool daily,
                     std::size_t rows, const TJoinCount &count)
{
    const std::string columnName = dated.Table.ColumnName(column);
    std::string note = "The " + roleText + " comes from " + source.Name + ", " +
                       (columnName.front() == '\'' ? "column " : "") + columnName +
                       ", joined on the " + (daily ? "calendar date" : "date and time") + ": " +
                       std::to_string(count.Matched) + " of " + std::to_string(rows) +
                       " dates of " + mainName + " found";
    if (count.Lacking)
        note += "; " + std::to_string(count.Lacking) + " not in " + source.Name +
                " are gaps of the " + roleText;
    if (dated.Seconds.size() > count.Matched) {
        const std::size_t outside = dated.Seconds.size() - count.Matched;
        note += "; " + std::to_string(outside) + (outside == 1 ? " row of " : " rows of ") +
                source.Name + " outside those dates " + (outside == 1 ? "is" : "are") + " left out";
    }
    return note + ".";
}

bool joinRole(const TSourceText &source, int role, const TDatedTable &main,
              const std::string &mainName, const std::string &missing, TJoined &joined,
              std::vector<std::string> &notes, std::string &error)
{
    TCsvTable table;
    TDatedTable dated;
    int column = -1;
    if (!readRoleFile(source, missing, joined, table, dated, error) ||
        !roleColumn(source, dated, role, column, error))
        return false;
    const std::string roleText = role == RoleEscape ? "escape rate" : RoleName(role);
    if (dated.Step != main.Step && dated.Seconds.size() > 1 && main.Seconds.size() > 1) {
        error = "The steps of " + source.Name + " (" + UCsvPeriod::DurationText(dated.Step) +
                ") and of " + mainName + " (" + UCsvPeriod::DurationText(main.Step) +
                ") differ: a series is joined only with one of the same step.";
        return false;
    }
    // Daily rows join by calendar date, whatever hour each file gives them.
    const bool daily = main.Step == 86400 || (main.Seconds.size() < 2 && dated.Step == 86400);
    std::vector<std::int64_t> keys;
    if (!joinKeys(source, table, dated, daily, keys, error))
        return false;
    joined.Role = role;
    joined.Column = dated.Table.ColumnName(column);
    const std::string base = source.Name.substr(source.Name.find_last_of("/\\") + 1);
    joined.Name =
        base + ":" +
        (static_cast<std::size_t>(column) < table.Names.size() && !table.Names[column].empty()
             ? std::string(trim(table.Names[column]))
             : "column " + std::to_string(column + 1));
    TJoinCount count;
    if (!joinValues(source, table, dated, column, roleText, missing, keys, main, daily, joined,
                    count, error))
        return false;
    if (count.Matched == 0) {
        error = "The dates of " + source.Name + " (" + dateRange(dated) + ") overlap none of " +
                mainName + " (" + dateRange(main) + "): the " + roleText + " cannot be joined.";
        return false;
    }
    notes.push_back(
        joinNote(source, dated, column, roleText, mainName, daily, main.Seconds.size(), count));
    return true;
}

/// The runoff unit and the catchment area: the caller's, else the header's.
bool settleUnit(const TSourceRequest &request, const std::string &runoffFile, TFrame &frame,
                TImportProblem &problem)
{
    const THeaderInfo &header = frame.Header;
    for (const std::string &note : header.Notes)
        frame.Notes.push_back("In " + runoffFile + ": " + note);
    frame.Unit = request.Unit;
    if (request.Unit != TRunoffUnit::None) {
        frame.UnitFrom = request.GivenIn;
        for (const auto &[unit, line] : {std::pair(header.Unit, header.UnitLine),
                                         std::pair(header.OtherUnit, header.OtherUnitLine)})
            if (!unit.empty())
                frame.Notes.push_back(
                    "The unit \"" + unit + "\" that " + runoffFile + " names in " + LineText(line) +
                    " gives way to the one given: " + RunoffUnitName(request.Unit) + ".");
    } else if (!header.Unit.empty()) {
        if (!header.OtherUnit.empty()) {
            problem = {};
            problem.Kind = TImportProblem::TKind::UnitsDisagree;
            problem.Item = header.Unit;
            problem.Line = header.UnitLine;
            problem.OtherItem = header.OtherUnit;
            problem.OtherLine = header.OtherUnitLine;
            problem.File = runoffFile;
            return false;
        }
        if (!ParseRunoffUnit(header.Unit, frame.Unit)) {
            problem = {};
            problem.Kind = TImportProblem::TKind::UnitNotDischarge;
            problem.Item = header.Unit;
            problem.File = runoffFile;
            problem.Line = header.UnitLine;
            return false;
        }
        frame.UnitFrom = runoffFile + ", " + LineText(header.UnitLine);
    }
    if (request.AreaGiven) {
        if (!(request.AreaKm2 > 0) || !std::isfinite(request.AreaKm2)) {
            problem = TImportProblem::Message("The catchment area must be above 0 km2 (" +
                                              UCsvTable::NumberText(request.AreaKm2) + " given).");
            return false;
        }
        frame.AreaKm2 = request.AreaKm2;
        frame.AreaFrom = request.GivenIn;
        if (header.AreaKm2 > 0)
            frame.Notes.push_back("The area " + UCsvTable::NumberText(header.AreaKm2) +
                                  " km2 that " + runoffFile + " names in " +
                                  LineText(header.AreaLine) + " gives way to the one given.");
    } else if (header.AreaKm2 > 0) {
        frame.AreaKm2 = header.AreaKm2;
        frame.AreaFrom = runoffFile + ", " + LineText(header.AreaLine);
    }
    const bool discharge = IsDischarge(frame.Unit);
    if (frame.Unit != TRunoffUnit::None && frame.Unit != TRunoffUnit::Mm && !request.Analysis) {
        frame.Notes.push_back("A prediction takes no runoff: its unit is not used.");
        frame.Unit = TRunoffUnit::None;
        return true;
    }
    if (discharge && !(frame.AreaKm2 > 0)) {
        problem = {};
        problem.Kind = TImportProblem::TKind::NoArea;
        problem.Item = RunoffUnitName(frame.Unit);
        problem.UnitFrom = frame.UnitFrom;
        problem.File = runoffFile;
        return false;
    }
    return true;
}

} // namespace

namespace {

/// The main file's table with its date as one column: the columns the caller's list names, the
/// date from the columns it names, else from those found.
bool datedMain(const TSourceRequest &request, TCsvTable table, TFrame &frame, TDatedTable &main,
               TImportProblem &problem)
{
    std::array<std::string, RoleCount> roleFiles;
    for (int role = RoleDate; role < RoleCount; ++role)
        roleFiles[role] = request.Files[role].Name;
    UCsvImport::TColumnList list;
    if (!UCsvImport::ParseColumnList(request.Columns, table, request.Analysis, roleFiles, list,
                                     problem)) {
        problem.MainFile = request.Main.Name;
        return false;
    }
    frame.Columns = list.Columns;
    TDateColumns dc;
    if (!list.DateParts.empty()) {
        if (!parseDateColumnsNamed(table, list.DateParts, dc, problem))
            return false;
    } else if (frame.Columns[RoleDate] >= 0) {
        dc.Date = frame.Columns[RoleDate];
    } else if (!findDateColumns(table, dc)) {
        dc = {}; // the import names what it lacks
    }
    if (dc.Date < 0 && !dc.Split()) {
        main.Table = std::move(table);
        main.FileColumns = main.Table.ColumnCount();
        main.NotData.assign(main.FileColumns, 0);
        main.Quality.assign(main.FileColumns, {});
        return true;
    }
    std::string error;
    if (!dateTable(std::move(table), dc, true, main, error)) {
        problem = TImportProblem::Message(inFile(request.Main.Name) + error);
        return false;
    }
    return true;
}

/// The main file's dates in seconds and its step, which the joins need.
bool mainDates(const std::string &mainName, TDatedTable &main, std::string &error)
{
    if (main.DateColumn < 0) {
        error =
            inFile(mainName) + "no column holds dates, and no columns hold a year, month and day.";
        return false;
    }
    UCsvDates::TDates dates;
    if (!UCsvDates::ReadDates(main.Table, main.DateColumn, UCsvDates::TDateOrder::Auto, dates,
                              error)) {
        error = inFile(mainName) + error;
        return false;
    }
    main.Seconds = std::move(dates.Seconds);
    main.Step = UCsvPeriod::UsualStep(main.Seconds);
    return true;
}

/// The frame's table: the main file's columns, then each joined series as a column of its own;
/// and the main file's step where a join needed it.
void frameTable(TDatedTable &main, const std::vector<TJoined> &joined, TFrame &frame)
{
    frame.FileColumns = main.FileColumns;
    frame.NotData = main.NotData;
    frame.Quality = main.Quality;
    if (main.DateColumn >= 0)
        frame.Columns[RoleDate] = main.DateColumn;
    frame.Table = std::move(main.Table);
    for (const TJoined &j : joined) {
        frame.Table.AppendColumn(j.Name, j.Text);
        frame.Columns[j.Role] = static_cast<int>(frame.Table.ColumnCount() - 1);
        frame.NotData.push_back(0);
        frame.Quality.push_back(j.Quality);
    }
    frame.StepSeconds = main.Step;
}

bool message(TImportProblem &problem, std::string text)
{
    problem = TImportProblem::Message(std::move(text));
    return false;
}

} // namespace

bool BuildFrame(const TSourceRequest &request, TFrame &frame, TImportProblem &problem)
{
    frame = {};
    problem = {};
    std::string text = request.Main.Text;
    UCsvTable::TextAsUtf8(text);
    TCsvTable table;
    std::string error;
    if (!UCsvTable::ReadCsvText(text, table, error, request.Missing))
        return message(problem,
                       "The file \"" + request.Main.Name + "\" cannot be imported. " + error);
    TDatedTable main;
    if (!datedMain(request, std::move(table), frame, main, problem))
        return false;
    bool joins = false;
    for (int role = RoleRain; role < RoleCount; ++role)
        joins = joins || !request.Files[role].Name.empty();
    if (joins && !mainDates(request.Main.Name, main, error))
        return message(problem, error);
    frame.Header = ReadHeaderInfo(text);
    std::string runoffFile = request.Main.Name;
    std::vector<TJoined> joined;
    for (int role = RoleRain; role < RoleCount; ++role) {
        if (request.Files[role].Name.empty() || (role == RoleRunoff && !request.Analysis))
            continue;
        joined.emplace_back();
        if (!joinRole(request.Files[role], role, main, request.Main.Name, request.Missing,
                      joined.back(), frame.Notes, error))
            return message(problem, error);
        if (role == RoleRunoff) {
            frame.Header = joined.back().Header;
            runoffFile = request.Files[role].Name;
            frame.RunoffFile = runoffFile;
            frame.RunoffColumn = joined.back().Column;
        }
    }
    frameTable(main, joined, frame);
    if (!request.Analysis && request.Unit == TRunoffUnit::None && !request.AreaGiven)
        return true;
    return settleUnit(request, runoffFile, frame, problem);
}

bool FrameOptions(const TFrame &frame, UCsvImport::TImportOptions &options, std::string &error)
{
    for (int role = RoleDate; role < RoleCount; ++role)
        if (options.Columns[role] < 0)
            options.Columns[role] = frame.Columns[role];
    options.NotData = frame.NotData;
    options.Unit = frame.Unit;
    options.AreaKm2 = frame.AreaKm2;
    if (IsDischarge(frame.Unit) && !(frame.AreaKm2 > 0)) {
        error = "No factor converts the runoff: the catchment area is missing.";
        return false;
    }
    return true;
}

namespace {

std::string unitText(double unitSeconds)
{
    return unitSeconds == 86400 ? "day" : unitSeconds == 3600 ? "hour" : "minute";
}

double sum(const std::vector<double> &values)
{
    double total = 0;
    for (double v : values)
        total += v;
    return total;
}

/// The runoff's conversion in the time unit of the rows taken, once per time unit.
void noteConversion(const TFrame &frame,
                    const std::vector<const UCsvImport::TImportResult *> &taken,
                    std::vector<std::string> &notes)
{
    if (frame.Unit == TRunoffUnit::Mm) {
        notes.push_back("Runoff in mm (" + frame.UnitFrom + "): not converted.");
        return;
    }
    std::vector<double> noted;
    for (const UCsvImport::TImportResult *result : taken) {
        if (result->Unit == TRunoffUnit::None || result->Unit == TRunoffUnit::Mm ||
            std::find(noted.begin(), noted.end(), result->UnitSeconds) != noted.end())
            continue;
        noted.push_back(result->UnitSeconds);
        std::string note = std::string("Runoff converted from ") + RunoffUnitName(result->Unit) +
                           " (" + frame.UnitFrom + ") to mm per " + unitText(result->UnitSeconds);
        if (IsDischarge(result->Unit))
            note +=
                " over " + UCsvTable::NumberText(frame.AreaKm2) + " km2 (" + frame.AreaFrom + ")";
        notes.push_back(note + ": factor " + printfText("%.12g", result->UnitFactor) + ".");
    }
}

} // namespace

std::vector<std::string> TakenReport(const TFrame &frame, bool analysis,
                                     const std::vector<const UCsvImport::TImportResult *> &taken)
{
    std::vector<std::string> notes;
    if (taken.empty())
        return notes;
    notes.push_back(UnitsNote(frame.Unit));
    noteConversion(frame, taken, notes);
    const std::array<int, RoleCount> &columns = taken.front()->Columns;
    for (int role = RoleRain; role < RoleCount; ++role) {
        const int c = columns[role];
        if (c < 0 || static_cast<std::size_t>(c) >= frame.Quality.size() ||
            frame.Quality[static_cast<std::size_t>(c)].empty())
            continue;
        const auto &q = frame.Quality[static_cast<std::size_t>(c)];
        std::size_t estimated = 0, provisional = 0;
        for (const UCsvImport::TImportResult *result : taken)
            for (std::size_t r = result->First; r <= result->Last && r < q.size(); ++r) {
                estimated += q[r] == 'e';
                provisional += q[r] == 'p';
            }
        if (estimated || provisional)
            notes.push_back(std::string("Flags of the ") + RoleName(role) +
                            " in the rows taken: " + std::to_string(estimated) + " estimated, " +
                            std::to_string(provisional) + " provisional.");
    }
    if (analysis) {
        double rain = 0, escape = 0, runoff = 0;
        std::size_t rows = 0;
        for (const UCsvImport::TImportResult *result : taken) {
            rain += sum(result->Rain);
            escape += sum(result->Escape);
            runoff += sum(result->Runoff);
            rows += result->Time.size();
        }
        NoteBalance(rain, escape, runoff, rows, notes);
    }
    return notes;
}

void NoteBalance(double rain, double escape, double runoff, std::size_t rows,
                 std::vector<std::string> &notes)
{
    const double loss = rain - runoff;
    std::string note = printfText("Water balance of the %zu rows taken: rain %.1f, runoff %.1f",
                                  rows, rain, runoff);
    if (rain > 0)
        note += printfText(" (runoff ratio %.2f)", runoff / rain);
    note +=
        printfText("; loss (rain - runoff) %.1f against an escape total of %.1f.", loss, escape);
    notes.push_back(note);
    if (rain > 0 && runoff > rain)
        notes.push_back(printfText(
            "Warning: the runoff is %.2f times the rain. A discharge in the wrong unit (cfs "
            "read as m3/s) or an area in the wrong unit (square miles taken for km2) shows "
            "itself so: "
            "check the runoff unit and the catchment area.",
            runoff / rain));
    else if (rain > 0 && runoff < 0.01 * rain)
        notes.push_back(printfText(
            "Warning: the runoff is only %.3g %% of the rain. A runoff far too small (an area "
            "in m2, a discharge in m3/s read as l/s) shows itself so: check the runoff unit and "
            "the catchment area.",
            100 * runoff / rain));
    else if (escape > 0 && loss > 3 * escape)
        notes.push_back(printfText(
            "Warning: the loss (rain - runoff) is %.2f times the escape total. A runoff far too "
            "small (an area in m2, a discharge in m3/s read as l/s) shows itself so: check the "
            "runoff unit and the catchment area.",
            loss / escape));
    else if (escape > 0 && loss < escape / 3)
        notes.push_back(printfText(
            "Warning: the loss (rain - runoff) is only %.2f times the escape total. Escape rates "
            "far above what the catchment loses (a potential evaporation where water is short, "
            "an escape rate in the wrong unit) show themselves so, and a calibration then "
            "scales them down to a small factor: check the escape rates.",
            loss / escape));
}

} // namespace quellow::UCsvSources
