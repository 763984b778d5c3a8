#include "files/UInputChecks.h"

#include "files/UDMQuellow.h"

#include <algorithm>

namespace quellow::UInputChecks {

const char *RangeFailure(const TValueRule &rule, double value, bool analysis)
{
    if (rule.RangeInAnalysisOnly && !analysis)
        return nullptr;
    if (rule.Negative && value < 0)
        return rule.Negative;
    if (rule.AboveHundred && value > 100)
        return rule.AboveHundred;
    return nullptr;
}

TCell FirstFaultyCell(const TDMQuellow &dm)
{
    const int rows = std::min<int>(dm.NrOfData, static_cast<int>(dm.Time.size()));
    int previous = -1;
    for (int i = 0; i < rows; ++i) {
        if (i < static_cast<int>(dm.Remove.size()) && dm.Remove[i])
            continue;
        if (previous >= 0 && !(dm.Time[previous] < dm.Time[i]))
            return {0, i};
        if (dm.Rain[i] < 0)
            return {1, i};
        // A negative escape rate is another source of water, which the analysis cannot
        // handle; a prediction may use it.
        if (dm.Analysis && dm.Escape[i] < 0)
            return {2, i};
        if (dm.Analysis && dm.Runoff[i] < 0)
            return {3, i};
        previous = i;
    }
    return {};
}

std::string SaveFailure(const TDMQuellow &dm, const TModelValues &values)
{
    struct TChecked
    {
        const TValueRule &Rule;
        double Value;
        bool PredictionOnly;
    };
    const TChecked checked[] = {
        {MaxStorRule, dm.MaxStor, false},  {InitStorRule, dm.InitStor, false},
        {EscapeRule, dm.MaxEscape, false}, {DivideRule, values.Divide, true},
        {InitRunRule, dm.InitRun, true},   {InitLevelRule, dm.InitLevel, true},
        {PorosityRule, dm.Porosity, true},
    };
    if (dm.Analysis && dm.MaxEscape < 0)
        return "The maximum escape rate cannot be negative.";
    for (const TChecked &c : checked) {
        if (c.PredictionOnly && dm.Analysis)
            continue;
        if (const char *failure = RangeFailure(c.Rule, c.Value, dm.Analysis))
            return failure;
    }
    if (!dm.Analysis)
        if (std::string failure = ZeroAlphaFailure(values); !failure.empty())
            return failure;
    if (FirstFaultyCell(dm).Col >= 0)
        return FaultyRowsMessage;
    int valid = 0;
    for (int i = 0; i < std::min<int>(dm.NrOfData, static_cast<int>(dm.Time.size())); ++i)
        valid += !(i < static_cast<int>(dm.Remove.size()) && dm.Remove[i]);
    return RowCountFailure(valid, dm.Analysis);
}

std::string ZeroAlphaFailure(const TModelValues &values, const std::string &fileName)
{
    if (values.A1 != 0 || values.B1 != 0 || values.A2 != 0 || values.B2 != 0)
        return {};
    const std::string where = fileName.empty() ? std::string("The alpha function")
                                               : "The alpha function in \"" + fileName + "\"";
    return where + " is 0 for every runoff (A1, B1, A2 and B2 are all 0), so a prediction "
                   "cannot run. Give the alpha function: the analysis of the catchment gives "
                   "it, or AlfaCalc for a drained field.";
}

std::string RowCountFailure(int rows, bool analysis)
{
    if (rows == 0)
        return "The input data were not saved";
    if (rows > MaxData)
        return MaxDataMessage;
    if (!analysis && rows > MaxPredSteps)
        return "A prediction can handle at most " + std::to_string(MaxPredSteps) +
               " steps; please split the series.";
    return {};
}

} // namespace quellow::UInputChecks
