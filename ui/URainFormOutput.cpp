// The Output tab of the main window: output files opened for reading or for the charts, the
// output shown, and "View graph".
#include "ui/URainForm.h"

#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "runs/URainRun.h"
#include "files/UTextFields.h"
#include "ui/UDialogs.h"
#include "ui/UGraphicsPage.h"
#include "ui/UInputSheetPage.h"
#include "ui/UOutputPage.h"

#include <QFileInfo>

namespace quellow {

namespace {

const QString OutputOpenedStatus =
    QStringLiteral("The output file can be imported into spreadsheets");

} // namespace

void TRainForm::showOutput(bool analysisRun, const std::string &inputName)
{
    mOutputPage->showLines(DMQuellow.OutLines, DMQuellow.NrOfLines,
                           QString::fromStdString(DMQuellow.FileName));
    if (!analysisRun) {
        mOutputPage->showFits(nullptr);
        return;
    }
    auto &run = URainRun::State;
    TAnalysisFits fits;
    fits.RSquare = run.RSquare;
    fits.Reconstruction = run.Fit;
    // The window simulated from the file the run read, as a prediction with the analysis's
    // alpha function would run it.
    URainRun::TAnalysisInput input;
    if (!inputName.empty() && URainRun::ReadAnalysisInput(inputName, input, nullptr) &&
        !input.Rows.empty()) {
        fits.Simulation = URainRun::Simulate(input, run);
        const double firstRunoff = input.Rows.front().Runoff;
        fits.RaisedText = QString::fromStdString(
            USimulation::RaisedInitialRunoffText(fits.Simulation, firstRunoff, 4));
        mInputSheet->offerAnalysisAlpha(URainRun::AlphaFunction(run), firstRunoff);
    }
    mOutputPage->showFits(&fits);
}

bool TRainForm::openOutput()
{
    auto &dm = DMQuellow;
    const QString path =
        Dialogs().OpenFileName({QStringLiteral("Output files (*.out)"), QStringLiteral("out"),
                                DialogFolders.OutputOpen, QStringLiteral("Open output file")});
    if (path.isEmpty()) {
        Dialogs().ShowMessage("No output file selected");
        return false;
    }
    dm.FileName = path.toStdString();
    // A missing or unreadable file leaves the lines loaded before; the charts of the file
    // named report the failed read themselves.
    if (fileExists(dm.FileName))
        dm.LoadTextFile(dm.FileName);
    else
        Dialogs().ShowMessage("File does not exist, please select another one,");
    ShowStatus(OutputOpenedStatus);

    showOutput(false);
    dm.OutFileName = dm.FileName;
    // No run of this session wrote the file: its charts take trend and divide from the files.
    mGraphicsPage->setOpenedOutput(path);
    SetDialogFolders(QFileInfo(path).absolutePath());
    ResultsReady = true;
    mOutputPage->setViewGraphOffered(true);
    return true;
}

void TRainForm::OutputOpenActionExecute()
{
    if (!openOutput())
        return;
    hideCommentWindow();
    if (currentTab() == TTab::Output)
        OutputTabSheetShow();
    else
        showTab(TTab::Output);
}

void TRainForm::OutputOpenForGraphicsExecute()
{
    if (openOutput())
        mGraphicsPage->offerOpenedOutput(QString::fromStdString(DMQuellow.OutFileName));
}

void TRainForm::ViewGraphButtonClick()
{
    mGraphicsPage->prepareViewGraph();
    if (currentTab() == TTab::Graphics)
        GraphicsTabSheetShow();
    else
        showTab(TTab::Graphics);
}

} // namespace quellow
