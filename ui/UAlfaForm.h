#pragma once

#include <QWidget>

#include <array>

class QGridLayout;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace quellow {

/// What the calculator enters into the input sheet's boxes, as the boxes show it.
struct TAlfaResults
{
    QString A1, A2, B1, B2, Divide, Porosity;
};

/// The alpha calculator of a pipe or ditch drainage system: a non-modal window that derives the
/// linear response function Alfa = A.Q + B from six properties of the drainage system, sets
/// the data module's porosity and drainage mode, and hands the box texts over by a signal.
class TAlfaForm : public QWidget
{
    Q_OBJECT

public:
    explicit TAlfaForm(QWidget *parent = nullptr);

signals:
    /// "Calculate" succeeded: the texts for the input sheet's alpha and porosity boxes.
    void resultsCalculated(const quellow::TAlfaResults &results);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /// The drained soil profile and the reference note (left).
    QVBoxLayout *createProfile();
    /// The six input boxes with their labels.
    QGridLayout *createInputs();
    /// The response function line, the result boxes and "Calculate".
    void addResults(QVBoxLayout *column);
    /// The exit check of input box index (0 = Ka .. 5 = L).
    void editExit(int index);
    /// Empties the results; runs on every change of an input box.
    void ClearResults();
    /// "Calculate".
    void Button1Click();
    std::array<QLineEdit *, 6> mInputs{};
    QLineEdit *mAEdit = nullptr;
    QLineEdit *mBEdit = nullptr;
    QPushButton *mCalculateButton = nullptr;
};

} // namespace quellow
