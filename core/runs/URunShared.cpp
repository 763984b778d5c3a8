#include "runs/URunShared.h"

#include "files/UDMQuellow.h"
#include "files/UTextFields.h"

namespace quellow {

namespace {

const bool registered = (RegisterStateReset([] { RainArr.assign(MaxSteps + 1, 0.0); }), true);

} // namespace

void appendOutputHead(std::string &text, const std::string &title1, const std::string &title2,
                      const std::string &inputName)
{
    appendLine(text, "RESULTS OF Quellow PROGRAM");
    appendLine(text, "");
    appendLine(text, title1);
    appendLine(text, title2);
    appendLine(text, "Name of input file used: " + inputName);
    appendLine(text, "");
}

} // namespace quellow
