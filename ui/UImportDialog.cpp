#include "ui/UImportDialog.h"

#include "import/UCsvSeasons.h"
#include "import/UImportedFile.h"
#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "files/UInputFile.h"
#include "files/UOutputNames.h"
#include "files/UTextFields.h"
#include "ui/UDialogs.h"
#include "ui/URainForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace quellow {

using namespace UCsvImport;

namespace {

/// Rows shown in the preview.
constexpr int PreviewRows = 12;

const char *const UnitsNote =
    "Units stay as in the file: the model expects rain, escape rate and runoff in mm per time "
    "unit. Give a factor to convert a column (with the catchment area, the runoff factor from "
    "l/s or m3/s).";

/// The column roles as the choices name them, with the letters that reach them (no letter
/// serves two controls of the dialog).
const char *const roleLabels[RoleCount] = {"&Date", "&Rain", "&Escape rate", "R&unoff"};
const char *const factorLabels[RoleCount] = {"", "Ra&in factor", "Esca&pe rate factor",
                                             "Ru&noff factor"};

/// The first rows (up to most; 0: none) of table in preview, headed by the table's column
/// names and its line numbers; the names.
QStringList showRows(QTableWidget *preview, const TCsvTable &table, int most)
{
    preview->clear();
    const int columns = most > 0 ? static_cast<int>(table.ColumnCount()) : 0;
    const int rows = most > 0 ? qMin<int>(most, static_cast<int>(table.RowCount())) : 0;
    preview->setColumnCount(columns);
    preview->setRowCount(rows);
    QStringList headers, lines;
    for (int c = 0; c < columns; ++c)
        headers.append(QString::fromStdString(table.ColumnName(c)).remove(QLatin1Char('\'')));
    preview->setHorizontalHeaderLabels(headers);
    for (int r = 0; r < rows; ++r) {
        lines.append(QString::number(table.LineNumbers[r]));
        for (int c = 0; c < columns; ++c)
            preview->setItem(r, c,
                             new QTableWidgetItem(QString::fromStdString(std::string(table.Field(
                                 static_cast<std::size_t>(r), static_cast<std::size_t>(c))))));
    }
    preview->setVerticalHeaderLabels(lines);
    return headers;
}

/// Where a unit or area given in the dialog comes from, as the import's notes name it.
const char *const GivenInDialog = "the dialog";

/// A problem of the import in the window's words: a unit and an area are given in the dialog.
/// (The window gives no list of the columns: its boxes choose them.)
std::string importProblemText(const TImportProblem &problem)
{
    if (problem.Kind == TImportProblem::TKind::UnitNotDischarge)
        return "In " + problem.File + ", " + UCsvTable::LineText(problem.Line) + ": the unit \"" +
               problem.Item +
               "\" is not a discharge (mm, l/s, m3/s or cfs); give the runoff's unit in the "
               "dialog.";
    if (problem.Kind == TImportProblem::TKind::NoArea)
        return "The runoff is in " + problem.Item + " (from " + problem.UnitFrom +
               ") but no catchment area is given, and " + problem.File +
               " names none: give it in the dialog.";
    return problem.Text;
}

/// How to leave the seasons' spin-up out of a validation's score; empty without a spin-up.
std::string spinupNote(const UCsvSeasons::TSeasons &seasons)
{
    if (seasons.SpinupDays <= 0)
        return {};
    return "Each file begins " + std::to_string(seasons.SpinupDays) +
           " days before its season (spin-up): leave them out of a validation's score with a "
           "warm-up of " +
           std::to_string(seasons.SpinupRows) + " rows.";
}

} // namespace

TImportDialog::TImportDialog(const QString &fileName, std::string content, QWidget *parent)
    : QDialog(parent), mContent(std::move(content)), mFileName(fileName)
{
    setObjectName(QStringLiteral("ImportDialog"));
    setWindowTitle(QStringLiteral("Import series"));
    auto *layout = new QVBoxLayout(this);
    mFileLabel = new QLabel(QStringLiteral("File: ") + fileName, this);
    mFileLabel->setObjectName(QStringLiteral("FileLabel"));
    layout->addWidget(mFileLabel);
    createPreview();
    createChoices();
    createButtons();
    // The window fits a screen of 768 rows: the previews and the summary take what the
    // choices leave, and grow with the window.
    layout->setStretchFactor(mPreview, 3);
    layout->setStretchFactor(mSummary, 2);
    resize(sizeHint().width(), minimumSizeHint().height() + 100);
    readTable();
}

TImportDialog::~TImportDialog() = default;

bool TImportDialog::analysisChosen() const
{
    return mModeBox->currentIndex() == 0;
}

void TImportDialog::holdToAnalysis()
{
    mModeBox->setCurrentIndex(0);
    mModeBox->setEnabled(false);
    mModeBox->setToolTip(QStringLiteral("A validation needs the measured runoff"));
}

void TImportDialog::createPreview()
{
    mPreview = new QTableWidget(this);
    mPreview->setObjectName(QStringLiteral("PreviewTable"));
    mPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the preview for the choices: the arrows move in it.
    mPreview->setTabKeyNavigation(false);
    mPreview->verticalHeader()->setDefaultSectionSize(20);
    // Four rows in view at the least.
    mPreview->setMinimumHeight(120);
    mPreview->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    auto *label = new QLabel(QStringLiteral("The first ro&ws as read:"), this);
    label->setBuddy(mPreview);
    layout()->addWidget(label);
    layout()->addWidget(mPreview);
}

QComboBox *TImportDialog::columnBox(const char *name)
{
    auto *box = new QComboBox(this);
    box->setObjectName(QLatin1String(name));
    connect(box, &QComboBox::currentIndexChanged, this, &TImportDialog::updateImport);
    return box;
}

QLineEdit *TImportDialog::lineEdit(const char *name, const QString &text)
{
    auto *edit = new QLineEdit(text, this);
    edit->setObjectName(QLatin1String(name));
    connect(edit, &QLineEdit::textChanged, this, &TImportDialog::updateImport);
    return edit;
}

void TImportDialog::createChoices()
{
    auto *row = new QHBoxLayout;
    row->addWidget(createColumnChoices());
    row->addWidget(createFactorChoices());
    row->addWidget(createSecondFileChoices(), 1);
    static_cast<QVBoxLayout *>(layout())->addLayout(row);
}

QGroupBox *TImportDialog::createColumnChoices()
{
    auto *columns = new QGroupBox(QStringLiteral("Columns"), this);
    auto *columnForm = new QFormLayout(columns);
    mModeBox = columnBox("ModeBox");
    mModeBox->addItems({QStringLiteral("Analysis: date, rain, escape rate, runoff"),
                        QStringLiteral("Prediction: date, rain, escape rate")});
    columnForm->addRow(QStringLiteral("&Mode"), mModeBox);
    const char *const names[RoleCount] = {"DateColumnBox", "RainColumnBox", "EscapeColumnBox",
                                          "RunoffColumnBox"};
    for (int role = 0; role < RoleCount; ++role) {
        mColumnBoxes[role] = columnBox(names[role]);
        columnForm->addRow(QLatin1String(roleLabels[role]), mColumnBoxes[role]);
    }
    mDateOrderBox = columnBox("DateOrderBox");
    mDateOrderBox->addItems({QStringLiteral("as found"), QStringLiteral("year-month-day"),
                             QStringLiteral("day.month.year"), QStringLiteral("month/day/year")});
    columnForm->addRow(QStringLiteral("Date &order"), mDateOrderBox);
    mMissingEdit = new QLineEdit(this);
    mMissingEdit->setObjectName(QStringLiteral("MissingEdit"));
    connect(mMissingEdit, &QLineEdit::textChanged, this, &TImportDialog::readTable);
    columnForm->addRow(QStringLiteral("Missing &value marker"), mMissingEdit);
    mDecimalBox = columnBox("DecimalBox");
    mDecimalBox->addItems({QStringLiteral("as found"), QStringLiteral("point (1,234 is 1234)"),
                           QStringLiteral("comma (1,234 is 1.234)")});
    columnForm->addRow(QStringLiteral("Decimal mar&k"), mDecimalBox);
    mIrregularBox =
        new QCheckBox(QStringLiteral("Irregular steps: a missing date is no &gap"), this);
    mIrregularBox->setObjectName(QStringLiteral("IrregularBox"));
    connect(mIrregularBox, &QCheckBox::toggled, this, &TImportDialog::updateImport);
    columnForm->addRow(QString(), mIrregularBox);
    return columns;
}

QGroupBox *TImportDialog::createFactorChoices()
{
    auto *factors = new QGroupBox(QStringLiteral("Factors and period"), this);
    auto *factorForm = new QFormLayout(factors);
    const char *const scaleNames[RoleCount] = {"", "RainScaleEdit", "EscapeScaleEdit",
                                               "RunoffScaleEdit"};
    for (int role = RoleRain; role < RoleCount; ++role) {
        mScaleEdits[role] = lineEdit(scaleNames[role], QStringLiteral("1"));
        if (role == RoleRunoff)
            connect(mScaleEdits[role], &QLineEdit::textEdited, this,
                    [this] { mFactorFromArea = false; });
        factorForm->addRow(QLatin1String(factorLabels[role]), mScaleEdits[role]);
    }
    QHBoxLayout *areaRow = createAreaRow();
    auto *areaLabel = new QLabel(QStringLiteral("Catc&hment area (km2)"), this);
    areaLabel->setBuddy(mAreaEdit);
    factorForm->addRow(areaLabel, areaRow);
    mRunoffUnitBox = new QComboBox(this);
    mRunoffUnitBox->setObjectName(QStringLiteral("RunoffUnitBox"));
    mRunoffUnitBox->addItems({QStringLiteral("as the file says (else unchanged)"),
                              QStringLiteral("mm"), QStringLiteral("l/s"), QStringLiteral("m3/s"),
                              QStringLiteral("cfs")});
    connect(mRunoffUnitBox, &QComboBox::currentIndexChanged, this, [this] {
        if (mFilling)
            return;
        mUnitFromFile = false;
        readTable();
    });
    factorForm->addRow(QStringLiteral("Runoff uni&t"), mRunoffUnitBox);
    mUnitSourceLabel = new QLabel(this);
    mUnitSourceLabel->setObjectName(QStringLiteral("UnitSourceLabel"));
    mUnitSourceLabel->setWordWrap(true);
    factorForm->addRow(QString(), mUnitSourceLabel);
    mFromEdit = lineEdit("FromEdit", QString());
    mToEdit = lineEdit("ToEdit", QString());
    mFromEdit->setPlaceholderText(QStringLiteral("first date (empty: longest gap-free stretch)"));
    mToEdit->setPlaceholderText(QStringLiteral("last date"));
    factorForm->addRow(QStringLiteral("&From"), mFromEdit);
    factorForm->addRow(QStringLiteral("To"), mToEdit);
    QHBoxLayout *seasonRow = createSeasonRow();
    auto *seasonLabel = new QLabel(QStringLiteral("&Season"), this);
    seasonLabel->setBuddy(mSeasonEdit);
    factorForm->addRow(seasonLabel, seasonRow);
    return factors;
}

QHBoxLayout *TImportDialog::createAreaRow()
{
    mAreaEdit = new QLineEdit(this);
    mAreaEdit->setObjectName(QStringLiteral("AreaEdit"));
    // Room for an area such as 1234.567 km2 beside the unit and the button.
    mAreaEdit->setMinimumWidth(
        mAreaEdit->fontMetrics().horizontalAdvance(QStringLiteral("0000.0000")) + 16);
    mAreaUnitBox = new QComboBox(this);
    mAreaUnitBox->setObjectName(QStringLiteral("AreaUnitBox"));
    mAreaUnitBox->addItems({QStringLiteral("runoff in l/s"), QStringLiteral("runoff in m3/s")});
    mFactorButton = new QPushButton(QStringLiteral("Runoff f&actor"), this);
    mFactorButton->setObjectName(QStringLiteral("FactorButton"));
    connect(mFactorButton, &QPushButton::clicked, this, &TImportDialog::setRunoffFactor);
    // An area converts the runoff of a unit chosen or named by the file.
    connect(mAreaEdit, &QLineEdit::textEdited, this, [this] {
        mAreaFromFile = false;
        readTable();
    });
    auto *area = new QHBoxLayout;
    area->addWidget(mAreaEdit);
    area->addWidget(mAreaUnitBox);
    area->addWidget(mFactorButton);
    return area;
}

void TImportDialog::createButtons()
{
    mSummary = new QPlainTextEdit(this);
    mSummary->setObjectName(QStringLiteral("SummaryMemo"));
    mSummary->setReadOnly(true);
    mSummary->setMinimumHeight(80);
    mSummary->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    layout()->addWidget(mSummary);
    auto *note = new QLabel(QLatin1String(UnitsNote), this);
    note->setObjectName(QStringLiteral("UnitsLabel"));
    note->setWordWrap(true);
    layout()->addWidget(note);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    mImportButton = new QPushButton(QStringLiteral("Import"), this);
    mImportButton->setObjectName(QStringLiteral("ImportButton"));
    mImportButton->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(mImportButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(mImportButton);
    buttons->addWidget(cancel);
    static_cast<QVBoxLayout *>(layout())->addLayout(buttons);
}

// ---- Reading ---------------------------------------------------------------------------------

void TImportDialog::readTable()
{
    UCsvSources::TSourceRequest request;
    request.Main = {mFileName.toStdString(), mContent, {}};
    request.Missing = mMissingEdit->text().trimmed().toStdString();
    request.Analysis = analysisChosen();
    request.GivenIn = GivenInDialog;
    const int secondRole = mSecondRoleBox ? mSecondRoleBox->currentIndex() : 0;
    if (secondRole > 0 && !mSecondName.isEmpty()) {
        request.Files[secondRole] = {
            QFileInfo(mSecondName).fileName().toStdString(), mSecondContent, {}};
        if (mSecondColumnBox->currentIndex() > 0)
            request.Files[secondRole].Column =
                std::to_string(mSecondColumnBox->currentIndex()); // position from 1
    }
    static const UCsvSources::TRunoffUnit units[] = {
        UCsvSources::TRunoffUnit::None, UCsvSources::TRunoffUnit::Mm,
        UCsvSources::TRunoffUnit::LitresPerSecond, UCsvSources::TRunoffUnit::CubicMetresPerSecond,
        UCsvSources::TRunoffUnit::CubicFeetPerSecond};
    if (!mUnitFromFile)
        request.Unit = units[qMax(0, mRunoffUnitBox->currentIndex())];
    double area = 0;
    if (!mAreaFromFile && StringToFloat(mAreaEdit->text(), area) && area > 0) {
        request.AreaKm2 = area;
        request.AreaGiven = true;
    }
    TImportProblem problem;
    mTableOk = UCsvSources::BuildFrame(request, mFrame, problem);
    if (mTableOk)
        mTable = mFrame.Table;
    fillPreview();
    fillColumnBoxes();
    showHeaderUnit();
    if (!mTableOk) {
        mImportOk = false;
        mImportButton->setEnabled(false);
        mSeasonsButton->setEnabled(false);
        mSummary->setPlainText(QString::fromStdString(importProblemText(problem)));
        return;
    }
    updateImport();
}

/// The unit and area a file names fill their boxes (the user's own stay), with where they
/// come from.
void TImportDialog::showHeaderUnit()
{
    QStringList from;
    if (mTableOk && !mFrame.UnitFrom.empty() && mFrame.UnitFrom != GivenInDialog) {
        mFilling = true;
        mRunoffUnitBox->setCurrentIndex(static_cast<int>(mFrame.Unit));
        mFilling = false;
        mUnitFromFile = true;
        from.append(QStringLiteral("Unit from %1.").arg(QString::fromStdString(mFrame.UnitFrom)));
    }
    if (mTableOk && !mFrame.AreaFrom.empty() && mFrame.AreaFrom != GivenInDialog) {
        mAreaFromFile = true;
        mAreaEdit->setText(QString::number(mFrame.AreaKm2, 'g', 12));
        from.append(QStringLiteral("Area from %1.").arg(QString::fromStdString(mFrame.AreaFrom)));
    }
    mUnitSourceLabel->setText(from.join(QLatin1Char(' ')));
}

void TImportDialog::fillPreview()
{
    showRows(mPreview, mTable, mTableOk ? PreviewRows : 0);
}

/// The column boxes list the file's columns, set to the guess for each; a table read again
/// with the same columns (another missing-value marker) keeps the columns chosen.
void TImportDialog::fillColumnBoxes()
{
    QStringList names;
    for (int c = 0; mTableOk && c < static_cast<int>(mTable.ColumnCount()); ++c)
        names.append(QString::fromStdString(mTable.ColumnName(c)).remove(QLatin1Char('\'')));
    std::array<int, RoleCount> chosen{-1, -1, -1, -1};
    bool same = !names.isEmpty();
    for (int role = 0; role < RoleCount; ++role) {
        QComboBox *box = mColumnBoxes[role];
        same = same && box->count() == names.size();
        for (int c = 0; same && c < box->count(); ++c)
            same = box->itemText(c) == names[c];
        chosen[role] = box->currentIndex();
    }
    if (!same) {
        chosen = mFrame.Columns;
        if (mTableOk)
            GuessColumns(mTable, true, chosen, mFrame.NotData);
    }
    mFilling = true;
    for (int role = 0; role < RoleCount; ++role) {
        QComboBox *box = mColumnBoxes[role];
        box->clear();
        box->addItems(names);
        box->setCurrentIndex(chosen[role]);
    }
    mFilling = false;
}

TImportOptions TImportDialog::currentOptions(QString &problem) const
{
    TImportOptions options;
    options.Analysis = analysisChosen();
    for (int role = 0; role < RoleCount; ++role)
        options.Columns[role] = mColumnBoxes[role]->currentIndex();
    if (!options.Analysis)
        options.Columns[RoleRunoff] = -1;
    options.Order = static_cast<TDateOrder>(mDateOrderBox->currentIndex());
    options.Missing = mMissingEdit->text().trimmed().toStdString();
    options.From = mFromEdit->text().trimmed().toStdString();
    options.To = mToEdit->text().trimmed().toStdString();
    for (int role = RoleRain; role < RoleCount; ++role)
        if (!StringToFloat(mScaleEdits[role]->text(), options.Scale[role]))
            problem = QStringLiteral("The %1 factor is not a number.")
                          .arg(QLatin1String(role == RoleEscape ? "escape rate" : RoleName(role)));
    options.Decimal = static_cast<TDecimalMark>(mDecimalBox->currentIndex());
    options.Irregular = mIrregularBox->isChecked();
    options.NotData = mFrame.NotData;
    const double factor = UCsvSources::RunoffFactor(
        mFrame.Unit, mFrame.AreaKm2, UCsvSources::TimeUnitSeconds(mFrame.StepSeconds));
    if (options.Analysis && factor > 0)
        options.Scale[RoleRunoff] *= factor;
    return options;
}

void TImportDialog::updateImport()
{
    if (mFilling || !mTableOk)
        return;
    mColumnBoxes[RoleRunoff]->setEnabled(analysisChosen());
    mScaleEdits[RoleRunoff]->setEnabled(analysisChosen());
    QString problem;
    const TImportOptions options = currentOptions(problem);
    std::string error;
    mImportOk = problem.isEmpty() && ImportSeries(mTable, options, mResult, error);
    QStringList lines;
    if (!problem.isEmpty())
        lines.append(problem);
    else if (!mImportOk)
        lines.append(QString::fromStdString(error));
    std::vector<std::string> notes = mFrame.Notes;
    if (mImportOk) {
        notes.insert(notes.end(), mResult.Notes.begin(), mResult.Notes.end());
        // A runoff converted from discharge no longer stays in the file's unit.
        std::replace(notes.begin(), notes.end(),
                     UCsvSources::UnitsNote(UCsvSources::TRunoffUnit::None),
                     UCsvSources::UnitsNote(mFrame.Unit));
        UCsvSources::NoteTaken(mFrame, mResult.Columns, {{mResult.First, mResult.Last}}, notes);
        if (options.Analysis) {
            double rain = 0, escape = 0, runoff = 0;
            for (std::size_t r = 0; r < mResult.Time.size(); ++r)
                rain += mResult.Rain[r], escape += mResult.Escape[r], runoff += mResult.Runoff[r];
            UCsvSources::NoteBalance(rain, escape, runoff, mResult.Time.size(), notes);
        }
        for (const std::string &note : notes)
            lines.append(QString::fromStdString(note));
    }
    mSummary->setPlainText(lines.join(QLatin1Char('\n')));
    mImportButton->setEnabled(mImportOk);
    mSeasonsButton->setEnabled(true);
    if (mImportOk && mFactorFromArea && QString::fromStdString(mResult.TimeUnit) != mFactorUnit)
        showRunoffFactor();
}

// ---- A second file and seasons -----------------------------------------------------------------

QGroupBox *TImportDialog::createSecondFileChoices()
{
    auto *group =
        new QGroupBox(QStringLiteral("A series from a second file, joined on the date"), this);
    auto *column = new QVBoxLayout(group);
    auto *form = new QFormLayout;
    mSecondRoleBox = new QComboBox(this);
    mSecondRoleBox->setObjectName(QStringLiteral("SecondRoleBox"));
    mSecondRoleBox->addItems({QStringLiteral("none"), QStringLiteral("rain"),
                              QStringLiteral("escape rate"), QStringLiteral("runoff")});
    mSecondRoleBox->setCurrentIndex(RoleRunoff);
    auto *pick = new QPushButton(QStringLiteral("Se&cond file..."), this);
    pick->setObjectName(QStringLiteral("SecondFileButton"));
    connect(pick, &QPushButton::clicked, this, &TImportDialog::pickSecondFile);
    mSecondFileLabel = new QLabel(QStringLiteral("(none)"), this);
    mSecondFileLabel->setObjectName(QStringLiteral("SecondFileLabel"));
    mSecondColumnBox = new QComboBox(this);
    mSecondColumnBox->setObjectName(QStringLiteral("SecondColumnBox"));
    // Wide enough for the names of the file's columns.
    mSecondColumnBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    mSecondColumnBox->addItem(QStringLiteral("(guess)"));
    const auto again = [this] {
        if (!mFilling)
            readTable();
    };
    connect(mSecondRoleBox, &QComboBox::currentIndexChanged, this, again);
    connect(mSecondColumnBox, &QComboBox::currentIndexChanged, this, again);
    form->addRow(QStringLiteral("Series"), mSecondRoleBox);
    form->addRow(pick, mSecondFileLabel);
    form->addRow(QStringLiteral("Column"), mSecondColumnBox);
    column->addLayout(form);
    mSecondPreview = new QTableWidget(this);
    mSecondPreview->setObjectName(QStringLiteral("SecondPreviewTable"));
    mSecondPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mSecondPreview->setTabKeyNavigation(false);
    mSecondPreview->verticalHeader()->setDefaultSectionSize(20);
    // Beside the choices: its rows fill what they leave.
    mSecondPreview->setMinimumHeight(80);
    mSecondPreview->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    column->addWidget(mSecondPreview, 1);
    return group;
}

QHBoxLayout *TImportDialog::createSeasonRow()
{
    mSeasonEdit = new QLineEdit(QStringLiteral("06-01..10-31"), this);
    mSeasonEdit->setObjectName(QStringLiteral("SeasonEdit"));
    // The whole season in view beside the spin-up and the button.
    mSeasonEdit->setMinimumWidth(
        mSeasonEdit->fontMetrics().horizontalAdvance(QStringLiteral("00-00..00-00")) + 16);
    mSpinupEdit = new QLineEdit(QStringLiteral("0"), this);
    mSpinupEdit->setObjectName(QStringLiteral("SpinupEdit"));
    mSpinupEdit->setMaximumWidth(60);
    mSeasonsButton = new QPushButton(QStringLiteral("Seasons to fo&lder..."), this);
    mSeasonsButton->setObjectName(QStringLiteral("SeasonsButton"));
    connect(mSeasonsButton, &QPushButton::clicked, this, &TImportDialog::pickSeasonsFile);
    auto *row = new QHBoxLayout;
    row->addWidget(mSeasonEdit);
    auto *spinupLabel = new QLabel(QStringLiteral("spin-up da&ys"), this);
    spinupLabel->setBuddy(mSpinupEdit);
    row->addWidget(spinupLabel);
    row->addWidget(mSpinupEdit);
    row->addWidget(mSeasonsButton);
    return row;
}

void TImportDialog::pickSecondFile()
{
    const QString name = Dialogs().OpenFileName(
        {QStringLiteral("Series files (*.csv *.txt *.tsv *.dat);;All files (*)"), QString(),
         QFileInfo(mFileName).absolutePath(), QStringLiteral("Second file")});
    if (name.isEmpty())
        return;
    std::string content;
    if (readWholeFile(name.toStdString(), content, MaxCsvBytes) != TReadStatus::Ok) {
        mSummary->setPlainText(QStringLiteral("The file \"%1\" could not be opened or is not a "
                                              "text file of a size to import.")
                                   .arg(name));
        return;
    }
    setSecondFile(qMax(1, mSecondRoleBox->currentIndex()), name, std::move(content));
}

void TImportDialog::setSecondFile(int role, const QString &fileName, std::string content)
{
    mSecondName = fileName;
    mSecondContent = std::move(content);
    UCsvTable::TextAsUtf8(mSecondContent);
    mFilling = true;
    mSecondRoleBox->setCurrentIndex(role);
    mSecondFileLabel->setText(QFileInfo(fileName).fileName());
    mFilling = false;
    fillSecondPreview();
    if (role == RoleRunoff) {
        // What the last file named is not this one's: the boxes keep only the user's own.
        mFilling = true;
        if (mAreaFromFile)
            mAreaEdit->clear();
        if (mUnitFromFile)
            mRunoffUnitBox->setCurrentIndex(0);
        mFilling = false;
        mAreaFromFile = mUnitFromFile = false;
    }
    readTable();
}

/// The second file's first rows as read, and its columns to choose from.
void TImportDialog::fillSecondPreview()
{
    TCsvTable table;
    std::string error;
    const bool ok = ReadCsvText(mSecondContent, table, error);
    const QStringList headers = showRows(mSecondPreview, table, ok ? PreviewRows / 2 : 0);
    mFilling = true;
    mSecondColumnBox->clear();
    mSecondColumnBox->addItem(QStringLiteral("(guess)"));
    mSecondColumnBox->addItems(headers);
    mFilling = false;
}

void TImportDialog::pickSeasonsFile()
{
    const QString name =
        Dialogs().SaveFileName({QStringLiteral("Input files (*.inp)"), QStringLiteral("inp"),
                                QFileInfo(mFileName).absolutePath(),
                                QStringLiteral("Seasons to folder: NAME.inp gives NAME-YYYY.inp")});
    if (!name.isEmpty())
        writeSeasons(name);
}

bool TImportDialog::splitSeasons(const TImportOptions &options, UCsvSeasons::TSeasons &seasons,
                                 std::string &error) const
{
    UCsvSeasons::TSeasonBounds bounds;
    int spinup = 0;
    UCsvImport::TSeries series;
    if (!parseInt(mSpinupEdit->text().trimmed().toStdString(), spinup)) {
        error = "The spin-up is a number of days.";
        return false;
    }
    const bool split =
        UCsvSeasons::ParseSeason(mSeasonEdit->text().toStdString(), bounds, error) &&
        ReadSeries(mTable, options, series, error) &&
        UCsvSeasons::SplitSeasons(mTable, options, series, bounds, spinup, seasons, error);
    if (!split && error.empty())
        error = "No season could be taken.";
    return split;
}

std::string
TImportDialog::writeSeasonFiles(const TImportOptions &options, const UCsvSeasons::TSeasons &seasons,
                                const QString &output,
                                std::vector<std::pair<std::string, std::string>> &files) const
{
    // The sheet's storages and parameters, as the sheet's own import keeps them.
    UImportedFile::TForm form;
    form.Analysis = options.Analysis;
    form.SourceName = QFileInfo(mFileName).fileName().toStdString();
    form.Unit = mFrame.Unit;
    form.Parameters.MaxStor = DMQuellow.MaxStor;
    form.Parameters.InitStor = DMQuellow.InitStor;
    form.Parameters.Drainage = !options.Analysis && DMQuellow.Drainage;
    form.Parameters.InitRun = DMQuellow.InitRun;
    form.Parameters.InitLevel = DMQuellow.InitLevel;
    form.Parameters.Porosity = DMQuellow.Porosity;
    form.Values = ModelValues;
    std::string failed;
    if (!UImportedFile::SeasonFiles(form, seasons, UOutputNames::AbsolutePath(output.toStdString()),
                                    files, failed))
        return CannotOpenText(failed);
    std::vector<UOutputNames::TNamedFile> reads{
        {"series file", UOutputNames::AbsolutePath(mFileName.toStdString())}};
    if (!mSecondName.isEmpty())
        reads.push_back({"second file", UOutputNames::AbsolutePath(mSecondName.toStdString())});
    std::string error = UImportedFile::SeasonCollision(files, reads);
    if (error.empty() && !writeFilesAtomically(files, failed))
        error = CannotOpenText(failed);
    return error;
}

bool TImportDialog::writeSeasons(const QString &output)
{
    QString problem;
    const TImportOptions options = currentOptions(problem);
    std::string error = problem.toStdString();
    UCsvSeasons::TSeasons seasons;
    std::vector<std::pair<std::string, std::string>> files;
    if (error.empty() && splitSeasons(options, seasons, error))
        error = writeSeasonFiles(options, seasons, output, files);
    if (!error.empty()) {
        mSummary->setPlainText(QString::fromStdString(error + " Nothing was written."));
        return false;
    }
    std::vector<std::string> lines =
        UImportedFile::SeasonReport(seasons, files, mSeasonEdit->text().trimmed().toStdString());
    lines.insert(lines.end(), seasons.Notes.begin(), seasons.Notes.end());
    if (seasons.SpinupDays > 0)
        lines.push_back(spinupNote(seasons));
    QStringList shown;
    for (const std::string &line : lines)
        shown.append(QString::fromStdString(line));
    mSummary->setPlainText(shown.join(QLatin1Char('\n')));
    return !files.empty();
}

void TImportDialog::setRunoffFactor()
{
    double area = 0;
    if (!StringToFloat(mAreaEdit->text(), area) || !(area > 0)) {
        mSummary->setPlainText(QStringLiteral("The catchment area is not a positive number."));
        return;
    }
    mFactorFromArea = true;
    mFactorArea = area;
    mFactorCubicMetres = mAreaUnitBox->currentIndex() == 1;
    showRunoffFactor();
}

/// The runoff factor of the area given, for the time unit of the series as now chosen.
void TImportDialog::showRunoffFactor()
{
    mFactorUnit = QString::fromStdString(mImportOk ? mResult.TimeUnit : "days");
    const double seconds = mFactorUnit == QLatin1String("hours")     ? 3600
                           : mFactorUnit == QLatin1String("minutes") ? 60
                                                                     : 86400;
    const double factor = DischargeFactor(mFactorArea, mFactorCubicMetres, seconds);
    mScaleEdits[RoleRunoff]->setText(QString::number(factor, 'g', 6));
}

} // namespace quellow
