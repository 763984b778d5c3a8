#pragma once

#include "ui/UBaseForm.h"

class QPlainTextEdit;

namespace quellow {

/// "Quellow finish": the window through which the program ends. Its "Finish" button, and
/// closing it, emit finished(); main() ends the program on that signal.
class TFinishForm : public TBaseForm
{
    Q_OBJECT

public:
    explicit TFinishForm(QWidget *parent = nullptr);

signals:
    void finished();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FinishButtonClick();

    QPlainTextEdit *mMemo = nullptr;
    bool mFinished = false;
};

} // namespace quellow
