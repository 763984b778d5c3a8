#pragma once

#include "import/UCsvImport.h"
#include "import/UCsvSources.h"

#include <QString>

#include <string>

class QWidget;

namespace quellow {

class TDMQuellow;
namespace URainRun {
struct TAnalysisInput;
}

/// A series file chosen, read and previewed in the import dialog.
struct TImportedSeries
{
    QString FileName;
    UCsvImport::TImportResult Result;
    bool Analysis = true;
    /// The unit the runoff was converted from (None: taken as it is).
    UCsvSources::TRunoffUnit RunoffUnit = UCsvSources::TRunoffUnit::None;
    /// The file the runoff was joined from (empty: FileName's own) and its column there
    /// (TCsvTable::ColumnName: 'Value' or column 5).
    QString RunoffFile;
    std::string RunoffColumn;
    /// The catchment area the runoff was converted over (0: none), and where the unit and the
    /// area were taken from ("gauge.txt, line 4", "the dialog").
    double AreaKm2 = 0;
    std::string UnitFrom, AreaFrom;
};

/// "Import series": asks for a series file (starting in folder), reads it and previews it in
/// the import dialog, whose season files take sheet's storages and parameters. True, with what
/// was taken, when the person imports; false when the person cancels or the file cannot be
/// read (the message shown). analysisOnly holds the preview to an analysis.
bool askImportSeries(QWidget *parent, const QString &folder, bool analysisOnly,
                     const TDMQuellow &sheet, TImportedSeries &series);

/// Puts an imported series into dm as File > "Import series..." fills the sheet: mode, rows as
/// an input file stores them, maximum escape rate and titles. The storages and the other
/// parameters stay.
void fillImportedSheet(const TImportedSeries &series, TDMQuellow &dm);

/// What an analysis run reads from dm once Save/Run has written it: the values as the input
/// file holds them. name is named in the messages. False, with the message shown, when dm
/// cannot be written or read as an analysis input file.
bool analysisInputAsSaved(const TDMQuellow &dm, const std::string &name,
                          URainRun::TAnalysisInput &input);

} // namespace quellow
