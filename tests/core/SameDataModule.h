#pragma once

#include "files/UDMQuellow.h"

#include <gtest/gtest.h>

namespace quellow::test {

/// Every field of the data module and the model values that an input file can change.
inline ::testing::AssertionResult SameModel(const TDMQuellow &a, const TModelValues &va,
                                            const TDMQuellow &b, const TModelValues &vb)
{
    const bool same = a.FileName == b.FileName && a.Title1 == b.Title1 && a.Title2 == b.Title2 &&
                      a.ModeTag == b.ModeTag && a.Serial == b.Serial && a.Escape == b.Escape &&
                      a.Time == b.Time && a.Rain == b.Rain && a.Runoff == b.Runoff &&
                      a.Remove == b.Remove && a.MaxStor == b.MaxStor && a.InitStor == b.InitStor &&
                      a.MaxEscape == b.MaxEscape && a.InitRun == b.InitRun &&
                      a.InitLevel == b.InitLevel && a.Porosity == b.Porosity &&
                      a.NrOfData == b.NrOfData && a.Analysis == b.Analysis &&
                      a.Drainage == b.Drainage && va.A1 == vb.A1 && va.B1 == vb.B1 &&
                      va.A2 == vb.A2 && va.B2 == vb.B2 && va.Divide == vb.Divide;
    if (same)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the data module or the model values changed";
}

} // namespace quellow::test
