// The input sheet of the main window: its controls and layouts, the grid with its paste,
// the number of data, the options list, "Clear all" and the checks of the boxes.
#include "ui/URainForm.h"

#include "model/UDMQuellow.h"
#include "model/UTextFields.h"
#include "ui/UAlfaForm.h"
#include "ui/UDialogs.h"
#include "ui/UHelpForm.h"
#include "ui/USvgPicture.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>

namespace quellow {

namespace {

constexpr int MinData = 12;
constexpr int MaxData = 1500;
constexpr int FreshRows = 15;
constexpr int ColumnWidth = 64;
constexpr int RowHeight = 20;

// Places on the sheet, in pixels from the tab's left and top edges.
constexpr int HeadingTop = 114;
constexpr int HeadingHeight = 32;
constexpr int GridTop = 148;
constexpr int GridHeight = FreshRows * RowHeight + 4;
constexpr int ButtonTop = GridTop + GridHeight + 10;

struct TSheetLayout
{
    int GridLeft;
    int GridWidth;
    int Columns;
    QPoint Star;
    QPoint FirstGroup;
};
constexpr TSheetLayout AnalysisLayout{150, 282, 4, {440, 150}, {440, 172}};
constexpr TSheetLayout PredictionLayout{72, 219, 3, {300, 128}, {300, 148}};

const char *const PasteFailed =
    "An insufficient number of data has been pasted more data are needed.";
const char *const MaxDataMessage =
    " The maximum number of data is 1500. Not enough? Contact the author.";

void message(const char *text)
{
    Dialogs().ShowMessage(text);
}

/// The grid's cell editor reports every change of its text, typed or pasted.
class TGridDelegate final : public QStyledItemDelegate
{
public:
    TGridDelegate(TRainForm *form, QObject *parent) : QStyledItemDelegate(parent), mForm(form) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &index) const override
    {
        auto *editor = new QLineEdit(parent);
        editor->setObjectName(QStringLiteral("GridCellEditor"));
        editor->setFrame(false);
        const QPersistentModelIndex cell(index);
        TRainForm *form = mForm;
        QObject::connect(editor, &QLineEdit::textEdited, editor, [form, cell](const QString &text) {
            if (!cell.isValid())
                return;
            // The cell holds what its editor shows at every moment, so an action started while
            // the editor is still open (a menu, a shortcut) reads what was typed. A pasted block
            // is spread over the cells by the form instead.
            if (!text.contains(QLatin1Char('\t')) && !text.contains(QLatin1Char('\r')) &&
                !text.contains(QLatin1Char('\n')))
                form->SetCellText(cell.column(), cell.row(), text);
            form->StringGrid1SetEditText(cell.column(), cell.row(), text);
        });
        return editor;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        // A cell that changes because its own editor changed it leaves the editor alone (its
        // cursor and selection stay where the typing is).
        if (auto *line = qobject_cast<QLineEdit *>(editor);
            line && line->text() == index.data(Qt::EditRole).toString())
            return;
        QStyledItemDelegate::setEditorData(editor, index);
    }

private:
    TRainForm *mForm;
};

QLabel *label(QWidget *parent, const char *text, int x, int y, int w = -1)
{
    auto *result = new QLabel(QLatin1String(text), parent);
    result->adjustSize();
    result->move(x, y);
    if (w > 0)
        result->resize(w, result->height());
    return result;
}

QLineEdit *edit(QWidget *parent, const char *name, const char *text, int x, int y, int w)
{
    auto *result = new QLineEdit(QLatin1String(text), parent);
    result->setObjectName(QLatin1String(name));
    result->setGeometry(x, y, w, 22);
    return result;
}

} // namespace

// ---- Building the sheet ----------------------------------------------------------------------

void TRainForm::CreateInputSheet(QWidget *page)
{
    label(page, "Title1", 8, 12);
    mTitle1Edit = edit(page, "Title1Edit", "", 76, 8, 380);
    label(page, "Title2", 8, 38);
    mTitle2Edit = edit(page, "Title2Edit", "", 76, 34, 380);
    label(page, "Options", 8, 64);
    mOptionComboBox = new QComboBox(page);
    mOptionComboBox->setObjectName(QStringLiteral("OptionComboBox"));
    mOptionComboBox->addItem(
        QStringLiteral("Determine alpha from rainfall and runoff data and reconstruct runoff"));
    mOptionComboBox->addItem(
        QStringLiteral("Predict discharge or runoff from rainfall given the alpha function"));
    mOptionComboBox->setGeometry(76, 60, 394, 22);
    label(page, "Nr. of Data", 8, 90);
    mNrOfDataEdit = edit(page, "NrOfDataEdit", "20", 76, 86, 50);
    mFileLabel = label(page, "File", 140, 90);
    mFileLabel->setObjectName(QStringLiteral("FileLabel"));
    mFileNameEdit = edit(page, "FileNameEdit", "", 170, 86, 286);
    mFileNameEdit->setReadOnly(true);

    mWaitMemo = new QPlainTextEdit(page);
    mWaitMemo->setObjectName(QStringLiteral("WaitMemo"));
    mWaitMemo->setGeometry(478, 8, 180, 116);
    mWaitMemo->setReadOnly(true);
    mWaitMemo->setFocusPolicy(Qt::NoFocus);
    mWaitMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mWaitMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mWaitMemo->setStyleSheet(QStringLiteral(
        "QPlainTextEdit { background: #0000c0; color: yellow; font-weight: bold; }"));
    mWaitMemo->hide();

    mGrid = new QTableWidget(FreshRows, 4, page);
    mGrid->setObjectName(QStringLiteral("StringGrid1"));
    mGrid->horizontalHeader()->hide();
    mGrid->verticalHeader()->hide();
    mGrid->horizontalHeader()->setMinimumSectionSize(16);
    mGrid->horizontalHeader()->setDefaultSectionSize(ColumnWidth);
    mGrid->verticalHeader()->setMinimumSectionSize(16);
    mGrid->verticalHeader()->setDefaultSectionSize(RowHeight);
    mGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mGrid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    mGrid->setTabKeyNavigation(true);
    // The cell editor is always on: moving to a cell opens it with the text selected.
    mGrid->setEditTriggers(QAbstractItemView::CurrentChanged | QAbstractItemView::DoubleClicked |
                           QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    mGrid->setItemDelegate(new TGridDelegate(this, mGrid));
    mGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(mGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        mGrid->setFocus(Qt::OtherFocusReason);
        QMenu menu(this);
        for (const char *name :
             {"EditCopyAction", "EditCutAction", "EditPasteAction", "EditDeleteAction"})
            if (auto *action = findChild<QAction *>(QLatin1String(name)))
                menu.addAction(action);
        menu.exec(mGrid->viewport()->mapToGlobal(pos));
    });

    mTimeLabel = new QLabel(QStringLiteral("Time"), page);
    mTimeLabel->setObjectName(QStringLiteral("TimeLabel"));
    mTimeLabel->setToolTip(QStringLiteral("Give time in units (hr, day), not dates"));
    mRainLabel = new QLabel(QStringLiteral("Rain"), page);
    mRainLabel->setObjectName(QStringLiteral("RainLabel"));
    mEvapLabel = new QLabel(QStringLiteral("Max, escape rate  *)"), page);
    mEvapLabel->setObjectName(QStringLiteral("EvapLabel"));
    mRunoffLabel = new QLabel(QStringLiteral("Runoff"), page);
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
    mStarLabel = label(page, "*) see Start help", 0, 0);
    mStarLabel->setObjectName(QStringLiteral("StarLabel"));

    mInputImage = new TSvgPicture(QStringLiteral(":/pictures/Reservoirs.svg"), page);
    mInputImage->setObjectName(QStringLiteral("InputImage"));
    mInputImage->setMinimumSize(0, 0);
    mInputImage->setGeometry(4, GridTop, 140, 90);

    mFirstGroup = new QGroupBox(QStringLiteral("First reservoir (see Figure)"), page);
    mFirstGroup->setObjectName(QStringLiteral("FirstGroupBox"));
    mFirstGroup->resize(166, 78);
    label(mFirstGroup, "Maximum storage", 8, 26);
    mMaxStorEdit = edit(mFirstGroup, "MaxStorEdit", "100", 108, 22, 50);
    label(mFirstGroup, "Initial storage", 8, 52);
    mInitStorEdit = edit(mFirstGroup, "InitStorEdit", "80", 108, 48, 50);
    // The maximum escape rate is given per row in the grid; its box is kept but never shown.
    mEscapeEdit = edit(mFirstGroup, "EscapeEdit", "2", 108, 74, 50);
    mEscapeEdit->hide();

    mAlphaGroupBox = new QGroupBox(QStringLiteral("Alpha characteristics"), page);
    mAlphaGroupBox->setObjectName(QStringLiteral("AlphaGroupBox"));
    mAlphaGroupBox->setGeometry(300, 250, 358, 128);
    label(mAlphaGroupBox, "Alpha=A*runoff+B", 8, 24);
    label(mAlphaGroupBox, "Ruoff divide (RD)", 176, 24);
    mDivideEdit = edit(mAlphaGroupBox, "DivideEdit", "0", 284, 20, 66);
    label(mAlphaGroupBox, "Runoff>RD", 72, 48);
    label(mAlphaGroupBox, "Runoff<Rd", 250, 48);
    label(mAlphaGroupBox, "A1 value", 8, 70);
    mA1coeffEdit = edit(mAlphaGroupBox, "A1coeffEdit", "", 72, 66, 100);
    label(mAlphaGroupBox, "B1 value", 8, 98);
    mB1valueEdit = edit(mAlphaGroupBox, "B1valueEdit", "", 72, 94, 100);
    label(mAlphaGroupBox, "A2 value", 186, 70);
    mA2CoeffEdit = edit(mAlphaGroupBox, "A2CoeffEdit", "", 250, 66, 100);
    label(mAlphaGroupBox, "B2 value", 186, 98);
    mB2ValueEdit = edit(mAlphaGroupBox, "B2ValueEdit", "", 250, 94, 100);

    mPredictGroupBox = new QGroupBox(QStringLiteral("Initialize"), page);
    mPredictGroupBox->setObjectName(QStringLiteral("PredictGroupBox"));
    mPredictGroupBox->setGeometry(472, 148, 186, 92);
    label(mPredictGroupBox, "Initial runoff", 8, 22);
    mInitRunEdit = edit(mPredictGroupBox, "InitRunEdit", "0", 134, 18, 46);
    label(mPredictGroupBox, "Initial water level", 8, 44);
    mInitLevelEdit = edit(mPredictGroupBox, "InitLevelEdit", "0", 134, 40, 46);
    label(mPredictGroupBox, "Drainable porosity (%)", 8, 66);
    mPorosityEdit = edit(mPredictGroupBox, "PorosityEdit", "5", 134, 62, 46);

    mTryMemo = new QLabel(
        QStringLiteral("Try various values of\ninitial storage to find\nthe best result."), page);
    mTryMemo->setObjectName(QStringLiteral("TryMemo"));
    mTryMemo->setGeometry(440, 262, 216, 52);
    mTryMemo->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    mAlfaMemo = new QLabel(QStringLiteral("To calculate the A and B values for a\n"
                                          "subsurface drainage system with\n"
                                          "pipes or ditches use button AlfaCalc"),
                           page);
    mAlfaMemo->setObjectName(QStringLiteral("AlfaMemo"));
    mAlfaMemo->setGeometry(300, 388, 250, 52);
    mAlfaMemo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    mAlfaButton = new QPushButton(QStringLiteral("AlfaCalc"), page);
    mAlfaButton->setObjectName(QStringLiteral("AlfaButton"));
    mAlfaButton->setGeometry(566, 396, 90, 26);
    mAlfaMemo->hide();
    mAlfaButton->hide();
    connect(mAlfaButton, &QPushButton::clicked, this, [this] {
        if (mAlfaForm) {
            mAlfaForm->show();
            mAlfaForm->raise();
        }
    });

    auto button = [page](const char *name, const char *caption, int x, int w) {
        auto *result = new QPushButton(QLatin1String(caption), page);
        result->setObjectName(QLatin1String(name));
        result->setGeometry(x, ButtonTop, w, 28);
        return result;
    };
    auto *clear = button("ClearButton", "Clear all", 8, 90);
    auto *help = button("HelpButton", "Start help, units", 106, 130);
    auto *open = button("OpenInputButton", " Open input", 420, 110);
    auto *save = button("SaveRunButton", " Save / Run", 540, 118);
    CreateCalibrateButton(page, ButtonTop);
    QFont bold = save->font();
    bold.setBold(true);
    save->setFont(bold);
    connect(clear, &QPushButton::clicked, this, &TRainForm::ClearButtonClick);
    connect(help, &QPushButton::clicked, this, [this] {
        if (mHelpForm) {
            mHelpForm->show();
            mHelpForm->raise();
        }
    });
    connect(open, &QPushButton::clicked, this, &TRainForm::InputOpenActionExecute);
    connect(save, &QPushButton::clicked, this, &TRainForm::InputSaveActionExecute);
    connect(mOptionComboBox, &QComboBox::currentIndexChanged, this,
            &TRainForm::OptionComboBoxChange);

    // The checks of the boxes run when the user leaves them.
    for (QWidget *watched : std::initializer_list<QWidget *>{
             mNrOfDataEdit, mOptionComboBox, mMaxStorEdit, mInitStorEdit, mEscapeEdit, mA1coeffEdit,
             mA2CoeffEdit, mB1valueEdit, mB2ValueEdit, mDivideEdit, mInitRunEdit, mInitLevelEdit,
             mPorosityEdit})
        watched->installEventFilter(this);

    ApplyLayout(true);
}

bool TRainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::FocusOut)
        return TBaseForm::eventFilter(watched, event);
    // Leaving the window, opening a menu or a context menu does not leave the box.
    const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
        reason == Qt::MenuBarFocusReason)
        return false;
    Guarded([&] {
        if (watched == mNrOfDataEdit)
            NrOfDataEditExit();
        else if (watched == mOptionComboBox)
            OptionComboBoxExit();
        else if (watched == mMaxStorEdit)
            MaxStorEditExit();
        else if (watched == mInitStorEdit)
            InitStorEditExit();
        else if (watched == mEscapeEdit)
            EscapeEditExit();
        else if (watched == mA1coeffEdit)
            A1coeffEditExit();
        else if (watched == mA2CoeffEdit)
            A2coeffEditExit();
        else if (watched == mB1valueEdit)
            B1valueEditExit();
        else if (watched == mB2ValueEdit)
            B2valueEditExit();
        else if (watched == mDivideEdit)
            DivideEditExit();
        else if (watched == mInitRunEdit)
            InitRunEditExit();
        else if (watched == mInitLevelEdit)
            InitLevelEditExit();
        else if (watched == mPorosityEdit)
            PorosityEditExit();
    });
    return false;
}

// ---- Layouts -------------------------------------------------------------------------------

void TRainForm::ApplyLayout(bool analysis)
{
    const TSheetLayout &layout = analysis ? AnalysisLayout : PredictionLayout;
    mGrid->setColumnCount(layout.Columns);
    for (int col = 0; col < layout.Columns; ++col)
        mGrid->setColumnWidth(col, ColumnWidth);
    mGrid->setGeometry(layout.GridLeft, GridTop, layout.GridWidth, GridHeight);

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
    ShowCalibrateControls(analysis);
    if (!analysis)
        mInputImage->hide();
}

void TRainForm::SetOption(bool analysis)
{
    const QSignalBlocker blocker(mOptionComboBox);
    mOptionComboBox->setCurrentIndex(analysis ? 0 : 1);
}

void TRainForm::ShowAlfaCalc(bool show)
{
    mAlfaButton->setVisible(show);
    mAlfaMemo->setVisible(show);
}

void TRainForm::SizeModelArrays(int rows)
{
    DMQuellow.ResizeRows(static_cast<std::size_t>(qMax(rows, 0)));
}

void TRainForm::ResetInputSheet()
{
    mFileLabel->hide();
    mFileNameEdit->hide();
    DMQuellow.Analysis = true;
    DMQuellow.ModeTag = " Ana";
    DMQuellow.Drainage = false;
    SetOption(true);
    DMQuellow.NrOfData = FreshRows;
    PreviousCount = FreshRows;
    mGrid->setColumnCount(4);
    mGrid->setRowCount(FreshRows);
    SizeModelArrays(FreshRows + 1);
    ShowAlfaCalc(false);
    ApplyLayout(true);
    FillInputSheet();
}

// ---- Cells ---------------------------------------------------------------------------------

QString TRainForm::CellText(int col, int row) const
{
    if (row < 0 || col < 0 || row >= mGrid->rowCount() || col >= mGrid->columnCount())
        return {};
    const QTableWidgetItem *item = mGrid->item(row, col);
    return item ? item->text() : QString();
}

void TRainForm::SetCellText(int col, int row, const QString &text)
{
    if (row < 0 || col < 0 || row >= mGrid->rowCount() || col >= mGrid->columnCount())
        return;
    if (QTableWidgetItem *item = mGrid->item(row, col))
        item->setText(text);
    else
        mGrid->setItem(row, col, new QTableWidgetItem(text));
}

// ---- Refilling the sheet ---------------------------------------------------------------------

void TRainForm::FillInputSheet()
{
    auto &dm = DMQuellow;
    const int rows = qMax(dm.NrOfData, 0);
    mNrOfDataEdit->setText(QString::number(rows));
    mGrid->setRowCount(rows);
    // The model arrays keep at least one element per row, whatever the mode.
    if (static_cast<int>(dm.Time.size()) < rows || static_cast<int>(dm.Runoff.size()) < rows ||
        static_cast<int>(dm.Remove.size()) < rows || static_cast<int>(dm.Escape.size()) < rows ||
        static_cast<int>(dm.Rain.size()) < rows)
        SizeModelArrays(rows);

    auto fillPredictionBoxes = [&] {
        mA1coeffEdit->setText(FloatToStr(ModelValues.A1));
        mA2CoeffEdit->setText(FloatToStr(ModelValues.A2));
        mB1valueEdit->setText(FloatToStr(ModelValues.B1));
        mB2ValueEdit->setText(FloatToStr(ModelValues.B2));
        mInitRunEdit->setText(FloatToStr(dm.InitRun));
        mInitLevelEdit->setText(FloatToStr(dm.InitLevel));
        if (dm.Porosity == 0)
            dm.Porosity = 10;
        mPorosityEdit->setText(FloatToStr(dm.Porosity));
        mDivideEdit->setText(FloatToStr(ModelValues.Divide));
    };

    if (DataShown) {
        mMaxStorEdit->setText(FloatToStr(dm.MaxStor));
        mInitStorEdit->setText(FloatToStr(dm.InitStor));
        mEscapeEdit->setText(FloatToStr(dm.MaxEscape));
        if (dm.Analysis) {
            SetOption(true);
            ApplyLayout(true);
            ShowAlfaCalc(false);
            mTryMemo->show();
        } else {
            SetOption(false);
            ApplyLayout(false);
            fillPredictionBoxes();
        }
    } else {
        ApplyLayout(dm.Analysis);
        if (!dm.Analysis)
            fillPredictionBoxes();
    }

    for (int row = 0; row < rows; ++row)
        dm.Remove[row] = false;

    const int columns = mGrid->columnCount();
    for (int row = 0; row < rows; ++row) {
        mGrid->setRowHeight(row, RowHeight);
        if (!DataShown) {
            for (int col = 0; col < columns; ++col)
                SetCellText(col, row, QStringLiteral("0"));
        } else {
            SetCellText(0, row, FloatToStr(dm.Time[row]));
            SetCellText(1, row, FloatToStr(dm.Rain[row]));
            SetCellText(2, row, FloatToStr(dm.Escape[row]));
            if (dm.Analysis)
                SetCellText(3, row, FloatToStr(dm.Runoff[row]));
        }
    }

    if (DataShown && dm.Analysis && rows > 0 && dm.Runoff[rows - 1] == 0)
        message("Please check the runoff data.");

    PreviousCount = rows;
    ValidCount = rows;
    if (DataShown)
        ShowTab(TTab::Input);
}

// ---- Editing and pasting -----------------------------------------------------------------------

void TRainForm::StringGrid1SetEditText(int col, int row, const QString &text)
{
    if (text.contains(QLatin1Char('\t')) || text.contains(QLatin1Char('\r')) ||
        text.contains(QLatin1Char('\n'))) {
        const TPasteResult result = PasteCells(col, row, text);
        if (result != TPasteResult::Done) {
            if (result == TPasteResult::Unreadable)
                message(PasteFailed);
            ShowTab(TTab::Input);
            return;
        }
    }
    Pasting = true;
    NrOfDataEditExit();
    Pasting = false;
    DataShown = true;
}

bool TRainForm::HandlePasteMultiCell(int col, int row, const QString &text)
{
    return PasteCells(col, row, text) == TPasteResult::Done;
}

TRainForm::TPasteResult TRainForm::PasteCells(int col, int row, const QString &text)
{
    auto &dm = DMQuellow;
    const int columns = mGrid->columnCount();
    if (col < 0 || row < 0 || col >= columns)
        return TPasteResult::Unreadable;

    // Lines of the text: CR LF, LF and a lone CR each end one; a last line without a line
    // break counts when it holds anything.
    QStringList lines;
    {
        QString current;
        for (int i = 0; i < text.size(); ++i) {
            const QChar ch = text.at(i);
            if (ch == QLatin1Char('\r') || ch == QLatin1Char('\n')) {
                lines.append(current);
                current.clear();
                if (ch == QLatin1Char('\r') && i + 1 < text.size() &&
                    text.at(i + 1) == QLatin1Char('\n'))
                    ++i;
            } else {
                current += ch;
            }
        }
        if (!current.isEmpty())
            lines.append(current);
    }
    const int pastedRows = static_cast<int>(lines.size());
    if (row + pastedRows > MaxData) {
        message(MaxDataMessage);
        return TPasteResult::TooManyRows;
    }

    if (mGrid->rowCount() < row + pastedRows)
        mGrid->setRowCount(row + pastedRows);

    // Each cell keeps the characters of a number: digits, signs, both decimal separators and
    // the exponent letter after a digit. Blanks, letters and other marks are dropped.
    auto numberPart = [](const QString &cell) {
        QString kept;
        for (const QChar ch : cell) {
            const bool afterDigit = !kept.isEmpty() && kept.back().isDigit();
            const bool afterExponent = !kept.isEmpty() && (kept.back() == QLatin1Char('e') ||
                                                           kept.back() == QLatin1Char('E'));
            if (ch.isDigit() || ch == QLatin1Char('-') || ch == QLatin1Char('.') ||
                ch == QLatin1Char(','))
                kept += ch;
            else if ((ch == QLatin1Char('e') || ch == QLatin1Char('E')) && afterDigit)
                kept += ch;
            else if (ch == QLatin1Char('+') && afterExponent)
                kept += ch;
        }
        return kept;
    };
    const bool endsWithTab = text.endsWith(QLatin1Char('\t'));
    for (int k = 0; k < pastedRows; ++k) {
        const QStringList cells = lines.at(k).split(QLatin1Char('\t'));
        for (int j = 0; j < cells.size(); ++j) {
            const int c = col + j;
            if (c >= columns)
                break;
            // A tab that ends the whole text leaves the cell after it as it was.
            if (endsWithTab && k == pastedRows - 1 && j == cells.size() - 1)
                break;
            SetCellText(c, row + k, numberPart(cells.at(j)));
        }
    }

    int rows = row + pastedRows;
    dm.NrOfData = rows;
    mNrOfDataEdit->setText(QString::number(rows));
    if (rows < PreviousCount &&
        Dialogs().Confirm("The number of data is less than the original number. Do you want to "
                          "maintain the original number?")) {
        rows = PreviousCount;
        dm.NrOfData = rows;
    }
    mGrid->setRowCount(rows);
    mNrOfDataEdit->setText(QString::number(rows));

    SizeModelArrays(rows);
    dm.Analysis = columns != 3;
    dm.ModeTag = dm.Analysis ? " Ana" : " Pre";

    for (int r = 0; r < rows; ++r) {
        int time = 0;
        if (!ParseInt(CellText(0, r).trimmed().toStdString(), time))
            return TPasteResult::Unreadable;
        double rain = 0, escape = 0, runoff = 0;
        if (!StringToFloat(CellText(1, r), rain) || !StringToFloat(CellText(2, r), escape))
            return TPasteResult::Unreadable;
        if (dm.Analysis && !StringToFloat(CellText(3, r), runoff))
            return TPasteResult::Unreadable;
        dm.Time[r] = time;
        dm.Rain[r] = rain;
        dm.Escape[r] = escape;
        if (dm.Analysis)
            dm.Runoff[r] = runoff;
    }
    for (int r = 0; r < rows; ++r)
        dm.Remove[r] = false;

    ApplyLayout(dm.Analysis);
    SetOption(dm.Analysis);
    PreviousCount = rows;
    return TPasteResult::Done;
}

// ---- Number of data, options, "Clear all"
// --------------------------------------------------------

void TRainForm::NrOfDataEditExit()
{
    auto &dm = DMQuellow;
    int count = 0;
    if (!ParseInt(mNrOfDataEdit->text().trimmed().toStdString(), count)) {
        message("The number of data is not a valid integer");
        return;
    }
    if (count < MinData) {
        message(" The minimum number of data is 12");
        mNrOfDataEdit->setText(QStringLiteral("12"));
        return;
    }
    if (count > MaxData) {
        message(MaxDataMessage);
        mNrOfDataEdit->setText(QStringLiteral("1500"));
        return;
    }
    if (Pasting)
        return;
    if (count > PreviousCount) {
        message(" Add data in the last cells at the end of the column");
        // The rows already on the sheet keep what was typed into them; new rows start at 0.
        const int kept = qMin(PreviousCount, mGrid->rowCount());
        QList<QStringList> typed;
        for (int row = 0; row < kept; ++row) {
            QStringList cells;
            for (int col = 0; col < mGrid->columnCount(); ++col)
                cells.append(CellText(col, row));
            typed.append(cells);
        }
        SizeModelArrays(count);
        // The arrays may still hold rows that Save/Run took out of the sheet: the added rows
        // are cleared, whatever was there before.
        for (int row = qMax(PreviousCount, 0); row < count; ++row) {
            dm.Serial[row] = row + 1;
            dm.Time[row] = 0;
            dm.Rain[row] = 0;
            dm.Escape[row] = 0;
            dm.Runoff[row] = 0;
        }
        dm.NrOfData = count;
        FillInputSheet();
        for (int row = 0; row < typed.size(); ++row)
            for (int col = 0; col < typed.at(row).size(); ++col)
                SetCellText(col, row, typed.at(row).at(col));
    } else if (count < PreviousCount) {
        message(" To remove data make the relevant data cells empty");
    }
}

void TRainForm::OptionComboBoxChange()
{
    auto &dm = DMQuellow;
    mInputImage->hide();
    dm.Analysis = mOptionComboBox->currentIndex() == 0;
    DataShown = true;
    mGrid->setColumnCount(dm.Analysis ? 4 : 3);
    dm.ModeTag = dm.Analysis ? " Ana" : " Pre";
    FillInputSheet();
    // A choice made with the mouse leaves the focus in the list, and a click on a tab does not
    // take it away: the button that belongs to the mode comes with the choice itself.
    ShowAlfaCalc(!dm.Analysis);
}

void TRainForm::OptionComboBoxExit()
{
    const bool analysis = mOptionComboBox->currentIndex() == 0;
    DMQuellow.ModeTag = analysis ? " Ana" : " Pre";
    ShowAlfaCalc(!analysis);
}

void TRainForm::ClearButtonClick()
{
    auto &dm = DMQuellow;
    for (QLineEdit *box : {mA1coeffEdit, mA2CoeffEdit, mB1valueEdit, mB2ValueEdit, mInitRunEdit,
                           mInitLevelEdit, mMaxStorEdit, mInitStorEdit, mTitle1Edit, mTitle2Edit})
        box->clear();
    // The hidden escape box keeps a number, so that Save/Run can still read it.
    mEscapeEdit->setText(FloatToStr(dm.MaxEscape));
    mPorosityEdit->setText(QStringLiteral(" 5 "));
    mNrOfDataEdit->setText(QString::number(FreshRows));
    mGrid->setRowCount(FreshRows);
    ApplyLayout(dm.Analysis);
    SetOption(dm.Analysis);
    for (int row = 0; row < FreshRows; ++row) {
        mGrid->setRowHeight(row, RowHeight);
        for (int col = 0; col < 3; ++col)
            SetCellText(col, row, QStringLiteral("0"));
    }
    // The rows Save/Run reads are the rows on the sheet.
    dm.NrOfData = FreshRows;
    PreviousCount = FreshRows;
    SizeModelArrays(FreshRows + 1);
    DataShown = false;
}

// ---- Checks of the boxes
// ---------------------------------------------------------------------------

void TRainForm::CheckBox(QLineEdit *box, const char *unreadable, const QString &unreadableReset,
                         const std::function<bool(double, QString &, QString &)> &range,
                         double &modelValue)
{
    double value = 0;
    if (!StringToFloat(box->text(), value)) {
        message(unreadable);
        box->setText(unreadableReset);
        return;
    }
    QString failure, reset;
    if (range && !range(value, failure, reset)) {
        Dialogs().ShowMessage(failure.toStdString());
        box->setText(reset);
        double resetValue = 0;
        StringToFloat(reset, resetValue);
        modelValue = resetValue;
        return;
    }
    modelValue = value;
}

namespace {

std::function<bool(double, QString &, QString &)> notNegative(const char *text, const char *reset)
{
    return [text, reset](double value, QString &failure, QString &resetText) {
        if (value >= 0)
            return true;
        failure = QLatin1String(text);
        resetText = QLatin1String(reset);
        return false;
    };
}

} // namespace

void TRainForm::MaxStorEditExit()
{
    CheckBox(mMaxStorEdit, "The maximum storage is not a valid real", QStringLiteral("0"),
             notNegative("The maximum storage must be >= 0", "0"), DMQuellow.MaxStor);
}

void TRainForm::InitStorEditExit()
{
    CheckBox(mInitStorEdit, "The initial storage is not a valid real", QStringLiteral("0"),
             notNegative("The initial storage must be >= 0", "0"), DMQuellow.InitStor);
}

void TRainForm::EscapeEditExit()
{
    // A negative escape rate is another source of water: possible in a prediction only.
    CheckBox(mEscapeEdit, "The escape rate is not a valid real", QStringLiteral("0"),
             DMQuellow.Analysis ? notNegative("The escape rate must be >= 0", "0") : nullptr,
             DMQuellow.MaxEscape);
}

void TRainForm::A1coeffEditExit()
{
    CheckBox(mA1coeffEdit, "The A1 coefficient is not a valid real", QStringLiteral("0"), nullptr,
             ModelValues.A1);
}

void TRainForm::A2coeffEditExit()
{
    CheckBox(mA2CoeffEdit, "The A2 coefficient is not a valid real", QStringLiteral("0"), nullptr,
             ModelValues.A2);
}

void TRainForm::B1valueEditExit()
{
    CheckBox(mB1valueEdit, "The B1 value is not a valid real", QStringLiteral("0"), nullptr,
             ModelValues.B1);
}

void TRainForm::B2valueEditExit()
{
    CheckBox(mB2ValueEdit, "The B2 value is not a valid real", QStringLiteral("0"), nullptr,
             ModelValues.B2);
}

void TRainForm::DivideEditExit()
{
    CheckBox(mDivideEdit, "The divide is not a valid real", QStringLiteral("0"),
             notNegative("The divide must be >= 0", " 0"), ModelValues.Divide);
}

void TRainForm::InitRunEditExit()
{
    CheckBox(mInitRunEdit, "The initial runoff is not a valid real", QStringLiteral("0"),
             notNegative("The initial runoff must be >= 0", "0"), DMQuellow.InitRun);
}

void TRainForm::InitLevelEditExit()
{
    CheckBox(mInitLevelEdit, "The initial level is not a valid real", QStringLiteral("0"),
             notNegative("The initial level must be >= 0", "0"), DMQuellow.InitLevel);
}

void TRainForm::PorosityEditExit()
{
    CheckBox(
        mPorosityEdit, "The porosity is not a valid real", QStringLiteral("0"),
        [](double value, QString &failure, QString &reset) {
            if (value < 0) {
                failure = QStringLiteral("The porosity must be >= 0");
                reset = QStringLiteral(" 5");
                return false;
            }
            if (value > 100) {
                failure = QStringLiteral("The porosity must be < 100%");
                reset = QStringLiteral(" 5");
                return false;
            }
            return true;
        },
        DMQuellow.Porosity);
}

} // namespace quellow
