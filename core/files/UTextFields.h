#pragma once

#include <string>
#include <string_view>

namespace quellow {

/// The decimal separator of the user's locale, taken at start-up ('.' until then).
/// Only the texts that follow the locale use it; every file number has a full stop.
inline char DecimalSeparator = '.';

// ---- Number fields of the text files -------------------------------------------------------

/// fixed(w,d): fixed point, d decimals, full stop, right-aligned in w characters; a value that
/// needs more room is written in full.
std::string fixed(double value, int width, int decimals);
/// Appends fixed(value, width, decimals) to out, without a temporary string.
void appendFixed(std::string &out, double value, int width, int decimals);

/// Appends line and the CR LF that ends every line of the text files.
void appendLine(std::string &text, std::string_view line);

/// sci(w): blank or minus, one digit, full stop, max(w - 9, 1) digits, 'E', exponent sign and
/// four exponent digits; w characters wide when w >= 10, else 10. 0.5 in sci(12) is
/// " 5.000E-0001".
std::string sci(double value, int width);

/// e5: like printf "%10.5e" with a capital E and at least three exponent digits, always with a
/// full stop: 0.00125 gives "1.2500E-003".
std::string e5(double value);

/// choice(w,d): fixed(value, w, d) when value >= 1, otherwise sci(value, w).
std::string choice(double value, int width, int decimals);

/// inputChoice(w): the field of a number in the input file. fixed(value, w, 2) when value >= 1;
/// 0 as sci(0, w); otherwise four significant digits, sci(value, 12), so that the ratios of
/// small values survive the file.
std::string inputChoice(double value, int width);

/// "%w.df" with the locale's DecimalSeparator in place of the full stop.
std::string fixedLocale(double value, int width, int decimals);

/// text as a JSON string: in quotation marks, with '"' and '\\' escaped and the control
/// characters written as \u00XX.
std::string jsonText(std::string_view text);

/// The shortest text that reads back as value, with a full stop; empty when value is not
/// finite (NaN or infinity never reach a file).
std::string shortestText(double value);
/// shortestText as a JSON number: null when value is not finite.
std::string jsonNumber(double value);

/// text as one field of a CSV line: as it is, or in quotation marks (quotes doubled) when it
/// holds a comma, a quotation mark or a line end.
std::string csvField(std::string_view text);

/// printf into a string of whatever length the text needs.
std::string printfText(const char *format, ...) __attribute__((format(printf, 1, 2)));

// ---- Reading numbers -----------------------------------------------------------------------

/// Reads a whole token as a finite real with a full stop ("+1.5", "-2", "3e-2", ".5").
/// Anything else ("nan", "inf", "1e999", "1,5", "", "2x") is refused.
bool parseReal(std::string_view token, double &value);

/// Reads a real whose decimal separator may be a full stop or a comma.
bool parseRealAnySeparator(std::string_view token, double &value);

/// Reads a whole token as a 32-bit integer ("+3", "-12"); anything else is refused.
bool parseInt(std::string_view token, int &value);

/// Walks one line of a text file the way the readers do: fixed numbers of label characters,
/// then blank-delimited tokens (blanks and tabs).
class TLineScanner
{
public:
    explicit TLineScanner(std::string_view line) : mRest(line) {}

    /// Skips up to count characters.
    void skipChars(std::size_t count);
    /// Takes up to count characters.
    std::string_view readChars(std::size_t count);
    /// Skips blanks and tabs, then takes the characters up to the next blank or tab.
    std::string_view nextToken();
    /// nextToken() read as a real / integer; false when missing or unreadable.
    bool readReal(double &value);
    bool readInt(int &value);
    /// What is left of the line, and the same without surrounding blanks and tabs.
    std::string_view rest() const { return mRest; }
    std::string_view restTrimmed() const;
    bool atEnd() const { return restTrimmed().empty(); }

private:
    std::string_view mRest;
};

/// s without leading and trailing blanks and tabs.
std::string_view trim(std::string_view s);

} // namespace quellow
