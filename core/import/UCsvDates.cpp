#include "import/UCsvDates.h"

#include "files/UTextFields.h"

#include <date/date.h>

namespace quellow::UCsvDates {

using UCsvTable::JoinProblems;
using UCsvTable::LineText;
using UCsvTable::TCsvTable;

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

const char *DateOrderName(TDateOrder order)
{
    switch (order) {
    case TDateOrder::Ymd:
        return "ymd";
    case TDateOrder::Dmy:
        return "dmy";
    case TDateOrder::Mdy:
        return "mdy";
    case TDateOrder::Auto:
        break;
    }
    return "auto";
}

bool ParseDateOrder(std::string_view text, TDateOrder &order)
{
    for (TDateOrder o : {TDateOrder::Auto, TDateOrder::Ymd, TDateOrder::Dmy, TDateOrder::Mdy})
        if (UCsvTable::Lower(text) == DateOrderName(o)) {
            order = o;
            return true;
        }
    return false;
}

std::string DateOrderText(TDateOrder order)
{
    switch (order) {
    case TDateOrder::Dmy:
        return "day.month.year";
    case TDateOrder::Mdy:
        return "month/day/year";
    default:
        return "year-month-day";
    }
}

namespace {

/// Reads 1 to maxDigits digits at text[pos]; advances pos.
bool readNumber(std::string_view text, std::size_t &pos, int maxDigits, int &value, int &digits)
{
    value = 0;
    digits = 0;
    while (pos < text.size() && isDigit(text[pos]) && digits < maxDigits) {
        value = value * 10 + (text[pos++] - '0');
        ++digits;
    }
    return digits > 0 && !(pos < text.size() && isDigit(text[pos]));
}

/// Reads "hh:mm", "hh:mm:ss" or "hh:mm:ss.fff" (fraction dropped) and an optional 'Z'.
bool readTimeOfDay(std::string_view text, std::size_t pos, std::int64_t &seconds)
{
    int h = 0, m = 0, sec = 0, digits = 0;
    if (!readNumber(text, pos, 2, h, digits) || pos >= text.size() || text[pos++] != ':' ||
        !readNumber(text, pos, 2, m, digits) || digits != 2)
        return false;
    if (pos < text.size() && text[pos] == ':') {
        ++pos;
        if (!readNumber(text, pos, 2, sec, digits) || digits != 2)
            return false;
        if (pos < text.size() && text[pos] == '.') {
            ++pos;
            while (pos < text.size() && isDigit(text[pos]))
                ++pos;
        }
    }
    if (pos < text.size() && text[pos] == 'Z')
        ++pos;
    if (pos != text.size() || h > 24 || m > 59 || sec > 59 || (h == 24 && (m > 0 || sec > 0)))
        return false;
    seconds = h * 3600 + m * 60 + sec;
    return true;
}

} // namespace

namespace {

/// Reads three numbers of at most maxDigits digits, joined by one separator ('-', '.' or '/'),
/// from the start of text; pos is left after them.
bool readParts(std::string_view text, std::size_t &pos, int maxDigits, TDateParts &parts)
{
    for (int k = 0; k < 3; ++k) {
        if (!readNumber(text, pos, maxDigits, parts.Part[k], parts.Digits[k]))
            return false;
        if (k == 2)
            break;
        if (pos >= text.size())
            return false;
        const char sep = text[pos++];
        if (sep != '-' && sep != '.' && sep != '/')
            return false;
        if (k == 0)
            parts.Separator = sep;
        else if (sep != parts.Separator)
            return false;
    }
    return true;
}

} // namespace

bool SplitDate(std::string_view text, TDateParts &parts)
{
    text = trim(text);
    std::size_t pos = 0;
    parts = {};
    if (!readParts(text, pos, 4, parts))
        return false;
    // The year has four digits, first or last.
    if (!(parts.Digits[0] == 4 && parts.Digits[2] <= 2) &&
        !(parts.Digits[2] == 4 && parts.Digits[0] <= 2))
        return false;
    if (parts.Digits[1] > 2)
        return false;
    if (pos == text.size())
        return true;
    if (text[pos] == 'T')
        ++pos;
    else if (text[pos] == ' ')
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
    else
        return false;
    return readTimeOfDay(text, pos, parts.Seconds);
}

bool HasTwoDigitYear(std::string_view text)
{
    text = trim(text);
    std::size_t pos = 0;
    TDateParts parts;
    return readParts(text, pos, 2, parts) &&
           (pos == text.size() || text[pos] == ' ' || text[pos] == 'T');
}

std::string TwoDigitYearText(std::string_view field, std::size_t line)
{
    return "The date \"" + std::string(field) + "\" in " + LineText(line) +
           " has a two-digit year: two-digit years are not read. Write the years with four "
           "digits (2015-11-01, 01.11.2015 or 11/1/2015).";
}

bool DateSeconds(const TDateParts &parts, TDateOrder order, std::int64_t &seconds)
{
    int y = 0, m = 0, d = 0;
    const bool yearFirst = parts.Digits[0] == 4;
    if (order == TDateOrder::Auto)
        order = yearFirst                ? TDateOrder::Ymd
                : parts.Separator == '/' ? TDateOrder::Mdy
                                         : TDateOrder::Dmy;
    if (yearFirst != (order == TDateOrder::Ymd)) {
        // A year-first date is read as such whatever order was asked for the others.
        if (!yearFirst)
            return false;
        order = TDateOrder::Ymd;
    }
    switch (order) {
    case TDateOrder::Ymd:
        y = parts.Part[0], m = parts.Part[1], d = parts.Part[2];
        break;
    case TDateOrder::Dmy:
        d = parts.Part[0], m = parts.Part[1], y = parts.Part[2];
        break;
    default:
        m = parts.Part[0], d = parts.Part[1], y = parts.Part[2];
        break;
    }
    const date::year_month_day ymd{date::year{y}, date::month{static_cast<unsigned>(m)},
                                   date::day{static_cast<unsigned>(d)}};
    if (!ymd.ok())
        return false;
    seconds = std::int64_t{date::sys_days{ymd}.time_since_epoch().count()} * 86400 + parts.Seconds;
    return true;
}

std::int64_t MonthNumber(std::int64_t seconds, std::int64_t &into)
{
    const std::int64_t day = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
    const date::year_month_day ymd{date::sys_days{date::days{day}}};
    const date::sys_days first{ymd.year() / ymd.month() / date::day{1}};
    into = seconds - std::int64_t{first.time_since_epoch().count()} * 86400;
    return std::int64_t{static_cast<int>(ymd.year())} * 12 + static_cast<unsigned>(ymd.month()) - 1;
}

std::string DateText(std::int64_t seconds)
{
    const std::int64_t day = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
    const date::year_month_day ymd{date::sys_days{date::days{day}}};
    std::string text =
        printfText("%04d-%02u-%02u", static_cast<int>(ymd.year()),
                   static_cast<unsigned>(ymd.month()), static_cast<unsigned>(ymd.day()));
    const std::int64_t within = seconds - day * 86400;
    if (within != 0)
        text += printfText(" %02d:%02d", static_cast<int>(within / 3600),
                           static_cast<int>(within % 3600 / 60));
    return text;
}

// ---- A column of dates ------------------------------------------------------------------------

namespace {

std::string dateField(const TCsvTable &table, int column, std::size_t row)
{
    return std::string(table.Field(row, static_cast<std::size_t>(column)));
}

std::string rowText(const TCsvTable &table, int column, std::size_t row)
{
    return LineText(table.LineNumbers[row]) + " (" + dateField(table, column, row) + ")";
}

/// The order of dates that do not start with the year: day first when a first part exceeds
/// 12, month first when a second one does, else by the separator ('/' month first). False
/// when both are met.
bool findDateOrder(const std::vector<TDateParts> &parts, TDates &dates, std::string &error)
{
    bool dayFirst = false, monthFirst = false, other = false;
    char separator = 0;
    for (const TDateParts &date : parts) {
        if (date.Digits[0] == 4)
            continue;
        other = true;
        separator = date.Separator;
        dayFirst = dayFirst || date.Part[0] > 12;
        monthFirst = monthFirst || date.Part[1] > 12;
    }
    if (dayFirst && monthFirst) {
        error = "Some dates have the day first, others the month first: the dates cannot "
                "be read in one order.";
        return false;
    }
    dates.Order = !other             ? TDateOrder::Ymd
                  : dayFirst         ? TDateOrder::Dmy
                  : monthFirst       ? TDateOrder::Mdy
                  : separator == '/' ? TDateOrder::Mdy
                                     : TDateOrder::Dmy;
    dates.OrderAmbiguous = other && !dayFirst && !monthFirst;
    return true;
}

bool checkTimeOrder(const TCsvTable &table, int column, const std::vector<std::int64_t> &seconds,
                    std::string &error)
{
    std::vector<std::string> problems;
    for (std::size_t r = 1; r < seconds.size(); ++r)
        if (seconds[r] <= seconds[r - 1])
            problems.push_back(
                rowText(table, column, r) +
                (seconds[r] == seconds[r - 1] ? " repeats the date of " : " comes after ") +
                rowText(table, column, r - 1));
    if (problems.empty())
        return true;
    error = "Dates out of order or repeated: " + JoinProblems(problems) +
            ". The rows must follow each other in time, one row per date.";
    return false;
}

} // namespace

bool ReadDates(const TCsvTable &table, int column, TDateOrder asked, TDates &dates,
               std::string &error)
{
    dates = {};
    const std::size_t n = table.RowCount();
    std::vector<TDateParts> parts(n);
    for (std::size_t r = 0; r < n; ++r)
        if (!SplitDate(dateField(table, column, r), parts[r])) {
            if (HasTwoDigitYear(dateField(table, column, r))) {
                error = TwoDigitYearText(dateField(table, column, r), table.LineNumbers[r]);
                return false;
            }
            error = "The date \"" + dateField(table, column, r) + "\" in " +
                    LineText(table.LineNumbers[r]) +
                    " cannot be read: dates are taken as 2015-11-01, 01.11.2015 or 11/1/2015, "
                    "with or without a time of day (13:30).";
            return false;
        }
    dates.Order = asked;
    if (asked == TDateOrder::Auto && !findDateOrder(parts, dates, error))
        return false;
    dates.Seconds.resize(n);
    for (std::size_t r = 0; r < n; ++r)
        if (!DateSeconds(parts[r], dates.Order, dates.Seconds[r])) {
            error = "The date \"" + dateField(table, column, r) + "\" in " +
                    LineText(table.LineNumbers[r]) + " is no date when read as " +
                    DateOrderText(dates.Order) + ".";
            return false;
        }
    return checkTimeOrder(table, column, dates.Seconds, error);
}

} // namespace quellow::UCsvDates
