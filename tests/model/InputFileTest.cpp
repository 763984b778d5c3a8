#include "model/UDMQuellow.h"
#include "model/UFileUtil.h"
#include "model/UInputFile.h"
#include "model/UTextFields.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

using namespace quellow;
using namespace quellow::test;

namespace {

class InputFile : public ::testing::Test
{
protected:
    void SetUp() override { ResetAllState(); }
    TTempDir dir;
    TRecordingPrompts prompts;
};

TEST_F(InputFile, ExamplesReadBackAndWriteTheSameBytes)
{
    for (const char *name : {"Example-prediction-runoff.inp", "Example-prediction-drainage.inp"}) {
        ResetAllState();
        const std::string source = std::string(QUELLOW_SOURCE_DIR) + "/Data/" + name;
        DMQuellow.FileName = source;
        ASSERT_TRUE(DMQuellow.ReadInputFile()) << name;
        EXPECT_TRUE(prompts.Messages.empty());
        DMQuellow.FileName = name; // as written into line 7 of the example
        std::string text;
        ASSERT_TRUE(InputFileText(DMQuellow, ModelValues, text));
        EXPECT_EQ(text, ReadBytes(source)) << name;
    }
}

} // namespace
