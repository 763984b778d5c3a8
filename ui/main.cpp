#include "QuellowVersion.h"
#include "files/UDMQuellow.h"
#include "ui/UAlfaForm.h"
#include "ui/UCommentForm.h"
#include "ui/UFinishForm.h"
#include "ui/UHelpForm.h"
#include "ui/UQtDialogs.h"
#include "ui/URainForm.h"
#include "ui/UStartup.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

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
    setUpApplication();

    TQtDialogs dialogs;
    SetDialogs(&dialogs);

    // The windows and the data module, in this order.
    TRainForm rainForm;
    TFinishForm finishForm;
    DMQuellow.DataModuleCreate();
    THelpForm helpForm;
    TCommentForm commentForm;
    TAlfaForm alfaForm;

    rainForm.setFinishForm(&finishForm);
    rainForm.setHelpForm(&helpForm);
    rainForm.setCommentForm(&commentForm);
    rainForm.setAlfaForm(&alfaForm);
    endProgramOnFinish(finishForm);

    rainForm.show();
    // "quellow FILE": the file is opened as "Open input" opens it, once the window is up.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        QTimer::singleShot(0, &rainForm,
                           [&rainForm, name = QFileInfo(arguments.at(1)).absoluteFilePath()] {
                               rainForm.openInputFile(name);
                           });
    const int result = QApplication::exec();
    SetDialogs(nullptr);
    return result;
}
