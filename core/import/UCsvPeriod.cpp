#include "import/UCsvPeriod.h"

#include "files/UDMQuellow.h"
#include "files/UTextFields.h"

#include <algorithm>
#include <map>

namespace quellow::UCsvPeriod {

using UCsvTable::JoinProblems;
using UCsvTable::TCsvTable;

const char *RoleName(int role)
{
    static const char *const names[RoleCount] = {"date", "rain", "escape", "runoff"};
    return role >= 0 && role < RoleCount ? names[role] : "?";
}

int ImportRowLimit(bool analysis)
{
    return analysis ? MaxData : MaxPredSteps;
}

std::string GapText(const TCsvTable &table, int dateColumn, const TGap &gap)
{
    const auto date = [&](std::size_t row) {
        return std::string(table.Field(row, static_cast<std::size_t>(dateColumn)));
    };
    const auto count = [](std::size_t rows) {
        return " (" + std::to_string(rows) + (rows == 1 ? " row)" : " rows)");
    };
    if (gap.Role == RoleDate)
        return "date: missing between " + date(gap.First) + " and " + date(gap.Last) +
               count(gap.Missing);
    const std::size_t rows = gap.Last - gap.First + 1;
    std::string text = std::string(RoleName(gap.Role)) + ": " + date(gap.First);
    if (rows > 1)
        text += " to " + date(gap.Last);
    return text + count(rows);
}

namespace {

/// What one choice of a period reads and writes.
struct TChoice
{
    const TCsvTable &Table;
    int DateColumn;
    const TPeriodRequest &Request;
    const std::vector<std::int64_t> &Seconds;
    TPeriod &Period;
    std::vector<std::string> &Notes;

    std::string date(std::size_t row) const
    {
        return std::string(Table.Field(row, static_cast<std::size_t>(DateColumn)));
    }
    std::string gapText(const TGap &gap) const { return GapText(Table, DateColumn, gap); }
    std::string rowText(std::size_t row) const
    {
        return UCsvTable::LineText(Table.LineNumbers[row]) + " (" + date(row) + ")";
    }
};

/// "1 day", "6 hours", "10 minutes" or "90 seconds".
std::string durationText(std::int64_t seconds)
{
    const auto count = [](std::int64_t n, const char *unit) {
        return std::to_string(n) + " " + unit + (n == 1 ? "" : "s");
    };
    if (seconds % 86400 == 0)
        return count(seconds / 86400, "day");
    if (seconds % 3600 == 0)
        return count(seconds / 3600, "hour");
    if (seconds % 60 == 0)
        return count(seconds / 60, "minute");
    return count(seconds, "second");
}

/// The most frequent step between the dates (the shortest of equally frequent ones).
std::int64_t usualStep(const std::vector<std::int64_t> &seconds)
{
    if (seconds.size() < 2)
        return 0;
    std::vector<std::int64_t> steps(seconds.size() - 1);
    for (std::size_t r = 1; r < seconds.size(); ++r)
        steps[r - 1] = seconds[r] - seconds[r - 1];
    std::sort(steps.begin(), steps.end());
    std::int64_t step = 0;
    std::size_t most = 0;
    for (std::size_t k = 0; k < steps.size();) {
        std::size_t end = k;
        while (end < steps.size() && steps[end] == steps[k])
            ++end;
        if (end - k > most)
            step = steps[k], most = end - k;
        k = end;
    }
    return step;
}

/// "1 month" or "3 months".
std::string monthsText(std::int64_t months)
{
    return std::to_string(months) + (months == 1 ? " month" : " months");
}

/// True when every date falls on the same day of its month at the same time (a monthly or
/// yearly series); months gets the month of each.
bool sameDayOfMonth(const std::vector<std::int64_t> &seconds, std::vector<std::int64_t> &months)
{
    months.resize(seconds.size());
    std::int64_t first = 0;
    for (std::size_t r = 0; r < seconds.size(); ++r) {
        std::int64_t into = 0;
        months[r] = UCsvDates::MonthNumber(seconds[r], into);
        if (r == 0)
            first = into;
        else if (into != first)
            return false;
    }
    return true;
}

/// In a regular series every step is a multiple of the usual one (in months when the dates
/// keep their day of the month); a longer step leaves out dates, listed as a gap. False,
/// naming the steps that fit no multiple, for an irregular series.
bool findDateGaps(TChoice &c, std::string &error)
{
    std::vector<std::int64_t> positions = c.Seconds;
    std::string (*lengthText)(std::int64_t) = durationText;
    std::vector<std::int64_t> months;
    if (usualStep(positions) >= 28 * 86400 && sameDayOfMonth(c.Seconds, months)) {
        positions = months;
        lengthText = monthsText;
    }
    const std::int64_t step = usualStep(positions);
    std::vector<std::string> odd;
    for (std::size_t r = 1; r < positions.size(); ++r) {
        const std::int64_t length = positions[r] - positions[r - 1];
        if (length % step != 0)
            odd.push_back(c.rowText(r) + " follows " + c.rowText(r - 1) + " after " +
                          lengthText(length));
        else if (length > step)
            c.Period.Gaps.push_back(
                {RoleDate, r - 1, r, static_cast<std::size_t>(length / step - 1)});
    }
    if (odd.empty())
        return true;
    error = "The dates do not follow each other in regular steps of " + lengthText(step) + ": " +
            JoinProblems(odd) +
            ". Choose irregular steps if the series has them; a missing date is then no gap.";
    return false;
}

/// The note on irregular steps taken as they are: the shortest and longest in the period.
void noteIrregular(TChoice &c)
{
    std::int64_t shortest = 0, longest = 0;
    for (std::size_t r = c.Period.First + 1; r <= c.Period.Last; ++r) {
        const std::int64_t length = c.Seconds[r] - c.Seconds[r - 1];
        shortest = shortest == 0 ? length : std::min(shortest, length);
        longest = std::max(longest, length);
    }
    c.Notes.push_back("Irregular steps, taken as they are (" + durationText(shortest) + " to " +
                      durationText(longest) + "): a missing date is no gap.");
}

std::vector<TGap> findGaps(const TMissing &missing, int roles, std::size_t n)
{
    std::vector<TGap> gaps;
    for (int role = RoleRain; role < roles; ++role)
        for (std::size_t r = 0; r < n; ++r) {
            if (!missing[role][r])
                continue;
            TGap gap{role, r, r};
            while (gap.Last + 1 < n && missing[role][gap.Last + 1])
                ++gap.Last;
            gaps.push_back(gap);
            r = gap.Last;
        }
    return gaps;
}

/// A date of --from / --to as seconds; a date without a time of day ends at its last second
/// when it closes the period.
bool periodBound(const std::string &text, UCsvDates::TDateOrder order, bool end,
                 std::int64_t &seconds, std::string &error)
{
    UCsvDates::TDateParts parts;
    if (!UCsvDates::SplitDate(text, parts) || !UCsvDates::DateSeconds(parts, order, seconds)) {
        error =
            "The date \"" + text + "\" of the period cannot be read (as " +
            UCsvDates::DateOrderText(parts.Digits[0] == 4 ? UCsvDates::TDateOrder::Ymd : order) +
            ").";
        return false;
    }
    const bool timeGiven = trim(text).find_first_of(" T") != std::string_view::npos;
    if (end && !timeGiven)
        seconds += 86399;
    return true;
}

std::string modeLimitText(bool analysis, int limit)
{
    return std::string(analysis ? "an analysis" : "a prediction") + " takes at most " +
           std::to_string(limit) + " rows";
}

/// The rows of the period asked for: all of them without gaps and within the limit.
bool askedPeriod(TChoice &c, int limit, std::string &error)
{
    const TPeriodRequest &request = c.Request;
    const std::vector<std::int64_t> &seconds = c.Seconds;
    std::int64_t from = seconds.front(), to = seconds.back();
    if ((!request.From.empty() && !periodBound(request.From, request.Order, false, from, error)) ||
        (!request.To.empty() && !periodBound(request.To, request.Order, true, to, error)))
        return false;
    const auto first = std::lower_bound(seconds.begin(), seconds.end(), from) - seconds.begin();
    const auto past = std::upper_bound(seconds.begin(), seconds.end(), to) - seconds.begin();
    const std::string period = "The period " + (request.From.empty() ? "start" : request.From) +
                               " to " + (request.To.empty() ? "end" : request.To);
    if (first >= past) {
        error = period + " holds no rows of the file.";
        return false;
    }
    c.Period.First = static_cast<std::size_t>(first);
    c.Period.Last = static_cast<std::size_t>(past - 1);
    std::vector<std::string> inside;
    for (const TGap &gap : c.Period.Gaps)
        if (gap.Role == RoleDate ? gap.First >= c.Period.First && gap.Last <= c.Period.Last
                                 : gap.Last >= c.Period.First && gap.First <= c.Period.Last)
            inside.push_back(c.gapText(gap));
    if (!inside.empty()) {
        error = period + " has gaps: " + JoinProblems(inside) + ". Choose a period without gaps.";
        return false;
    }
    const std::size_t rows = c.Period.Last - c.Period.First + 1;
    if (rows > static_cast<std::size_t>(limit)) {
        error = period + " holds " + std::to_string(rows) + " rows; " +
                modeLimitText(request.Analysis, limit) + ". Choose a shorter period.";
        return false;
    }
    c.Notes.push_back("Imported the period asked for: " + c.date(c.Period.First) + " to " +
                      c.date(c.Period.Last) + " (" + std::to_string(rows) + " rows).");
    return true;
}

/// The longest run of rows without gaps (the first of equal ones), cut to the limit. good
/// tells the rows with every value, apart those that dates left out part from the row before.
bool longestPeriod(TChoice &c, const std::vector<char> &good, const std::vector<char> &apart,
                   int limit, std::string &error)
{
    std::size_t bestFirst = 0, bestRows = 0;
    for (std::size_t r = 0; r < good.size(); ++r) {
        if (!good[r])
            continue;
        std::size_t end = r + 1;
        while (end < good.size() && good[end] && !apart[end])
            ++end;
        if (end - r > bestRows)
            bestFirst = r, bestRows = end - r;
        r = end - 1;
    }
    if (bestRows == 0) {
        error = "No row has all of its values: there is no period without gaps to import. Check "
                "the columns chosen, or take a series from a file of its own.";
        return false;
    }
    TPeriod &period = c.Period;
    period.First = bestFirst;
    period.Last = bestFirst + bestRows - 1;
    const std::string stretch = c.date(period.First) + " to " + c.date(period.Last) + " (" +
                                std::to_string(bestRows) + " rows)";
    const bool whole = bestRows == good.size();
    if (bestRows > static_cast<std::size_t>(limit)) {
        period.Last = bestFirst + static_cast<std::size_t>(limit) - 1;
        c.Notes.push_back(std::string(whole ? "The file" : "The longest gap-free stretch") + ", " +
                          stretch + ", is longer than " + modeLimitText(c.Request.Analysis, limit) +
                          ": the first " + std::to_string(limit) + " rows were imported, " +
                          c.date(period.First) + " to " + c.date(period.Last) +
                          ". Give a period to take others.");
    } else {
        c.Notes.push_back(std::string(whole ? "Imported every row: "
                                            : "Imported the longest gap-free stretch: ") +
                          stretch + ".");
    }
    return true;
}

/// ": the steps of 6 hours" when the period's steps are all alike, else ": the steps".
std::string fractionText(const TChoice &c)
{
    const std::int64_t first = c.Seconds[c.Period.First + 1] - c.Seconds[c.Period.First];
    for (std::size_t r = c.Period.First + 1; r <= c.Period.Last; ++r)
        if (c.Seconds[r] - c.Seconds[r - 1] != first)
            return ": the steps";
    return ": the steps of " + durationText(first);
}

/// Fills the period's Time and TimeUnit (ElapsedTimes) and notes the unit.
void elapsedTimes(TChoice &c)
{
    TPeriod &period = c.Period;
    TElapsedTimes elapsed = ElapsedTimes(c.Seconds, period.First, period.Last);
    const double unit = elapsed.UnitSeconds;
    period.TimeUnit = elapsed.Unit;
    period.Time.insert(period.Time.end(), elapsed.Time.begin(), elapsed.Time.end());
    std::string note =
        "Time in " + period.TimeUnit + " from the first row (" + c.date(period.First) + ")";
    if (unit != 86400)
        note += ": the steps are shorter than days with two decimals can show, so escape "
                "rates and runoff must be per " +
                std::string(unit == 3600 ? "hour" : "minute");
    else if (!AllMultiplesOf(c.Seconds, period.First, period.Last, 86400))
        note += fractionText(c) + " are fractions of a day, so escape rates and runoff must be "
                                  "per day, not per step";
    c.Notes.push_back(note + ".");
}

/// Notes the gaps (found before); returns which rows lie outside every gap of values, and in
/// apart which rows a gap of dates parts from the row before.
std::vector<char> noteGaps(TChoice &c, std::vector<char> &apart)
{
    const std::size_t n = c.Table.RowCount();
    std::stable_sort(c.Period.Gaps.begin(), c.Period.Gaps.end(),
                     [](const TGap &a, const TGap &b) { return a.First < b.First; });
    std::vector<char> good(n, 1);
    apart.assign(n, 0);
    for (const TGap &gap : c.Period.Gaps) {
        if (gap.Role == RoleDate)
            apart[gap.Last] = 1;
        else
            std::fill(good.begin() + gap.First, good.begin() + gap.Last + 1, 0);
    }
    if (!c.Period.Gaps.empty()) {
        std::vector<std::string> listed;
        for (const TGap &gap : c.Period.Gaps)
            listed.push_back(c.gapText(gap));
        c.Notes.push_back(std::to_string(c.Period.Gaps.size()) + " gap" +
                          (c.Period.Gaps.size() == 1 ? "" : "s") + ": " + JoinProblems(listed) +
                          ".");
    }
    return good;
}

} // namespace

bool AllMultiplesOf(const std::vector<std::int64_t> &seconds, std::size_t first, std::size_t last,
                    std::int64_t step)
{
    for (std::size_t r = first; r <= last; ++r)
        if ((seconds[r] - seconds[first]) % step != 0)
            return false;
    return true;
}

TElapsedTimes ElapsedTimes(const std::vector<std::int64_t> &seconds, std::size_t first,
                           std::size_t last)
{
    TElapsedTimes elapsed;
    if (!AllMultiplesOf(seconds, first, last, 864)) {
        const bool hours = AllMultiplesOf(seconds, first, last, 36);
        elapsed.UnitSeconds = hours ? 3600 : 60;
        elapsed.Unit = hours ? "hours" : "minutes";
    }
    elapsed.Time.reserve(last - first + 1);
    for (std::size_t r = first; r <= last; ++r)
        elapsed.Time.push_back(static_cast<double>(seconds[r] - seconds[first]) /
                               elapsed.UnitSeconds);
    return elapsed;
}

std::int64_t UsualStep(const std::vector<std::int64_t> &seconds)
{
    return usualStep(seconds);
}

std::string DurationText(std::int64_t seconds)
{
    return durationText(seconds);
}

bool FindGaps(const TCsvTable &table, int dateColumn, const TPeriodRequest &request,
              const std::vector<std::int64_t> &seconds, const TMissing &missing,
              std::vector<TGap> &gaps, std::string &error)
{
    TPeriod period;
    std::vector<std::string> notes;
    TChoice c{table, dateColumn, request, seconds, period, notes};
    period.Gaps = findGaps(missing, RoleCountOf(request.Analysis), table.RowCount());
    if (!request.Irregular && seconds.size() > 1 && !findDateGaps(c, error))
        return false;
    gaps = std::move(period.Gaps);
    return true;
}

bool ChoosePeriod(const TCsvTable &table, int dateColumn, const TPeriodRequest &request,
                  const std::vector<std::int64_t> &seconds, const TMissing &missing,
                  TPeriod &period, std::vector<std::string> &notes, std::string &error)
{
    period = {};
    TChoice c{table, dateColumn, request, seconds, period, notes};
    period.Gaps = findGaps(missing, RoleCountOf(request.Analysis), table.RowCount());
    if (!request.Irregular && seconds.size() > 1 && !findDateGaps(c, error))
        return false;
    std::vector<char> apart;
    const std::vector<char> good = noteGaps(c, apart);
    const int limit = ImportRowLimit(request.Analysis);
    const bool asked = !request.From.empty() || !request.To.empty();
    if (asked ? !askedPeriod(c, limit, error) : !longestPeriod(c, good, apart, limit, error))
        return false;
    const std::size_t rows = period.Last - period.First + 1;
    if (rows < static_cast<std::size_t>(MinImportRows)) {
        error = "The period " + c.date(period.First) + " to " + c.date(period.Last) +
                " holds only " + std::to_string(rows) + " rows; at least " +
                std::to_string(MinImportRows) + " are needed.";
        return false;
    }
    if (request.Irregular)
        noteIrregular(c);
    elapsedTimes(c);
    return true;
}

} // namespace quellow::UCsvPeriod
