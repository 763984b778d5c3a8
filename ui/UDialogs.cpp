#include "ui/UDialogs.h"

namespace quellow {

namespace {

/// Until main() or a test installs real dialogs: messages dropped, questions and dialogs
/// answered No / cancelled, pauses skipped.
class TNullDialogs final : public TDialogs
{
public:
    void ShowMessage(const std::string &) override {}
    bool Confirm(const std::string &) override { return false; }
    QString OpenFileName(const TFileDialogSpec &) override { return {}; }
    QString SaveFileName(const TFileDialogSpec &) override { return {}; }
    void Pause(int) override {}
};

TNullDialogs nullDialogs;
TDialogs *installed = nullptr;

} // namespace

TDialogs &Dialogs()
{
    return installed ? *installed : nullDialogs;
}

void SetDialogs(TDialogs *dialogs)
{
    installed = dialogs;
    SetPrompts(dialogs);
}

} // namespace quellow
