#include "import/UImportPipeline.h"

#include "files/UFileUtil.h"
#include "files/UInputFile.h"

#include <filesystem>

namespace quellow::UImportPipeline {

bool Read(const UCsvSources::TSourceRequest &sources, const UCsvImport::TImportOptions &options,
          TRead &read, TImportProblem &problem)
{
    read = {};
    std::string error;
    if (!UCsvSources::BuildFrame(sources, read.Frame, problem))
        return false;
    if (!ReadSeries(read, options, error)) {
        problem = TImportProblem::Message(error);
        problem.File = sources.Main.Name; // the frame's rows are the main file's
        return false;
    }
    return true;
}

bool ReadSeries(TRead &read, const UCsvImport::TImportOptions &options, std::string &error)
{
    read.Options = options;
    read.Series = {};
    return UCsvSources::FrameOptions(read.Frame, read.Options, error) &&
           UCsvImport::ReadSeries(read.Frame.Table, read.Options, read.Series, error);
}

bool TakePeriod(const TRead &read, UCsvImport::TImportResult &result,
                std::vector<std::string> &report, std::string &error)
{
    report = read.Frame.Notes;
    if (!UCsvImport::TakePeriod(read.Frame.Table, read.Options, read.Series, result, error))
        return false;
    report.insert(report.end(), result.Notes.begin(), result.Notes.end());
    const std::vector<std::string> taken =
        UCsvSources::TakenReport(read.Frame, read.Options.Analysis, {&result});
    report.insert(report.end(), taken.begin(), taken.end());
    return true;
}

bool TakeSeasons(const TRead &read, const UCsvSeasons::TSeasonBounds &bounds, int spinupDays,
                 UCsvSeasons::TSeasons &seasons, std::string &error)
{
    return UCsvSeasons::SplitSeasons(read.Frame.Table, read.Options, read.Series, bounds,
                                     spinupDays, seasons, error);
}

std::vector<std::string> SeasonsReport(const TRead &read, const UCsvSeasons::TSeasons &seasons,
                                       const std::string &spinupNote)
{
    std::vector<std::string> report = read.Frame.Notes;
    report.insert(report.end(), seasons.Notes.begin(), seasons.Notes.end());
    if (!spinupNote.empty())
        report.push_back(spinupNote);
    std::vector<const UCsvImport::TImportResult *> taken;
    for (const UCsvSeasons::TSeasonFile &file : seasons.Files)
        taken.push_back(&file.Result);
    const std::vector<std::string> notes =
        UCsvSources::TakenReport(read.Frame, read.Options.Analysis, taken);
    report.insert(report.end(), notes.begin(), notes.end());
    return report;
}

bool WriteSeasons(const TSeasonWrite &write, const UCsvSeasons::TSeasons &seasons,
                  const std::string &season,
                  std::vector<std::pair<std::string, std::string>> &written,
                  std::vector<std::string> &report, TImportProblem &problem)
{
    std::string failed;
    if (!UImportedFile::SeasonFiles(write.Form, seasons, write.Output, written, failed)) {
        problem = TImportProblem::Message(CannotOpenText(failed));
        return false;
    }
    const std::string collision = UImportedFile::SeasonCollision(written, write.Reads);
    if (!collision.empty()) {
        problem = TImportProblem::Message(collision);
        return false;
    }
    const std::vector<std::string> others =
        UImportedFile::OtherSeasonFiles(write.Output, written, write.Reads);
    // Where nothing is written, nothing of an earlier import is replaced: its files are named.
    if (written.empty()) {
        const std::vector<std::string> lines =
            UImportedFile::SeasonReport(seasons, written, season);
        report.insert(report.end(), lines.begin(), lines.end());
        if (!others.empty()) {
            std::string names;
            for (const std::string &name : others)
                names += (names.empty() ? "" : ", ") + name;
            report.push_back("Season files of an earlier import stay in the folder of " +
                             write.Output + ", as no season was written: " + names + ".");
        }
        return true;
    }
    if (!others.empty() && !write.ReplaceOthers) {
        problem = {};
        problem.Kind = TImportProblem::TKind::OtherSeasonFiles;
        problem.File = write.Output;
        for (const std::string &name : others)
            problem.Item += (problem.Item.empty() ? "" : ", ") + name;
        return false;
    }
    // The earlier files are moved aside first and put back if the new ones cannot be written:
    // a refusal leaves the folder as it was.
    UImportedFile::TSetAside aside;
    if (!UImportedFile::SetAsideSeasonFiles(write.Output, others, aside, failed)) {
        problem = TImportProblem::Message(
            "The season file \"" + failed +
            "\" of an earlier import could not be removed: remove it yourself, or write the "
            "seasons to another folder.");
        return false;
    }
    std::error_code made;
    if (!written.empty())
        std::filesystem::create_directories(std::filesystem::path(write.Output).parent_path(),
                                            made);
    if (!writeFilesAtomically(written, failed)) {
        UImportedFile::PutBackSeasonFiles(aside);
        problem = TImportProblem::Message(CannotOpenText(failed));
        return false;
    }
    UImportedFile::RemoveSetAside(aside, report);
    const std::vector<std::string> lines = UImportedFile::SeasonReport(seasons, written, season);
    report.insert(report.end(), lines.begin(), lines.end());
    return true;
}

} // namespace quellow::UImportPipeline
