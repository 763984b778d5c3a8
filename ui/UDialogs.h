#pragma once

#include "files/UPrompts.h"

#include <QString>
#include <QStringList>

namespace quellow {

/// What a file dialog shows: Qt filter text ("Input files (*.inp)"), default extension without
/// the dot ("inp"), starting folder and title.
struct TFileDialogSpec
{
    QString Filter;
    QString DefaultExt;
    QString Folder;
    QString Title;
};

/// The answers to the question about changes not saved.
enum class TSaveChoice { Save, Discard, Cancel };

/// Everything the windows ask of a person, beyond the model's messages and questions:
/// file dialogs and the pauses of the run sequence. The program implements it with Qt
/// dialogs (UQtDialogs), the window tests with a script, so that no test ever blocks.
class TDialogs : public TPrompts
{
public:
    /// The chosen file's full path; empty when cancelled.
    virtual QString OpenFileName(const TFileDialogSpec &request) = 0;
    /// The chosen files' full paths (several may be chosen at once); empty when cancelled.
    virtual QStringList OpenFileNames(const TFileDialogSpec &request)
    {
        const QString name = OpenFileName(request);
        return name.isEmpty() ? QStringList() : QStringList{name};
    }
    /// The chosen folder's full path (Filter and DefaultExt unused); empty when cancelled.
    virtual QString FolderName(const TFileDialogSpec &request)
    {
        (void)request;
        return {};
    }
    /// The chosen file's full path (default extension added); empty when cancelled.
    virtual QString SaveFileName(const TFileDialogSpec &request) = 0;
    /// Waits ms milliseconds while keeping the windows painted.
    virtual void Pause(int ms) = 0;
    /// Asks whether changes should be saved first: Save, Discard or Cancel (closing the box
    /// is Cancel). Without a person to ask, nothing is given up.
    virtual TSaveChoice AskSave(const std::string &text)
    {
        (void)text;
        return TSaveChoice::Cancel;
    }
};

/// The installed dialogs (installed by main() or a test; also installed as the model's prompts).
TDialogs &Dialogs();
void SetDialogs(TDialogs *dialogs);

} // namespace quellow
