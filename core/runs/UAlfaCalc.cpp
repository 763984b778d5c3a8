#include "runs/UAlfaCalc.h"

#include "files/UDMQuellow.h"
#include "files/UTextFields.h"

#include <cmath>
#include <limits>

namespace quellow::UAlfaCalc {

namespace {

const bool registered = (RegisterStateReset([] { State = {}; }), true);

bool allFinite(std::initializer_list<double> values)
{
    for (double v : values)
        if (!std::isfinite(v))
            return false;
    return true;
}

} // namespace

bool ReadNumber(std::string_view text, double &value)
{
    return parseRealAnySeparator(trim(text), value);
}

std::string conversionMessage(std::string_view text)
{
    return "'" + std::string(text) + "' is not a valid floating point value";
}

namespace {

/// One check of a box's exit: the value is refused when it is below Low (or at Low when
/// Strict), or above High.
struct TExitRule
{
    TInput Input;
    double Low, High;
    bool Strict;
    const char *Message;
};

constexpr double NoLimit = std::numeric_limits<double>::infinity();

/// In order: the first rule that refuses a value gives the message.
constexpr TExitRule ExitRules[] = {
    {Ka, 0, NoLimit, false, "Ka should be greater than zero"},
    {Kb, 0, NoLimit, false, "Kb should be greater than zero"},
    {D, 0, NoLimit, true, "D should be greater than zero"},
    {U, 0, NoLimit, true, "U should be greater than zero"},
    {P, 0, NoLimit, true, "P should be greater than zero"},
    {P, 1, NoLimit, false, "P should be greater than 1%"},
    {P, -NoLimit, 30, false, "P should be less than 30%"},
    {L, 0, NoLimit, true, "L should be greater than zero"},
};

} // namespace

TExitResult exitCheck(TInput input, double value)
{
    State.Value[input] = value;
    for (const TExitRule &rule : ExitRules) {
        const bool refused = rule.Strict ? value <= rule.Low : value < rule.Low;
        if (rule.Input != input || !(refused || value > rule.High))
            continue;
        // A refused conductivity, depth or perimeter counts as 0; porosity and spacing keep
        // what was typed.
        if (input == Ka || input == Kb || input == D || input == U)
            State.Value[input] = 0;
        return TExitResult{false, rule.Message};
    }
    CheckInputs();
    return {};
}

void CheckInputs()
{
    const auto &v = State.Value;
    State.InputsValid =
        v[Ka] > 0 && v[Kb] > 0 && v[D] > 0 && v[U] > 0 && v[P] > 1 && v[P] < 30 && v[L] > 0;
}

void ClearResults()
{
    State.A = 0;
    State.B = 0;
}

bool calculate(std::string &message)
{
    CheckInputs();
    if (!State.InputsValid) {
        message = MsgIncorrect;
        return false;
    }
    const auto &v = State.Value;
    const double p = v[P] / 100;
    const double spacing2 = v[L] * v[L];
    const double a = 4 * v[Ka] / (p * spacing2);
    const double x = 6.284 * v[D] / v[L];
    double f = 0;
    if (x > 1) {
        const double e1 = std::exp(-2 * x);
        const double e3 = std::exp(-6 * x);
        const double e5 = std::exp(-10 * x);
        f = 4 * e1 / (1 - e1) + 4 * e3 / (3 * (1 - e3)) + 4 * e5 / (5 * (1 - e5));
    } else {
        f = std::log(0.5 * x / 3.142) + 9.872164 / (4 * x);
    }
    // A drain perimeter that is large against the spacing makes the denominator zero or
    // negative: there is no equivalent depth then, and no sound result.
    const double denominator = std::log(v[L] / v[U]) + f;
    if (!allFinite({a, x, f, denominator}) || !(denominator > 0)) {
        message = MsgIncorrect;
        return false;
    }
    const double d = (3.142 * v[L] / 8) / denominator;
    const double b = 8 * v[Kb] * d / (p * spacing2);
    if (!allFinite({d, b})) {
        message = MsgIncorrect;
        return false;
    }
    State.A = a;
    State.B = b;
    State.X = x;
    State.F = f;
    State.EqDepth = d;
    DMQuellow.Porosity = v[P];
    DMQuellow.Drainage = true;
    message = MsgDone;
    return true;
}

std::string aText()
{
    return fixedLocale(State.A, 6, 3);
}

std::string bText()
{
    return fixedLocale(State.B, 6, 3);
}

std::string porosityText()
{
    return fixedLocale(State.Value[P], 5, 1);
}

} // namespace quellow::UAlfaCalc
