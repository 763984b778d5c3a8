#include "cli/CliLocale.h"

#include "cli/CliPrompts.h"
#include "files/UDMQuellow.h"
#include "files/UTextFields.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <string>

namespace quellow::cli {

namespace {

// Languages whose numbers have a decimal comma (with "no", "in", "sh", "jw" and "mo", older
// names of languages in the list), sorted for a binary search.
constexpr auto commaLanguages = std::to_array<std::string_view>(
    {"af",  "agq", "ast", "az",  "bas", "be",  "bg", "br",  "bs",  "ca", "cs",  "da",  "de",
     "dsb", "dua", "dyo", "el",  "eo",  "es",  "et", "eu",  "ewo", "ff", "fi",  "fo",  "fr",
     "fur", "fy",  "gl",  "hr",  "hsb", "hu",  "hy", "ia",  "id",  "in", "is",  "it",  "jgo",
     "jv",  "jw",  "ka",  "kab", "kea", "kgp", "kk", "kkj", "kl",  "km", "ksf", "ksh", "ku",
     "ky",  "lb",  "ln",  "lo",  "lt",  "lu",  "lv", "mgh", "mk",  "mo", "mua", "nb",  "nds",
     "nl",  "nmg", "nn",  "nnh", "no",  "os",  "pl", "pt",  "rn",  "ro", "ru",  "rw",  "sah",
     "sc",  "se",  "seh", "sg",  "sh",  "shi", "sk", "sl",  "smn", "sq", "sr",  "su",  "sv",
     "tg",  "tk",  "tr",  "tt",  "tzm", "uk",  "uz", "vi",  "wae", "wo", "yav", "yrl", "zgh"});

// Countries where a language writes the other separator than it does by default.
constexpr auto otherSeparatorTerritories = std::to_array<std::string_view>(
    {"ar_DZ", "ar_LY", "ar_MA", "ar_TN", "az_IR", "de_CH", "de_LI", "en_AT",  "en_BE",
     "en_DE", "en_DK", "en_FI", "en_NL", "en_SE", "en_SI", "en_ZA", "es_419", "es_BR",
     "es_BZ", "es_CU", "es_DO", "es_GT", "es_HN", "es_MX", "es_NI", "es_PA",  "es_PE",
     "es_PR", "es_SV", "es_US", "it_CH", "ms_BN", "ms_ID", "qu_BO", "sw_CD",  "uz_AF"});

bool contains(const auto &sorted, std::string_view key)
{
    return std::binary_search(sorted.begin(), sorted.end(), key);
}

std::string lowered(std::string_view text)
{
    std::string result(text);
    for (char &c : result)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

std::string uppered(std::string_view text)
{
    std::string result(text);
    for (char &c : result)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

} // namespace

char LocaleDecimalSeparator(std::string_view name)
{
    // language[_Script][_TERRITORY][.codeset][@modifier], '-' as well as '_' between the parts
    name = name.substr(0, name.find_first_of(".@"));
    const std::size_t end = name.find_first_of("_-");
    const std::string language = lowered(name.substr(0, end));
    std::string territory;
    if (end != std::string_view::npos) {
        std::string_view rest = name.substr(end + 1);
        const std::size_t next = rest.find_first_of("_-");
        if (next == 4) // a script comes before the territory
            rest = rest.substr(next + 1);
        else if (next == std::string_view::npos && rest.size() == 4)
            rest = {};
        territory = uppered(rest.substr(0, rest.find_first_of("_-")));
    }
    bool comma = contains(commaLanguages, language);
    if (!territory.empty() && contains(otherSeparatorTerritories, language + "_" + territory))
        comma = !comma;
    return comma ? ',' : '.';
}

char SystemDecimalSeparator()
{
    for (const char *variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const char *value = std::getenv(variable);
        if (value && *value)
            return LocaleDecimalSeparator(value);
    }
    return '.';
}

void StartProgram()
{
    static TStderrPrompts prompts;
    SetPrompts(&prompts);
    DMQuellow.DataModuleCreate();
    DecimalSeparator = SystemDecimalSeparator();
}

} // namespace quellow::cli
