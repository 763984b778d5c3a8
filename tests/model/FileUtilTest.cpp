#include "model/UDMQuellow.h"
#include "model/UFileUtil.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace quellow;
using namespace quellow::test;

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
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n"), (V{"a"}));
    EXPECT_EQ(SplitLines(""), V{});
    EXPECT_EQ(SplitLines("\r\n\r\n"), (V{"", ""}));
    EXPECT_EQ(SplitLines("last"), (V{"last"}));
}

TEST_F(FileUtil, ReadTextFileRefusesWhatIsNoTextFile)
{
    std::vector<std::string> lines{"kept"};
    EXPECT_EQ(ReadTextFile(dir.File("missing.inp"), lines), TReadStatus::CannotOpen);
    EXPECT_EQ(ReadTextFile(dir.Path(), lines), TReadStatus::CannotOpen);
    WriteBytes(dir.File("bin"), std::string("ab\0cd", 5));
    EXPECT_EQ(ReadTextFile(dir.File("bin"), lines), TReadStatus::Binary);
    WriteBytes(dir.File("big"), std::string(5000, 'x'));
    EXPECT_EQ(ReadTextFile(dir.File("big"), lines, 4096), TReadStatus::TooLarge);
    EXPECT_EQ(lines, std::vector<std::string>{"kept"});
    EXPECT_EQ(ReadTextFile(dir.File("big"), lines), TReadStatus::Ok);
    EXPECT_EQ(lines.size(), 1u);
}

TEST_F(FileUtil, AtomicWriteReplacesAndLeavesNoTemporaryFile)
{
    const std::string path = dir.File("a.out");
    WriteBytes(path, "old");
    ASSERT_TRUE(WriteFileAtomically(path, "new\r\n"));
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
    EXPECT_FALSE(WriteFileAtomically(dir.File("folder.out"), "x"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.out")));
    EXPECT_FALSE(WriteFileAtomically(dir.File("nofolder/a.out"), "x"));
    if (::geteuid() != 0) { // root writes into read-only folders anyway
        ::chmod(dir.Path().c_str(), 0555);
        EXPECT_FALSE(WriteFileAtomically(path, "new"));
        ::chmod(dir.Path().c_str(), 0755);
    }
    EXPECT_EQ(ReadBytes(path), "old");
}

TEST_F(FileUtil, ChangeFileExtReplacesOnlyTheLastExtension)
{
    EXPECT_EQ(ChangeFileExt("/x/y.inp", ".out"), "/x/y.out");
    EXPECT_EQ(ChangeFileExt("/x/y.txt.inp", ".out"), "/x/y.txt.out");
    EXPECT_EQ(ChangeFileExt("/a.b/c", ".out"), "/a.b/c.out");
    EXPECT_EQ(ChangeFileExt("/x/y.dat", ".inp"), "/x/y.inp");
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
