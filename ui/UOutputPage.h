#pragma once

#include "runs/UFitMeasures.h"

#include <QString>
#include <QWidget>

#include <string>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace quellow {

/// The two fits of an analysis run: its reconstruction (each step's alpha line chosen by the
/// measured runoff) and the simulation of its window as a prediction runs it.
struct TAnalysisFits
{
    double RSquare = 0;
    TFitMeasures Reconstruction;
    TSimulationFit Simulation;
    QString RaisedText; ///< the simulation's initial runoff was raised; empty when not
};

/// The Output tab: the output file's text as the file holds it (selectable and copyable, not
/// editable), the fit of an analysis run in this session above it (not part of the file), and
/// the buttons "View graph" and "Open Output". The main window opens the files.
class TOutputPage : public QWidget
{
    Q_OBJECT

public:
    explicit TOutputPage(QWidget *parent = nullptr);

    /// Shows the first count lines (at most all of them) of the output file fileName.
    void showLines(const std::vector<std::string> &lines, int count,
                   const QString &fileName = QString());
    /// A Save/Run gave no new output: the text shown, if any, is marked as the previous
    /// result, with its file name and the time it was shown.
    void markAsPrevious();
    /// The fit lines of an analysis run; nullptr (or a reconstruction whose measures are not
    /// valid) hides them.
    void showFits(const TAnalysisFits *fits);
    /// What a Save/Run of an analysis explains on the fit lines' tooltip.
    static const char *const FitToolTip;
    /// "View graph" is offered once results exist.
    void setViewGraphOffered(bool offered);

signals:
    void openOutputRequested();
    void viewGraphRequested();

private:
    void createText();
    void createButtons();

    QLabel *mFitLabel = nullptr;
    QLabel *mPreviousLabel = nullptr;
    QString mShownName;
    QString mShownTime;
    QPlainTextEdit *mOutputMemo = nullptr;
    QPushButton *mViewGraphButton = nullptr;
    QPushButton *mOutputOpenButton = nullptr;
};

} // namespace quellow
