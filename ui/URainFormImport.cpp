// File > "Import series...": a dated series file, previewed and chosen in the import dialog,
// fills the input sheet as an opened input file does; Save/Run then writes and runs it.
#include "ui/URainForm.h"

#include "model/UCsvImport.h"
#include "model/UDMQuellow.h"
#include "model/UFileUtil.h"
#include "ui/UDialogs.h"
#include "ui/UImportDialog.h"
#include "ui/UInputSheetPage.h"

#include <QFileInfo>

namespace quellow {

namespace {

/// Puts the rows taken into the window's data module: mode, NrOfData, Serial, Time, Rain,
/// Escape, Runoff, Remove and MaxEscape. Titles and parameters are set by the caller.
void fillDataModule(const UCsvImport::TImportResult &result, bool analysis, TDMQuellow &dm)
{
    const std::size_t n = result.Time.size();
    dm.Analysis = analysis;
    dm.ModeTag = analysis ? " Ana" : " Pre";
    if (analysis)
        dm.Drainage = false;
    dm.ResizeRows(0);
    dm.ResizeRows(n);
    for (std::size_t i = 0; i < n; ++i) {
        dm.Serial[i] = static_cast<std::int32_t>(i + 1);
        dm.Time[i] = result.Time[i];
        dm.Rain[i] = result.Rain[i];
        dm.Escape[i] = result.Escape[i];
        dm.Runoff[i] = result.Runoff[i];
    }
    dm.NrOfData = static_cast<std::int32_t>(n);
    dm.MaxEscape = result.MaxEscape;
}

} // namespace

void TRainForm::ImportSeriesActionExecute()
{
    guarded([this] {
        const QString name = Dialogs().OpenFileName(
            {QStringLiteral("Series files (*.csv *.txt *.tsv *.dat);;All files (*)"), QString(),
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
        dm.Title2 = UCsvImport::ImportedTitle2(dm.Title1, result);
        hideCommentWindow();
        SetDialogFolders(file.absolutePath());
        mInputSheet->showOpenedFile(name);
    });
}

} // namespace quellow
