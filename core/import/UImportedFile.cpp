#include "import/UImportedFile.h"

#include "files/UInputFile.h"

#include <algorithm>
#include <filesystem>

namespace quellow::UImportedFile {

UCsvImport::TImportResult AsWritten(const UCsvImport::TImportResult &result)
{
    UCsvImport::TImportResult written = result;
    for (std::vector<double> *column :
         {&written.Time, &written.Rain, &written.Escape, &written.Runoff})
        for (double &value : *column)
            value = RowValueAsWritten(value);
    written.MaxEscape = 0;
    for (double value : written.Escape)
        written.MaxEscape = std::max(written.MaxEscape, value);
    return written;
}

void PutSeries(const UCsvImport::TImportResult &result, bool analysis,
               const std::string &sourceName, UCsvSources::TRunoffUnit unit,
               const std::string &title1, TDMQuellow &dm)
{
    dm.Analysis = analysis;
    dm.ModeTag = analysis ? " Ana" : " Pre";
    // The rows as the file stores them, so that the sheet shows what a Save / Run writes.
    const UCsvImport::TImportResult written = AsWritten(result);
    dm.SetSeries(written.Time, written.Rain, written.Escape, written.Runoff);
    dm.MaxEscape = written.MaxEscape;
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

std::vector<std::string>
OtherSeasonFiles(const std::string &output,
                 const std::vector<std::pair<std::string, std::string>> &files,
                 const std::vector<UOutputNames::TNamedFile> &reads)
{
    namespace fs = std::filesystem;
    const fs::path pattern(UOutputNames::SeasonName(output, 1000));
    const std::string stem = pattern.stem().string();
    const std::string head = stem.substr(0, stem.size() - 4),
                      extension = pattern.extension().string();
    std::vector<std::string> others;
    // Another extension is a data file's as likely as an input file's: never taken for one.
    if (extension != ".inp")
        return others;
    std::error_code error;
    fs::path folder = pattern.parent_path();
    for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, error), end;
         !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() != head.size() + 4 + extension.size() ||
            name.compare(0, head.size(), head) != 0 ||
            name.compare(name.size() - extension.size(), extension.size(), extension) != 0 ||
            !std::all_of(name.begin() + static_cast<std::ptrdiff_t>(head.size()),
                         name.begin() + static_cast<std::ptrdiff_t>(head.size() + 4),
                         [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        const bool written = std::any_of(files.begin(), files.end(), [&](const auto &file) {
            return fs::path(file.first).filename().string() == name;
        });
        const bool read = std::any_of(reads.begin(), reads.end(), [&](const auto &file) {
            return UOutputNames::SamePath(it->path().string(), file.Path);
        });
        std::error_code kind;
        if (!written && !read && it->is_regular_file(kind))
            others.push_back(name);
    }
    std::sort(others.begin(), others.end());
    return others;
}

bool SetAsideSeasonFiles(const std::string &output, const std::vector<std::string> &others,
                         TSetAside &aside, std::string &failed)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(output).parent_path();
    aside.clear();
    for (const std::string &name : others) {
        const fs::path path = folder / name;
        fs::path hidden = folder / ("." + name + ".replaced");
        std::error_code error;
        for (int k = 1; fs::exists(fs::symlink_status(hidden, error)); ++k)
            hidden = folder / ("." + name + ".replaced-" + std::to_string(k));
        fs::rename(path, hidden, error);
        if (error) {
            PutBackSeasonFiles(aside);
            aside.clear();
            failed = path.string();
            return false;
        }
        aside.emplace_back(path.string(), hidden.string());
    }
    return true;
}

void PutBackSeasonFiles(const TSetAside &aside)
{
    for (const auto &[path, hidden] : aside) {
        std::error_code error;
        std::filesystem::rename(hidden, path, error);
    }
}

void RemoveSetAside(const TSetAside &aside, std::vector<std::string> &report)
{
    for (const auto &[path, hidden] : aside) {
        const std::string name = std::filesystem::path(path).filename().string();
        std::error_code error;
        if (std::filesystem::remove(hidden, error) && !error) {
            report.push_back("Removed " + name + ", a season file of an earlier import.");
        } else {
            std::filesystem::rename(hidden, path, error);
            report.push_back("Could not remove " + name +
                             ", a season file of an earlier import: remove it yourself.");
        }
    }
}

std::vector<std::string> SeasonReport(const UCsvSeasons::TSeasons &seasons,
                                      const std::vector<std::pair<std::string, std::string>> &files,
                                      const std::string &season)
{
    std::vector<std::string> lines;
    for (std::size_t k = 0; k < files.size(); ++k)
        lines.push_back("Wrote " + files[k].first + " (" +
                        std::to_string(seasons.Files[k].Result.Time.size()) + " rows, " +
                        seasons.Files[k].From + " to " + seasons.Files[k].To +
                        (seasons.Files[k].Note.empty() ? "" : "; " + seasons.Files[k].Note) + ").");
    for (const UCsvSeasons::TLeftOut &left : seasons.LeftOut)
        lines.push_back("Left out " + UCsvSeasons::LeftOutText(left) + ".");
    lines.push_back("Season " + season + ": " + std::to_string(files.size()) +
                    (files.size() == 1 ? " file" : " files") + " written, " +
                    std::to_string(seasons.LeftOut.size()) +
                    (seasons.LeftOut.size() == 1 ? " year" : " years") + " left out.");
    return lines;
}

} // namespace quellow::UImportedFile
