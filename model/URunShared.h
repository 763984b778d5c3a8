#pragma once

#include <vector>

namespace quellow {

/// Highest step index of the runs' step arrays (indexed from 1).
inline constexpr int MaxSteps = 1501;

/// Rainfall of each time step (mm/t), indexed 1..MaxSteps; filled by the analysis and the
/// prediction run alike.
inline std::vector<double> RainArr = std::vector<double>(MaxSteps + 1, 0.0);

} // namespace quellow
