// The import of series as hydrologists have them: dates over several columns, a series from
// its own file joined on the date, discharge units with the catchment area, and one input
// file per season. Files from tests/data/seasons (written by make-files.py there).
#include "cli/CliImportText.h"
#include "import/UCsvSeasons.h"
#include "import/UCsvSources.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace quellow;
using namespace quellow::test;
namespace fs = std::filesystem;
using UCsvSources::TRunoffUnit;

namespace {

std::string Seasons(const std::string &name)
{
    return TestData("seasons/" + name);
}

/// The frame of the sources as the command line reads it; false with the problem in its words.
bool BuildFrame(UCsvSources::TSourceRequest request, UCsvSources::TFrame &frame, std::string &error)
{
    request.GivenIn = cli::GivenOnCommandLine;
    TImportProblem problem;
    if (UCsvSources::BuildFrame(request, frame, problem))
        return true;
    error = cli::ImportProblemText(problem);
    return false;
}

/// An import through the sources; false with the reason in error.
bool Import(UCsvSources::TSourceRequest request, UCsvImport::TImportResult &result,
            std::string &error, UCsvSources::TFrame *kept = nullptr)
{
    UCsvSources::TFrame frame;
    UCsvImport::TImportOptions options;
    options.Analysis = request.Analysis;
    UCsvImport::TSeries series;
    const bool ok = BuildFrame(request, frame, error) &&
                    UCsvSources::FrameOptions(frame, options, error) &&
                    UCsvImport::ReadSeries(frame.Table, options, series, error) &&
                    UCsvImport::TakePeriod(frame.Table, options, series, result, error);
    if (kept)
        *kept = std::move(frame);
    return ok;
}

UCsvSources::TSourceText Source(const std::string &name, const std::string &text,
                                const std::string &column = {})
{
    return {name, text, column};
}

std::string Joined(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += line + "\n";
    return text;
}

std::string Field(const UCsvImport::TCsvTable &table, std::size_t row, int column)
{
    return std::string(table.Field(row, static_cast<std::size_t>(column)));
}

} // namespace

TEST(SeasonImport, DatesFromYearMonthDayColumnsByNameByPositionAndWithoutHeader)
{
    std::string error;
    // Named YR MNTH DY HR: the hour is kept, the parts are never values.
    UCsvSources::TSourceRequest request;
    request.Main = Source("basin.txt", ReadBytes(Seasons("basin-large-sample.txt")));
    UCsvSources::TFrame frame;
    UCsvImport::TImportResult result;
    ASSERT_TRUE(Import(request, result, error, &frame)) << error;
    EXPECT_EQ(Field(frame.Table, 0, result.Columns[0]), "1986-08-01 12:00");
    EXPECT_EQ(frame.Table.ColumnName(result.Columns[1]), "'PRCP'");
    EXPECT_EQ(frame.Table.ColumnName(result.Columns[2]), "'PET'");
    EXPECT_EQ(frame.Table.ColumnName(result.Columns[3]), "'OBS_RUN'");
    EXPECT_EQ(result.Time[1], 1.0);

    // Headerless: consecutive year, month, day; the gauge number and the flags are left out.
    const std::string headerless =
        Joined({"01234500 1987 06 01  3.5 1.25 A  0.40", "01234500 1987 06 02  0.0 1.30 A:e 0.38",
                "01234500 1987 06 03  1.5 1.20 M  0.36"});
    std::string text;
    for (int k = 0; k < 5; ++k)
        text += headerless;
    UCsvSources::TSourceRequest bare;
    bare.Main = Source("bare.txt", headerless);
    ASSERT_TRUE(BuildFrame(bare, frame, error)) << error;
    EXPECT_FALSE(frame.Table.HasHeader);
    EXPECT_EQ(Field(frame.Table, 2, frame.Columns[0]), "1987-06-03");
    EXPECT_TRUE(frame.NotData[1] && frame.NotData[2] && frame.NotData[3] && frame.NotData[6]);
    // The flag M of the third row makes a gap of the value before it.
    EXPECT_EQ(Field(frame.Table, 2, 5), "");
    EXPECT_EQ(frame.Quality[5][1], 'e');

    // Lone values before the table (latitude, elevation, area in m2) are left out, never an
    // area; the header names Year Mnth Day Hr.
    UCsvSources::TSourceRequest forcing;
    forcing.Main = Source("forcing.txt", "42.5\n250\n2252700000\n"
                                         "Year Mnth Day Hr dayl(s) prcp(mm/day) pet(mm) q(mm)\n");
    for (int d = 1; d <= 14; ++d)
        forcing.Main.Text += "1980 01 " + std::string(d < 10 ? "0" : "") + std::to_string(d) +
                             " 12 30000 1.5 0.5 0.25\n";
    ASSERT_TRUE(Import(forcing, result, error, &frame)) << error;
    EXPECT_EQ(frame.Table.LeadingLines, 3u);
    EXPECT_EQ(frame.Table.LineNumbers.front(), 5u);
    EXPECT_EQ(frame.AreaKm2, 0);
    EXPECT_EQ(frame.Table.ColumnName(result.Columns[1]), "'prcp(mm/day)'");

    // Named by the user: date=YR+MNTH+DY (no hour) and roles by name, any case.
    request.Columns = "date=yr+MNTH+DY, rain=RAIM, runoff=MOD_RUN";
    ASSERT_TRUE(Import(request, result, error, &frame)) << error;
    EXPECT_EQ(Field(frame.Table, 0, result.Columns[0]), "1986-08-01");
    EXPECT_EQ(frame.Table.ColumnName(result.Columns[1]), "'RAIM'");
    EXPECT_EQ(frame.Table.ColumnName(result.Columns[2]), "'PET'"); // left out: guessed
    EXPECT_EQ(frame.Table.ColumnName(result.Columns[3]), "'MOD_RUN'");
    // A date part or a flag column named as a value is refused.
    bare.Columns = "rain=5,escape=6,runoff=7";
    bare.Main.Text = text;
    ASSERT_TRUE(BuildFrame(bare, frame, error)) << error;
    UCsvImport::TImportOptions options;
    UCsvImport::TSeries series;
    ASSERT_TRUE(UCsvSources::FrameOptions(frame, options, error));
    EXPECT_FALSE(UCsvImport::ReadSeries(frame.Table, options, series, error));
    EXPECT_EQ(error, "Column 7 holds quality flags, never values: it cannot be the runoff.");
}

TEST(SeasonImport, JoinOnTheCalendarDateWithGapsOnEitherSide)
{
    // The basin file is stamped 12:00, the gauge file has no time; the gauge file begins a
    // month later, lacks 1986-10-15 and flags 1988-07-10..12 missing; the basin file lacks
    // 1988-09-05.
    UCsvSources::TSourceRequest request;
    request.Main = Source("basin.txt", ReadBytes(Seasons("basin-large-sample.txt")));
    request.Files[3] = Source("gauge.txt", ReadBytes(Seasons("gauge-01234500.txt")));
    request.Unit = TRunoffUnit::CubicFeetPerSecond;
    request.AreaKm2 = 412.70;
    request.AreaGiven = true;
    UCsvSources::TFrame frame;
    UCsvImport::TImportResult result;
    std::string error;
    ASSERT_TRUE(Import(request, result, error, &frame)) << error;
    std::vector<std::string> gaps;
    for (const auto &gap : result.Gaps)
        gaps.push_back(UCsvImport::GapText(frame.Table, result, gap));
    EXPECT_EQ(gaps, (std::vector<std::string>{
                        "runoff: 1986-08-01 12:00 to 1986-08-31 12:00 (31 rows)",
                        "runoff: 1986-10-15 12:00 (1 row)",
                        "runoff: 1988-07-10 12:00 to 1988-07-12 12:00 (3 rows)",
                        "date: missing between 1988-09-04 12:00 and 1988-09-06 12:00 (1 row)",
                        "rain: 1989-03-01 12:00 (1 row)",
                    }));
    // The longest stretch: 1986-10-16 .. 1988-07-09; 1987-06-01 is 228 rows in, 83.21 cfs.
    EXPECT_EQ(Field(frame.Table, result.First, result.Columns[0]), "1986-10-16 12:00");
    EXPECT_NEAR(result.Runoff[228], 83.21 * 2.4465755455488 / 412.7, 1e-12);
    EXPECT_NE(frame.Notes.front().find("1094 of 1126 dates of basin.txt found; 32 not in "
                                       "gauge.txt are gaps of the runoff"),
              std::string::npos)
        << frame.Notes.front();

    // Steps that differ are refused, naming both files.
    request.Files[3].Text =
        Joined({"2015-11-01 00:00,1.0", "2015-11-01 01:00,1.1", "2015-11-01 02:00,1.2"});
    EXPECT_FALSE(BuildFrame(request, frame, error));
    EXPECT_EQ(error, "The steps of gauge.txt (1 hour) and of basin.txt (1 day) differ: a series "
                     "is joined only with one of the same step.");
}

TEST(SeasonImport, UnitFactorsAreTheHandComputedOnes)
{
    // 1 cfs = 0.028316846592 m3/s; per day over A km2: x 86400 / (1000 A).
    EXPECT_DOUBLE_EQ(UCsvSources::RunoffFactor(TRunoffUnit::CubicFeetPerSecond, 412.7, 86400),
                     2.4465755455488 / 412.7);
    EXPECT_DOUBLE_EQ(UCsvSources::RunoffFactor(TRunoffUnit::CubicMetresPerSecond, 412.7, 86400),
                     86.4 / 412.7);
    EXPECT_DOUBLE_EQ(UCsvSources::RunoffFactor(TRunoffUnit::LitresPerSecond, 1.783, 86400),
                     0.0864 / 1.783);
    EXPECT_DOUBLE_EQ(UCsvSources::RunoffFactor(TRunoffUnit::CubicMetresPerSecond, 2, 3600), 1.8);
    EXPECT_EQ(UCsvSources::RunoffFactor(TRunoffUnit::Mm, 0, 86400), 1);
    EXPECT_EQ(UCsvSources::RunoffFactor(TRunoffUnit::CubicMetresPerSecond, 0, 86400), 0);
    TRunoffUnit unit = TRunoffUnit::None;
    for (const char *text : {"m³/s", "m3/s", "M3/S", "m^3/s"}) {
        ASSERT_TRUE(UCsvSources::ParseRunoffUnit(text, unit)) << text;
        EXPECT_EQ(unit, TRunoffUnit::CubicMetresPerSecond) << text;
    }
    EXPECT_TRUE(UCsvSources::ParseRunoffUnit("ft³/s", unit));
    EXPECT_EQ(unit, TRunoffUnit::CubicFeetPerSecond);
    EXPECT_FALSE(UCsvSources::ParseRunoffUnit("m", unit));
    // The water balance shows a unit or an area gone wrong.
    const auto warning = [](double rain, double escape, double runoff) {
        std::vector<std::string> notes;
        UCsvSources::NoteBalance(rain, escape, runoff, 153, notes);
        return notes.size() == 1 ? std::string() : notes.back().substr(0, 40);
    };
    EXPECT_EQ(warning(526.4, 499.9, 194.1), "");
    EXPECT_EQ(warning(526.4, 499.9, 194.1 / 0.028316846592), // cfs read as m3/s
              "Warning: the runoff is 13.02 times the r");
    EXPECT_EQ(warning(526.4, 499.9, 194.1e-6), // an area in m2
              "Warning: the runoff is only 3.69e-05 % o");
    EXPECT_EQ(warning(1500, 400, 250), "Warning: the loss (rain - runoff) is 3.1");
    // The import seen before a calibration to x 0.039: a loss of 902 against 3210 of escape.
    EXPECT_EQ(warning(1402, 3210, 500), "Warning: the loss (rain - runoff) is onl");
    EXPECT_EQ(warning(1500, 1200, 1100), "");
    // Markers compare as numbers, whatever the decimal mark.
    using UCsvTable::TDecimalMark;
    for (const char *marker : {"-999", "-999.00", "-999.000", "-9999", "-999,000"})
        EXPECT_TRUE(UCsvTable::IsMissing(marker, "", TDecimalMark::Comma)) << marker;
    EXPECT_FALSE(UCsvTable::IsMissing("-999.5", "", TDecimalMark::Point));
    EXPECT_TRUE(UCsvTable::IsMissing("-99.000", "-99", TDecimalMark::Comma));
}

TEST(SeasonImport, AreaAndUnitFromTheHeaderOfALatin1StationFile)
{
    const std::string station = ReadBytes(Seasons("station-6335020.txt"));
    ASSERT_NE(station.find("(km\xB2)"), std::string::npos); // Latin-1 as the archive writes it
    std::string utf8 = station;
    UCsvTable::TextAsUtf8(utf8);
    const UCsvSources::THeaderInfo info = UCsvSources::ReadHeaderInfo(utf8);
    EXPECT_EQ(info.AreaKm2, 412.70);
    EXPECT_EQ(info.AreaLine, 3u);
    EXPECT_EQ(info.Unit, "m³/s");
    EXPECT_EQ(info.UnitLine, 4u);
    // Unlabelled numbers and a station number are never an area.
    EXPECT_EQ(UCsvSources::ReadHeaderInfo("# 412.70\n# Station number: 6335020\n").AreaKm2, 0);

    UCsvSources::TSourceRequest request;
    request.Main = Source("basin.txt", ReadBytes(Seasons("basin-large-sample.txt")));
    request.Files[3] = Source("station.txt", station);
    UCsvSources::TFrame frame;
    UCsvImport::TImportResult result;
    std::string error;
    ASSERT_TRUE(Import(request, result, error, &frame)) << error;
    EXPECT_EQ(frame.Unit, TRunoffUnit::CubicMetresPerSecond);
    EXPECT_EQ(frame.AreaFrom, "station.txt, line 3");
    // 1987-08-15 (-999.000) is a gap, so the stretch starts after it: 1987-08-16 in m3/s
    // times 86.4 / 412.70.
    EXPECT_EQ(Field(frame.Table, result.First, result.Columns[0]), "1987-08-16 12:00");
    const std::size_t at = station.find("1987-08-16;--:--;") + 17;
    const double discharge = std::stod(station.substr(at, station.find('\r', at) - at));
    EXPECT_NEAR(result.Runoff[0], discharge * 86.4 / 412.7, 1e-11);
    // The command line wins over the header.
    request.AreaKm2 = 100;
    request.AreaGiven = true;
    ASSERT_TRUE(Import(request, result, error, &frame)) << error;
    EXPECT_EQ(frame.AreaKm2, 100);
    EXPECT_EQ(frame.AreaFrom, "the command line");
    // A header unit that is no discharge is refused with its line.
    request.AreaGiven = false;
    std::string level = station;
    level.replace(level.find("m\xB3/s"), 4, "cm");
    request.Files[3].Text = level;
    EXPECT_FALSE(Import(request, result, error));
    EXPECT_EQ(error, "In station.txt, line 4: the unit \"cm\" is not a discharge (mm, mm/d, "
                     "mm/h, l/s, m3/s or cfs); give the runoff's unit with --runoff-unit.");
}

TEST(SeasonImport, CaravanNamesPreferThePenmanMonteithEvaporation)
{
    std::string text = "date,total_precipitation_sum,potential_evaporation_sum,"
                       "temperature_2m_mean,potential_evaporation_sum_FAO_PENMAN_MONTEITH,"
                       "streamflow\n";
    for (int d = 1; d <= 14; ++d)
        text += "2001-01-" + std::string(d < 10 ? "0" : "") + std::to_string(d) +
                ",1.5,2.5,3.0,1.25," + (d == 3 ? "" : "0.75") + "\n";
    UCsvSources::TSourceRequest request;
    request.Main = Source("caravan.csv", text);
    UCsvSources::TFrame frame;
    UCsvImport::TImportResult result;
    std::string error;
    EXPECT_FALSE(Import(request, result, error, &frame)); // a blank is a gap: 11 rows left
    UCsvImport::TImportOptions options;
    UCsvImport::TSeries series;
    ASSERT_TRUE(BuildFrame(request, frame, error) &&
                UCsvSources::FrameOptions(frame, options, error) &&
                UCsvImport::ReadSeries(frame.Table, options, series, error))
        << error;
    EXPECT_EQ(series.Base.Columns, (std::array<int, 4>{0, 1, 4, 5}));
    EXPECT_TRUE(series.Missing[3][2]);
}

namespace {

/// quellow-cli import of the test files, in a temporary folder.
class SeasonCli : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char *name :
             {"basin-large-sample.txt", "gauge-01234500.txt", "station-6335020.txt"})
            WriteBytes(dir.File(name), ReadBytes(Seasons(name)));
    }
    int Cli(const std::string &arguments)
    {
        const TCliResult result = RunCli(dir, arguments);
        errors = result.Err;
        return result.Status;
    }
    /// The files whose names begin with x (the import's output and its seasons).
    std::size_t Written() const
    {
        std::size_t n = 0;
        for (const auto &entry : fs::directory_iterator(dir.Path()))
            n += entry.path().filename().string().front() == 'x';
        return n;
    }
    TTempDir dir;
    std::string errors;
};

} // namespace

TEST_F(SeasonCli, SummerSeasonsWithTheYearsLeftOutAndWhy)
{
    // The folder named is made.
    ASSERT_EQ(Cli("import basin-large-sample.txt --mode analysis --runoff-file "
                  "gauge-01234500.txt --runoff-unit cfs --area-km2 412.70 --season 06-01..10-31 "
                  "-o out/basin.inp"),
              0)
        << errors;
    const std::string written = ReadBytes(dir.File("out/basin-1987.inp"));
    EXPECT_NE(written.find("\r\nbasin-large-sample.txt, season 1987-06-01 12:00 to 1987-10-31 "
                           "12:00\r\n"),
              std::string::npos);
    // 83.21 cfs over 412.70 km2: 83.21 x 2.4465755455488 / 412.70 = 0.49329 mm/day.
    EXPECT_NE(written.find("\r\n    1  0.000E+0000  0.0E+0000       3.60  4.933E-0001\r\n"
                           "    2         1.00      10.50       3.62       1.01\r\n"),
              std::string::npos);
    EXPECT_NE(written.find("\r\n  153       152.00"), std::string::npos);
    EXPECT_EQ(fs::exists(dir.File("out/basin-1988.inp")), false);
    for (const char *line :
         {"Left out 1986: incomplete at the file's start (the file begins 1986-08-01 12:00, the "
          "season 1986-06-01).\n",
          "Left out 1988: gaps: runoff: 1988-07-10 12:00 to 1988-07-12 12:00 (3 rows); date: "
          "missing between 1988-09-04 12:00 and 1988-09-06 12:00 (1 row).\n",
          "Left out 1989: incomplete at the file's end (the file ends 1989-08-31 12:00, the "
          "season 1989-10-31).\n",
          "Flags of the runoff in the rows taken: 3 estimated, 0 provisional.\n",
          "Runoff converted from cfs (the command line) to mm per day over 412.7 km2 (the "
          "command line): factor 0.00592821794415.\n",
          "Season 06-01..10-31: 1 file written, 3 years left out.\n"})
        EXPECT_NE(errors.find(line), std::string::npos) << line << errors;
}

TEST_F(SeasonCli, SeasonAcrossTheNewYearWithSpinupAndLeapDay)
{
    ASSERT_EQ(Cli("import basin-large-sample.txt --mode analysis --runoff-file "
                  "station-6335020.txt --season 11-01..02-29 --spinup 30 -o winter.inp"),
              0)
        << errors;
    // 02-29 ends with February: 120 days, 121 in a leap year, plus 30 days of spin-up.
    const std::string w1986 = ReadBytes(dir.File("winter-1986.inp"));
    const std::string w1987 = ReadBytes(dir.File("winter-1987.inp"));
    EXPECT_NE(w1986.find("season 1986-10-02 12:00 to 1987-02-28 12:00"), std::string::npos);
    EXPECT_NE(w1986.find("\r\n  150       149.00"), std::string::npos);
    EXPECT_EQ(w1986.find("\r\n  151 "), std::string::npos);
    EXPECT_NE(w1987.find("season 1987-10-02 12:00 to 1988-02-29 12:00"), std::string::npos);
    EXPECT_NE(w1987.find("\r\n  151       150.00"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir.File("winter-1988.inp")));
    EXPECT_NE(errors.find("Season 11-01..02-29: 3 files written, 0 years left out.\n"),
              std::string::npos)
        << errors;
    EXPECT_NE(errors.find("(station-6335020.txt, line 4) to mm per day over 412.7 km2 "
                          "(station-6335020.txt, line 3)"),
              std::string::npos)
        << errors;
    EXPECT_NE(errors.find("Each file begins 30 days before its season (spin-up)"),
              std::string::npos);
}

TEST_F(SeasonCli, CalendarWithoutLeapDaysIsNamed)
{
    // A calendar of 365 days: 2000 has no 29 February.
    std::string text;
    text = "date,rain,pet,q\n";
    for (int y = 1999; y <= 2001; ++y)
        for (int m = 1; m <= 12; ++m)
            for (int d = 1; d <= 31; ++d) {
                static const int length[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
                if (d > length[m - 1])
                    continue;
                text += std::to_string(y) + "-" + (m < 10 ? "0" : "") + std::to_string(m) + "-" +
                        (d < 10 ? "0" : "") + std::to_string(d) + ",1.0,0.5,0.25\n";
            }
    WriteBytes(dir.File("noleap.csv"), text);
    ASSERT_EQ(Cli("import noleap.csv --mode analysis --season 02-01..02-29 -o s.inp"), 0) << errors;
    EXPECT_NE(errors.find("Left out 2000: the file's calendar has no 29 February 2000.\n"),
              std::string::npos)
        << errors;
    EXPECT_TRUE(fs::exists(dir.File("s-1999.inp")));
    EXPECT_TRUE(fs::exists(dir.File("s-2001.inp")));
}

TEST_F(SeasonCli, BadInputIsNamedAndNothingIsWritten)
{
    WriteBytes(dir.File("later.txt"), "2030-01-01;1.0\n2030-01-02;1.1\n2030-01-03;1.2\n");
    WriteBytes(dir.File("twice.txt"),
               "1987-06-01;--:--;1.0\n1987-06-02;--:--;1.1\n1987-06-02;--:--;1.2\n");
    const std::string base = "import basin-large-sample.txt --mode analysis -o x.inp ";
    const struct
    {
        std::string Arguments, Message;
    } cases[] = {
        {"--runoff-file later.txt",
         "The dates of later.txt (2030-01-01 to 2030-01-03) overlap none of "
         "basin-large-sample.txt (1986-08-01 12:00 to 1989-08-31 12:00): the runoff cannot be "
         "joined."},
        {"--runoff-file gauge-01234500.txt --runoff-unit cfs",
         "The runoff is in cfs (from the command line) but no catchment area is given, and "
         "gauge-01234500.txt names none: give it with --area-km2."},
        {"--runoff-file station-6335020.txt --area-km2 0",
         "The catchment area must be above 0 km2 (0 given)."},
        {"--runoff-file station-6335020.txt --area-km2 -3",
         "The catchment area must be above 0 km2 (-3 given)."},
        {"--runoff-file twice.txt",
         "In twice.txt: Dates out of order or repeated: line 3 (1987-06-02) repeats the date "
         "of line 2 (1987-06-02). The rows must follow each other in time, one row per date."},
        {"--season 01-01..12-31 --spinup 3000",
         "A season of 3366 days with its spin-up holds 3366 rows; an analysis takes at most "
         "1500 rows. Choose a shorter season."},
        {"--season 02-30..10-31",
         "The season \"02-30..10-31\" is not MM-DD..MM-DD with a day of the year first "
         "(06-01..10-31; 02-29 is the last day of February)."},
        {"--season 06-01..04-31",
         "The season \"06-01..04-31\" does not end on a day of the year: 04-31 is no date "
         "(MM-DD; 02-29 is the last day of February)."},
        {"--runoff-file gauge-01234500.txt:3",
         "In gauge-01234500.txt: column 3 holds dates or quality flags, never values."},
        {"--columns 1,6,9,12,5", "--columns takes at most four columns: date,rain,escape,runoff."},
        {"--columns date=YR+MNTH+DY+HR+YR,rain=PRCP",
         "--columns: date= takes a date column, a date and a time column, or "
         "year+month+day(+hour) columns."},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Cli(base + c.Arguments), 1) << c.Arguments;
        EXPECT_NE(errors.find(c.Message + " Nothing was written."), std::string::npos)
            << c.Arguments << "\n"
            << errors;
        EXPECT_EQ(Written(), 0u) << c.Arguments;
    }
}
