#include "ui/UValidationSource.h"

#include "files/UTextFields.h"
#include "import/UCsvDates.h"
#include "ui/UImportSeries.h"

#include <cmath>

namespace quellow {

namespace {

bool startsWith(const std::string &text, const std::string &start)
{
    return text.rfind(start, 0) == 0;
}

/// The last date of the rows taken: the first date and the time elapsed to the last row.
std::string lastDate(const UCsvImport::TImportResult &r)
{
    UCsvDates::TDateParts parts;
    std::int64_t first = 0;
    if (r.Time.empty() || !UCsvDates::SplitDate(r.FirstDate, parts) ||
        !UCsvDates::DateSeconds(parts, UCsvDates::TDateOrder::Ymd, first))
        return {};
    const double unit = r.TimeUnit == "hours" ? 3600 : r.TimeUnit == "minutes" ? 60 : 86400;
    return UCsvDates::DateText(first + std::llround((r.Time.back() - r.Time.front()) * unit));
}

/// Where the runoff comes from: the note of a runoff file joined on the date, else the series
/// file's own column.
std::string runoffSource(const UCsvImport::TImportResult &r)
{
    const std::string joined = "The runoff comes from ";
    for (const std::string &note : r.Notes)
        if (startsWith(note, joined)) {
            const std::size_t end = note.find(", joined");
            return "runoff from " + note.substr(joined.size(), end == std::string::npos
                                                                   ? std::string::npos
                                                                   : end - joined.size());
        }
    return "runoff from the series file";
}

/// The runoff's unit: the note of its conversion, else its factor, else the file's unit.
std::string runoffUnit(const UCsvImport::TImportResult &r)
{
    for (const std::string &note : r.Notes)
        if (startsWith(note, "Runoff converted from ") || startsWith(note, "Runoff in mm ")) {
            std::string text = note;
            if (!text.empty() && text.back() == '.')
                text.pop_back();
            text[0] = 'r';
            return text;
        }
    const double factor = r.Scale[UCsvImport::RoleRunoff];
    if (factor != 1)
        return "runoff x " + shortestText(factor) + " as the import's factor";
    return "runoff in the file's unit, taken as mm per time unit";
}

} // namespace

std::string importedWindowText(const TImportedSeries &series)
{
    const UCsvImport::TImportResult &r = series.Result;
    std::string period = r.FirstDate;
    if (const std::string last = lastDate(r); !last.empty())
        period += " to " + last;
    return "imported from " + series.FileName.toStdString() + ", " + period + " (" +
           std::to_string(r.Time.size()) + " rows, time in " + r.TimeUnit + "); " +
           runoffSource(r) + "; " + runoffUnit(r);
}

} // namespace quellow
