#pragma once

#include "import/UCsvTable.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// The date reader of the series import: the forms of a date, the order of its parts, and the
/// dates of a table's date column read in one order as seconds.
namespace quellow::UCsvDates {

enum class TDateOrder { Auto, Ymd, Dmy, Mdy };
/// "ymd", "dmy", "mdy" (and "auto").
const char *DateOrderName(TDateOrder order);
bool ParseDateOrder(std::string_view text, TDateOrder &order);
/// "year-month-day", "day.month.year" or "month/day/year", as the messages name an order.
std::string DateOrderText(TDateOrder order);

/// A date with an optional time of day, as seconds since 1970-01-01 00:00.
/// The parts of a date before its order is known.
struct TDateParts
{
    int Part[3] = {0, 0, 0};
    int Digits[3] = {0, 0, 0};
    char Separator = 0;
    std::int64_t Seconds = 0; ///< time of day
};
bool SplitDate(std::string_view text, TDateParts &parts);
/// True for a date whose year has two digits (01.11.15, 11/1/15, 15-11-01): such dates are
/// not read, since the century is a guess.
bool HasTwoDigitYear(std::string_view text);
/// The message that refuses such a date, naming its line.
std::string TwoDigitYearText(std::string_view field, std::size_t line);

/// Seconds since 1970 for parts read in order (Auto: year first when it has four digits,
/// else day first with '.' and '-', month first with '/').
bool DateSeconds(const TDateParts &parts, TDateOrder order, std::int64_t &seconds);

/// The month of a date (seconds since 1970) counted from year 0, year * 12 + month - 1; into
/// gets the seconds from the start of that month.
std::int64_t MonthNumber(std::int64_t seconds, std::int64_t &into);

/// The date of seconds since 1970-01-01 as YYYY-MM-DD, with " hh:mm" when it is not midnight.
std::string DateText(std::int64_t seconds);

/// The dates of one column, as read.
struct TDates
{
    std::vector<std::int64_t> Seconds;   ///< of each table row
    TDateOrder Order = TDateOrder::Auto; ///< the order the dates were read in
    bool OrderAmbiguous = false;         ///< no date told day and month apart
};

/// Reads the dates of column in the order asked (Auto: found from the dates) and checks
/// that they follow each other. Returns false with the reason in error.
bool ReadDates(const UCsvTable::TCsvTable &table, int column, TDateOrder asked, TDates &dates,
               std::string &error);

} // namespace quellow::UCsvDates
