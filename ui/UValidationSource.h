#pragma once

#include <string>

namespace quellow {

struct TImportedSeries;

/// What a validation names of a window taken through "Import series...", so that a reader of
/// its view, report or JSON can take the same window again: the series file, the period (first
/// and last date, rows, time unit), the runoff's source (the series file or the file it was
/// joined from, and its column) and its unit (converted from what, by which factor, or as in
/// the file).
std::string importedWindowText(const TImportedSeries &series);

} // namespace quellow
