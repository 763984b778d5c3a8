#pragma once

#include "calibration/UValidation.h"
#include "calibration/UValidationFiles.h"

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

/// A new chart of the picture (the caller owns it). dots are the points of the dotty plots.
QChart *MakeChart(const UValidation::TValidation &v, const std::vector<TDot> &dots,
                  TPicture picture);

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
