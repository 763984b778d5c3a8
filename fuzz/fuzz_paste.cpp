// The grid paste handler: any text a clipboard may hold, pasted at any cell of a fresh sheet.
// The first two bytes choose the cell; the rest is the clipboard text.
#include "FuzzSupport.h"

#include "model/UDMQuellow.h"
#include "ui/URainForm.h"

#include <QApplication>
#include <QEvent>

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quellow;
    static int argc = 1;
    static char name[] = "fuzz_paste";
    static char *argv[] = {name, nullptr};
    static QApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    (void)app;
    if (size < 2)
        return 0;
    fuzz::FreshState();
    DMQuellow.DataModuleCreate();
    auto form = std::make_unique<TRainForm>();
    form->ShowTab(TRainForm::TTab::Input);
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 2),
                                           static_cast<qsizetype>(size - 2));
    form->HandlePasteMultiCell(data[0] % 5, data[1] % 40, text);
    form.reset();
    // Without an event loop, objects handed to deleteLater() would pile up run after run.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
