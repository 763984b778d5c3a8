// "Open input" and Save/Run of the main window: the file-name question, the collection and
// check of the sheet's rows, the input file, the runs with their progress lines, and the
// filing of the output on the Output tab.
#include "ui/URainForm.h"

#include "model/UDMQuellow.h"
#include "model/UFileUtil.h"
#include "model/UPrediction.h"
#include "model/URainRun.h"
#include "model/UTextFields.h"
#include "ui/UCommentForm.h"
#include "ui/UDialogs.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

namespace quellow {

namespace {

constexpr int ProgressPause = 500;
constexpr int MaxData = 1500;

void message(const std::string &text)
{
    Dialogs().ShowMessage(text);
}

QString folderOf(const std::string &path)
{
    return QFileInfo(QString::fromStdString(path)).absolutePath();
}

/// The divide search reports each finished run; the window adds its progress line and pause.
class TProgressHooks final : public URainRun::TSearchHooks
{
public:
    explicit TProgressHooks(std::function<void(int)> afterRun) : mAfterRun(std::move(afterRun)) {}
    void AfterRun(int run) override { mAfterRun(run); }

private:
    std::function<void(int)> mAfterRun;
};

} // namespace

// ---- Progress box ----------------------------------------------------------------------------

void TRainForm::AddProgress(const QString &line)
{
    mWaitMemo->show();
    mWaitMemo->appendPlainText(line);
    mWaitMemo->repaint();
}

void TRainForm::ClearProgress(bool hide)
{
    mWaitMemo->clear();
    if (hide)
        mWaitMemo->hide();
}

// ---- Open input --------------------------------------------------------------------------------

void TRainForm::InputOpenActionExecute()
{
    Guarded([this] {
        auto &dm = DMQuellow;
        const QString name = Dialogs().OpenFileName(
            {QStringLiteral("Input files (*.inp)"), QString(), DialogFolders.InputOpen, QString()});
        if (name.isEmpty()) {
            message("No input file was selected");
            return;
        }
        const std::string path = name.toStdString();
        if (!FileExists(path)) {
            message("File does not exist, please select another one,");
            return;
        }
        // A file that cannot be read leaves the data module, and so the sheet, as they were.
        const std::string previousName = dm.FileName;
        dm.FileName = path;
        if (!dm.ReadInputFile()) {
            dm.FileName = previousName;
            return;
        }
        ApplyLayout(dm.Analysis);
        ShowAlfaCalc(!dm.Analysis);

        mNrOfDataEdit->setText(QString::number(dm.NrOfData));
        ShowAlfaCalc(dm.Drainage);

        mFileNameEdit->setText(name);
        mFileLabel->show();
        mFileNameEdit->show();
        mInputImage->hide();
        HideCommentWindow();

        mTitle1Edit->setText(QString::fromStdString(dm.Title1));
        mTitle2Edit->setText(QString::fromStdString(dm.Title2));
        // Long titles and paths show their beginning, not their end.
        for (QLineEdit *box : {mTitle1Edit, mTitle2Edit, mFileNameEdit})
            box->setCursorPosition(0);
        mNrOfDataEdit->setText(QString::number(dm.NrOfData));
        mMaxStorEdit->setText(FloatToStr(dm.MaxStor));
        mInitStorEdit->setText(FloatToStr(dm.InitStor));
        mEscapeEdit->setText(FloatToStr(dm.MaxEscape));

        DataShown = true;
        SetDialogFolders(folderOf(path));
        FillInputSheet();
    });
}

// ---- Save / Run
// ----------------------------------------------------------------------------------

bool TRainForm::AskInputFileName()
{
    RunStopped = false;
    const QString name =
        Dialogs().SaveFileName({QStringLiteral("Input files (*.inp)"), QStringLiteral("inp"),
                                DialogFolders.InputSave, QString()});
    if (name.isEmpty()) {
        RunStopped = true;
        return false;
    }
    DMQuellow.FileName = name.toStdString();
    if (FileExists(DMQuellow.FileName))
        return DMQuellow.Confirm("The file already exists, overwrite?");
    return true;
}

bool TRainForm::CheckInputData()
{
    const auto &dm = DMQuellow;
    const int rows = qMin<int>(dm.NrOfData, static_cast<int>(dm.Time.size()));
    int previous = -1;
    for (int i = 0; i < rows; ++i) {
        if (i < static_cast<int>(dm.Remove.size()) && dm.Remove[i])
            continue;
        if (previous >= 0 && !(dm.Time[previous] < dm.Time[i]))
            return false;
        if (dm.Rain[i] < 0)
            return false;
        if (dm.Analysis && dm.Runoff[i] < 0)
            return false;
        previous = i;
    }
    return true;
}

bool TRainForm::CollectRows()
{
    auto &dm = DMQuellow;
    dm.Title1 = mTitle1Edit->text().toStdString();
    dm.Title2 = mTitle2Edit->text().toStdString();
    SizeModelArrays(qMax(dm.NrOfData, mGrid->rowCount()) + 1);

    ValidCount = 0;
    for (int i = 0; i < dm.NrOfData; ++i) {
        const bool complete = !CellText(0, i).trimmed().isEmpty() &&
                              !CellText(1, i).trimmed().isEmpty() &&
                              !CellText(2, i).trimmed().isEmpty();
        if (!complete) {
            dm.Remove[i] = true;
            continue;
        }
        double time = 0, rain = 0, escape = 0, runoff = 0;
        if (!StringToFloat(CellText(0, i), time) || !StringToFloat(CellText(1, i), rain) ||
            !StringToFloat(CellText(2, i), escape) ||
            (dm.Analysis && !StringToFloat(CellText(3, i), runoff))) {
            message("Not all data values in the inputfile are real");
            return false;
        }
        dm.Time[i] = time;
        dm.Rain[i] = rain;
        dm.Escape[i] = escape;
        if (dm.Analysis)
            dm.Runoff[i] = runoff;
        dm.Remove[i] = false;
        ++ValidCount;
    }
    return true;
}

bool TRainForm::ReadPredictionBoxes()
{
    auto &dm = DMQuellow;
    struct TBox
    {
        QLineEdit *Edit;
        const char *Unreadable;
        double *Value;
    };
    const TBox boxes[] = {
        {mA1coeffEdit, "The A1 coefficient is not a valid real", &ModelValues.A1},
        {mA2CoeffEdit, "The A2 coefficient is not a valid real", &ModelValues.A2},
        {mB1valueEdit, "The B1 value is not a valid real", &ModelValues.B1},
        {mB2ValueEdit, "The B2 value is not a valid real", &ModelValues.B2},
        {mDivideEdit, "The divide is not a valid real", &ModelValues.Divide},
        {mInitRunEdit, "The initial runoff is not a valid real", &dm.InitRun},
        {mInitLevelEdit, "The initial level is not a valid real", &dm.InitLevel},
        {mPorosityEdit, "The porosity is not a valid real", &dm.Porosity},
    };
    // Every box is read before any value is taken over.
    double values[std::size(boxes)] = {};
    for (std::size_t k = 0; k < std::size(boxes); ++k) {
        if (!StringToFloat(boxes[k].Edit->text(), values[k])) {
            message(boxes[k].Unreadable);
            boxes[k].Edit->setFocus(Qt::OtherFocusReason);
            return false;
        }
    }
    for (std::size_t k = 0; k < std::size(boxes); ++k)
        *boxes[k].Value = values[k];
    return true;
}

void TRainForm::RunModel()
{
    auto &dm = DMQuellow;
    auto &run = URainRun::State;
    auto *radioButton4 = findChild<QRadioButton *>(QStringLiteral("RadioButton4"));

    if (dm.Analysis) {
        if (radioButton4)
            radioButton4->setText(QStringLiteral("Watertable in time"));
        // Five silent trials and the final run; each completed run gets its pause, the
        // trials 2 to 5 their progress line.
        TProgressHooks hooks([this](int done) {
            Dialogs().Pause(ProgressPause);
            static const char *const lines[] = {nullptr,
                                                nullptr,
                                                " Progress 40% ....",
                                                " Progress 60% ....",
                                                " Progress 75% ....",
                                                " Progress 90% ...."};
            if (done >= 2 && done <= 5)
                AddProgress(QLatin1String(lines[done]));
        });
        const bool written = URainRun::DivideSearch(&hooks);
        if (run.DataCount > 0)
            mNrOfDataEdit->setText(QString::number(run.DataCount));
        if (!written || !run.RunOK || run.NoDryData || run.TooFewLowRain || dm.RunHalted)
            RunStopped = true;
        else
            RunStopped = false;
        return;
    }

    // A prediction is judged by its own outcome only: flags of an earlier analysis do not
    // count here.
    run.RunOK = false;
    run.NoDryData = false;
    run.TooFewLowRain = false;
    run.LimitedData = false;
    run.NonPositiveSlope = false;
    dm.RunHalted = false;
    run.StorageOK = true;
    if (radioButton4)
        radioButton4->setText(dm.Drainage ? QStringLiteral("Watertable in time")
                                          : QStringLiteral("Reservoir storage"));
    UPrediction::RunPrediction();
    run.RunOK = !UPrediction::State.PredFailed;
    if (UPrediction::State.PredFailed) {
        RunStopped = true;
        return;
    }
    AddProgress(QStringLiteral(" Calculating ....."));
    Dialogs().Pause(ProgressPause);
    AddProgress(QStringLiteral(" Progress 75% ...."));
    Dialogs().Pause(ProgressPause);
    RunStopped = false;
}

void TRainForm::InputSaveActionExecute()
{
    Guarded([this] { SaveRun(); });
    // Whatever ended the action, the progress box does not stay behind.
    ClearProgress(true);
    emit RunFinished();
}

bool TRainForm::SaveRun()
{
    auto &dm = DMQuellow;
    // Each Save/Run judges its own prediction: a failure of an earlier one does not count.
    UPrediction::State.PredFailed = false;

    int boxCount = 0;
    if (!ParseInt(mNrOfDataEdit->text().trimmed().toStdString(), boxCount)) {
        message("The number of data is not a valid integer");
        return false;
    }
    if (mOptionComboBox->currentIndex() == 0) {
        double maxEscape = 0;
        if (!StringToFloat(mEscapeEdit->text(), maxEscape)) {
            message("The escape rate is not a valid real");
            return false;
        }
        if (maxEscape < 0) {
            message("The maximum escape rate cannot be negative.");
            return false;
        }
    }

    if (!AskInputFileName() || RunStopped) {
        message("The input data were not saved");
        return false;
    }
    const std::string inputName = dm.FileName;

    if (!CollectRows())
        return false;
    if (!CheckInputData()) {
        message("The input data were not saved due to input errors like negative values or a "
                "non-sequential time series");
        return false;
    }
    // No complete row: nothing worth writing, and the sheet keeps what it shows.
    if (ValidCount == 0) {
        message("The input data were not saved");
        return false;
    }
    if (ValidCount > MaxData) {
        message(" The maximum number of data is 1500. Not enough? Split the series into parts of "
                "at most "
                "1500 data.");
        return false;
    }
    if (!dm.Analysis && !ReadPredictionBoxes())
        return false;

    if (!dm.WriteInputFile())
        return false;

    // The model keeps the complete rows only, in their order, as the file does.
    const int rowsRead = dm.NrOfData;
    bool anyRemoved = false;
    int kept = 0;
    for (int i = 0; i < rowsRead; ++i) {
        if (dm.Remove[i]) {
            anyRemoved = true;
            continue;
        }
        dm.Time[kept] = dm.Time[i];
        dm.Rain[kept] = dm.Rain[i];
        dm.Escape[kept] = dm.Escape[i];
        dm.Runoff[kept] = dm.Runoff[i];
        ++kept;
    }
    dm.NrOfData = ValidCount;
    SizeModelArrays(ValidCount + 1);
    for (int i = 0; i <= ValidCount; ++i)
        dm.Remove[i] = false;

    mNrOfDataEdit->setText(QString::number(ValidCount));
    mGrid->setRowCount(ValidCount);
    if (anyRemoved) {
        for (int row = 0; row < ValidCount; ++row) {
            SetCellText(0, row, FloatToStr(dm.Time[row]));
            SetCellText(1, row, FloatToStr(dm.Rain[row]));
            SetCellText(2, row, FloatToStr(dm.Escape[row]));
            if (dm.Analysis)
                SetCellText(3, row, FloatToStr(dm.Runoff[row]));
        }
    }
    PreviousCount = ValidCount;

    ClearProgress(false);
    AddProgress(QStringLiteral(" Saving data ....."));
    Dialogs().Pause(ProgressPause);
    AddProgress(QStringLiteral(" Progress 25% ...."));

    RunModel();

    const auto &run = URainRun::State;
    const bool file =
        run.StorageOK && !UPrediction::State.PredFailed && !dm.RunHalted && !RunStopped;
    if (!file) {
        ClearProgress(true);
        dm.RunHalted = false;
        dm.FileName = inputName;
        ShowTab(TTab::Input);
        return false;
    }

    const std::string outputName = ChangeFileExt(inputName, ".out");
    dm.FileName = outputName;
    if (!dm.LoadTextFile(outputName)) {
        ClearProgress(true);
        return false;
    }
    AddProgress(QStringLiteral(" Filing results .."));
    Dialogs().Pause(ProgressPause);
    ClearProgress(true);

    message("The input is saved in " + inputName + " ;" +
            " Calculations were done and the output is saved in  " + outputName);

    FileResults();
    return true;
}

void TRainForm::FileResults()
{
    auto &dm = DMQuellow;
    mOutputMemo->clear();
    QStringList lines;
    const int count = qMin<int>(dm.NrOfLines, static_cast<int>(dm.OutLines.size()));
    lines.reserve(count);
    for (int i = 0; i < count; ++i)
        lines.append(QString::fromStdString(dm.OutLines[i]));
    mOutputMemo->setPlainText(lines.join(QLatin1Char('\n')));
    dm.OutFileName = dm.FileName;
    SetDialogFolders(folderOf(dm.OutFileName));
    mOutputMemo->show();
    ResultsReady = true;
    ShowTab(TTab::Output);
    // Showing the Output tab clears the flag; the output just filed is ready for the graphs.
    GraphSourceReady = true;
}

} // namespace quellow
