#pragma once

#include "files/UDMQuellow.h"
#include "files/UTextFields.h"
#include "ui/UInputSheetPage.h"
#include "ui/URainForm.h"

#include <QCoreApplication>
#include <QFile>
#include <QFocusEvent>
#include <QPushButton>
#include <QString>
#include <QTableWidget>

namespace quellow::test {

/// The sheet as a person first sees it: the Intro tab shown at start-up, then the Input tab.
/// The control of the form with that object name; the test stops when there is none.
template <typename T> T *Child(TRainForm &form, const char *name)
{
    auto *result = form.findChild<T *>(QLatin1String(name));
    if (!result)
        qFatal("no control %s", name);
    return result;
}

inline QPushButton *Button(TRainForm &form, const char *name)
{
    return Child<QPushButton>(form, name);
}

/// True when the control is not hidden (whether its window is on screen or not).
inline bool Shown(TRainForm &form, const char *name)
{
    return !Child<QWidget>(form, name)->isHidden();
}

inline void OpenFreshSheet(TRainForm &form)
{
    form.IntroTabSheetShow();
    form.showTab(TRainForm::TTab::Input);
}

inline QString DataPath(const char *name)
{
    return QStringLiteral(QUELLOW_TEST_DATA "/") + QLatin1String(name);
}

inline QString ExamplePath(const char *name)
{
    return QStringLiteral(QUELLOW_SOURCE_DIR "/Data/") + QLatin1String(name);
}

inline QByteArray FileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

inline void WriteFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

inline QString FileText(const QString &path)
{
    return QString::fromUtf8(FileBytes(path));
}

/// The Input tab's page.
inline TInputSheetPage *Sheet(TRainForm &form)
{
    return form.inputSheet();
}

/// Leaves a box of the form with the Tab key, which runs its check.
inline void LeaveBox(TRainForm &form, const char *name)
{
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(Child<QWidget>(form, name), &leave);
}

/// Pastes the text of a data file into cell (col, row) as the cell editor reports it.
inline void PasteFile(TRainForm &form, const char *name, int col = 0, int row = 0)
{
    Sheet(form)->StringGrid1SetEditText(col, row, FileText(DataPath(name)));
}

inline QTableWidget *Grid(TRainForm &form)
{
    return form.findChild<QTableWidget *>(QStringLiteral("StringGrid1"));
}

/// Every state a test may touch, back to a program's start.
inline void ResetForTest()
{
    ResetAllState();
    DecimalSeparator = '.';
}

} // namespace quellow::test
