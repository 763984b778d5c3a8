#include "cli/CliImportText.h"

#include "import/UCsvImport.h"

namespace quellow::cli {

std::string ImportProblemText(const TImportProblem &problem)
{
    using TKind = TImportProblem::TKind;
    const std::string role = problem.Role >= 0 ? UCsvImport::RoleName(problem.Role) : "";
    switch (problem.Kind) {
    case TKind::NoRole:
        return "--columns: \"" + problem.Item + "\" is no role (date, rain, escape, runoff).";
    case TKind::TooManyColumns:
        return "--columns takes at most four columns: date,rain,escape,runoff.";
    case TKind::OrderAndPairs:
        return "--columns takes either date,rain,escape,runoff in order or role=COLUMN pairs, "
               "not both.";
    case TKind::RoleFromFile:
        return "--columns: the " + role + " comes from " + problem.File +
               ", not from a column of " + problem.MainFile + ".";
    case TKind::NoColumn:
        return "--columns: the file has no column \"" + problem.Item + "\" (" + role + ").";
    case TKind::TooFewColumns:
        return std::string("--columns names date,rain,escape") +
               (problem.Analysis ? ",runoff" : "") + ".";
    case TKind::DateParts:
        return "--columns: date= takes a date column, a date and a time column, or "
               "year+month+day(+hour) columns.";
    case TKind::UnitNotDischarge:
        return "In " + problem.File + ", " + UCsvTable::LineText(problem.Line) + ": the unit \"" +
               problem.Item +
               "\" is not a discharge (mm, mm/d, mm/h, l/s, m3/s or cfs); give the runoff's unit "
               "with "
               "--runoff-unit.";
    case TKind::NoArea:
        return "The runoff is in " + problem.Item + " (from " + problem.UnitFrom +
               ") but no catchment area is given, and " + problem.File +
               " names none: give it with --area-km2.";
    case TKind::UnitsDisagree:
        return "In " + problem.File + ", " + UCsvTable::LineText(problem.Line) + " and " +
               UCsvTable::LineText(problem.OtherLine) + " name two units of the runoff, \"" +
               problem.Item + "\" and \"" + problem.OtherItem +
               "\": give the runoff's unit with --runoff-unit.";
    case TKind::OtherSeasonFiles:
        return "The folder of " + problem.File +
               " holds season files this import does not write: " + problem.Item +
               ". Remove them, or replace them with --replace-seasons.";
    case TKind::Message:
        if (!problem.File.empty())
            return "In " + problem.File + ": " + problem.Text;
        break;
    case TKind::None:
        break;
    }
    return problem.Text;
}

std::string SpinupNote(const UCsvSeasons::TSeasons &seasons)
{
    if (seasons.SpinupDays <= 0)
        return {};
    return "Each file begins " + std::to_string(seasons.SpinupDays) +
           " days before its season (spin-up): leave them out of a validation's score with "
           "--warmup " +
           std::to_string(seasons.SpinupRows) + ".";
}

} // namespace quellow::cli
