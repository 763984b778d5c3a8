// "Validate..." of the main window: the sheet (as Save/Run would write it) is the calibration
// window; a validation file is asked for, the validation runs off the user-interface thread and
// its result is shown in the validation view.
#include "ui/URainForm.h"

#include "model/UDMQuellow.h"
#include "model/UValidation.h"
#include "ui/UDialogs.h"
#include "ui/UInputSheetPage.h"
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
        URainRun::TAnalysisInput cal;
        std::vector<int> gridRows;
        if (!sheetAnalysisInput(cal, gridRows))
            return;
        const QString name =
            Dialogs().OpenFileName({QStringLiteral("Input files (*.inp)"), QStringLiteral("inp"),
                                    DialogFolders.InputOpen, QStringLiteral("Validation file")});
        if (name.isEmpty())
            return;
        URainRun::TAnalysisInput val;
        std::string message;
        const std::string valFile = name.toStdString();
        if (!UValidation::ReadWindow(valFile, "validation", val, message)) {
            Dialogs().ShowMessage(message);
            return;
        }
        const std::string calFile = DMQuellow.FileName.empty() ? "(sheet)" : DMQuellow.FileName;
        UValidation::TValidation v = runValidation(this, cal, calFile, val, valFile);
        if (v.Status == UValidation::TStatus::Cancelled)
            return;
        if (v.Status != UValidation::TStatus::Validated) {
            Dialogs().ShowMessage(v.Message);
            return;
        }
        TValidationView view(std::move(v), this);
        view.exec();
    });
}

} // namespace quellow
