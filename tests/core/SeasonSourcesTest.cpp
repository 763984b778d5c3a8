// The parts under the seasonal import: the table reader's fast paths against the forms they
// stand for, columns appended in place, role files guessed and refused, joins of hourly
// series, the --columns pairs, and season bounds at leap days and the new year.
#include "cli/CliImportText.h"
#include "import/UCsvSeasons.h"
#include "import/UCsvSources.h"

#include <gtest/gtest.h>

using namespace quellow;
using UCsvTable::TDecimalMark;

namespace {

std::string Lines(std::initializer_list<std::string> lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += line + "\n";
    return text;
}

/// Daily rows from 2001-01-01: "DATE,rain,escape,runoff".
std::string Daily(int days, const std::string &header = "date,rain,pet,q")
{
    std::string text = header + "\n";
    for (int d = 0; d < days; ++d) {
        const int month = d < 31 ? 1 : d < 59 ? 2 : 3;
        const int day = d < 31 ? d + 1 : d < 59 ? d - 30 : d - 58;
        text += "2001-0" + std::to_string(month) + "-" + (day < 10 ? "0" : "") +
                std::to_string(day) + ",1.5,0.5,0.25\n";
    }
    return text;
}

/// The frame of the sources; false with the problem as the command line words it.
bool Frame(UCsvSources::TSourceRequest request, UCsvSources::TFrame &frame, std::string &error)
{
    TImportProblem problem;
    if (UCsvSources::BuildFrame(request, frame, problem))
        return true;
    error = cli::ImportProblemText(problem);
    return false;
}

} // namespace

TEST(SeasonSources, NumberFormsOfThePlainFastPathMatchTheRule)
{
    // field, number, mark it says, reads two ways
    const struct
    {
        const char *Field;
        bool Number;
        TDecimalMark Says;
        char TwoWays;
    } cases[] = {
        {"12", true, TDecimalMark::Auto, 0},        {"-0.25", true, TDecimalMark::Point, 0},
        {"1.234", true, TDecimalMark::Auto, '.'},   {"-12.500", true, TDecimalMark::Auto, '.'},
        {"0.500", true, TDecimalMark::Point, 0},    {"1234.5", true, TDecimalMark::Point, 0},
        {"1234.567", true, TDecimalMark::Point, 0}, {"1.", true, TDecimalMark::Point, 0},
        {".5", true, TDecimalMark::Point, 0},       {"+1.25", true, TDecimalMark::Point, 0},
        {"1.2.3", false, TDecimalMark::Comma, 0},   {"-", false, TDecimalMark::Auto, 0},
        {"", false, TDecimalMark::Auto, 0},         {"1,5", true, TDecimalMark::Comma, 0},
        {"007", true, TDecimalMark::Auto, 0},       {"1.5e3", true, TDecimalMark::Point, 0},
    };
    for (const auto &c : cases) {
        const UCsvTable::TNumberForm form = UCsvTable::NumberForm(c.Field);
        EXPECT_EQ(form.Number, c.Number) << c.Field;
        if (form.Number) {
            EXPECT_EQ(form.Says, c.Says) << c.Field;
            EXPECT_EQ(form.TwoWays, c.TwoWays) << c.Field;
        }
    }
}

TEST(SeasonSources, PlainAndQuotedLinesSplitAlike)
{
    UCsvTable::TCsvTable table;
    std::string error;
    // Blanks and tabs, leading and trailing; a quoted line in the same file.
    ASSERT_TRUE(
        UCsvTable::ReadCsvText(Lines({"  a \t b   c  ", "1\t 2  3", "\"4\" 5 6 "}), table, error))
        << error;
    ASSERT_EQ(table.ColumnCount(), 3u);
    EXPECT_EQ(table.Names, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(table.Field(0, 1), "2");
    EXPECT_EQ(table.Field(1, 0), "4");
    EXPECT_EQ(table.Field(1, 2), "6");
    // Semicolons: empty fields stay, fields are trimmed.
    ASSERT_TRUE(UCsvTable::ReadCsvText(Lines({"d;x;y", "2001-01-01; 1,5 ;", "2001-01-02;;2"}),
                                       table, error))
        << error;
    EXPECT_EQ(table.Field(0, 1), "1,5");
    EXPECT_EQ(table.Field(0, 2), "");
    EXPECT_EQ(table.Field(1, 1), "");
    EXPECT_TRUE(table.DecimalComma);
}

TEST(SeasonSources, AppendedColumnKeepsRowsNamesAndMarks)
{
    UCsvTable::TCsvTable table;
    std::string error;
    ASSERT_TRUE(UCsvTable::ReadCsvText(Lines({"1 2", "3 4", "5 6"}), table, error));
    table.AppendColumn("joined", {"1.234", "", "0.5"});
    ASSERT_EQ(table.ColumnCount(), 3u);
    EXPECT_EQ(table.Field(0, 0), "1");
    EXPECT_EQ(table.Field(1, 1), "4");
    EXPECT_EQ(table.Field(1, 2), "");
    EXPECT_EQ(table.Field(2, 2), "0.5");
    EXPECT_EQ(table.ColumnName(2), "'joined'");
    EXPECT_EQ(table.ColumnName(0), "column 1");
    EXPECT_EQ(table.Marks[2].Settled(), TDecimalMark::Point);
    EXPECT_EQ(table.Marks[2].TwoWays, 0u);
    table.AppendColumn("more", {"a", "b", "c"});
    EXPECT_EQ(table.Field(2, 3), "c");
    EXPECT_EQ(table.Field(2, 2), "0.5");
}

TEST(SeasonSources, LatinOneBecomesUtf8AndUtf8StaysAsItIs)
{
    std::string latin = "# Catchment area (km\xB2): 12\n";
    UCsvTable::TextAsUtf8(latin);
    EXPECT_EQ(latin, "# Catchment area (km\xC2\xB2): 12\n");
    std::string utf8 = latin;
    UCsvTable::TextAsUtf8(utf8);
    EXPECT_EQ(utf8, latin);
    // A unit in square miles is converted; one in hectares is not taken.
    EXPECT_DOUBLE_EQ(UCsvSources::ReadHeaderInfo("# Drainage area (mi2): 10\n").AreaKm2,
                     25.89988110336);
    const UCsvSources::THeaderInfo hectares =
        UCsvSources::ReadHeaderInfo("# Area (ha): 1200\n# Unit: l/s\n");
    EXPECT_EQ(hectares.AreaKm2, 0);
    EXPECT_EQ(hectares.Notes.size(), 1u);
    EXPECT_EQ(hectares.Unit, "l/s");
}

TEST(SeasonSources, RoleFileGuessSkipsIdentifiersConstantsAndFlags)
{
    UCsvSources::TSourceRequest request;
    request.Main.Name = "main.csv";
    request.Main.Text = Daily(20);
    // A station number, a constant, the date, a value, its flag.
    std::string second;
    for (int d = 1; d <= 20; ++d)
        second += "06335020;7;2001-01-" + std::string(d < 10 ? "0" : "") + std::to_string(d) + ";" +
                  std::to_string(d) + ".25;" + (d == 4 ? "M" : "A") + "\n";
    request.Files[3] = {"q.csv", second, {}};
    UCsvSources::TFrame frame;
    std::string error;
    ASSERT_TRUE(Frame(request, frame, error)) << error;
    const int joined = frame.Columns[3];
    EXPECT_EQ(frame.Table.ColumnName(joined), "'q.csv:column 4'");
    EXPECT_EQ(frame.Table.Field(0, static_cast<std::size_t>(joined)), "1.25");
    EXPECT_EQ(frame.Table.Field(3, static_cast<std::size_t>(joined)), ""); // flagged M
    // Nothing left but identifiers, constants and dates: the column is asked for.
    std::string bare;
    for (int d = 1; d <= 20; ++d)
        bare += "06335020;7;2001-01-" + std::string(d < 10 ? "0" : "") + std::to_string(d) + "\n";
    request.Files[3].Text = bare;
    EXPECT_FALSE(Frame(request, frame, error));
    EXPECT_EQ(error, "In q.csv: no column is left for the runoff beside the date, flags, "
                     "identifiers and constant columns: name it as FILE:COLUMN.");
    // Named, a constant column is taken as asked.
    request.Files[3].Column = "2";
    ASSERT_TRUE(Frame(request, frame, error)) << error;
    EXPECT_EQ(frame.Table.Field(5, static_cast<std::size_t>(frame.Columns[3])), "7");
}

TEST(SeasonSources, HourlySeriesJoinOnDateAndTimeAndConvertPerHour)
{
    std::string main = "time;rain;pet\n", second = "date,time,q\n";
    for (int h = 0; h < 24; ++h) {
        const std::string hh = (h < 10 ? "0" : "") + std::to_string(h);
        main += "2001-01-01 " + hh + ":00;0.5;0.1\n";
        if (h != 7)
            second += "2001-01-01," + hh + ":00," + std::to_string(h + 1) + "\n";
    }
    UCsvSources::TSourceRequest request;
    request.Main = {"main.csv", main, {}};
    request.Files[3] = {"q.csv", second, {}};
    request.Unit = UCsvSources::TRunoffUnit::CubicMetresPerSecond;
    request.AreaKm2 = 4;
    request.AreaGiven = true;
    UCsvSources::TFrame frame;
    std::string error;
    ASSERT_TRUE(Frame(request, frame, error)) << error;
    EXPECT_EQ(frame.StepSeconds, 3600);
    EXPECT_EQ(frame.Table.Field(7, static_cast<std::size_t>(frame.Columns[3])), "");
    EXPECT_EQ(frame.Table.Field(8, static_cast<std::size_t>(frame.Columns[3])), "9");
    UCsvImport::TImportOptions options;
    UCsvImport::TSeries series;
    ASSERT_TRUE(UCsvSources::FrameOptions(frame, options, error) &&
                UCsvImport::ReadSeries(frame.Table, options, series, error))
        << error;
    UCsvImport::TImportResult taken;
    UCsvImport::TakeRows(series, true, 8, 9, taken);
    EXPECT_DOUBLE_EQ(taken.UnitFactor, 3.6 / 4); // m3/s to mm per hour over 4 km2
    EXPECT_EQ(taken.Runoff, (std::vector<double>{8.1, 9}));
    EXPECT_NE(frame.Notes.front().find("joined on the date and time: 23 of 24 dates of main.csv "
                                       "found"),
              std::string::npos)
        << frame.Notes.front();
    // A prediction takes no runoff: its file and unit are left aside.
    request.Analysis = false;
    ASSERT_TRUE(Frame(request, frame, error)) << error;
    EXPECT_EQ(frame.Columns[3], -1);
    EXPECT_EQ(frame.Unit, UCsvSources::TRunoffUnit::None);
}

TEST(SeasonSources, SpinupNoteCountsRowsInTheWordsOfItsReader)
{
    // Hourly rows 2003-01-01 00:00 .. 01-03 23:00; the season 01-02..01-03 with a day of
    // spin-up holds all 72, of which the first 24 are the spin-up.
    std::string text = "time,rain,pet,q\n";
    for (int day = 1; day <= 3; ++day)
        for (int h = 0; h < 24; ++h)
            text += "2003-01-0" + std::to_string(day) + (h < 10 ? " 0" : " ") + std::to_string(h) +
                    ":00,1,0.5,0.25\n";
    std::string error;
    UCsvImport::TCsvTable table;
    ASSERT_TRUE(UCsvImport::ReadCsvText(text, table, error)) << error;
    UCsvImport::TImportOptions options;
    UCsvImport::TSeries series;
    ASSERT_TRUE(UCsvImport::ReadSeries(table, options, series, error)) << error;
    UCsvSeasons::TSeasonBounds bounds;
    ASSERT_TRUE(UCsvSeasons::ParseSeason("01-02..01-03", bounds, error));
    UCsvSeasons::TSeasons seasons;
    ASSERT_TRUE(UCsvSeasons::SplitSeasons(table, options, series, bounds, 1, seasons, error))
        << error;
    ASSERT_EQ(seasons.Files.size(), 1u);
    EXPECT_EQ(seasons.Files[0].Result.Time.size(), 72u);
    const std::string begins = "Each file begins 1 days before its season (spin-up): leave them "
                               "out of a validation's score with ";
    EXPECT_EQ(seasons.SpinupRows, 24);
    EXPECT_EQ(cli::SpinupNote(seasons), begins + "--warmup 24.");
}

TEST(SeasonSources, ColumnPairsAndTheirRefusals)
{
    UCsvSources::TSourceRequest request;
    request.Main = {"main.csv", Daily(20, "Date,P,E,Q"), {}};
    UCsvSources::TFrame frame;
    std::string error;
    request.Columns = "runoff=q, rain = 2";
    ASSERT_TRUE(Frame(request, frame, error)) << error;
    EXPECT_EQ(frame.Columns, (std::array<int, 4>{0, 1, -1, 3}));
    const struct
    {
        const char *Columns, *Error;
    } refused[] = {
        {"rain=P,2,3", "--columns takes either date,rain,escape,runoff in order or role=COLUMN "
                       "pairs, not both."},
        {"flow=Q", "--columns: \"flow\" is no role (date, rain, escape, runoff)."},
        {"rain=X", "--columns: the file has no column \"X\" (rain)."},
        {"date=A+B", "--columns: the file has no column \"A\" (date)."},
        {"1,2", "--columns names date,rain,escape,runoff."},
    };
    for (const auto &c : refused) {
        request.Columns = c.Columns;
        EXPECT_FALSE(Frame(request, frame, error)) << c.Columns;
        EXPECT_EQ(error, c.Error) << c.Columns;
    }
    // A role from its own file is not also a column of the main file.
    request.Columns = "runoff=Q";
    request.Files[3] = {"q.csv", Daily(20), {}};
    EXPECT_FALSE(Frame(request, frame, error));
    EXPECT_EQ(error, "--columns: the runoff comes from q.csv, not from a column of main.csv.");
}

TEST(SeasonSources, SeasonBoundsAtLeapDaysAndAcrossTheNewYear)
{
    UCsvSeasons::TSeasonBounds bounds;
    std::string error;
    ASSERT_TRUE(UCsvSeasons::ParseSeason(" 02-29..03-01 ", bounds, error)) << error;
    EXPECT_FALSE(bounds.AcrossNewYear());
    ASSERT_TRUE(UCsvSeasons::ParseSeason("12-01..01-31", bounds, error));
    EXPECT_TRUE(bounds.AcrossNewYear());
    for (const char *bad : {"6-1..10-31", "06-01-10-31", "13-01..10-31", "06-01..", "00-10..10-31"})
        EXPECT_FALSE(UCsvSeasons::ParseSeason(bad, bounds, error)) << bad;

    // Daily rows 2003-12-01 .. 2005-01-31: the seasons 12-01..02-29 of 2003 (to 2004-02-29,
    // 91 rows) and 2004 (to 2005-01-31, incomplete at the end); 02-29..03-01 gives two rows in
    // 2004 (29 February and 1 March) and two in 2004's neighbours only when the file holds them.
    std::string text = "date,rain,pet,q\n";
    for (std::int64_t day = 12387; day <= 12814; ++day) { // 2003-12-01 .. 2005-01-31
        const std::int64_t z = day + 719468, era = z / 146097, doe = z - era * 146097;
        const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
        const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
        const std::int64_t mp = (5 * doy + 2) / 153, d = doy - (153 * mp + 2) / 5 + 1;
        const std::int64_t m = mp < 10 ? mp + 3 : mp - 9, y = yoe + era * 400 + (m <= 2);
        char line[64];
        std::snprintf(line, sizeof line, "%04lld-%02lld-%02lld,1,0.5,0.25\n",
                      static_cast<long long>(y), static_cast<long long>(m),
                      static_cast<long long>(d));
        text += line;
    }
    UCsvImport::TCsvTable table;
    ASSERT_TRUE(UCsvImport::ReadCsvText(text, table, error)) << error;
    UCsvImport::TImportOptions options;
    UCsvImport::TSeries series;
    ASSERT_TRUE(UCsvImport::ReadSeries(table, options, series, error)) << error;
    UCsvSeasons::TSeasons seasons;
    ASSERT_TRUE(UCsvSeasons::ParseSeason("12-01..02-29", bounds, error));
    ASSERT_TRUE(UCsvSeasons::SplitSeasons(table, options, series, bounds, 0, seasons, error))
        << error;
    ASSERT_EQ(seasons.Files.size(), 1u);
    EXPECT_EQ(seasons.Files[0].Year, 2003);
    EXPECT_EQ(seasons.Files[0].Result.Time.size(), 91u);
    EXPECT_EQ(seasons.Files[0].To, "2004-02-29");
    ASSERT_EQ(seasons.LeftOut.size(), 1u);
    EXPECT_EQ(UCsvSeasons::LeftOutText(seasons.LeftOut[0]),
              "2004: incomplete at the file's end (the file ends 2005-01-31, the season "
              "2005-02-28)");
    // With ten days of spin-up the 2003 season starts before the file.
    ASSERT_TRUE(UCsvSeasons::SplitSeasons(table, options, series, bounds, 10, seasons, error));
    EXPECT_TRUE(seasons.Files.empty());
    EXPECT_EQ(UCsvSeasons::LeftOutText(seasons.LeftOut[0]),
              "2003: incomplete at the file's start (the file begins 2003-12-01, the season "
              "with its spin-up 2003-11-21)");
    // A season of fewer rows than an import takes is refused as a whole.
    ASSERT_TRUE(UCsvSeasons::ParseSeason("02-29..03-01", bounds, error));
    EXPECT_FALSE(UCsvSeasons::SplitSeasons(table, options, series, bounds, 0, seasons, error));
    EXPECT_EQ(error, "A season of 2 days holds 2 rows; at least 12 are needed.");
}
