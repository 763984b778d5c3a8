#pragma once

#include <QWidget>

#include <string>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace quellow {

struct TFitMeasures;

/// The Output tab: the output file's text as the file holds it (selectable and copyable, not
/// editable), the fit of an analysis run in this session above it (not part of the file), and
/// the buttons "View graph" and "Open Output". The main window opens the files.
class TOutputPage : public QWidget
{
    Q_OBJECT

public:
    explicit TOutputPage(QWidget *parent = nullptr);

    /// Shows the first count lines (at most all of them).
    void showLines(const std::vector<std::string> &lines, int count);
    /// The fit line of an analysis run; nullptr (or measures that are not valid) hides it.
    void showFitMeasures(const TFitMeasures *fit);
    /// "View graph" is offered once results exist.
    void setViewGraphOffered(bool offered);

signals:
    void openOutputRequested();
    void viewGraphRequested();

private:
    void createText();
    void createButtons();

    QLabel *mFitLabel = nullptr;
    QPlainTextEdit *mOutputMemo = nullptr;
    QPushButton *mViewGraphButton = nullptr;
    QPushButton *mOutputOpenButton = nullptr;
};

} // namespace quellow
