#include "ui/UJointCalibrateDialog.h"

#include "calibration/UValidation.h"
#include "files/UTextFields.h"
#include "ui/UBackgroundWork.h"
#include "ui/UCalibrateForm.h"
#include "ui/UDialogs.h"
#include "ui/UOutputPage.h"
#include "ui/USearchControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <atomic>

namespace quellow {

namespace {

QString q(const std::string &text)
{
    return QString::fromStdString(text);
}

QString figureText(bool defined, double value, int decimals)
{
    return defined ? QString::number(value, 'f', decimals) : QStringLiteral("-");
}

} // namespace

bool ReadEvaluations(const QString &text, int &evaluations, std::string &message)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 1) {
        message = "The number of evaluations needs a whole number of 1 or more.";
        return false;
    }
    evaluations = value;
    return true;
}

// ---- The dialog -----------------------------------------------------------------------------

TJointCalibrateDialog::TJointCalibrateDialog(const TJointCalibrateChoices &choices,
                                             const QString &folder, QWidget *parent)
    : QDialog(parent), mFolder(folder)
{
    setObjectName(QStringLiteral("JointCalibrateDialog"));
    setWindowTitle(QStringLiteral("Calibrate on several files"));
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(
        QStringLiteral("One maximum storage, filling fraction and escape factor for every "
                       "window: each window is simulated on its own from its own first runoff, "
                       "and the alpha function is fitted to the recession steps of all of them."),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    mFilesList = new QListWidget(this);
    mFilesList->setObjectName(QStringLiteral("FilesList"));
    mFilesList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    mFilesList->setMinimumSize(480, 150);
    mFilesList->addItems(choices.Files);
    auto *add = new QPushButton(QStringLiteral("A&dd files..."), this);
    add->setObjectName(QStringLiteral("AddFilesButton"));
    add->setAutoDefault(false);
    auto *remove = new QPushButton(QStringLiteral("&Remove"), this);
    remove->setObjectName(QStringLiteral("RemoveFilesButton"));
    remove->setAutoDefault(false);
    auto *side = new QVBoxLayout;
    side->addWidget(add);
    side->addWidget(remove);
    side->addStretch();
    auto *filesRow = new QHBoxLayout;
    filesRow->addWidget(mFilesList, 1);
    filesRow->addLayout(side);
    auto *filesLabel = new QLabel(QStringLiteral("Windows (analysis &input files)"), this);
    filesLabel->setBuddy(mFilesList);
    layout->addWidget(filesLabel);
    layout->addLayout(filesRow);
    connect(add, &QPushButton::clicked, this, &TJointCalibrateDialog::AddFilesClick);
    connect(remove, &QPushButton::clicked, this, &TJointCalibrateDialog::RemoveClick);

    auto *form = new QFormLayout;
    mObjectiveBox = new QComboBox(this);
    mObjectiveBox->setObjectName(QStringLiteral("ObjectiveComboBox"));
    // The joint figure is a simulation's: R square of a reconstruction is not offered.
    for (UCalibration::TObjective o :
         {UCalibration::TObjective::NSE, UCalibration::TObjective::KGE}) {
        mObjectiveBox->addItem(objectiveCaption(o), static_cast<int>(o));
        if (o == choices.Objective)
            mObjectiveBox->setCurrentIndex(mObjectiveBox->count() - 1);
    }
    mObjectiveBox->setToolTip(QStringLiteral("The figure of the windows together the search "
                                             "maximises"));
    auto *objectiveLabel = new QLabel(QStringLiteral("&Objective"), this);
    objectiveLabel->setBuddy(mObjectiveBox);
    form->addRow(objectiveLabel, mObjectiveBox);

    mWarmupEdit = new QLineEdit(choices.Warmup, this);
    mWarmupEdit->setObjectName(QStringLiteral("WarmupEdit"));
    mWarmupEdit->setMaximumWidth(80);
    mWarmupEdit->setToolTip(QStringLiteral("Rows of each window left out of its figures after "
                                           "the first, while the storage settles"));
    auto *warmupLabel = new QLabel(QStringLiteral("&Warm-up rows"), this);
    warmupLabel->setBuddy(mWarmupEdit);
    form->addRow(warmupLabel, mWarmupEdit);

    mInitStorageBox = new QComboBox(this);
    mInitStorageBox->setObjectName(QStringLiteral("InitStorageComboBox"));
    mInitStorageBox->addItem(QStringLiteral("the same filling fraction for every window"));
    mInitStorageBox->addItem(QStringLiteral("full"));
    mInitStorageBox->setCurrentIndex(
        choices.InitStorage == UJointCalibration::TInitStorage::Full ? 1 : 0);
    mInitStorageBox->setToolTip(QStringLiteral("The dead storage each window starts from"));
    auto *storageLabel = new QLabel(QStringLiteral("Initial &storage"), this);
    storageLabel->setBuddy(mInitStorageBox);
    form->addRow(storageLabel, mInitStorageBox);

    mRobustAlphaBox = USearchControls::RobustAlphaBox(this, choices.RobustAlpha);
    form->addRow(QString(), mRobustAlphaBox);

    mEvaluationsEdit = USearchControls::AddEvaluationsRow(
        this, form, choices.Evaluations,
        QStringLiteral("How many parameter sets the search evaluates"));
    layout->addLayout(form);

    auto *buttons = new QDialogButtonBox(this);
    auto *ok = buttons->addButton(QStringLiteral("&Calibrate"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setDefault(true);
    auto *cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TJointCalibrateDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    mWarmupEdit->setFocus();
}

TJointCalibrateChoices TJointCalibrateDialog::choices() const
{
    TJointCalibrateChoices c;
    for (int i = 0; i < mFilesList->count(); ++i)
        c.Files << mFilesList->item(i)->text();
    c.Objective = static_cast<UCalibration::TObjective>(mObjectiveBox->currentData().toInt());
    c.Warmup = mWarmupEdit->text();
    c.InitStorage = mInitStorageBox->currentIndex() == 1
                        ? UJointCalibration::TInitStorage::Full
                        : UJointCalibration::TInitStorage::Fraction;
    c.RobustAlpha = mRobustAlphaBox->isChecked();
    c.Evaluations = mEvaluationsEdit->text();
    return c;
}

void TJointCalibrateDialog::AddFilesClick()
{
    const QString start =
        mFilesList->count() > 0
            ? QFileInfo(mFilesList->item(mFilesList->count() - 1)->text()).absolutePath()
            : mFolder;
    const QStringList names =
        Dialogs().OpenFileNames({QStringLiteral("Input files (*.inp)"), QStringLiteral("inp"),
                                 start, QStringLiteral("Analysis files to calibrate on")});
    // A file listed already is not listed twice.
    for (const QString &name : names)
        if (mFilesList->findItems(name, Qt::MatchExactly).isEmpty())
            mFilesList->addItem(name);
}

void TJointCalibrateDialog::RemoveClick()
{
    qDeleteAll(mFilesList->selectedItems());
}

bool TJointCalibrateDialog::readOptions()
{
    UJointCalibration::TOptions options;
    const TJointCalibrateChoices c = choices();
    options.Objective = c.Objective;
    options.InitStorage = c.InitStorage;
    options.RobustAlpha = c.RobustAlpha;
    std::string message;
    UValidation::TOptions read;
    if (!UValidation::ReadOption(UValidation::TOption::Warmup, c.Warmup.trimmed().toStdString(),
                                 "The warm-up", read, message)) {
        Dialogs().ShowMessage(message);
        mWarmupEdit->setFocus();
        mWarmupEdit->selectAll();
        return false;
    }
    options.Warmup = read.Warmup;
    if (!ReadEvaluations(c.Evaluations, options.Evaluations, message)) {
        Dialogs().ShowMessage(message);
        mEvaluationsEdit->setFocus();
        mEvaluationsEdit->selectAll();
        return false;
    }
    mOptions = options;
    return true;
}

bool TJointCalibrateDialog::readWindows()
{
    std::vector<UJointCalibration::TWindow> windows;
    for (int i = 0; i < mFilesList->count(); ++i) {
        UJointCalibration::TWindow window;
        std::string message;
        if (!UJointCalibration::ReadWindow(mFilesList->item(i)->text().toStdString(), window,
                                           message)) {
            Dialogs().ShowMessage(message);
            mFilesList->setCurrentRow(i);
            mFilesList->setFocus();
            return false;
        }
        windows.push_back(std::move(window));
    }
    const std::string problem = UJointCalibration::CheckWindows(windows, mOptions);
    if (!problem.empty()) {
        Dialogs().ShowMessage(problem);
        mFilesList->setFocus();
        return false;
    }
    mWindows = std::move(windows);
    return true;
}

void TJointCalibrateDialog::accept()
{
    if (mFilesList->count() == 0) {
        Dialogs().ShowMessage("Give the windows to calibrate on: analysis input files, through "
                              "Add files...");
        return;
    }
    if (!readOptions() || !readWindows())
        return;
    QDialog::accept();
}

// ---- The result -----------------------------------------------------------------------------

QStringList jointCalibrationLines(const UJointCalibration::TJointCalibration &r)
{
    QStringList lines;
    lines << q(printfText("Joint calibration of %d windows for the %s of the simulations "
                          "together (%d sets evaluated, %.1f s)",
                          static_cast<int>(r.Windows.size()),
                          r.Objective == UCalibration::TObjective::KGE ? "KGE" : "NSE",
                          r.Evaluations, r.Seconds));
    lines << q(printfText("Maximum storage %.2f mm, filling fraction %.4f, escape factor %.4f",
                          r.Best.MaxStor, r.FillFraction, r.Best.EscapeFactor));
    const TModelValues &a = r.BestFit.Alpha;
    lines << q(printfText("Pooled alpha = %.6g Q + %.6g above %.6g, %.6g Q + %.6g below", a.A1,
                          a.B1, a.Divide, a.A2, a.B2));
    return lines;
}

TJointCalibrateForm::TJointCalibrateForm(const UJointCalibration::TJointCalibration &r,
                                         QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("JointCalibrateForm"));
    setWindowTitle(QStringLiteral("Joint calibration of %1 windows").arg(r.Windows.size()));
    auto *layout = new QVBoxLayout(this);
    auto *summary = new QLabel(jointCalibrationLines(r).join(QLatin1Char('\n')), this);
    summary->setObjectName(QStringLiteral("SummaryLabel"));
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(summary);
    const bool kge = r.Objective == UCalibration::TObjective::KGE;
    auto *objective = new QLabel(QStringLiteral("<b>%1 of the windows together: %2</b>")
                                     .arg(kge ? QStringLiteral("KGE") : QStringLiteral("NSE"),
                                          QString::number(r.Value, 'f', 3)),
                                 this);
    objective->setObjectName(QStringLiteral("JointObjective"));
    objective->setToolTip(QStringLiteral("The figure the search maximised"));
    layout->addWidget(objective);

    auto *table = new QTableWidget(this);
    table->setObjectName(QStringLiteral("WindowsTable"));
    const QStringList headings = {QStringLiteral("Rows"), QStringLiteral("InitStor (mm)"),
                                  QStringLiteral("NSE"), QStringLiteral("KGE"),
                                  QStringLiteral("volume %")};
    table->setColumnCount(static_cast<int>(headings.size()));
    table->setHorizontalHeaderLabels(headings);
    table->setRowCount(static_cast<int>(r.Windows.size()) + 1);
    auto put = [table](int row, int col, const QString &text) {
        auto *item = new QTableWidgetItem(text);
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        table->setItem(row, col, item);
    };
    auto putFit = [&put](int row, const TSimulationFit &s) {
        const bool d = s.Made && s.Skill.Valid;
        put(row, 2, figureText(d, s.Skill.Fit.NSE, 3));
        put(row, 3, figureText(d, s.Skill.Fit.KGE, 3));
        put(row, 4, figureText(d, s.Skill.Fit.VolumeError, 1));
    };
    int row = 0;
    for (const UJointCalibration::TWindowFit &w : r.Windows) {
        auto *name = new QTableWidgetItem(QFileInfo(q(w.File)).fileName());
        name->setToolTip(q(w.File));
        table->setVerticalHeaderItem(row, name);
        put(row, 0, QString::number(w.Rows));
        put(row, 1, QString::number(w.InitStor, 'f', 2));
        putFit(row, w.Simulation);
        ++row;
    }
    table->setVerticalHeaderItem(row, new QTableWidgetItem(QStringLiteral("all")));
    put(row, 0, QString());
    put(row, 1, QString());
    putFit(row, r.BestFit.Simulation);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->setToolTip(QLatin1String(TOutputPage::FitToolTip));
    table->setMinimumWidth(560);
    table->setMinimumHeight(std::min(400, 40 + 26 * table->rowCount()));
    layout->addWidget(table, 1);

    auto *buttons = new QDialogButtonBox(this);
    auto *close = buttons->addButton(QDialogButtonBox::Close);
    close->setObjectName(QStringLiteral("CloseButton"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    table->setFocus();
    table->setCurrentCell(row, 2);
}

// ---- The search off the user-interface thread -----------------------------------------------

namespace {

std::atomic<bool> *runningCancel = nullptr;

} // namespace

bool cancelRunningJointCalibration()
{
    if (!runningCancel)
        return false;
    *runningCancel = true;
    return true;
}

UJointCalibration::TJointCalibration
runJointCalibration(QWidget *parent, const std::vector<UJointCalibration::TWindow> &windows,
                    const UJointCalibration::TOptions &given)
{
    std::atomic<bool> cancel{false};
    std::atomic<int> done{0};
    UJointCalibration::TOptions options = given;
    options.Cancel = &cancel;
    options.Progress = [&done](int evaluations, int) { done = evaluations; };
    UJointCalibration::TJointCalibration result;
    runInBackground(parent,
                    {QStringLiteral("Calibrating on %1 windows ...").arg(windows.size()),
                     QStringLiteral("Joint calibration"), QStringLiteral("JointCalibrateProgress"),
                     options.Evaluations},
                    cancel, &done, runningCancel,
                    [&] { result = UJointCalibration::Calibrate(windows, options); });
    return result;
}

} // namespace quellow
