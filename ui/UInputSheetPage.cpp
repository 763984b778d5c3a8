// The Input tab: its controls and layouts, the refill from the data module, the number of
// data, the options list, "Clear all", and the rules of the boxes that serve both the checks
// on leaving a box and the reading for Save/Run.
#include "ui/UInputSheetPage.h"

#include "ui/UAlfaForm.h"

#include "files/UDMQuellow.h"
#include "files/UInputChecks.h"
#include "files/UInputFile.h"
#include "files/UTextFields.h"
#include "ui/UDialogs.h"
#include "ui/UInputSheetLayout.h"
#include "ui/URainForm.h"
#include "ui/USvgPicture.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

#include <exception>

namespace quellow {

using namespace UInputSheetLayout;

// ---- Rules of the boxes ----------------------------------------------------------------------

/// When a box's value is read by Save/Run.
enum class TBoxUse { Always, Prediction };

/// One box of the sheet: what its check says and resets when the box is left, and which model
/// value it sets. Save/Run reads the boxes with the same rules.
struct TBoxRule
{
    const char *Name;       ///< objectName of the box
    const char *Unreadable; ///< message for a text that is no number (box reset to "0")
    const UInputChecks::TValueRule &Range; ///< the range test, its messages and reset text
    TBoxUse Use;                           ///< when Save/Run reads the box
    double &(*Target)();                   ///< the model value behind the box
};

namespace {

using namespace UInputChecks;

const TBoxRule BoxRules[] = {
    {"MaxStorEdit", "The maximum storage is not a valid real", MaxStorRule, TBoxUse::Always,
     []() -> double & { return DMQuellow.MaxStor; }},
    {"InitStorEdit", "The initial storage is not a valid real", InitStorRule, TBoxUse::Always,
     []() -> double & { return DMQuellow.InitStor; }},
    {"EscapeEdit", "The escape rate is not a valid real", EscapeRule, TBoxUse::Always,
     []() -> double & { return DMQuellow.MaxEscape; }},
    {"A1coeffEdit", "The A1 coefficient is not a valid real", FreeRule, TBoxUse::Prediction,
     []() -> double & { return ModelValues.A1; }},
    {"A2CoeffEdit", "The A2 coefficient is not a valid real", FreeRule, TBoxUse::Prediction,
     []() -> double & { return ModelValues.A2; }},
    {"B1valueEdit", "The B1 value is not a valid real", FreeRule, TBoxUse::Prediction,
     []() -> double & { return ModelValues.B1; }},
    {"B2ValueEdit", "The B2 value is not a valid real", FreeRule, TBoxUse::Prediction,
     []() -> double & { return ModelValues.B2; }},
    {"DivideEdit", "The divide is not a valid real", DivideRule, TBoxUse::Prediction,
     []() -> double & { return ModelValues.Divide; }},
    {"InitRunEdit", "The initial runoff is not a valid real", InitRunRule, TBoxUse::Prediction,
     []() -> double & { return DMQuellow.InitRun; }},
    {"InitLevelEdit", "The initial level is not a valid real", InitLevelRule, TBoxUse::Prediction,
     []() -> double & { return DMQuellow.InitLevel; }},
    {"PorosityEdit", "The porosity is not a valid real", PorosityRule, TBoxUse::Prediction,
     []() -> double & { return DMQuellow.Porosity; }},
};

const TBoxRule *ruleOf(const QObject *box)
{
    for (const TBoxRule &rule : BoxRules)
        if (box->objectName() == QLatin1String(rule.Name))
            return &rule;
    return nullptr;
}

/// The range test of a rule: the failure message, or nullptr when the value passes.
const char *rangeFailure(const TBoxRule &rule, double value)
{
    return RangeFailure(rule.Range, value, DMQuellow.Analysis);
}

void message(const char *text)
{
    Dialogs().ShowMessage(text);
}

QLabel *label(QWidget *parent, const char *text, int x, int y)
{
    auto *result = new QLabel(QLatin1String(text), parent);
    result->adjustSize();
    result->move(x, y);
    return result;
}

QLineEdit *edit(QWidget *parent, const char *name, const char *text, int x, int y, int w)
{
    auto *result = new QLineEdit(QLatin1String(text), parent);
    result->setObjectName(QLatin1String(name));
    result->setGeometry(x, y, w, 22);
    return result;
}

/// A box at (x, y) with its caption on the left at labelX, four pixels lower (level with the
/// box's text).
QLineEdit *labelledEdit(QWidget *parent, const char *caption, int labelX, const char *name,
                        const char *text, int x, int y, int w)
{
    label(parent, caption, labelX, y + 4);
    return edit(parent, name, text, x, y, w);
}

QLabel *note(QWidget *parent, const char *name, const char *text, const QRect &place)
{
    auto *result = new QLabel(QLatin1String(text), parent);
    result->setObjectName(QLatin1String(name));
    result->setGeometry(place);
    result->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return result;
}

} // namespace

// ---- Building the sheet ----------------------------------------------------------------------

TInputSheetPage::TInputSheetPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("InputTabSheet"));
    createBoxes();
    createGrid();
    createHeadings();
    createGroups();
    createNotes();
    createButtons();
    watchBoxes();
    mFileLabel->hide();
    mFileNameEdit->hide();
    applyLayout(true);
    // The alpha function of an analysis belongs to the rows it analysed.
    connect(this, &TInputSheetPage::sheetFilled, this, [this] { mAnalysisAlpha.reset(); });
}

TInputSheetPage::~TInputSheetPage() = default;

void TInputSheetPage::createBoxes()
{
    label(this, "Title1", 8, 12);
    mTitle1Edit = edit(this, "Title1Edit", "", 76, 8, 380);
    label(this, "Title2", 8, 38);
    mTitle2Edit = edit(this, "Title2Edit", "", 76, 34, 380);
    label(this, "Options", 8, 64);
    mOptionComboBox = new QComboBox(this);
    mOptionComboBox->setObjectName(QStringLiteral("OptionComboBox"));
    mOptionComboBox->addItem(
        QStringLiteral("Determine alpha from rainfall and runoff data and reconstruct runoff"));
    mOptionComboBox->addItem(
        QStringLiteral("Predict discharge or runoff from rainfall given the alpha function"));
    mOptionComboBox->setGeometry(76, 60, 394, 22);
    label(this, "Nr. of Data", 8, 90);
    mNrOfDataEdit = edit(this, "NrOfDataEdit", "20", 76, 86, 50);
    mFileLabel = label(this, "File", 140, 90);
    mFileLabel->setObjectName(QStringLiteral("FileLabel"));
    mFileNameEdit = edit(this, "FileNameEdit", "", 170, 86, 286);
    mFileNameEdit->setReadOnly(true);

    mWaitMemo = new QPlainTextEdit(this);
    mWaitMemo->setObjectName(QStringLiteral("WaitMemo"));
    mWaitMemo->setGeometry(478, 8, 180, 116);
    mWaitMemo->setReadOnly(true);
    mWaitMemo->setFocusPolicy(Qt::NoFocus);
    mWaitMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mWaitMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mWaitMemo->setStyleSheet(QStringLiteral(
        "QPlainTextEdit { background: #0000c0; color: yellow; font-weight: bold; }"));
    mWaitMemo->hide();
    connect(mOptionComboBox, &QComboBox::currentIndexChanged, this,
            &TInputSheetPage::OptionComboBoxChange);
}

void TInputSheetPage::createHeadings()
{
    mTimeLabel = new QLabel(QStringLiteral("Time"), this);
    mTimeLabel->setObjectName(QStringLiteral("TimeLabel"));
    mTimeLabel->setToolTip(QStringLiteral("Give time in units (hr, day), not dates"));
    mRainLabel = new QLabel(QStringLiteral("Rain"), this);
    mRainLabel->setObjectName(QStringLiteral("RainLabel"));
    mEvapLabel = new QLabel(QStringLiteral("Max, escape rate  *)"), this);
    mEvapLabel->setObjectName(QStringLiteral("EvapLabel"));
    mRunoffLabel = new QLabel(QStringLiteral("Runoff"), this);
    mRunoffLabel->setObjectName(QStringLiteral("RunoffLabel"));
    for (QLabel *heading : {mTimeLabel, mRainLabel, mEvapLabel, mRunoffLabel}) {
        if (heading != mTimeLabel)
            heading->setToolTip(QStringLiteral("Use mm per time unit"));
        heading->setWordWrap(true);
        heading->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        QFont font = heading->font();
        font.setBold(true);
        heading->setFont(font);
    }
    mStarLabel = label(this, "*) see Start help", 0, 0);
    mStarLabel->setObjectName(QStringLiteral("StarLabel"));

    mInputImage = new TSvgPicture(QStringLiteral(":/pictures/Reservoirs.svg"), this);
    mInputImage->setObjectName(QStringLiteral("InputImage"));
    mInputImage->setMinimumSize(0, 0);
    mInputImage->setGeometry(4, GridTop, 140, 90);
}

void TInputSheetPage::createGroups()
{
    mFirstGroup = new QGroupBox(QStringLiteral("First reservoir (see Figure)"), this);
    mFirstGroup->setObjectName(QStringLiteral("FirstGroupBox"));
    mFirstGroup->resize(166, 110);
    mMaxStorEdit =
        labelledEdit(mFirstGroup, "Maximum storage", 8, "MaxStorEdit", "100", 108, 22, 50);
    mInitStorEdit =
        labelledEdit(mFirstGroup, "Initial storage", 8, "InitStorEdit", "80", 108, 48, 50);
    // The maximum escape rate goes into the input file, fills rows without an escape rate and
    // is checked by Save/Run: it is shown, so that it can be seen and mended.
    auto *escapeLabel = label(mFirstGroup, "Maximum escape rate", 8, 74);
    escapeLabel->setWordWrap(true);
    escapeLabel->setGeometry(8, 74, 96, 30);
    mEscapeEdit = edit(mFirstGroup, "EscapeEdit", "2", 108, 78, 50);

    mAlphaGroupBox = new QGroupBox(QStringLiteral("Alpha characteristics"), this);
    mAlphaGroupBox->setObjectName(QStringLiteral("AlphaGroupBox"));
    mAlphaGroupBox->setGeometry(300, 262, 358, 128);
    label(mAlphaGroupBox, "Alpha=A*runoff+B", 8, 24);
    mDivideEdit =
        labelledEdit(mAlphaGroupBox, "Ruoff divide (RD)", 176, "DivideEdit", "0", 284, 20, 66);
    label(mAlphaGroupBox, "Runoff>RD", 72, 48);
    label(mAlphaGroupBox, "Runoff<Rd", 250, 48);
    mA1coeffEdit = labelledEdit(mAlphaGroupBox, "A1 value", 8, "A1coeffEdit", "", 72, 66, 100);
    mB1valueEdit = labelledEdit(mAlphaGroupBox, "B1 value", 8, "B1valueEdit", "", 72, 94, 100);
    mA2CoeffEdit = labelledEdit(mAlphaGroupBox, "A2 value", 186, "A2CoeffEdit", "", 250, 66, 100);
    mB2ValueEdit = labelledEdit(mAlphaGroupBox, "B2 value", 186, "B2ValueEdit", "", 250, 94, 100);

    mPredictGroupBox = new QGroupBox(QStringLiteral("Initialize"), this);
    mPredictGroupBox->setObjectName(QStringLiteral("PredictGroupBox"));
    mPredictGroupBox->setGeometry(472, 148, 186, 92);
    mInitRunEdit =
        labelledEdit(mPredictGroupBox, "Initial runoff", 8, "InitRunEdit", "0", 134, 18, 46);
    mInitLevelEdit =
        labelledEdit(mPredictGroupBox, "Initial water level", 8, "InitLevelEdit", "0", 134, 40, 46);
    mPorosityEdit = labelledEdit(mPredictGroupBox, "Drainable porosity (%)", 8, "PorosityEdit", "5",
                                 134, 62, 46);
}

void TInputSheetPage::createNotes()
{
    mTryMemo =
        note(this, "TryMemo", "Try various values of\ninitial storage to find\nthe best result.",
             QRect(440, 292, 216, 52));
    mAlfaMemo = note(this, "AlfaMemo",
                     "To calculate the A and B values for a\nsubsurface drainage system with\n"
                     "pipes or ditches use button AlfaCalc",
                     QRect(300, 394, 250, 52));
    mAlfaButton = new QPushButton(QStringLiteral("AlfaCalc"), this);
    mAlfaButton->setObjectName(QStringLiteral("AlfaButton"));
    mAlfaButton->setGeometry(566, 402, 90, 26);
    mAlfaMemo->hide();
    mAlfaButton->hide();
    connect(mAlfaButton, &QPushButton::clicked, this, &TInputSheetPage::alfaCalcRequested);
}

void TInputSheetPage::createButtons()
{
    auto button = [this](const char *name, const char *caption, int x, int w) {
        auto *result = new QPushButton(QLatin1String(caption), this);
        result->setObjectName(QLatin1String(name));
        result->setGeometry(x, ButtonTop, w, 28);
        return result;
    };
    auto *clear = button("ClearButton", "Clear all", 8, 90);
    auto *help = button("HelpButton", "Start help, units", 106, 130);
    auto *open = button("OpenInputButton", " Open input", 420, 110);
    auto *save = button("SaveRunButton", " Save / Run", 540, 118);
    mCalibrateButton = button("CalibrateButton", "Calibrate", 242, 84);
    mCalibrateButton->setToolTip(
        QStringLiteral("Finds the storages and the escape rate factor that fit the runoff best: by "
                       "default the NSE of the simulation, as a prediction runs it"));
    connect(mCalibrateButton, &QPushButton::clicked, this, &TInputSheetPage::calibrateRequested);
    mValidateButton = button("ValidateButton", "Validate...", 330, 84);
    mValidateButton->setToolTip(
        QStringLiteral("Tests the calibrated sheet on another window (split-sample validation)"));
    connect(mValidateButton, &QPushButton::clicked, this, &TInputSheetPage::validateRequested);
    mButtons = {clear, help, open, save, mCalibrateButton, mValidateButton};
    QFont bold = save->font();
    bold.setBold(true);
    save->setFont(bold);
    // The main window asks about changes not saved before the sheet is cleared.
    connect(clear, &QPushButton::clicked, this, &TInputSheetPage::clearRequested);
    connect(help, &QPushButton::clicked, this, &TInputSheetPage::helpRequested);
    connect(open, &QPushButton::clicked, this, &TInputSheetPage::openInputRequested);
    connect(save, &QPushButton::clicked, this, &TInputSheetPage::saveRunRequested);
}

void TInputSheetPage::watchBoxes()
{
    // The checks of the boxes run when the user leaves them.
    mNrOfDataEdit->installEventFilter(this);
    mOptionComboBox->installEventFilter(this);
    for (const TBoxRule &rule : BoxRules)
        boxOf(rule)->installEventFilter(this);
}

QLineEdit *TInputSheetPage::boxOf(const TBoxRule &rule) const
{
    return findChild<QLineEdit *>(QLatin1String(rule.Name));
}

bool TInputSheetPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::FocusOut)
        return QWidget::eventFilter(watched, event);
    // Leaving the window, opening a menu or a context menu does not leave the box.
    const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
        reason == Qt::MenuBarFocusReason)
        return false;
    try {
        if (watched == mNrOfDataEdit)
            NrOfDataEditExit();
        else if (watched == mOptionComboBox)
            OptionComboBoxExit();
        else if (const TBoxRule *rule = ruleOf(watched))
            boxExit(*rule);
    } catch (const std::exception &error) {
        Dialogs().ShowMessage(error.what());
    }
    return false;
}

// ---- Layouts -------------------------------------------------------------------------------

void TInputSheetPage::applyLayout(bool analysis)
{
    const TSheetLayout &layout = analysis ? AnalysisLayout : PredictionLayout;
    mGrid->setColumnCount(layout.Columns);
    for (int col = 0; col < layout.Columns; ++col)
        mGrid->setColumnWidth(col, ColumnWidth);
    mGridLeft = layout.GridLeft;
    mGridWidth = layout.GridWidth;
    placeGridAndButtons();

    // Each heading starts where its column starts.
    const int inner = layout.GridLeft + mGrid->frameWidth();
    QLabel *headings[] = {mTimeLabel, mRainLabel, mEvapLabel, mRunoffLabel};
    for (int col = 0; col < 4; ++col) {
        const int width = col == 2 ? ColumnWidth + 14 : ColumnWidth;
        headings[col]->setGeometry(inner + col * ColumnWidth + 3, HeadingTop, width - 4,
                                   HeadingHeight);
    }
    mRunoffLabel->setVisible(analysis);

    mAlphaGroupBox->setVisible(!analysis);
    mPredictGroupBox->setVisible(!analysis);
    mStarLabel->move(layout.Star);
    mFirstGroup->move(layout.FirstGroup);
    mTryMemo->setVisible(analysis);
    mCalibrateButton->setVisible(analysis);
    mValidateButton->setVisible(analysis);
    if (!analysis)
        mInputImage->hide();
}

void TInputSheetPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Titles, file name and progress box take the width beyond the sheet's own.
    const int wider = qMax(0, width() - PageWidth);
    mTitle1Edit->resize(380 + wider, mTitle1Edit->height());
    mTitle2Edit->resize(380 + wider, mTitle2Edit->height());
    mFileNameEdit->resize(286 + wider, mFileNameEdit->height());
    mWaitMemo->move(478 + wider, mWaitMemo->y());
    placeGridAndButtons();
}

void TInputSheetPage::placeGridAndButtons()
{
    // The grid takes the height beyond the sheet's own in whole rows, and never shows more
    // rows than it has (at least the fifteen of a fresh sheet); the buttons stay under it.
    const int extraRows = qMax(0, height() - PageHeight) / RowHeight;
    const int shownRows = qBound(FreshRows, mGrid->rowCount(), FreshRows + extraRows);
    mGrid->setGeometry(mGridLeft, GridTop, mGridWidth, shownRows * RowHeight + 4);
    const int buttonTop = ButtonTop + extraRows * RowHeight;
    for (QPushButton *button : mButtons)
        button->move(button->x(), buttonTop);
}

void TInputSheetPage::setOption(bool analysis)
{
    const QSignalBlocker blocker(mOptionComboBox);
    mOptionComboBox->setCurrentIndex(analysis ? 0 : 1);
}

bool TInputSheetPage::analysisChosen() const
{
    return mOptionComboBox->currentIndex() == 0;
}

void TInputSheetPage::showAlfaCalc(bool show)
{
    mAlfaButton->setVisible(show);
    mAlfaMemo->setVisible(show);
}

void TInputSheetPage::enterAlfaResults(const TAlfaResults &results)
{
    mA1coeffEdit->setText(results.A1);
    mA2CoeffEdit->setText(results.A2);
    mB1valueEdit->setText(results.B1);
    mB2ValueEdit->setText(results.B2);
    mDivideEdit->setText(results.Divide);
    mPorosityEdit->setText(results.Porosity);
}

void TInputSheetPage::showDataCount(int count)
{
    mNrOfDataEdit->setText(QString::number(count));
}

void TInputSheetPage::sizeModelArrays(int rows)
{
    DMQuellow.ResizeRows(static_cast<std::size_t>(qMax(rows, 0)));
}

void TInputSheetPage::resetInputSheet()
{
    mFileLabel->hide();
    mFileNameEdit->hide();
    DMQuellow.Analysis = true;
    DMQuellow.ModeTag = " Ana";
    DMQuellow.Drainage = false;
    setOption(true);
    DMQuellow.NrOfData = FreshRows;
    PreviousCount = FreshRows;
    mGrid->setColumnCount(4);
    mGrid->setRowCount(FreshRows);
    sizeModelArrays(FreshRows + 1);
    showAlfaCalc(false);
    applyLayout(true);
    FillInputSheet();
    markSaved();
    emit sheetFilled();
}

// ---- Refilling the sheet ---------------------------------------------------------------------

void TInputSheetPage::fillReservoirBoxes()
{
    mMaxStorEdit->setText(floatToStr(DMQuellow.MaxStor));
    mInitStorEdit->setText(floatToStr(DMQuellow.InitStor));
    mEscapeEdit->setText(floatToStr(DMQuellow.MaxEscape));
}

void TInputSheetPage::fillPredictionBoxes()
{
    auto &dm = DMQuellow;
    mA1coeffEdit->setText(floatToStr(ModelValues.A1));
    mA2CoeffEdit->setText(floatToStr(ModelValues.A2));
    mB1valueEdit->setText(floatToStr(ModelValues.B1));
    mB2ValueEdit->setText(floatToStr(ModelValues.B2));
    mInitRunEdit->setText(floatToStr(dm.InitRun));
    mInitLevelEdit->setText(floatToStr(dm.InitLevel));
    if (dm.Porosity == 0)
        dm.Porosity = 10;
    mPorosityEdit->setText(floatToStr(dm.Porosity));
    mDivideEdit->setText(floatToStr(ModelValues.Divide));
    for (QLineEdit *box :
         {mA1coeffEdit, mA2CoeffEdit, mB1valueEdit, mB2ValueEdit, mInitRunEdit, mDivideEdit})
        box->setCursorPosition(0);
}

void TInputSheetPage::fillCellsFromModel(int rows)
{
    const auto &dm = DMQuellow;
    for (int row = 0; row < rows; ++row) {
        mGrid->setRowHeight(row, RowHeight);
        setCellText(0, row, floatToStr(dm.Time[row]));
        setCellText(1, row, floatToStr(dm.Rain[row]));
        setCellText(2, row, floatToStr(dm.Escape[row]));
        if (dm.Analysis)
            setCellText(3, row, floatToStr(dm.Runoff[row]));
    }
}

void TInputSheetPage::fillZeroCells(int rows, int columns)
{
    for (int row = 0; row < rows; ++row) {
        mGrid->setRowHeight(row, RowHeight);
        for (int col = 0; col < columns; ++col)
            setCellText(col, row, QStringLiteral("0"));
    }
}

void TInputSheetPage::FillInputSheet()
{
    fillSheet(nullptr);
}

void TInputSheetPage::fillSheet(const TCellTexts *kept)
{
    auto &dm = DMQuellow;
    const int rows = qMax(dm.NrOfData, 0);
    showDataCount(rows);
    mGrid->setRowCount(rows);
    // The model arrays keep at least one element per row, whatever the mode.
    if (static_cast<int>(dm.Time.size()) < rows)
        sizeModelArrays(rows);
    // The boxes show the values a run uses, with or without data on the sheet.
    fillReservoirBoxes();
    if (DataShown)
        setOption(dm.Analysis);
    applyLayout(dm.Analysis);
    if (DataShown && dm.Analysis) {
        showAlfaCalc(false);
        mTryMemo->show();
    }
    if (!dm.Analysis)
        fillPredictionBoxes();

    for (int row = 0; row < rows; ++row)
        dm.Remove[row] = false;
    if (DataShown)
        fillCellsFromModel(rows);
    else
        fillZeroCells(rows, mGrid->columnCount());
    if (kept)
        restoreCells(*kept);
    if (DataShown && dm.Analysis)
        warnOfZeroLastRunoff();

    PreviousCount = rows;
    ValidCount = rows;
    placeGridAndButtons();
    if (DataShown)
        emit showRequested();
}

void TInputSheetPage::warnOfZeroLastRunoff()
{
    const int last = mGrid->rowCount() - 1;
    double runoff = -1;
    if (last >= 0 && StringToFloat(cellText(3, last), runoff) && runoff == 0)
        message("Please check the runoff data.");
}

TInputSheetPage::TCellTexts TInputSheetPage::takeCells() const
{
    TCellTexts cells;
    for (int row = 0; row < mGrid->rowCount(); ++row) {
        QStringList texts;
        for (int col = 0; col < mGrid->columnCount(); ++col)
            texts.append(cellText(col, row));
        cells.append(texts);
    }
    return cells;
}

void TInputSheetPage::restoreCells(const TCellTexts &cells)
{
    for (int row = 0; row < cells.size(); ++row)
        for (int col = 0; col < cells.at(row).size(); ++col)
            setCellText(col, row, cells.at(row).at(col));
}

void TInputSheetPage::setGridColumns(int columns)
{
    const int before = mGrid->columnCount();
    if (columns == before)
        return;
    // The runoff column waits while the prediction layout hides it.
    if (before == 4) {
        mHiddenRunoff.clear();
        for (int row = 0; row < mGrid->rowCount(); ++row)
            mHiddenRunoff.append(cellText(3, row));
    }
    mGrid->setColumnCount(columns);
    if (columns == 4) {
        for (int row = 0; row < mGrid->rowCount(); ++row)
            setCellText(3, row,
                        row < mHiddenRunoff.size() && !mHiddenRunoff.at(row).isEmpty()
                            ? mHiddenRunoff.at(row)
                            : QStringLiteral("0"));
        mHiddenRunoff.clear();
    }
}

void TInputSheetPage::showOpenedFile(const QString &fileName)
{
    const auto &dm = DMQuellow;
    applyLayout(dm.Analysis);
    showDataCount(dm.NrOfData);
    showAlfaCalc(dm.Drainage);
    showSheetFile(fileName);
    mInputImage->hide();
    mTitle1Edit->setText(QString::fromStdString(dm.Title1));
    mTitle2Edit->setText(QString::fromStdString(dm.Title2));
    // Long titles and paths show their beginning, not their end.
    for (QLineEdit *box : {mTitle1Edit, mTitle2Edit})
        box->setCursorPosition(0);
    fillReservoirBoxes();
    DataShown = true;
    FillInputSheet();
    markSaved();
    emit sheetFilled();
}

void TInputSheetPage::showImportedSheet(const QString &sourceName)
{
    showOpenedFile(QString());
    showSheetFile(QString());
    mSavedKnown = false;
    const QFileInfo source(sourceName);
    mSuggestedName = source.dir().filePath(source.completeBaseName() + QStringLiteral(".inp"));
}

void TInputSheetPage::showSheetFile(const QString &fileName)
{
    mSuggestedName = fileName;
    mFileNameEdit->setText(fileName);
    mFileNameEdit->setCursorPosition(0);
    mFileLabel->setVisible(!fileName.isEmpty());
    mFileNameEdit->setVisible(!fileName.isEmpty());
}

// ---- Changes not saved -----------------------------------------------------------------------

QStringList TInputSheetPage::contentSnapshot() const
{
    QStringList content{mTitle1Edit->text(), mTitle2Edit->text(),
                        QString::number(mOptionComboBox->currentIndex()),
                        QString::number(mGrid->rowCount()), QString::number(mGrid->columnCount())};
    for (const TBoxRule &rule : BoxRules)
        content.append(boxOf(rule)->text());
    for (int row = 0; row < mGrid->rowCount(); ++row)
        for (int col = 0; col < mGrid->columnCount(); ++col)
            content.append(cellText(col, row));
    return content;
}

bool TInputSheetPage::hasUnsavedChanges() const
{
    // A sheet without data (fresh or cleared) has nothing worth keeping.
    if (!DataShown)
        return false;
    return !mSavedKnown || contentSnapshot() != mSavedContent;
}

void TInputSheetPage::markSaved()
{
    mSavedContent = contentSnapshot();
    mSavedKnown = true;
}

// ---- Values others may set or read -----------------------------------------------------------

void TInputSheetPage::setStorages(double maxStor, double initStor)
{
    DMQuellow.MaxStor = maxStor;
    DMQuellow.InitStor = initStor;
    mMaxStorEdit->setText(floatToStr(maxStor));
    mInitStorEdit->setText(floatToStr(initStor));
}

QString TInputSheetPage::maxStorText() const
{
    return mMaxStorEdit->text();
}

QString TInputSheetPage::initStorText() const
{
    return mInitStorEdit->text();
}

void TInputSheetPage::restoreStorages(const QString &maxStor, const QString &initStor,
                                      double maxValue, double initValue)
{
    DMQuellow.MaxStor = maxValue;
    DMQuellow.InitStor = initValue;
    mMaxStorEdit->setText(maxStor);
    mInitStorEdit->setText(initStor);
}

QString TInputSheetPage::maxEscapeText() const
{
    return mEscapeEdit->text();
}

void TInputSheetPage::setMaxEscape(const QString &text, double value)
{
    DMQuellow.MaxEscape = value;
    mEscapeEdit->setText(text);
}

bool TInputSheetPage::commitEditedBox()
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus || !isAncestorOf(focus))
        return true;
    if (focus == mNrOfDataEdit)
        return NrOfDataEditExit();
    if (const TBoxRule *rule = ruleOf(focus))
        return boxExit(*rule);
    return true;
}

// ---- Number of data, options, "Clear all" ----------------------------------------------------

bool TInputSheetPage::NrOfDataEditExit()
{
    // After each refusal the box shows the number of rows the sheet holds, never a number
    // that no row stands for.
    const auto refuse = [this](const char *text) {
        message(text);
        showDataCount(mGrid->rowCount());
        return false;
    };
    int count = 0;
    if (!parseInt(mNrOfDataEdit->text().trimmed().toStdString(), count))
        return refuse("The number of data is not a valid integer");
    if (count < MinData)
        return refuse(" The minimum number of data is 12");
    if (count > MaxData)
        return refuse(MaxDataMessage);
    if (Pasting)
        return true;
    if (count > PreviousCount) {
        message(" Add data in the last cells at the end of the column");
        addZeroRows(count);
    } else if (count < PreviousCount) {
        return refuse(" To remove data make the relevant data cells empty");
    }
    return true;
}

void TInputSheetPage::addZeroRows(int count)
{
    auto &dm = DMQuellow;
    // The rows on the sheet keep what was typed into them; new rows start at 0.
    const TCellTexts typed = takeCells();
    sizeModelArrays(count);
    for (int row = qMax(static_cast<int>(typed.size()), 0); row < count; ++row) {
        dm.Serial[row] = row + 1;
        dm.Time[row] = 0;
        dm.Rain[row] = 0;
        dm.Escape[row] = 0;
        dm.Runoff[row] = 0;
    }
    dm.NrOfData = count;
    fillSheet(&typed);
}

void TInputSheetPage::offerAnalysisAlpha(const TModelValues &alpha, double initRun)
{
    mAnalysisAlpha = TAnalysisAlpha{alpha, initRun};
}

bool TInputSheetPage::alphaBoxesZero() const
{
    for (const QLineEdit *box : {mA1coeffEdit, mB1valueEdit, mA2CoeffEdit, mB2ValueEdit}) {
        double value = 0;
        if (!StringToFloat(box->text(), value) || value != 0)
            return false;
    }
    return true;
}

void TInputSheetPage::OptionComboBoxChange()
{
    auto &dm = DMQuellow;
    mInputImage->hide();
    dm.Analysis = analysisChosen();
    // A prediction after an analysis starts from its alpha function and its first runoff, as
    // the prediction's input file will hold them.
    if (!dm.Analysis && mAnalysisAlpha) {
        const TModelValues alpha = AlphaAsWritten(mAnalysisAlpha->Alpha);
        ModelValues.A1 = alpha.A1;
        ModelValues.B1 = alpha.B1;
        ModelValues.A2 = alpha.A2;
        ModelValues.B2 = alpha.B2;
        ModelValues.Divide = alpha.Divide;
        dm.InitRun = ParameterAsWritten(mAnalysisAlpha->InitRun);
        mAnalysisAlpha.reset();
    }
    DataShown = true;
    // What the sheet shows stays: values typed since the last Save/Run are not replaced by
    // the model's.
    setGridColumns(dm.Analysis ? 4 : 3);
    const TCellTexts typed = takeCells();
    dm.ModeTag = dm.Analysis ? " Ana" : " Pre";
    fillSheet(&typed);
    // A choice made with the mouse leaves the focus in the list, and a click on a tab does not
    // take it away: the button that belongs to the mode comes with the choice itself.
    showAlfaCalc(!dm.Analysis);
}

void TInputSheetPage::OptionComboBoxExit()
{
    const bool analysis = analysisChosen();
    DMQuellow.ModeTag = analysis ? " Ana" : " Pre";
    showAlfaCalc(!analysis);
}

void TInputSheetPage::ClearButtonClick()
{
    auto &dm = DMQuellow;
    // Nothing of the old data stays behind to pair with new rows: not the runoff, not the
    // escape rate, not the name of the file they came from.
    for (QLineEdit *box :
         {mA1coeffEdit, mA2CoeffEdit, mB1valueEdit, mB2ValueEdit, mInitRunEdit, mInitLevelEdit,
          mMaxStorEdit, mInitStorEdit, mEscapeEdit, mTitle1Edit, mTitle2Edit})
        box->clear();
    showSheetFile(QString());
    dm.FileName.clear();
    mPorosityEdit->setText(QStringLiteral(" 5 "));
    showDataCount(FreshRows);
    mGrid->setRowCount(FreshRows);
    applyLayout(dm.Analysis);
    setOption(dm.Analysis);
    fillZeroCells(FreshRows, mGrid->columnCount());
    // The rows Save/Run reads are the rows on the sheet; no earlier row may come back from the
    // model or from a hidden runoff column.
    mHiddenRunoff.clear();
    dm.NrOfData = FreshRows;
    PreviousCount = FreshRows;
    dm.ResizeRows(0);
    sizeModelArrays(FreshRows + 1);
    DataShown = false;
    markSaved();
    emit sheetFilled();
}

// ---- Checks of the boxes -----------------------------------------------------------------------

bool TInputSheetPage::boxExit(const TBoxRule &rule)
{
    // An unreadable text leaves the model value as it was; a value out of range sets it to
    // the box's reset value.
    double value = 0;
    const bool readable = StringToFloat(boxOf(rule)->text(), value);
    const bool passed = readBox(rule, value, false);
    if (passed || readable)
        rule.Target() = value;
    return passed;
}

bool TInputSheetPage::checkDataCount()
{
    int count = 0;
    if (parseInt(mNrOfDataEdit->text().trimmed().toStdString(), count))
        return true;
    message("The number of data is not a valid integer");
    return false;
}

bool TInputSheetPage::checkMaxEscape()
{
    double maxEscape = 0;
    if (!StringToFloat(mEscapeEdit->text(), maxEscape)) {
        message("The escape rate is not a valid real");
        mEscapeEdit->setFocus(Qt::OtherFocusReason);
        return false;
    }
    if (maxEscape < 0) {
        message("The maximum escape rate cannot be negative.");
        mEscapeEdit->setFocus(Qt::OtherFocusReason);
        return false;
    }
    return true;
}

bool TInputSheetPage::readBox(const TBoxRule &rule, double &value, bool atSave)
{
    QLineEdit *box = boxOf(rule);
    if (!StringToFloat(box->text(), value)) {
        message(rule.Unreadable);
        if (atSave)
            box->setFocus(Qt::OtherFocusReason);
        else
            // The model keeps its value: the box shows it, so what is seen is what a run uses.
            box->setText(floatToStr(rule.Target()));
        return false;
    }
    if (const char *failure = rangeFailure(rule, value)) {
        message(failure);
        box->setText(QLatin1String(rule.Range.NegativeReset));
        StringToFloat(box->text(), value);
        if (atSave)
            box->setFocus(Qt::OtherFocusReason);
        return false;
    }
    return true;
}

bool TInputSheetPage::readBoxes()
{
    // The boxes a run uses are read as they stand, whether they were left or not; every box
    // is read before any value is taken over.
    double values[std::size(BoxRules)] = {};
    auto used = [](const TBoxRule &rule) {
        return rule.Use == TBoxUse::Always || !DMQuellow.Analysis;
    };
    for (std::size_t k = 0; k < std::size(BoxRules); ++k)
        if (used(BoxRules[k]) && !readBox(BoxRules[k], values[k], true))
            return false;
    for (std::size_t k = 0; k < std::size(BoxRules); ++k)
        if (used(BoxRules[k]))
            BoxRules[k].Target() = values[k];
    return true;
}

// ---- Progress box ----------------------------------------------------------------------------

void TInputSheetPage::addProgress(const QString &line)
{
    mWaitMemo->show();
    mWaitMemo->appendPlainText(line);
    mWaitMemo->repaint();
}

void TInputSheetPage::clearProgress(bool hide)
{
    mWaitMemo->clear();
    if (hide)
        mWaitMemo->hide();
}

} // namespace quellow
