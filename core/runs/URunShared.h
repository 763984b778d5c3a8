#pragma once

#include <string>
#include <vector>

namespace quellow {

/// Highest step index of the runs' step arrays (indexed from 1).
inline constexpr int MaxSteps = 1501;

/// Largest magnitude the runs take from an input file. Hydrological series stay far below it;
/// beyond it the sums of squares and exponentials overflow and the output would show "inf".
inline constexpr double MaxRunValue = 1e9;

/// True when every value lies within +-MaxRunValue.
template <typename... Values> bool WithinRunRange(Values... values)
{
    return ((values <= MaxRunValue && values >= -MaxRunValue) && ...);
}

/// The first six lines of both output files: the program line, an empty line, the two titles,
/// the input file's name and an empty line.
void appendOutputHead(std::string &text, const std::string &title1, const std::string &title2,
                      const std::string &inputName);

/// Rainfall of each time step (mm/t), indexed 1..MaxSteps; filled by the analysis and the
/// prediction run alike.
inline std::vector<double> RainArr = std::vector<double>(MaxSteps + 1, 0.0);

} // namespace quellow
