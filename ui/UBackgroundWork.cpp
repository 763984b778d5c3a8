#include "ui/UBackgroundWork.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <exception>

namespace quellow {

void runInBackground(QWidget *parent, const TProgressLook &look, std::atomic<bool> &cancel,
                     const std::atomic<int> *done, std::atomic<bool> *&running,
                     const std::function<void()> &work)
{
    QProgressDialog progress(look.Label, QStringLiteral("Cancel"), 0, look.Maximum, parent);
    progress.setObjectName(look.ObjectName);
    // A caption of its own that fits, and a width that shows it whole.
    progress.setWindowTitle(look.Title);
    progress.setMinimumWidth(380);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    QObject::connect(&progress, &QProgressDialog::canceled, [&cancel] { cancel = true; });

    QEventLoop loop;
    // What the work throws on its thread reaches the caller here, once the thread has ended.
    std::exception_ptr fault;
    QThread *thread = QThread::create([&work, &fault] {
        try {
            work();
        } catch (...) {
            fault = std::current_exception();
        }
    });
    QObject::connect(thread, &QThread::finished, &loop, &QEventLoop::quit);
    QTimer timer;
    if (done) {
        QObject::connect(&timer, &QTimer::timeout, &progress,
                         [&progress, done] { progress.setValue(done->load()); });
        timer.start(40);
    }
    thread->start();
    running = &cancel;
    progress.show();
    loop.exec();
    thread->wait();
    running = nullptr;
    delete thread;
    timer.stop();
    progress.hide();
    if (fault)
        std::rethrow_exception(fault);
}

} // namespace quellow
