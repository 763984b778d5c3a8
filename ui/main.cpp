#include "model/UDMQuellow.h"
#include "ui/URainForm.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quellow rainfall runoff relations"));
    quellow::TRainForm form;
    quellow::DMQuellow.DataModuleCreate();
    form.show();
    return QApplication::exec();
}
