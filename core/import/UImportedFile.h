#pragma once

#include "import/UCsvImport.h"
#include "import/UCsvSeasons.h"
#include "import/UCsvSources.h"
#include "files/UDMQuellow.h"
#include "files/UOutputNames.h"

#include <string>
#include <utility>
#include <vector>

/// The input files an import writes: imported rows with the parameters and titles of an input
/// file, one file of a series or one per season, and the report of the seasons written.
namespace quellow::UImportedFile {

/// What an input file of imported rows holds besides the rows.
struct TForm
{
    /// The storages, drainage, initial runoff and level and porosity; its titles when given
    /// (empty: made from the source).
    TDMQuellow Parameters;
    TModelValues Values; ///< the alpha values of a prediction
    bool Analysis = true;
    std::string SourceName; ///< the series file's name, as the titles give it
    UCsvSources::TRunoffUnit Unit = UCsvSources::TRunoffUnit::None; ///< converted from
};

/// The rows of result as an input file stores them (two decimals, or four significant digits
/// below 1), with the largest escape rate of those.
UCsvImport::TImportResult AsWritten(const UCsvImport::TImportResult &result);

/// Puts imported rows into dm as an input file holds them: the mode, the rows (AsWritten), the
/// largest escape rate, title1 and the second title of the import with the unit's note.
void PutSeries(const UCsvImport::TImportResult &result, bool analysis,
               const std::string &sourceName, UCsvSources::TRunoffUnit unit,
               const std::string &title1, TDMQuellow &dm);

/// The input file fileName of imported rows: the form's parameters, values and given titles;
/// else title1 (empty: the source's name) and the import's second title. False when a value
/// cannot be written.
bool FileText(const TForm &form, const UCsvImport::TImportResult &result, const std::string &title1,
              const std::string &fileName, std::string &text);

/// The name and text of each season's file, NAME-YYYY.inp beside output, titled with the
/// source's name and the season's dates. False with the name of one that cannot be written in
/// failed.
bool SeasonFiles(const TForm &form, const UCsvSeasons::TSeasons &seasons, const std::string &output,
                 std::vector<std::pair<std::string, std::string>> &files, std::string &failed);

/// The message when the season files would overwrite a file read (empty when none does).
std::string SeasonCollision(const std::vector<std::pair<std::string, std::string>> &files,
                            const std::vector<UOutputNames::TNamedFile> &reads);

/// The season files of an earlier import beside output: every NAME-YYYY.inp in its folder
/// that is not among files nor among reads, by its name in the folder, sorted. Only files named
/// .inp are season files: an output of another extension has none beside it.
std::vector<std::string>
OtherSeasonFiles(const std::string &output,
                 const std::vector<std::pair<std::string, std::string>> &files,
                 const std::vector<UOutputNames::TNamedFile> &reads);
/// Season files of an earlier import moved to hidden names beside their own (path, hidden
/// path), until the new files are written: then removed, else put back.
using TSetAside = std::vector<std::pair<std::string, std::string>>;
/// Moves others (names in the folder of output) aside; false with the path of one that cannot
/// be moved in failed, every one moved put back.
bool SetAsideSeasonFiles(const std::string &output, const std::vector<std::string> &others,
                         TSetAside &aside, std::string &failed);
/// Puts the files set aside back under their names.
void PutBackSeasonFiles(const TSetAside &aside);
/// Removes the files set aside; the report names each file removed, and each that could not
/// be (put back under its name).
void RemoveSetAside(const TSetAside &aside, std::vector<std::string> &report);

/// The report of the season files written: each with its rows and dates, the years left out,
/// and "Season 06-01..10-31: 3 files written, 1 year left out."
std::vector<std::string> SeasonReport(const UCsvSeasons::TSeasons &seasons,
                                      const std::vector<std::pair<std::string, std::string>> &files,
                                      const std::string &season);

} // namespace quellow::UImportedFile
