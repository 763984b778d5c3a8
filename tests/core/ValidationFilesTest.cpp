// The data a validation hands to the program that draws its pictures: read back to the last
// bit, with every file name as it was, and refused when cut short.
#include "calibration/UValidationFiles.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace quellow;

namespace {

UValidation::TValidation sample()
{
    UValidation::TValidation v;
    v.CalFile = "/tmp/a b/cal 1991.inp";
    v.ValFile = "val.inp";
    v.Objective = UCalibration::TObjective::KGE;
    v.Calibrated = true;
    v.Warmup = 3;
    v.Rows = 8;
    for (int k = 0; k < 12; ++k) {
        v.Time.push_back(k * 24);
        v.Rain.push_back(k % 4 ? 0 : 12.7);
        v.Measured.push_back(0.1 + k / 3.0);
        v.Simulated.push_back(1e-300 + k * 0.7071067811865476);
    }
    v.Band.Made = true;
    v.Band.Low = v.Simulated;
    v.Band.High = v.Measured;
    UCalibration::TEvaluatedSet good, stopped;
    good.Parameters = {412.123456789, 0.1, 1.25};
    good.Evaluation.Stopped = false;
    good.Evaluation.VolumeRatio = 1;
    good.Evaluation.Simulation.Made = true;
    good.Evaluation.Simulation.Skill.Valid = true;
    good.Evaluation.Simulation.Skill.Fit.KGE = -0.123456789012345;
    good.Scan = true;
    stopped.Parameters = {9, 9, 9};
    v.Evaluated = {good, stopped, good};
    v.Evaluated[2].Scan = false;
    return v;
}

} // namespace

TEST(ValidationFiles, PictureDataReadsBackExactly)
{
    const UValidation::TValidation v = sample();
    UValidation::TValidation back;
    std::vector<UValidationFiles::TDot> dots;
    ASSERT_TRUE(UValidationFiles::ReadPictureData(UValidationFiles::PictureData(v), back, dots));
    EXPECT_EQ(back.CalFile, v.CalFile);
    EXPECT_EQ(back.ValFile, v.ValFile);
    EXPECT_EQ(back.Objective, v.Objective);
    EXPECT_TRUE(back.Calibrated);
    EXPECT_EQ(back.Warmup, 3);
    EXPECT_EQ(back.Rows, 8);
    EXPECT_EQ(back.Time, v.Time);
    EXPECT_EQ(back.Rain, v.Rain);
    EXPECT_EQ(back.Measured, v.Measured);
    EXPECT_EQ(back.Simulated, v.Simulated);
    EXPECT_EQ(back.Band.Low, v.Band.Low);
    EXPECT_EQ(back.Band.High, v.Band.High);
    // The stopped set is no dot; the others keep their objective and where they came from.
    ASSERT_EQ(dots.size(), 2u);
    EXPECT_EQ(dots[0].MaxStor, 412.123456789);
    EXPECT_EQ(dots[0].Objective, -0.123456789012345);
    EXPECT_TRUE(dots[0].Scan);
    EXPECT_FALSE(dots[1].Scan);
}

TEST(ValidationFiles, CutShortOrForeignDataDoNotRead)
{
    const std::string text = UValidationFiles::PictureData(sample());
    UValidation::TValidation back;
    std::vector<UValidationFiles::TDot> dots;
    EXPECT_FALSE(UValidationFiles::ReadPictureData(text.substr(0, text.size() - 10), back, dots));
    EXPECT_FALSE(UValidationFiles::ReadPictureData("time,rain\r\n1,2\r\n", back, dots));
    EXPECT_FALSE(UValidationFiles::ReadPictureData("", back, dots));
}

TEST(ValidationFiles, NamesFollowTheValidationFile)
{
    EXPECT_EQ(UValidationFiles::SeriesName("out", "data/gr4j-1992.inp"),
              "out/gr4j-1992-validation.csv");
    EXPECT_EQ(UValidationFiles::PictureFileName("out", "data/gr4j-1992.inp",
                                                UValidationFiles::TPicture::MaxStor),
              "out/gr4j-1992-validation-MaxStor.png");
    EXPECT_EQ(UValidationFiles::Pictures(false).size(), 2u);
    EXPECT_EQ(UValidationFiles::Pictures(true).size(), 5u);
}

// The mean benchmark's NSE is zero up to rounding, often a little below: the tables show 0.000.
TEST(ValidationFiles, AFigureThatRoundsToZeroHasNoMinusSign)
{
    EXPECT_EQ(UValidationFiles::FigureText(true, -1e-17), "0.000");
    EXPECT_EQ(UValidationFiles::FigureText(true, -0.0004), "0.000");
    EXPECT_EQ(UValidationFiles::FigureText(true, -0.0005), "-0.001");
    EXPECT_EQ(UValidationFiles::FigureText(true, -15.25, "%.2f"), "-15.25");
    EXPECT_EQ(UValidationFiles::FigureText(false, 1), "-");
}
