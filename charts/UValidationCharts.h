#pragma once

#include "calibration/UValidation.h"
#include "calibration/UValidationFiles.h"

#include <QDateTime>
#include <QSize>
#include <QString>

#include <string>
#include <vector>

class QChart;
class QImage;
class QPainter;
class QRectF;

/// The pictures of a validation, in one place for the view, its report and the PNG files: each
/// is a chart of its own, drawn into a widget, a PDF page or an image. Charts need a
/// QApplication.
namespace quellow::UValidationCharts {

using UValidationFiles::TDot;
using UValidationFiles::TPicture;

/// The size of a picture as a PNG file, in pixels.
inline constexpr QSize PictureSize(TPicture picture)
{
    return picture == TPicture::Hydrograph ? QSize(900, 420) : QSize(420, 360);
}

/// The dates of a validation window taken from a dated series: the row at time FirstTime (in
/// the window's time unit, UnitSeconds long) is at First (UTC).
struct TCalendar
{
    QDateTime First; ///< not valid: the window has times only
    double FirstTime = 0;
    double UnitSeconds = 86400;

    bool Known() const { return First.isValid(); }
};

/// A new chart of the picture (the caller owns it). dots are the points of the dotty plots;
/// with a known calendar the hydrograph's time axis shows dates.
QChart *MakeChart(const UValidation::TValidation &v, const std::vector<TDot> &dots,
                  TPicture picture, const TCalendar &calendar = {});

/// Makes the ticks of chart's axes again for the size its plot area has now: as many as are
/// read without being cut to "...", at most those of MakeChart. Run after each change of the
/// plot area of a chart shown at a size of the person's choosing.
void FitTicks(QChart *chart);

/// Draws chart (in no scene) into target of painter.
void Render(QChart *chart, QPainter &painter, const QRectF &target);

/// The picture as an image of its PNG size.
QImage PictureImage(const UValidation::TValidation &v, const std::vector<TDot> &dots,
                    TPicture picture);

/// Writes the series file and the picture files of v beside each other in dir (names from
/// UValidationFiles::SeriesName and PictureFileName), all of them or none; false, with error,
/// when one cannot be drawn or written.
bool SaveFiles(const UValidation::TValidation &v, const std::vector<TDot> &dots,
               const std::string &dir, std::string &error);

} // namespace quellow::UValidationCharts
