#include "cli/CliCommands.h"
#include "runs/UAlfaCalc.h"
#include "files/UPrompts.h"

#include <iostream>

namespace quellow::cli {

/// quellow-cli alfa KA KB D U P L: each value passes the check of its box in the window, in
/// the window's order; then the calculation runs. Prints the three texts the calculator
/// enters into the input sheet, or the calculator's message on standard error (status 1).
int AlfaCommand(const TArgs &args)
{
    using namespace UAlfaCalc;
    if (args.size() != InputCount) {
        std::cerr << "Usage: quellow-cli alfa KA KB D U P L\n";
        return 2;
    }
    for (int i = 0; i < InputCount; ++i) {
        double value = 0;
        if (!ReadNumber(args[i], value)) {
            Prompts().ShowMessage(conversionMessage(args[i]));
            return 1;
        }
        const TExitResult check = exitCheck(static_cast<TInput>(i), value);
        if (!check.Accepted) {
            Prompts().ShowMessage(check.Message);
            return 1;
        }
    }
    std::string message;
    if (!calculate(message)) {
        Prompts().ShowMessage(message);
        return 1;
    }
    std::cout << "A = " << aText() << '\n'
              << "B = " << bText() << '\n'
              << "Drainable porosity (%) = " << porosityText() << '\n';
    return 0;
}

} // namespace quellow::cli
