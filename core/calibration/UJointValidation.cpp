#include "calibration/UJointValidation.h"

namespace quellow::UJointValidation {

std::vector<int> CalibrationWindows(int, int, const TOptions &)
{
    return {};
}

std::string CheckWindows(const std::vector<UJointCalibration::TWindow> &, const TOptions &)
{
    return "Leave-one-out validation is not available yet.";
}

TValidation Validate(const std::vector<UJointCalibration::TWindow> &, const TOptions &)
{
    TValidation v;
    v.Message = "Leave-one-out validation is not available yet.";
    return v;
}

} // namespace quellow::UJointValidation
