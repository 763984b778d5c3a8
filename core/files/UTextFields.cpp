#include "files/UTextFields.h"

#include "files/UDMQuellow.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace quellow {

namespace {

const bool registered = (RegisterStateReset([] { DecimalSeparator = '.'; }), true);

std::string format(const char *pattern, int width, int decimals, double value)
{
    char buffer[512];
    const int n = std::snprintf(buffer, sizeof buffer, pattern, width, decimals, value);
    if (n >= 0 && static_cast<std::size_t>(n) < sizeof buffer)
        return std::string(buffer, static_cast<std::size_t>(n));
    std::string big(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), pattern, width, decimals, value);
    big.resize(static_cast<std::size_t>(n));
    return big;
}

/// Mantissa with the given decimals and 'E', exponent sign and at least expDigits digits.
std::string scientific(double value, int decimals, int expDigits)
{
    if (value == 0)
        value = 0.0; // a negative zero is a zero: no minus sign
    char buffer[400];
    // to_chars, not printf: a window toolkit sets the C library's numeric locale from the
    // user's settings, and a file field always has a full stop.
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::scientific, decimals);
    if (!std::isfinite(value) || result.ec != std::errc()) {
        std::snprintf(buffer, sizeof buffer, "%.*E", decimals, value);
        return buffer; // not finite; never written by the runs
    }
    std::string text(buffer, result.ptr);
    const std::size_t e = text.find('e');
    text[e] = 'E';
    const char sign = text[e + 1];
    std::string digits = text.substr(e + 2);
    while (static_cast<int>(digits.size()) < expDigits)
        digits.insert(digits.begin(), '0');
    return text.substr(0, e + 1) + sign + digits;
}

} // namespace

std::string jsonText(std::string_view text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + '"';
}

std::string shortestText(double value)
{
    if (!std::isfinite(value))
        return {};
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

std::string jsonNumber(double value)
{
    return std::isfinite(value) ? shortestText(value) : std::string("null");
}

std::string csvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string printfText(const char *format, ...)
{
    std::va_list arguments;
    va_start(arguments, format);
    std::va_list again;
    va_copy(again, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, arguments);
    va_end(arguments);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(text.data(), text.size(), format, again);
        text.resize(static_cast<std::size_t>(length));
    }
    va_end(again);
    return text;
}

void appendLine(std::string &text, std::string_view line)
{
    text += line;
    text += "\r\n";
}

void appendFixed(std::string &out, double value, int width, int decimals)
{
    // to_chars gives printf's "%.*f" text without its cost, which shows in the thousands of
    // fields of a long series.
    char buffer[400];
    if (std::isfinite(value)) {
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                          std::chars_format::fixed, decimals);
        if (result.ec == std::errc()) {
            const auto length = static_cast<int>(result.ptr - buffer);
            if (length < width)
                out.append(static_cast<std::size_t>(width - length), ' ');
            out.append(buffer, static_cast<std::size_t>(length));
            return;
        }
    }
    out += format("%*.*f", width, decimals, value);
}

std::string fixed(double value, int width, int decimals)
{
    std::string text;
    appendFixed(text, value, width, decimals);
    return text;
}

std::string sci(double value, int width)
{
    const int decimals = width - 9 < 1 ? 1 : width - 9;
    std::string text = scientific(value, decimals, 4);
    if (!text.empty() && text[0] != '-')
        text.insert(text.begin(), ' ');
    return text;
}

std::string e5(double value)
{
    std::string text = scientific(value, 4, 3);
    while (text.size() < 10)
        text.insert(text.begin(), ' ');
    return text;
}

std::string choice(double value, int width, int decimals)
{
    return value >= 1 ? fixed(value, width, decimals) : sci(value, width);
}

std::string inputChoice(double value, int width)
{
    if (value >= 1)
        return fixed(value, width, 2);
    // 0 is exact in the short form, which files have always held.
    return sci(value, value == 0 ? width : 12);
}

std::string fixedLocale(double value, int width, int decimals)
{
    std::string text = fixed(value, width, decimals);
    for (char &c : text)
        if (c == '.')
            c = DecimalSeparator;
    return text;
}

bool parseReal(std::string_view token, double &value)
{
    if (!token.empty() && token.front() == '+')
        token.remove_prefix(1);
    if (token.empty() || token.front() == '+')
        return false;
    // from_chars would take "inf" and "nan"; a number starts with a digit, a sign or a point.
    const char first = token.front() == '-' && token.size() > 1 ? token[1] : token.front();
    if (!(first == '.' || (first >= '0' && first <= '9')))
        return false;
    double result = 0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), result);
    if (error != std::errc() || end != token.data() + token.size() || !std::isfinite(result))
        return false;
    value = result;
    return true;
}

bool parseRealAnySeparator(std::string_view token, double &value)
{
    if (token.find(',') == std::string_view::npos)
        return parseReal(token, value);
    std::string copy(token);
    for (char &c : copy)
        if (c == ',')
            c = '.';
    return parseReal(copy, value);
}

bool parseInt(std::string_view token, int &value)
{
    if (!token.empty() && token.front() == '+')
        token.remove_prefix(1);
    if (token.empty() || token.front() == '+')
        return false;
    int result = 0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), result);
    if (error != std::errc() || end != token.data() + token.size())
        return false;
    value = result;
    return true;
}

std::string_view trim(std::string_view s)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

void TLineScanner::skipChars(std::size_t count)
{
    mRest.remove_prefix(count < mRest.size() ? count : mRest.size());
}

std::string_view TLineScanner::readChars(std::size_t count)
{
    const std::string_view taken = mRest.substr(0, count);
    skipChars(count);
    return taken;
}

std::string_view TLineScanner::nextToken()
{
    std::size_t i = 0;
    while (i < mRest.size() && (mRest[i] == ' ' || mRest[i] == '\t'))
        ++i;
    std::size_t j = i;
    while (j < mRest.size() && mRest[j] != ' ' && mRest[j] != '\t')
        ++j;
    const std::string_view token = mRest.substr(i, j - i);
    mRest.remove_prefix(j);
    return token;
}

bool TLineScanner::readReal(double &value)
{
    return parseReal(nextToken(), value);
}

bool TLineScanner::readInt(int &value)
{
    return parseInt(nextToken(), value);
}

std::string_view TLineScanner::restTrimmed() const
{
    return trim(mRest);
}

} // namespace quellow
