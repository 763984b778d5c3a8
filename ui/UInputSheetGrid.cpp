// The grid of the Input tab: its cell editor, typing and pasting, the Edit menu's work on
// cells, and the reading of the rows for Save/Run.
#include "ui/UInputSheetPage.h"

#include "model/UClipboardBlock.h"
#include "model/UDMQuellow.h"
#include "ui/UDialogs.h"
#include "ui/UInputSheetLayout.h"
#include "ui/URainForm.h"

#include <QAction>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QStyledItemDelegate>
#include <QTableWidget>

namespace quellow {

using namespace UInputSheetLayout;

namespace {

void message(const char *text)
{
    Dialogs().ShowMessage(text);
}

/// The grid's cell editor reports every change of its text, typed or pasted.
class TGridDelegate final : public QStyledItemDelegate
{
public:
    TGridDelegate(TInputSheetPage *page, QObject *parent) : QStyledItemDelegate(parent), mPage(page)
    {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &index) const override
    {
        auto *editor = new QLineEdit(parent);
        editor->setObjectName(QStringLiteral("GridCellEditor"));
        editor->setFrame(false);
        const QPersistentModelIndex cell(index);
        TInputSheetPage *page = mPage;
        QObject::connect(editor, &QLineEdit::textEdited, editor, [page, cell](const QString &text) {
            if (!cell.isValid())
                return;
            // The cell holds what its editor shows at every moment, so an action started while
            // the editor is still open (a menu, a shortcut) reads what was typed. A pasted block
            // is spread over the cells by the sheet instead.
            if (!UClipboardBlock::IsBlock(text.toStdString()))
                page->SetCellText(cell.column(), cell.row(), text);
            page->StringGrid1SetEditText(cell.column(), cell.row(), text);
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
    TInputSheetPage *mPage;
};

} // namespace

void TInputSheetPage::createGrid()
{
    mGrid = new QTableWidget(FreshRows, 4, this);
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

QString TInputSheetPage::CellText(int col, int row) const
{
    if (row < 0 || col < 0 || row >= mGrid->rowCount() || col >= mGrid->columnCount())
        return {};
    const QTableWidgetItem *item = mGrid->item(row, col);
    return item ? item->text() : QString();
}

void TInputSheetPage::SetCellText(int col, int row, const QString &text)
{
    if (row < 0 || col < 0 || row >= mGrid->rowCount() || col >= mGrid->columnCount())
        return;
    if (QTableWidgetItem *item = mGrid->item(row, col))
        item->setText(text);
    else
        mGrid->setItem(row, col, new QTableWidgetItem(text));
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
        const TPasteResult result = PasteCells(col, row, text);
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
    return PasteCells(col, row, text) == TPasteResult::Done;
}

TInputSheetPage::TPasteResult TInputSheetPage::PasteCells(int col, int row, const QString &text)
{
    auto &dm = DMQuellow;
    const int columns = mGrid->columnCount();
    if (col < 0 || row < 0 || col >= columns)
        return TPasteResult::Unreadable;
    const UClipboardBlock::TBlock block = UClipboardBlock::Parse(text.toStdString());
    const int pastedRows = static_cast<int>(block.Lines.size());
    if (row + pastedRows > MaxData) {
        message(MaxDataMessage);
        return TPasteResult::TooManyRows;
    }
    if (mGrid->rowCount() < row + pastedRows)
        mGrid->setRowCount(row + pastedRows);
    UClipboardBlock::Spread(block, col, row, columns,
                            [this](int c, int r, const std::string &cell) {
                                SetCellText(c, r, QString::fromStdString(cell));
                            });

    const int rows = takePastedRowCount(row, pastedRows);
    SizeModelArrays(rows);
    dm.Analysis = columns != 3;
    dm.ModeTag = dm.Analysis ? " Ana" : " Pre";
    if (!readPastedRows(rows))
        return TPasteResult::Unreadable;
    ApplyLayout(dm.Analysis);
    SetOption(dm.Analysis);
    PreviousCount = rows;
    return TPasteResult::Done;
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
        if (!UClipboardBlock::ReadRow(CellText(0, r).toStdString(), CellText(1, r).toStdString(),
                                      CellText(2, r).toStdString(), CellText(3, r).toStdString(),
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
        return current.isValid() ? CellText(current.column(), current.row()) : QString();
    }
    int top = selected.first().row(), bottom = top, left = selected.first().column(), right = left;
    for (const QModelIndex &index : selected) {
        top = qMin(top, index.row());
        bottom = qMax(bottom, index.row());
        left = qMin(left, index.column());
        right = qMax(right, index.column());
    }
    if (top == bottom && left == right)
        return CellText(left, top);
    // A block copies as a spreadsheet does: cells split by tabs, rows ended by line breaks.
    QString text;
    for (int row = top; row <= bottom; ++row) {
        for (int col = left; col <= right; ++col) {
            if (col > left)
                text += QLatin1Char('\t');
            text += CellText(col, row);
        }
        text += QStringLiteral("\r\n");
    }
    return text;
}

void TInputSheetPage::pasteAtCurrentCell(const QString &text)
{
    const QModelIndex current = mGrid->currentIndex();
    if (!current.isValid())
        return;
    if (!UClipboardBlock::IsBlock(text.toStdString()))
        SetCellText(current.column(), current.row(), text);
    StringGrid1SetEditText(current.column(), current.row(), text);
}

void TInputSheetPage::deleteSelectedCells()
{
    QModelIndexList cells = mGrid->selectionModel()->selectedIndexes();
    if (cells.isEmpty() && mGrid->currentIndex().isValid())
        cells.append(mGrid->currentIndex());
    if (cells.isEmpty())
        return;
    for (const QModelIndex &index : cells)
        SetCellText(index.column(), index.row(), QString());
    StringGrid1SetEditText(cells.first().column(), cells.first().row(), QString());
}

// ---- Reading the rows for Save/Run
// ---------------------------------------------------------------

bool TInputSheetPage::readRows()
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

void TInputSheetPage::selectFirstFaultyCell() {}

void TInputSheetPage::showValidRows(int count, bool refill)
{
    showDataCount(count);
    mGrid->setRowCount(count);
    if (refill)
        fillCellsFromModel(count);
    PreviousCount = count;
}

} // namespace quellow
