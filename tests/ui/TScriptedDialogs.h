#pragma once

#include "ui/UDialogs.h"

#include <QCoreApplication>
#include <QList>
#include <QStringList>

#include <deque>
#include <functional>

namespace quellow::test {

/// The window tests' dialogs: records every message and question, answers questions and file
/// dialogs from a script (No / cancelled when the script is empty), and pauses only process
/// events. Nothing ever waits for a person. Installs itself on construction.
class TScriptedDialogs final : public TDialogs
{
public:
    TScriptedDialogs() { SetDialogs(this); }
    ~TScriptedDialogs() override { SetDialogs(nullptr); }
    TScriptedDialogs(const TScriptedDialogs &) = delete;
    TScriptedDialogs &operator=(const TScriptedDialogs &) = delete;

    void ShowMessage(const std::string &text) override
    {
        if (OnPrompt)
            OnPrompt();
        Messages.append(QString::fromStdString(text));
    }
    bool Confirm(const std::string &text) override
    {
        if (OnPrompt)
            OnPrompt();
        Questions.append(QString::fromStdString(text));
        if (Answers.empty())
            return false;
        const bool answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    QString OpenFileName(const TFileDialogSpec &request) override
    {
        OpenDialogs.append(request);
        return take(OpenNames);
    }
    QStringList OpenFileNames(const TFileDialogSpec &request) override
    {
        OpenDialogs.append(request);
        if (OpenNameLists.empty())
            return {};
        QStringList names = OpenNameLists.front();
        OpenNameLists.pop_front();
        return names;
    }
    QString FolderName(const TFileDialogSpec &request) override
    {
        FolderDialogs.append(request);
        return take(FolderNames);
    }
    QString SaveFileName(const TFileDialogSpec &request) override
    {
        SaveDialogs.append(request);
        return take(SaveNames);
    }
    TSaveChoice AskSave(const std::string &text) override
    {
        if (OnPrompt)
            OnPrompt();
        SaveQuestions.append(QString::fromStdString(text));
        if (SaveChoices.empty())
            return TSaveChoice::Cancel;
        const TSaveChoice choice = SaveChoices.front();
        SaveChoices.pop_front();
        return choice;
    }
    void Pause(int ms) override
    {
        Pauses.append(ms);
        if (OnPause)
            OnPause();
        QCoreApplication::processEvents();
    }

    QStringList Messages;
    QStringList Questions;
    std::deque<bool> Answers;
    QStringList SaveQuestions;           ///< the questions about changes not saved
    std::deque<TSaveChoice> SaveChoices; ///< their answers; Cancel when empty
    std::deque<QString> OpenNames;       ///< answers of the open dialog; empty string = cancelled
    std::deque<QString> SaveNames;       ///< answers of the save dialog; empty string = cancelled
    std::deque<QStringList>
        OpenNameLists;               ///< answers of the dialog of several files; empty = cancelled
    std::deque<QString> FolderNames; ///< answers of the folder dialog; empty = cancelled
    QList<TFileDialogSpec> FolderDialogs;
    QList<TFileDialogSpec> OpenDialogs;
    QList<TFileDialogSpec> SaveDialogs;
    QList<int> Pauses;
    std::function<void()> OnPause;  ///< called at each pause, before events are processed
    std::function<void()> OnPrompt; ///< called as each message or question opens

private:
    static QString take(std::deque<QString> &names)
    {
        if (names.empty())
            return {};
        QString name = names.front();
        names.pop_front();
        return name;
    }
};

} // namespace quellow::test
