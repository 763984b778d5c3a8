#include "ui/UFinishForm.h"

#include <QCloseEvent>
#include <QFont>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quellow {

TFinishForm::TFinishForm(QWidget *parent) : TBaseForm(parent)
{
    setObjectName(QStringLiteral("FinishForm"));
    setWindowTitle(QStringLiteral("Quellow finish"));
    resize(360, 220);

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    mMemo = new QPlainTextEdit(central);
    mMemo->setObjectName(QStringLiteral("FinishMemo"));
    QFont font = mMemo->font();
    font.setPointSize(font.pointSize() + 3);
    font.setBold(true);
    mMemo->setFont(font);
    mMemo->setPlainText(QStringLiteral(" Thank you for using Quellow\n"
                                       "\n"
                                       " Quellow rainfall runoff relations:\n"
                                       " two reservoirs in series, from rain to runoff."));
    layout->addWidget(mMemo);

    auto *button = new QPushButton(QStringLiteral("Finish"), central);
    button->setObjectName(QStringLiteral("FinishButton"));
    button->setDefault(true);
    layout->addWidget(button, 0, Qt::AlignHCenter);
    connect(button, &QPushButton::clicked, this, &TFinishForm::FinishButtonClick);
    setCentralWidget(central);
}

void TFinishForm::showEvent(QShowEvent *event)
{
    TBaseForm::showEvent(event);
    ShowStatus(QStringLiteral("Click on the Finish button to end program"));
    // Enter ends the program as a click on "Finish" does.
    if (auto *button = findChild<QPushButton *>(QStringLiteral("FinishButton")))
        button->setFocus(Qt::OtherFocusReason);
}

void TFinishForm::closeEvent(QCloseEvent *event)
{
    // Closing this window ends the program as "Finish" does.
    event->accept();
    if (!mFinished) {
        mFinished = true;
        emit finished();
    }
}

void TFinishForm::FinishButtonClick()
{
    close();
}

} // namespace quellow
