// "Open input" and Save/Run of the main window: the file-name question, the collection and
// check of the sheet's rows, the input file, the runs with their progress lines, and the
// filing of the output on the Output tab.
#include "ui/URainForm.h"

#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "files/UInputChecks.h"
#include "files/UOutputNames.h"
#include "runs/UPrediction.h"
#include "runs/URainRun.h"
#include "files/UTextFields.h"
#include "ui/UCommentForm.h"
#include "ui/UDialogs.h"
#include "ui/UGraphicsPage.h"
#include "ui/UInputSheetLayout.h"
#include "ui/UInputSheetPage.h"
#include "ui/UOutputPage.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

namespace quellow {

namespace {

constexpr int ProgressPause = 500;

void message(const std::string &text)
{
    Dialogs().ShowMessage(text);
}

QString folderOf(const std::string &path)
{
    return QFileInfo(QString::fromStdString(path)).absolutePath();
}

/// The divide search reports each finished run; the window adds its progress line and pause.
class TProgressHooks final : public URainRun::TSearchHooks
{
public:
    explicit TProgressHooks(std::function<void(int)> afterRun) : mAfterRun(std::move(afterRun)) {}
    void AfterRun(int run) override { mAfterRun(run); }

private:
    std::function<void(int)> mAfterRun;
};

} // namespace

// ---- Open input --------------------------------------------------------------------------------

void TRainForm::InputOpenActionExecute()
{
    if (!mayReplaceSheet())
        return;
    const QString name = Dialogs().OpenFileName(
        {QStringLiteral("Input files (*.inp)"), QString(), DialogFolders.InputOpen, QString()});
    if (name.isEmpty()) {
        message("No input file was selected");
        return;
    }
    openInputFile(name);
}

void TRainForm::openInputFile(const QString &name)
{
    guarded([this, &name] {
        auto &dm = DMQuellow;
        const std::string path = name.toStdString();
        if (!fileExists(path)) {
            message("File does not exist, please select another one,");
            return;
        }
        // A file that cannot be read leaves the data module, and so the sheet, as they were.
        const std::string previousName = dm.FileName;
        dm.FileName = path;
        if (!dm.ReadInputFile()) {
            dm.FileName = previousName;
            return;
        }
        hideCommentWindow();
        SetDialogFolders(folderOf(path));
        mInputSheet->showOpenedFile(name);
    });
}

bool TRainForm::mayReplaceSheet()
{
    if (!mInputSheet->hasUnsavedChanges())
        return true;
    switch (Dialogs().AskSave("The sheet has changes that are not saved. Save them?")) {
    case TSaveChoice::Save: {
        bool saved = false;
        guarded([this, &saved] { saved = saveSheet(); });
        return saved;
    }
    case TSaveChoice::Discard:
        return true;
    case TSaveChoice::Cancel:
        break;
    }
    return false;
}

// ---- Save / Run
// ----------------------------------------------------------------------------------

bool TRainForm::AskInputFileName()
{
    RunStopped = false;
    // The dialog offers the file the sheet came from (or the series it was imported from).
    const QString suggested = mInputSheet->suggestedFileName();
    const QString name = Dialogs().SaveFileName(
        {QStringLiteral("Input files (*.inp)"), QStringLiteral("inp"),
         suggested.isEmpty() ? DialogFolders.InputSave : suggested, QString()});
    if (name.isEmpty()) {
        RunStopped = true;
        return false;
    }
    // The run files its results beside the input file: neither may replace it.
    std::vector<UOutputNames::TNamedFile> writes{{"input file", name.toStdString()}};
    for (UOutputNames::TNamedFile &file :
         UOutputNames::RunOutputs(name.toStdString(), mInputSheet->analysisChosen()))
        writes.push_back(std::move(file));
    const std::string collision = UOutputNames::Collision({}, writes);
    if (!collision.empty()) {
        message(collision);
        RunStopped = true;
        return false;
    }
    DMQuellow.FileName = name.toStdString();
    if (fileExists(DMQuellow.FileName))
        return DMQuellow.Confirm("The file already exists, overwrite?");
    return true;
}

bool TRainForm::CheckInputData()
{
    return firstFaultyCell().Col < 0;
}

void TRainForm::RunModel()
{
    if (DMQuellow.Analysis)
        runAnalysis();
    else
        runPrediction();
}

void TRainForm::runAnalysis()
{
    auto &run = URainRun::State;
    mGraphicsPage->setLevelCaption(true);
    // Five silent trials and the final run; each completed run gets its pause, the trials 2
    // to 5 their progress line.
    TProgressHooks hooks([this](int done) {
        Dialogs().Pause(ProgressPause);
        static const char *const lines[] = {nullptr,
                                            nullptr,
                                            " Progress 40% ....",
                                            " Progress 60% ....",
                                            " Progress 75% ....",
                                            " Progress 90% ...."};
        if (done >= 2 && done <= 5)
            mInputSheet->addProgress(QLatin1String(lines[done]));
    });
    URainRun::DivideSearch(&hooks);
    if (run.DataCount > 0)
        mInputSheet->showDataCount(run.DataCount);
    // A search that stopped has told the user why; what is filed is the output of a final run
    // that wrote it.
    RunStopped = !run.Filed();
}

void TRainForm::runPrediction()
{
    auto &run = URainRun::State;
    run.StorageOK = true;
    mGraphicsPage->setLevelCaption(DMQuellow.Drainage);
    UPrediction::RunPrediction();
    // A prediction is judged by its own outcome only, whatever an earlier analysis left.
    const bool failed = UPrediction::State.PredFailed;
    run.RunOK = !failed;
    RunStopped = failed;
    if (failed)
        return;
    mInputSheet->addProgress(QStringLiteral(" Calculating ....."));
    Dialogs().Pause(ProgressPause);
    mInputSheet->addProgress(QStringLiteral(" Progress 75% ...."));
    Dialogs().Pause(ProgressPause);
}

void TRainForm::InputSaveActionExecute()
{
    bool filed = false;
    guarded([this, &filed] { filed = saveRun(); });
    // Whatever ended the action, the progress box does not stay behind, and the Output tab
    // does not pass off an earlier run's file as this one's.
    mInputSheet->clearProgress(true);
    if (!filed)
        mOutputPage->markAsPrevious();
    emit runFinished();
}

bool TRainForm::saveRun()
{
    if (!saveSheet())
        return false;
    const std::string inputName = DMQuellow.FileName;
    if (!runWithProgress(inputName))
        return false;
    return fileResults(inputName);
}

bool TRainForm::saveSheet()
{
    // A box still being edited counts with its check, as if it had been left.
    if (!mInputSheet->commitEditedBox() || !validateSheet())
        return false;
    const std::string inputName = DMQuellow.FileName;
    if (!DMQuellow.WriteInputFile())
        return false;
    // The model and the sheet keep the complete rows only, in their order, as the file does.
    const bool anyRemoved = compactRows();
    mInputSheet->showValidRows(mInputSheet->ValidCount, anyRemoved);
    // Rows taken out move the others: an earlier Apply can no longer be taken back row by row.
    if (anyRemoved) {
        mApplied.clear();
        updateUndoAction();
    }
    mInputSheet->showSheetFile(QString::fromStdString(inputName));
    mInputSheet->markSaved();
    return true;
}

bool TRainForm::validateSheet()
{
    if (!mInputSheet->checkDataCount())
        return false;
    if (mInputSheet->analysisChosen() && !mInputSheet->checkMaxEscape())
        return false;
    // A prediction without an alpha function is refused before the file name is asked.
    if (!mInputSheet->analysisChosen() && mInputSheet->alphaBoxesZero()) {
        message(UInputChecks::ZeroAlphaFailure(TModelValues()));
        return false;
    }
    // The question answers false whenever it sets RunStopped.
    if (!AskInputFileName()) {
        message("The input data were not saved");
        return false;
    }
    if (!mInputSheet->readRows())
        return false;
    if (!CheckInputData()) {
        message(UInputChecks::FaultyRowsMessage);
        // After the message, which gives the focus back to where it was when it came.
        mInputSheet->selectFirstFaultyCell();
        return false;
    }
    // No complete row: nothing worth writing, and the sheet keeps what it shows.
    const std::string countFailure =
        UInputChecks::RowCountFailure(mInputSheet->ValidCount, DMQuellow.Analysis);
    if (!countFailure.empty()) {
        message(countFailure);
        return false;
    }
    if (!mInputSheet->readBoxes())
        return false;
    if (!DMQuellow.Analysis)
        if (const std::string zero = UInputChecks::ZeroAlphaFailure(ModelValues); !zero.empty()) {
            message(zero);
            return false;
        }
    return true;
}

bool TRainForm::compactRows()
{
    auto &dm = DMQuellow;
    const int validCount = mInputSheet->ValidCount;
    const int rowsRead = dm.NrOfData;
    bool anyRemoved = false;
    int kept = 0;
    for (int i = 0; i < rowsRead; ++i) {
        if (dm.Remove[i]) {
            anyRemoved = true;
            continue;
        }
        dm.Time[kept] = dm.Time[i];
        dm.Rain[kept] = dm.Rain[i];
        dm.Escape[kept] = dm.Escape[i];
        dm.Runoff[kept] = dm.Runoff[i];
        ++kept;
    }
    dm.NrOfData = validCount;
    dm.ResizeRows(static_cast<std::size_t>(validCount) + 1);
    for (int i = 0; i <= validCount; ++i)
        dm.Remove[i] = false;
    return anyRemoved;
}

bool TRainForm::runWithProgress(const std::string &inputName)
{
    auto &dm = DMQuellow;
    mInputSheet->clearProgress(false);
    mInputSheet->addProgress(QStringLiteral(" Saving data ....."));
    Dialogs().Pause(ProgressPause);
    mInputSheet->addProgress(QStringLiteral(" Progress 25% ...."));

    RunModel();
    if (!RunStopped)
        return true;
    mInputSheet->clearProgress(true);
    dm.RunHalted = false;
    dm.FileName = inputName;
    showTab(TTab::Input);
    return false;
}

bool TRainForm::fileResults(const std::string &inputName)
{
    auto &dm = DMQuellow;
    const std::string outputName = UOutputNames::OutputName(inputName);
    dm.FileName = outputName;
    if (!dm.LoadTextFile(outputName)) {
        mInputSheet->clearProgress(true);
        return false;
    }
    mInputSheet->addProgress(QStringLiteral(" Filing results .."));
    Dialogs().Pause(ProgressPause);
    mInputSheet->clearProgress(true);

    message("The input is saved in " + inputName + " ;" +
            " Calculations were done and the output is saved in  " + outputName);

    showOutput(dm.Analysis, inputName);
    dm.OutFileName = dm.FileName;
    mGraphicsPage->setOpenedOutput(QString());
    SetDialogFolders(folderOf(dm.OutFileName));
    ResultsReady = true;
    showTab(TTab::Output);
    // Showing the Output tab clears the flag; the output just filed is ready for the graphs.
    mGraphicsPage->SourceReady = true;
    return true;
}

} // namespace quellow
