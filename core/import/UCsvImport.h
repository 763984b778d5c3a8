#pragma once

#include "import/UCsvDates.h"
#include "import/UCsvPeriod.h"
#include "import/UCsvTable.h"
#include "import/UImportProblem.h"
#include "import/URunoffUnit.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// Import of dated series from delimited text files (gauge exports, archives, data sets) into
/// the rows of an input file: time in days (hours, minutes) from the first row, rain, escape
/// rate and runoff in the user's units, each optionally multiplied by a factor. The table
/// reader (UCsvTable), the date reader (UCsvDates) and the period choice (UCsvPeriod) do the
/// work; this unit chooses the columns, reads the values and joins the three.
namespace quellow::UCsvImport {

using UCsvTable::IsMissing;
using UCsvTable::MaxColumns;
using UCsvTable::MaxCsvBytes;
using UCsvTable::MaxLineLength;
using UCsvTable::ReadCsvFile;
using UCsvTable::ReadCsvText;
using UCsvTable::ReadNumber;
using UCsvTable::TCsvTable;
using UCsvTable::TDecimalMark;

using UCsvDates::DateOrderName;
using UCsvDates::DateSeconds;
using UCsvDates::ParseDateOrder;
using UCsvDates::SplitDate;
using UCsvDates::TDateOrder;
using UCsvDates::TDateParts;

using UCsvPeriod::ImportRowLimit;
using UCsvPeriod::MinImportRows;
using UCsvPeriod::RoleCount;
using UCsvPeriod::RoleDate;
using UCsvPeriod::RoleEscape;
using UCsvPeriod::RoleName;
using UCsvPeriod::RoleRain;
using UCsvPeriod::RoleRunoff;
using UCsvPeriod::TGap;
using UCsvPeriod::TRole;

struct TImportOptions
{
    bool Analysis = true;
    std::array<int, RoleCount> Columns{-1, -1, -1, -1}; ///< 0-based; -1: guess
    TDateOrder Order = TDateOrder::Auto;
    std::string From, To; ///< the period wanted, dates in any accepted form; empty: open
    std::string Missing;  ///< the user's marker of a missing value
    std::array<double, RoleCount> Scale{1, 1, 1, 1};
    /// The decimal mark of numbers that read two ways (1,234) where their column does not
    /// settle it; Auto: the one of the other columns, else the mark found.
    TDecimalMark Decimal = TDecimalMark::Auto;
    /// The steps between the dates are taken as they are: a missing date is no gap.
    bool Irregular = false;
    /// Columns never taken for a value (date parts, quality flags); a column named anyway is
    /// refused. Empty: none.
    std::vector<char> NotData;
    /// The runoff's unit and the catchment's area: the runoff is converted to mm per time unit
    /// of the rows taken (URunoffUnit::RunoffFactor) after its factor in Scale.
    URunoffUnit::TRunoffUnit Unit = URunoffUnit::TRunoffUnit::None;
    double AreaKm2 = 0;
};

/// What a list of the columns names.
struct TColumnList
{
    std::array<int, RoleCount> Columns{-1, -1, -1, -1}; ///< 0-based; -1: to guess
    std::string DateParts; ///< "YR+MNTH+DY" or "DATE+TIME": the date's columns; empty: none
};

/// Reads the caller's list of the columns: date,rain,escape[,runoff] in order (an item left
/// empty is guessed) or role=COLUMN pairs (date=YR+MNTH+DY names the date's parts), each a
/// header name in any case or a column number from 1. A role with a file in roleFiles (its
/// name; empty: none) comes from that file, not from a column of table. An empty list names
/// nothing. False with the problem.
bool ParseColumnList(std::string_view list, const TCsvTable &table, bool analysis,
                     const std::array<std::string, RoleCount> &roleFiles, TColumnList &parsed,
                     TImportProblem &problem);

/// Fills the columns still -1: the date column is the first whose first row is a date, the
/// others are found by their header names (ColumnNamed), else taken in order from the
/// remaining columns that hold no identifiers (IdentifierColumn).
void GuessColumns(const TCsvTable &table, bool analysis, std::array<int, RoleCount> &columns,
                  const std::vector<char> &notData = {});

/// The first column whose header name says role (the Penman-Monteith evaporation before other
/// evaporations, potential before actual), among those not excluded; -1 for none. The one
/// guess by name of every file of an import.
int ColumnNamed(const TCsvTable &table, int role, const std::vector<char> &excluded);

/// A column of whole-number identifiers (gauge or station numbers: six digits or more, or a
/// leading zero), never a value.
bool IdentifierColumn(const TCsvTable &table, std::size_t column);

/// The rows and the report of an import.
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
    std::string FirstDate;          ///< the date of the first row taken (YYYY-MM-DD[ hh:mm])
    std::array<double, RoleCount> Scale{1, 1, 1, 1}; ///< the factors applied to the columns
    double UnitSeconds = 86400;                      ///< the seconds of the time unit
    /// The runoff's unit and its factor to mm per time unit (in Scale too).
    URunoffUnit::TRunoffUnit Unit = URunoffUnit::TRunoffUnit::None;
    double UnitFactor = 1;
};

/// The columns, dates and values of a table, read once; periods are then taken from it.
struct TSeries
{
    TImportResult Base; ///< columns, date order and the notes on the table
    std::vector<std::int64_t> Seconds;
    std::array<std::vector<double>, RoleCount> Value; ///< the runoff before its unit's factor
    UCsvPeriod::TMissing Missing;
    /// The runoff's factor, applied with its unit's once the rows are taken.
    double RunoffScale = 1;
    URunoffUnit::TRunoffUnit Unit = URunoffUnit::TRunoffUnit::None;
    double AreaKm2 = 0;
};

/// Chooses the columns (guessing those left), reads the dates and values of the table.
bool ReadSeries(const TCsvTable &table, const TImportOptions &options, TSeries &series,
                std::string &error);

/// The period of series asked in options (From/To, else the longest without gaps) in result,
/// with its rows; notes go to result.Notes after the series' own.
bool TakePeriod(const TCsvTable &table, const TImportOptions &options, const TSeries &series,
                TImportResult &result, std::string &error);

/// The rows first..last of series as they are (gaps are the caller's), time from the first
/// row in days, or hours or minutes where days with two decimals cannot show the steps
/// (UCsvPeriod::ElapsedTimes), the runoff converted to mm per that time unit.
void TakeRows(const TSeries &series, bool analysis, std::size_t first, std::size_t last,
              TImportResult &result);

/// Reads the series of the table into result: dates in order, gaps (missing values and, in a
/// regular series, missing dates) listed, a gap-free period chosen within the mode's row limit
/// (ImportRowLimit). Returns false with the reason in error.
bool ImportSeries(const TCsvTable &table, const TImportOptions &options, TImportResult &result,
                  std::string &error);

/// One line about a gap: "runoff: 01.01.2012 to 31.12.2012 (366 rows)".
std::string GapText(const TCsvTable &table, const TImportResult &result, const TGap &gap);

/// The second title of an imported series: where it came from, its first date, its time unit
/// and the factors applied.
std::string ImportedTitle2(const std::string &fileName, const TImportResult &result, bool analysis);

} // namespace quellow::UCsvImport
