#pragma once

#include "ui/UDialogs.h"

namespace quellow {

/// The program's dialogs: Qt message boxes, yes/no questions and file dialogs, and pauses that
/// keep the windows painted while refusing user input.
class TQtDialogs final : public TDialogs
{
public:
    void ShowMessage(const std::string &text) override;
    bool Confirm(const std::string &text) override;
    QString OpenFileName(const TFileDialogSpec &request) override;
    QStringList OpenFileNames(const TFileDialogSpec &request) override;
    QString FolderName(const TFileDialogSpec &request) override;
    QString SaveFileName(const TFileDialogSpec &request) override;
    void Pause(int ms) override;
    TSaveChoice AskSave(const std::string &text) override;
};

} // namespace quellow
