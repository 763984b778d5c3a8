#pragma once

namespace quellow {

/// The parameters of the first reservoir that a calibration varies and an analysis input holds.
struct TParameters
{
    double MaxStor = 50;     ///< maximum dead storage (mm)
    double InitStor = 25;    ///< initial dead storage (mm); 0 runs as 0.1 * MaxStor
    double EscapeFactor = 1; ///< factor on every row's escape rate as read
};

/// The initial dead storage a run starts from: an initial storage of 0 runs as a tenth of the
/// maximum storage.
inline double UsedInitStor(double maxStor, double initStor)
{
    return initStor == 0 ? 0.1 * maxStor : initStor;
}

inline double UsedInitStor(const TParameters &parameters)
{
    return UsedInitStor(parameters.MaxStor, parameters.InitStor);
}

} // namespace quellow
