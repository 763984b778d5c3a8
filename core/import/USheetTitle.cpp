#include "import/USheetTitle.h"

#include <cstdio>
#include <vector>

namespace quellow::USheetTitle {

std::string ImportedTitle(const std::string &sourceName, const std::string &firstDate,
                          const std::string &timeUnit, const std::array<double, 4> &factors,
                          bool analysis)
{
    static const char *const names[] = {"", "rain", "escape rate", "runoff"};
    std::vector<std::string> scaled, asInFile;
    for (int role = 1; role <= (analysis ? 3 : 2); ++role) {
        if (factors[role] == 1) {
            asInFile.push_back(names[role]);
            continue;
        }
        char factor[40];
        std::snprintf(factor, sizeof factor, "%.6g", factors[role]);
        scaled.push_back(std::string(names[role]) + " x " + factor);
    }
    std::string text = "Imported from " + sourceName;
    if (!firstDate.empty())
        text += ", first date " + firstDate;
    text += "; time in " + timeUnit + "; ";
    if (scaled.empty())
        return text + "units as in the file";
    for (std::size_t k = 0; k < scaled.size(); ++k)
        text += (k ? ", " : "") + scaled[k];
    for (std::size_t k = 0; k < asInFile.size(); ++k)
        text += (k == 0 ? ", " : k + 1 == asInFile.size() ? " and " : ", ") + asInFile[k];
    if (!asInFile.empty())
        text += " as in the file";
    return text;
}

} // namespace quellow::USheetTitle
