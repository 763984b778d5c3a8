// "Calibrate on several files..." of the main window: the files are chosen (several at once),
// the dialog takes the options and checks that the windows go together, the joint calibration
// runs off the user-interface thread and its result dialog shows the parameters, the pooled
// alpha function and each window's figures. The sheet is not touched.
#include "ui/URainForm.h"

#include "ui/UDialogs.h"
#include "ui/UJointCalibrateDialog.h"

#include <QAction>

namespace quellow {

QAction *TRainForm::createJointCalibrateAction()
{
    mJointCalibrateAction = new QAction(QStringLiteral("Calibrate on &several files..."), this);
    mJointCalibrateAction->setObjectName(QStringLiteral("JointCalibrateAction"));
    mJointCalibrateAction->setStatusTip(
        QStringLiteral("Calibrates one set of the first reservoir's parameters for several "
                       "analysis files together"));
    connect(mJointCalibrateAction, &QAction::triggered, this,
            &TRainForm::JointCalibrateActionExecute);
    return mJointCalibrateAction;
}

void TRainForm::JointCalibrateActionExecute()
{
    guarded([this] {
        if (!mJointChoices)
            mJointChoices = std::make_unique<TJointCalibrateChoices>();
        // The files first: a folder of season files is chosen whole.
        if (mJointChoices->Files.isEmpty()) {
            mJointChoices->Files = Dialogs().OpenFileNames(
                {QStringLiteral("Input files (*.inp)"), QStringLiteral("inp"),
                 DialogFolders.InputOpen, QStringLiteral("Analysis files to calibrate on")});
            if (mJointChoices->Files.isEmpty())
                return;
        }
        TJointCalibrateDialog dialog(*mJointChoices, DialogFolders.InputOpen, this);
        const int answer = dialog.exec();
        *mJointChoices = dialog.choices();
        if (answer != QDialog::Accepted)
            return;
        const UJointCalibration::TJointCalibration result =
            runJointCalibration(this, dialog.windows(), dialog.options());
        switch (result.Status) {
        case UJointCalibration::TStatus::Calibrated:
            break;
        case UJointCalibration::TStatus::Cancelled:
            return;
        case UJointCalibration::TStatus::NoAdmissibleSet:
            Dialogs().ShowMessage(
                result.Message.empty()
                    ? "No parameter set gives the windows together a recharge volume within "
                      "0.5 to 2 times their runoff volume."
                    : result.Message);
            return;
        default:
            Dialogs().ShowMessage(result.Message.empty() ? "The joint calibration failed."
                                                         : result.Message);
            return;
        }
        TJointCalibrateForm form(result, this);
        form.exec();
    });
}

} // namespace quellow
