#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quellow;
using namespace quellow::test;

namespace {
std::atomic<int> umaskCalls{0};
}

// Counts every umask call made from this program (the core is linked in statically), then
// does what the C library's would.
extern "C" mode_t umask(mode_t mask)
{
    ++umaskCalls;
    return static_cast<mode_t>(::syscall(SYS_umask, mask));
}

namespace {

class FileUtil : public ::testing::Test
{
protected:
    void SetUp() override { ResetAllState(); }
    TTempDir dir;
    TRecordingPrompts prompts;
};

TEST_F(FileUtil, SplitLinesTakesEveryLineEnd)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(splitLines("a\r\nb\nc\rd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines("a\r\n"), (V{"a"}));
    EXPECT_EQ(splitLines(""), V{});
    EXPECT_EQ(splitLines("\r\n\r\n"), (V{"", ""}));
    EXPECT_EQ(splitLines("last"), (V{"last"}));
}

TEST_F(FileUtil, ReadTextFileRefusesWhatIsNoTextFile)
{
    std::vector<std::string> lines{"kept"};
    EXPECT_EQ(readTextFile(dir.File("missing.inp"), lines), TReadStatus::CannotOpen);
    EXPECT_EQ(readTextFile(dir.Path(), lines), TReadStatus::CannotOpen);
    WriteBytes(dir.File("bin"), std::string("ab\0cd", 5));
    EXPECT_EQ(readTextFile(dir.File("bin"), lines), TReadStatus::Binary);
    WriteBytes(dir.File("big"), std::string(5000, 'x'));
    EXPECT_EQ(readTextFile(dir.File("big"), lines, 4096), TReadStatus::TooLarge);
    EXPECT_EQ(lines, std::vector<std::string>{"kept"});
    EXPECT_EQ(readTextFile(dir.File("big"), lines), TReadStatus::Ok);
    EXPECT_EQ(lines.size(), 1u);
}

TEST_F(FileUtil, AtomicWriteReplacesAndLeavesNoTemporaryFile)
{
    const std::string path = dir.File("a.out");
    WriteBytes(path, "old");
    ASSERT_TRUE(writeFileAtomically(path, "new\r\n"));
    EXPECT_EQ(ReadBytes(path), "new\r\n");
    int entries = 0;
    for ([[maybe_unused]] auto &e : std::filesystem::directory_iterator(dir.Path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(FileUtil, FailedAtomicWriteKeepsTheOldFile)
{
    const std::string path = dir.File("a.out");
    WriteBytes(path, "old");
    std::filesystem::create_directory(dir.File("folder.out"));
    EXPECT_FALSE(writeFileAtomically(dir.File("folder.out"), "x"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.out")));
    EXPECT_FALSE(writeFileAtomically(dir.File("nofolder/a.out"), "x"));
    if (::geteuid() != 0) { // root writes into read-only folders anyway
        ::chmod(dir.Path().c_str(), 0555);
        EXPECT_FALSE(writeFileAtomically(path, "new"));
        ::chmod(dir.Path().c_str(), 0755);
    }
    EXPECT_EQ(ReadBytes(path), "old");
}

/// Sets the process umask for one test and restores it, without counting as a call.
class TUmask
{
public:
    explicit TUmask(mode_t mask) : mOld(static_cast<mode_t>(::syscall(SYS_umask, mask))) {}
    ~TUmask() { ::syscall(SYS_umask, mOld); }

private:
    mode_t mOld;
};

mode_t permissions(const std::string &path)
{
    struct stat info
    {
    };
    return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

TEST_F(FileUtil, AtomicWriteGivesTheModeOfAnyNewFileAndLeavesTheUmaskAlone)
{
    TUmask mask(027);
    const std::string path = dir.File("a.out");
    const int callsBefore = umaskCalls;
    ASSERT_TRUE(writeFileAtomically(path, "x"));
    EXPECT_EQ(permissions(path), 0640u);
    ::chmod(path.c_str(), 0600); // a replaced file gets the new file's mode, as before
    ASSERT_TRUE(writeFileAtomically(path, "y"));
    EXPECT_EQ(permissions(path), 0640u);
    // The umask is the whole process's: setting it, even for a moment, widens the files that
    // other threads create meanwhile.
    EXPECT_EQ(umaskCalls, callsBefore);
}

// Batch runs write from several threads, into one folder and now and then into one file.
TEST_F(FileUtil, AtomicWritesOnManyThreadsKeepTheirOwnContent)
{
    constexpr int Threads = 4, Files = 40;
    std::atomic<int> failed{0};
    std::vector<std::thread> writers;
    for (int t = 0; t < Threads; ++t)
        writers.emplace_back([&, t] {
            for (int i = 0; i < Files; ++i) {
                const std::string path = dir.File(std::to_string(t) + "_" + std::to_string(i));
                if (!writeFileAtomically(path, path) ||
                    !writeFileAtomically(dir.File("shared.out"), path))
                    ++failed;
            }
        });
    for (auto &writer : writers)
        writer.join();
    EXPECT_EQ(failed, 0);
    for (int t = 0; t < Threads; ++t)
        for (int i = 0; i < Files; ++i) {
            const std::string path = dir.File(std::to_string(t) + "_" + std::to_string(i));
            EXPECT_EQ(ReadBytes(path), path);
        }
    EXPECT_EQ(ReadBytes(dir.File("shared.out")).rfind(dir.File(""), 0), 0u);
    int entries = 0;
    for ([[maybe_unused]] auto &e : std::filesystem::directory_iterator(dir.Path()))
        ++entries;
    EXPECT_EQ(entries, Threads * Files + 1); // no temporary file is left
}

TEST_F(FileUtil, ChangeFileExtReplacesOnlyTheLastExtension)
{
    EXPECT_EQ(changeFileExt("/x/y.inp", ".out"), "/x/y.out");
    EXPECT_EQ(changeFileExt("/x/y.txt.inp", ".out"), "/x/y.txt.out");
    EXPECT_EQ(changeFileExt("/a.b/c", ".out"), "/a.b/c.out");
    EXPECT_EQ(changeFileExt("/x/y.dat", ".inp"), "/x/y.inp");
}

TEST_F(FileUtil, LoadTextFileReplacesTheLines)
{
    std::string ten;
    for (int i = 0; i < 10; ++i)
        ten += "line\r\n";
    WriteBytes(dir.File("ten.out"), ten);
    WriteBytes(dir.File("three.out"), "a\r\nb\r\nc\r\n");
    ASSERT_TRUE(DMQuellow.LoadTextFile(dir.File("ten.out")));
    EXPECT_EQ(DMQuellow.NrOfLines, 10);
    ASSERT_TRUE(DMQuellow.LoadTextFile(dir.File("three.out")));
    EXPECT_EQ(DMQuellow.NrOfLines, 3);
    EXPECT_EQ(DMQuellow.OutLines, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(prompts.Messages.empty());
}

TEST_F(FileUtil, LoadTextFileOfAnEmptyFileGivesNoLines)
{
    WriteBytes(dir.File("three.out"), "a\r\nb\r\nc\r\n");
    WriteBytes(dir.File("empty.out"), "");
    ASSERT_TRUE(DMQuellow.LoadTextFile(dir.File("three.out")));
    ASSERT_TRUE(DMQuellow.LoadTextFile(dir.File("empty.out")));
    EXPECT_EQ(DMQuellow.NrOfLines, 0);
    EXPECT_EQ(DMQuellow.OutLines.size(), 3u);
}

TEST_F(FileUtil, LoadTextFileOfAMissingFileShowsTheMessage)
{
    WriteBytes(dir.File("three.out"), "a\r\nb\r\nc\r\n");
    ASSERT_TRUE(DMQuellow.LoadTextFile(dir.File("three.out")));
    const std::string path = dir.File("none.out");
    EXPECT_FALSE(DMQuellow.LoadTextFile(path));
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_EQ(prompts.Messages[0],
              "The file \"" + path +
                  "\" could not be opened.  It may be damaged,  not created due to inadequate "
                  "input data,  in use by another program.");
    EXPECT_EQ(DMQuellow.NrOfLines, 3);
}

TEST_F(FileUtil, ProgramErrorAndConfirmGoThroughThePrompts)
{
    DMQuellow.ShowProgramError("Real numbers in the inputfile \"x\" are corrupt");
    EXPECT_EQ(prompts.Messages.back(),
              "A program error occurred.Real numbers in the inputfile \"x\" are corrupt");
    prompts.Answers = {true};
    EXPECT_TRUE(DMQuellow.Confirm("The file already exists, overwrite?"));
    EXPECT_FALSE(DMQuellow.Confirm("The file already exists, overwrite?")); // closed = No
    EXPECT_EQ(prompts.Questions.size(), 2u);
}

TEST_F(FileUtil, DataModuleStartsInTheWorkingFolder)
{
    DMQuellow.DataModuleCreate();
    EXPECT_EQ(DMQuellow.FileName, std::filesystem::current_path().string());
    EXPECT_EQ(DMQuellow.NrOfData, 0);
}

} // namespace
