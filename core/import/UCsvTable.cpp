#include "import/UCsvTable.h"

#include "import/UCsvDates.h"
#include "files/UFileUtil.h"
#include "files/UTextFields.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace quellow::UCsvTable {

namespace {

/// Lines looked at to find the delimiter.
constexpr std::size_t SampleLines = 100;
/// Lines of one value that may stand before a table.
constexpr std::size_t MaxLeadingLines = 5;
/// Problems named in one message.
constexpr std::size_t NamedProblems = 5;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

TDecimalMark markOf(char c)
{
    return c == ',' ? TDecimalMark::Comma : TDecimalMark::Point;
}

/// True when digits, split at group, are one to three digits (not starting with 0) followed
/// by groups of exactly three: the thousands of a whole number.
bool groupsThousands(std::string_view digits, char group)
{
    std::size_t start = 0, k = 0;
    for (;; ++k) {
        const std::size_t end = std::min(digits.find(group, start), digits.size());
        const std::size_t length = end - start;
        if (k == 0 ? (length < 1 || length > 3 || digits[start] == '0') : length != 3)
            return false;
        if (end == digits.size())
            return k > 0;
        start = end + 1;
    }
}

/// A number split into sign, mantissa (digits and marks) and exponent; false when the field
/// holds anything else.
bool splitNumber(std::string_view field, std::string_view &sign, std::string_view &mantissa,
                 std::string_view &exponent)
{
    std::size_t pos = 0;
    if (pos < field.size() && (field[pos] == '+' || field[pos] == '-'))
        ++pos;
    sign = field.substr(0, pos);
    const std::size_t start = pos;
    bool digit = false;
    while (pos < field.size() && (isDigit(field[pos]) || field[pos] == '.' || field[pos] == ',')) {
        digit = digit || isDigit(field[pos]);
        ++pos;
    }
    mantissa = field.substr(start, pos - start);
    exponent = field.substr(pos);
    if (!digit)
        return false;
    if (exponent.empty())
        return true;
    std::size_t e = 1;
    if (exponent[0] != 'e' && exponent[0] != 'E')
        return false;
    if (e < exponent.size() && (exponent[e] == '+' || exponent[e] == '-'))
        ++e;
    if (e == exponent.size())
        return false;
    for (; e < exponent.size(); ++e)
        if (!isDigit(exponent[e]))
            return false;
    return true;
}

/// Splits one line at delimiter; double quotes enclose fields that hold the delimiter ("" is
/// one quote). Blanks split at every run of blanks and tabs. Fields are trimmed. At most
/// MaxColumns + 1 fields are kept; the return value counts them all.
std::size_t splitFields(std::string_view line, char delimiter, std::vector<std::string> &fields)
{
    fields.clear();
    std::size_t count = 0;
    if (line.find('"') == std::string_view::npos) {
        // No quotes: the fields lie between the delimiters.
        const auto keep = [&](std::string_view field) {
            if (++count <= MaxColumns + 1)
                fields.emplace_back(trim(field));
        };
        std::size_t k = 0;
        if (delimiter == ' ') {
            const auto blank = [](char c) { return c == ' ' || c == '\t'; };
            while (k < line.size()) {
                while (k < line.size() && blank(line[k]))
                    ++k;
                const std::size_t start = k;
                while (k < line.size() && !blank(line[k]))
                    ++k;
                if (k > start)
                    keep(line.substr(start, k - start));
            }
            return count;
        }
        for (;;) {
            const std::size_t end = std::min(line.find(delimiter, k), line.size());
            keep(line.substr(k, end - k));
            if (end == line.size())
                return count;
            k = end + 1;
        }
    }
    std::string field;
    bool quoted = false;
    bool any = false;
    const bool blanks = delimiter == ' ';
    const auto take = [&] {
        if (++count <= MaxColumns + 1)
            fields.emplace_back(trim(field));
        field.clear();
    };
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
            take();
            any = false;
        } else {
            field += c;
            any = any || !(c == ' ' || c == '\t');
        }
    }
    if (!blanks || any)
        take();
    return count;
}

/// The delimiter that splits every sample line (the first may be a header) into the same
/// number of fields, at least two; tab, semicolon and comma before blanks. 0 when none does.
char findDelimiter(const std::vector<std::string_view> &lines)
{
    std::vector<std::string> fields;
    for (char candidate : {'\t', ';', ',', ' '}) {
        const std::size_t sample = lines.size();
        std::size_t count = 0;
        bool same = true;
        for (std::size_t k = 0; k < sample && same; ++k) {
            const std::size_t n = splitFields(lines[k], candidate, fields);
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
    UCsvDates::TDateParts parts;
    return !IsMissing(field, missing, TDecimalMark::Auto) && !NumberForm(field).Number &&
           !UCsvDates::SplitDate(field, parts);
}

/// The lines of a text that carry rows (not empty, not a comment), one at a time.
class TContentLines
{
public:
    explicit TContentLines(std::string_view text) : mText(text)
    {
        if (mText.substr(0, 3) == "\xEF\xBB\xBF")
            mStart = 3; // byte order mark
    }

    /// The next content line and its number (from 1); false at the end.
    bool next(std::string_view &line, std::size_t &number)
    {
        while (mStart < mText.size()) {
            const std::size_t end = LineEnd(mText, mStart);
            ++mNumber;
            line = trim(mText.substr(mStart, end - mStart));
            mStart =
                end +
                (end + 1 < mText.size() && mText[end] == '\r' && mText[end + 1] == '\n' ? 2 : 1);
            if (!line.empty() && line.front() != '#') {
                number = mNumber;
                return true;
            }
        }
        return false;
    }

    /// Names the first line longer than MaxLineLength; true when there is none.
    bool checkLength(std::string &error) const
    {
        TContentLines all(mText);
        std::size_t start = all.mStart, number = 0;
        while (start < mText.size()) {
            const std::size_t end = LineEnd(mText, start);
            ++number;
            if (end - start > MaxLineLength) {
                error = "Line " + std::to_string(number) + " is longer than " +
                        std::to_string(MaxLineLength) +
                        " characters: this is not a table of values.";
                return false;
            }
            start =
                end +
                (end + 1 < mText.size() && mText[end] == '\r' && mText[end + 1] == '\n' ? 2 : 1);
        }
        return true;
    }

private:
    std::string_view mText;
    std::size_t mStart = 0;
    std::size_t mNumber = 0;
};

std::string widthText(std::size_t line, std::size_t fields, std::size_t firstLine,
                      std::size_t width)
{
    return "Line " + std::to_string(line) + " has " + std::to_string(fields) +
           " fields where line " + std::to_string(firstLine) + " has " + std::to_string(width) +
           ": mixed delimiters or a broken line.";
}

/// Adds one data row after checking its number of fields against the first row's.
bool addRow(TCsvTable &table, const std::vector<std::string> &fields, std::size_t count,
            std::size_t line, std::string &error)
{
    if (table.RowCount() == 0 && count > MaxColumns) {
        error = "The rows have " + std::to_string(count) + " fields: more than " +
                std::to_string(MaxColumns) + " columns is not a table of series.";
        return false;
    }
    if (table.RowCount() > 0 && count != table.ColumnCount()) {
        error = widthText(line, count, table.LineNumbers.front(), table.ColumnCount());
        return false;
    }
    table.AddRow(fields, static_cast<std::uint32_t>(line));
    return true;
}

/// Checks the header's number of fields against the rows'.
bool headerWidth(TCsvTable &table, std::string &error)
{
    const std::size_t width = table.ColumnCount();
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

/// Room for the fields of every line of text: each line as wide as the first row, and no
/// more fields than delimiters and lines.
void reserveRows(TCsvTable &table, std::string_view text)
{
    std::size_t lines = 1, delimiters = 0;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char c = text[k];
        lines += c == '\n' || (c == '\r' && (k + 1 == text.size() || text[k + 1] != '\n'));
        delimiters += table.Delimiter == ' ' ? (c == ' ' || c == '\t') : c == table.Delimiter;
    }
    table.Reserve(text.size(), std::min(lines * table.ColumnCount(), delimiters + lines));
}

/// The decimal mark most columns settle: DecimalComma when more columns settle the comma.
void settleFileMark(TCsvTable &table)
{
    int point = 0, comma = 0;
    for (const TColumnMarks &marks : table.Marks) {
        point += marks.Settled() == TDecimalMark::Point;
        comma += marks.Settled() == TDecimalMark::Comma;
    }
    table.DecimalComma = comma > point;
}

} // namespace

// ---- Numbers ----------------------------------------------------------------------------------

TNumberForm NumberForm(std::string_view field)
{
    TNumberForm form;
    // The common forms first: digits with at most one decimal point (12, -0.25, 1.234).
    {
        std::size_t k = !field.empty() && (field[0] == '-' || field[0] == '+') ? 1 : 0;
        const std::size_t start = k;
        std::size_t point = std::string_view::npos;
        bool plain = k < field.size();
        for (; k < field.size() && plain; ++k)
            if (field[k] == '.' && point == std::string_view::npos)
                point = k;
            else
                plain = isDigit(field[k]);
        if (plain && point != start && point + 1 != field.size()) {
            form.Number = true;
            if (point != std::string_view::npos) {
                const std::size_t whole = point - start, fraction = field.size() - point - 1;
                if (whole <= 3 && fraction == 3 && field[start] != '0')
                    form.TwoWays = '.';
                else
                    form.Says = TDecimalMark::Point;
            }
            return form;
        }
    }
    std::string_view sign, mantissa, exponent;
    field = trim(field);
    if (!splitNumber(field, sign, mantissa, exponent))
        return form;
    const std::size_t lastPoint = mantissa.rfind('.'), lastComma = mantissa.rfind(',');
    const std::size_t points =
        static_cast<std::size_t>(std::count(mantissa.begin(), mantissa.end(), '.'));
    const std::size_t commas =
        static_cast<std::size_t>(std::count(mantissa.begin(), mantissa.end(), ','));
    if (points == 0 && commas == 0) {
        form.Number = true;
    } else if (points > 0 && commas > 0) {
        // Both marks: the last one is the decimal mark, once, after the thousands.
        const bool commaLast = lastComma > lastPoint;
        const char decimal = commaLast ? ',' : '.';
        const std::size_t at = std::max(lastPoint, lastComma);
        form.Number = (commaLast ? commas : points) == 1 &&
                      groupsThousands(mantissa.substr(0, at), commaLast ? '.' : ',');
        form.Says = markOf(decimal);
    } else if (points + commas > 1) {
        // One mark, more than once: it groups thousands, so the other is the decimal mark.
        const char group = points ? '.' : ',';
        form.Number = groupsThousands(mantissa, group);
        form.Says = group == '.' ? TDecimalMark::Comma : TDecimalMark::Point;
    } else {
        const char mark = points ? '.' : ',';
        form.Number = true;
        if (exponent.empty() && groupsThousands(mantissa, mark))
            form.TwoWays = mark;
        else
            form.Says = markOf(mark);
    }
    return form;
}

bool PlainNumber(std::string_view field, TDecimalMark mark, std::string &plain)
{
    field = trim(field);
    const TNumberForm form = NumberForm(field);
    if (!form.Number)
        return false;
    TDecimalMark decimal = form.Says;
    if (form.TwoWays)
        decimal = mark == TDecimalMark::Auto ? markOf(form.TwoWays) : mark;
    const char group = decimal == TDecimalMark::Comma ? '.' : ',';
    plain.clear();
    for (char c : field)
        if (c != group || decimal == TDecimalMark::Auto)
            plain += c;
    return true;
}

bool ReadNumber(std::string_view field, TDecimalMark mark, double &value)
{
    std::string plain;
    if (!PlainNumber(field, mark, plain))
        return false;
    std::replace(plain.begin(), plain.end(), ',', '.');
    return parseReal(plain, value);
}

// ---- Tables -----------------------------------------------------------------------------------

std::string TCsvTable::ColumnName(int column) const
{
    if (column >= 0 && static_cast<std::size_t>(column) < Names.size() && !Names[column].empty())
        return "'" + Names[column] + "'";
    return "column " + std::to_string(column + 1);
}

int TCsvTable::FindColumn(std::string_view item) const
{
    item = trim(item);
    int number = 0;
    if (!item.empty() &&
        std::all_of(item.begin(), item.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
        parseInt(item, number) && number >= 1 && static_cast<std::size_t>(number) <= ColumnCount())
        return number - 1;
    for (std::size_t c = 0; c < Names.size(); ++c)
        if (Lower(trim(Names[c])) == Lower(item))
            return static_cast<int>(c);
    return -1;
}

TDecimalMark TCsvTable::ColumnMark(int column, TDecimalMark chosen) const
{
    const TColumnMarks &marks = Marks[static_cast<std::size_t>(column)];
    if (marks.Settled() != TDecimalMark::Auto)
        return marks.Settled();
    if (chosen != TDecimalMark::Auto)
        return chosen;
    if (DecimalComma)
        return TDecimalMark::Comma;
    for (const TColumnMarks &other : Marks)
        if (other.Settled() == TDecimalMark::Point)
            return TDecimalMark::Point;
    return Delimiter == ',' ? TDecimalMark::Point : TDecimalMark::Auto;
}

void TCsvTable::AddRow(const std::vector<std::string> &fields, std::uint32_t line,
                       std::size_t markFrom)
{
    if (RowCount() == 0) {
        mWidth = fields.size();
        Marks.assign(mWidth, {});
    }
    for (std::size_t c = 0; c < mWidth; ++c) {
        mText += fields[c];
        mEnds.push_back(static_cast<std::uint32_t>(mText.size()));
        if (c < markFrom)
            continue;
        const TNumberForm form = NumberForm(fields[c]);
        TColumnMarks &marks = Marks[c];
        if (!form.Number)
            continue;
        marks.Point = marks.Point || form.Says == TDecimalMark::Point;
        marks.Comma = marks.Comma || form.Says == TDecimalMark::Comma;
        if (form.TwoWays && marks.TwoWays == TColumnMarks::NoRow)
            marks.TwoWays = RowCount();
    }
    LineNumbers.push_back(line);
}

void TCsvTable::AppendColumn(const std::string &name, const std::vector<std::string> &fields)
{
    const std::size_t rows = RowCount();
    std::size_t added = 0;
    for (const std::string &f : fields)
        added += f.size();
    std::string text;
    text.reserve(mText.size() + added);
    std::vector<std::uint32_t> ends;
    ends.reserve(mEnds.size() + rows);
    TColumnMarks marks;
    std::uint32_t begin = 0;
    for (std::size_t r = 0; r < rows; ++r) {
        const std::uint32_t rowEnd = mEnds[(r + 1) * mWidth - 1];
        const auto shift = static_cast<std::uint32_t>(text.size()) - begin;
        text.append(mText, begin, rowEnd - begin);
        for (std::size_t c = 0; c < mWidth; ++c)
            ends.push_back(mEnds[r * mWidth + c] + shift);
        text += fields[r];
        ends.push_back(static_cast<std::uint32_t>(text.size()));
        begin = rowEnd;
        const TNumberForm form = NumberForm(fields[r]);
        if (form.Number) {
            marks.Point = marks.Point || form.Says == TDecimalMark::Point;
            marks.Comma = marks.Comma || form.Says == TDecimalMark::Comma;
            if (form.TwoWays && marks.TwoWays == TColumnMarks::NoRow)
                marks.TwoWays = r;
        }
    }
    mText = std::move(text);
    mEnds = std::move(ends);
    if (!Names.empty() || HasHeader) {
        Names.resize(mWidth);
        Names.push_back(name);
    } else if (!name.empty()) {
        Names.assign(mWidth, std::string());
        Names.push_back(name);
    }
    ++mWidth;
    Marks.push_back(marks);
}

void TCsvTable::Reserve(std::size_t textBytes, std::size_t fields)
{
    mText.reserve(textBytes);
    mEnds.reserve(fields);
}

bool IsMissing(std::string_view field, const std::string &marker, TDecimalMark mark)
{
    field = trim(field);
    if (field.empty() || (!marker.empty() && field == trim(marker)))
        return true;
    if (field.size() <= 4 && !isDigit(field.back())) {
        const std::string text = Lower(field);
        if (text == "na" || text == "n/a" || text == "nan" || text == "-nan")
            return true;
    }
    const std::string_view userMarker = trim(marker);
    if (field[0] != '-' && (userMarker.empty() || userMarker[0] != field[0]))
        return false; // the markers are negative numbers, or the user's
    double value = 0;
    if (!ReadNumber(field, mark, value))
        return false;
    double markerValue = 0;
    if (value == -999 || value == -9999 ||
        (!marker.empty() && ReadNumber(marker, mark, markerValue) && value == markerValue))
        return true;
    // -999.000 is the marker whatever the decimal mark: a whole number with zero decimals.
    std::string_view whole = field;
    const std::size_t at = whole.find_first_of(".,");
    if (at == std::string_view::npos ||
        whole.find_first_not_of('0', at + 1) != std::string_view::npos)
        return false;
    whole = whole.substr(0, at);
    return whole == "-999" || whole == "-9999" ||
           (!marker.empty() && parseReal(std::string(whole), value) &&
            ReadNumber(marker, TDecimalMark::Point, markerValue) && value == markerValue);
}

bool IsFlag(std::string_view field)
{
    field = trim(field);
    if (field.empty() || field.size() > 8)
        return false;
    bool letter = false;
    for (char c : field) {
        const bool alpha = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!alpha && c != ':' && c != ',' && c != '<' && c != '>' && c != '[' && c != ']')
            return false;
        letter = letter || alpha;
    }
    const std::string text = Lower(field);
    return letter && text != "na" && text != "n/a" && text != "nan";
}

void TextAsUtf8(std::string &text)
{
    // Valid UTF-8 stays; anything else is read as Latin-1 (station files of some archives).
    std::size_t k = 0;
    bool valid = true;
    while (k < text.size() && valid) {
        const auto c = static_cast<unsigned char>(text[k]);
        const std::size_t length = c < 0x80         ? 1
                                   : (c >> 5) == 6  ? 2
                                   : (c >> 4) == 14 ? 3
                                   : (c >> 3) == 30 ? 4
                                                    : 0;
        valid = length > 0 && k + length <= text.size();
        for (std::size_t j = 1; valid && j < length; ++j)
            valid = (static_cast<unsigned char>(text[k + j]) & 0xC0) == 0x80;
        k += length;
    }
    if (valid)
        return;
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    text = std::move(out);
}

bool ReadCsvText(std::string_view text, TCsvTable &table, std::string &error,
                 const std::string &missing)
{
    table = {};
    error.clear();
    TContentLines lines(text);
    if (!lines.checkLength(error))
        return false;
    // The first lines find the delimiter; every line is then split as it is read, so only
    // the fields are kept.
    std::vector<std::string_view> sample;
    std::vector<std::size_t> numbers;
    std::string_view line;
    std::size_t number = 0;
    while (sample.size() < SampleLines && lines.next(line, number)) {
        sample.push_back(line);
        numbers.push_back(number);
    }
    if (sample.empty()) {
        error = "The file holds no rows.";
        return false;
    }
    table.Delimiter = findDelimiter(sample);
    // Some data sets put a few lone values before the table (latitude, elevation, area):
    // lines of one field are left out when the table follows them.
    std::vector<std::string> one;
    for (std::size_t lead = 1;
         table.Delimiter == 0 && lead <= MaxLeadingLines && lead < sample.size() &&
         splitFields(sample[lead - 1], ' ', one) == 1 &&
         one.front().find_first_of(",;\t") == std::string::npos;
         ++lead) {
        table.Delimiter =
            findDelimiter({sample.begin() + static_cast<std::ptrdiff_t>(lead), sample.end()});
        if (table.Delimiter != 0) {
            table.LeadingLines = numbers[lead - 1];
            sample.erase(sample.begin(), sample.begin() + static_cast<std::ptrdiff_t>(lead));
            numbers.erase(numbers.begin(), numbers.begin() + static_cast<std::ptrdiff_t>(lead));
        }
    }
    if (table.Delimiter == 0) {
        error = "No delimiter (comma, semicolon, tab or blanks) splits the lines into the same "
                "number of fields: mixed delimiters, or not a table of values.";
        return false;
    }
    std::vector<std::string> fields, second;
    splitFields(sample.front(), table.Delimiter, fields);
    // A header has a name where the next line has a value: a column of letters in every line
    // (a quality flag) makes no header.
    if (sample.size() > 1)
        splitFields(sample[1], table.Delimiter, second);
    for (std::size_t c = 0; c < fields.size() && !table.HasHeader; ++c)
        table.HasHeader = isHeaderField(fields[c], missing) &&
                          (c >= second.size() || !isHeaderField(second[c], missing));
    if (table.HasHeader)
        table.Names = fields;
    for (std::size_t k = table.HasHeader ? 1 : 0; k < sample.size(); ++k) {
        if (!addRow(table, fields, splitFields(sample[k], table.Delimiter, fields), numbers[k],
                    error))
            return false;
        if (table.RowCount() == 1)
            reserveRows(table, text);
    }
    while (lines.next(line, number))
        if (!addRow(table, fields, splitFields(line, table.Delimiter, fields), number, error))
            return false;
    if (table.RowCount() == 0) {
        error = "The file holds a header line but no rows.";
        return false;
    }
    if (!headerWidth(table, error))
        return false;
    settleFileMark(table);
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
    TextAsUtf8(content);
    if (ReadCsvText(content, table, error, missing))
        return true;
    error = "The file \"" + path + "\" cannot be imported. " + error;
    return false;
}

std::size_t LineEnd(std::string_view text, std::size_t start)
{
    const char *p = text.data() + start;
    const char *const end = text.data() + text.size();
    while (p < end && *p != '\n' && *p != '\r')
        ++p;
    return static_cast<std::size_t>(p - text.data());
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

std::string NumberText(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
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
