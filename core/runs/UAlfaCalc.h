#pragma once

#include <array>
#include <string>
#include <string_view>

/// The alpha calculator of a pipe or ditch drainage system.
///
/// From six physical properties of the drainage system it derives the linear response
/// function Alfa = A*Q + B (Q the drain discharge in mm/day, Alfa per day) with the drain
/// spacing formula for a layered soil and the closed-form equivalent depth:
///
///   p = P / 100                                  drainable porosity as a fraction
///   A = 4 * Ka / (p * L * L)                     flow above drain level
///   x = 6.284 * D / L                            relative depth
///   x > 1:  F = 4 e1/(1-e1) + 4 e3/(3(1-e3)) + 4 e5/(5(1-e5)),  en = exp(-2 n x)
///   x <= 1: F = ln(0.5 x / 3.142) + 9.872164 / (4 x)
///   d = (3.142 * L / 8) / (ln(L / U) + F)        equivalent depth (m)
///   B = 8 * Kb * d / (p * L * L)                 flow below drain level
///
/// The constants are written as the calculator has always used them (6.284, 3.142 and
/// 3.142 squared), so results agree with earlier hand calculations to the digit.
/// Ka, Kb in m/day; D, U, L in m; P in %.
namespace quellow::UAlfaCalc {

/// The six inputs in the order of the window's boxes Edit1 .. Edit6.
enum TInput : int { Ka = 0, Kb, D, U, P, L };
inline constexpr int InputCount = 6;

struct TState
{
    std::array<double, InputCount> Value{}; ///< the inputs, all 0 when the window opens
    double A = 0;                           ///< slope of the response function (result)
    double B = 0;                           ///< constant of the response function (per day, result)
    double X = 0;                           ///< relative depth x of the last calculation
    double F = 0;                           ///< F(x) of the last calculation
    double EqDepth = 0;                     ///< equivalent depth d (m) of the last calculation
    bool InputsValid = false;
};
inline TState State;

/// Messages of the calculator.
inline constexpr const char *MsgIncorrect = "One or more data values are incorrect";
inline constexpr const char *MsgDone =
    "The calculations were done and the values are entered in the input tabsheet.";

/// Reads a typed number with either decimal separator (the locale's first, then the other
/// of '.' and ','); surrounding blanks are ignored. False for anything that is no finite
/// number ("", "abc", "1,000.5", "nan"); value is then unchanged.
bool ReadNumber(std::string_view text, double &value);

/// The message shown for a text that is no number.
std::string conversionMessage(std::string_view text);

/// What the exit check of one box decided.
struct TExitResult
{
    bool Accepted = true;
    std::string Message; ///< the message to show; empty when accepted
};

/// The check run when a box is left, with the value read from it: stores the value, then
/// rejects negative conductivities, non-positive D, U and L and a porosity outside 1 .. 30 %.
/// A rejected Ka, Kb, D or U is set back to 0; a rejected P or L keeps the value typed (the
/// window empties the box in every rejected case). An accepted value runs CheckInputs().
TExitResult exitCheck(TInput input, double value);

/// InputsValid := Ka > 0, Kb > 0, D > 0, U > 0, 1 < P < 30 and L > 0.
void CheckInputs();

/// A := 0, B := 0 (the window empties its result boxes as well).
void ClearResults();

/// Runs the calculation. Refused (false, message MsgIncorrect, nothing changed) when
/// CheckInputs() does not accept the inputs, when the drain perimeter is so large against the
/// spacing that ln(L/U) + F is not positive, or when a result would not be a finite number.
/// On success sets A, B, X, F, EqDepth, the data module's Porosity (P in %) and Drainage.
bool calculate(std::string &message);

/// The texts the window shows and enters into the input sheet: A and B as "%6.3f", P as
/// "%5.1f", with the locale's decimal separator.
std::string aText();
std::string bText();
std::string porosityText();

} // namespace quellow::UAlfaCalc
