#pragma once

#include "import/UCsvDates.h"
#include "import/UCsvTable.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

/// The period choice of the series import: the gaps of a series, the stretch of rows to take
/// (the one asked for, or the longest without gaps) within the rows a run takes, and the
/// elapsed time of each row in the unit that shows it.
namespace quellow::UCsvPeriod {

/// What a column can hold; also the order of the --columns list.
enum TRole { RoleDate = 0, RoleRain = 1, RoleEscape = 2, RoleRunoff = 3 };
inline constexpr int RoleCount = 4;
/// "date", "rain", "escape", "runoff".
const char *RoleName(int role);
/// The roles of a mode: date, rain and escape rate, and runoff in an analysis.
inline int RoleCountOf(bool analysis)
{
    return analysis ? RoleCount : RoleCount - 1;
}

/// Fewest rows an import gives (the input sheet's minimum).
inline constexpr int MinImportRows = 12;
/// Most rows an import gives: what the sheet, Save/Run and convert take in an analysis
/// (MaxData), what a prediction run takes in a prediction (MaxPredSteps).
int ImportRowLimit(bool analysis);

/// A run of table rows where one column has no value, or (Role RoleDate) the dates missing
/// between two rows of a regular series.
struct TGap
{
    int Role = RoleRain;
    std::size_t First = 0, Last = 0; ///< of a date gap: the rows before and after it
    std::size_t Missing = 0;         ///< of a date gap: the dates left out
};

/// One line about a gap: "runoff: 01.01.2012 to 31.12.2012 (366 rows)", or for dates left
/// out "date: missing between 09.11.2015 and 11.11.2015 (1 row)".
std::string GapText(const UCsvTable::TCsvTable &table, int dateColumn, const TGap &gap);

/// The most frequent step between the dates (the shortest of equally frequent ones); 0 for
/// fewer than two dates.
std::int64_t UsualStep(const std::vector<std::int64_t> &seconds);
/// "1 day", "6 hours", "10 minutes" or "90 seconds".
std::string DurationText(std::int64_t seconds);

/// What the period is chosen from.
struct TPeriodRequest
{
    bool Analysis = true;
    UCsvDates::TDateOrder Order = UCsvDates::TDateOrder::Ymd; ///< of the file's dates
    std::string From, To;   ///< the period wanted, dates in any accepted form; empty: open
    bool Irregular = false; ///< the steps are taken as they are: a missing date is no gap
};

/// Which rows of each value column have no value.
using TMissing = std::array<std::vector<char>, RoleCount>;

/// The period taken.
struct TPeriod
{
    std::size_t First = 0, Last = 0; ///< table rows of the period
    std::vector<TGap> Gaps;
    std::string TimeUnit = "days"; ///< "days", "hours" or "minutes"
    std::vector<double> Time;      ///< elapsed time of each row of the period
};

/// Whether the times of rows first..last of seconds all lie a multiple of step from the first.
bool AllMultiplesOf(const std::vector<std::int64_t> &seconds, std::size_t first, std::size_t last,
                    std::int64_t step);

/// The elapsed times of rows first..last of seconds, from the first row, in the unit in which
/// every one has at most two decimals (the input file's fixed fields): days, else hours, else
/// minutes.
struct TElapsedTimes
{
    double UnitSeconds = 86400;
    std::string Unit = "days"; ///< "days", "hours" or "minutes"
    std::vector<double> Time;
};
TElapsedTimes ElapsedTimes(const std::vector<std::int64_t> &seconds, std::size_t first,
                           std::size_t last);

/// The gaps of the value columns and (unless irregular) the dates left out, as ChoosePeriod
/// finds them. False, naming the steps, for steps that fit no multiple of the usual one.
bool FindGaps(const UCsvTable::TCsvTable &table, int dateColumn, const TPeriodRequest &request,
              const std::vector<std::int64_t> &seconds, const TMissing &missing,
              std::vector<TGap> &gaps, std::string &error);

/// Lists the gaps, chooses the period (the one asked for, else the longest without gaps) of
/// at least MinImportRows and at most ImportRowLimit rows, and gives its elapsed times. A
/// series is regular unless the request says otherwise: every step is a multiple of the most
/// frequent one, and a longer step leaves out dates, which are a gap. What was found goes to
/// notes. Returns false with the reason in error.
bool ChoosePeriod(const UCsvTable::TCsvTable &table, int dateColumn, const TPeriodRequest &request,
                  const std::vector<std::int64_t> &seconds, const TMissing &missing,
                  TPeriod &period, std::vector<std::string> &notes, std::string &error);

} // namespace quellow::UCsvPeriod
