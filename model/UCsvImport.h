#pragma once

#include "model/UDMQuellow.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// Import of dated series from delimited text files (gauge exports, archives, data sets) into
/// the rows of an input file: time in days (hours, minutes) from the first row, rain, escape
/// rate and runoff in the user's units, each optionally multiplied by a factor.
namespace quellow::UCsvImport {

/// What a column can hold; also the order of the --columns list.
enum TRole { RoleDate = 0, RoleRain = 1, RoleEscape = 2, RoleRunoff = 3 };
inline constexpr int RoleCount = 4;
/// "date", "rain", "escape", "runoff".
const char *RoleName(int role);

enum class TDateOrder { Auto, Ymd, Dmy, Mdy };
/// "ymd", "dmy", "mdy" (and "auto").
const char *DateOrderName(TDateOrder order);
bool ParseDateOrder(std::string_view text, TDateOrder &order);

/// Larger files are refused before they are read; so are longer lines.
inline constexpr std::size_t MaxCsvBytes = 64u << 20;
inline constexpr std::size_t MaxLineLength = 64u << 10;
inline constexpr std::size_t MaxColumns = 1000;
/// Fewest rows an import gives (the input sheet's minimum).
inline constexpr int MinImportRows = 12;

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

/// A date with an optional time of day, as seconds since 1970-01-01 00:00.
/// The parts of a date before its order is known.
struct TDateParts
{
    int Part[3] = {0, 0, 0};
    int Digits[3] = {0, 0, 0};
    char Separator = 0;
    std::int64_t Seconds = 0; ///< time of day
};
bool SplitDate(std::string_view text, TDateParts &parts);
/// Seconds since 1970 for parts read in order (Auto: year first when it has four digits,
/// else day first with '.' and '-', month first with '/').
bool DateSeconds(const TDateParts &parts, TDateOrder order, std::int64_t &seconds);

struct TImportOptions
{
    bool Analysis = true;
    std::array<int, RoleCount> Columns{-1, -1, -1, -1}; ///< 0-based; -1: guess
    TDateOrder Order = TDateOrder::Auto;
    std::string From, To; ///< the period wanted, dates in any accepted form; empty: open
    std::string Missing;  ///< the user's marker of a missing value
    std::array<double, RoleCount> Scale{1, 1, 1, 1};
    int MaxRows = 0; ///< 0: the run's limit for the mode (1501 analysis, 501 prediction)
};

/// Reads a --columns list (date,rain,escape[,runoff]): header names, any case, or column
/// numbers from 1.
bool ParseColumnList(std::string_view list, const TCsvTable &table, bool analysis,
                     std::array<int, RoleCount> &columns, std::string &error);

/// Fills the columns still -1: the date column is the first whose first row is a date, the
/// others are found by their header names, else taken in order from the remaining columns.
void GuessColumns(const TCsvTable &table, bool analysis, std::array<int, RoleCount> &columns);

/// Runs of rows (indexes into TCsvTable::Rows) where one column has no value.
struct TGap
{
    int Role = RoleRain;
    std::size_t First = 0, Last = 0;
};

struct TImportResult
{
    std::vector<double> Time, Rain, Escape, Runoff; ///< the rows taken
    std::array<int, RoleCount> Columns{-1, -1, -1, -1};
    TDateOrder Order = TDateOrder::Auto; ///< the order the dates were read in
    bool OrderAmbiguous = false;         ///< no date told day and month apart
    std::string TimeUnit = "days";       ///< "days", "hours" or "minutes"
    std::size_t First = 0, Last = 0;     ///< table rows of the period taken
    std::vector<TGap> Gaps;
    std::vector<std::string> Notes; ///< what was found and taken, for the user
    double MaxEscape = 0;           ///< largest escape rate taken
};

/// Reads the series of the table into result: dates in order, gaps listed, a gap-free
/// period chosen within the run's row limit. Returns false with the reason in error.
bool ImportSeries(const TCsvTable &table, const TImportOptions &options, TImportResult &result,
                  std::string &error);

/// One line about a gap: "runoff: 01.01.2012 to 31.12.2012 (366 rows)".
std::string GapText(const TCsvTable &table, const TImportResult &result, const TGap &gap);

/// Puts the rows taken into dm: mode, NrOfData, Serial, Time, Rain, Escape, Runoff, Remove
/// and MaxEscape. Titles and parameters are the caller's.
void FillDataModule(const TImportResult &result, bool analysis, TDMQuellow &dm);

/// The second title of an imported series: where it came from, its time unit and units.
std::string ImportedTitle2(const std::string &fileName, const TImportResult &result);

/// Factor from a discharge in l/s (m3/s when cubicMetres) to mm per time unit over a
/// catchment of areaKm2, for a time unit of unitSeconds (86400 for a day).
double DischargeFactor(double areaKm2, bool cubicMetres, double unitSeconds);

} // namespace quellow::UCsvImport
