#include "ui/URainForm.h"

namespace quellow {

TRainForm::TRainForm(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Quellow, rainfall runoff relations"));
    resize(675, 560);
}

} // namespace quellow
