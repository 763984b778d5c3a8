#include "ui/UImportDialog.h"

#include "import/UCsvSeasons.h"
#include "import/UImportedFile.h"
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
    "unit. Give a factor to convert a column; the runoff converts from its unit (with the "
    "catchment area for l/s, m3/s or cfs).";

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
               "\" is not a discharge (mm, mm/d, mm/h, l/s, m3/s or cfs); give the runoff's unit "
               "in the "
               "dialog.";
    if (problem.Kind == TImportProblem::TKind::UnitsDisagree)
        return "In " + problem.File + ", " + UCsvTable::LineText(problem.Line) + " and " +
               UCsvTable::LineText(problem.OtherLine) + " name two units of the runoff, \"" +
               problem.Item + "\" and \"" + problem.OtherItem +
               "\": choose the runoff's unit in the dialog.";
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
        factorForm->addRow(QLatin1String(factorLabels[role]), mScaleEdits[role]);
    }
    QHBoxLayout *areaRow = createAreaRow();
    auto *areaLabel = new QLabel(QStringLiteral("Catc&hment area (km2)"), this);
    areaLabel->setBuddy(mAreaEdit);
    factorForm->addRow(areaLabel, areaRow);
    mRunoffUnitBox = new QComboBox(this);
    mRunoffUnitBox->setObjectName(QStringLiteral("RunoffUnitBox"));
    // In the order of UCsvSources::TRunoffUnit.
    mRunoffUnitBox->addItems({QStringLiteral("as the file says (else unchanged)"),
                              QStringLiteral("mm"), QStringLiteral("l/s"), QStringLiteral("m3/s"),
                              QStringLiteral("cfs"), QStringLiteral("mm/d"),
                              QStringLiteral("mm/h")});
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
    static const UCsvSources::TRunoffUnit units[] = {UCsvSources::TRunoffUnit::None,
                                                     UCsvSources::TRunoffUnit::Mm,
                                                     UCsvSources::TRunoffUnit::LitresPerSecond,
                                                     UCsvSources::TRunoffUnit::CubicMetresPerSecond,
                                                     UCsvSources::TRunoffUnit::CubicFeetPerSecond,
                                                     UCsvSources::TRunoffUnit::MmPerDay,
                                                     UCsvSources::TRunoffUnit::MmPerHour};
    if (!mUnitFromFile)
        request.Unit = units[qMax(0, mRunoffUnitBox->currentIndex())];
    double area = 0;
    if (!mAreaFromFile && StringToFloat(mAreaEdit->text(), area) && area > 0) {
        request.AreaKm2 = area;
        request.AreaGiven = true;
    }
    TImportProblem problem;
    mTableOk = UCsvSources::BuildFrame(request, mRead.Frame, problem);
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
    if (mTableOk && !mRead.Frame.UnitFrom.empty() && mRead.Frame.UnitFrom != GivenInDialog) {
        mFilling = true;
        mRunoffUnitBox->setCurrentIndex(static_cast<int>(mRead.Frame.Unit));
        mFilling = false;
        mUnitFromFile = true;
        from.append(
            QStringLiteral("Unit from %1.").arg(QString::fromStdString(mRead.Frame.UnitFrom)));
    }
    if (mTableOk && !mRead.Frame.AreaFrom.empty() && mRead.Frame.AreaFrom != GivenInDialog) {
        mAreaFromFile = true;
        mAreaEdit->setText(QString::number(mRead.Frame.AreaKm2, 'g', 12));
        from.append(
            QStringLiteral("Area from %1.").arg(QString::fromStdString(mRead.Frame.AreaFrom)));
    }
    mUnitSourceLabel->setText(from.join(QLatin1Char(' ')));
}

void TImportDialog::fillPreview()
{
    showRows(mPreview, mRead.Frame.Table, mTableOk ? PreviewRows : 0);
}

/// The column boxes list the file's columns, set to the guess for each; a table read again
/// with the same columns (another missing-value marker) keeps the columns chosen.
void TImportDialog::fillColumnBoxes()
{
    QStringList names;
    for (int c = 0; mTableOk && c < static_cast<int>(mRead.Frame.Table.ColumnCount()); ++c)
        names.append(
            QString::fromStdString(mRead.Frame.Table.ColumnName(c)).remove(QLatin1Char('\'')));
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
        chosen = mRead.Frame.Columns;
        if (mTableOk)
            GuessColumns(mRead.Frame.Table, true, chosen, mRead.Frame.NotData);
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
    return options;
}

void TImportDialog::updateImport()
{
    if (mFilling || !mTableOk)
        return;
    mColumnBoxes[RoleRunoff]->setEnabled(analysisChosen());
    mScaleEdits[RoleRunoff]->setEnabled(analysisChosen());
    // One conversion: the button sets a unit and an area only while none is in force.
    const bool noUnit = mRead.Frame.Unit == UCsvSources::TRunoffUnit::None && analysisChosen();
    mFactorButton->setEnabled(noUnit);
    mAreaUnitBox->setEnabled(noUnit);
    mFactorButton->setToolTip(noUnit ? QStringLiteral("Converts the runoff from this unit over "
                                                      "the catchment area")
                                     : QStringLiteral("The runoff unit in force converts the "
                                                      "runoff"));
    QString problem;
    const TImportOptions options = currentOptions(problem);
    std::string error;
    std::vector<std::string> report;
    mImportOk = problem.isEmpty() && UImportPipeline::ReadSeries(mRead, options, error) &&
                UImportPipeline::TakePeriod(mRead, mResult, report, error);
    QStringList lines;
    if (!problem.isEmpty())
        lines.append(problem);
    else if (!mImportOk)
        lines.append(QString::fromStdString(error));
    else
        for (const std::string &note : report)
            lines.append(QString::fromStdString(note));
    mSummary->setPlainText(lines.join(QLatin1Char('\n')));
    mImportButton->setEnabled(mImportOk);
    mSeasonsButton->setEnabled(true);
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

bool TImportDialog::splitSeasons(UCsvSeasons::TSeasons &seasons, std::string &error)
{
    QString problem;
    const TImportOptions options = currentOptions(problem);
    UCsvSeasons::TSeasonBounds bounds;
    int spinup = 0;
    error = problem.toStdString();
    if (error.empty() && !parseInt(mSpinupEdit->text().trimmed().toStdString(), spinup))
        error = "The spin-up is a number of days.";
    if (!error.empty())
        return false;
    const bool split = UCsvSeasons::ParseSeason(mSeasonEdit->text().toStdString(), bounds, error) &&
                       UImportPipeline::ReadSeries(mRead, options, error) &&
                       UImportPipeline::TakeSeasons(mRead, bounds, spinup, seasons, error);
    if (!split && error.empty())
        error = "No season could be taken.";
    return split;
}

bool TImportDialog::writeSeasons(const QString &output)
{
    UCsvSeasons::TSeasons seasons;
    std::string error;
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<std::string> lines;
    if (mTableOk && splitSeasons(seasons, error)) {
        lines = UImportPipeline::SeasonsReport(mRead, seasons, spinupNote(seasons));
        UImportPipeline::TSeasonWrite write{
            mForm,
            UOutputNames::AbsolutePath(output.toStdString()),
            {{"series file", UOutputNames::AbsolutePath(mFileName.toStdString())}},
            false};
        write.Form.Analysis = analysisChosen();
        write.Form.SourceName = QFileInfo(mFileName).fileName().toStdString();
        write.Form.Unit = mRead.Frame.Unit;
        write.Form.Parameters.Drainage = !write.Form.Analysis && mForm.Parameters.Drainage;
        if (!mSecondName.isEmpty())
            write.Reads.push_back(
                {"second file", UOutputNames::AbsolutePath(mSecondName.toStdString())});
        TImportProblem problem;
        bool written = UImportPipeline::WriteSeasons(
            write, seasons, mSeasonEdit->text().trimmed().toStdString(), files, lines, problem);
        if (!written && problem.Kind == TImportProblem::TKind::OtherSeasonFiles &&
            Dialogs().Confirm("The folder of " + output.toStdString() +
                              " holds season files this import does not write: " + problem.Item +
                              ". Replace them?")) {
            write.ReplaceOthers = true;
            written = UImportPipeline::WriteSeasons(
                write, seasons, mSeasonEdit->text().trimmed().toStdString(), files, lines, problem);
        }
        if (!written)
            error = problem.Kind == TImportProblem::TKind::OtherSeasonFiles
                        ? "The folder of " + output.toStdString() +
                              " holds season files this import does not write: " + problem.Item +
                              "."
                        : problem.Text;
    } else if (error.empty()) {
        error = "No season could be taken.";
    }
    if (!error.empty()) {
        mSummary->setPlainText(QString::fromStdString(error + " Nothing was written."));
        return false;
    }
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
    // The unit of the area's box, converted over the area, as if chosen in "Runoff unit".
    mFilling = true;
    mRunoffUnitBox->setCurrentIndex(mAreaUnitBox->currentIndex() == 1 ? 3 : 2);
    mFilling = false;
    mUnitFromFile = mAreaFromFile = false;
    readTable();
}

} // namespace quellow
