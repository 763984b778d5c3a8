#include "calibration/UJointCalibration.h"

namespace quellow::UJointCalibration {

std::string CheckWindows(const std::vector<TWindow> &, const TOptions &)
{
    return "Joint calibration is not available yet.";
}

bool ReadWindow(const std::string &, TWindow &, std::string &message)
{
    message = "Joint calibration is not available yet.";
    return false;
}

TJointCalibration Calibrate(const std::vector<TWindow> &, const TOptions &)
{
    TJointCalibration result;
    result.Message = "Joint calibration is not available yet.";
    return result;
}

std::vector<TWindowFit> SimulateWindows(const std::vector<TWindow> &, const TParameters &,
                                        const URainRun::TEvaluation &, const TOptions &,
                                        TSimulationFit &)
{
    return {};
}

URainRun::TAnalysisInput CalibratedWindow(const TWindow &window, const TParameters &)
{
    return window.Input;
}

} // namespace quellow::UJointCalibration
