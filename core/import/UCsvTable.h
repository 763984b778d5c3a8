#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// The table reader of the series import: a delimited text file split into fields, with its
/// delimiter, quoting, decimal marks and markers of missing values found.
namespace quellow::UCsvTable {

/// Larger files are refused before they are read; so are longer lines.
inline constexpr std::size_t MaxCsvBytes = 64u << 20;
inline constexpr std::size_t MaxLineLength = 64u << 10;
inline constexpr std::size_t MaxColumns = 1000;

// ---- Numbers ----------------------------------------------------------------------------------

/// The decimal mark numbers are read with. Auto: not known; a mark that reads two ways is then
/// taken as the decimal mark.
enum class TDecimalMark { Auto, Point, Comma };

/// What the marks of one number say. A number with both marks has its decimal mark last
/// (1.002,5 and 1,002.5); a mark found twice groups thousands (1,234,567); a single mark
/// followed by exactly three digits after one to three digits (1,234 or -12.500) reads two
/// ways; any other single mark is the decimal mark (0,5, 1234.5, 1.25).
struct TNumberForm
{
    bool Number = false;                    ///< a number under some reading
    TDecimalMark Says = TDecimalMark::Auto; ///< the decimal mark the number settles
    char TwoWays = 0;                       ///< ',' or '.' when the number reads two ways
};
TNumberForm NumberForm(std::string_view field);

/// The number with its grouping marks dropped and its decimal mark kept as written ("1.002,5"
/// gives "1002,5"; "1,234" with a decimal point gives "1234"). False when it is no number or
/// its grouping marks stand where no thousands end.
bool PlainNumber(std::string_view field, TDecimalMark mark, std::string &plain);

/// Reads a number field with the decimal mark given; false when it is no finite number.
bool ReadNumber(std::string_view field, TDecimalMark mark, double &value);

// ---- Tables -----------------------------------------------------------------------------------

/// What the numbers of one column say about their decimal mark.
struct TColumnMarks
{
    static constexpr std::size_t NoRow = static_cast<std::size_t>(-1);
    bool Point = false;          ///< some number reads only with a decimal point
    bool Comma = false;          ///< some number reads only with a decimal comma
    std::size_t TwoWays = NoRow; ///< first row with a number that reads two ways
    /// The mark the column's own numbers settle: Auto when none or both are found.
    TDecimalMark Settled() const
    {
        return Point == Comma ? TDecimalMark::Auto
                              : (Point ? TDecimalMark::Point : TDecimalMark::Comma);
    }
};

/// A delimited text file split into fields. The fields are kept end to end in one text, so a
/// table takes little more memory than its file.
struct TCsvTable
{
    char Delimiter = ',';      ///< ',', ';', '\t', or ' ' for runs of blanks
    bool DecimalComma = false; ///< the columns that settle a decimal mark mostly have a comma
    bool HasHeader = false;
    std::size_t LeadingLines = 0;   ///< lines of one value before the table, left out (up to)
    std::vector<std::string> Names; ///< header fields; empty without a header
    std::vector<std::uint32_t> LineNumbers; ///< line of the file (from 1) of each data row
    std::vector<TColumnMarks> Marks;        ///< of each column

    std::size_t RowCount() const { return LineNumbers.size(); }
    std::size_t ColumnCount() const { return RowCount() == 0 ? Names.size() : mWidth; }
    /// A field of a data row, unquoted and trimmed.
    std::string_view Field(std::size_t row, std::size_t column) const
    {
        const std::size_t k = row * mWidth + column;
        const std::uint32_t begin = k == 0 ? 0 : mEnds[k - 1];
        return std::string_view(mText).substr(begin, mEnds[k] - begin);
    }
    /// The header name of a column, or "column N" (from 1).
    std::string ColumnName(int column) const;
    /// A column by its header name (trimmed, any case) or its number from 1; -1 when there is
    /// none.
    int FindColumn(std::string_view item) const;
    /// The decimal mark of a column's numbers: the one they settle, else the one chosen, else
    /// the one of the other columns (a point in a comma-delimited file).
    TDecimalMark ColumnMark(int column, TDecimalMark chosen) const;
    /// Appends a data row of ColumnCount() fields (the first row sets the count). The decimal
    /// marks are noted for the columns from markFrom on; the caller sets the others'.
    void AddRow(const std::vector<std::string> &fields, std::uint32_t line,
                std::size_t markFrom = 0);
    /// Appends a column (fields: one per row) after the others, its decimal marks noted.
    void AppendColumn(const std::string &name, const std::vector<std::string> &fields);
    /// Makes room for fields holding textBytes characters at most, so the rows are added
    /// without moving what is kept.
    void Reserve(std::size_t textBytes, std::size_t fields);

private:
    std::size_t mWidth = 0;
    std::string mText;
    std::vector<std::uint32_t> mEnds; ///< end of each field in mText, row by row
};

/// Splits text into a table: finds the delimiter, whether the first line is a header and
/// the decimal separator. missing is the user's marker of a missing value (may be empty).
/// Returns false with the reason in error.
bool ReadCsvText(std::string_view text, TCsvTable &table, std::string &error,
                 const std::string &missing = {});
/// Reads the file (refusing very large and binary files) and splits it with ReadCsvText.
bool ReadCsvFile(const std::string &path, TCsvTable &table, std::string &error,
                 const std::string &missing = {});

/// True for the texts that stand for a missing value: an empty field, NA, N/A, NaN (any
/// case), -999, -9999 and the user's marker, compared as numbers (-999.00 and -999.000 with
/// either decimal mark are -999).
bool IsMissing(std::string_view field, const std::string &marker, TDecimalMark mark);

/// True for a quality flag: a short code of letters (A, A:e, M, P, E, <, [P]), never a value.
bool IsFlag(std::string_view field);

/// Text that is no valid UTF-8 is read as Latin-1 and converted.
void TextAsUtf8(std::string &text);

// ---- Texts shared by the import's messages ----------------------------------------------------

/// The end of the line that starts at start: the first CR or LF, else the text's end.
std::size_t LineEnd(std::string_view text, std::size_t start);
/// s in lower case (ASCII).
std::string Lower(std::string_view s);
/// "line N".
std::string LineText(std::size_t line);
/// A number as a message shows it: its shortest form, up to 15 significant digits.
std::string NumberText(double value);
/// The first few problems joined with "; ", and how many more there are.
std::string JoinProblems(const std::vector<std::string> &problems);

} // namespace quellow::UCsvTable
