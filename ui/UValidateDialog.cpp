#include "ui/UValidateDialog.h"

#include "files/UDMQuellow.h"
#include "ui/UCalibrateForm.h"
#include "ui/UDialogs.h"
#include "ui/UImportSeries.h"
#include "ui/UJointCalibrateDialog.h"
#include "ui/USearchControls.h"
#include "ui/UValidationSource.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

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
    createModeRows(layout, choices);
    auto *form = new QFormLayout;
    createSourceRow(form, choices);
    createJointRows(form, choices);
    createObjectiveRows(form, choices);
    createWarmupRows(form, choices);
    layout->addLayout(form);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OkButton"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TValidateDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    showMode();
    QLineEdit *first = mLeaveOneOutRadio->isChecked() ? mFolderEdit : mSourceEdit;
    first->setFocus();
    first->selectAll();
}

/// The choice between the sheet validated on a file and leave one out over a folder.
void TValidateDialog::createModeRows(QVBoxLayout *layout, const TValidateChoices &choices)
{
    mIntro = new QLabel(this);
    mIntro->setObjectName(QStringLiteral("IntroLabel"));
    mIntro->setWordWrap(true);
    layout->addWidget(mIntro);
    mPairRadio =
        new QRadioButton(QStringLiteral("&Pair: the sheet, validated on another file"), this);
    mPairRadio->setObjectName(QStringLiteral("PairModeRadio"));
    mLeaveOneOutRadio =
        new QRadioButton(QStringLiteral("&Leave one out over a folder of season files"), this);
    mLeaveOneOutRadio->setObjectName(QStringLiteral("LeaveOneOutRadio"));
    (choices.LeaveOneOut ? mLeaveOneOutRadio : mPairRadio)->setChecked(true);
    auto *modes = new QHBoxLayout;
    modes->addWidget(mPairRadio);
    modes->addWidget(mLeaveOneOutRadio);
    modes->addStretch();
    layout->addLayout(modes);
    connect(mLeaveOneOutRadio, &QRadioButton::toggled, this, &TValidateDialog::showMode);
}

/// The folder of season files and the rolling count of leave one out.
void TValidateDialog::createJointRows(QFormLayout *form, const TValidateChoices &choices)
{
    mFolderEdit = new QLineEdit(choices.Folder, this);
    mFolderEdit->setObjectName(QStringLiteral("FolderEdit"));
    mFolderEdit->setToolTip(QStringLiteral("The folder of the season files: its analysis input "
                                           "files (*.inp) in the order of their names"));
    auto *browse = sideButton(QStringLiteral("Browse fol&der..."), "BrowseFolderButton", this);
    auto *row = new QHBoxLayout;
    row->addWidget(mFolderEdit, 1);
    row->addWidget(browse);
    auto *label = new QLabel(QStringLiteral("Season &folder"), this);
    label->setBuddy(mFolderEdit);
    form->addRow(label, row);
    connect(browse, &QPushButton::clicked, this, &TValidateDialog::BrowseFolderClick);

    mRollingBox =
        new QCheckBox(QStringLiteral("&Rolling: on the windows before it, this many"), this);
    mRollingBox->setObjectName(QStringLiteral("RollingCheckBox"));
    mRollingBox->setChecked(choices.Rolling);
    mRollingBox->setToolTip(QStringLiteral("Each window is tested on the joint calibration of "
                                           "the windows just before it instead of all others"));
    mRollingEdit = new QLineEdit(choices.RollingCount, this);
    mRollingEdit->setObjectName(QStringLiteral("RollingEdit"));
    mRollingEdit->setMaximumWidth(60);
    auto *rollingRow = new QHBoxLayout;
    rollingRow->addWidget(mRollingBox);
    rollingRow->addWidget(mRollingEdit);
    rollingRow->addStretch();
    form->addRow(QString(), rollingRow);
    auto showRolling = [this] {
        mRollingEdit->setEnabled(mRollingBox->isEnabled() && mRollingBox->isChecked());
    };
    connect(mRollingBox, &QCheckBox::toggled, this, showRolling);
    mJointWidgets = {label, mFolderEdit, browse, mRollingBox};
}

void TValidateDialog::showMode()
{
    const bool joint = mLeaveOneOutRadio->isChecked();
    mIntro->setText(
        joint ? QStringLiteral("Each season file of the folder is tested on the joint calibration "
                               "of the others (or of those just before it), beside the "
                               "benchmarks; the sheet is not used.")
              : QStringLiteral("The sheet is calibrated and its alpha function and storages are "
                               "tested on another window of measured runoff, as a prediction "
                               "would run it."));
    // Each window of leave one out starts from the calibrated filling fraction or full.
    mInitStorageHint->setText(joint ? QStringLiteral("cal or full")
                                    : QStringLiteral("cal, full or mm"));
    for (QWidget *w : mPairWidgets)
        w->setEnabled(!joint);
    for (QWidget *w : mJointWidgets)
        w->setEnabled(joint);
    mRollingEdit->setEnabled(joint && mRollingBox->isChecked());
    mEscapeFactorEdit->setEnabled(!joint && mNoCalibrationBox->isChecked());
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
    mPairWidgets = {sourceLabel, mSourceEdit, browse, import, mSourceNote};
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
    mInitStorageHint = new QLabel(this);
    storageRow->addWidget(mInitStorageHint);
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
        const bool shown = mNoCalibrationBox->isEnabled() && mNoCalibrationBox->isChecked();
        mEscapeFactorEdit->setEnabled(shown);
        factorLabel->setEnabled(shown);
    };
    showFactor();
    connect(mNoCalibrationBox, &QCheckBox::toggled, this, showFactor);
    connect(mLeaveOneOutRadio, &QRadioButton::toggled, this, showFactor);
    mPairWidgets.push_back(mNoCalibrationBox);

    mRobustAlphaBox = USearchControls::RobustAlphaBox(this, choices.RobustAlpha);
    form->addRow(QString(), mRobustAlphaBox);
    mEvaluationsEdit = USearchControls::AddEvaluationsRow(
        this, form, choices.Evaluations,
        QStringLiteral("How many parameter sets each calibration evaluates"));
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
    c.RobustAlpha = mRobustAlphaBox->isChecked();
    c.Evaluations = mEvaluationsEdit->text();
    c.LeaveOneOut = mLeaveOneOutRadio->isChecked();
    c.Folder = mFolderEdit->text();
    c.Rolling = mRollingBox->isChecked();
    c.RollingCount = mRollingEdit->text();
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
    options.RobustAlpha = mRobustAlphaBox->isChecked();
    std::string message;
    if (!ReadEvaluations(mEvaluationsEdit->text(), options.Evaluations, message)) {
        Dialogs().ShowMessage(message);
        mEvaluationsEdit->setFocus();
        mEvaluationsEdit->selectAll();
        return false;
    }
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

void TValidateDialog::BrowseFolderClick()
{
    const QString name = Dialogs().FolderName(
        {QString(), QString(),
         mFolderEdit->text().trimmed().isEmpty() ? mFolder : mFolderEdit->text().trimmed(),
         QStringLiteral("Season folder")});
    if (!name.isEmpty())
        mFolderEdit->setText(name);
}

QStringList seasonFiles(const QString &folder)
{
    QStringList files;
    const QDir dir(folder);
    // As quellow-cli takes a folder: the extension in any case, the files an earlier calibration
    // wrote there left out.
    for (const QString &name : dir.entryList({QStringLiteral("*.inp")}, QDir::Files))
        if (!name.toLower().endsWith(QLatin1String("-calibrated.inp")) &&
            !name.endsWith(QLatin1String("-joint.inp")))
            files << dir.filePath(name);
    // By name as the bytes spell it, whatever the locale.
    std::sort(files.begin(), files.end(),
              [](const QString &a, const QString &b) { return a.toUtf8() < b.toUtf8(); });
    return files;
}

bool TValidateDialog::readJointOptions()
{
    UJointValidation::TOptions options;
    UJointCalibration::TOptions &joint = options.Joint;
    std::string message;
    auto refuse = [](const std::string &text, QWidget *box) {
        Dialogs().ShowMessage(text);
        box->setFocus();
        if (auto *edit = qobject_cast<QLineEdit *>(box))
            edit->selectAll();
        return false;
    };
    joint.Objective = static_cast<UCalibration::TObjective>(mObjectiveBox->currentData().toInt());
    if (joint.Objective == UCalibration::TObjective::RSquare)
        return refuse("Leave one out calibrates for the NSE or the KGE of the simulations: R "
                      "square is no figure of windows together.",
                      mObjectiveBox);
    const QString storage = mInitStorageBox->currentText().trimmed();
    if (storage == QLatin1String("cal"))
        joint.InitStorage = UJointCalibration::TInitStorage::Fraction;
    else if (storage == QLatin1String("full"))
        joint.InitStorage = UJointCalibration::TInitStorage::Full;
    else
        return refuse("In leave one out the initial storage is cal (the calibrated filling "
                      "fraction of every window) or full.",
                      mInitStorageBox);
    UValidation::TOptions read;
    if (!UValidation::ReadOption(UValidation::TOption::Warmup,
                                 mWarmupEdit->text().trimmed().toStdString(), "The warm-up", read,
                                 message))
        return refuse(message, mWarmupEdit);
    joint.Warmup = read.Warmup;
    joint.RobustAlpha = mRobustAlphaBox->isChecked();
    if (!ReadEvaluations(mEvaluationsEdit->text(), joint.Evaluations, message))
        return refuse(message, mEvaluationsEdit);
    if (mRollingBox->isChecked()) {
        bool ok = false;
        options.Rolling = mRollingEdit->text().trimmed().toInt(&ok);
        if (!ok || options.Rolling < 1)
            return refuse("The rolling count needs a whole number of 1 or more.", mRollingEdit);
    }
    mJointOptions = options;
    return true;
}

bool TValidateDialog::readFolder()
{
    const QString folder = mFolderEdit->text().trimmed();
    auto refuse = [this](const std::string &text) {
        Dialogs().ShowMessage(text);
        mFolderEdit->setFocus();
        mFolderEdit->selectAll();
        return false;
    };
    if (folder.isEmpty())
        return refuse("Give the folder of the season files (analysis input files).");
    if (!QFileInfo(folder).isDir())
        return refuse("The folder \"" + folder.toStdString() + "\" does not exist.");
    const QStringList files = seasonFiles(folder);
    if (files.isEmpty())
        return refuse("The folder \"" + folder.toStdString() +
                      "\" holds no analysis input files (*.inp).");
    std::vector<UJointCalibration::TWindow> windows;
    for (const QString &file : files) {
        UJointCalibration::TWindow window;
        std::string message;
        if (!UJointCalibration::ReadWindow(file.toStdString(), window, message))
            return refuse(message);
        windows.push_back(std::move(window));
    }
    const std::string problem = UJointValidation::CheckWindows(windows, mJointOptions);
    if (!problem.empty())
        return refuse(problem);
    mWindows = std::move(windows);
    return true;
}

void TValidateDialog::accept()
{
    mLeaveOneOut = mLeaveOneOutRadio->isChecked();
    if (mLeaveOneOut) {
        if (readJointOptions() && readFolder())
            QDialog::accept();
        return;
    }
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
