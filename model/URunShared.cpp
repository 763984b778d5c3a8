#include "model/URunShared.h"

#include "model/UDMQuellow.h"

namespace quellow {

namespace {

const bool registered = (RegisterStateReset([] { RainArr.assign(MaxSteps + 1, 0.0); }), true);

} // namespace

} // namespace quellow
