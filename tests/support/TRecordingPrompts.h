#pragma once

#include "files/UPrompts.h"

#include <deque>
#include <string>
#include <vector>

namespace quellow::test {

/// Records every message and question; answers questions from a script (No when it is empty).
/// Installs itself on construction and restores the silent default on destruction.
class TRecordingPrompts final : public TPrompts
{
public:
    TRecordingPrompts();
    ~TRecordingPrompts() override;

    void ShowMessage(const std::string &text) override;
    bool Confirm(const std::string &text) override;

    std::vector<std::string> Messages;
    std::vector<std::string> Questions;
    std::deque<bool> Answers; ///< scripted answers, taken from the front
};

/// Reads a whole file as bytes (empty when missing).
std::string ReadBytes(const std::string &path);
/// Writes bytes to a file, replacing it.
void WriteBytes(const std::string &path, const std::string &bytes);

/// A fresh empty folder under the system's temporary folder, removed on destruction.
class TTempDir
{
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir &) = delete;
    TTempDir &operator=(const TTempDir &) = delete;
    const std::string &Path() const { return mPath; }
    std::string File(const std::string &name) const { return mPath + "/" + name; }

private:
    std::string mPath;
};

/// Path of a file under tests/data.
std::string TestData(const std::string &name);

/// What a shell command printed on its standard output, and its exit status (-1 when it could
/// not start or did not exit).
struct TShellResult
{
    int Status = -1;
    std::string Out;
};
TShellResult RunShell(const std::string &command);

/// What quellow-cli printed, run with arguments in folder.
struct TCliResult
{
    int Status = -1; ///< exit status; -1 when it did not exit
    std::string Out, Err;
};
TCliResult RunCli(const TTempDir &folder, const std::string &arguments);

} // namespace quellow::test
