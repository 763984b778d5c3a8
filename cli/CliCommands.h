#pragma once

#include <string>
#include <vector>

namespace quellow::cli {

using TArgs = std::vector<std::string>;

/// Each command gets the arguments after its name and returns the exit status.
int RunCommand(const TArgs &args);     ///< quellow-cli run FILE.inp
int ChartCommand(const TArgs &args);   ///< quellow-cli chart FILE.out --kind N -o FILE.bmp
int AlfaCommand(const TArgs &args);    ///< quellow-cli alfa KA KB D U P L
int ImportCommand(const TArgs &args);  ///< quellow-cli import FILE.csv --mode M -o OUT.inp
int ConvertCommand(const TArgs &args); ///< quellow-cli convert IN.inp -o OUT.inp

} // namespace quellow::cli
