#include "QuellowVersion.h"
#include "model/UDMQuellow.h"
#include "model/UTextFields.h"
#include "ui/UAlfaForm.h"
#include "ui/UCommentForm.h"
#include "ui/UFinishForm.h"
#include "ui/UHelpForm.h"
#include "ui/UQtDialogs.h"
#include "ui/URainForm.h"

#include <QApplication>
#include <QLocale>

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    using namespace quellow;

    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::fputs("quellow " QUELLOW_VERSION "\n", stdout);
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quellow rainfall runoff relations"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quellow rainfall runoff relations"));
    // Only the finish window ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setFont(QFont(QStringLiteral("Arial"), 9));

    const QString point = QLocale::system().decimalPoint();
    DecimalSeparator = point == QStringLiteral(",") ? ',' : '.';

    TQtDialogs dialogs;
    SetDialogs(&dialogs);

    // The windows and the data module, in this order.
    TRainForm rainForm;
    TFinishForm finishForm;
    DMQuellow.DataModuleCreate();
    THelpForm helpForm;
    TCommentForm commentForm;
    TAlfaForm alfaForm(&rainForm);

    rainForm.SetFinishForm(&finishForm);
    rainForm.SetHelpForm(&helpForm);
    rainForm.SetCommentForm(&commentForm);
    rainForm.SetAlfaForm(&alfaForm);
    QObject::connect(&finishForm, &TFinishForm::Finished, &app, &QApplication::quit,
                     Qt::QueuedConnection);

    rainForm.show();
    const int result = QApplication::exec();
    SetDialogs(nullptr);
    return result;
}
