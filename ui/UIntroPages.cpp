#include "ui/UIntroPages.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <QWidget>

namespace quellow::UIntroPages {

void BuildIntroPage(QWidget *page)
{
    auto *layout = new QVBoxLayout(page);
    auto *memo = new QPlainTextEdit(page);
    memo->setObjectName(QStringLiteral("IntroMemo"));
    memo->setReadOnly(true);
    memo->setPlainText(QStringLiteral("INTRODUCTION TO THE Quellow PROGRAM"));
    layout->addWidget(memo);
}

void ShowIntroduction(QWidget *page)
{
    if (auto *memo = page->findChild<QWidget *>(QStringLiteral("IntroMemo")))
        memo->show();
}

void BuildFigurePage(QWidget *page)
{
    auto *layout = new QVBoxLayout(page);
    auto *memo = new QPlainTextEdit(page);
    memo->setObjectName(QStringLiteral("RefMemo"));
    layout->addWidget(memo);
}

} // namespace quellow::UIntroPages
