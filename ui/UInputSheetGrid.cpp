// The grid of the Input tab: its cell editor, typing and pasting, the Edit menu's work on
// cells, and the reading of the rows for Save/Run.
#include "ui/UInputSheetPage.h"

#include "import/UClipboardBlock.h"
#include "files/UDMQuellow.h"
#include "files/UInputChecks.h"
#include "ui/UDialogs.h"
#include "ui/UInputSheetLayout.h"
#include "ui/URainForm.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableWidget>

namespace quellow {

using namespace UInputSheetLayout;

namespace {

void message(const char *text)
{
    Dialogs().ShowMessage(text);
}

} // namespace

/// The grid's cell editor reports every change of its text, typed or pasted. A pasted block
/// never stays in the editor: the editor closes with the cell's own text, and the block is
/// spread over the grid once the editor's signal has returned, so that no message box opens
/// while the editor is still at work (it would commit the raw block and be destroyed under it).
class TGridDelegate final : public QStyledItemDelegate
{
public:
    TGridDelegate(TInputSheetPage *page, QObject *parent) : QStyledItemDelegate(parent), mPage(page)
    {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model,
                      const QModelIndex &index) const override;
    /// Closes the open cell editor, keeping what it shows in its cell.
    void closeOpenEditor();

private:
    void editorEdited(QLineEdit *editor, const QPersistentModelIndex &cell, const QString &text);

    TInputSheetPage *mPage;
    QPointer<QLineEdit> mEditor;
};

QWidget *TGridDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                     const QModelIndex &index) const
{
    auto *editor = new QLineEdit(parent);
    editor->setObjectName(QStringLiteral("GridCellEditor"));
    editor->setFrame(false);
    auto *self = const_cast<TGridDelegate *>(this);
    self->mEditor = editor;
    const QPersistentModelIndex cell(index);
    QObject::connect(
        editor, &QLineEdit::textEdited, editor,
        [self, editor, cell](const QString &text) { self->editorEdited(editor, cell, text); });
    return editor;
}

void TGridDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    // A cell that changes because its own editor changed it leaves the editor alone (its
    // cursor and selection stay where the typing is).
    if (auto *line = qobject_cast<QLineEdit *>(editor);
        line && line->text() == index.data(Qt::EditRole).toString())
        return;
    QStyledItemDelegate::setEditorData(editor, index);
}

void TGridDelegate::setModelData(QWidget *editor, QAbstractItemModel *model,
                                 const QModelIndex &index) const
{
    if (auto *line = qobject_cast<QLineEdit *>(editor);
        line && UClipboardBlock::IsBlock(line->text().toStdString()))
        return;
    QStyledItemDelegate::setModelData(editor, model, index);
}

void TGridDelegate::closeOpenEditor()
{
    if (!mEditor || !mEditor->isVisible())
        return;
    QLineEdit *editor = mEditor;
    mEditor = nullptr;
    emit commitData(editor);
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void TGridDelegate::editorEdited(QLineEdit *editor, const QPersistentModelIndex &cell,
                                 const QString &text)
{
    if (!cell.isValid())
        return;
    const int col = cell.column();
    const int row = cell.row();
    if (!UClipboardBlock::IsBlock(text.toStdString())) {
        // The cell holds what its editor shows at every moment, so an action started while
        // the editor is still open (a menu, a shortcut) reads what was typed.
        mPage->setCellText(col, row, text);
        mPage->StringGrid1SetEditText(col, row, text);
        return;
    }
    {
        const QSignalBlocker blocker(editor);
        editor->setText(cell.data(Qt::EditRole).toString());
    }
    mEditor = nullptr;
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
    QMetaObject::invokeMethod(
        mPage, [page = mPage, col, row, text] { page->StringGrid1SetEditText(col, row, text); },
        Qt::QueuedConnection);
}

namespace {

/// The grid: Tab and Shift+Tab stop at its first and last cell instead of wrapping round.
class TSheetGrid final : public QTableWidget
{
public:
    TSheetGrid(int rows, int columns, QWidget *parent) : QTableWidget(rows, columns, parent) {}

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override
    {
        const QModelIndex current = currentIndex();
        const bool atEnd = current.row() == rowCount() - 1 && current.column() == columnCount() - 1;
        const bool atStart = current.row() == 0 && current.column() == 0;
        if (current.isValid() &&
            ((action == MoveNext && atEnd) || (action == MovePrevious && atStart)))
            return {};
        return QTableWidget::moveCursor(action, modifiers);
    }
};

} // namespace

void TInputSheetPage::createGrid()
{
    mGrid = new TSheetGrid(FreshRows, 4, this);
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
    mDelegate = new TGridDelegate(this, mGrid);
    mGrid->setItemDelegate(mDelegate);
    mGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(mGrid, &QWidget::customContextMenuRequested, this, &TInputSheetPage::gridContextMenu);
}

void TInputSheetPage::gridContextMenu(const QPoint &pos)
{
    mGrid->setFocus(Qt::OtherFocusReason);
    QMenu menu(this);
    for (const char *name :
         {"EditCopyAction", "EditCutAction", "EditPasteAction", "EditDeleteAction"})
        if (auto *action = window()->findChild<QAction *>(QLatin1String(name)))
            menu.addAction(action);
    menu.exec(mGrid->viewport()->mapToGlobal(pos));
}

// ---- Cells ---------------------------------------------------------------------------------

QString TInputSheetPage::cellText(int col, int row) const
{
    if (row < 0 || col < 0 || row >= mGrid->rowCount() || col >= mGrid->columnCount())
        return {};
    const QTableWidgetItem *item = mGrid->item(row, col);
    return item ? item->text() : QString();
}

void TInputSheetPage::setCellText(int col, int row, const QString &text)
{
    if (row < 0 || col < 0 || row >= mGrid->rowCount() || col >= mGrid->columnCount())
        return;
    if (QTableWidgetItem *item = mGrid->item(row, col))
        item->setText(text);
    else
        mGrid->setItem(row, col, new QTableWidgetItem(text));
}

void TInputSheetPage::closeCellEditor()
{
    mDelegate->closeOpenEditor();
}

void TInputSheetPage::selectCell(int col, int row)
{
    mGrid->setCurrentCell(row, col);
    mGrid->scrollToItem(mGrid->item(row, col));
}

// ---- Editing and pasting -----------------------------------------------------------------------

void TInputSheetPage::StringGrid1SetEditText(int col, int row, const QString &text)
{
    if (UClipboardBlock::IsBlock(text.toStdString())) {
        const TPasteResult result = pasteCells(col, row, text);
        if (result != TPasteResult::Done) {
            if (result == TPasteResult::Unreadable)
                message(PasteFailed);
            emit showRequested();
            return;
        }
    }
    Pasting = true;
    NrOfDataEditExit();
    Pasting = false;
    DataShown = true;
}

bool TInputSheetPage::HandlePasteMultiCell(int col, int row, const QString &text)
{
    return pasteCells(col, row, text) == TPasteResult::Done;
}

TInputSheetPage::TPasteResult TInputSheetPage::pasteCells(int col, int row, const QString &text)
{
    auto &dm = DMQuellow;
    if (col < 0 || row < 0 || col >= mGrid->columnCount())
        return TPasteResult::Unreadable;
    const UClipboardBlock::TBlock block = UClipboardBlock::Parse(text.toStdString());
    const int pastedRows = static_cast<int>(block.Lines.size());
    if (row + pastedRows > MaxData) {
        message(MaxDataMessage);
        return TPasteResult::TooManyRows;
    }
    takePastedMode(col + UClipboardBlock::Width(block));
    if (mGrid->rowCount() < row + pastedRows)
        mGrid->setRowCount(row + pastedRows);
    const int columns = mGrid->columnCount();
    UClipboardBlock::Spread(block, col, row, columns,
                            [this](int c, int r, const std::string &cell) {
                                setCellText(c, r, QString::fromStdString(cell));
                            });

    const int rows = takePastedRowCount(row, pastedRows);
    sizeModelArrays(rows);
    dm.Analysis = columns != 3;
    dm.ModeTag = dm.Analysis ? " Ana" : " Pre";
    if (!readPastedRows(rows))
        return TPasteResult::Unreadable;
    applyLayout(dm.Analysis);
    setOption(dm.Analysis);
    PreviousCount = rows;
    const std::string twoWays = UClipboardBlock::TwoWaysText(block, col);
    if (!twoWays.empty())
        message(twoWays.c_str());
    // New escape rates make a new start for the factors applied by a calibration.
    if (col <= 2 && col + UClipboardBlock::Width(block) > 2)
        emit sheetFilled();
    return TPasteResult::Done;
}

void TInputSheetPage::takePastedMode(int width)
{
    // Three columns of time, rain and escape rate are a prediction; a fourth, the runoff,
    // makes an analysis. Fewer columns fill part of the sheet in its present mode.
    if (width < 3)
        return;
    const bool analysis = width > 3;
    setGridColumns(analysis ? 4 : 3);
    showAlfaCalc(!analysis);
    mInputImage->hide();
}

int TInputSheetPage::takePastedRowCount(int row, int pastedRows)
{
    auto &dm = DMQuellow;
    int rows = row + pastedRows;
    dm.NrOfData = rows;
    showDataCount(rows);
    if (rows < PreviousCount &&
        Dialogs().Confirm("The number of data is less than the original number. Do you want to "
                          "maintain the original number?")) {
        rows = PreviousCount;
        dm.NrOfData = rows;
    }
    mGrid->setRowCount(rows);
    showDataCount(rows);
    return rows;
}

bool TInputSheetPage::readPastedRows(int rows)
{
    auto &dm = DMQuellow;
    for (int r = 0; r < rows; ++r) {
        UClipboardBlock::TSheetRow values;
        if (!UClipboardBlock::ReadRow(cellText(0, r).toStdString(), cellText(1, r).toStdString(),
                                      cellText(2, r).toStdString(), cellText(3, r).toStdString(),
                                      dm.Analysis, values))
            return false;
        dm.Time[r] = values.Time;
        dm.Rain[r] = values.Rain;
        dm.Escape[r] = values.Escape;
        if (dm.Analysis)
            dm.Runoff[r] = values.Runoff;
    }
    for (int r = 0; r < rows; ++r)
        dm.Remove[r] = false;
    return true;
}

// ---- Edit menu -------------------------------------------------------------------------------

bool TInputSheetPage::gridHasFocus() const
{
    return mGrid->hasFocus();
}

QString TInputSheetPage::selectedCellsText() const
{
    const QModelIndexList selected = mGrid->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) {
        const QModelIndex current = mGrid->currentIndex();
        return current.isValid() ? cellText(current.column(), current.row()) : QString();
    }
    int top = selected.first().row(), bottom = top, left = selected.first().column(), right = left;
    for (const QModelIndex &index : selected) {
        top = qMin(top, index.row());
        bottom = qMax(bottom, index.row());
        left = qMin(left, index.column());
        right = qMax(right, index.column());
    }
    if (top == bottom && left == right)
        return cellText(left, top);
    // A block copies as a spreadsheet does: cells split by tabs, rows ended by line breaks.
    QString text;
    for (int row = top; row <= bottom; ++row) {
        for (int col = left; col <= right; ++col) {
            if (col > left)
                text += QLatin1Char('\t');
            text += cellText(col, row);
        }
        text += QStringLiteral("\r\n");
    }
    return text;
}

void TInputSheetPage::pasteAtCurrentCell(const QString &text)
{
    closeCellEditor();
    const QModelIndex current = mGrid->currentIndex();
    if (!current.isValid())
        return;
    if (!UClipboardBlock::IsBlock(text.toStdString()))
        setCellText(current.column(), current.row(), text);
    StringGrid1SetEditText(current.column(), current.row(), text);
}

void TInputSheetPage::deleteSelectedCells()
{
    closeCellEditor();
    QModelIndexList cells = mGrid->selectionModel()->selectedIndexes();
    if (cells.isEmpty() && mGrid->currentIndex().isValid())
        cells.append(mGrid->currentIndex());
    if (cells.isEmpty())
        return;
    for (const QModelIndex &index : cells)
        setCellText(index.column(), index.row(), QString());
    StringGrid1SetEditText(cells.first().column(), cells.first().row(), QString());
}

// ---- Reading the rows for Save/Run
// ---------------------------------------------------------------

bool TInputSheetPage::readRows()
{
    auto &dm = DMQuellow;
    dm.Title1 = mTitle1Edit->text().toStdString();
    dm.Title2 = mTitle2Edit->text().toStdString();
    sizeModelArrays(qMax(dm.NrOfData, mGrid->rowCount()) + 1);

    ValidCount = 0;
    for (int i = 0; i < dm.NrOfData; ++i) {
        const bool complete = !cellText(0, i).trimmed().isEmpty() &&
                              !cellText(1, i).trimmed().isEmpty() &&
                              !cellText(2, i).trimmed().isEmpty();
        if (!complete) {
            dm.Remove[i] = true;
            continue;
        }
        double values[4] = {};
        const int columns = dm.Analysis ? 4 : 3;
        for (int col = 0; col < columns; ++col) {
            if (!StringToFloat(cellText(col, i), values[col])) {
                message("Not all data values in the inputfile are real");
                selectCell(col, i);
                return false;
            }
        }
        dm.Time[i] = values[0];
        dm.Rain[i] = values[1];
        dm.Escape[i] = values[2];
        if (dm.Analysis)
            dm.Runoff[i] = values[3];
        dm.Remove[i] = false;
        ++ValidCount;
    }
    return true;
}

TSheetCell firstFaultyCell()
{
    const UInputChecks::TCell cell = UInputChecks::FirstFaultyCell(DMQuellow);
    return {cell.Col, cell.Row};
}

void TInputSheetPage::selectFirstFaultyCell()
{
    const TSheetCell cell = firstFaultyCell();
    if (cell.Col < 0)
        return;
    // The whole row, in view and with the focus, so that it shows among rows of zeros too; the
    // offending cell is the current one.
    closeCellEditor();
    mGrid->setCurrentCell(cell.Row, cell.Col,
                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    mGrid->scrollToItem(mGrid->item(cell.Row, cell.Col));
    mGrid->setFocus(Qt::OtherFocusReason);
}

void TInputSheetPage::showValidRows(int count, bool refill)
{
    showDataCount(count);
    mGrid->setRowCount(count);
    if (refill)
        fillCellsFromModel(count);
    PreviousCount = count;
}

} // namespace quellow
