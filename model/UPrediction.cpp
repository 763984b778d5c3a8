#include "model/UPrediction.h"

#include "model/UDMQuellow.h"
#include "model/UFileUtil.h"
#include "model/UInputFile.h"
#include "model/UPrompts.h"
#include "model/UTextFields.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quellow::UPrediction {

namespace {

const bool registered = (RegisterStateReset([] { State = {}; }), true);

const char *const NoTimeVariation = "There is no variation in time The hydrograph cannot be made";
const char *const BadTimeSequence =
    "Incorrect time sequence encountered Please correct the input file";

/// Label widths of the parameter lines as the run reads them.
constexpr std::size_t StorageLabel = 23;
constexpr std::size_t AlphaLabel = 17;
constexpr std::size_t PorosityLabel = 26;

/// "mm", "cm", "dm" and "m" after the maximum escape rate become rates per time unit.
std::string NormaliseUnit(std::string_view text)
{
    std::string unit;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '.')
            unit += c;
    if (unit == "mm" || unit == "cm" || unit == "dm" || unit == "m")
        unit += "/t";
    return unit;
}

bool LabelledReal(const std::vector<std::string> &lines, std::size_t index, std::size_t skip,
                  double &value, TLineScanner *rest = nullptr)
{
    if (index >= lines.size())
        return false;
    TLineScanner line(lines[index]);
    line.SkipChars(skip);
    if (!line.ReadReal(value))
        return false;
    if (rest)
        *rest = line;
    return true;
}

void Fail(const std::string &message)
{
    State.PredFailed = true;
    Prompts().ShowMessage(message);
}

/// A row as the run reads it.
struct TRow
{
    int Serial = 0;
    double Time = 0;
    double Rain = 0;
    double Escape = 0;
};

} // namespace

void ReadPredictionLines(const std::vector<std::string> &lines, const std::string &fileName)
{
    State.PredFailed = false;
    const auto corrupt = [&fileName]() {
        State.PredFailed = true;
        DMQuellow.ShowProgramError(CorruptNumbersText(fileName));
    };
    const auto at = [&lines](std::size_t index) -> const std::string & {
        static const std::string none;
        return index < lines.size() ? lines[index] : none;
    };

    double maxStor = 0;
    double initStor = 0;
    double maxEscape = 0;
    TLineScanner unitRest("");
    if (!LabelledReal(lines, 7, StorageLabel, maxStor) ||
        !LabelledReal(lines, 8, StorageLabel, initStor) ||
        !LabelledReal(lines, 9, StorageLabel, maxEscape, &unitRest))
        return corrupt();

    TModelValues values = ModelValues;
    std::int32_t functionKind = 0;
    std::size_t next = 11;
    if (at(10).substr(0, 4) == " Lin") {
        functionKind = 1;
        if (!LabelledReal(lines, 11, AlphaLabel, values.A1) ||
            !LabelledReal(lines, 12, AlphaLabel, values.B1) ||
            !LabelledReal(lines, 13, AlphaLabel, values.A2) ||
            !LabelledReal(lines, 14, AlphaLabel, values.B2))
            return corrupt();
        next = 15;
    }
    double porosity = 0;
    double initRun = 0;
    double initLevel = 0;
    if (!LabelledReal(lines, next, PorosityLabel, porosity) ||
        !LabelledReal(lines, next + 1, StorageLabel, initRun) ||
        !LabelledReal(lines, next + 2, StorageLabel, initLevel) ||
        !LabelledReal(lines, next + 3, StorageLabel, values.Divide))
        return corrupt();
    next += 4;
    // The empty line, the hyphens, the column header and the hyphens; one more line when the
    // fourth is no hyphen line.
    next += 4;
    if (at(next - 1).substr(0, 4) != " ---")
        ++next;

    std::size_t end = lines.size();
    while (end > next && Trim(lines[end - 1]).empty())
        --end;
    std::vector<TRow> rows;
    for (std::size_t index = next; index < end; ++index) {
        if (rows.size() == static_cast<std::size_t>(MaxPredSteps)) {
            Fail("The input file \"" + fileName + "\" holds more than " +
                 std::to_string(MaxPredSteps) + " time steps. A prediction can handle at most " +
                 std::to_string(MaxPredSteps) + " steps; please split the series.");
            return;
        }
        TLineScanner line(lines[index]);
        TRow row;
        if (!line.ReadInt(row.Serial) || !line.ReadReal(row.Time) || !line.ReadReal(row.Rain))
            return corrupt();
        const std::string_view escape = line.NextToken();
        const bool read = DecimalSeparator == ',' ? ParseRealAnySeparator(escape, row.Escape)
                                                  : ParseReal(escape, row.Escape);
        if (!read)
            return corrupt();
        if (!WithinRunRange(row.Time, row.Rain, row.Escape)) {
            Fail("The input file \"" + fileName +
                 "\" holds values beyond 1E9 (in magnitude). The hydrograph cannot be made");
            return;
        }
        rows.push_back(row);
    }

    // The file is read: its values are taken over.
    DMQuellow.Title1 = at(3);
    DMQuellow.Title2 = at(4);
    DMQuellow.InitRun = initRun;
    DMQuellow.InitLevel = initLevel;
    ModelValues = values;
    State.FunctionKind = functionKind;
    State.PMaxStor = maxStor;
    State.PInitStor = initStor;
    State.PMaxEscape = maxEscape;
    State.UnitText = NormaliseUnit(unitRest.Rest());
    State.PPorosity = porosity / 100;
    const int n = static_cast<int>(rows.size());
    State.NrOfPred = n;
    for (int i = 1; i <= n; ++i) {
        const TRow &row = rows[static_cast<std::size_t>(i - 1)];
        State.PSerial[i] = row.Serial;
        State.PTime[i] = row.Time;
        RainArr[i] = row.Rain;
        State.PEscape[i] = row.Escape;
    }

    // Time span.
    if (n < 2) {
        Fail(NoTimeVariation);
        return;
    }
    const auto [lo, hi] = std::minmax_element(State.PTime.begin() + 1, State.PTime.begin() + n + 1);
    if (*hi - *lo < 0.001) {
        Fail(NoTimeVariation);
        return;
    }
    if (!(State.PMaxStor > 0)) {
        Fail("The maximum dead storage in the input file \"" + fileName +
             "\" must be larger than 0 for a prediction.");
        return;
    }
    if (DMQuellow.Drainage && !(State.PPorosity > 0)) {
        Fail("The effective porosity in the input file \"" + fileName +
             "\" must be larger than 0 for a drainage prediction.");
        return;
    }

    // Dead-storage reservoir; deficit[j] is the storage deficit at the end of step j.
    std::vector<double> deficit(static_cast<std::size_t>(n) + 1, 0.0);
    const double d0 = State.PMaxStor - State.PInitStor;
    if (RainArr[1] - d0 >= 0) {
        State.PRecharge[1] = RainArr[1] - d0;
        State.PDeadStor[1] = State.PMaxStor;
        deficit[1] = 0;
    } else {
        State.PRecharge[1] = 0;
        deficit[1] = d0 - RainArr[1];
        State.PDeadStor[1] = State.PInitStor + RainArr[1];
    }
    State.PredFailed = false;
    for (int j = 2; j <= n; ++j) {
        const double dt = State.PTime[j] - State.PTime[j - 1];
        if (dt <= 0) {
            Fail(BadTimeSequence);
            return;
        }
        const double filling = State.PDeadStor[j - 1] / State.PMaxStor;
        double loss = State.PEscape[j] * dt * filling;
        // A step never loses more than the dead storage holds.
        if (loss > 0 && loss > State.PDeadStor[j - 1])
            loss = std::max(State.PDeadStor[j - 1], 0.0);
        const double surplus = RainArr[j] - (deficit[j - 1] + loss);
        if (surplus >= 0) {
            State.PRecharge[j] = surplus;
            State.PDeadStor[j] = State.PMaxStor;
            deficit[j] = 0;
        } else {
            State.PRecharge[j] = 0;
            deficit[j] = (deficit[j - 1] + loss) - RainArr[j];
            State.PDeadStor[j] = (State.PDeadStor[j - 1] - loss) + RainArr[j];
        }
    }
}

void ReadPredictionInput()
{
    std::vector<std::string> lines;
    if (!LoadInputLines(DMQuellow.FileName, lines)) {
        State.PredFailed = true;
        return;
    }
    ReadPredictionLines(lines, DMQuellow.FileName);
}

void RoutePrediction()
{
    const TModelValues &v = ModelValues;
    const int n = State.NrOfPred;
    const bool drainage = DMQuellow.Drainage;
    auto &q = State.RunoffCalc;
    q[1] = DMQuellow.InitRun;
    if (v.B1 < 0 && -v.B1 > q[1])
        q[1] = -v.B1 * 1.1;
    // A divide of 0 puts a runoff of zero in the upper piece of the alpha function.
    const double divide = v.Divide == 0 ? -0.001 : v.Divide;
    State.PLevel[1] = DMQuellow.InitLevel;
    State.PAlpha[1] = 0;
    for (int j = 2; j <= n; ++j) {
        const double previous = q[j - 1];
        double alpha = previous > divide ? v.A1 * previous + v.B1 : v.A2 * previous + v.B2;
        if (alpha < 0.001)
            alpha = drainage ? 0.01 : 0.001;
        State.PAlpha[j] = alpha;
        const double dt = State.PTime[j] - State.PTime[j - 1];
        const double x = std::exp(-alpha * dt);
        const double recharge = State.PRecharge[j];
        q[j] = x * previous + (1 - x) * recharge;
        if (drainage)
            State.PLevel[j] =
                x * State.PLevel[j - 1] + (1 - x) * recharge / (0.8 * State.PPorosity * alpha);
        else
            State.PLevel[j] = State.PLevel[j - 1] + recharge - q[j];
    }
}

std::string PredictionOutputText(const std::string &inputPath)
{
    std::string text;
    const auto line = [&text](const std::string &s) {
        text += s;
        text += "\r\n";
    };
    const TModelValues &v = ModelValues;
    const std::string hyphens(64, '-');
    line("RESULTS OF Quellow PROGRAM");
    line("");
    line(DMQuellow.Title1);
    line(DMQuellow.Title2);
    line("Name of input file used: " + inputPath);
    line("");
    line("Maximum dead storage:   " + Fixed(State.PMaxStor, 6, 2) + " mm");
    line("Initial dead storage:   " + Fixed(State.PInitStor, 6, 2) + " mm");
    line("Max. escape/time unit:  " + Fixed(State.PMaxEscape, 6, 2) + " " + State.UnitText);
    line("Effective porosity (%): " + Fixed(100 * State.PPorosity, 6, 2));
    if (State.FunctionKind == 1) {
        line("linear function: alpha = A * runoff + B");
        line("A1 =" + Fixed(v.A1, 10, 5) + " B1 =" + Fixed(v.B1, 10, 5));
        line("A2 =" + Fixed(v.A2, 10, 5) + " B2 =" + Fixed(v.B2, 10, 5));
        line("RunOff divide =" + Fixed(v.Divide, 10, 5));
    }
    line("");
    line(DMQuellow.Drainage ? "PREDICTION drainage:" : "PREDICTION runoff:");
    line(hyphens);
    line(DMQuellow.Drainage ? "Serial    Time   Rain/Irr  Recharge    Alpha     Runoff    Head"
                            : "Serial    Time   Rain/Irr  Recharge    Alpha     Runoff   Storage");
    line("        "
         "   t       mm/t      mm/t       --        mm/t      mm ");
    line(hyphens);
    text.reserve(text.size() + static_cast<std::size_t>(State.NrOfPred) * 66 + 66);
    for (int i = 1; i <= State.NrOfPred; ++i) {
        char serial[16];
        std::snprintf(serial, sizeof serial, "%4d", static_cast<int>(State.PSerial[i]));
        std::string row = serial;
        row += Fixed(State.PTime[i], 10, 2);
        row += Fixed(RainArr[i], 10, 2);
        row += Fixed(State.PRecharge[i], 10, 2);
        row += Fixed(State.PAlpha[i], 10, 3);
        row += Fixed(State.RunoffCalc[i], 10, 2);
        row += Fixed(State.PLevel[i], 10, 2);
        line(row);
    }
    line(std::string(63, '-'));
    return text;
}

bool WritePredictionOutput()
{
    const std::string input = DMQuellow.FileName;
    const std::string output = ChangeFileExt(input, ".out");
    if (output == input) {
        Fail("The input file \"" + input +
             "\" has the extension .out; its output would replace it. Please rename it to .inp.");
        return false;
    }
    if (!WriteFileAtomically(output, PredictionOutputText(ChangeFileExt(input, ".inp")))) {
        Fail(CannotOpenText(output));
        return false;
    }
    return true;
}

void RunPrediction()
{
    ReadPredictionInput();
    if (State.PredFailed)
        return;
    RoutePrediction();
    WritePredictionOutput();
}

} // namespace quellow::UPrediction
