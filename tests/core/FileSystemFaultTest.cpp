#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

using namespace quellow;
using namespace quellow::test;

namespace {

class FileSystemFaults : public ::testing::Test
{
protected:
    void SetUp() override { ResetAllState(); }
    TTempDir dir;
    TRecordingPrompts prompts;
};

/// Lowers the largest file this process may write, as a full disk would stop a write.
class TFileSizeLimit
{
public:
    explicit TFileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &mOld);
        rlimit limit = mOld;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &mOld); }

private:
    rlimit mOld{};
};

TEST_F(FileSystemFaults, AFullDiskKeepsTheOldFileAndLeavesNoTemporaryFile)
{
    const std::string path = dir.File("run.out");
    WriteBytes(path, "previous results\r\n");
    {
        TFileSizeLimit limit(1000);
        EXPECT_FALSE(writeFileAtomically(path, std::string(5000, 'x')));
    }
    EXPECT_EQ(ReadBytes(path), "previous results\r\n");
    int entries = 0;
    for ([[maybe_unused]] auto &e : std::filesystem::directory_iterator(dir.Path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(FileSystemFaults, AFileDeletedBeforeItIsLoadedGivesTheMessage)
{
    const std::string path = dir.File("run.out");
    WriteBytes(path, "a\r\nb\r\n");
    ASSERT_TRUE(DMQuellow.LoadTextFile(path));
    std::filesystem::remove(path);
    EXPECT_FALSE(DMQuellow.LoadTextFile(path));
    EXPECT_EQ(prompts.Messages.size(), 1u);
    EXPECT_EQ(DMQuellow.NrOfLines, 2);
}

TEST_F(FileSystemFaults, AnOutputNameTakenByAFolderIsNeitherWrittenNorLoaded)
{
    const std::string path = dir.File("run.out");
    std::filesystem::create_directory(path);
    EXPECT_FALSE(writeFileAtomically(path, "x"));
    EXPECT_FALSE(DMQuellow.LoadTextFile(path));
    EXPECT_TRUE(std::filesystem::is_directory(path));
}

} // namespace
