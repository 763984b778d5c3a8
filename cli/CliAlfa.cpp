#include "cli/CliCommands.h"

#include <iostream>

namespace quellow::cli {

int AlfaCommand(const TArgs &)
{
    std::cerr << "quellow-cli alfa: not built yet\n";
    return 2;
}

} // namespace quellow::cli
