#include "files/UDMQuellow.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

using namespace quellow;
using namespace quellow::test;
namespace fs = std::filesystem;

namespace {

std::string Crlf(std::initializer_list<std::string> lines)
{
    std::string text;
    for (const auto &line : lines)
        text += line + "\r\n";
    return text;
}

/// quellow-cli import and convert, run in a temporary folder.
class CliImport : public ::testing::Test
{
protected:
    void SetUp() override { ResetAllState(); }

    int Cli(const std::string &arguments)
    {
        const TCliResult result = RunCli(dir, arguments);
        errors = result.Err;
        return result.Status;
    }

    /// The public series, found beside the project as the examples' converter finds them.
    static fs::path RawData()
    {
        for (fs::path folder = fs::absolute(QUELLOW_SOURCE_DIR); folder != folder.parent_path();
             folder = folder.parent_path())
            if (fs::exists(folder.parent_path() / "shared/data/raw/rrmpg-gr4j"))
                return folder.parent_path() / "shared/data/raw";
        return {};
    }

    static std::string Row(const std::string &text, int line)
    {
        std::size_t start = 0;
        for (int k = 1; k < line; ++k)
            start = text.find("\r\n", start) + 2;
        return text.substr(start, text.find("\r\n", start) - start);
    }

    TTempDir dir;
    std::string errors;
};

TEST_F(CliImport, AwkwardFileGivesTheInputFileWrittenByHandAndRuns)
{
    // Semicolons, decimal commas, CR LF, a comment, day.month.year, runoff in l/s with gaps.
    WriteBytes(dir.File("gauge.csv"), ReadBytes(TestData("import-awkward.csv")));
    ASSERT_EQ(Cli("import gauge.csv --mode analysis -o gauge.inp --scale runoff=0.1 --title1 "
                  "'Awkward gauge' --title2 'mm/d; runoff from l/s' --max-storage 30 "
                  "--initial-storage 10"),
              0)
        << errors;
    std::string expected = ReadBytes(TestData("import-awkward.inp"));
    expected.replace(expected.find("@INPUT@"), 7, dir.File("gauge.inp"));
    EXPECT_EQ(ReadBytes(dir.File("gauge.inp")), expected);
    EXPECT_NE(errors.find("2 gaps: runoff: 31.10.2015 (1 row); runoff: 14.11.2015 (1 row).\n"
                          "Imported the longest gap-free stretch: 01.11.2015 to 13.11.2015 "
                          "(13 rows).\n"),
              std::string::npos)
        << errors;
    EXPECT_EQ(Cli("run gauge.inp"), 0) << errors;
    EXPECT_TRUE(fs::exists(dir.File("gauge.out")));
}

TEST_F(CliImport, PublicSeriesImportWithoutEditingAndRun)
{
    const fs::path raw = RawData();
    if (raw.empty())
        GTEST_SKIP() << "public series not found";
    // Comma-separated, month/day/year, mm/d.
    ASSERT_EQ(Cli("import '" + (raw / "rrmpg-gr4j/gr4j_example_data.csv").string() +
                  "' --mode analysis -o gr4j.inp"),
              0)
        << errors;
    EXPECT_NE(errors.find("Columns: date 'date', rain 'prec', escape 'etp', runoff 'qobs'."),
              std::string::npos);
    EXPECT_NE(errors.find("Imported every row: 1/1/1991 to 12/30/1992 (730 rows)."),
              std::string::npos);
    const std::string gr4j = ReadBytes(dir.File("gr4j.inp"));
    EXPECT_EQ(Row(gr4j, 15), "    1  0.000E+0000      14.10  4.600E-0001       2.81");
    EXPECT_EQ(Row(gr4j, 744), "  730       729.00  0.0E+0000  4.600E-0001       2.41");
    EXPECT_EQ(Cli("run gr4j.inp"), 0) << errors;

    // Semicolon-separated, day.month.year, runoff in l/s with a year of 'nan'.
    const std::string hymod = "'" + (raw / "spotpy-hymod/hymod_input.csv").string() + "'";
    ASSERT_EQ(Cli("import " + hymod + " --mode analysis -o hymod.inp --scale runoff=0.048458"), 0)
        << errors;
    EXPECT_NE(errors.find("1 gap: runoff: 01.01.2012 to 31.12.2012 (366 rows).\nImported the "
                          "longest gap-free stretch: 01.01.2013 to 31.12.2016 (1461 rows)."),
              std::string::npos)
        << errors;
    // The title names the source, the first date taken and the factor applied.
    EXPECT_EQ(Row(ReadBytes(dir.File("hymod.inp")), 5),
              "Imported from hymod_input.csv, first date 2013-01-01; time in days; runoff x "
              "0.048458, rain and escape rate as in the file");
    EXPECT_EQ(Cli("run hymod.inp"), 0) << errors;
    // A prediction needs no runoff, but takes at most 501 rows: the first 501 are taken.
    ASSERT_EQ(Cli("import " + hymod +
                  " --mode prediction -o pred.inp --alpha "
                  "0.01,0.05,0.02,0.03,1 --initial-runoff 0.5"),
              0)
        << errors;
    EXPECT_NE(errors.find("The file, 01.01.2012 to 31.12.2016 (1827 rows), is longer than a "
                          "prediction takes at most 501 rows: the first 501 rows were imported, "
                          "01.01.2012 to 15.05.2013."),
              std::string::npos)
        << errors;
    EXPECT_EQ(Cli("run pred.inp"), 0) << errors;
}

TEST_F(CliImport, FailedImportWritesNothing)
{
    WriteBytes(dir.File("old.inp"), "keep me");
    WriteBytes(dir.File("bad.csv"),
               "date,rain,escape,runoff\n2015-11-02,1,2,3\n2015-11-01,1,2,3\n");
    EXPECT_EQ(Cli("import bad.csv --mode analysis -o old.inp"), 1);
    EXPECT_EQ(errors,
              "In bad.csv: Dates out of order or repeated: line 3 (2015-11-01) comes after line 2 "
              "(2015-11-02). The rows must follow each other in time, one row per date. "
              "Nothing was written.\n");
    EXPECT_EQ(ReadBytes(dir.File("old.inp")), "keep me");
    // Wrong command lines are usage errors (status 2) and write nothing either.
    EXPECT_EQ(Cli("import bad.csv -o x.inp"), 2);
    EXPECT_EQ(Cli("import bad.csv --mode analysis -o x.inp --scale flow=2"), 2);
    EXPECT_EQ(Cli("import bad.csv --mode analysis -o x.inp --date-order ydm"), 2);
    EXPECT_EQ(Cli("import bad.csv --mode analysis -o x.inp --decimal dot"), 2);
    EXPECT_FALSE(fs::exists(dir.File("x.inp")));
}

TEST_F(CliImport, DecimalMarkAndIrregularStepsAreTheUsersToChoose)
{
    // 1,234 l/s read two ways; the 5th of November is left out.
    std::string csv = "date;rain;escape;runoff\n";
    for (int day = 1; day <= 20; ++day)
        if (day != 5)
            csv += (day < 10 ? "0" : "") + std::to_string(day) + ".11.2015;1;0;" +
                   (day == 1 ? "1,234" : "2") + "\n";
    WriteBytes(dir.File("two.csv"), csv);
    ASSERT_EQ(Cli("import two.csv --mode analysis -o two.inp --decimal point --irregular"), 0)
        << errors;
    EXPECT_NE(errors.find("Column 'runoff' (runoff): 1,234 in line 2 reads two ways; read with a "
                          "decimal point as chosen, as 1234. Choose the decimal comma if it "
                          "means 1.234.\n"),
              std::string::npos)
        << errors;
    EXPECT_NE(errors.find("Irregular steps, taken as they are (1 day to 2 days)"),
              std::string::npos);
    const std::string inp = ReadBytes(dir.File("two.inp"));
    EXPECT_EQ(Row(inp, 15), "    1  0.000E+0000       1.00  0.0E+0000    1234.00");
    EXPECT_EQ(Row(inp, 19), "    5         5.00       1.00  0.0E+0000       2.00");
    ASSERT_EQ(Cli("import two.csv --mode analysis -o two.inp"), 0) << errors;
    EXPECT_NE(errors.find("1 gap: date: missing between 04.11.2015 and 06.11.2015 (1 row).\n"),
              std::string::npos)
        << errors;
}

TEST_F(CliImport, ConvertBringsOldLayoutsUpToDate)
{
    // The older prediction layout: no A2, B2 and runoff division; a row without escape rate.
    WriteBytes(dir.File("old.inp"), Crlf({" Input data for Quellow program",
                                          " Prediction drainage",
                                          "",
                                          "Polder",
                                          "",
                                          "",
                                          " Filename: C:\\data\\old.inp",
                                          " Maximum dead storage:    20.00",
                                          " Initial dead storage:     5.50",
                                          " Max.escape/time unit:     1.50",
                                          " Linear reservoir function : Alpha = A * Runoff + B",
                                          " A1 coefficient : 1.2500E-003",
                                          " Value of B1 is : 5.0000E-001",
                                          " Effective porosity (%) :    0.00",
                                          " Initial runoff rate :     1.00",
                                          " Initial water level :  2.500E-0001",
                                          "",
                                          " ------------------------------------------",
                                          " Serial    T i m e   Rainfall   Escape rate",
                                          " ------------------------------------------",
                                          "    1         1.00       4.00       2.00",
                                          "    2         2.00  0.0E+0000"}));
    ASSERT_EQ(Cli("convert old.inp -o new.inp"), 0) << errors;
    EXPECT_EQ(errors, "This is an outdated input file. Please make the necessary adjustments for "
                      "the Alpha characteristics.\nPlease check the ecape rates\n");
    // A porosity of 0 shows as 10 on the sheet and is saved so.
    EXPECT_EQ(ReadBytes(dir.File("new.inp")),
              Crlf({" Input data for Quellow program",
                    " Prediction drainage",
                    "",
                    "Polder",
                    "",
                    "",
                    " Filename: " + dir.File("new.inp"),
                    " Maximum dead storage:    20.00",
                    " Initial dead storage:     5.50",
                    " Max.escape/time unit:     1.50",
                    " Linear reservoir function : Alpha = A * Runoff + B",
                    " A1 coefficient : 1.2500E-003",
                    " Value of B1 is : 5.0000E-001",
                    " A2 coefficient : 0.0000E+000",
                    " Value of B2 is : 0.0000E+000",
                    " Effective porosity (%) :   10.00",
                    " Initial runoff rate :     1.00",
                    " Initial water level :  2.500E-0001",
                    " Runoff division     :     0.00",
                    "",
                    " ------------------------------------------",
                    " Serial    T i m e   Rainfall   Escape rate",
                    " ------------------------------------------",
                    "    1         1.00       4.00       2.00",
                    "    2         2.00  0.0E+0000       1.50"}));

    // Analysis rows of four numbers take the maximum escape rate; a negative zero is a zero.
    const std::string head =
        Crlf({" Input data for Quellow program", " Analysis and reconstruction", "", "Area",
              "Units", "", " Filename: a.inp", " Maximum dead storage:    50.00",
              " Initial dead storage:    50.00", " Max.escape/time unit:     2.00", "",
              " -------------------------------------------------",
              "  Serial    T i m e   R a i n    Esc. rate Run-off",
              " -------------------------------------------------"});
    WriteBytes(dir.File("four.inp"), head + Crlf({"1 1 -0 3", "2 2 1.5 2.5"}));
    ASSERT_EQ(Cli("convert four.inp -o four-new.inp"), 0) << errors;
    EXPECT_EQ(errors, "Please check the escape rates\n");
    std::string expected = head + Crlf({"    1         1.00  0.0E+0000       2.00       3.00",
                                        "    2         2.00       1.50       2.00       2.50"});
    expected.replace(expected.find("a.inp"), 5, dir.File("four-new.inp"));
    EXPECT_EQ(ReadBytes(dir.File("four-new.inp")), expected);

    // What Save / Run refuses, convert refuses with its message, writing nothing.
    WriteBytes(dir.File("back.inp"), head + Crlf({"1 2 0 1 3", "2 1 0 1 2"}));
    EXPECT_EQ(Cli("convert back.inp -o back-new.inp"), 1);
    EXPECT_EQ(errors, "The input data were not saved due to input errors like negative values or "
                      "a non-sequential time series\n");
    EXPECT_FALSE(fs::exists(dir.File("back-new.inp")));
    std::string rows;
    for (int i = 1; i <= 1501; ++i)
        rows += std::to_string(i) + " " + std::to_string(i) + " 1 0.5 2\r\n";
    WriteBytes(dir.File("long.inp"), head + rows);
    EXPECT_EQ(Cli("convert long.inp -o long-new.inp"), 1);
    EXPECT_EQ(errors, " The maximum number of data is 1500. Not enough? Split the series into "
                      "parts of at most 1500 data.\n");
    EXPECT_FALSE(fs::exists(dir.File("long-new.inp")));
    EXPECT_EQ(Cli("convert missing.inp -o x.inp"), 1);
    EXPECT_EQ(Cli("convert back.inp x.inp"), 2);
}

} // namespace
