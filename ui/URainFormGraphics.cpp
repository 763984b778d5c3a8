// The Graphics tab of the main window and the actions that open output files and open and
// save graphs. The graph panels, chart display and graph files are added here.
#include "ui/URainForm.h"

#include <QVBoxLayout>

namespace quellow {

void TRainForm::BuildGraphicsPage(QWidget *page)
{
    auto *layout = new QVBoxLayout(page);
    layout->setObjectName(QStringLiteral("GraphicsLayout"));
}

void TRainForm::GraphicsTabSheetShow() {}

void TRainForm::ViewGraphButtonClick() {}

void TRainForm::OutputOpenActionExecute() {}

void TRainForm::GraphOpenActionExecute() {}

void TRainForm::GraphSaveActionExecute() {}

} // namespace quellow
