// File > "Import series...": a dated series file, previewed and chosen in the import dialog,
// fills the input sheet as an opened input file does; Save/Run then writes and runs it.
#include "ui/URainForm.h"

#include "model/UCsvImport.h"
#include "model/UCsvSources.h"
#include "model/UDMQuellow.h"
#include "model/UFileUtil.h"
#include "ui/UDialogs.h"
#include "ui/UImportDialog.h"
#include "ui/UInputSheetPage.h"

#include <QFileInfo>

namespace quellow {

namespace {

/// Puts the rows taken into the window's data module with their mode. Titles and
/// parameters are set by the caller.
void fillDataModule(const UCsvImport::TImportResult &result, bool analysis, TDMQuellow &dm)
{
    dm.Analysis = analysis;
    dm.ModeTag = analysis ? " Ana" : " Pre";
    if (analysis)
        dm.Drainage = false;
    dm.SetSeries(result.Time, result.Rain, result.Escape, result.Runoff);
    dm.MaxEscape = result.MaxEscape;
}

} // namespace

void TRainForm::ImportSeriesActionExecute()
{
    guarded([this] {
        if (!mInputSheet->commitEditedBox() || !mayReplaceSheet())
            return;
        const QString name = Dialogs().OpenFileName(
            {QStringLiteral("Series files (*.csv *.txt *.tsv);;All files (*)"), QString(),
             DialogFolders.InputOpen, QStringLiteral("Import series")});
        if (name.isEmpty())
            return;
        std::string content;
        switch (readWholeFile(name.toStdString(), content, UCsvImport::MaxCsvBytes)) {
        case TReadStatus::Ok:
            break;
        case TReadStatus::TooLarge:
            Dialogs().ShowMessage("The file \"" + name.toStdString() +
                                  "\" is too large for a series to import.");
            return;
        default:
            Dialogs().ShowMessage("The file \"" + name.toStdString() +
                                  "\" could not be opened or is not a text file.");
            return;
        }
        TImportDialog dialog(name, std::move(content), this);
        if (dialog.exec() != QDialog::Accepted || !dialog.canImport())
            return;
        const auto &result = dialog.importResult();
        auto &dm = DMQuellow;
        fillDataModule(result, dialog.analysisChosen(), dm);
        const QFileInfo file(name);
        dm.Title1 = file.fileName().toStdString();
        dm.Title2 = UCsvImport::ImportedTitle2(dm.Title1, result, dialog.analysisChosen()) +
                    UCsvSources::TitleUnitNote(dialog.runoffUnit());
        hideCommentWindow();
        SetDialogFolders(file.absolutePath());
        mInputSheet->showImportedSheet(name);
    });
}

} // namespace quellow
