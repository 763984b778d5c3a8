// quellow-cli import where a unit, a time unit or a column could be decided two ways: the
// runoff's unit from a file's header, the time unit of the rows taken, the runoff column of a
// second file, units per hour or day, seasons of irregular series, and season files left from
// an earlier import. Each case checks the rows written, byte for byte where they matter.
#include "import/URunoffUnit.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace quellow;
using namespace quellow::test;
namespace fs = std::filesystem;

namespace {

/// YYYY-MM-DD of a day counted from 1970-01-01.
std::string DayText(std::int64_t day)
{
    const std::int64_t z = day + 719468, era = z / 146097, doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153, d = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t m = mp < 10 ? mp + 3 : mp - 9, y = yoe + era * 400 + (m <= 2);
    const auto two = [](std::int64_t v) { return (v < 10 ? "0" : "") + std::to_string(v); };
    return std::to_string(y) + "-" + two(m) + "-" + two(d);
}

constexpr std::int64_t Day2001 = 11323; // 2001-01-01

class ImportUnits : public ::testing::Test
{
protected:
    int Cli(const std::string &arguments)
    {
        const TCliResult result = RunCli(dir, arguments);
        errors = result.Err;
        return result.Status;
    }
    /// Line of a written file (from 1), without its CR LF.
    std::string Row(const std::string &name, int line)
    {
        const std::string text = ReadBytes(dir.File(name));
        std::size_t start = 0;
        for (int k = 1; k < line; ++k)
            start = text.find("\r\n", start) + 2;
        return text.substr(start, text.find("\r\n", start) - start);
    }
    /// Daily rows from 2001-01-01 of rain 1, escape 0.5 (and runoff q when not empty).
    static std::string Daily(int days, const std::string &header, const std::string &q)
    {
        std::string text = header + "\n";
        for (int d = 0; d < days; ++d)
            text += DayText(Day2001 + d) + ";1;0.5" + (q.empty() ? "" : ";" + q) + "\n";
        return text;
    }
    TTempDir dir;
    std::string errors;
};

} // namespace

TEST_F(ImportUnits, TheRunoffUnitComesFromALabelThatNamesTheRunoff)
{
    WriteBytes(dir.File("main.csv"), Daily(20, "date;rain;pet", ""));
    const auto station = [](const std::string &head) {
        std::string text = head + "date;Q\n";
        for (int d = 0; d < 20; ++d)
            text += DayText(Day2001 + d) + ";" + std::to_string(2.5 + d) + "\n";
        return text;
    };
    // Other quantities' units and a word that merely holds "unit" are no runoff unit: 2.5 m3/s
    // over 43.2 km2 is 5 mm a day.
    WriteBytes(dir.File("q.csv"), station("# Precipitation unit: mm\n# Community: Millbrook\n"
                                          "# Time unit: day\n# Discharge unit: m3/s\n"
                                          "# Catchment area (km2): 43.2\n"));
    ASSERT_EQ(Cli("import main.csv --mode analysis --runoff-file q.csv -o a.inp"), 0) << errors;
    EXPECT_EQ(Row("a.inp", 15), "    1  0.000E+0000       1.00  5.000E-0001       5.00");
    EXPECT_NE(errors.find("Runoff converted from m3/s (q.csv, line 4) to mm per day over 43.2 "
                          "km2 (q.csv, line 5): factor 2."),
              std::string::npos)
        << errors;
    // A label of a unit alone ("Unit of measure") is the unit of the file's values.
    WriteBytes(dir.File("q.csv"),
               station("# Catchment area (km2): 43.2\n# Abfluss Einheit: m3/s\n# Unit: m3/s\n"));
    ASSERT_EQ(Cli("import main.csv --mode analysis --runoff-file q.csv -o a.inp"), 0) << errors;
    EXPECT_EQ(Row("a.inp", 15), "    1  0.000E+0000       1.00  5.000E-0001       5.00");
    // Two unit lines of the runoff that disagree: both are named, nothing is written.
    WriteBytes(dir.File("q.csv"), station("# Unit of measure: l/s\n# Catchment area (km2): 43.2\n"
                                          "# Discharge unit: m3/s\n"));
    fs::remove(dir.File("a.inp"));
    EXPECT_EQ(Cli("import main.csv --mode analysis --runoff-file q.csv -o a.inp"), 1);
    EXPECT_EQ(errors,
              "In q.csv, line 1 and line 3 name two units of the runoff, \"l/s\" and "
              "\"m3/s\": give the runoff's unit with --runoff-unit. Nothing was written.\n");
    EXPECT_FALSE(fs::exists(dir.File("a.inp")));
    // The command line settles it, and the report says which unit gave way.
    ASSERT_EQ(Cli("import main.csv --mode analysis --runoff-file q.csv --runoff-unit m3/s -o "
                  "a.inp"),
              0)
        << errors;
    EXPECT_EQ(Row("a.inp", 15), "    1  0.000E+0000       1.00  5.000E-0001       5.00");
    EXPECT_NE(errors.find("The unit \"l/s\" that q.csv names in line 1 gives way to the one "
                          "given: m3/s.\nThe unit \"m3/s\" that q.csv names in line 3 gives way "
                          "to the one given: m3/s.\n"),
              std::string::npos)
        << errors;
}

TEST_F(ImportUnits, RunoffPerHourOrPerDayIsConvertedByTheStepOfTheRowsTaken)
{
    // A daily file whose header says mm/h: 0.5 mm an hour is 12 mm a day.
    WriteBytes(dir.File("d.csv"), "# Runoff unit: mm/h\n" + Daily(20, "date;rain;pet;q", "0.5"));
    ASSERT_EQ(Cli("import d.csv --mode analysis -o d.inp"), 0) << errors;
    EXPECT_EQ(Row("d.inp", 15), "    1  0.000E+0000       1.00  5.000E-0001      12.00");
    EXPECT_NE(errors.find("Runoff converted from mm/h (d.csv, line 1) to mm per day: factor 24."),
              std::string::npos)
        << errors;
    // An hourly file in mm/d: a 24th of it per hour; in mm per time unit: as it is.
    std::string hourly = "time;rain;pet;q\n";
    for (int h = 0; h < 24; ++h)
        hourly +=
            "2001-01-01 " + std::string(h < 10 ? "0" : "") + std::to_string(h) + ":00;1;0.5;48\n";
    WriteBytes(dir.File("h.csv"), hourly);
    ASSERT_EQ(Cli("import h.csv --mode analysis --runoff-unit mm/d -o h.inp"), 0) << errors;
    EXPECT_EQ(Row("h.inp", 15), "    1  0.000E+0000       1.00  5.000E-0001       2.00");
    ASSERT_EQ(Cli("import h.csv --mode analysis --runoff-unit mm/t -o h.inp"), 0) << errors;
    EXPECT_EQ(Row("h.inp", 15), "    1  0.000E+0000       1.00  5.000E-0001      48.00");
}

TEST_F(ImportUnits, IrregularStepsConvertInTheTimeUnitOfTheRowsTaken)
{
    // 200 hourly rows, then 100 daily ones: the file's usual step is an hour, the rows taken
    // are days, and 1 m3/s over 86.4 km2 is 1 mm a day.
    std::string text = "date;rain;pet;q\n";
    for (int h = 0; h < 200; ++h) {
        char line[64];
        std::snprintf(line, sizeof line, "%s %02d:00;1;0.5;1\n", DayText(Day2001 + h / 24).c_str(),
                      h % 24);
        text += line;
    }
    for (int d = 9; d < 109; ++d)
        text += DayText(Day2001 + d) + " 00:00;1;0.5;1\n";
    WriteBytes(dir.File("mixed.csv"), text);
    ASSERT_EQ(Cli("import mixed.csv --mode analysis --irregular --from 2001-01-10 --runoff-unit "
                  "m3/s --area-km2 86.4 -o m.inp"),
              0)
        << errors;
    EXPECT_EQ(Row("m.inp", 15), "    1  0.000E+0000       1.00  5.000E-0001       1.00");
    EXPECT_EQ(Row("m.inp", 16), "    2         1.00       1.00  5.000E-0001       1.00");
    EXPECT_NE(errors.find("to mm per day over 86.4 km2 (the command line): factor 1."),
              std::string::npos)
        << errors;
}

TEST_F(ImportUnits, ARunoffFactorBesideAUnitIsCheckedAsItWillBeWritten)
{
    WriteBytes(dir.File("d.csv"), Daily(20, "date;rain;pet;q", "2.5"));
    const struct
    {
        std::string Arguments, Message;
    } cases[] = {
        {"--scale runoff=-1 --runoff-unit m3/s --area-km2 10",
         "In d.csv: The value 2.5 in line 2, column 'q' (runoff) times the factor -1 is "
         "negative: give the runoff a factor of 0 or more. Nothing was written.\n"},
        // 2.5e9 m3/s... over 86.4 km2 is 2.5e9 mm a day; in hours it would be a 24th of that.
        {"--scale runoff=1e9 --runoff-unit m3/s --area-km2 86.4",
         "In d.csv: The value 2.5 in line 2, column 'q' (runoff) times the factor 1e+09, "
         "converted from m3/s to mm per day over 86.4 km2, is 2.5e+09: too large for a run (at "
         "most 1e+09). Check the factor, the runoff's unit and the catchment area. Nothing was "
         "written.\n"},
        {"--scale runoff=1e9 --runoff-unit mm/h",
         "In d.csv: The value 2.5 in line 2, column 'q' (runoff) times the factor 1e+09, "
         "converted from mm/h to mm per day, is 6e+10: too large for a run (at most 1e+09). "
         "Check the factor, the runoff's unit and the catchment area. Nothing was written.\n"},
        // Without a unit, as before: the factor is applied as the value is read.
        {"--scale rain=-2",
         "In d.csv: The value 1 in line 2, column 'rain' (rain) times the factor -2 is "
         "negative: give the rain a factor of 0 or more. Nothing was written.\n"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Cli("import d.csv --mode analysis -o d.inp " + c.Arguments), 1) << c.Arguments;
        EXPECT_EQ(errors.substr(
                      errors.find("In d.csv") == std::string::npos ? 0 : errors.find("In d.csv")),
                  c.Message)
            << c.Arguments;
        EXPECT_FALSE(fs::exists(dir.File("d.inp"))) << c.Arguments;
    }
    // A factor the limit allows is taken with the unit's: 2.5 x 2 m3/s over 86.4 km2.
    ASSERT_EQ(Cli("import d.csv --mode analysis -o d.inp --scale runoff=2 --runoff-unit m3/s "
                  "--area-km2 86.4"),
              0)
        << errors;
    EXPECT_EQ(Row("d.inp", 15), "    1  0.000E+0000       1.00  5.000E-0001       5.00");
}

TEST_F(ImportUnits, ASecondFileIsGuessedByTheNamesOfTheMainFile)
{
    WriteBytes(dir.File("main.csv"), Daily(20, "date;rain;pet", ""));
    std::string level = "Datum;Wasserstand;Abfluss\n";
    for (int d = 0; d < 20; ++d)
        level += DayText(Day2001 + d) + ";" + std::to_string(120 + d) + ";" +
                 std::to_string(2.5 + d) + "\n";
    WriteBytes(dir.File("level.csv"), level);
    ASSERT_EQ(Cli("import main.csv --mode analysis --runoff-file level.csv -o a.inp"), 0) << errors;
    EXPECT_EQ(Row("a.inp", 15), "    1  0.000E+0000       1.00  5.000E-0001       2.50");
    EXPECT_NE(errors.find("The runoff comes from level.csv, column 'Abfluss'"), std::string::npos)
        << errors;
}

TEST_F(ImportUnits, SeasonsOfIrregularSeriesAreCheckedLikeAWholeImport)
{
    // Daily rows 2001-01-01 .. 2003-12-31 with a hole from 2002-05-01 to 2002-09-30 (the
    // summer of 2002 has no rows) and one from 2003-07-01 to 2003-07-27 (65 of 92 days).
    std::string text = "date;rain;pet;q\n";
    for (std::int64_t day = Day2001; DayText(day) <= "2003-12-31"; ++day) {
        const std::string date = DayText(day);
        if ((date >= "2002-05-01" && date <= "2002-09-30") ||
            (date >= "2003-07-01" && date <= "2003-07-27"))
            continue;
        text += date + ";1;0.5;0.25\n";
    }
    WriteBytes(dir.File("holes.csv"), text);
    ASSERT_EQ(Cli("import holes.csv --mode analysis --irregular --season 06-01..08-31 -o s.inp"), 0)
        << errors;
    EXPECT_TRUE(fs::exists(dir.File("s-2001.inp")));
    EXPECT_FALSE(fs::exists(dir.File("s-2002.inp"))) << errors;
    EXPECT_NE(errors.find("Left out 2002: no rows between 2002-06-01 and 2002-08-31; at least 12 "
                          "are needed.\n"),
              std::string::npos)
        << errors;
    EXPECT_NE(errors.find("(65 rows, 2003-06-01 to 2003-08-31; irregular steps of 1 day to 28 "
                          "days, taken as they are)"),
              std::string::npos)
        << errors;
    EXPECT_NE(errors.find("Season 06-01..08-31: 2 files written, 1 year left out.\n"),
              std::string::npos)
        << errors;
}

TEST_F(ImportUnits, IrregularSeasonsThatBeginLateOrEndEarlyAreLeftOutAsAtTheFilesEnds)
{
    // Daily rows 2001-01-01 .. 2003-12-31 without 2001-05-25 .. 05-27 (in the spin-up), 2002-08-05
    // .. 08-31 (the season ends early) and 2003-05-22 .. 06-27 (it begins late): the missing
    // days are named as a file's own start and end are.
    std::string text = "date;rain;pet;q\n";
    for (std::int64_t day = Day2001; DayText(day) <= "2003-12-31"; ++day) {
        const std::string date = DayText(day);
        if ((date >= "2001-05-25" && date <= "2001-05-27") ||
            (date >= "2002-08-05" && date <= "2002-08-31") ||
            (date >= "2003-05-22" && date <= "2003-06-27"))
            continue;
        text += date + ";1;0.5;0.25\n";
    }
    WriteBytes(dir.File("edges.csv"), text);
    ASSERT_EQ(Cli("import edges.csv --mode analysis --irregular --season 06-01..08-31 --spinup 10 "
                  "-o s.inp"),
              0)
        << errors;
    EXPECT_FALSE(fs::exists(dir.File("s-2002.inp")));
    EXPECT_FALSE(fs::exists(dir.File("s-2003.inp")));
    EXPECT_NE(errors.find("Left out 2002: incomplete at its end (no rows after 2002-08-04 until "
                          "2002-08-31).\nLeft out 2003: incomplete at its start (no rows from "
                          "2003-05-22, the start of its spin-up, until 2003-06-28).\nSeason "
                          "06-01..08-31: 1 file written, 2 years left out.\n"),
              std::string::npos)
        << errors;
    // The spin-up of 2001 holds 7 rows, not 10: a warm-up of 10 would score 3 days too few.
    EXPECT_NE(errors.find("(99 rows, 2001-05-22 to 2001-08-31; irregular steps of 1 day to 4 "
                          "days, taken as they are)"),
              std::string::npos)
        << errors;
    EXPECT_NE(errors.find("leave them out of a validation's score with --warmup 7.\n"),
              std::string::npos)
        << errors;
    EXPECT_EQ(Row("s-2001.inp", 15), "    1  0.000E+0000       1.00  5.000E-0001  2.500E-0001");
    EXPECT_EQ(Row("s-2001.inp", 18), "    4         6.00       1.00  5.000E-0001  2.500E-0001");
}

TEST_F(ImportUnits, SeasonFilesOfAnEarlierImportAreNamedOrReplaced)
{
    WriteBytes(dir.File("year.csv"), Daily(365, "date;rain;pet;q", "0.25"));
    fs::create_directories(dir.File("out"));
    WriteBytes(dir.File("out/s-1999.inp"), "an earlier import");
    WriteBytes(dir.File("out/s-2001.inp"), "written again");
    WriteBytes(dir.File("out/s-notes.inp"), "no season file");
    const std::string import = "import year.csv --mode analysis --season 06-01..08-31 -o out/s.inp";
    EXPECT_EQ(Cli(import), 1);
    EXPECT_EQ(errors.substr(errors.find("The folder")),
              "The folder of out/s.inp holds season files this import does not write: s-1999.inp. "
              "Remove them, or replace them with --replace-seasons. Nothing was written.\n");
    EXPECT_EQ(ReadBytes(dir.File("out/s-2001.inp")), "written again");
    ASSERT_EQ(Cli(import + " --replace-seasons"), 0) << errors;
    EXPECT_FALSE(fs::exists(dir.File("out/s-1999.inp")));
    EXPECT_NE(ReadBytes(dir.File("out/s-2001.inp")), "written again");
    EXPECT_TRUE(fs::exists(dir.File("out/s-notes.inp")));
    EXPECT_NE(errors.find("Removed s-1999.inp, a season file of an earlier import.\n"),
              std::string::npos)
        << errors;
}

TEST_F(ImportUnits, ReplacingSeasonFilesNeverTouchesAFileReadNorAnotherKindOfFile)
{
    // The series file is named like a season file of the output, and its own year is not
    // taken: it is read, so it stays, as does a file of another kind.
    const std::string year = Daily(365, "date;rain;pet;q", "0.25");
    WriteBytes(dir.File("gauge-2003.csv"), year);
    WriteBytes(dir.File("gauge-1999.csv"), "not an input file");
    ASSERT_EQ(Cli("import gauge-2003.csv --mode analysis --season 06-01..08-31 -o gauge.csv "
                  "--replace-seasons"),
              0)
        << errors;
    EXPECT_EQ(ReadBytes(dir.File("gauge-2003.csv")), year);
    EXPECT_EQ(ReadBytes(dir.File("gauge-1999.csv")), "not an input file");
    EXPECT_TRUE(fs::exists(dir.File("gauge-2001.csv")));
    EXPECT_EQ(errors.find("Removed"), std::string::npos) << errors;
    // Files read named NAME-YYYY.inp are never an earlier import's; the one that is goes.
    WriteBytes(dir.File("s-2003.inp"), Daily(365, "date;rain;pet", ""));
    std::string runoff = "date;q\n";
    for (int d = 0; d < 365; ++d)
        runoff += DayText(Day2001 + d) + ";" + std::to_string(d % 5) + "\n";
    WriteBytes(dir.File("s-2002.inp"), runoff);
    WriteBytes(dir.File("s-1999.inp"), "an earlier import");
    const std::string import =
        "import s-2003.inp --runoff-file s-2002.inp --mode analysis --season 06-01..08-31 -o s.inp";
    EXPECT_EQ(Cli(import), 1);
    EXPECT_NE(errors.find("\nThe folder of s.inp holds season files this import does not write: "
                          "s-1999.inp. Remove them, or replace them with --replace-seasons. "
                          "Nothing was written.\n"),
              std::string::npos)
        << errors;
    ASSERT_EQ(Cli(import + " --replace-seasons"), 0) << errors;
    EXPECT_EQ(ReadBytes(dir.File("s-2003.inp")), Daily(365, "date;rain;pet", ""));
    EXPECT_EQ(ReadBytes(dir.File("s-2002.inp")), runoff);
    EXPECT_FALSE(fs::exists(dir.File("s-1999.inp")));
    EXPECT_TRUE(fs::exists(dir.File("s-2001.inp")));
}

TEST_F(ImportUnits, AnImportThatWritesNoSeasonNamesTheEarlierOnesItLeaves)
{
    // The file ends before its only summer: no season is written, none of an earlier import is
    // replaced, and those left are named.
    WriteBytes(dir.File("spring.csv"), Daily(100, "date;rain;pet;q", "0.25"));
    fs::create_directories(dir.File("out"));
    WriteBytes(dir.File("out/s-1999.inp"), "an earlier import");
    WriteBytes(dir.File("out/s-2000.inp"), "another");
    EXPECT_EQ(Cli("import spring.csv --mode analysis --season 06-01..08-31 -o out/s.inp "
                  "--replace-seasons"),
              1);
    EXPECT_NE(errors.find("Season 06-01..08-31: 0 files written, 0 years left out.\nSeason files "
                          "of an earlier import stay in the folder of " +
                          fs::path(dir.File("out/s.inp")).lexically_normal().string() +
                          ", as no season was written: s-1999.inp, s-2000.inp.\nNo season is "
                          "complete and without gaps: nothing was written.\n"),
              std::string::npos)
        << errors;
    EXPECT_EQ(ReadBytes(dir.File("out/s-1999.inp")), "an earlier import");
    EXPECT_EQ(ReadBytes(dir.File("out/s-2000.inp")), "another");
}

TEST_F(ImportUnits, ASeasonFileThatCannotGoStopsTheImportBeforeAnythingIsWritten)
{
    WriteBytes(dir.File("year.csv"), Daily(365, "date;rain;pet;q", "0.25"));
    fs::create_directories(dir.File("out"));
    const std::string old = dir.File("out/s-1999.inp");
    WriteBytes(old, "an earlier import");
    const std::string import = "import year.csv --mode analysis --season 06-01..08-31 -o "
                               "out/s.inp --replace-seasons";
    const auto folder = [&] {
        std::string names;
        for (const auto &entry : fs::directory_iterator(dir.File("out")))
            names += entry.path().filename().string() + " ";
        return names;
    };
    // A season file that cannot be written: the earlier one stays where it was.
    fs::create_directories(dir.File("out/s-2001.inp"));
    EXPECT_EQ(Cli(import), 1);
    EXPECT_EQ(ReadBytes(old), "an earlier import");
    EXPECT_EQ(errors.find("Removed"), std::string::npos) << errors;
    fs::remove(dir.File("out/s-2001.inp"));
    // One that cannot be removed (an immutable file): nothing is written.
    {
        const int fd = ::open(old.c_str(), O_RDONLY);
        int flags = 0;
        const bool immutable =
            fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
            (flags |= FS_IMMUTABLE_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
        if (!immutable) {
            if (fd >= 0)
                ::close(fd);
            GTEST_SKIP() << "this file system or user cannot make a file immutable";
        }
        const int status = Cli(import);
        flags &= ~FS_IMMUTABLE_FL;
        ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        ::close(fd);
        EXPECT_EQ(status, 1);
    }
    EXPECT_NE(errors.find("\nThe season file \"" + old +
                          "\" of an earlier import could not be removed: remove it yourself, or "
                          "write the seasons to another folder. Nothing was written.\n"),
              std::string::npos)
        << errors;
    EXPECT_EQ(folder(), "s-1999.inp ");
    EXPECT_EQ(ReadBytes(old), "an earlier import");
}

TEST(RunoffUnitLabels, WholeWordsThatNameTheRunoffOrAUnitAlone)
{
    for (const char *label : {"Unit of measure", "Discharge unit", "Einheit Abfluss",
                              "Debiet (eenheid)", "Caudal - unidad", "Units", "Q unit"})
        EXPECT_TRUE(URunoffUnit::LabelsRunoffUnit(label)) << label;
    for (const char *label : {"Community", "Precipitation unit", "Time unit", "Unitless flow",
                              "Discharge", "Station", "Area unit"})
        EXPECT_FALSE(URunoffUnit::LabelsRunoffUnit(label)) << label;
}
