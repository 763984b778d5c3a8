#pragma once

#include "import/UCsvImport.h"
#include "import/URunoffUnit.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

/// The sources of a series import: a main file whose dates are the frame, with the date read
/// from one column, a date and a time column, or year, month, day (and hour) columns; series
/// taken from other dated files and joined on the date; quality flags; the runoff unit and the
/// catchment area, given or read from a file's header; and the water balance of what was taken.
namespace quellow::UCsvSources {

using UCsvImport::RoleCount;
using UCsvImport::TCsvTable;

/// What the comment lines (#) at the head of a file say about the catchment.
struct THeaderInfo
{
    double AreaKm2 = 0;             ///< 0: none named
    std::size_t AreaLine = 0;       ///< line of the area (from 1)
    std::string Unit;               ///< the runoff's unit as written, "" when none
    std::size_t UnitLine = 0;       ///< line of the unit
    std::string OtherUnit;          ///< a second unit of the runoff that differs, "" when none
    std::size_t OtherUnitLine = 0;  ///< its line
    std::vector<std::string> Notes; ///< labelled values not taken, and why
};
/// The area from a label naming an area in km² or square miles, the runoff's unit from a label
/// that names it (URunoffUnit::LabelsRunoffUnit); other labels are left alone.
THeaderInfo ReadHeaderInfo(std::string_view text);

using URunoffUnit::IsDischarge;
using URunoffUnit::ParseRunoffUnit;
using URunoffUnit::RunoffFactor;
using URunoffUnit::RunoffUnitName;
using URunoffUnit::TRunoffUnit;
using URunoffUnit::UnitsNote;
/// What the second title line of an imported file adds for a runoff converted from a unit:
/// " (runoff from m3/s)"; empty when the runoff was taken as it is.
std::string TitleUnitNote(TRunoffUnit unit);

/// One source file of the import as read.
struct TSourceText
{
    std::string Name;   ///< as the messages name it
    std::string Text;   ///< whole content
    std::string Column; ///< the column of a role file; empty: guessed
};

/// What the sources are.
struct TSourceRequest
{
    TSourceText Main;
    /// A role's own file (rain, escape, runoff); Name empty: the role is in the main file.
    std::array<TSourceText, RoleCount> Files;
    /// The main file's columns: "date,rain,escape,runoff", or role=COLUMN pairs
    /// (date=YR+MNTH+DY names the date's parts); empty: all guessed.
    std::string Columns;
    std::string Missing;                  ///< the user's marker of a missing value
    TRunoffUnit Unit = TRunoffUnit::None; ///< None: as a file names it, else unchanged
    double AreaKm2 = 0;                   ///< 0: as a file names it
    bool AreaGiven = false;
    bool Analysis = true;
    /// Where the caller's unit and area come from, in the caller's own words: the notes and
    /// UnitFrom, AreaFrom name it as given.
    std::string GivenIn;
};

/// The main table with the date and the joined series as columns of their own.
struct TFrame
{
    TCsvTable Table;             ///< the main file's columns, then the added ones
    std::size_t FileColumns = 0; ///< the main file's own columns
    std::array<int, RoleCount> Columns{-1, -1, -1, -1}; ///< chosen, -1: to guess
    std::vector<char> NotData;                          ///< per column
    /// Per column: 'e' (estimated) or 'p' (provisional) of each row; empty when unflagged.
    std::vector<std::vector<char>> Quality;
    THeaderInfo Header; ///< of the file the runoff comes from
    TRunoffUnit Unit = TRunoffUnit::None;
    double AreaKm2 = 0;
    std::string UnitFrom, AreaFrom; ///< where the unit and the area were taken from
    /// The file the runoff is joined from, as named in the request, and its column there
    /// (TCsvTable::ColumnName); both empty when the runoff is the main file's.
    std::string RunoffFile, RunoffColumn;
    /// The main file's most frequent step, found for the joins (0 without one): the time unit
    /// is the rows taken's (UCsvPeriod::ElapsedTimes).
    std::int64_t StepSeconds = 0;
    std::vector<std::string> Notes;
};

/// Reads the main file and the role files into one frame. Every problem names its file (and
/// line). Returns false with the problem: one of the files, or one of the caller's list of the
/// columns, unit or area.
bool BuildFrame(const TSourceRequest &request, TFrame &frame, TImportProblem &problem);

/// The options of an import of the frame: its columns, the columns never read as values, and
/// the runoff's unit and area, converted once the rows are taken.
bool FrameOptions(const TFrame &frame, UCsvImport::TImportOptions &options, std::string &error);

/// The report of the rows taken (one period, or the seasons): what stays in the file's units,
/// the runoff's conversion in the time unit of the rows taken, the estimated and provisional
/// values per column and, for an analysis, the water balance.
std::vector<std::string> TakenReport(const TFrame &frame, bool analysis,
                                     const std::vector<const UCsvImport::TImportResult *> &taken);
/// The water balance of series of rain, escape rate and runoff, with its warnings.
void NoteBalance(double rain, double escape, double runoff, std::size_t rows,
                 std::vector<std::string> &notes);

} // namespace quellow::UCsvSources
