#include "model/UCsvPeriod.h"

#include "model/UPrediction.h"
#include "model/URunShared.h"
#include "model/UTextFields.h"

#include <algorithm>

namespace quellow::UCsvPeriod {

using UCsvTable::JoinProblems;
using UCsvTable::TCsvTable;

const char *RoleName(int role)
{
    static const char *const names[RoleCount] = {"date", "rain", "escape", "runoff"};
    return role >= 0 && role < RoleCount ? names[role] : "?";
}

std::string GapText(const TCsvTable &table, int dateColumn, const TGap &gap)
{
    const std::size_t rows = gap.Last - gap.First + 1;
    std::string text = std::string(RoleName(gap.Role)) + ": " + table.Rows[gap.First][dateColumn];
    if (rows > 1)
        text += " to " + table.Rows[gap.Last][dateColumn];
    return text + " (" + std::to_string(rows) + (rows == 1 ? " row)" : " rows)");
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

    const std::string &date(std::size_t row) const { return Table.Rows[row][DateColumn]; }
    std::string gapText(const TGap &gap) const { return GapText(Table, DateColumn, gap); }
};

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
    std::sort(gaps.begin(), gaps.end(),
              [](const TGap &a, const TGap &b) { return a.First < b.First; });
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
        if (gap.Last >= c.Period.First && gap.First <= c.Period.Last)
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

/// The longest run of rows without gaps (the first of equal ones), cut to the limit.
bool longestPeriod(TChoice &c, const std::vector<char> &good, int limit, std::string &error)
{
    std::size_t bestFirst = 0, bestRows = 0;
    for (std::size_t r = 0; r < good.size(); ++r) {
        if (!good[r])
            continue;
        std::size_t end = r;
        while (end < good.size() && good[end])
            ++end;
        if (end - r > bestRows)
            bestFirst = r, bestRows = end - r;
        r = end;
    }
    if (bestRows == 0) {
        error = "No row has all of its values: there is no period without gaps to import.";
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

/// Chooses the time unit in which every elapsed time has at most two decimals (the file's
/// fixed fields): days, else hours, else minutes. Fills the period's Time.
void elapsedTimes(TChoice &c)
{
    TPeriod &period = c.Period;
    const std::vector<std::int64_t> &seconds = c.Seconds;
    const std::int64_t start = seconds[period.First];
    const auto allMultiples = [&](std::int64_t step) {
        for (std::size_t r = period.First; r <= period.Last; ++r)
            if ((seconds[r] - start) % step != 0)
                return false;
        return true;
    };
    double unit = 86400;
    period.TimeUnit = "days";
    if (!allMultiples(864)) {
        unit = allMultiples(36) ? 3600 : 60;
        period.TimeUnit = unit == 3600 ? "hours" : "minutes";
    }
    for (std::size_t r = period.First; r <= period.Last; ++r)
        period.Time.push_back(static_cast<double>(seconds[r] - start) / unit);
    std::string note =
        "Time in " + period.TimeUnit + " from the first row (" + c.date(period.First) + ")";
    if (unit != 86400)
        note += ": the steps are shorter than days with two decimals can show, so escape "
                "rates and runoff must be per " +
                std::string(unit == 3600 ? "hour" : "minute");
    c.Notes.push_back(note + ".");
}

/// Finds the gaps and notes them; returns which rows lie outside every gap.
std::vector<char> noteGaps(TChoice &c, const TMissing &missing)
{
    const std::size_t n = c.Table.Rows.size();
    c.Period.Gaps = findGaps(missing, RoleCountOf(c.Request.Analysis), n);
    std::vector<char> good(n, 1);
    for (const TGap &gap : c.Period.Gaps)
        std::fill(good.begin() + gap.First, good.begin() + gap.Last + 1, 0);
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

bool ChoosePeriod(const TCsvTable &table, int dateColumn, const TPeriodRequest &request,
                  const std::vector<std::int64_t> &seconds, const TMissing &missing,
                  TPeriod &period, std::vector<std::string> &notes, std::string &error)
{
    period = {};
    TChoice c{table, dateColumn, request, seconds, period, notes};
    const std::vector<char> good = noteGaps(c, missing);
    const int limit = request.MaxRows > 0 ? request.MaxRows
                      : request.Analysis  ? MaxSteps
                                          : UPrediction::MaxPredSteps;
    const bool asked = !request.From.empty() || !request.To.empty();
    if (asked ? !askedPeriod(c, limit, error) : !longestPeriod(c, good, limit, error))
        return false;
    const std::size_t rows = period.Last - period.First + 1;
    if (rows < static_cast<std::size_t>(MinImportRows)) {
        error = "The period " + c.date(period.First) + " to " + c.date(period.Last) +
                " holds only " + std::to_string(rows) + " rows; at least " +
                std::to_string(MinImportRows) + " are needed.";
        return false;
    }
    elapsedTimes(c);
    return true;
}

} // namespace quellow::UCsvPeriod
