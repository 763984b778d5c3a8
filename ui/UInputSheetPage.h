#pragma once

#include "files/UDMQuellow.h"

#include <QStringList>
#include <QWidget>

#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace quellow {

struct TAlfaResults;

struct TBoxRule;
class TGridDelegate;

/// A cell of the grid; Col is -1 for none.
struct TSheetCell
{
    int Col = -1;
    int Row = -1;
};

/// The first cell of the rows read into the model (those not marked in Remove) that fails the
/// input data check: a time not above the time of the row before, a negative rain, and in
/// analysis mode a negative escape rate or runoff.
TSheetCell firstFaultyCell();

/// The Input tab: titles, the option (analysis or prediction), the number of data, the
/// reservoir and alpha boxes, and the grid of the series with its paste. The main window
/// drives it through the operations below (fill from the data module, read for Save/Run,
/// the Edit menu on the grid); what the user does on the sheet it handles itself.
class TInputSheetPage : public QWidget
{
    Q_OBJECT

public:
    explicit TInputSheetPage(QWidget *parent = nullptr);
    ~TInputSheetPage() override;

    // ---- Sheet state -----------------------------------------------------------------------
    bool DataShown = false; ///< the grid holds loaded, pasted or typed data
    bool Pasting = false;   ///< the number-of-data check runs for a grid edit
    int PreviousCount = 0;  ///< number of data rows before the latest change
    int ValidCount = 0;     ///< complete rows found by the latest Save/Run

    // ---- Filling the sheet -----------------------------------------------------------------
    /// Refreshes the sheet from the model data.
    void FillInputSheet();
    /// The empty analysis sheet of a fresh start (the Input tab shown without data).
    void resetInputSheet();
    /// Shows what "Open input" read: the file name, titles, boxes and rows. The sheet then
    /// holds what the file holds.
    void showOpenedFile(const QString &fileName);
    /// Shows an imported series: titles, boxes and rows, and no input file yet (the sheet is
    /// not saved until Save/Run writes it); the source's name with .inp is offered for saving.
    void showImportedSheet(const QString &sourceName);
    /// The name the save dialog offers: the sheet's input file, else the import's source with
    /// .inp; empty when there is neither.
    QString suggestedFileName() const { return mSuggestedName; }
    /// The input file the sheet was read from or last written to, shown in the file box; an
    /// empty name hides the box.
    void showSheetFile(const QString &fileName);

    // ---- Changes not saved -----------------------------------------------------------------
    /// True when the sheet holds data that differ from the input file it was read from or last
    /// written to (an imported sheet differs until it is written).
    bool hasUnsavedChanges() const;
    /// What the sheet shows now is what its input file holds.
    void markSaved();

    // ---- Values others may set or read -----------------------------------------------------
    /// The maximum and the initial storage into their boxes and the model.
    void setStorages(double maxStor, double initStor);
    /// The texts of the maximum and the initial storage box.
    QString maxStorText() const;
    QString initStorText() const;
    /// The storage boxes' texts back as they were, with the model values behind them.
    void restoreStorages(const QString &maxStor, const QString &initStor, double maxValue,
                         double initValue);
    /// The text of the maximum escape rate box; the box's text and the model value behind it.
    QString maxEscapeText() const;
    void setMaxEscape(const QString &text, double value);
    /// Runs the check of the box that has the keyboard focus, as leaving it would, so that an
    /// action started from a menu or a key reads what was typed. False when the check refused
    /// the text (its message was shown).
    bool commitEditedBox();
    /// The option chosen in the list: true for analysis.
    bool analysisChosen() const;
    /// The calculator button and its note.
    void showAlfaCalc(bool show);
    /// The alpha calculator's results into the alpha and porosity boxes.
    void enterAlfaResults(const TAlfaResults &results);
    /// Puts a number into the number-of-data box.
    void showDataCount(int count);
    /// An analysis of the sheet's rows gave this linear alpha function; the next switch to
    /// prediction puts it into the alpha boxes and initRun (the first measured runoff) into
    /// the initial runoff box. New data on the sheet withdraw the offer.
    void offerAnalysisAlpha(const TModelValues &alpha, double initRun);
    /// Prediction mode: the four alpha boxes read as 0 (the alpha function is 0 throughout).
    bool alphaBoxesZero() const;

    // ---- Reading the sheet for Save/Run ------------------------------------------------------
    /// The number-of-data box must hold a whole number.
    bool checkDataCount();
    /// Analysis mode: the maximum escape rate box must hold a number that is not negative.
    bool checkMaxEscape();
    /// Titles and the complete rows of the grid into the model (incomplete rows are marked in
    /// Remove). False, with a message and the offending cell selected, when a cell is no number.
    bool readRows();
    /// Selects the row of the first cell that fails the input data check of the rows read, that
    /// cell current, in view and with the focus on the grid.
    void selectFirstFaultyCell();
    /// The reservoir boxes, and in prediction mode the alpha and start boxes, into the model.
    /// False, with a message naming the box, when one holds no acceptable number.
    bool readBoxes();
    /// The grid after the rows were compacted: count rows, refilled from the model when rows
    /// were taken out.
    void showValidRows(int count, bool refill);

    // ---- Progress box ----------------------------------------------------------------------
    void addProgress(const QString &line);
    void clearProgress(bool hide);

    // ---- Grid and Edit menu ----------------------------------------------------------------
    /// Text of a grid cell; empty outside the grid.
    QString cellText(int col, int row) const;
    void setCellText(int col, int row, const QString &text);
    /// True when the grid itself (not a cell editor) has the keyboard focus.
    bool gridHasFocus() const;
    /// The selected cells as a spreadsheet copies them: tabs between cells, CR LF after rows.
    QString selectedCellsText() const;
    /// A text pasted at the current cell, as one cell or spread over the grid.
    void pasteAtCurrentCell(const QString &text);
    /// Empties the selected cells.
    void deleteSelectedCells();
    /// Spreads a text copied from a spreadsheet (tabs, line breaks) over the grid from cell
    /// (col, row) and takes the rows into the model. False when a cell cannot be read.
    bool HandlePasteMultiCell(int col, int row, const QString &text);
    /// What the cell editor reports for cell (col, row): a typed text or a pasted block.
    void StringGrid1SetEditText(int col, int row, const QString &text);

signals:
    /// The sheet wants to be in front (after a refill with data or a failed paste).
    void showRequested();
    /// The grid was filled anew (a file opened or imported, "Clear all", a paste over the
    /// escape rates).
    void sheetFilled();
    /// "Clear all" was pressed: the main window asks about changes first, then clears.
    void clearRequested();
    /// "Open input" and " Save / Run" on the sheet.
    void openInputRequested();
    void saveRunRequested();
    /// "Calibrate" (analysis only).
    void calibrateRequested();
    /// "Validate..." (analysis only).
    void validateRequested();
    /// "Start help, units" and "AlfaCalc".
    void helpRequested();
    void alfaCalcRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    enum class TPasteResult { Done, Unreadable, TooManyRows };
    /// The texts of the grid, row by row.
    using TCellTexts = QList<QStringList>;

    // Building
    void createBoxes();
    void createGrid();
    void createHeadings();
    void createGroups();
    void createNotes();
    void createButtons();
    void watchBoxes();

    // Layout and filling
    void applyLayout(bool analysis);
    void setOption(bool analysis);
    void sizeModelArrays(int rows);
    void fillReservoirBoxes();
    void fillPredictionBoxes();
    void fillSheet(const TCellTexts *kept);
    void fillCellsFromModel(int rows);
    void fillZeroCells(int rows, int columns);
    void warnOfZeroLastRunoff();
    TCellTexts takeCells() const;
    void restoreCells(const TCellTexts &cells);
    void setGridColumns(int columns);
    void placeGridAndButtons();

    // Handlers
    /// False when the number was refused (its message was shown).
    bool NrOfDataEditExit();
    void OptionComboBoxChange();
    void OptionComboBoxExit();

public:
    /// Empties the sheet: titles, boxes, file box and every column of 15 rows of zeros.
    void ClearButtonClick();

private:
    bool boxExit(const TBoxRule &rule);
    /// The texts that make up the sheet's content: titles, option, boxes and cells.
    QStringList contentSnapshot() const;
    void gridContextMenu(const QPoint &pos);

    // Paste in steps
    TPasteResult pasteCells(int col, int row, const QString &text);
    int takePastedRowCount(int row, int pastedRows);
    void takePastedMode(int width);
    bool readPastedRows(int rows);
    void addZeroRows(int count);
    void queuePaste(int col, int row, const QString &text);

    // Save/Run reading
    bool readBox(const TBoxRule &rule, double &value, bool atSave);
    void selectCell(int col, int row);
    void closeCellEditor();

    QLineEdit *boxOf(const TBoxRule &rule) const;

    QLabel *mFileLabel = nullptr;
    QLineEdit *mFileNameEdit = nullptr;
    QLineEdit *mTitle1Edit = nullptr;
    QLineEdit *mTitle2Edit = nullptr;
    QComboBox *mOptionComboBox = nullptr;
    QLineEdit *mNrOfDataEdit = nullptr;
    QTableWidget *mGrid = nullptr;
    TGridDelegate *mDelegate = nullptr;
    QLabel *mTimeLabel = nullptr;
    QLabel *mRainLabel = nullptr;
    QLabel *mEvapLabel = nullptr;
    QLabel *mRunoffLabel = nullptr;
    QLabel *mStarLabel = nullptr;
    QGroupBox *mFirstGroup = nullptr;
    QLineEdit *mMaxStorEdit = nullptr;
    QLineEdit *mInitStorEdit = nullptr;
    QLineEdit *mEscapeEdit = nullptr;
    QGroupBox *mAlphaGroupBox = nullptr;
    QLineEdit *mDivideEdit = nullptr;
    QLineEdit *mA1coeffEdit = nullptr;
    QLineEdit *mB1valueEdit = nullptr;
    QLineEdit *mA2CoeffEdit = nullptr;
    QLineEdit *mB2ValueEdit = nullptr;
    QGroupBox *mPredictGroupBox = nullptr;
    QLineEdit *mInitRunEdit = nullptr;
    QLineEdit *mInitLevelEdit = nullptr;
    QLineEdit *mPorosityEdit = nullptr;
    QLabel *mTryMemo = nullptr;
    QLabel *mAlfaMemo = nullptr;
    QPushButton *mAlfaButton = nullptr;
    QPushButton *mCalibrateButton = nullptr;
    QPushButton *mValidateButton = nullptr;
    QWidget *mInputImage = nullptr;
    QPlainTextEdit *mWaitMemo = nullptr;
    QList<QPushButton *> mButtons; ///< the buttons under the grid
    int mGridLeft = 0;
    int mGridWidth = 0;
    /// The runoff column while the prediction layout hides it: it comes back with analysis.
    QStringList mHiddenRunoff;
    /// The content as its input file holds it; mSavedKnown false: no file holds it.
    QStringList mSavedContent;
    bool mSavedKnown = true;
    QString mSuggestedName;
    /// The alpha function of the last analysis of the sheet, until a switch to prediction takes
    /// it.
    struct TAnalysisAlpha
    {
        TModelValues Alpha;
        double InitRun = 0;
    };
    std::optional<TAnalysisAlpha> mAnalysisAlpha;
};

} // namespace quellow
