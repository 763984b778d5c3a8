#pragma once

#include "cli/CliCommands.h"

namespace quellow::cli {

/// quellow-cli-chart FILE.out --kind N -o IMAGE: draws the chart (quellow-cli chart hands its
/// arguments on to this program).
int DrawChartCommand(const TArgs &args);

} // namespace quellow::cli
