#include "runs/UPrediction.h"

#include "files/UDMQuellow.h"
#include "files/UFileUtil.h"
#include "files/UOutputNames.h"
#include "files/UInputChecks.h"
#include "files/UInputFile.h"
#include "files/UInputLayout.h"
#include "files/UPrompts.h"
#include "runs/URunShared.h"
#include "files/UTextFields.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quellow::UPrediction {

namespace {

namespace L = UInputLayout;

const bool registered = (RegisterStateReset([] { State = {}; }), true);

const char *const NoTimeVariation = "There is no variation in time The hydrograph cannot be made";
const char *const BadTimeSequence =
    "Incorrect time sequence encountered Please correct the input file";

/// "mm", "cm", "dm" and "m" after the maximum escape rate become rates per time unit.
std::string normaliseUnit(std::string_view text)
{
    std::string unit;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '.')
            unit += c;
    if (unit == "mm" || unit == "cm" || unit == "dm" || unit == "m")
        unit += "/t";
    return unit;
}

void fail(TState &s, const std::string &message)
{
    s.PredFailed = true;
    if (s.Messages)
        s.Messages->ShowMessage(message);
}

bool refuse(TState &s, const std::string &message)
{
    fail(s, message);
    return false;
}

std::string corruptText(const std::string &fileName)
{
    return "A program error occurred." + CorruptNumbersText(fileName);
}

/// A row as the run reads it.
struct TRow
{
    int Serial = 0;
    double Time = 0;
    double Rain = 0;
    double Escape = 0;
};

/// A prediction input file as read, before the run takes it over.
struct TPredictionFile
{
    double MaxStor = 0, InitStor = 0, MaxEscape = 0;
    std::string UnitText;
    TModelValues Values;
    std::int32_t FunctionKind = 0;
    double Porosity = 0, InitRun = 0, InitLevel = 0;
    std::vector<TRow> Rows;
};

/// The parameter lines; returns the index of the first data row, or 0 for a corrupt number.
std::size_t parseParameters(const std::vector<std::string> &lines, TPredictionFile &file)
{
    TLineScanner unitRest("");
    if (!L::labelledReal(lines, L::MaxStorLine, L::StorageLabel, file.MaxStor) ||
        !L::labelledReal(lines, L::InitStorLine, L::StorageLabel, file.InitStor) ||
        !L::labelledReal(lines, L::MaxEscapeLine, L::StorageLabel, file.MaxEscape, &unitRest))
        return 0;
    file.UnitText = normaliseUnit(unitRest.rest());
    std::size_t next = L::FunctionLine + 1;
    if (L::lineAt(lines, L::FunctionLine).substr(0, 4) == " Lin") {
        file.FunctionKind = 1;
        double *const alpha[] = {&file.Values.A1, &file.Values.B1, &file.Values.A2,
                                 &file.Values.B2};
        for (double *value : alpha)
            if (!L::labelledReal(lines, next++, L::RunAlphaLabel, *value))
                return 0;
    }
    if (!L::labelledReal(lines, next, L::PorosityLabel, file.Porosity) ||
        !L::labelledReal(lines, next + 1, L::StorageLabel, file.InitRun) ||
        !L::labelledReal(lines, next + 2, L::StorageLabel, file.InitLevel) ||
        !L::labelledReal(lines, next + 3, L::StorageLabel, file.Values.Divide))
        return 0;
    next += 4 + L::RowHeadLines;
    // One more line when the fourth of the head lines is no hyphen line.
    if (L::lineAt(lines, next - 1).substr(0, 4) != " ---")
        ++next;
    return next;
}

/// The data rows from index first on. Returns false with the message shown.
bool parseRows(TState &s, const std::vector<std::string> &lines, std::size_t first,
               const std::string &fileName, TPredictionFile &file)
{
    const std::size_t end = L::endOfRows(lines, first);
    for (std::size_t index = first; index < end; ++index) {
        if (file.Rows.size() == static_cast<std::size_t>(MaxPredSteps))
            return refuse(s, "The input file \"" + fileName + "\" holds more than " +
                                 std::to_string(MaxPredSteps) +
                                 " time steps. A prediction can handle at most " +
                                 std::to_string(MaxPredSteps) + " steps; please split the series.");
        TLineScanner line(lines[index]);
        TRow row;
        if (!line.readInt(row.Serial) || !line.readReal(row.Time) || !line.readReal(row.Rain))
            return refuse(s, corruptText(fileName));
        const std::string_view escape = line.nextToken();
        const bool read = DecimalSeparator == ',' ? parseRealAnySeparator(escape, row.Escape)
                                                  : parseReal(escape, row.Escape);
        if (!read)
            return refuse(s, corruptText(fileName));
        if (!WithinRunRange(row.Time, row.Rain, row.Escape))
            return refuse(s, "The input file \"" + fileName + "\" holds values beyond 1E9 (in " +
                                 "magnitude). The hydrograph cannot be made");
        file.Rows.push_back(row);
    }
    return true;
}

/// The file is read: its values are taken over.
void takeOver(TState &s, const std::vector<std::string> &lines, TPredictionFile &file)
{
    s.Title1 = L::lineAt(lines, L::Title1Line);
    s.Title2 = L::lineAt(lines, L::Title2Line);
    s.InitRun = file.InitRun;
    s.InitLevel = file.InitLevel;
    s.Values = file.Values;
    s.FunctionKind = file.FunctionKind;
    s.PMaxStor = file.MaxStor;
    s.PInitStor = file.InitStor;
    s.PMaxEscape = file.MaxEscape;
    s.UnitText = std::move(file.UnitText);
    s.PPorosity = file.Porosity / 100;
    const int n = static_cast<int>(file.Rows.size());
    s.NrOfPred = n;
    for (int i = 1; i <= n; ++i) {
        const TRow &row = file.Rows[static_cast<std::size_t>(i - 1)];
        s.PSerial[i] = row.Serial;
        s.PTime[i] = row.Time;
        s.Rain[i] = row.Rain;
        s.PEscape[i] = row.Escape;
    }
}

/// The series and parameters a prediction needs. Returns false with the message shown.
bool checkSeries(TState &s, const std::string &fileName)
{
    const int n = s.NrOfPred;
    if (n < 2)
        return refuse(s, NoTimeVariation);
    const auto [lo, hi] = std::minmax_element(s.PTime.begin() + 1, s.PTime.begin() + n + 1);
    if (*hi - *lo < 0.001)
        return refuse(s, NoTimeVariation);
    if (!(s.PMaxStor > 0))
        return refuse(s, "The maximum dead storage in the input file \"" + fileName +
                             "\" must be larger than 0 for a prediction.");
    if (const std::string zero = UInputChecks::ZeroAlphaFailure(s.Values, fileName); !zero.empty())
        return refuse(s, zero);
    if (s.Drainage && !(s.PPorosity > 0))
        return refuse(s, "The effective porosity in the input file \"" + fileName +
                             "\" must be larger than 0 for a drainage prediction.");
    return true;
}

/// The dead-storage reservoir and the recharge.
void balanceDeadStorage(TState &s)
{
    if (!DeadStorage(s.NrOfPred, s.PTime.data(), s.Rain.data(), s.PEscape.data(), s.PMaxStor,
                     s.PInitStor, s.PDeadStor.data(), s.PRecharge.data()))
        fail(s, BadTimeSequence);
}

void copyIn(TState &s)
{
    s.FileName = DMQuellow.FileName;
    s.Messages = &Prompts();
    s.Drainage = DMQuellow.Drainage;
    s.Values = ModelValues;
    s.Title1 = DMQuellow.Title1;
    s.Title2 = DMQuellow.Title2;
    s.InitRun = DMQuellow.InitRun;
    s.InitLevel = DMQuellow.InitLevel;
    s.Rain = RainArr;
}

void copyOut(TState &s)
{
    ModelValues.A1 = s.Values.A1;
    ModelValues.B1 = s.Values.B1;
    ModelValues.A2 = s.Values.A2;
    ModelValues.B2 = s.Values.B2;
    ModelValues.Divide = s.Values.Divide;
    DMQuellow.Title1 = s.Title1;
    DMQuellow.Title2 = s.Title2;
    DMQuellow.InitRun = s.InitRun;
    DMQuellow.InitLevel = s.InitLevel;
    RainArr = s.Rain;
    s.Messages = nullptr;
}

} // namespace

void ReadPredictionLines(TState &s, const std::vector<std::string> &lines,
                         const std::string &fileName)
{
    s.PredFailed = false;
    TPredictionFile file;
    file.Values = s.Values;
    const std::size_t first = parseParameters(lines, file);
    if (first == 0)
        return fail(s, corruptText(fileName));
    if (!parseRows(s, lines, first, fileName, file))
        return;
    takeOver(s, lines, file);
    if (checkSeries(s, fileName))
        balanceDeadStorage(s);
}

void ReadPredictionInput(TState &s)
{
    std::vector<std::string> lines;
    if (!LoadInputLines(s.FileName, lines, s.Messages)) {
        s.PredFailed = true;
        return;
    }
    ReadPredictionLines(s, lines, s.FileName);
}

namespace {

/// The dead-storage reservoir step by step. deficit is the storage deficit at the end of the
/// previous step.
struct TDeadReservoir
{
    double MaxStor = 0;
    double Deficit = 0;

    /// Step 1 from the initial storage.
    void first(double initStor, double rain, double &deadStor, double &recharge)
    {
        const double d0 = MaxStor - initStor;
        Deficit = 0;
        if (rain - d0 >= 0) {
            recharge = rain - d0;
            deadStor = MaxStor;
        } else {
            recharge = 0;
            Deficit = d0 - rain;
            deadStor = initStor + rain;
        }
    }

    /// A step of length dt after one that ended with previous in the dead storage.
    void step(double previous, double rain, double escape, double dt, double &deadStor,
              double &recharge)
    {
        const double filling = previous / MaxStor;
        double loss = escape * dt * filling;
        // A step never loses more than the dead storage holds.
        if (loss > 0 && loss > previous)
            loss = std::max(previous, 0.0);
        const double surplus = rain - (Deficit + loss);
        if (surplus >= 0) {
            recharge = surplus;
            deadStor = MaxStor;
            Deficit = 0;
        } else {
            recharge = 0;
            Deficit = (Deficit + loss) - rain;
            deadStor = (previous - loss) + rain;
        }
    }
};

/// The main reservoir step by step: the alpha function's piece by the previous runoff.
struct TMainReservoir
{
    const TModelValues &Values;
    double Divide;
    bool Drainage;

    TAlphaLimits Limits;

    explicit TMainReservoir(const TModelValues &v, bool drainage, const TAlphaLimits &limits = {})
        // A divide of 0 puts a runoff of zero in the upper piece of the alpha function.
        : Values(v), Divide(v.Divide == 0 ? -0.001 : v.Divide), Drainage(drainage), Limits(limits)
    {}

    double alpha(double previous) const
    {
        const TModelValues &v = Values;
        // Beyond the runoffs the regression saw, alpha is held at its value at the nearest.
        if (Limits.Held)
            previous = std::clamp(previous, Limits.Low, Limits.High);
        double a = previous > Divide ? v.A1 * previous + v.B1 : v.A2 * previous + v.B2;
        if (a < 0.001)
            a = Drainage ? 0.01 : 0.001;
        return a;
    }
};

} // namespace

bool DeadStorage(int n, const double *time, const double *rain, const double *escape,
                 double maxStor, double initStor, double *deadStor, double *recharge)
{
    TDeadReservoir dead{maxStor};
    dead.first(initStor, rain[1], deadStor[1], recharge[1]);
    for (int j = 2; j <= n; ++j) {
        const double dt = time[j] - time[j - 1];
        if (dt <= 0)
            return false;
        dead.step(deadStor[j - 1], rain[j], escape[j], dt, deadStor[j], recharge[j]);
    }
    return true;
}

double InitialRunoff(double initRun, const TModelValues &v)
{
    return v.B1 < 0 && -v.B1 > initRun ? -v.B1 * 1.1 : initRun;
}

void Route(const TRouting &r, double *alpha, double *runoff, double *level)
{
    const int n = r.Count;
    double *const q = runoff;
    q[1] = InitialRunoff(r.InitRun, r.Values);
    const TMainReservoir main(r.Values, r.Drainage, r.Limits);
    if (level)
        level[1] = r.InitLevel;
    if (alpha)
        alpha[1] = 0;
    for (int j = 2; j <= n; ++j) {
        const double previous = q[j - 1];
        const double a = main.alpha(previous);
        if (alpha)
            alpha[j] = a;
        const double dt = r.Time[j] - r.Time[j - 1];
        const double x = std::exp(-a * dt);
        const double recharge = r.Recharge[j];
        q[j] = x * previous + (1 - x) * recharge;
        if (!level)
            continue;
        if (r.Drainage)
            level[j] = x * level[j - 1] + (1 - x) * recharge / (0.8 * r.Porosity * a);
        else
            level[j] = level[j - 1] + recharge - q[j];
    }
}

bool RouteRunoff(int n, const double *time, const double *rain, const double *escape,
                 double maxStor, double initStor, const TModelValues &values, double initRun,
                 double *deadStor, double *recharge, double *runoff, const TAlphaLimits &limits)
{
    TDeadReservoir dead{maxStor};
    const TMainReservoir main(values, false, limits);
    dead.first(initStor, rain[1], deadStor[1], recharge[1]);
    runoff[1] = InitialRunoff(initRun, values);
    // One loop for both reservoirs: the dead storage of the next step need not wait for the
    // exponential of this one.
    for (int j = 2; j <= n; ++j) {
        const double dt = time[j] - time[j - 1];
        if (dt <= 0)
            return false;
        dead.step(deadStor[j - 1], rain[j], escape[j], dt, deadStor[j], recharge[j]);
        const double previous = runoff[j - 1];
        const double x = std::exp(-main.alpha(previous) * dt);
        runoff[j] = x * previous + (1 - x) * recharge[j];
    }
    return true;
}

void RoutePrediction(TState &s)
{
    TRouting r;
    r.Count = s.NrOfPred;
    r.Time = s.PTime.data();
    r.Recharge = s.PRecharge.data();
    r.Values = s.Values;
    r.InitRun = s.InitRun;
    r.InitLevel = s.InitLevel;
    r.Drainage = s.Drainage;
    r.Porosity = s.PPorosity;
    Route(r, s.PAlpha.data(), s.RunoffCalc.data(), s.PLevel.data());
}

namespace {

/// The reservoir parameters and, for the linear function, its coefficients.
void appendParameters(std::string &text, const TState &s)
{
    const TModelValues &v = s.Values;
    appendLine(text, "Maximum dead storage:   " + fixed(s.PMaxStor, 6, 2) + " mm");
    appendLine(text, "Initial dead storage:   " + fixed(s.PInitStor, 6, 2) + " mm");
    appendLine(text, "Max. escape/time unit:  " + fixed(s.PMaxEscape, 6, 2) + " " + s.UnitText);
    appendLine(text, "Effective porosity (%): " + fixed(100 * s.PPorosity, 6, 2));
    if (s.FunctionKind == 1) {
        appendLine(text, "linear function: alpha = A * runoff + B");
        appendLine(text, "A1 =" + fixed(v.A1, 10, 5) + " B1 =" + fixed(v.B1, 10, 5));
        appendLine(text, "A2 =" + fixed(v.A2, 10, 5) + " B2 =" + fixed(v.B2, 10, 5));
        appendLine(text, "RunOff divide =" + fixed(v.Divide, 10, 5));
    }
    appendLine(text, "");
}

/// The table of every step between its rules.
void appendTable(std::string &text, const TState &s)
{
    const std::string hyphens(64, '-');
    appendLine(text, s.Drainage ? "PREDICTION drainage:" : "PREDICTION runoff:");
    appendLine(text, hyphens);
    appendLine(text, s.Drainage
                         ? "Serial    Time   Rain/Irr  Recharge    Alpha     Runoff    Head"
                         : "Serial    Time   Rain/Irr  Recharge    Alpha     Runoff   Storage");
    appendLine(text, "        "
                     "   t       mm/t      mm/t       --        mm/t      mm ");
    appendLine(text, hyphens);
    text.reserve(text.size() + static_cast<std::size_t>(s.NrOfPred) * 66 + 66);
    for (int i = 1; i <= s.NrOfPred; ++i) {
        char serial[16];
        std::snprintf(serial, sizeof serial, "%4d", static_cast<int>(s.PSerial[i]));
        text += serial;
        appendFixed(text, s.PTime[i], 10, 2);
        appendFixed(text, s.Rain[i], 10, 2);
        appendFixed(text, s.PRecharge[i], 10, 2);
        appendFixed(text, s.PAlpha[i], 10, 3);
        appendFixed(text, s.RunoffCalc[i], 10, 2);
        appendFixed(text, s.PLevel[i], 10, 2);
        text += "\r\n";
    }
    appendLine(text, std::string(63, '-'));
}

} // namespace

std::string PredictionOutputText(const TState &s, const std::string &inputPath)
{
    std::string text;
    appendOutputHead(text, s.Title1, s.Title2, inputPath);
    appendParameters(text, s);
    appendTable(text, s);
    return text;
}

bool WritePredictionOutput(TState &s)
{
    const std::string input = s.FileName;
    const std::string output = UOutputNames::OutputName(input);
    if (UOutputNames::SamePath(output, input)) {
        fail(s, "The input file \"" + input +
                    "\" has the extension .out; its output would replace it. Please rename it to "
                    ".inp.");
        return false;
    }
    if (!writeFileAtomically(output, PredictionOutputText(s, UOutputNames::InputName(input)))) {
        fail(s, CannotOpenText(output));
        return false;
    }
    return true;
}

void RunPrediction(TState &s)
{
    ReadPredictionInput(s);
    if (s.PredFailed)
        return;
    RoutePrediction(s);
    WritePredictionOutput(s);
}

void RunPrediction()
{
    copyIn(State);
    RunPrediction(State);
    copyOut(State);
}

void ReadPredictionLines(const std::vector<std::string> &lines, const std::string &fileName)
{
    copyIn(State);
    ReadPredictionLines(State, lines, fileName);
    copyOut(State);
}

} // namespace quellow::UPrediction
