#include "tests/support/TRecordingPrompts.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

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

} // namespace quellow::test
