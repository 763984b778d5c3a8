// Where a calibration result stands against the limits of its search, the line about the escape
// factors applied before, and the title of an imported sheet.
#include "calibration/UCalibrationEdges.h"
#include "import/USheetTitle.h"

#include <gtest/gtest.h>

namespace quellow::UCalibration {
namespace {

TEvaluation fitWithVolume(double ratio)
{
    TEvaluation fit;
    fit.Stopped = false;
    fit.VolumeRatio = ratio;
    return fit;
}

TEST(CalibrationEdges, EachLimitOfTheSearchIsMarkedAndOnlyThose)
{
    using E = TEdge;
    const TEvaluation inside = fitWithVolume(1);
    EXPECT_EQ(EdgesOf({50, 25, 1}, inside), std::vector<E>{});
    // A wet start (initial storage at the maximum) is plausible, not an edge.
    EXPECT_EQ(EdgesOf({80, 80, 0.8}, inside), std::vector<E>{});
    EXPECT_EQ(EdgesOf({1, 0.5, 1}, inside), std::vector<E>{E::MaxStorLow});
    EXPECT_EQ(EdgesOf({1.005, 0.5, 1}, inside), std::vector<E>{E::MaxStorLow});
    EXPECT_EQ(EdgesOf({1.02, 0.5, 1}, inside), std::vector<E>{});
    EXPECT_EQ(EdgesOf({500, 10, 1}, inside), std::vector<E>{E::MaxStorHigh});
    EXPECT_EQ(EdgesOf({50, 10, 0}, inside), std::vector<E>{E::FactorLow});
    EXPECT_EQ(EdgesOf({50, 10, 2.98}, inside), std::vector<E>{E::FactorHigh});
    EXPECT_EQ(EdgesOf({50, 10, 2.9}, inside), std::vector<E>{});
    // The public dry-season example calibrates to a volume ratio of 0.5019: the guard binds.
    EXPECT_EQ(EdgesOf({59.43, 46.03, 0.558}, fitWithVolume(0.5019)), std::vector<E>{E::VolumeLow});
    EXPECT_EQ(EdgesOf({59.43, 46.03, 0.558}, fitWithVolume(0.51)), std::vector<E>{});
    EXPECT_EQ(EdgesOf({500, 500, 3}, fitWithVolume(2)),
              (std::vector<E>{E::MaxStorHigh, E::FactorHigh, E::VolumeHigh}));
    TEvaluation stopped = fitWithVolume(0.5);
    stopped.Stopped = true;
    EXPECT_EQ(EdgesOf({50, 25, 1}, stopped), std::vector<E>{});
    EXPECT_EQ(EdgeText(E::MaxStorLow),
              "The maximum storage stopped at the smallest value searched (1 mm).");
}

TEST(CalibrationEdges, FactorHistoryTellsEarlierAppliesAndATotalTooHighOrTooLow)
{
    EXPECT_EQ(FactorHistoryText(1, 0.8), "");
    EXPECT_EQ(FactorHistoryText(1, 1.6),
              "A total above x 1.5 takes far more water out than the escape rates of the series: "
              "check the rain, the area and the unit.");
    // The case seen: x 2.568, then x 2.993 on top.
    EXPECT_EQ(FactorHistoryText(2.568, 2.993),
              "The escape rates were already scaled by an earlier Apply (x 2.568); with this "
              "factor the total since the sheet was filled is x 7.686. A total above x 1.5 takes "
              "far more water out than the escape rates of the series: check the rain, the area "
              "and the unit.");
    EXPECT_EQ(FactorHistoryText(0.5, 1.2),
              "The escape rates were already scaled by an earlier Apply (x 0.500); with this "
              "factor the total since the sheet was filled is x 0.600.");
    // Too little escape is questioned as too much is: the case seen, x 0.039.
    EXPECT_EQ(FactorHistoryText(1, 0.3), "");
    EXPECT_EQ(FactorHistoryText(1, 0.039),
              "A total below x 0.3 takes far less water out than the escape rates of the series: "
              "check the escape rates (their unit, or a potential evaporation far above what the "
              "catchment loses), the runoff and the area.");
    EXPECT_NE(FactorHistoryText(0.5, 0.5).find("is x 0.250. A total below x 0.3"),
              std::string::npos);
}

TEST(SheetTitle, AnImportedTitleNamesSourceFirstDateAndFactors)
{
    EXPECT_EQ(USheetTitle::ImportedTitle("gauge.csv", "01.11.2015", "days", {1, 1, 1, 1}, true),
              "Imported from gauge.csv, first date 01.11.2015; time in days; units as in the file");
    EXPECT_EQ(
        USheetTitle::ImportedTitle("gauge.csv", "2015-11-01", "days", {1, 1, 1, 0.0484576}, true),
        "Imported from gauge.csv, first date 2015-11-01; time in days; runoff x 0.0484576, "
        "rain and escape rate as in the file");
    EXPECT_EQ(USheetTitle::ImportedTitle("r.txt", "", "hours", {1, 2, 0.5, 3}, false),
              "Imported from r.txt; time in hours; rain x 2, escape rate x 0.5");
}

} // namespace
} // namespace quellow::UCalibration
