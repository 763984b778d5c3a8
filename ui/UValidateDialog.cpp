#include "ui/UValidateDialog.h"

#include "files/UDMQuellow.h"
#include "ui/UCalibrateForm.h"
#include "ui/UDialogs.h"
#include "ui/UImportSeries.h"
#include "ui/UValidationSource.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quellow {

namespace {

QPushButton *sideButton(const QString &text, const char *name, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    // Return in a box is "OK", not the button beside it.
    button->setAutoDefault(false);
    return button;
}

/// Where a file dialog starts: beside the file named, else in folder.
QString startFolder(const QString &source, const QString &folder)
{
    return source.trimmed().isEmpty() ? folder : QFileInfo(source.trimmed()).absolutePath();
}

/// The dates of an imported window: its first row, at its time as the input file holds it, is
/// on the first date taken; the times count in the import's unit.
UValidationCharts::TCalendar importedCalendar(const TImportedSeries &series,
                                              const URainRun::TAnalysisInput &window)
{
    UValidationCharts::TCalendar calendar;
    // In UTC from the start: a local time could fall in a skipped hour of summer time.
    const QString first = QString::fromStdString(series.Result.FirstDate);
    const QTime time =
        first.size() > 10 ? QTime::fromString(first.mid(11), QStringLiteral("hh:mm")) : QTime(0, 0);
    calendar.First = QDateTime(QDate::fromString(first.left(10), Qt::ISODate), time, Qt::UTC);
    const std::string &unit = series.Result.TimeUnit;
    calendar.UnitSeconds = unit == "hours" ? 3600 : unit == "minutes" ? 60 : 86400;
    if (window.Rows.empty())
        return {};
    calendar.FirstTime = window.Rows.front().Time;
    return calendar;
}

} // namespace

TValidateDialog::TValidateDialog(const TValidateChoices &choices, const TDMQuellow &importSheet,
                                 const QString &folder, QWidget *parent)
    : QDialog(parent), mImportSheet(importSheet), mFolder(folder), mImported(choices.Imported),
      mImportedCalendar(choices.ImportedCalendar), mImportedSource(choices.ImportedSource)
{
    setObjectName(QStringLiteral("ValidateDialog"));
    setWindowTitle(QStringLiteral("Validate"));
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(
        QStringLiteral("The sheet is calibrated and its alpha function and storages are tested "
                       "on another window of measured runoff, as a prediction would run it."),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto *form = new QFormLayout;
    createSourceRow(form, choices);
    createObjectiveRows(form, choices);
    createWarmupRows(form, choices);
    layout->addLayout(form);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OkButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TValidateDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    mSourceEdit->setFocus();
    mSourceEdit->selectAll();
}

/// The validation file, with the buttons that choose it and the note on an imported one.
void TValidateDialog::createSourceRow(QFormLayout *form, const TValidateChoices &choices)
{
    mSourceEdit = new QLineEdit(choices.Source, this);
    mSourceEdit->setObjectName(QStringLiteral("SourceEdit"));
    mSourceEdit->setMinimumWidth(360);
    mSourceEdit->setToolTip(QStringLiteral("An analysis input file, or a series file imported "
                                           "through Import series..."));
    auto *browse = sideButton(QStringLiteral("&Browse..."), "BrowseButton", this);
    auto *import = sideButton(QStringLiteral("&Import series..."), "ImportSeriesButton", this);
    import->setToolTip(QStringLiteral("Takes the validation window from a dated series file "
                                      "through the import preview"));
    auto *sourceRow = new QHBoxLayout;
    sourceRow->addWidget(mSourceEdit, 1);
    sourceRow->addWidget(browse);
    sourceRow->addWidget(import);
    auto *sourceLabel = new QLabel(QStringLiteral("&Validation file"), this);
    sourceLabel->setBuddy(mSourceEdit);
    form->addRow(sourceLabel, sourceRow);
    mSourceNote = new QLabel(this);
    mSourceNote->setObjectName(QStringLiteral("SourceNote"));
    form->addRow(QString(), mSourceNote);
    if (mImported)
        mImportedName = choices.Source;
    showImported();
    connect(browse, &QPushButton::clicked, this, &TValidateDialog::BrowseClick);
    connect(import, &QPushButton::clicked, this, &TValidateDialog::ImportClick);
    connect(mSourceEdit, &QLineEdit::textEdited, this, &TValidateDialog::sourceEdited);
}

/// The objective and the initial storage.
void TValidateDialog::createObjectiveRows(QFormLayout *form, const TValidateChoices &choices)
{
    mObjectiveBox = new QComboBox(this);
    mObjectiveBox->setObjectName(QStringLiteral("ObjectiveComboBox"));
    for (UCalibration::TObjective o : WindowObjectives) {
        mObjectiveBox->addItem(objectiveCaption(o), static_cast<int>(o));
        if (o == choices.Objective)
            mObjectiveBox->setCurrentIndex(mObjectiveBox->count() - 1);
    }
    mObjectiveBox->setToolTip(QStringLiteral("What the calibration of the sheet maximises, and "
                                             "the self benchmark's calibration too"));
    auto *objectiveLabel = new QLabel(QStringLiteral("&Objective"), this);
    objectiveLabel->setBuddy(mObjectiveBox);
    form->addRow(objectiveLabel, mObjectiveBox);

    mInitStorageBox = new QComboBox(this);
    mInitStorageBox->setObjectName(QStringLiteral("InitStorageComboBox"));
    mInitStorageBox->setEditable(true);
    mInitStorageBox->setInsertPolicy(QComboBox::NoInsert);
    mInitStorageBox->addItems({QStringLiteral("cal"), QStringLiteral("full")});
    mInitStorageBox->setCurrentText(choices.InitStorage);
    mInitStorageBox->setMinimumWidth(100);
    mInitStorageBox->setToolTip(QStringLiteral(
        "The dead storage the validation window starts from: cal, the sheet's "
        "initial storage; full, the maximum storage; or a storage in mm, 0 for an empty "
        "start and at most the maximum storage"));
    auto *storageRow = new QHBoxLayout;
    storageRow->addWidget(mInitStorageBox);
    storageRow->addWidget(new QLabel(QStringLiteral("cal, full or mm"), this));
    storageRow->addStretch();
    auto *storageLabel = new QLabel(QStringLiteral("Initial &storage"), this);
    storageLabel->setBuddy(mInitStorageBox);
    form->addRow(storageLabel, storageRow);
}

/// The warm-up, and the escape factor of a validation without calibration.
void TValidateDialog::createWarmupRows(QFormLayout *form, const TValidateChoices &choices)
{
    mWarmupEdit = new QLineEdit(choices.Warmup, this);
    mWarmupEdit->setObjectName(QStringLiteral("WarmupEdit"));
    mWarmupEdit->setMaximumWidth(80);
    mWarmupEdit->setToolTip(QStringLiteral("Rows of the validation window left out of the "
                                           "figures after the first, while the storage settles"));
    auto *warmupLabel = new QLabel(QStringLiteral("&Warm-up rows"), this);
    warmupLabel->setBuddy(mWarmupEdit);
    form->addRow(warmupLabel, mWarmupEdit);

    mNoCalibrationBox = new QCheckBox(
        QStringLiteral("&No calibration: the sheet's parameters as they stand"), this);
    mNoCalibrationBox->setObjectName(QStringLiteral("NoCalibrationCheckBox"));
    mNoCalibrationBox->setChecked(choices.NoCalibration);
    form->addRow(QString(), mNoCalibrationBox);
    mEscapeFactorEdit = new QLineEdit(choices.EscapeFactor, this);
    mEscapeFactorEdit->setObjectName(QStringLiteral("EscapeFactorEdit"));
    mEscapeFactorEdit->setMaximumWidth(80);
    mEscapeFactorEdit->setToolTip(
        QStringLiteral("Without calibration, the factor on the validation window's escape rates"));
    auto *factorLabel = new QLabel(QStringLiteral("&Escape factor"), this);
    factorLabel->setBuddy(mEscapeFactorEdit);
    form->addRow(factorLabel, mEscapeFactorEdit);
    auto showFactor = [this, factorLabel] {
        mEscapeFactorEdit->setEnabled(mNoCalibrationBox->isChecked());
        factorLabel->setEnabled(mNoCalibrationBox->isChecked());
    };
    showFactor();
    connect(mNoCalibrationBox, &QCheckBox::toggled, this, showFactor);
}

TValidateChoices TValidateDialog::choices() const
{
    TValidateChoices c;
    c.Source = mSourceEdit->text();
    c.Imported = mImported;
    c.ImportedCalendar = mImportedCalendar;
    c.ImportedSource = mImportedSource;
    c.Objective = static_cast<UCalibration::TObjective>(mObjectiveBox->currentData().toInt());
    c.InitStorage = mInitStorageBox->currentText();
    c.Warmup = mWarmupEdit->text();
    c.NoCalibration = mNoCalibrationBox->isChecked();
    c.EscapeFactor = mEscapeFactorEdit->text();
    return c;
}

void TValidateDialog::showImported()
{
    mSourceNote->setText(
        mImported
            ? QStringLiteral("Imported: %1 rows, as Save/Run would write them")
                  .arg(mImported->Rows.size())
            : QStringLiteral("An analysis input file, or Import series... for a series file"));
}

void TValidateDialog::sourceEdited()
{
    // A name typed over the imported file's is an input file to read.
    if (mImported && mSourceEdit->text() != mImportedName) {
        mImported.reset();
        showImported();
    }
}

void TValidateDialog::BrowseClick()
{
    const QString name = Dialogs().OpenFileName(
        {QStringLiteral("Input files (*.inp)"), QStringLiteral("inp"),
         startFolder(mSourceEdit->text(), mFolder), QStringLiteral("Validation file")});
    if (name.isEmpty())
        return;
    mImported.reset();
    mSourceEdit->setText(name);
    showImported();
}

void TValidateDialog::ImportClick()
{
    TImportedSeries series;
    if (!askImportSeries(this, startFolder(mSourceEdit->text(), mFolder), true, mImportSheet,
                         series))
        return;
    // The window as the sheet would hold it after File > "Import series...", written by
    // Save/Run and read back.
    TDMQuellow sheet = mImportSheet;
    fillImportedSheet(series, sheet);
    auto input = std::make_shared<URainRun::TAnalysisInput>();
    if (!analysisInputAsSaved(sheet, series.FileName.toStdString(), *input))
        return;
    mImported = std::move(input);
    mImportedName = series.FileName;
    mImportedCalendar = importedCalendar(series, *mImported);
    mImportedSource = importedWindowText(series);
    mSourceEdit->setText(series.FileName);
    showImported();
    mSourceEdit->setFocus();
}

bool TValidateDialog::readOptions()
{
    UValidation::TOptions options;
    options.Objective = static_cast<UCalibration::TObjective>(mObjectiveBox->currentData().toInt());
    options.Calibrate = !mNoCalibrationBox->isChecked();
    std::string message;
    auto read = [&](UValidation::TOption option, QWidget *box, const QString &text,
                    const char *name) {
        if (UValidation::ReadOption(option, text.trimmed().toStdString(), name, options, message))
            return true;
        Dialogs().ShowMessage(message);
        box->setFocus();
        return false;
    };
    if (!read(UValidation::TOption::InitStorage, mInitStorageBox, mInitStorageBox->currentText(),
              "The initial storage") ||
        !read(UValidation::TOption::Warmup, mWarmupEdit, mWarmupEdit->text(), "The warm-up") ||
        (!options.Calibrate && !read(UValidation::TOption::EscapeFactor, mEscapeFactorEdit,
                                     mEscapeFactorEdit->text(), "The escape factor")))
        return false;
    if (const std::string above =
            UValidation::GivenStorageAboveMaximum(options, mImportSheet.MaxStor);
        !above.empty()) {
        Dialogs().ShowMessage(above);
        mInitStorageBox->setFocus();
        return false;
    }
    mOptions = options;
    return true;
}

bool TValidateDialog::readSource()
{
    const QString source = mSourceEdit->text().trimmed();
    if (source.isEmpty()) {
        Dialogs().ShowMessage("Give the validation file: an analysis input file, or a series "
                              "file through Import series...");
        mSourceEdit->setFocus();
        return false;
    }
    if (mImported) {
        mInput = mImported;
        mFile = mImportedName.toStdString();
        return true;
    }
    auto input = std::make_shared<URainRun::TAnalysisInput>();
    std::string message;
    if (!UValidation::ReadWindow(source.toStdString(), "validation", *input, message)) {
        Dialogs().ShowMessage(message);
        mSourceEdit->setFocus();
        return false;
    }
    mInput = std::move(input);
    mFile = source.toStdString();
    return true;
}

void TValidateDialog::accept()
{
    if (!readOptions() || !readSource())
        return;
    // A warm-up too long for the window is a bad value of the field, as the others are.
    const std::string problem =
        UValidation::WarmupProblem(mInput->Rows.size(), mOptions.Warmup, mFile);
    if (!problem.empty()) {
        Dialogs().ShowMessage(problem);
        mWarmupEdit->setFocus();
        mWarmupEdit->selectAll();
        return;
    }
    QDialog::accept();
}

} // namespace quellow
