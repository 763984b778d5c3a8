#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "files/UInputFile.h"
#include "files/UTextFields.h"
#include "tests/core/SameDataModule.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>

using namespace quellow;
using namespace quellow::test;

namespace {

std::string Crlf(std::initializer_list<std::string> lines)
{
    std::string text;
    for (const auto &line : lines)
        text += line + "\r\n";
    return text;
}

/// Head of a prediction file (lines 1 to 23) of the current layout.
std::string PredictionHead(const std::string &mode = " Prediction runoff")
{
    return Crlf({" Input data for Quellow program",
                 mode,
                 "",
                 "Area",
                 "Units",
                 "",
                 " Filename: x.inp",
                 " Maximum dead storage:    50.00",
                 " Initial dead storage:    50.00",
                 " Max.escape/time unit:  1.0E-0001",
                 " Linear reservoir function : Alpha = A * Runoff + B",
                 " A1 coefficient : 5.0000E-002",
                 " Value of B1 is : 1.0000E-001",
                 " A2 coefficient : 2.0000E-002",
                 " Value of B2 is : 3.0000E-002",
                 " Effective porosity (%) :    5.00",
                 " Initial runoff rate :     1.50",
                 " Initial water level :    20.00",
                 " Runoff division     :     0.70",
                 "",
                 " ------------------------------------------",
                 " Serial    T i m e   Rainfall   Escape rate",
                 " ------------------------------------------"});
}

/// Head of an analysis file (lines 1 to 14).
std::string AnalysisHead()
{
    return Crlf({" Input data for Quellow program", " Analysis and reconstruction", "", "Area",
                 "Units", "", " Filename: x.inp", " Maximum dead storage:    50.00",
                 " Initial dead storage:    40.00", " Max.escape/time unit:     2.50", "",
                 " -------------------------------------------------",
                 "  Serial    T i m e   R a i n    Esc. rate Run-off",
                 " -------------------------------------------------"});
}

std::string CorruptMessage(const std::string &path)
{
    return "A program error occurred.Real numbers in the inputfile \"" + path + "\" are corrupt";
}

class InputFile : public ::testing::Test
{
protected:
    void SetUp() override { ResetAllState(); }

    /// Writes text to name in the temporary folder and reads it as the current input file.
    bool Read(const std::string &text, const std::string &name = "in.inp")
    {
        WriteBytes(dir.File(name), text);
        DMQuellow.FileName = dir.File(name);
        return DMQuellow.ReadInputFile();
    }

    /// A data module that a failed read must leave alone.
    void FillSomething()
    {
        DMQuellow.FileName = dir.File("in.inp");
        DMQuellow.Title1 = "kept";
        DMQuellow.ModeTag = " Ana";
        DMQuellow.Analysis = true;
        DMQuellow.NrOfData = 2;
        DMQuellow.Serial = {1, 2};
        DMQuellow.Time = {1, 2};
        DMQuellow.Rain = {3, 4};
        DMQuellow.Escape = {0.5, 0.6};
        DMQuellow.Runoff = {7, 8};
        DMQuellow.Remove = {false, false};
        DMQuellow.MaxStor = 11;
        ModelValues.A1 = 0.3;
        ModelValues.Divide = 0.9;
    }

    TTempDir dir;
    TRecordingPrompts prompts;
};

// ---- Writing ---------------------------------------------------------------------------------

TEST_F(InputFile, WritesTheAnalysisLayoutSkippingRemovedRows)
{
    auto &dm = DMQuellow;
    dm.FileName = "/data/test.inp";
    dm.Title1 = "Test area";
    dm.Title2 = "mm and days";
    dm.ModeTag = " Ana";
    dm.Analysis = true;
    dm.MaxStor = 50;
    dm.InitStor = 0;
    dm.MaxEscape = 0.1;
    dm.NrOfData = 4;
    // As the sheet leaves them: one element more than the rows.
    dm.Time = {0.5, 1, 1.5, 10, 0};
    dm.Rain = {0, 3, 12.5, 12345678.9, 0};
    dm.Escape = {0.1, 0.2, 1, 0.05, 0};
    dm.Runoff = {2.5, 1, 0.75, 1234.5678, 0};
    dm.Remove = {false, true, false, false, false};
    std::string text;
    ASSERT_TRUE(InputFileText(dm, ModelValues, text));
    EXPECT_EQ(text, ReadBytes(TestData("input-analysis.inp")));

    // The file function writes the same text to the named file.
    dm.FileName = dir.File("a.inp");
    ASSERT_TRUE(dm.WriteInputFile());
    ASSERT_TRUE(InputFileText(dm, ModelValues, text));
    EXPECT_EQ(ReadBytes(dir.File("a.inp")), text);
    EXPECT_TRUE(prompts.Messages.empty());

    // Read back: the written rows, numbered without gaps.
    ASSERT_TRUE(dm.ReadInputFile());
    EXPECT_EQ(dm.NrOfData, 3);
    EXPECT_EQ(dm.Serial, (DataArrayI{1, 2, 3}));
    EXPECT_EQ(dm.Time, (DataArrayR{0.5, 1.5, 10}));
    EXPECT_EQ(dm.Rain, (DataArrayR{0, 12.5, 12345678.9}));
    EXPECT_EQ(dm.Escape, (DataArrayR{0.1, 1, 0.05}));
    EXPECT_EQ(dm.Runoff, (DataArrayR{2.5, 0.75, 1234.57}));
    EXPECT_EQ(dm.Remove, (RemoveSet{false, false, false}));
}

TEST_F(InputFile, WritesThePredictionLayoutWithE5AndChoiceFields)
{
    auto &dm = DMQuellow;
    dm.FileName = "/data/pred.inp";
    dm.Title1 = "Polder";
    dm.ModeTag = " Pre";
    dm.Drainage = true;
    dm.MaxStor = 20;
    dm.InitStor = 5.5;
    dm.MaxEscape = 0;
    dm.Porosity = 0.05;
    dm.InitRun = 1;
    dm.InitLevel = 0.25;
    dm.NrOfData = 2;
    dm.Time = {0, 1.5};
    dm.Rain = {0.4, 100};
    dm.Escape = {-1.5, 2};
    ModelValues = {0.00125, -0.5, 0, 123456, 0, 0};
    std::string text;
    ASSERT_TRUE(InputFileText(dm, ModelValues, text));
    EXPECT_EQ(text, ReadBytes(TestData("input-prediction.inp")));

    // A porosity given in percent is written the same way; a comma locale changes no e5 field.
    dm.Porosity = 5;
    DecimalSeparator = ',';
    std::string again;
    ASSERT_TRUE(InputFileText(dm, ModelValues, again));
    EXPECT_EQ(again, text);

    // A line break in a title would shift every later line: it is written as a blank.
    dm.Title2 = "two\r\nlines";
    ASSERT_TRUE(InputFileText(dm, ModelValues, again));
    EXPECT_EQ(splitLines(again).size(), splitLines(text).size());
    EXPECT_EQ(splitLines(again)[4], "two  lines");
}

TEST_F(InputFile, ModeLineFollowsModeTagAndDrainage)
{
    TDMQuellow dm;
    dm.ModeTag = " Pre";
    EXPECT_EQ(ModeLine(dm), " Prediction runoff");
    dm.Drainage = true;
    EXPECT_EQ(ModeLine(dm), " Prediction drainage");
    dm.ModeTag = " Ana";
    EXPECT_EQ(ModeLine(dm), " Analysis and reconstruction");
}

TEST_F(InputFile, RowsThatCannotBeWrittenAreReportedAndNothingIsWritten)
{
    auto &dm = DMQuellow;
    dm.FileName = dir.File("bad.inp");
    dm.ModeTag = " Ana";
    dm.Analysis = true;
    dm.NrOfData = 3;
    dm.Time = {1, 2}; // one row short
    dm.Rain = {0, 0};
    dm.Escape = {0, 0};
    dm.Runoff = {0, 0};
    EXPECT_FALSE(dm.WriteInputFile());
    dm.NrOfData = 2;
    dm.Rain[1] = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(dm.WriteInputFile());
    EXPECT_EQ(prompts.Messages, (std::vector<std::string>(2, CorruptMessage(dm.FileName))));
    EXPECT_FALSE(fileExists(dm.FileName));
}

TEST_F(InputFile, AFileThatCannotBeCreatedKeepsTheOldOne)
{
    auto &dm = DMQuellow;
    dm.ModeTag = " Pre";
    dm.FileName = dir.Path(); // a folder
    EXPECT_FALSE(dm.WriteInputFile());
    dm.FileName = dir.File("missing-folder/a.inp");
    EXPECT_FALSE(dm.WriteInputFile());
    ASSERT_EQ(prompts.Messages.size(), 2u);
    EXPECT_EQ(prompts.Messages[1],
              "The file \"" + dm.FileName +
                  "\"could not be opened. It may be damaged or in use by another program.");
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path()));
}

// ---- Reading ---------------------------------------------------------------------------------

TEST_F(InputFile, ReadsThePredictionLayout)
{
    DMQuellow.FileName = TestData("input-prediction.inp");
    ASSERT_TRUE(DMQuellow.ReadInputFile());
    const auto &dm = DMQuellow;
    EXPECT_EQ(dm.ModeTag, " Pre");
    EXPECT_FALSE(dm.Analysis);
    EXPECT_TRUE(dm.Drainage);
    EXPECT_EQ(dm.Title1, "Polder");
    EXPECT_EQ(dm.Title2, "");
    EXPECT_EQ(dm.MaxStor, 20);
    EXPECT_EQ(dm.InitStor, 5.5);
    EXPECT_EQ(dm.MaxEscape, 0);
    EXPECT_EQ(ModelValues.A1, 0.00125);
    EXPECT_EQ(ModelValues.B1, -0.5);
    EXPECT_EQ(ModelValues.A2, 0);
    EXPECT_EQ(ModelValues.B2, 123460);
    EXPECT_EQ(dm.Porosity, 5); // kept in percent
    EXPECT_EQ(dm.InitRun, 1);
    EXPECT_EQ(dm.InitLevel, 0.25);
    EXPECT_EQ(ModelValues.Divide, 0);
    EXPECT_EQ(dm.NrOfData, 2);
    EXPECT_EQ(dm.Time, (DataArrayR{0, 1.5}));
    EXPECT_EQ(dm.Rain, (DataArrayR{0.4, 100}));
    EXPECT_EQ(dm.Escape, (DataArrayR{-1.5, 2}));
    EXPECT_TRUE(prompts.Messages.empty()); // negative escape is fine in a prediction

    DMQuellow.FileName = TestData("pred-runoff.inp");
    ASSERT_TRUE(DMQuellow.ReadInputFile());
    EXPECT_FALSE(DMQuellow.Drainage);
    EXPECT_EQ(DMQuellow.NrOfData, 4);
}

TEST_F(InputFile, AnalysisRowWithFourNumbersTakesTheLastAsRunoffAndWarnsOnce)
{
    ASSERT_TRUE(
        Read(AnalysisHead() + Crlf({"    1  1.00  2.00  0.30", "    2  2.00  0.00  0.40  0.50",
                                    "    3  3.00  1.00  0.20"})));
    const auto &dm = DMQuellow;
    EXPECT_EQ(dm.NrOfData, 3);
    EXPECT_EQ(dm.Runoff, (DataArrayR{0.3, 0.5, 0.2}));
    EXPECT_EQ(dm.Escape, (DataArrayR{2.5, 0.4, 2.5}));
    EXPECT_EQ(prompts.Messages, std::vector<std::string>{"Please check the escape rates"});
}

TEST_F(InputFile, PredictionRowWithoutEscapeTakesTheMaximumAndWarnsOnce)
{
    ASSERT_TRUE(Read(PredictionHead() +
                     Crlf({"    1  1.00  2.00", "    2  2.00  0.00  0.40", "    3  3.00  1.00"})));
    EXPECT_EQ(DMQuellow.Escape, (DataArrayR{0.1, 0.4, 0.1}));
    EXPECT_EQ(prompts.Messages, std::vector<std::string>{"Please check the ecape rates"});
}

TEST_F(InputFile, NegativeEvaporationInAnAnalysisIsReportedOnce)
{
    ASSERT_TRUE(Read(AnalysisHead() +
                     Crlf({"    1  1.00  2.00  -0.30  1.00", "    2  2.00  0.00  -0.40  1.00"})));
    EXPECT_EQ(DMQuellow.NrOfData, 2);
    EXPECT_EQ(prompts.Messages,
              std::vector<std::string>{
                  "There are negative evaporation values, i.e. there is another source of water. "
                  "This program cannot handle that. Use QuellowT instead, unless the prediction "
                  "mode will be used."});
}

TEST_F(InputFile, OutdatedPredictionLayoutIsReadWithA2ZeroAndB2DivideKept)
{
    ModelValues.A2 = 9;
    ModelValues.B2 = 0.25;
    ModelValues.Divide = 1.75;
    const std::string text = Crlf({" Input data for Quellow program",
                                   " Prediction drainage",
                                   "",
                                   "Old",
                                   "File",
                                   "",
                                   " Filename: old.inp",
                                   " Maximum dead storage:    50.00",
                                   " Initial dead storage:    50.00",
                                   " Max.escape/time unit:     1.00",
                                   " Linear reservoir function : Alpha = A * Runoff + B",
                                   " A1 coefficient : 5.0000E-002",
                                   " Value of B1 is : 1.0000E-001",
                                   " Effective porosity (%) :    4.00",
                                   " Initial runoff rate :     1.50",
                                   " Initial water level :    20.00",
                                   "",
                                   " ------------------------------------------",
                                   " Serial    T i m e   Rainfall   Escape rate",
                                   " ------------------------------------------",
                                   "    1  1.00  2.00  0.10",
                                   "    2  2.00  3.00  0.20"});
    ASSERT_TRUE(Read(text));
    EXPECT_EQ(prompts.Messages,
              std::vector<std::string>{"This is an outdated input file. Please make the necessary "
                                       "adjustments for the Alpha characteristics."});
    EXPECT_TRUE(DMQuellow.Drainage);
    EXPECT_EQ(ModelValues.A1, 0.05);
    EXPECT_EQ(ModelValues.B1, 0.1);
    EXPECT_EQ(ModelValues.A2, 0);
    EXPECT_EQ(ModelValues.B2, 0.25);
    EXPECT_EQ(ModelValues.Divide, 1.75);
    EXPECT_EQ(DMQuellow.Porosity, 4);
    EXPECT_EQ(DMQuellow.InitRun, 1.5);
    EXPECT_EQ(DMQuellow.InitLevel, 20);
    EXPECT_EQ(DMQuellow.NrOfData, 2);
    EXPECT_EQ(DMQuellow.Rain, (DataArrayR{2, 3}));
}

TEST_F(InputFile, AFileWithoutRowsKeepsTheRowsThatWereThere)
{
    FillSomething();
    ASSERT_TRUE(Read(PredictionHead()));
    EXPECT_EQ(DMQuellow.NrOfData, 2);
    EXPECT_EQ(DMQuellow.Time, (DataArrayR{1, 2}));
    EXPECT_FALSE(DMQuellow.Analysis); // the head is taken over
    EXPECT_EQ(DMQuellow.Title1, "Area");
    EXPECT_EQ(ModelValues.Divide, 0.7);
}

TEST_F(InputFile, HandEditedFilesReadLikeTheProgramsOwn)
{
    ASSERT_TRUE(Read(ReadBytes(TestData("pred-runoff.inp"))));
    const TDMQuellow clean = DMQuellow;
    const TModelValues cleanValues = ModelValues;

    // LF line ends, blanks and tabs after the last number, empty lines at the end.
    std::string edited;
    for (const std::string &line : splitLines(ReadBytes(TestData("pred-runoff.inp"))))
        edited += line + (line.rfind("    ", 0) == 0 ? " \t  \n" : "\n");
    edited += "\n  \n";
    ResetAllState();
    ASSERT_TRUE(Read(edited));
    EXPECT_TRUE(SameModel(DMQuellow, ModelValues, clean, cleanValues));
    EXPECT_TRUE(prompts.Messages.empty());
}

TEST_F(InputFile, TheNumberAtTheEndOfARowTakesTheLocaleSeparatorToo)
{
    DecimalSeparator = ',';
    ASSERT_TRUE(Read(AnalysisHead() +
                     Crlf({"    1  1.00  2.00  0.30  2,5", "    2  2.00  0.00  0.40  1.25"})));
    EXPECT_EQ(DMQuellow.Runoff, (DataArrayR{2.5, 1.25}));
    DecimalSeparator = '.';
    EXPECT_FALSE(Read(AnalysisHead() + Crlf({"    1  1.00  2.00  0.30  2,5"})));
}

TEST_F(InputFile, CorruptNumbersAbandonTheReadAndKeepTheDataModule)
{
    const std::vector<std::string> badRows = {
        "    1  1.00  2.00  0.30  nan",   "    1  1.00  2.00  0.30  inf",
        "    1  1.00  2.00  0.30  1e999", "    1  1.00  2,00  0.30  1.00",
        "    1  x     2.00  0.30  1.00",  "    1  1.00",
        "  1.5  1.00  2.00  0.30  1.00",  "    1  1.00  2.00  0.30  1.0 2.0"};
    for (const std::string &bad : badRows) {
        ResetAllState();
        prompts.Messages.clear();
        FillSomething();
        const TDMQuellow before = DMQuellow;
        const TModelValues beforeValues = ModelValues;
        EXPECT_FALSE(Read(AnalysisHead() + Crlf({"    1  0.50  2.00  0.30  1.00", bad}))) << bad;
        EXPECT_EQ(prompts.Messages, std::vector<std::string>{CorruptMessage(dir.File("in.inp"))})
            << bad;
        EXPECT_TRUE(SameModel(DMQuellow, ModelValues, before, beforeValues)) << bad;
    }
}

TEST_F(InputFile, ACorruptParameterIsReportedToo)
{
    FillSomething();
    const TDMQuellow before = DMQuellow;
    const TModelValues beforeValues = ModelValues;
    std::string text = PredictionHead();
    text.replace(text.find("5.0000E-002"), 11, "5.0000E-00x");
    EXPECT_FALSE(Read(text));
    EXPECT_EQ(prompts.Messages, std::vector<std::string>{CorruptMessage(dir.File("in.inp"))});
    EXPECT_TRUE(SameModel(DMQuellow, ModelValues, before, beforeValues));
}

TEST_F(InputFile, BadFilesGetAMessageAndChangeNothing)
{
    const std::string folder = dir.File("folder.inp");
    std::filesystem::create_directory(folder);
    WriteBytes(dir.File("empty.inp"), "");
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage += static_cast<char>((i * 131 + 7) % 256);
    WriteBytes(dir.File("garbage.inp"), garbage);
    {
        std::ofstream big(dir.File("big.inp"), std::ios::binary);
        const std::string block = ReadBytes(TestData("pred-runoff.inp"));
        for (std::size_t written = 0; written < (50u << 20); written += block.size())
            big << block;
    }
    WriteBytes(dir.File("line.inp"), std::string(10u << 20, '7'));
    const std::string full = ReadBytes(TestData("pred-runoff.inp"));
    WriteBytes(dir.File("cut-head.inp"), full.substr(0, full.find(" Initial dead")));
    WriteBytes(dir.File("cut-row.inp"), full.substr(0, full.size() - 22));
    WriteBytes(dir.File("text.inp"), "just some text\r\nof two lines\r\n");

    const std::vector<std::pair<std::string, std::string>> cases = {
        {"missing.inp", "\"could not be opened. It may be damaged or in use by another program."},
        {"folder.inp", "\"could not be opened. It may be damaged or in use by another program."},
        {"empty.inp", "\" is not a Quellow input file: its second line begins with neither "
                      "\" Analysis\" nor \" Prediction\"."},
        {"garbage.inp", "\" is not a text file. It may be damaged or not an input file."},
        {"big.inp", "\" is too large for an input file (more than 8 MB). It may be damaged or "
                    "not an input file."},
        {"line.inp", "\" is too large for an input file (more than 8 MB). It may be damaged or "
                     "not an input file."},
        {"cut-head.inp", "\" are corrupt"},
        {"cut-row.inp", "\" are corrupt"},
        {"text.inp", "\" is not a Quellow input file: its second line begins with neither "
                     "\" Analysis\" nor \" Prediction\"."},
    };
    for (const auto &[name, ending] : cases) {
        ResetAllState();
        prompts.Messages.clear();
        FillSomething();
        DMQuellow.FileName = dir.File(name);
        const TDMQuellow before = DMQuellow;
        const TModelValues beforeValues = ModelValues;
        EXPECT_FALSE(DMQuellow.ReadInputFile()) << name;
        ASSERT_EQ(prompts.Messages.size(), 1u) << name;
        const std::string &message = prompts.Messages[0];
        EXPECT_NE(message.find("\"" + dir.File(name) + ending), std::string::npos) << message;
        EXPECT_TRUE(SameModel(DMQuellow, ModelValues, before, beforeValues)) << name;
    }
}

TEST_F(InputFile, ModeOfTheSecondLine)
{
    EXPECT_EQ(ModeOfLine(" Analysis and reconstruction"), TInputMode::Analysis);
    EXPECT_EQ(ModeOfLine(" Prediction drainage"), TInputMode::PredictionDrainage);
    EXPECT_EQ(ModeOfLine(" Prediction runoff"), TInputMode::PredictionRunoff);
    EXPECT_EQ(ModeOfLine(" Pre"), TInputMode::PredictionRunoff);
    EXPECT_EQ(ModeOfLine("Prediction drainage"), TInputMode::Unknown);
    EXPECT_EQ(ModeOfLine(""), TInputMode::Unknown);
}

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
