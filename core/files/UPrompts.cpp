#include "files/UPrompts.h"

namespace quellow {

namespace {

class TSilentPrompts final : public TPrompts
{
public:
    void ShowMessage(const std::string &) override {}
    bool Confirm(const std::string &) override { return false; }
};

TSilentPrompts silentPrompts;
TPrompts *installedPrompts = nullptr;

} // namespace

TPrompts &Prompts()
{
    return installedPrompts ? *installedPrompts : silentPrompts;
}

void SetPrompts(TPrompts *prompts)
{
    installedPrompts = prompts;
}

} // namespace quellow
