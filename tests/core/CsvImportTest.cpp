#include "import/UCsvImport.h"
#include "cli/CliImportText.h"
#include "files/UDMQuellow.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <sys/resource.h>

using namespace quellow;
using namespace quellow::UCsvImport;
using namespace quellow::test;

namespace {

/// A series of n rows: row i has the date of day i from 2015-11-01 (as format gives it),
/// rain i/4, escape 0.5 and runoff 10 + i, fields joined by delimiter.
std::string Series(int n, char delimiter, const std::function<std::string(int)> &date,
                   bool decimalComma = false, const std::string &header = "date,rain,etp,q")
{
    std::string text;
    if (!header.empty()) {
        std::string h = header;
        for (char &c : h)
            if (c == ',')
                c = delimiter;
        text += h + "\n";
    }
    for (int i = 0; i < n; ++i) {
        char values[96];
        std::snprintf(values, sizeof values, "%c%.2f%c0.5%c%d\n", delimiter, i / 4.0, delimiter,
                      delimiter, 10 + i);
        std::string rest = values;
        if (decimalComma)
            for (char &c : rest)
                if (c == '.')
                    c = ',';
        text += date(i) + rest;
    }
    return text;
}

/// Day i after 2015-11-01 as year, month, day (November has 30 days; enough for the tests).
void Day(int i, int &y, int &m, int &d)
{
    static const int lengths[] = {30, 31, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    y = 2015, m = 11, d = 1 + i;
    for (int k = 0; d > lengths[k]; ++k) {
        d -= lengths[k];
        if (++m > 12)
            m = 1, ++y;
    }
}

std::string Iso(int i)
{
    int y, m, d;
    Day(i, y, m, d);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
    return text;
}

std::string Dotted(int i)
{
    int y, m, d;
    Day(i, y, m, d);
    char text[48];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d", d, m, y);
    return text;
}

/// Day i after 2000-01-01, as year-month-day.
std::string CivilDay(int i)
{
    // Days to a civil date (proleptic Gregorian), from the count of days since 0000-03-01.
    const int z = i + 730425, era = z / 146097, doe = z - era * 146097;
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    const int d = doy - (153 * mp + 2) / 5 + 1, m = mp < 10 ? mp + 3 : mp - 9;
    const int y = yoe + era * 400 + (m <= 2);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
    return text;
}

std::string Us(int i)
{
    int y, m, d;
    Day(i, y, m, d);
    char text[48];
    std::snprintf(text, sizeof text, "%d/%d/%04d", m, d, y);
    return text;
}

/// A list of the columns read into columns; false with the problem as the command line words
/// it.
bool ParseColumnList(std::string_view list, const TCsvTable &table, bool analysis,
                     std::array<int, RoleCount> &columns, std::string &error)
{
    TColumnList parsed;
    TImportProblem problem;
    const bool ok = UCsvImport::ParseColumnList(list, table, analysis, {}, parsed, problem);
    columns = parsed.Columns;
    if (!ok)
        error = cli::ImportProblemText(problem);
    return ok;
}

struct TImported
{
    bool Ok = false;
    std::string Error;
    TCsvTable Table;
    TImportResult Result;
};

TImported Import(const std::string &text, TImportOptions options = {})
{
    TImported out;
    out.Ok = ReadCsvText(text, out.Table, out.Error, options.Missing) &&
             ImportSeries(out.Table, options, out.Result, out.Error);
    return out;
}

bool HasNote(const TImportResult &result, const std::string &part)
{
    for (const auto &note : result.Notes)
        if (note.find(part) != std::string::npos)
            return true;
    return false;
}

// ---- Forms of the file ----------------------------------------------------------------------

struct TForm
{
    const char *Name;
    char Delimiter;
    bool DecimalComma;
    std::function<std::string(int)> Date;
    TDateOrder Order;
};

class CsvForms : public ::testing::TestWithParam<TForm>
{
};

TEST_P(CsvForms, ReadDelimiterDecimalAndDates)
{
    const TForm &form = GetParam();
    const auto in = Import(Series(70, form.Delimiter, form.Date, form.DecimalComma));
    ASSERT_TRUE(in.Ok) << in.Error;
    EXPECT_EQ(in.Table.Delimiter, form.Delimiter);
    EXPECT_EQ(in.Table.DecimalComma, form.DecimalComma);
    EXPECT_TRUE(in.Table.HasHeader);
    EXPECT_EQ(in.Result.Order, form.Order);
    ASSERT_EQ(in.Result.Time.size(), 70u);
    // 30 November to 1 December and 31 December to 1 January are one day apart.
    for (int i = 0; i < 70; ++i) {
        EXPECT_EQ(in.Result.Time[i], i) << i;
        EXPECT_EQ(in.Result.Rain[i], i / 4.0);
        EXPECT_EQ(in.Result.Escape[i], 0.5);
        EXPECT_EQ(in.Result.Runoff[i], 10 + i);
    }
    EXPECT_EQ(in.Result.TimeUnit, "days");
}

INSTANTIATE_TEST_SUITE_P(
    Forms, CsvForms,
    ::testing::Values(TForm{"CommaIso", ',', false, Iso, TDateOrder::Ymd},
                      TForm{"SemicolonDotted", ';', false, Dotted, TDateOrder::Dmy},
                      TForm{"SemicolonDecimalComma", ';', true, Dotted, TDateOrder::Dmy},
                      TForm{"TabUs", '\t', false, Us, TDateOrder::Mdy},
                      TForm{"TabDecimalComma", '\t', true, Iso, TDateOrder::Ymd},
                      TForm{"BlanksIso", ' ', false, Iso, TDateOrder::Ymd},
                      TForm{"BlanksDecimalComma", ' ', true, Dotted, TDateOrder::Dmy},
                      TForm{"CommaUs", ',', false, Us, TDateOrder::Mdy}),
    [](const auto &info) { return info.param.Name; });

TEST(CsvImport, FileWithoutHeaderTakesColumnsInOrder)
{
    const auto in = Import(Series(14, ',', Iso, false, ""));
    ASSERT_TRUE(in.Ok) << in.Error;
    EXPECT_FALSE(in.Table.HasHeader);
    EXPECT_EQ(in.Result.Columns, (std::array<int, 4>{0, 1, 2, 3}));
    EXPECT_EQ(in.Result.Runoff[13], 23);
}

TEST(CsvImport, ColumnsAreFoundByNameOrGiven)
{
    // A simulated runoff before the observed one, the date last: names decide.
    std::string text = "qsim;evap;P;Q;Date\n";
    for (int i = 0; i < 12; ++i)
        text += "9;0,1;" + std::to_string(i) + ";" + std::to_string(20 + i) + ";" + Iso(i) + "\n";
    auto in = Import(text);
    ASSERT_TRUE(in.Ok) << in.Error;
    EXPECT_EQ(in.Result.Columns, (std::array<int, 4>{4, 2, 1, 3}));
    EXPECT_EQ(in.Result.Escape[0], 0.1);

    TImportOptions options;
    std::string error;
    ASSERT_TRUE(ParseColumnList("5,3,2,1", in.Table, true, options.Columns, error)) << error;
    in = Import(text, options);
    ASSERT_TRUE(in.Ok) << in.Error;
    EXPECT_EQ(in.Result.Runoff[0], 9);
    ASSERT_TRUE(ParseColumnList("date,p,EVAP,qsim", in.Table, true, options.Columns, error));
    EXPECT_EQ(options.Columns, (std::array<int, 4>{4, 2, 1, 0}));
    EXPECT_FALSE(ParseColumnList("date,rain,escape,flow", in.Table, true, options.Columns, error));
    EXPECT_EQ(error, "--columns: the file has no column \"rain\" (rain).");
}

TEST(CsvImport, DatesWithTimeOfDayGiveSubDailySteps)
{
    // Six-hourly steps fit days with two decimals; hourly ones do not and go to hours.
    std::string sixHourly = "when,rain,esc,runoff\n", hourly = sixHourly, minutes = sixHourly;
    for (int i = 0; i < 16; ++i) {
        char line[96];
        std::snprintf(line, sizeof line, "2016-02-28T%02d:00,1,0.1,2\n", i * 6 % 24);
        if (i >= 4)
            std::snprintf(line, sizeof line, "2016-%s %02d:00:00,1,0.1,2\n",
                          i < 8    ? "02-29"
                          : i < 12 ? "03-01"
                                   : "03-02",
                          i * 6 % 24);
        sixHourly += line;
        std::snprintf(line, sizeof line, "29.02.2016 %d:%02d,1,0.1,2\n", 10 + i / 6, i % 6 * 10);
        minutes += line;
        std::snprintf(line, sizeof line, "02/29/2016 %02d:30,1,0.1,2\n", i);
        hourly += line;
    }
    auto in = Import(sixHourly);
    ASSERT_TRUE(in.Ok) << in.Error;
    EXPECT_EQ(in.Result.TimeUnit, "days");
    EXPECT_EQ(in.Result.Time[5], 1.25); // 29 February, a leap day, counts
    EXPECT_EQ(in.Result.Time[15], 3.75);
    in = Import(hourly);
    ASSERT_TRUE(in.Ok) << in.Error;
    EXPECT_EQ(in.Result.TimeUnit, "hours");
    EXPECT_EQ(in.Result.Time[15], 15);
    EXPECT_TRUE(HasNote(in.Result, "escape rates and runoff must be per hour"));
    in = Import(minutes);
    ASSERT_TRUE(in.Ok) << in.Error;
    EXPECT_EQ(in.Result.TimeUnit, "minutes");
    EXPECT_EQ(in.Result.Time[7], 70);
}

TEST(CsvImport, AmbiguousDatesAreSaidAndCanBeChosen)
{
    // Every day and month is at most 12: read as month/day/year unless told otherwise.
    std::string text = "date,rain,escape,runoff\n";
    for (int i = 1; i <= 12; ++i)
        text += "01/" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "/2020,1,0,1\n";
    auto in = Import(text);
    ASSERT_TRUE(in.Ok) << in.Error;
    EXPECT_EQ(in.Result.Order, TDateOrder::Mdy);
    EXPECT_TRUE(in.Result.OrderAmbiguous);
    EXPECT_TRUE(HasNote(in.Result, "no date tells day and month apart; choose day.month.year"));
    EXPECT_EQ(in.Result.Time[11], 11);
    TImportOptions options;
    options.Order = TDateOrder::Dmy; // 1 January, 1 February, ... 1 December 2020
    in = Import(text, options);
    ASSERT_TRUE(in.Ok) << in.Error;
    EXPECT_FALSE(in.Result.OrderAmbiguous);
    EXPECT_EQ(in.Result.Time[1], 31);
    EXPECT_EQ(in.Result.Time[11], 335);
    // A day above 12 settles it; asking the other order then fails on that date.
    in = Import(Series(14, ',', Dotted));
    ASSERT_TRUE(in.Ok) << in.Error;
    EXPECT_FALSE(in.Result.OrderAmbiguous);
    options.Order = TDateOrder::Mdy;
    in = Import(Series(14, ',', Dotted), options);
    EXPECT_FALSE(in.Ok);
    EXPECT_EQ(in.Error,
              "The date \"13.11.2015\" in line 14 is no date when read as month/day/year.");
}

// ---- Missing values, gaps and the period taken ----------------------------------------------

TEST(CsvImport, MissingMarkersAreNeverNumbers)
{
    const char *const markers[] = {"", "NA", "NaN", "nan", "N/A", "-999", "-9999", "-999.0", "x"};
    for (const char *marker : markers) {
        std::string text = "date;rain;escape;runoff\n";
        for (int i = 0; i < 30; ++i)
            text += Dotted(i) + ";1;0,2;" + (i == 10 ? std::string(marker) : "3") + "\n";
        TImportOptions options;
        options.Missing = "x";
        const auto in = Import(text, options);
        ASSERT_TRUE(in.Ok) << marker << ": " << in.Error;
        ASSERT_EQ(in.Result.Gaps.size(), 1u) << marker;
        EXPECT_EQ(GapText(in.Table, in.Result, in.Result.Gaps[0]), "runoff: 11.11.2015 (1 row)");
        EXPECT_EQ(in.Result.Time.size(), 19u) << marker; // rows 11 to 29
    }
    // -99 is a value, and a word is refused rather than taken for a gap.
    EXPECT_TRUE(IsMissing("-9999.00", "", TDecimalMark::Auto));
    EXPECT_FALSE(IsMissing("-99", "", TDecimalMark::Auto));
    const auto in = Import("date,rain,escape,runoff\n2015-01-01,1,0,abc\n");
    EXPECT_EQ(in.Error, "\"abc\" in line 2, column 'runoff' (runoff) is not a number: give it as "
                        "the marker of a missing value if it marks one, or choose another column.");
}

TEST(CsvImport, GapsAreListedAndTheLongestStretchTaken)
{
    std::string text = "date,rain,escape,runoff\n";
    for (int i = 0; i < 60; ++i) {
        const bool rainGap = i == 3 || i == 4;
        const bool runoffGap = i >= 20 && i < 23;
        text += Iso(i) + "," + (rainGap ? "" : "1") + ",0.1," + (runoffGap ? "NA" : "2") + "\n";
    }
    auto in = Import(text);
    ASSERT_TRUE(in.Ok) << in.Error;
    ASSERT_EQ(in.Result.Gaps.size(), 2u);
    EXPECT_EQ(GapText(in.Table, in.Result, in.Result.Gaps[0]),
              "rain: 2015-11-04 to 2015-11-05 (2 rows)");
    EXPECT_EQ(GapText(in.Table, in.Result, in.Result.Gaps[1]),
              "runoff: 2015-11-21 to 2015-11-23 (3 rows)");
    EXPECT_EQ(in.Result.First, 23u);
    EXPECT_EQ(in.Result.Last, 59u);
    EXPECT_TRUE(HasNote(in.Result, "Imported the longest gap-free stretch: 2015-11-24 to "
                                   "2015-12-30 (37 rows)."));
    EXPECT_EQ(in.Result.Time.front(), 0);

    // A prediction needs no runoff: its gaps do not count.
    TImportOptions options;
    options.Analysis = false;
    in = Import(text, options);
    ASSERT_TRUE(in.Ok) << in.Error;
    EXPECT_EQ(in.Result.Gaps.size(), 1u);
    EXPECT_EQ(in.Result.First, 5u);

    // A period given is taken as it is, unless it has gaps.
    options = {};
    options.From = "2015-11-06";
    options.To = "2015-11-20";
    in = Import(text, options);
    ASSERT_TRUE(in.Ok) << in.Error;
    EXPECT_EQ(in.Result.First, 5u);
    EXPECT_EQ(in.Result.Last, 19u);
    options.To = "2015-11-21";
    in = Import(text, options);
    EXPECT_FALSE(in.Ok);
    EXPECT_EQ(in.Error, "The period 2015-11-06 to 2015-11-21 has gaps: runoff: 2015-11-21 to "
                        "2015-11-23 (3 rows). Choose a period without gaps.");
    options.From = "2016-06-01";
    options.To = "";
    EXPECT_EQ(Import(text, options).Error,
              "The period 2016-06-01 to end holds no rows of the file.");
}

TEST(CsvImport, RowsBeyondTheModesLimitAreNotCutSilently)
{
    // The analysis takes what the sheet, Save/Run and convert take; a prediction what its
    // run takes.
    std::string text = "date,rain,escape,runoff\n";
    for (int i = 0; i < 1600; ++i)
        text += CivilDay(i) + ",1,0.1,2\n";
    auto in = Import(text);
    ASSERT_TRUE(in.Ok) << in.Error;
    EXPECT_EQ(in.Result.Time.size(), 1500u);
    EXPECT_TRUE(HasNote(in.Result, "is longer than an analysis takes at most 1500 rows: the "
                                   "first 1500 rows were imported"));
    TImportOptions options;
    options.Analysis = false;
    in = Import(text, options);
    ASSERT_TRUE(in.Ok) << in.Error;
    EXPECT_EQ(in.Result.Time.size(), 501u);
    options.From = "2000-01-01";
    options.To = CivilDay(671);
    in = Import(text, options);
    EXPECT_EQ(in.Error, "The period 2000-01-01 to 2001-11-02 holds 672 rows; a prediction takes "
                        "at most 501 rows. Choose a shorter period.");
}

// ---- Hostile files ----------------------------------------------------------------------------

TEST(CsvImport, HostileTextsGetAClearMessage)
{
    const std::string ok = Series(14, ',', Iso);
    std::string outOfOrder = ok, repeated = ok;
    outOfOrder.replace(outOfOrder.find("2015-11-05"), 10, "2015-11-09");
    repeated.replace(repeated.find("2015-11-05"), 10, "2015-11-04");
    std::string allMissing = "date,rain,escape,runoff\n";
    for (int i = 0; i < 20; ++i)
        allMissing += Iso(i) + ",NA,,nan\n";
    // The sample that finds the delimiter is the first hundred lines; later ones are checked.
    const std::string mixed = Series(110, ';', Dotted) + "20.02.2016,1,0.5,3\n";
    const std::pair<std::string, std::string> cases[] = {
        {"", "The file holds no rows."},
        {"date,rain\n", "The file holds a header line but no rows."},
        {"rain,escape,runoff\n1,2,3\n4,5,6\n",
         "No column holds dates (such as 2015-11-01, 01.11.2015 or 11/1/2015) in line 2: the "
         "time of each row must be a date."},
        {"date,rain,escape,runoff\n2015-11-01,1,2,3\n2015-13-01,1,2,3\n",
         "The date \"2015-13-01\" in line 3 is no date when read as year-month-day."},
        {"date,rain,escape,runoff\n2015-11-01,1,2,3\nyesterday,1,2,3\n",
         "The date \"yesterday\" in line 3 cannot be read: dates are taken as 2015-11-01, "
         "01.11.2015 or 11/1/2015, with or without a time of day (13:30)."},
        {outOfOrder, "Dates out of order or repeated: line 7 (2015-11-06) comes after line 6 "
                     "(2015-11-09). The rows must follow each other in time, one row per date."},
        {repeated, "Dates out of order or repeated: line 6 (2015-11-04) repeats the date of line "
                   "5 (2015-11-04). The rows must follow each other in time, one row per date."},
        {allMissing, "No row has all of its values: there is no period without gaps to import. "
                     "Check the columns chosen, or take a series from a file of its own."},
        {mixed, "Line 112 has 1 fields where line 2 has 4: mixed delimiters or a broken line."},
        {"a;b,c\n1;2,3\n4,5;6\n7;8;9\n",
         "No delimiter (comma, semicolon, tab or blanks) splits the lines into the same number "
         "of fields: mixed delimiters, or not a table of values."},
        {"date,rain,escape,runoff\n2015-11-01,-1,2,3\n",
         "The value -1 in line 2, column 'rain' (rain) is negative."},
        {Series(8, ',', Iso), "The period 2015-11-01 to 2015-11-08 holds only 8 rows; at least "
                              "12 are needed."},
        {"date\tp\te\tq\n" + std::string(70000, '1') + "\n",
         "Line 2 is longer than 65536 characters: this is not a table of values."},
    };
    for (const auto &[text, message] : cases) {
        const auto in = Import(text);
        EXPECT_FALSE(in.Ok) << message;
        EXPECT_EQ(in.Error, message);
    }
}

TEST(CsvImport, HostileFilesAreRefusedBeforeTheyAreRead)
{
    TTempDir dir;
    TCsvTable table;
    std::string error;
    // A 1 GB file (sparse: nothing is written) is refused by its size.
    const std::string big = dir.File("big.csv");
    WriteBytes(big, "date,rain\n");
    std::filesystem::resize_file(big, std::uintmax_t{1} << 30);
    EXPECT_FALSE(ReadCsvFile(big, table, error));
    EXPECT_EQ(error,
              "The file \"" + big + "\" is larger than 64 MB: too large for a series to import.");
    const std::string binary = dir.File("garbage.csv");
    WriteBytes(binary, std::string("\x7f"
                                   "ELF\x02\x01\x01\0\0\0",
                                   10) +
                           "date,rain\n");
    EXPECT_FALSE(ReadCsvFile(binary, table, error));
    EXPECT_EQ(error, "The file \"" + binary + "\" is not a text file.");
    EXPECT_FALSE(ReadCsvFile(dir.File("none.csv"), table, error));
    EXPECT_EQ(error, "The file \"" + dir.File("none.csv") + "\" could not be opened.");
    // Garbage without NUL bytes: no delimiter splits it evenly.
    WriteBytes(binary, "\xff\xfe\x81,\x90\x91\n\x82\x83\n;;\x84,\n");
    EXPECT_FALSE(ReadCsvFile(binary, table, error));
    EXPECT_NE(error.find("mixed delimiters, or not a table of values"), std::string::npos);
}

TEST(CsvImport, RowsAndDischargeFactor)
{
    const auto in = Import(Series(14, ';', Dotted));
    ASSERT_TRUE(in.Ok);
    EXPECT_EQ(in.Result.Runoff[13], 23);
    EXPECT_EQ(in.Result.MaxEscape, 0.5);
    // A factor gives the decimal the user expects, not binary noise (13 * 0.1
    // = 1.3000000000000003).
    TImportOptions options;
    options.Scale[RoleRunoff] = 0.1;
    const auto scaled = Import(Series(14, ';', Dotted), options);
    ASSERT_TRUE(scaled.Ok);
    EXPECT_EQ(scaled.Result.Runoff[3], 1.3);
    EXPECT_EQ(scaled.Result.Runoff[13], 2.3);
    // 1.783 km2: l/s to mm/day; m3/s a thousand times more; hours 24 times less.
    using URunoffUnit::RunoffFactor;
    using URunoffUnit::TRunoffUnit;
    EXPECT_NEAR(RunoffFactor(TRunoffUnit::LitresPerSecond, 1.783, 86400), 0.048458, 5e-7);
    EXPECT_NEAR(RunoffFactor(TRunoffUnit::CubicMetresPerSecond, 1.783, 86400), 48.458, 5e-4);
    EXPECT_NEAR(RunoffFactor(TRunoffUnit::LitresPerSecond, 1.783, 3600), 0.048458 / 24, 1e-7);
    EXPECT_EQ(RunoffFactor(TRunoffUnit::LitresPerSecond, 0, 86400), 0);
}

} // namespace

namespace {

TEST(CsvImport, BoundariesOfOrderStretchAndPeriod)
{
    // Only the 13th tells the day comes first.
    std::string text = "date,rain,escape,runoff\n";
    for (int m = 1; m <= 12; ++m)
        text += "13/" + std::to_string(m) + "/2020,1,0,1\n";
    auto in = Import(text);
    ASSERT_TRUE(in.Ok) << in.Error;
    EXPECT_EQ(in.Result.Order, TDateOrder::Dmy);
    // Two gap-free stretches of the same length: the first is taken.
    std::string ties = "date,rain,escape,runoff\n";
    for (int i = 0; i < 25; ++i)
        ties += Iso(i) + ",1,0.1," + (i == 12 ? "NA" : "2") + "\n";
    in = Import(ties);
    ASSERT_TRUE(in.Ok) << in.Error;
    EXPECT_EQ(in.Result.First, 0u);
    // A last date without a time of day takes the whole day.
    std::string hourly = "date,rain,escape,runoff\n";
    for (int h = 0; h < 48; ++h)
        hourly += std::string(h < 24 ? "2020-01-01 " : "2020-01-02 ") + std::to_string(h % 24) +
                  ":00,1,0,1\n";
    TImportOptions options;
    options.To = "2020-01-01";
    in = Import(hourly, options);
    ASSERT_TRUE(in.Ok) << in.Error;
    EXPECT_EQ(in.Result.Time.size(), 24u);
}

} // namespace

namespace {

// ---- Numbers that read two ways ---------------------------------------------------------------

/// Fourteen days of rain 1, escape 0 and the runoff texts given in turn.
std::string RunoffSeries(char delimiter, const std::vector<std::string> &runoff)
{
    std::string text =
        std::string("date") + delimiter + "rain" + delimiter + "escape" + delimiter + "q\n";
    for (int i = 0; i < 14; ++i)
        text += Dotted(i) + delimiter + "1" + delimiter + "0" + delimiter +
                runoff[static_cast<std::size_t>(i) % runoff.size()] + "\n";
    return text;
}

TEST(CsvImport, NumbersThatReadTwoWaysAreNeverDecidedSilently)
{
    // Nothing in the column settles 1,234: read with the mark as decimal mark, and said so.
    auto in = Import(RunoffSeries(';', {"1,234", "2"}));
    ASSERT_TRUE(in.Ok) << in.Error;
    EXPECT_EQ(in.Result.Runoff[0], 1.234);
    EXPECT_TRUE(HasNote(in.Result, "Column 'q' (runoff): 1,234 in line 2 reads two ways; read "
                                   "with a decimal comma, as 1.234. Choose the decimal point if "
                                   "it means 1234."));
    // The user's choice decides, and the note says so.
    TImportOptions options;
    options.Decimal = TDecimalMark::Point;
    in = Import(RunoffSeries('\t', {"1,234", "2"}), options);
    ASSERT_TRUE(in.Ok) << in.Error;
    EXPECT_EQ(in.Result.Runoff[0], 1234);
    EXPECT_TRUE(HasNote(in.Result, "read with a decimal point as chosen, as 1234."));
    // Another number of the column settles it, whatever was chosen; no note then.
    in = Import(RunoffSeries(';', {"1,234", "2,5"}), options);
    ASSERT_TRUE(in.Ok) << in.Error;
    EXPECT_EQ(in.Result.Runoff[0], 1.234);
    EXPECT_EQ(in.Result.Runoff[1], 2.5);
    EXPECT_FALSE(HasNote(in.Result, "reads two ways"));
    // Both marks: the last is the decimal mark, the other groups thousands and is dropped.
    in = Import(RunoffSeries(';', {"1,234", "1.002,5"}));
    ASSERT_TRUE(in.Ok) << in.Error;
    EXPECT_EQ(in.Result.Runoff[0], 1.234);
    EXPECT_EQ(in.Result.Runoff[1], 1002.5);
    in = Import(RunoffSeries(';', {"1,234", "1,002.5", "12,345,678"}));
    ASSERT_TRUE(in.Ok) << in.Error;
    EXPECT_EQ(in.Result.Runoff[0], 1234);
    EXPECT_EQ(in.Result.Runoff[1], 1002.5);
    EXPECT_EQ(in.Result.Runoff[2], 12345678);
    EXPECT_FALSE(in.Table.DecimalComma);
    // Thousands marks where no thousands end are no number.
    in = Import(RunoffSeries(';', {"1,2,3"}));
    EXPECT_EQ(in.Error, "\"1,2,3\" in line 2, column 'q' (runoff) is not a number: give it as the "
                        "marker of a missing value if it marks one, or choose another column.");
}

// ---- Missing dates and steps ------------------------------------------------------------------

TEST(CsvImport, ADateLeftOutOfARegularSeriesIsAGap)
{
    std::string text = "date,rain,escape,runoff\n";
    for (int i = 0; i < 40; ++i)
        if (i != 10)
            text += Iso(i) + "," + std::to_string(i) + ",0.1,2\n";
    auto in = Import(text);
    ASSERT_TRUE(in.Ok) << in.Error;
    ASSERT_EQ(in.Result.Gaps.size(), 1u);
    EXPECT_TRUE(
        HasNote(in.Result, "1 gap: date: missing between 2015-11-10 and 2015-11-12 (1 row)."));
    EXPECT_TRUE(HasNote(in.Result, "Imported the longest gap-free stretch: 2015-11-12 to "
                                   "2015-12-10 (29 rows)."));
    EXPECT_EQ(in.Result.Time[1], 1);
    EXPECT_EQ(in.Result.Rain[0], 11);
    // A period given across it is refused.
    TImportOptions options;
    options.From = "2015-11-01";
    EXPECT_EQ(Import(text, options).Error,
              "The period 2015-11-01 to end has gaps: date: missing between 2015-11-10 and "
              "2015-11-12 (1 row). Choose a period without gaps.");
    // Irregular steps only when asked for, and said.
    options = {};
    options.Irregular = true;
    in = Import(text, options);
    ASSERT_TRUE(in.Ok) << in.Error;
    EXPECT_EQ(in.Result.Time.size(), 39u);
    EXPECT_EQ(in.Result.Time[10], 11);
    EXPECT_TRUE(HasNote(in.Result, "Irregular steps, taken as they are (1 day to 2 days): a "
                                   "missing date is no gap."));
    std::string odd = "date,rain,escape,runoff\n";
    for (int i = 0; i < 20; ++i)
        odd += Iso(i) + (i == 5 ? " 12:00" : "") + ",1,0.1,2\n";
    EXPECT_EQ(Import(odd).Error,
              "The dates do not follow each other in regular steps of 1 day: line 7 (2015-11-06 "
              "12:00) follows line 6 (2015-11-05) after 36 hours; line 8 (2015-11-07) follows "
              "line 7 (2015-11-06 12:00) after 12 hours. Choose irregular steps if the series "
              "has them; a missing date is then no gap.");
}

TEST(CsvImport, StepsThatAreFractionsOfADaySaySo)
{
    std::string text = "date,rain,escape,runoff\n";
    for (int i = 0; i < 16; ++i)
        text += Iso(i / 2) + (i % 2 ? " 12:00" : " 00:00") + ",1,0.1,2\n";
    const auto in = Import(text);
    ASSERT_TRUE(in.Ok) << in.Error;
    EXPECT_EQ(in.Result.TimeUnit, "days");
    EXPECT_TRUE(HasNote(in.Result, "Time in days from the first row (2015-11-01 00:00): the "
                                   "steps of 12 hours are fractions of a day, so escape rates "
                                   "and runoff must be per day, not per step."));
}

TEST(CsvImport, TwoDigitYearsAreNamedWithTheirLine)
{
    EXPECT_EQ(Import("date;rain;escape;runoff\n01.11.15;1;0;1\n").Error,
              "The date \"01.11.15\" in line 2 has a two-digit year: two-digit years are not "
              "read. Write the years with four digits (2015-11-01, 01.11.2015 or 11/1/2015).");
    std::string text = Series(14, ',', Dotted);
    text.replace(text.find("05.11.2015"), 10, "05.11.15");
    EXPECT_EQ(Import(text).Error,
              "The date \"05.11.15\" in line 6 has a two-digit year: two-digit years are not "
              "read. Write the years with four digits (2015-11-01, 01.11.2015 or 11/1/2015).");
}

// ---- Memory -----------------------------------------------------------------------------------

#if !defined(QUELLOW_SANITIZED) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
/// Reads text as a table with the address space limited to what the process holds and
/// room more; exits 0 when every row was read.
void ReadWithin(const std::string &text, std::size_t rows, rlim_t room)
{
    long pages = 0;
    std::FILE *statm = std::fopen("/proc/self/statm", "r");
    if (!statm || std::fscanf(statm, "%ld", &pages) != 1)
        std::exit(2);
    std::fclose(statm);
    const rlim_t most = static_cast<rlim_t>(pages) * 4096 + room;
    const rlimit limit{most, most};
    setrlimit(RLIMIT_AS, &limit);
    TCsvTable table;
    std::string error;
    const bool read = ReadCsvText(text, table, error);
    std::exit(read && table.RowCount() == rows ? 0 : 1);
}

TEST(CsvImportDeathTest, AWideTableTakesASmallMultipleOfItsSize)
{
    // 16 MB of 1000 one-digit fields a line: kept as a few bytes a field, not a string each.
    std::string row;
    for (int c = 0; c < 1000; ++c)
        row += c ? ",1" : "1";
    row += "\n";
    std::string text;
    while (text.size() < (16u << 20))
        text += row;
    EXPECT_EXIT(ReadWithin(text, text.size() / row.size(), 96u << 20), ::testing::ExitedWithCode(0),
                "");
}
#endif

} // namespace
