#include "runs/URainRun.h"

#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "files/UOutputNames.h"
#include "files/UTextFields.h"

#include <algorithm>
#include <vector>

namespace quellow::URainRun {

namespace {

const bool registered = (RegisterStateReset([] { Trend = {}; }), true);

} // namespace

std::string TrendFileText(const TTrend &trend)
{
    std::string text;
    text += "Linear: Runoff = A * Rain + C\r\n";
    text += "A= " + fixed(trend.TrendA, 7, 4) + " C= " + fixed(trend.TrendC, 7, 4) + "\r\n";
    text += "\r\n";
    text += "Quadratic: Runoff = A * RainSq +  B * Rain + C\r\n";
    text += "A= " + fixed(trend.TrendQA, 8, 5) + " B= " + fixed(trend.TrendQB, 8, 5) +
            " C= " + fixed(trend.TrendQC, 8, 5) + "\r\n";
    return text;
}

bool WriteTrendFile()
{
    return writeFileAtomically(UOutputNames::TrendName(DMQuellow.FileName), TrendFileText(Trend));
}

bool WriteTrendFile(const TState &s)
{
    return writeFileAtomically(UOutputNames::TrendName(s.FileName), TrendFileText(s.Trend));
}

bool ReadTrendFile()
{
    return ReadTrendFile(UOutputNames::TrendName(DMQuellow.FileName));
}

bool ReadTrendFile(const std::string &path)
{
    std::vector<std::string> lines;
    if (readTextFile(path, lines) != TReadStatus::Ok || lines.size() < 5)
        return false;
    TLineScanner line(lines[4]);
    double values[3];
    for (double &value : values) {
        line.skipChars(3);
        if (!line.readReal(value))
            return false;
    }
    Trend.TrendQA = values[0];
    Trend.TrendQB = values[1];
    Trend.TrendQC = values[2];
    return true;
}

} // namespace quellow::URainRun
