#include "ui/UStartup.h"

#include "files/UTextFields.h"
#include "ui/UFinishForm.h"

#include <QApplication>
#include <QLocale>

namespace quellow {

void setUpApplication()
{
    QApplication::setApplicationName(QStringLiteral("Quellow rainfall runoff relations"));
    // The platform appends the display name (by default the application's name) to every
    // window caption; an empty one leaves each caption exactly as the window gives it.
    QApplication::setApplicationDisplayName(QString());
    // Only the finish window ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setFont(QFont(QStringLiteral("Arial"), 9));

    const QString point = QLocale::system().decimalPoint();
    DecimalSeparator = point == QStringLiteral(",") ? ',' : '.';
}

void endProgramOnFinish(TFinishForm &finish)
{
    QObject::connect(&finish, &TFinishForm::finished, qApp, [] { QCoreApplication::exit(0); });
}

} // namespace quellow
