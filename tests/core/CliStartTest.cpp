#include "files/UDMQuellow.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

using namespace quellow;
using namespace quellow::test;

namespace {

std::string cli()
{
    return std::string("'") + QUELLOW_CLI + "'";
}

// Everything but charts starts without loading the drawing or window libraries.
TEST(CliStart, LoadsNoToolkitLibrary)
{
    const TShellResult libraries = RunShell("ldd " + cli());
    ASSERT_EQ(libraries.Status, 0);
    EXPECT_NE(libraries.Out.find("libc.so"), std::string::npos) << libraries.Out;
    EXPECT_EQ(libraries.Out.find("libQt"), std::string::npos) << libraries.Out;
    EXPECT_EQ(libraries.Out.find("libGL"), std::string::npos) << libraries.Out;

    // The charts are drawn by the program beside it.
    const std::filesystem::path chart =
        std::filesystem::path(QUELLOW_CLI).parent_path() / "quellow-cli-chart";
    EXPECT_TRUE(std::filesystem::exists(chart));

    const TShellResult version = RunShell(cli() + " --version");
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Out, std::string("quellow-cli ") + QUELLOW_PROJECT_VERSION + "\n");
}

TEST(CliStart, ChartWithoutItsProgramSaysSoAndFails)
{
    TTempDir dir;
    const std::string alone = dir.File("quellow-cli");
    std::filesystem::copy_file(QUELLOW_CLI, alone);
    const TShellResult result = RunShell("'" + alone + "' chart x.out --kind 1 -o x.png 2>&1");
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(result.Out.rfind("quellow-cli chart: the chart program \"" +
                                   dir.File("quellow-cli-chart") + "\" could not be started: ",
                               0),
              0u)
        << result.Out;
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.png")));
}

// The divide of an analysis output is written with the separator of the user's numeric
// locale, as the window writes it: LC_ALL before LC_NUMERIC before LANG.
TEST(CliStart, DivideFollowsTheNumericLocaleOfTheEnvironment)
{
    TTempDir dir;
    const std::string input = dir.File("a.inp");
    WriteBytes(input, ReadBytes(TestData("analysis-relaxed.inp")));
    const std::string expected = ReadBytes(TestData("analysis-relaxed.out"));
    ASSERT_NE(expected.find("if Discharge > 1.52 then"), std::string::npos);
    const auto divideLine = [&](const std::string &environment) {
        std::filesystem::remove(dir.File("a.out"));
        const TShellResult run = RunShell("env -u LC_ALL -u LC_NUMERIC -u LANG " + environment +
                                          " " + cli() + " run '" + input + "' 2>/dev/null");
        const std::string out = ReadBytes(dir.File("a.out"));
        const std::size_t at = out.find("if Discharge > ");
        return run.Status == 0 && at != std::string::npos ? out.substr(at, 24) : "run failed";
    };
    EXPECT_EQ(divideLine(""), "if Discharge > 1.52 then");
    EXPECT_EQ(divideLine("LANG=de_DE.UTF-8"), "if Discharge > 1,52 then");
    EXPECT_EQ(divideLine("LANG=de_DE.UTF-8 LC_NUMERIC=en_GB.UTF-8"), "if Discharge > 1.52 then");
    EXPECT_EQ(divideLine("LANG=en_US LC_NUMERIC=fr_FR"), "if Discharge > 1,52 then");
    EXPECT_EQ(divideLine("LC_NUMERIC=fr_FR LC_ALL=C.UTF-8"), "if Discharge > 1.52 then");
    EXPECT_EQ(divideLine("LC_ALL=nl_NL LANG=C"), "if Discharge > 1,52 then");
}

} // namespace
