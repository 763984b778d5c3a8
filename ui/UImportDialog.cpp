#include "ui/UImportDialog.h"

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

namespace quellow {

using namespace UCsvImport;

namespace {

/// Rows shown in the preview.
constexpr int PreviewRows = 12;

const char *const UnitsNote =
    "Units stay as in the file: the model expects rain, escape rate and runoff in mm per time "
    "unit. Give a factor to convert a column (with the catchment area, the runoff factor from "
    "l/s or m3/s).";

/// The column roles as the choices name them.
const char *const roleLabels[RoleCount] = {"Date", "Rain", "Escape rate", "Runoff"};

} // namespace

TImportDialog::TImportDialog(const QString &fileName, std::string content, QWidget *parent)
    : QDialog(parent), mContent(std::move(content))
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
    resize(780, 700);
    readTable();
}

TImportDialog::~TImportDialog() = default;

bool TImportDialog::analysisChosen() const
{
    return mModeBox->currentIndex() == 0;
}

void TImportDialog::createPreview()
{
    mPreview = new QTableWidget(this);
    mPreview->setObjectName(QStringLiteral("PreviewTable"));
    mPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mPreview->verticalHeader()->setDefaultSectionSize(20);
    mPreview->setMinimumHeight(180);
    layout()->addWidget(new QLabel(QStringLiteral("The first rows as read:"), this));
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
    static_cast<QVBoxLayout *>(layout())->addLayout(row);
}

QGroupBox *TImportDialog::createColumnChoices()
{
    auto *columns = new QGroupBox(QStringLiteral("Columns"), this);
    auto *columnForm = new QFormLayout(columns);
    mModeBox = columnBox("ModeBox");
    mModeBox->addItems({QStringLiteral("Analysis: date, rain, escape rate, runoff"),
                        QStringLiteral("Prediction: date, rain, escape rate")});
    columnForm->addRow(QStringLiteral("Mode"), mModeBox);
    const char *const names[RoleCount] = {"DateColumnBox", "RainColumnBox", "EscapeColumnBox",
                                          "RunoffColumnBox"};
    for (int role = 0; role < RoleCount; ++role) {
        mColumnBoxes[role] = columnBox(names[role]);
        columnForm->addRow(QLatin1String(roleLabels[role]), mColumnBoxes[role]);
    }
    mDateOrderBox = columnBox("DateOrderBox");
    mDateOrderBox->addItems({QStringLiteral("as found"), QStringLiteral("year-month-day"),
                             QStringLiteral("day.month.year"), QStringLiteral("month/day/year")});
    columnForm->addRow(QStringLiteral("Date order"), mDateOrderBox);
    mMissingEdit = new QLineEdit(this);
    mMissingEdit->setObjectName(QStringLiteral("MissingEdit"));
    connect(mMissingEdit, &QLineEdit::textChanged, this, &TImportDialog::readTable);
    columnForm->addRow(QStringLiteral("Missing value marker"), mMissingEdit);
    mDecimalBox = columnBox("DecimalBox");
    mDecimalBox->addItems({QStringLiteral("as found"), QStringLiteral("point (1,234 is 1234)"),
                           QStringLiteral("comma (1,234 is 1.234)")});
    columnForm->addRow(QStringLiteral("Decimal mark"), mDecimalBox);
    mIrregularBox =
        new QCheckBox(QStringLiteral("Irregular steps: a missing date is no gap"), this);
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
        factorForm->addRow(QString::fromLatin1(roleLabels[role]) + QStringLiteral(" factor"),
                           mScaleEdits[role]);
    }
    factorForm->addRow(QStringLiteral("Catchment area (km2)"), createAreaRow());
    mFromEdit = lineEdit("FromEdit", QString());
    mToEdit = lineEdit("ToEdit", QString());
    mFromEdit->setPlaceholderText(QStringLiteral("first date (empty: longest gap-free stretch)"));
    mToEdit->setPlaceholderText(QStringLiteral("last date"));
    factorForm->addRow(QStringLiteral("From"), mFromEdit);
    factorForm->addRow(QStringLiteral("To"), mToEdit);
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
    mFactorButton = new QPushButton(QStringLiteral("Runoff factor"), this);
    mFactorButton->setObjectName(QStringLiteral("FactorButton"));
    connect(mFactorButton, &QPushButton::clicked, this, &TImportDialog::setRunoffFactor);
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
    mSummary->setMinimumHeight(120);
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
    std::string error;
    mTableOk = ReadCsvText(mContent, mTable, error, mMissingEdit->text().trimmed().toStdString());
    fillPreview();
    fillColumnBoxes();
    if (!mTableOk) {
        mImportOk = false;
        mImportButton->setEnabled(false);
        mSummary->setPlainText(QString::fromStdString(error));
        return;
    }
    updateImport();
}

void TImportDialog::fillPreview()
{
    mPreview->clear();
    const int columns = mTableOk ? static_cast<int>(mTable.ColumnCount()) : 0;
    const int rows = mTableOk ? qMin<int>(PreviewRows, static_cast<int>(mTable.RowCount())) : 0;
    mPreview->setColumnCount(columns);
    mPreview->setRowCount(rows);
    QStringList headers, lines;
    for (int c = 0; c < columns; ++c)
        headers.append(QString::fromStdString(mTable.ColumnName(c)).remove(QLatin1Char('\'')));
    mPreview->setHorizontalHeaderLabels(headers);
    for (int r = 0; r < rows; ++r) {
        lines.append(QString::number(mTable.LineNumbers[r]));
        for (int c = 0; c < columns; ++c)
            mPreview->setItem(r, c,
                              new QTableWidgetItem(QString::fromStdString(std::string(mTable.Field(
                                  static_cast<std::size_t>(r), static_cast<std::size_t>(c))))));
    }
    mPreview->setVerticalHeaderLabels(lines);
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
        chosen = {-1, -1, -1, -1};
        if (mTableOk)
            GuessColumns(mTable, true, chosen);
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

std::array<double, RoleCount> TImportDialog::factors() const
{
    QString problem;
    return currentOptions(problem).Scale;
}

std::string TImportDialog::firstDateText() const
{
    const int column = mResult.Columns[RoleDate];
    if (!mImportOk || column < 0 || mResult.First >= mTable.RowCount() ||
        static_cast<std::size_t>(column) >= mTable.ColumnCount())
        return {};
    return std::string(mTable.Field(mResult.First, static_cast<std::size_t>(column)));
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
    for (const std::string &note : mImportOk ? mResult.Notes : std::vector<std::string>())
        lines.append(QString::fromStdString(note));
    mSummary->setPlainText(lines.join(QLatin1Char('\n')));
    mImportButton->setEnabled(mImportOk);
    if (mImportOk && mFactorFromArea && QString::fromStdString(mResult.TimeUnit) != mFactorUnit)
        showRunoffFactor();
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
