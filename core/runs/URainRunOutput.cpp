// The analysis output file: the regression, the alpha table of the selected rows and the
// reconstruction, as fixed-width text with CR LF line ends.
#include "runs/URainRun.h"

#include "files/UFileUtil.h"
#include "files/UOutputNames.h"
#include "files/UInputFile.h"
#include "files/UPrompts.h"
#include "runs/URunShared.h"
#include "files/UTextFields.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace quellow::URainRun {

namespace {

std::string spaces(int count)
{
    return std::string(static_cast<std::size_t>(std::max(count, 0)), ' ');
}

int padTime1(std::size_t t)
{
    return t >= 1 && t <= 8 ? 9 - static_cast<int>(t) : 0;
}
int padTime2(std::size_t t)
{
    if (t >= 1 && t <= 6)
        return 10 - static_cast<int>(t);
    return t == 7 ? 2 : t == 8 ? 1 : 0;
}
int padDepth3(std::size_t u)
{
    return u >= 1 && u <= 9 ? 10 - static_cast<int>(u) : 0;
}
int padDepth4(std::size_t u)
{
    if (u >= 2 && u <= 9)
        return 20 - static_cast<int>(u);
    return u == 10 ? 9 : 0;
}

/// Appends the serial field of row i: a blank, the serial number (at most 7 characters) and
/// blanks up to four characters for serial numbers below 100.
void appendSerial(std::string &out, const TState &s, int i)
{
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, s.SerialNo[i]);
    out += ' ';
    out.append(buffer, std::min<std::size_t>(static_cast<std::size_t>(result.ptr - buffer), 7));
    if (s.SerialNo[i] < 10)
        out += "  ";
    else if (s.SerialNo[i] < 100)
        out += ' ';
}

double measuredAlpha(const TState &s, int i)
{
    return s.Series().RunMeas[i] > s.Divide ? s.AlphaUp[i] : s.AlphaLow[i];
}

void appendAlphaTable(std::string &text, const TState &s)
{
    const TPreparedSeries &series = s.Series();
    for (int i = 2; i <= s.DataCount; ++i) {
        if (!s.Selected[i])
            continue;
        appendSerial(text, s, i);
        appendFixed(text, series.StepTime[i], 10, 2);
        appendFixed(text, series.RunMeas[i], 10, 3);
        appendFixed(text, measuredAlpha(s, i), 10, 3);
        appendFixed(text, s.AlphaRegr[i], 10, 4);
        text += "\r\n";
    }
}

void appendReconstruction(std::string &text, const TState &s)
{
    const TPreparedSeries &series = s.Series();
    for (int i = 1; i <= s.DataCount; ++i) {
        appendSerial(text, s, i);
        appendFixed(text, series.StepTime[i], 10, 2);
        appendFixed(text, series.Rain[i], 10, 2);
        appendFixed(text, s.Rech[i], 10, 2);
        appendFixed(text, series.RunMeas[i], 10, 2);
        appendFixed(text, s.AlphaCalc[i], 10, 3);
        appendFixed(text, s.RunCalc[i], 10, 2);
        text += "\r\n";
    }
}

} // namespace

double AlphaStandardDeviation(const TState &s)
{
    double ssa = 0;
    for (int i = 2; i <= s.DataCount; ++i)
        if (s.Selected[i]) {
            const double deviation = measuredAlpha(s, i) - s.AlphaRegr[i];
            ssa += deviation * deviation;
        }
    if (ssa <= 0)
        ssa = 0.001;
    return std::sqrt(ssa / (s.DataCount - 2));
}

double RunoffStandardDeviation(const TState &s)
{
    return std::sqrt(s.SSE / (s.DataCount - 1));
}

namespace {

/// The dead-storage parameters and the regression on either side of the runoff divide.
void appendParameters(std::string &text, const TState &s)
{
    appendLine(text, "Maximum dead storage:  " + fixed(s.MaxSto, 6, 2) + " mm");
    appendLine(text, "Initial dead storage:  " + fixed(s.IniSto, 6, 2) + " mm");
    appendLine(text, "Max. escape/time unit: " + fixed(s.MaxEsc, 6, 2) + " " + s.DepthUnit);
    appendLine(text, "");
    appendLine(text, "REGRESSION: alpha = A * runoff + C");
    const std::string divide = fixedLocale(s.Divide, 5, 2);
    appendLine(text, "if Discharge >" + divide + " then A = " + fixed(s.AUp, 7, 4) +
                         "  C = " + fixed(s.CUp, 7, 4));
    appendLine(text, "if Discharge <" + divide + " then A = " + fixed(s.ALow, 7, 4) +
                         "  C = " + fixed(s.CLow, 7, 4));
    appendLine(text, "");
}

/// The measured and regressed alpha of the selected rows, with their standard deviation.
void appendAlphaSection(std::string &text, const TState &s)
{
    const std::string rule44(44, '-');
    appendLine(text, rule44);
    appendLine(text, "Serial    Time     Runoff    Alpha     Alpha");
    appendLine(text, " No.               maes.     meas.     regr.");
    const std::size_t t = s.TimeUnit.size();
    appendLine(text, spaces(10) + s.TimeUnit + spaces(padTime1(t)) + s.DepthUnit);
    appendLine(text, rule44);
    appendAlphaTable(text, s);
    appendLine(text, rule44);
    appendLine(text,
               "Stand. dev. of calc. from meas. alpha:" + fixed(AlphaStandardDeviation(s), 6, 3));
}

/// The reconstructed runoff of every row, with its standard deviation and R square.
void appendReconstructionSection(std::string &text, const TState &s)
{
    const std::string rule64(64, '-');
    appendLine(text, "RECONSTRUCTION:");
    appendLine(text, rule64);
    appendLine(text, "Serial    Time      Rain    Recharge   Runoff    Alpha    Runoff");
    appendLine(text, " No.                         calc.     meas.     calc.    calc. ");
    const std::size_t t = s.TimeUnit.size(), u = s.DepthUnit.size();
    appendLine(text, spaces(10) + s.TimeUnit + spaces(padTime2(t)) + s.DepthUnit +
                         spaces(padDepth3(u)) + s.DepthUnit + spaces(padDepth3(u)) + s.DepthUnit +
                         spaces(padDepth4(u)) + s.DepthUnit);
    appendLine(text, rule64);
    appendReconstruction(text, s);
    appendLine(text, rule64);
    appendLine(text,
               "Stand. dev. of calc. from meas. runoff:" + fixed(RunoffStandardDeviation(s), 8, 3));
    appendLine(text, "Coefficient of explanation R square is:" + fixed(s.RSquare, 8, 3));
    appendLine(text, "");
}

} // namespace

std::string AnalysisOutputText(const TState &s, const std::string &inputName)
{
    std::string text;
    text.reserve(static_cast<std::size_t>(s.DataCount) * 130 + 2000);
    appendOutputHead(text, s.Title1, s.Title2, inputName);
    appendParameters(text, s);
    appendAlphaSection(text, s);
    appendLine(text, "");
    appendLine(text, "");
    appendReconstructionSection(text, s);
    return text;
}

bool WriteAnalysisOutput(TState &s)
{
    const std::string outName = UOutputNames::OutputName(s.FileName);
    s.FileName = UOutputNames::InputName(s.FileName);
    if (!writeFileAtomically(outName, AnalysisOutputText(s, s.FileName))) {
        if (s.Messages)
            s.Messages->ShowMessage(CannotOpenText(outName));
        return false;
    }
    return true;
}

} // namespace quellow::URainRun
