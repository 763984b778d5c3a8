#pragma once

#include <cstddef>
#include <string>
#include <utility>

namespace quellow {

/// A problem of an import, as a value: what is wrong, with the role, column, file and line it
/// concerns. A problem of the files themselves is worded here (Message). One with what the
/// caller asked for (its list of the columns, the runoff's unit, the catchment area) is worded
/// by the caller, which knows how the person gave it and how to give it again.
struct TImportProblem
{
    enum class TKind {
        None,
        Message, ///< Text is the whole message; of the rows of File when it is given
        // The caller's list of the columns:
        NoRole,         ///< a pair names Item, which is no role
        TooManyColumns, ///< more than date, rain, escape and runoff in order
        OrderAndPairs,  ///< columns in order mixed with role=COLUMN pairs
        RoleFromFile,   ///< Role comes from File, not from a column of MainFile
        NoColumn,       ///< the file has no column Item (for Role)
        TooFewColumns,  ///< fewer than date, rain and escape (and runoff in an Analysis)
        DateParts,      ///< the date named by more than four columns
        // The runoff's unit and the catchment area:
        UnitNotDischarge, ///< the unit Item that File names in Line is no discharge
        NoArea,           ///< the runoff in unit Item (from UnitFrom), no area given, none in File
        UnitsDisagree,    ///< File names the runoff's unit Item in Line, OtherItem in OtherLine
        // The files an import would leave beside its own:
        OtherSeasonFiles, ///< the folder of File (the output) holds Item, season files not written
    };

    TKind Kind = TKind::None;
    std::string Text;          ///< with Message
    int Role = -1;             ///< the role concerned (UCsvImport::RoleDate ...)
    std::string Item;          ///< the column, role name or unit as given or found
    std::string File;          ///< the file concerned
    std::string MainFile;      ///< the main file, beside a role's own File
    std::size_t Line = 0;      ///< the line of File, from 1
    std::string OtherItem;     ///< a second unit, beside Item
    std::size_t OtherLine = 0; ///< its line
    std::string UnitFrom;      ///< where the runoff's unit was taken from
    bool Analysis = true;

    static TImportProblem Message(std::string text)
    {
        TImportProblem problem;
        problem.Kind = TKind::Message;
        problem.Text = std::move(text);
        return problem;
    }
};

} // namespace quellow
