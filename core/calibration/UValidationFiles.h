#pragma once

#include "calibration/UValidation.h"

#include <string>
#include <vector>

/// What a validation writes: the series of VAL as CSV, the names of its files, and the data its
/// pictures are drawn from, handed as text to the program that draws them.
namespace quellow::UValidationFiles {

/// A figure of the validation's tables: value in format, or "-" when it is not defined; a
/// value that rounds to zero is written without a minus sign.
std::string FigureText(bool defined, double value, const char *format = "%.3f");

/// A row of the table of figures: what was simulated, its NSE, KGE and volume error in %.
struct TFigureRow
{
    const char *Label;
    std::string NSE, KGE, VolumeError;
};

/// The table of figures: the simulation of VAL, then the benchmarks start, self, mean and
/// recession, each figure as FigureText writes it.
std::vector<TFigureRow> FigureRows(const UValidation::TValidation &v);

/// The series of VAL with the simulation and the band: header
/// "time,rain,measured,simulated,band_low,band_high", every row of VAL, full precision, empty
/// band cells without a band, CR LF.
std::string SeriesCsv(const UValidation::TValidation &v);

/// The pictures of a validation, in the order a view shows them.
enum class TPicture { Hydrograph, Scatter, MaxStor, InitStor, EscapeFactor };

/// The pictures a validation has: the dotty plots only when CAL was calibrated.
std::vector<TPicture> Pictures(bool calibrated);
/// "hydrograph", "scatter", "MaxStor", "InitStor", "EscapeFactor".
const char *PictureName(TPicture picture);

/// DIR/VAL-validation.csv for the validation file VAL.inp.
std::string SeriesName(const std::string &dir, const std::string &valFile);
/// DIR/VAL-validation-NAME.png for a picture.
std::string PictureFileName(const std::string &dir, const std::string &valFile, TPicture picture);

/// A point of the dotty plots: an admissible set CAL's calibration evaluated, with its objective.
struct TDot
{
    double MaxStor = 0, InitStor = 0, EscapeFactor = 0;
    double Objective = 0;
    bool Scan = false; ///< from the scan; else the start or a local search
};

/// The sets of v.Evaluated that count for v's objective, in evaluation order.
std::vector<TDot> Dots(const UValidation::TValidation &v);

/// What the pictures are drawn from (the files, the objective, the warm-up, the series, the band
/// and the dots), as text at full precision.
std::string PictureData(const UValidation::TValidation &v);
/// Reads PictureData back into v (files, objective, warm-up, rows, series, band) and dots; false
/// when the text does not read.
bool ReadPictureData(const std::string &text, UValidation::TValidation &v, std::vector<TDot> &dots);

} // namespace quellow::UValidationFiles
