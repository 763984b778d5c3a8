#include "files/UDMQuellow.h"
#include "files/UInputFile.h"
#include "runs/UPrediction.h"
#include "runs/URainRun.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace quellow {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> ExampleFiles()
{
    std::vector<std::string> files;
    for (const auto &entry : fs::directory_iterator(fs::path(QUELLOW_SOURCE_DIR) / "Data"))
        if (entry.path().extension() == ".inp")
            files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    return files;
}

std::string ExamplePath(const std::string &name)
{
    return (fs::path(QUELLOW_SOURCE_DIR) / "Data" / name).string();
}

class ExampleDataTest : public ::testing::TestWithParam<std::string>
{
protected:
    void SetUp() override { ResetAllState(); }
    test::TRecordingPrompts prompts;
};

// Every example is in the program's own layout, byte for byte: read back and written again
// (with the bare file name that line 7 of an example shows) it gives the same text.
TEST_P(ExampleDataTest, WritingWhatWasReadGivesTheSameBytes)
{
    const std::string original = test::ReadBytes(ExamplePath(GetParam()));
    ASSERT_FALSE(original.empty());
    DMQuellow.FileName = ExamplePath(GetParam());
    ASSERT_TRUE(DMQuellow.ReadInputFile());
    EXPECT_EQ(prompts.Messages, std::vector<std::string>{});
    EXPECT_LE(DMQuellow.NrOfData, 1500);
    DMQuellow.FileName = GetParam();
    DMQuellow.Remove.assign(static_cast<std::size_t>(DMQuellow.NrOfData), false);
    std::string text;
    ASSERT_TRUE(InputFileText(DMQuellow, ModelValues, text));
    EXPECT_EQ(text, original);
}

// Every example runs to an output file through quellow-cli, as the README shows.
TEST_P(ExampleDataTest, RunsToAnOutputFile)
{
    test::TTempDir dir;
    const std::string copy = dir.File(GetParam());
    test::WriteBytes(copy, test::ReadBytes(ExamplePath(GetParam())));
    const std::string command =
        std::string("\"") + QUELLOW_CLI + "\" run \"" + copy + "\" > /dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    const std::string output = test::ReadBytes(fs::path(copy).replace_extension(".out").string());
    EXPECT_GT(output.size(), 1000u);
}

INSTANTIATE_TEST_SUITE_P(Data, ExampleDataTest, ::testing::ValuesIn(ExampleFiles()),
                         [](const auto &info) {
                             std::string name = info.param.substr(0, info.param.size() - 4);
                             for (char &c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

struct TSeason
{
    const char *file;
    double minRSquare;
    int rows;
};

class SeasonExampleTest : public ::testing::TestWithParam<TSeason>
{
protected:
    void SetUp() override { ResetAllState(); }
    test::TRecordingPrompts prompts;
};

// The seasons run to an output with a fit that the README reports.
TEST_P(SeasonExampleTest, AnalysisFitsTheMeasuredRunoff)
{
    test::TTempDir dir;
    const std::string copy = dir.File(GetParam().file);
    test::WriteBytes(copy, test::ReadBytes(ExamplePath(GetParam().file)));
    DMQuellow.FileName = copy;
    ASSERT_TRUE(URainRun::DivideSearch());
    EXPECT_EQ(URainRun::State.DataCount, GetParam().rows);
    EXPECT_GE(ModelValues.RSquare, GetParam().minRSquare);
    EXPECT_FALSE(URainRun::State.NonPositiveSlope);
    EXPECT_FALSE(URainRun::State.LimitedData);
    EXPECT_TRUE(fs::exists(dir.File(fs::path(GetParam().file).replace_extension(".out").string())));
}

INSTANTIATE_TEST_SUITE_P(Data, SeasonExampleTest,
                         ::testing::Values(TSeason{"Catchment-wet-season.inp", 0.87, 121},
                                           TSeason{"Catchment-dry-season.inp", 0.86, 183}),
                         [](const auto &info) {
                             return std::string(info.param.file[10] == 'w' ? "Wet" : "Dry");
                         });

// The converter script still makes the committed seasons (skipped where the source data are
// not at hand).
TEST(ExampleDataConverter, MakesTheCommittedFiles)
{
    fs::path raw;
    for (fs::path folder = fs::absolute(QUELLOW_SOURCE_DIR); folder != folder.parent_path();
         folder = folder.parent_path())
        if (fs::exists(folder.parent_path() / "shared/data/raw/spotpy-hymod/hymod_input.csv")) {
            raw = folder.parent_path() / "shared/data/raw";
            break;
        }
    if (raw.empty() || std::system("python3 --version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "source data or python3 not found";
    test::TTempDir dir;
    const std::string command = "python3 \"" + std::string(QUELLOW_SOURCE_DIR) +
                                "/scripts/convert-example-data.py\" --raw \"" + raw.string() +
                                "\" --out \"" + dir.Path() + "\" > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const char *name : {"Catchment-wet-season.inp", "Catchment-dry-season.inp"})
        EXPECT_EQ(test::ReadBytes(dir.File(name)), test::ReadBytes(ExamplePath(name))) << name;
}

} // namespace
} // namespace quellow
