#pragma once

#include "import/UCsvImport.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// One input file per season: the rows of a yearly season (June to October, say) of every
/// year whose season the series holds whole and without gaps, with the years left out and why.
namespace quellow::UCsvSeasons {

/// Inclusive bounds MM-DD..MM-DD; an end before the start lies in the next year.
struct TSeasonBounds
{
    int StartMonth = 6, StartDay = 1, EndMonth = 10, EndDay = 31;
    bool AcrossNewYear() const
    {
        return EndMonth < StartMonth || (EndMonth == StartMonth && EndDay < StartDay);
    }
};

/// Reads "MM-DD..MM-DD"; 02-29 is the last day of February. False with the reason in error.
bool ParseSeason(std::string_view text, TSeasonBounds &bounds, std::string &error);

/// A season taken: its year (of its start) and its rows.
struct TSeasonFile
{
    int Year = 0;
    UCsvImport::TImportResult Result;
    std::string From, To;        ///< first and last date of the rows (spin-up included)
    std::string Note;            ///< what the report adds: irregular steps; empty: nothing
    std::int64_t SpinupRows = 0; ///< the rows before the season
};

/// A year left out and why.
struct TLeftOut
{
    int Year = 0;
    std::string Reason;
};

struct TSeasons
{
    std::vector<TSeasonFile> Files;
    std::vector<TLeftOut> LeftOut;
    std::vector<std::string> Notes;
    int SpinupDays = 0; ///< days of each file before its season
    /// The rows of the spin-up, which a validation leaves out of its score as its warm-up (the
    /// caller says how the person gives it).
    std::int64_t SpinupRows = 0;
};

/// Splits the series into seasons, each with spinupDays days before its start. A season
/// (with its spin-up) of more rows than the mode takes, or of fewer than MinImportRows, is
/// refused as a whole; a year whose season is incomplete, has gaps or (irregular steps) fewer
/// than MinImportRows rows, or none where it begins or ends, is left out with the reason.
/// Returns false with the reason in error.
bool SplitSeasons(const UCsvImport::TCsvTable &table, const UCsvImport::TImportOptions &options,
                  const UCsvImport::TSeries &series, const TSeasonBounds &bounds, int spinupDays,
                  TSeasons &seasons, std::string &error);

/// "1987: incomplete at the file's start (...)".
std::string LeftOutText(const TLeftOut &left);

} // namespace quellow::UCsvSeasons
