// "Validate..." of the main window: the sheet (as Save/Run would write it) is the calibration
// window; the "Validate" dialog asks for the validation window (an analysis input file or an
// imported series) and the options, the validation runs off the user-interface thread and its
// result is shown in the validation view.
#include "ui/URainForm.h"

#include "files/UDMQuellow.h"
#include "calibration/UValidation.h"
#include "ui/UDialogs.h"
#include "ui/UInputSheetPage.h"
#include "ui/UJointValidationView.h"
#include "ui/UValidateDialog.h"
#include "ui/UValidationView.h"

#include <QAction>

namespace quellow {

QAction *TRainForm::createValidateAction()
{
    mValidateAction = new QAction(QStringLiteral("&Validate..."), this);
    mValidateAction->setObjectName(QStringLiteral("ValidateAction"));
    mValidateAction->setStatusTip(
        QStringLiteral("Calibrates the sheet and tests the result on another window"));
    connect(mValidateAction, &QAction::triggered, this, &TRainForm::ValidateActionExecute);
    return mValidateAction;
}

void TRainForm::ValidateActionExecute()
{
    guarded([this] {
        // A storage box still being edited counts with its check, as if it had been left.
        if (!mInputSheet->commitEditedBox())
            return;
        if (!mValidateChoices)
            mValidateChoices = std::make_unique<TValidateChoices>();
        TValidateDialog dialog(*mValidateChoices, DMQuellow, DialogFolders.InputOpen, this);
        const int answer = dialog.exec();
        *mValidateChoices = dialog.choices();
        if (answer != QDialog::Accepted)
            return;
        if (dialog.leaveOneOut()) {
            validateLeaveOneOut(dialog.windows(), dialog.jointOptions());
            return;
        }
        // Leave one out needs no sheet: it is checked once the pair is chosen.
        URainRun::TAnalysisInput cal;
        std::vector<int> gridRows;
        if (!sheetAnalysisInput(cal, gridRows))
            return;
        const std::string calFile = DMQuellow.FileName.empty() ? "(sheet)" : DMQuellow.FileName;
        UValidation::TValidation v = runValidation(this, cal, calFile, dialog.validationInput(),
                                                   dialog.validationFile(), dialog.options());
        if (v.Status == UValidation::TStatus::Cancelled)
            return;
        if (v.Status != UValidation::TStatus::Validated) {
            Dialogs().ShowMessage(v.Message);
            return;
        }
        v.ValSource = dialog.validationSource();
        TValidationView view(std::move(v), this, dialog.validationCalendar());
        view.exec();
    });
}

void TRainForm::validateLeaveOneOut(const std::vector<UJointCalibration::TWindow> &windows,
                                    const UJointValidation::TOptions &options)
{
    UJointValidation::TValidation v = runJointValidation(this, windows, options);
    if (v.Status == UJointValidation::TStatus::Cancelled)
        return;
    if (v.Status != UJointValidation::TStatus::Validated) {
        Dialogs().ShowMessage(v.Message);
        return;
    }
    TJointValidationView view(std::move(v), windowYears(windows), options.Rolling, this);
    view.exec();
}

} // namespace quellow
