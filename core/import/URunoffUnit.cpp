#include "import/URunoffUnit.h"

#include <algorithm>
#include <cctype>

namespace quellow::URunoffUnit {

namespace {

constexpr double CubicMetresPerCubicFoot = 0.028316846592;

/// The words of a label in lower case: runs of letters.
std::vector<std::string> words(std::string_view label)
{
    std::vector<std::string> out(1);
    for (const char ch : label) {
        const auto c = static_cast<unsigned char>(ch);
        if (std::isalpha(c) || c >= 0x80)
            out.back() += static_cast<char>(std::tolower(c));
        else if (!out.back().empty())
            out.emplace_back();
    }
    if (out.back().empty())
        out.pop_back();
    return out;
}

bool oneOf(const std::string &word, std::initializer_list<const char *> list)
{
    return std::any_of(list.begin(), list.end(), [&](const char *w) { return word == w; });
}

} // namespace

std::string PlainUnitText(std::string_view text)
{
    std::string out;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const auto c = static_cast<unsigned char>(text[k]);
        if (c == 0xC2 && k + 1 < text.size() &&
            (static_cast<unsigned char>(text[k + 1]) == 0xB2 ||
             static_cast<unsigned char>(text[k + 1]) == 0xB3)) {
            out += static_cast<unsigned char>(text[++k]) == 0xB2 ? '2' : '3';
        } else if (c != ' ' && c != '\t') {
            out += static_cast<char>(std::tolower(c));
        }
    }
    return out;
}

bool ParseRunoffUnit(std::string_view text, TRunoffUnit &unit)
{
    const std::string u = PlainUnitText(text);
    if (u == "mm" || u == "mm/t" || u == "mm/step")
        unit = TRunoffUnit::Mm;
    else if (u == "mm/d" || u == "mm/day" || u == "mmd-1" || u == "mm.d-1")
        unit = TRunoffUnit::MmPerDay;
    else if (u == "mm/h" || u == "mm/hr" || u == "mm/hour" || u == "mmh-1" || u == "mm.h-1")
        unit = TRunoffUnit::MmPerHour;
    else if (u == "l/s" || u == "ls-1" || u == "l.s-1")
        unit = TRunoffUnit::LitresPerSecond;
    else if (u == "m3/s" || u == "m^3/s" || u == "m3s-1" || u == "m3.s-1" || u == "cumecs")
        unit = TRunoffUnit::CubicMetresPerSecond;
    else if (u == "cfs" || u == "ft3/s" || u == "ft^3/s" || u == "ft3s-1" || u == "cusecs")
        unit = TRunoffUnit::CubicFeetPerSecond;
    else
        return false;
    return true;
}

const char *RunoffUnitName(TRunoffUnit unit)
{
    switch (unit) {
    case TRunoffUnit::Mm:
        return "mm";
    case TRunoffUnit::LitresPerSecond:
        return "l/s";
    case TRunoffUnit::CubicMetresPerSecond:
        return "m3/s";
    case TRunoffUnit::CubicFeetPerSecond:
        return "cfs";
    case TRunoffUnit::MmPerDay:
        return "mm/d";
    case TRunoffUnit::MmPerHour:
        return "mm/h";
    case TRunoffUnit::None:
        break;
    }
    return "";
}

bool IsDischarge(TRunoffUnit unit)
{
    return unit == TRunoffUnit::LitresPerSecond || unit == TRunoffUnit::CubicMetresPerSecond ||
           unit == TRunoffUnit::CubicFeetPerSecond;
}

double RunoffFactor(TRunoffUnit unit, double areaKm2, double unitSeconds)
{
    switch (unit) {
    case TRunoffUnit::None:
    case TRunoffUnit::Mm:
        return 1;
    case TRunoffUnit::MmPerDay:
        return unitSeconds / 86400;
    case TRunoffUnit::MmPerHour:
        return unitSeconds / 3600;
    default:
        break;
    }
    if (!(areaKm2 > 0))
        return 0;
    // 1 m3/s over A km2 is 1 / (1000 A) mm per second.
    const double perCubicMetre = unitSeconds / (1000 * areaKm2);
    switch (unit) {
    case TRunoffUnit::LitresPerSecond:
        return perCubicMetre / 1000;
    case TRunoffUnit::CubicFeetPerSecond:
        return CubicMetresPerCubicFoot * unitSeconds / (1000 * areaKm2);
    default:
        return perCubicMetre;
    }
}

std::string UnitsNote(TRunoffUnit unit)
{
    if (unit == TRunoffUnit::None)
        return "Units stay as in the file: the model expects rain, escape rate and runoff in mm "
               "per time unit (a factor converts a column).";
    return "Rain and escape rate stay in the file's units: the model expects them in mm per "
           "time unit (a factor converts a column).";
}

bool LabelsRunoffUnit(std::string_view label)
{
    bool unit = false, runoff = false, other = false;
    for (const std::string &word : words(label)) {
        if (oneOf(word, {"unit", "units", "einheit", "eenheid", "unidad", "unidades", "unité"}))
            unit = true;
        else if (oneOf(word, {"runoff", "discharge", "flow", "streamflow", "q", "abfluss", "afvoer",
                              "debiet", "caudal"}))
            runoff = true;
        else if (!oneOf(word, {"of", "measure", "measurement", "the", "data", "value", "values",
                               "der", "de", "van", "del", "la"}))
            other = true;
    }
    return unit && (runoff || !other);
}

} // namespace quellow::URunoffUnit
