#pragma once

#include "import/UCsvImport.h"
#include "import/UCsvSeasons.h"
#include "import/UCsvSources.h"
#include "import/UImportProblem.h"
#include "import/UImportedFile.h"
#include "files/UOutputNames.h"

#include <string>
#include <utility>
#include <vector>

/// The import of a dated series as one road, the same for every caller: read the sources into
/// a frame (tables, columns,
/// dates, second files, the runoff's unit and area), read its series, then take one period or
/// the seasons (time unit, conversion, gaps, water balance) and write. Each step reports what it
/// found, took, converted and left out as lines the caller shows as they are.
namespace quellow::UImportPipeline {

/// The sources read: the frame, the options that read its series, and the series.
struct TRead
{
    UCsvSources::TFrame Frame;
    UCsvImport::TImportOptions Options;
    UCsvImport::TSeries Series;
};

/// Reads the sources into a frame and its series with options (the columns still -1 are the
/// frame's, then guessed; the runoff's unit and area the frame's). False with the problem: one
/// of the files, or one of what the caller gave.
bool Read(const UCsvSources::TSourceRequest &sources, const UCsvImport::TImportOptions &options,
          TRead &read, TImportProblem &problem);

/// Reads the series of read's frame again with other options.
bool ReadSeries(TRead &read, const UCsvImport::TImportOptions &options, std::string &error);

/// One period of the read (the one asked for in its options, else the longest without gaps):
/// its rows in result, and the report of the import (the frame's notes, the series', the
/// period's and what was taken). False with the reason in error.
bool TakePeriod(const TRead &read, UCsvImport::TImportResult &result,
                std::vector<std::string> &report, std::string &error);

/// The seasons of the read (UCsvSeasons::SplitSeasons). False with the reason in error.
bool TakeSeasons(const TRead &read, const UCsvSeasons::TSeasonBounds &bounds, int spinupDays,
                 UCsvSeasons::TSeasons &seasons, std::string &error);
/// The report of the seasons taken, before they are written: the frame's and the series' notes,
/// spinupNote (the caller's words; empty: none) and what was taken.
std::vector<std::string> SeasonsReport(const TRead &read, const UCsvSeasons::TSeasons &seasons,
                                       const std::string &spinupNote);

/// What writing the seasons needs besides them.
struct TSeasonWrite
{
    UImportedFile::TForm Form;                   ///< parameters and titles of every file
    std::string Output;                          ///< NAME.inp: the files are NAME-YYYY.inp
    std::vector<UOutputNames::TNamedFile> Reads; ///< files read, never overwritten nor removed
    bool ReplaceOthers = false; ///< season files of an earlier import beside them are removed
};

/// Writes one file per season taken, all or none, and removes (when asked) the season files of
/// an earlier import beside them; report gets each file written and removed, the years left
/// out and the count. False with the problem (nothing written, nothing removed): a file that
/// cannot be written or would overwrite one read, a season file of an earlier import that
/// cannot be removed, or (not asked to replace them) season files of an earlier import in the
/// folder (TImportProblem::TKind::OtherSeasonFiles). written: the files.
bool WriteSeasons(const TSeasonWrite &write, const UCsvSeasons::TSeasons &seasons,
                  const std::string &season,
                  std::vector<std::pair<std::string, std::string>> &written,
                  std::vector<std::string> &report, TImportProblem &problem);

} // namespace quellow::UImportPipeline
