#include "model/URainRun.h"

#include "model/UDMQuellow.h"
#include "model/UFileUtil.h"
#include "model/UTextFields.h"

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
    text += "A= " + Fixed(trend.TrendA, 7, 4) + " C= " + Fixed(trend.TrendC, 7, 4) + "\r\n";
    text += "\r\n";
    text += "Quadratic: Runoff = A * RainSq +  B * Rain + C\r\n";
    text += "A= " + Fixed(trend.TrendQA, 8, 5) + " B= " + Fixed(trend.TrendQB, 8, 5) +
            " C= " + Fixed(trend.TrendQC, 8, 5) + "\r\n";
    return text;
}

bool WriteTrendFile()
{
    return WriteFileAtomically(ChangeFileExt(DMQuellow.FileName, ".dat"), TrendFileText(Trend));
}

bool WriteTrendFile(const TState &s)
{
    return WriteFileAtomically(ChangeFileExt(s.FileName, ".dat"), TrendFileText(s.Trend));
}

bool ReadTrendFile()
{
    return ReadTrendFile(ChangeFileExt(DMQuellow.FileName, ".dat"));
}

bool ReadTrendFile(const std::string &path)
{
    std::vector<std::string> lines;
    if (ReadTextFile(path, lines) != TReadStatus::Ok || lines.size() < 5)
        return false;
    TLineScanner line(lines[4]);
    double values[3];
    for (double &value : values) {
        line.SkipChars(3);
        if (!line.ReadReal(value))
            return false;
    }
    Trend.TrendQA = values[0];
    Trend.TrendQB = values[1];
    Trend.TrendQC = values[2];
    return true;
}

} // namespace quellow::URainRun
