#pragma once

#include "calibration/UValidation.h"
#include "calibration/UValidationFiles.h"
#include "charts/UValidationCharts.h"

#include <QDialog>
#include <QStringList>

#include <functional>

#include <vector>

class QPainter;
class QRect;
class QTableWidget;

namespace quellow {

/// The rows of the table of figures and benchmarks: label, NSE, KGE and volume error as shown
/// ("-" where undefined).
std::vector<QStringList> validationFigureRows(const UValidation::TValidation &v);
/// The files, the parameters carried over, the band and the notes, a line each.
QStringList validationSummaryLines(const UValidation::TValidation &v);

/// The result of a validation: the hydrograph of the validation window with rain, measured and
/// simulated runoff and the band; measured against simulated runoff; a dotty plot per
/// parameter; and the table of figures and benchmarks. "Save report..." writes one PDF page,
/// "Export CSV" the series.
class TValidationView : public QDialog
{
    Q_OBJECT

public:
    /// calendar: the dates of the validation window, when it has them (an imported series).
    explicit TValidationView(UValidation::TValidation validation, QWidget *parent = nullptr,
                             const UValidationCharts::TCalendar &calendar = {});

    const UValidation::TValidation &validation() const { return mValidation; }

    /// Writes the report (one PDF page) to path; false, with message, when it cannot.
    bool saveReport(const QString &path, std::string &message) const;
    /// Writes the series as quellow-cli validate -o does; false, with message, when it cannot.
    bool exportCsv(const QString &path, std::string &message) const;

    /// The buttons' actions: ask for the file name, then write.
    void SaveReportClick();
    void ExportCsvClick();

private:
    /// The message when path, the file of role ("report file"), would replace a file the
    /// validation read; empty when free.
    std::string collision(const QString &path, const char *role) const;
    using TSave = bool (TValidationView::*)(const QString &path, std::string &message) const;
    /// Asks for a file beside the validation file (NAME-validation.EXTENSION to begin with) and
    /// saves it there, showing the message when it fails.
    void saveBeside(const char *filter, const char *extension, const char *title, TSave save);
    void paintReportPictures(QPainter &painter, const QRect &page, double y) const;

    UValidation::TValidation mValidation;
    std::vector<UValidationFiles::TDot> mDots;
    UValidationCharts::TCalendar mCalendar;
};

/// Validates cal on val on a thread of its own while a progress dialog with "Cancel" keeps the
/// window responsive.
UValidation::TValidation runValidation(QWidget *parent, const URainRun::TAnalysisInput &cal,
                                       const std::string &calFile,
                                       const URainRun::TAnalysisInput &val,
                                       const std::string &valFile,
                                       const UValidation::TOptions &options = {});

/// Called on the validation's thread with its options just before runValidation validates
/// (empty: nothing). Tests make a validation fail through it, by throwing or through
/// TOptions::BeforeBandSet, to see the window end it with a message.
inline std::function<void(UValidation::TOptions &)> ValidationStartHook;

/// Asks the validation running now, if any, to stop; true when one was running.
bool cancelRunningValidation();

} // namespace quellow
