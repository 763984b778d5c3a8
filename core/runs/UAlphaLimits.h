#pragma once

/// A rule on the alpha function of the main reservoir that the routing applies.
namespace quellow::UPrediction {

/// The robust rule of an alpha function: beyond the runoffs its regression had points at, alpha
/// is held at its value at the nearest of them (Held false: the function as it stands).
struct TAlphaLimits
{
    bool Held = false;
    double Low = 0;  ///< the lowest runoff of the regression's points (mm/t)
    double High = 0; ///< the highest
};

} // namespace quellow::UPrediction
