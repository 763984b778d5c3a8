#pragma once

#include <QWidget>

#include <array>

class QLineEdit;
class QPushButton;

namespace quellow {

/// The alpha calculator of a pipe or ditch drainage system: a non-modal window that derives the
/// linear response function Alfa = A.Q + B from six properties of the drainage system and
/// enters the results into the main window's boxes (found by their object names) and into
/// the data module.
class TAlfaForm : public QWidget
{
    Q_OBJECT

public:
    explicit TAlfaForm(QWidget *mainWindow = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /// The exit check of input box index (0 = Ka .. 5 = L).
    void EditExit(int index);
    /// Empties the results; runs on every change of an input box.
    void ClearResults();
    /// "Calculate".
    void Button1Click();
    /// Puts text into the main window's box objectName, when there is one.
    void SetMainWindowBox(const char *objectName, const QString &text);

    QWidget *mMainWindow;
    std::array<QLineEdit *, 6> mInputs{};
    QLineEdit *mAEdit = nullptr;
    QLineEdit *mBEdit = nullptr;
    QPushButton *mCalculateButton = nullptr;
};

} // namespace quellow
