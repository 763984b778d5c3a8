#include "import/UCsvSeasons.h"

#include "files/UTextFields.h"

#include <date/date.h>

#include <algorithm>

namespace quellow::UCsvSeasons {

using UCsvImport::RoleDate;
using UCsvPeriod::TGap;

namespace {

constexpr int MaxSpinupDays = 3660;

bool twoDigits(std::string_view text, int &value)
{
    if (text.size() != 2 || text[0] < '0' || text[0] > '9' || text[1] < '0' || text[1] > '9')
        return false;
    value = (text[0] - '0') * 10 + (text[1] - '0');
    return true;
}

/// Day number (days since 1970) of month-day in year; 02-29 is the last day of February.
std::int64_t dayNumber(int year, int month, int day)
{
    date::year_month_day ymd{date::year{year}, date::month{static_cast<unsigned>(month)},
                             date::day{static_cast<unsigned>(day)}};
    if (!ymd.ok())
        ymd = date::year_month_day{date::year_month_day_last{
            date::year{year}, date::month_day_last{date::month{static_cast<unsigned>(month)}}}};
    return date::sys_days{ymd}.time_since_epoch().count();
}

std::int64_t dayOf(std::int64_t seconds)
{
    return seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
}

std::string dayText(std::int64_t day)
{
    return UCsvDates::DateText(day * 86400);
}

int yearOf(std::int64_t day)
{
    return static_cast<int>(date::year_month_day{date::sys_days{date::days{day}}}.year());
}

/// "29 February 1988" or "31 December 1988" when day is one of the two dates some calendars
/// leave out; empty otherwise.
std::string calendarDay(std::int64_t day)
{
    const date::year_month_day ymd{date::sys_days{date::days{day}}};
    const unsigned m = static_cast<unsigned>(ymd.month()), d = static_cast<unsigned>(ymd.day());
    const int y = static_cast<int>(ymd.year());
    if (m == 2 && d == 29)
        return "29 February " + std::to_string(y);
    if (m == 12 && d == 31 && ymd.year().is_leap())
        return "31 December " + std::to_string(y);
    return {};
}

} // namespace

bool ParseSeason(std::string_view text, TSeasonBounds &bounds, std::string &error)
{
    const std::string shown(trim(text));
    const std::size_t dots = shown.find("..");
    const auto bound = [&](std::string_view part, int &month, int &day) {
        part = trim(part);
        if (part.size() != 5 || part[2] != '-' || !twoDigits(part.substr(0, 2), month) ||
            !twoDigits(part.substr(3, 2), day))
            return false;
        // A leap year: 02-29 stands for the last day of February.
        return date::year_month_day{date::year{2000}, date::month{static_cast<unsigned>(month)},
                                    date::day{static_cast<unsigned>(day)}}
            .ok();
    };
    TSeasonBounds b;
    if (dots == std::string::npos ||
        !bound(std::string_view(shown).substr(0, dots), b.StartMonth, b.StartDay)) {
        error = "The season \"" + shown +
                "\" is not MM-DD..MM-DD with a day of the year first (06-01..10-31; 02-29 is "
                "the last day of February).";
        return false;
    }
    if (!bound(std::string_view(shown).substr(dots + 2), b.EndMonth, b.EndDay)) {
        error = "The season \"" + shown +
                "\" does not end on a day of the year: " + shown.substr(dots + 2) +
                " is no date (MM-DD; 02-29 is the last day of February).";
        return false;
    }
    bounds = b;
    return true;
}

std::string LeftOutText(const TLeftOut &left)
{
    return std::to_string(left.Year) + ": " + left.Reason;
}

namespace {

/// The reason a season of rows with gaps is left out: the gaps listed, or the calendar that
/// lacks a day.
std::string gapReason(const UCsvImport::TCsvTable &table, int dateColumn,
                      const std::vector<std::int64_t> &seconds, std::int64_t step,
                      const std::vector<TGap> &gaps, std::size_t lo, std::size_t hi,
                      std::int64_t from, std::int64_t to)
{
    std::vector<std::string> listed, calendar;
    for (const TGap &gap : gaps) {
        if (gap.Role == RoleDate) {
            // The dates left out lie between the two rows.
            if (!(seconds[gap.First] + step <= to && seconds[gap.Last] - step >= from))
                continue;
            const std::string day =
                gap.Missing == 1 ? calendarDay(dayOf(seconds[gap.First] + step)) : std::string();
            (day.empty() ? listed : calendar)
                .push_back(day.empty() ? UCsvPeriod::GapText(table, dateColumn, gap) : day);
        } else if (gap.Last >= lo && gap.First <= hi) {
            listed.push_back(UCsvPeriod::GapText(table, dateColumn, gap));
        }
    }
    if (listed.empty() && calendar.empty())
        return {};
    if (listed.empty())
        return "the file's calendar has no " + UCsvTable::JoinProblems(calendar);
    return "gaps: " + UCsvTable::JoinProblems(listed);
}

} // namespace

namespace {

/// The days of the season that begins in year.
std::int64_t seasonDays(const TSeasonBounds &bounds, int year)
{
    const std::int64_t start = dayNumber(year, bounds.StartMonth, bounds.StartDay);
    const std::int64_t end =
        dayNumber(bounds.AcrossNewYear() ? year + 1 : year, bounds.EndMonth, bounds.EndDay);
    return end - start + 1;
}

/// The longest season (a leap year's) with its spin-up must fit the mode, and hold enough rows.
bool checkSeasonRows(const TSeasonBounds &bounds, int spinupDays, std::int64_t step, bool analysis,
                     std::string &error)
{
    const std::int64_t longest = std::max({seasonDays(bounds, 1999), seasonDays(bounds, 2000),
                                           seasonDays(bounds, 2003), seasonDays(bounds, 2004)}) +
                                 spinupDays;
    const std::int64_t rows = longest * (86400 / step);
    const int limit = UCsvImport::ImportRowLimit(analysis);
    if (rows > limit) {
        error = "A season of " + std::to_string(longest) + " days" +
                (spinupDays ? " with its spin-up" : "") + " holds " + std::to_string(rows) +
                " rows; " + (analysis ? "an analysis" : "a prediction") + " takes at most " +
                std::to_string(limit) + " rows. Choose a shorter season.";
        return false;
    }
    if (rows < UCsvImport::MinImportRows) {
        error = "A season of " + std::to_string(longest) + " days holds " + std::to_string(rows) +
                " rows; at least " + std::to_string(UCsvImport::MinImportRows) + " are needed.";
        return false;
    }
    return true;
}

/// What the seasons are taken from: the table, its series and the gaps in it.
struct TSeasonSource
{
    const UCsvImport::TCsvTable &Table;
    const UCsvImport::TSeries &Series;
    const std::vector<TGap> &Gaps;
    std::int64_t Step = 0;
    int SpinupDays = 0;
    bool Irregular = false;
};

/// The season that begins in year (with its spin-up), taken into seasons or left out with the
/// reason; nothing for a year the file does not reach.
void takeSeason(const TSeasonSource &source, const TSeasonBounds &bounds, int year, bool analysis,
                TSeasons &seasons)
{
    const std::vector<std::int64_t> &seconds = source.Series.Seconds;
    const int dateColumn = source.Series.Base.Columns[RoleDate];
    const auto date = [&](std::size_t row) {
        return std::string(source.Table.Field(row, static_cast<std::size_t>(dateColumn)));
    };
    const std::int64_t startDay = dayNumber(year, bounds.StartMonth, bounds.StartDay);
    const std::int64_t fromDay = startDay - source.SpinupDays;
    const std::int64_t endDay =
        dayNumber(bounds.AcrossNewYear() ? year + 1 : year, bounds.EndMonth, bounds.EndDay);
    const std::int64_t from = fromDay * 86400, to = (endDay + 1) * 86400 - 1;
    const std::int64_t first = seconds.front(), last = seconds.back();
    if (to < first || from > last)
        return; // a year the file does not reach
    TLeftOut left{year, {}};
    if (first > from + (source.Step == 86400 ? 86399 : 0))
        left.Reason = "incomplete at the file's start (the file begins " + date(0) +
                      (source.SpinupDays ? ", the season with its spin-up " : ", the season ") +
                      dayText(fromDay) + ")";
    else if (last < to + 1 - source.Step)
        left.Reason = "incomplete at the file's end (the file ends " +
                      date(source.Table.RowCount() - 1) + ", the season " + dayText(endDay) + ")";
    std::size_t lo = 0, hi = 0;
    if (left.Reason.empty()) {
        lo = static_cast<std::size_t>(std::lower_bound(seconds.begin(), seconds.end(), from) -
                                      seconds.begin());
        hi = static_cast<std::size_t>(std::upper_bound(seconds.begin(), seconds.end(), to) -
                                      seconds.begin()) -
             1;
        left.Reason = gapReason(source.Table, dateColumn, seconds, source.Step, source.Gaps, lo, hi,
                                from, to);
        // Irregular steps leave no dates out: the rows themselves must make an import.
        const std::size_t rows = hi + 1 > lo ? hi + 1 - lo : 0;
        if (left.Reason.empty() && rows < static_cast<std::size_t>(UCsvImport::MinImportRows))
            left.Reason =
                (rows == 0 ? std::string("no rows")
                           : "only " + std::to_string(rows) + (rows == 1 ? " row" : " rows")) +
                " between " + dayText(fromDay) + " and " + dayText(endDay) + "; at least " +
                std::to_string(UCsvImport::MinImportRows) + " are needed";
        // Nor do they leave out the days before the season's first row or after its last: a
        // season must begin and end where asked, inside the file as at its ends.
        if (left.Reason.empty() && source.Irregular) {
            if (seconds[lo] > from + (source.Step == 86400 ? 86399 : 0))
                left.Reason = "incomplete at its start (no rows from " + dayText(fromDay) +
                              (source.SpinupDays ? ", the start of its spin-up," : "") + " until " +
                              date(lo) + ")";
            else if (seconds[hi] < to + 1 - source.Step)
                left.Reason = "incomplete at its end (no rows after " + date(hi) + " until " +
                              dayText(endDay) + ")";
        }
    }
    if (!left.Reason.empty()) {
        seasons.LeftOut.push_back(left);
        return;
    }
    TSeasonFile file;
    file.Year = year;
    UCsvImport::TakeRows(source.Series, analysis, lo, hi, file.Result);
    file.From = date(lo);
    file.To = date(hi);
    file.SpinupRows = static_cast<std::int64_t>(
        std::lower_bound(seconds.begin() + static_cast<std::ptrdiff_t>(lo),
                         seconds.begin() + static_cast<std::ptrdiff_t>(hi) + 1, startDay * 86400) -
        (seconds.begin() + static_cast<std::ptrdiff_t>(lo)));
    if (source.Irregular) {
        std::int64_t shortest = 0, longest = 0;
        for (std::size_t r = lo + 1; r <= hi; ++r) {
            const std::int64_t length = seconds[r] - seconds[r - 1];
            shortest = shortest == 0 ? length : std::min(shortest, length);
            longest = std::max(longest, length);
        }
        if (shortest != longest)
            file.Note = "irregular steps of " + UCsvPeriod::DurationText(shortest) + " to " +
                        UCsvPeriod::DurationText(longest) + ", taken as they are";
    }
    seasons.Files.push_back(std::move(file));
}

} // namespace

bool SplitSeasons(const UCsvImport::TCsvTable &table, const UCsvImport::TImportOptions &options,
                  const UCsvImport::TSeries &series, const TSeasonBounds &bounds, int spinupDays,
                  TSeasons &seasons, std::string &error)
{
    seasons = {};
    const std::vector<std::int64_t> &seconds = series.Seconds;
    if (seconds.size() < 2) {
        error = "A file of one row holds no season.";
        return false;
    }
    if (spinupDays < 0 || spinupDays > MaxSpinupDays) {
        error = "The spin-up is 0 to " + std::to_string(MaxSpinupDays) + " days.";
        return false;
    }
    const std::int64_t step = UCsvPeriod::UsualStep(seconds);
    if (step <= 0 || step > 86400 || 86400 % step != 0) {
        error = "Seasons are taken from series of days, hours or minutes; the steps of this "
                "file are " +
                UCsvPeriod::DurationText(step) + ".";
        return false;
    }
    if (!checkSeasonRows(bounds, spinupDays, step, options.Analysis, error))
        return false;
    UCsvPeriod::TPeriodRequest request{
        options.Analysis, series.Base.Order, {}, {}, options.Irregular};
    std::vector<TGap> gaps;
    if (!UCsvPeriod::FindGaps(table, series.Base.Columns[RoleDate], request, seconds,
                              series.Missing, gaps, error))
        return false;
    const TSeasonSource source{table, series, gaps, step, spinupDays, options.Irregular};
    const int firstYear = yearOf(dayOf(seconds.front())) - 1,
              lastYear = yearOf(dayOf(seconds.back()));
    for (int year = firstYear; year <= lastYear; ++year)
        takeSeason(source, bounds, year, options.Analysis, seasons);
    seasons.Notes = series.Base.Notes;
    // A warm-up counts rows: a day of an hourly series is 24 of them. Irregular steps leave
    // some files fewer: the fewest, so that the warm-up never reaches into a season.
    seasons.SpinupDays = spinupDays;
    seasons.SpinupRows = spinupDays * (86400 / step);
    if (options.Irregular)
        for (const TSeasonFile &file : seasons.Files)
            seasons.SpinupRows = std::min(seasons.SpinupRows, file.SpinupRows);
    return true;
}

} // namespace quellow::UCsvSeasons
