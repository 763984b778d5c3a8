// File > "Import series...": a dated series file, previewed and chosen in the import dialog,
// fills the input sheet as an opened input file does; Save/Run then writes and runs it. The
// same steps give "Validate..." its validation window from a series file.
#include "ui/URainForm.h"

#include "import/UCsvImport.h"
#include "import/UCsvSources.h"
#include "import/UImportedFile.h"
#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "files/UInputFile.h"
#include "runs/URainRun.h"
#include "ui/UDialogs.h"
#include "ui/UImportDialog.h"
#include "ui/UImportSeries.h"
#include "ui/UInputSheetPage.h"

#include <QFileInfo>

namespace quellow {

bool askImportSeries(QWidget *parent, const QString &folder, bool analysisOnly,
                     const TDMQuellow &sheet, TImportedSeries &series)
{
    const QString name =
        Dialogs().OpenFileName({QStringLiteral("Series files (*.csv *.txt *.tsv);;All files (*)"),
                                QString(), folder, QStringLiteral("Import series")});
    if (name.isEmpty())
        return false;
    std::string content;
    switch (readWholeFile(name.toStdString(), content, UCsvImport::MaxCsvBytes)) {
    case TReadStatus::Ok:
        break;
    case TReadStatus::TooLarge:
        Dialogs().ShowMessage("The file \"" + name.toStdString() +
                              "\" is too large for a series to import.");
        return false;
    default:
        Dialogs().ShowMessage("The file \"" + name.toStdString() +
                              "\" could not be opened or is not a text file.");
        return false;
    }
    TImportDialog dialog(name, std::move(content), parent);
    UImportedFile::TForm form;
    form.Parameters.MaxStor = sheet.MaxStor;
    form.Parameters.InitStor = sheet.InitStor;
    form.Parameters.Drainage = sheet.Drainage;
    form.Parameters.InitRun = sheet.InitRun;
    form.Parameters.InitLevel = sheet.InitLevel;
    form.Parameters.Porosity = sheet.Porosity;
    form.Values = ModelValues;
    dialog.setFileForm(form);
    if (analysisOnly)
        dialog.holdToAnalysis();
    if (dialog.exec() != QDialog::Accepted || !dialog.canImport())
        return false;
    series.FileName = name;
    series.Result = dialog.importResult();
    series.Analysis = dialog.analysisChosen();
    series.RunoffUnit = dialog.runoffUnit();
    const UCsvSources::TFrame &frame = dialog.frame();
    const int runoff = series.Result.Columns[UCsvImport::RoleRunoff];
    if (!frame.RunoffFile.empty() && runoff == frame.Columns[UCsvImport::RoleRunoff]) {
        series.RunoffFile = dialog.secondFileName();
        series.RunoffColumn = frame.RunoffColumn;
    } else if (runoff >= 0) {
        series.RunoffColumn = frame.Table.ColumnName(runoff);
    }
    series.AreaKm2 = frame.AreaKm2;
    series.UnitFrom = frame.UnitFrom;
    series.AreaFrom = frame.AreaFrom;
    return true;
}

void fillImportedSheet(const TImportedSeries &series, TDMQuellow &dm)
{
    if (series.Analysis)
        dm.Drainage = false;
    const std::string name = QFileInfo(series.FileName).fileName().toStdString();
    UImportedFile::PutSeries(series.Result, series.Analysis, name, series.RunoffUnit, name, dm);
}

bool analysisInputAsSaved(const TDMQuellow &dm, const std::string &name,
                          URainRun::TAnalysisInput &input)
{
    std::string text;
    if (!InputFileText(dm, ModelValues, text)) {
        Dialogs().ShowMessage("Not all data values in the inputfile are real");
        return false;
    }
    return URainRun::ParseAnalysisInput(text, name, input, &Dialogs());
}

void TRainForm::ImportSeriesActionExecute()
{
    guarded([this] {
        if (!mInputSheet->commitEditedBox() || !mayReplaceSheet())
            return;
        TImportedSeries series;
        if (!askImportSeries(this, DialogFolders.InputOpen, false, DMQuellow, series))
            return;
        fillImportedSheet(series, DMQuellow);
        hideCommentWindow();
        SetDialogFolders(QFileInfo(series.FileName).absolutePath());
        mInputSheet->showImportedSheet(series.FileName);
    });
}

} // namespace quellow
