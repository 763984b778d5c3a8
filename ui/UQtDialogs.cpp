#include "ui/UQtDialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

namespace quellow {

namespace {

QWidget *dialogParent()
{
    // Between two boxes of a run no window is active: the box then still belongs over the
    // main window, not in the middle of the screen.
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget *active = QApplication::activeWindow())
        return active;
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->objectName() == QLatin1String("RainForm"))
            return window;
    return nullptr;
}

/// Message boxes carry the program's title; the windows carry their own captions alone.
QString caption()
{
    return QApplication::applicationName();
}

/// Makes a box at least as wide as its caption with the title bar's buttons, so that the
/// window manager shows the caption whole.
void fitCaption(QMessageBox &box)
{
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!grid)
        return;
    QFont font = box.font();
    font.setBold(true);
    constexpr int TitleBarButtons = 140;
    const int width = QFontMetrics(font).horizontalAdvance(box.windowTitle()) + TitleBarButtons;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace

void TQtDialogs::ShowMessage(const std::string &text)
{
    QMessageBox box(QMessageBox::NoIcon, caption(), QString::fromStdString(text), QMessageBox::Ok,
                    dialogParent());
    fitCaption(box);
    box.exec();
}

bool TQtDialogs::Confirm(const std::string &text)
{
    QMessageBox box(QMessageBox::Question, caption(), QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No, dialogParent());
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    fitCaption(box);
    // Closing the box any other way than with Yes counts as No.
    return box.exec() == QMessageBox::Yes;
}

TSaveChoice TQtDialogs::AskSave(const std::string &text)
{
    QMessageBox box(QMessageBox::Question, caption(), QString::fromStdString(text),
                    QMessageBox::NoButton, dialogParent());
    // Each answer has its letter (S, D), as in the other questions of the program.
    QPushButton *save = box.addButton(QStringLiteral("&Save"), QMessageBox::AcceptRole);
    QPushButton *discard = box.addButton(QStringLiteral("&Discard"), QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    fitCaption(box);
    box.exec();
    if (box.clickedButton() == save)
        return TSaveChoice::Save;
    if (box.clickedButton() == discard)
        return TSaveChoice::Discard;
    return TSaveChoice::Cancel;
}

QString TQtDialogs::OpenFileName(const TFileDialogSpec &request)
{
    QFileDialog dialog(dialogParent(), request.Title, request.Folder, request.Filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!request.DefaultExt.isEmpty())
        dialog.setDefaultSuffix(request.DefaultExt);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QStringList TQtDialogs::OpenFileNames(const TFileDialogSpec &request)
{
    QFileDialog dialog(dialogParent(), request.Title, request.Folder, request.Filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString TQtDialogs::FolderName(const TFileDialogSpec &request)
{
    QFileDialog dialog(dialogParent(), request.Title, request.Folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString TQtDialogs::SaveFileName(const TFileDialogSpec &request)
{
    QFileDialog dialog(dialogParent(), request.Title, request.Folder, request.Filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The overwrite question is asked by the caller, with its own text.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!request.DefaultExt.isEmpty())
        dialog.setDefaultSuffix(request.DefaultExt);
    // With several filters a name typed without extension takes that of the chosen filter
    // ("Image files (*.bmp)" gives .bmp, "PNG images (*.png)" .png).
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog](const QString &filter) {
                         const int star = filter.indexOf(QStringLiteral("*."));
                         if (star < 0)
                             return;
                         int end = star + 2;
                         while (end < filter.size() && filter[end].isLetterOrNumber())
                             ++end;
                         if (end > star + 2)
                             dialog.setDefaultSuffix(filter.mid(star + 2, end - star - 2));
                     });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void TQtDialogs::Pause(int ms)
{
    // The window stays blocked for the user but keeps painting.
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        const qint64 left = ms - clock.elapsed();
        if (left <= 0)
            break;
        QThread::msleep(static_cast<unsigned long>(qMin<qint64>(left, 10)));
    }
}

} // namespace quellow
