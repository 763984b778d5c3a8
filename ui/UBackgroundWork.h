#pragma once

#include <QString>

#include <atomic>
#include <functional>

class QWidget;

namespace quellow {

/// How the progress window of a piece of work looks.
struct TProgressLook
{
    QString Label;      ///< the text above the bar
    QString Title;      ///< the window's caption
    QString ObjectName; ///< for tests and the system test
    int Maximum = 0;    ///< the bar's end; 0: a busy bar without steps
};

/// Runs work on a thread of its own behind a window-modal progress window, the event loop
/// running meanwhile. "Cancel" sets cancel, which the work is to watch. done (nullptr: none) is
/// shown on the bar every 40 ms. running points at cancel while the work runs, so that closing
/// the main window can cancel it. What work throws is thrown again here once its thread ended.
void runInBackground(QWidget *parent, const TProgressLook &look, std::atomic<bool> &cancel,
                     const std::atomic<int> *done, std::atomic<bool> *&running,
                     const std::function<void()> &work);

} // namespace quellow
