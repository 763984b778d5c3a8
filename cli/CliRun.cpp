#include "cli/CliCommands.h"

#include <iostream>

namespace quellow::cli {

int RunCommand(const TArgs &)
{
    std::cerr << "quellow-cli run: not built yet\n";
    return 2;
}

} // namespace quellow::cli
