#include "ui/UValidationSource.h"

#include "files/UTextFields.h"
#include "import/UCsvDates.h"
#include "import/UCsvTable.h"
#include "import/URunoffUnit.h"
#include "ui/UImportSeries.h"

#include <cmath>

namespace quellow {

namespace {

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

/// Where the runoff comes from: the file it was joined from, else the series file, and its
/// column.
std::string runoffSource(const TImportedSeries &series)
{
    std::string text =
        "runoff from " + (series.RunoffFile.isEmpty() ? std::string("the series file")
                                                      : series.RunoffFile.toStdString());
    const std::string &column = series.RunoffColumn;
    if (!column.empty())
        text += ", " + (column.front() == '\'' ? "column " + column : column);
    return text;
}

std::string unitText(double unitSeconds)
{
    return unitSeconds == 86400 ? "day" : unitSeconds == 3600 ? "hour" : "minute";
}

/// " (where)" when where is known.
std::string from(const std::string &where)
{
    return where.empty() ? std::string() : " (" + where + ")";
}

/// The runoff's unit: converted from which unit (and where it was named) to mm per time unit,
/// over which area, by which factor; or taken as it is. A factor given besides is named apart.
std::string runoffUnit(const TImportedSeries &series)
{
    const UCsvImport::TImportResult &r = series.Result;
    double given = r.Scale[UCsvImport::RoleRunoff];
    std::string text;
    if (r.Unit == URunoffUnit::TRunoffUnit::None) {
        text = "runoff in the file's unit, taken as mm per time unit";
    } else if (r.Unit == URunoffUnit::TRunoffUnit::Mm) {
        text = "runoff in mm" + from(series.UnitFrom) + ", not converted";
    } else {
        given = r.UnitFactor != 0 ? given / r.UnitFactor : 1;
        text = std::string("runoff converted from ") + URunoffUnit::RunoffUnitName(r.Unit) +
               from(series.UnitFrom) + " to mm per " + unitText(r.UnitSeconds);
        if (URunoffUnit::IsDischarge(r.Unit))
            text +=
                " over " + UCsvTable::NumberText(series.AreaKm2) + " km2" + from(series.AreaFrom);
        text += ": factor " + printfText("%.12g", r.UnitFactor);
    }
    if (std::abs(given - 1) > 1e-12)
        text += "; runoff x " + printfText("%.12g", given) + " as the factor given";
    return text;
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
           runoffSource(series) + "; " + runoffUnit(series);
}

} // namespace quellow
