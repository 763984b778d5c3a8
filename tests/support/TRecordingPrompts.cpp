#include "tests/support/TRecordingPrompts.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

namespace quellow::test {

TRecordingPrompts::TRecordingPrompts()
{
    SetPrompts(this);
}

TRecordingPrompts::~TRecordingPrompts()
{
    SetPrompts(nullptr);
}

void TRecordingPrompts::ShowMessage(const std::string &text)
{
    Messages.push_back(text);
}

bool TRecordingPrompts::Confirm(const std::string &text)
{
    Questions.push_back(text);
    if (Answers.empty())
        return false;
    const bool answer = Answers.front();
    Answers.pop_front();
    return answer;
}

std::string ReadBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

TTempDir::TTempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quellow-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()))
        mPath = pattern;
}

TTempDir::~TTempDir()
{
    std::error_code error;
    if (!mPath.empty()) {
        // A test may have made the folder read-only.
        std::filesystem::permissions(mPath, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, error);
        std::filesystem::remove_all(mPath, error);
    }
}

std::string TestData(const std::string &name)
{
    return std::string(QUELLOW_TEST_DATA) + "/" + name;
}

TCliResult RunCli(const TTempDir &folder, const std::string &arguments)
{
    const std::string command = "cd '" + folder.Path() + "' && '" + QUELLOW_CLI + "' " + arguments +
                                " >stdout.txt 2>stderr.txt";
    const int status = std::system(command.c_str());
    TCliResult result;
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.Out = ReadBytes(folder.File("stdout.txt"));
    result.Err = ReadBytes(folder.File("stderr.txt"));
    return result;
}

TShellResult RunShell(const std::string &command)
{
    TShellResult result;
    FILE *pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.Out.append(buffer, n);
    const int status = ::pclose(pipe);
    result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace quellow::test
