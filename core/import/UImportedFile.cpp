#include "import/UImportedFile.h"

#include "files/UInputFile.h"

namespace quellow::UImportedFile {

void PutSeries(const UCsvImport::TImportResult &result, bool analysis,
               const std::string &sourceName, UCsvSources::TRunoffUnit unit,
               const std::string &title1, TDMQuellow &dm)
{
    dm.Analysis = analysis;
    dm.ModeTag = analysis ? " Ana" : " Pre";
    dm.SetSeries(result.Time, result.Rain, result.Escape, result.Runoff);
    dm.MaxEscape = result.MaxEscape;
    dm.Title1 = title1;
    dm.Title2 =
        UCsvImport::ImportedTitle2(sourceName, result, analysis) + UCsvSources::TitleUnitNote(unit);
}

bool FileText(const TForm &form, const UCsvImport::TImportResult &result, const std::string &title1,
              const std::string &fileName, std::string &text)
{
    TDMQuellow dm = form.Parameters;
    PutSeries(result, form.Analysis, form.SourceName, form.Unit,
              title1.empty() ? form.SourceName : title1, dm);
    if (!form.Parameters.Title1.empty())
        dm.Title1 = form.Parameters.Title1;
    if (!form.Parameters.Title2.empty())
        dm.Title2 = form.Parameters.Title2;
    dm.FileName = fileName;
    return InputFileText(dm, form.Values, text);
}

bool SeasonFiles(const TForm &form, const UCsvSeasons::TSeasons &seasons, const std::string &output,
                 std::vector<std::pair<std::string, std::string>> &files, std::string &failed)
{
    files.clear();
    for (const UCsvSeasons::TSeasonFile &season : seasons.Files) {
        const std::string name = UOutputNames::SeasonName(output, season.Year);
        std::string text;
        if (!FileText(form, season.Result,
                      form.SourceName + ", season " + season.From + " to " + season.To, name,
                      text)) {
            failed = name;
            return false;
        }
        files.emplace_back(name, std::move(text));
    }
    return true;
}

std::string SeasonCollision(const std::vector<std::pair<std::string, std::string>> &files,
                            const std::vector<UOutputNames::TNamedFile> &reads)
{
    std::vector<UOutputNames::TNamedFile> writes;
    for (const auto &file : files)
        writes.push_back({"season file", file.first});
    return UOutputNames::Collision(reads, writes);
}

std::vector<std::string> SeasonReport(const UCsvSeasons::TSeasons &seasons,
                                      const std::vector<std::pair<std::string, std::string>> &files,
                                      const std::string &season)
{
    std::vector<std::string> lines;
    for (std::size_t k = 0; k < files.size(); ++k)
        lines.push_back("Wrote " + files[k].first + " (" +
                        std::to_string(seasons.Files[k].Result.Time.size()) + " rows, " +
                        seasons.Files[k].From + " to " + seasons.Files[k].To + ").");
    for (const UCsvSeasons::TLeftOut &left : seasons.LeftOut)
        lines.push_back("Left out " + UCsvSeasons::LeftOutText(left) + ".");
    lines.push_back("Season " + season + ": " + std::to_string(files.size()) +
                    (files.size() == 1 ? " file" : " files") + " written, " +
                    std::to_string(seasons.LeftOut.size()) +
                    (seasons.LeftOut.size() == 1 ? " year" : " years") + " left out.");
    return lines;
}

} // namespace quellow::UImportedFile
