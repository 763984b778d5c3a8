#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

/// The runoff's unit: the units a series of runoff comes in, the words that name them, the
/// labels of a file's head that give them, and the one factor that turns each into mm per time
/// unit of the rows taken.
namespace quellow::URunoffUnit {

/// A unit as written, compared plainly: lower case, superscript two and three (UTF-8) as
/// digits, blanks dropped ("m³/s" and "M3 / s" both give "m3/s").
std::string PlainUnitText(std::string_view text);

/// Units of runoff: mm per time unit, per day or per hour, and units of discharge.
enum class TRunoffUnit {
    None,
    Mm, ///< mm per time unit: taken as it is
    LitresPerSecond,
    CubicMetresPerSecond,
    CubicFeetPerSecond,
    MmPerDay,
    MmPerHour,
};
/// "mm" (also mm/t, mm/step), "mm/d" (mm/day), "mm/h" (mm/hr, mm/hour), "l/s", "m3/s", "cfs"
/// (written m³/s, ft3/s and the like too). False for anything else.
bool ParseRunoffUnit(std::string_view text, TRunoffUnit &unit);
const char *RunoffUnitName(TRunoffUnit unit);
/// A unit of discharge, which needs the catchment's area.
bool IsDischarge(TRunoffUnit unit);

/// The factor from the unit to mm per time unit of unitSeconds (86400 for a day) over
/// areaKm2: m3/s gives unitSeconds / (1000 A), l/s a thousandth of that, cfs 0.028316846592
/// times that; mm/d unitSeconds / 86400, mm/h unitSeconds / 3600; mm and None 1. 0 for a
/// discharge without an area.
double RunoffFactor(TRunoffUnit unit, double areaKm2, double unitSeconds);

/// What stays in the file's units: all three series, or rain and escape rate when the runoff
/// is in unit (not None).
std::string UnitsNote(TRunoffUnit unit);

/// What a comment line (#) of a file's head labels: the runoff's unit, another quantity's, or
/// nothing of the runoff. A label gives the runoff's unit when it names a unit (unit, units,
/// Einheit, eenheid, unidad) and either the runoff (runoff, discharge, flow, streamflow, Q,
/// Abfluss, afvoer, debiet, caudal) or nothing else but "of measure" and the like, each as a
/// whole word.
bool LabelsRunoffUnit(std::string_view label);

} // namespace quellow::URunoffUnit
