#include "files/UDMQuellow.h"
#include "files/UTextFields.h"
#include "runs/URainRun.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

using namespace quellow;
using namespace quellow::test;

namespace {

/// The window's toolkit sets the C library's numeric locale from the user's settings. These
/// tests do the same with a locale that writes a decimal comma, and check that the files are
/// written with full stops all the same.
class CommaNumericLocale : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetAllState();
        for (const char *name : {"de_DE.UTF-8", "de_DE.utf8", "nl_NL.UTF-8", "fr_FR.UTF-8"})
            if (std::setlocale(LC_NUMERIC, name))
                return;
        // None installed: build one beside the test, where the definitions are at hand.
        const std::string build =
            "localedef -i de_DE -f UTF-8 '" + dir.File("de_DE.UTF-8") + "' >/dev/null 2>&1";
        if (std::system(build.c_str()) == 0) {
            setenv("LOCPATH", dir.Path().c_str(), 1);
            if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
                return;
        }
        GTEST_SKIP() << "no locale with a decimal comma can be had here";
    }
    void TearDown() override
    {
        std::setlocale(LC_NUMERIC, "C");
        unsetenv("LOCPATH");
    }

    TTempDir dir;
    TRecordingPrompts prompts;
};

TEST_F(CommaNumericLocale, FilesKeepTheFullStop)
{
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    ASSERT_EQ(std::string(probe), "0,5") << "the locale was not taken";

    EXPECT_EQ(sci(0.5, 10), " 5.0E-0001");
    EXPECT_EQ(sci(-0.25, 10), "-2.5E-0001");
    EXPECT_EQ(e5(0.00125), "1.2500E-003");
    EXPECT_EQ(choice(0.1, 10, 2), " 1.0E-0001");
    EXPECT_EQ(choice(12.5, 10, 2), "     12.50");

    // The input file as the window writes it (fields below 1 in scientific notation), read
    // back and run.
    const std::string input = dir.File("analysis-relaxed.inp");
    WriteBytes(input, ReadBytes(TestData("analysis-relaxed.inp")));
    DMQuellow.FileName = input;
    ASSERT_TRUE(DMQuellow.ReadInputFile());
    ASSERT_TRUE(DMQuellow.WriteInputFile());
    std::string expected = ReadBytes(TestData("analysis-relaxed.inp"));
    expected.replace(expected.find("analysis-relaxed.inp"), 20, input);
    EXPECT_EQ(ReadBytes(input), expected);
    ASSERT_TRUE(URainRun::DivideSearch());
    EXPECT_EQ(ReadBytes(dir.File("analysis-relaxed.dat")),
              ReadBytes(TestData("analysis-relaxed.dat")));
}

} // namespace
