#pragma once

#include <cstddef>
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

/// A delimited text file split into fields.
struct TCsvTable
{
    char Delimiter = ','; ///< ',', ';', '\t', or ' ' for runs of blanks
    bool DecimalComma = false;
    bool HasHeader = false;
    std::vector<std::string> Names;             ///< header fields; empty without a header
    std::vector<std::vector<std::string>> Rows; ///< fields of each data row, unquoted, trimmed
    std::vector<std::size_t> LineNumbers;       ///< line of the file (from 1) of each data row
    std::size_t ColumnCount() const { return Rows.empty() ? Names.size() : Rows.front().size(); }
    /// The header name of a column, or "column N" (from 1).
    std::string ColumnName(int column) const;
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
/// case), -999, -9999 (in any decimal form) and the user's marker.
bool IsMissing(std::string_view field, const std::string &marker, bool decimalComma);

/// Reads a number field; false when it is no finite number.
bool ParseNumber(std::string_view field, bool decimalComma, double &value);

// ---- Texts shared by the import's messages ----------------------------------------------------

/// s in lower case (ASCII).
std::string Lower(std::string_view s);
/// "line N".
std::string LineText(std::size_t line);
/// The first few problems joined with "; ", and how many more there are.
std::string JoinProblems(const std::vector<std::string> &problems);

} // namespace quellow::UCsvTable
