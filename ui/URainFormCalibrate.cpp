// "Calibrate" of the main window: the sheet's complete rows are checked as Save/Run checks
// them, the first reservoir is calibrated off the user-interface thread, and the result
// dialog's "Apply" puts the parameters into the boxes and scales the sheet's escape rates.
#include "ui/URainForm.h"

#include "calibration/UCalibrationRun.h"
#include "files/UDMQuellow.h"
#include "files/UInputFile.h"
#include "files/UTextFields.h"
#include "runs/URainRun.h"
#include "ui/UCalibrateForm.h"
#include "ui/UDialogs.h"
#include "ui/UImportSeries.h"
#include "ui/UInputSheetPage.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>

namespace quellow {

namespace {

void message(const std::string &text)
{
    Dialogs().ShowMessage(text);
}

} // namespace

QAction *TRainForm::createCalibrateAction()
{
    mCalibrateAction = new QAction(QStringLiteral("Ca&librate"), this);
    mCalibrateAction->setObjectName(QStringLiteral("CalibrateAction"));
    connect(mCalibrateAction, &QAction::triggered, this, &TRainForm::CalibrateActionExecute);
    return mCalibrateAction;
}

void TRainForm::CalibrateActionExecute()
{
    guarded([this] {
        // A storage box still being edited counts with its check, as if it had been left.
        if (!mInputSheet->commitEditedBox())
            return;
        URainRun::TAnalysisInput input;
        std::vector<int> gridRows;
        if (!sheetAnalysisInput(input, gridRows))
            return;
        // The search runs for the objective chosen last; the result offers another.
        for (;;) {
            UCalibration::TOptions options;
            options.Objective = mCalibrationObjective;
            options.RobustAlpha = mCalibrationRobustAlpha;
            const UCalibration::TCalibrationRun run = runCalibration(this, input, options);
            if (run.Status != UCalibration::TStatus::Calibrated)
                return;
            const bool simulated = options.Objective != UCalibration::TObjective::RSquare;
            TCalibrateForm form(
                run, calibrationHydrograph(input, run.Search.Best, simulated, options.RobustAlpha),
                mAppliedFactor, this, options.Objective, options.RobustAlpha);
            const int answer = form.exec();
            if (answer == TCalibrateForm::Recalibrate) {
                mCalibrationObjective = form.chosenObjective();
                mCalibrationRobustAlpha = form.chosenRobustAlpha();
                continue;
            }
            if (answer == QDialog::Accepted)
                applyCalibration(input, gridRows, run.Search.Best);
            return;
        }
    });
}

bool TRainForm::sheetAnalysisInput(URainRun::TAnalysisInput &input, std::vector<int> &gridRows)
{
    if (!mInputSheet->analysisChosen() || !DMQuellow.Analysis)
        return false;
    if (!mInputSheet->checkDataCount() || !mInputSheet->checkMaxEscape())
        return false;
    // The rows are read and checked as Save/Run does, into the model, which is then put back:
    // until "Apply" nothing changes.
    const TDMQuellow saved = DMQuellow;
    const int savedValid = mInputSheet->ValidCount;
    const bool read = mInputSheet->readRows();
    const bool sound = read && CheckInputData();
    const TDMQuellow sheet = DMQuellow;
    const int valid = mInputSheet->ValidCount;
    DMQuellow = saved;
    mInputSheet->ValidCount = savedValid;
    if (!read)
        return false;
    if (!sound) {
        message("The data cannot be calibrated due to input errors like negative values or a "
                "non-sequential time series");
        return false;
    }
    if (valid > MaxData) {
        message(MaxDataMessage);
        return false;
    }
    for (int i = 0; i < sheet.NrOfData; ++i)
        if (!sheet.Remove[static_cast<std::size_t>(i)])
            gridRows.push_back(i);
    // The run reads what Save/Run would write: the values as the input file holds them.
    return analysisInputAsSaved(sheet, sheet.FileName, input);
}

void TRainForm::applyCalibration(const URainRun::TAnalysisInput &input,
                                 const std::vector<int> &gridRows, const TParameters &best)
{
    // What is changed is kept, so that Edit > Undo can take it back.
    TAppliedCalibration applied;
    applied.MaxStorText = mInputSheet->maxStorText();
    applied.InitStorText = mInputSheet->initStorText();
    applied.MaxStor = DMQuellow.MaxStor;
    applied.InitStor = DMQuellow.InitStor;
    applied.FactorBefore = mAppliedFactor;
    applied.MaxEscapeText = mInputSheet->maxEscapeText();
    applied.MaxEscape = DMQuellow.MaxEscape;
    mInputSheet->setStorages(best.MaxStor, best.InitStor);
    // The largest escape rate is scaled with the rates, as the input file holds it.
    const double maxEscape = URainRun::AsWritten(input.MaxEsc * best.EscapeFactor, 8);
    mInputSheet->setMaxEscape(floatToStr(maxEscape), maxEscape);
    // Each escape rate as the calibrated input file holds it, so that Save/Run writes it again.
    const URainRun::TAnalysisInput calibrated = UCalibration::CalibratedInput(input, best);
    for (std::size_t k = 0; k < gridRows.size() && k < calibrated.Rows.size(); ++k) {
        applied.Rows.push_back(gridRows[k]);
        applied.EscapeTexts.push_back(mInputSheet->cellText(2, gridRows[k]));
        mInputSheet->setCellText(2, gridRows[k], floatToStr(calibrated.Rows[k].Escape));
    }
    mInputSheet->DataShown = true;
    mAppliedFactor *= best.EscapeFactor;
    mApplied.push_back(std::move(applied));
    updateUndoAction();
}

void TRainForm::EditUndoExecute()
{
    if (mApplied.empty())
        return;
    const TAppliedCalibration applied = std::move(mApplied.back());
    mApplied.pop_back();
    mInputSheet->restoreStorages(applied.MaxStorText, applied.InitStorText, applied.MaxStor,
                                 applied.InitStor);
    mInputSheet->setMaxEscape(applied.MaxEscapeText, applied.MaxEscape);
    for (std::size_t k = 0; k < applied.Rows.size(); ++k)
        mInputSheet->setCellText(2, applied.Rows[k], applied.EscapeTexts[k]);
    mAppliedFactor = applied.FactorBefore;
    updateUndoAction();
}

bool TRainForm::undoKeyIsApplyUndo(QObject *focus) const
{
    auto *widget = qobject_cast<QWidget *>(focus);
    if (!mUndoAction || !mUndoAction->isEnabled() || !widget || !mInputSheet->isAncestorOf(widget))
        return false;
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        return !edit->isUndoAvailable();
    if (auto *memo = qobject_cast<QPlainTextEdit *>(widget))
        return memo->isReadOnly() || !memo->document()->isUndoAvailable();
    return true;
}

bool TRainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent *>(event)->matches(QKeySequence::Undo) &&
        undoKeyIsApplyUndo(watched)) {
        // Not taken by the box: the shortcut of Edit > Undo runs.
        event->ignore();
        return true;
    }
    return TBaseForm::eventFilter(watched, event);
}

void TRainForm::sheetFilled()
{
    // A sheet filled anew starts with the escape rates it was given.
    mAppliedFactor = 1;
    mApplied.clear();
    updateUndoAction();
}

void TRainForm::updateUndoAction()
{
    if (mUndoAction)
        mUndoAction->setEnabled(!mApplied.empty());
}

} // namespace quellow
