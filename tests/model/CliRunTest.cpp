#include "model/UDMQuellow.h"
#include "model/UFileUtil.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

using namespace quellow;
using namespace quellow::test;

namespace {

class CliRun : public ::testing::Test
{
protected:
    void SetUp() override { ResetAllState(); }

    /// Runs quellow-cli in the temporary folder; returns its exit status, stderr in errors.
    int Cli(const std::string &arguments)
    {
        const std::string command = "cd '" + dir.Path() + "' && '" + QUELLOW_CLI + "' " +
                                    arguments + " >stdout.txt 2>stderr.txt";
        const int status = std::system(command.c_str());
        errors = ReadBytes(dir.File("stderr.txt"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string Copy(const std::string &name)
    {
        WriteBytes(dir.File(name), ReadBytes(TestData(name)));
        return dir.File(name);
    }

    static std::string Golden(const std::string &name, const std::string &inputPath)
    {
        std::string text = ReadBytes(TestData(name));
        text.replace(text.find("@INPUT@"), 7, inputPath);
        return text;
    }

    TTempDir dir;
    std::string errors;
};

TEST_F(CliRun, WritesThePredictionOutputBesideTheInput)
{
    const std::string runoff = Copy("pred-runoff.inp");
    EXPECT_EQ(Cli("run " + runoff), 0);
    EXPECT_EQ(errors, "");
    EXPECT_EQ(ReadBytes(dir.File("pred-runoff.out")), Golden("pred-runoff.out", runoff));

    // A relative name: the output names the input by its full path.
    const std::string drainage = Copy("pred-drainage.inp");
    EXPECT_EQ(Cli("run pred-drainage.inp"), 0);
    EXPECT_EQ(errors, "");
    EXPECT_EQ(ReadBytes(dir.File("pred-drainage.out")), Golden("pred-drainage.out", drainage));
}

TEST_F(CliRun, MessagesGoToStandardErrorOnePerLineAndNoOutputIsWritten)
{
    // A time that goes back stops the run.
    std::string text = ReadBytes(TestData("pred-runoff.inp"));
    text.replace(text.find("    3         2.00"), 18, "    3         0.50");
    WriteBytes(dir.File("back.inp"), text);
    EXPECT_EQ(Cli("run back.inp"), 1);
    EXPECT_EQ(errors, "Incorrect time sequence encountered Please correct the input file\n");
    EXPECT_FALSE(FileExists(dir.File("back.out")));

    EXPECT_EQ(Cli("run missing.inp"), 1);
    EXPECT_EQ(errors, "The file \"" + dir.File("missing.inp") +
                          "\"could not be opened. It may be damaged or in use by another "
                          "program.\n");
}

TEST_F(CliRun, RefusesWhatItCannotRun)
{
    WriteBytes(dir.File("a.inp"), ReadBytes(TestData("input-analysis.inp")));
    // An analysis of too few dry rows halts in its final run and files nothing.
    EXPECT_EQ(Cli("run a.inp"), 1);
    EXPECT_EQ(errors, "The number of data with little rainfall is not enough to determine the "
                      "reaction factor.The program halts\n");
    EXPECT_FALSE(FileExists(dir.File("a.out")));
    EXPECT_FALSE(FileExists(dir.File("a.dat")));

    WriteBytes(dir.File("notes.inp"), "Some notes\r\nabout nothing\r\n");
    EXPECT_EQ(Cli("run notes.inp"), 1);
    EXPECT_EQ(errors, "The file \"" + dir.File("notes.inp") +
                          "\" is not a Quellow input file: its second line begins with neither "
                          "\" Analysis\" nor \" Prediction\".\n");

    EXPECT_EQ(Cli("run"), 2);
    EXPECT_NE(errors.find("Usage: quellow-cli run FILE.inp"), std::string::npos);
    EXPECT_EQ(Cli("run " + dir.Path()), 1);
    EXPECT_NE(errors.find("could not be opened"), std::string::npos);
}

} // namespace
