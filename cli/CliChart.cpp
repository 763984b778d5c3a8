#include "cli/CliCommands.h"

#include <iostream>

namespace quellow::cli {

int ChartCommand(const TArgs &)
{
    std::cerr << "quellow-cli chart: not built yet\n";
    return 2;
}

} // namespace quellow::cli
