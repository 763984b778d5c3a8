#pragma once

#include "files/UPrompts.h"

#include <iostream>
#include <string>

namespace quellow::cli {

/// Messages go to standard error, one per line, in the order the model shows them.
/// Questions are answered No: nothing is ever overwritten on a question's behalf.
class TStderrPrompts final : public TPrompts
{
public:
    void ShowMessage(const std::string &text) override { std::cerr << text << '\n'; }
    bool Confirm(const std::string &text) override
    {
        std::cerr << text << " (answered No)\n";
        return false;
    }
};

} // namespace quellow::cli
