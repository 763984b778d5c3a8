#pragma once

#include <array>
#include <string>

/// The second title line of a sheet imported from a series file: it says where the rows came
/// from and what was done to them, so that the input file written from it tells it too.
namespace quellow::USheetTitle {

/// "Imported from FILE, first date DATE; time in UNIT; runoff x 0.0864, rain and escape rate
/// as in the file". factors are those on rain, escape rate and runoff (index 1 to 3, as the
/// import's roles; index 0 is unused); the runoff's counts in an analysis only.
std::string ImportedTitle(const std::string &sourceName, const std::string &firstDate,
                          const std::string &timeUnit, const std::array<double, 4> &factors,
                          bool analysis);

} // namespace quellow::USheetTitle
