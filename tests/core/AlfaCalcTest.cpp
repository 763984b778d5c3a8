#include "runs/UAlfaCalc.h"
#include "files/UDMQuellow.h"
#include "files/UTextFields.h"
#include "tests/support/TRecordingPrompts.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

namespace quellow {
namespace {

using namespace UAlfaCalc;

class AlfaCalcTest : public ::testing::Test
{
protected:
    void SetUp() override { ResetAllState(); }

    /// Enters all six values through the exit checks, as leaving each box does.
    static void Enter(const std::array<double, InputCount> &values)
    {
        for (int i = 0; i < InputCount; ++i)
            ASSERT_TRUE(exitCheck(static_cast<TInput>(i), values[i]).Accepted) << "input " << i;
    }
};

TEST_F(AlfaCalcTest, DeepLayerUsesTheSeriesBranch)
{
    Enter({1, 1, 5, 1, 10, 20});
    std::string message;
    ASSERT_TRUE(calculate(message));
    EXPECT_EQ(message,
              "The calculations were done and the values are entered in the input tabsheet.");
    EXPECT_NEAR(State.X, 1.571, 1e-12);
    EXPECT_NEAR(State.F, 0.18069352, 1e-7);
    EXPECT_NEAR(State.EqDepth, 2.4729052, 1e-6);
    EXPECT_NEAR(State.A, 0.1, 1e-12);
    EXPECT_NEAR(State.B, 0.49458105, 1e-7);
    EXPECT_EQ(aText(), " 0.100");
    EXPECT_EQ(bText(), " 0.495");
    EXPECT_EQ(porosityText(), " 10.0");
    EXPECT_EQ(DMQuellow.Porosity, 10.0);
    EXPECT_TRUE(DMQuellow.Drainage);
}

TEST_F(AlfaCalcTest, ShallowLayerUsesTheLogarithmicBranch)
{
    Enter({0.5, 0.5, 1, 0.5, 5, 30});
    std::string message;
    ASSERT_TRUE(calculate(message));
    EXPECT_NEAR(State.X, 0.20946667, 1e-7);
    EXPECT_NEAR(State.F, 8.3813026, 1e-6);
    EXPECT_NEAR(State.EqDepth, 0.94443998, 1e-7);
    EXPECT_EQ(aText(), " 0.044");
    EXPECT_EQ(bText(), " 0.084");
    EXPECT_EQ(porosityText(), "  5.0");
    EXPECT_EQ(DMQuellow.Porosity, 5.0);
}

TEST_F(AlfaCalcTest, TextsFollowTheLocaleSeparator)
{
    Enter({1, 1, 5, 1, 10, 20});
    std::string message;
    ASSERT_TRUE(calculate(message));
    DecimalSeparator = ',';
    EXPECT_EQ(aText(), " 0,100");
    EXPECT_EQ(porosityText(), " 10,0");
}

// ---- Refusals of "Calculate" -------------------------------------------------------------

struct TRefusal
{
    const char *name;
    std::array<double, InputCount> values;
};

class AlfaCalcRefusalTest : public AlfaCalcTest, public ::testing::WithParamInterface<TRefusal>
{
};

TEST_P(AlfaCalcRefusalTest, ChangesNothing)
{
    // A previous good calculation stays as it was.
    Enter({1, 1, 5, 1, 10, 20});
    std::string message;
    ASSERT_TRUE(calculate(message));
    DMQuellow.Drainage = false;
    DMQuellow.Porosity = 7;

    for (int i = 0; i < InputCount; ++i)
        exitCheck(static_cast<TInput>(i), GetParam().values[i]);
    EXPECT_FALSE(calculate(message));
    EXPECT_EQ(message, "One or more data values are incorrect");
    EXPECT_NEAR(State.A, 0.1, 1e-12);
    EXPECT_NEAR(State.B, 0.49458105, 1e-7);
    EXPECT_EQ(DMQuellow.Porosity, 7);
    EXPECT_FALSE(DMQuellow.Drainage);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, AlfaCalcRefusalTest,
    ::testing::Values(
        // values the box checks let through but the calculation does not accept
        TRefusal{"P30", {1, 1, 5, 1, 30, 20}}, TRefusal{"P1", {1, 1, 5, 1, 1, 20}},
        TRefusal{"KaZero", {0, 1, 5, 1, 10, 20}}, TRefusal{"KbZero", {1, 0, 5, 1, 10, 20}},
        // rejected by a box check and never corrected
        TRefusal{"PAbove30", {1, 1, 5, 1, 45, 20}}, TRefusal{"LNegative", {1, 1, 5, 1, 10, -3}},
        // a perimeter wider than the spacing: ln(L/U) + F < 0 would give a negative B
        TRefusal{"PerimeterWiderThanSpacing", {1, 1, 5, 30, 10, 20}},
        // spacing so small that A overflows
        TRefusal{"SpacingUnderflows", {1, 1, 1e-300, 1e-300, 10, 1e-170}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(AlfaCalcTest, NothingEnteredIsRefused)
{
    std::string message;
    EXPECT_FALSE(calculate(message));
    EXPECT_EQ(message, "One or more data values are incorrect");
}

TEST_F(AlfaCalcTest, ClearResultsZeroesAAndB)
{
    Enter({1, 1, 5, 1, 10, 20});
    std::string message;
    ASSERT_TRUE(calculate(message));
    ClearResults();
    EXPECT_EQ(State.A, 0);
    EXPECT_EQ(State.B, 0);
}

// ---- The exit checks -----------------------------------------------------------------------

struct TExitRow
{
    const char *name;
    TInput input;
    double value;
    const char *message; ///< empty: accepted
    double stored;       ///< the value held afterwards
};

class AlfaExitCheckTest : public AlfaCalcTest, public ::testing::WithParamInterface<TExitRow>
{
};

TEST_P(AlfaExitCheckTest, RejectsWithItsMessage)
{
    const TExitRow &row = GetParam();
    State.Value[row.input] = 99; // an earlier value
    const TExitResult result = exitCheck(row.input, row.value);
    EXPECT_EQ(result.Accepted, std::string(row.message).empty());
    EXPECT_EQ(result.Message, row.message);
    EXPECT_EQ(State.Value[row.input], row.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AlfaExitCheckTest,
    ::testing::Values(TExitRow{"KaNegative", Ka, -1, "Ka should be greater than zero", 0},
                      TExitRow{"KaZeroPasses", Ka, 0, "", 0},
                      TExitRow{"KbNegative", Kb, -0.5, "Kb should be greater than zero", 0},
                      TExitRow{"KbZeroPasses", Kb, 0, "", 0},
                      TExitRow{"DZero", D, 0, "D should be greater than zero", 0},
                      TExitRow{"DNegative", D, -2, "D should be greater than zero", 0},
                      TExitRow{"UZero", U, 0, "U should be greater than zero", 0},
                      TExitRow{"PZero", P, 0, "P should be greater than zero", 0},
                      TExitRow{"PNegative", P, -4, "P should be greater than zero", -4},
                      TExitRow{"PBelowOne", P, 0.5, "P should be greater than 1%", 0.5},
                      TExitRow{"POnePasses", P, 1, "", 1}, TExitRow{"PThirtyPasses", P, 30, "", 30},
                      TExitRow{"PAboveThirty", P, 30.5, "P should be less than 30%", 30.5},
                      TExitRow{"LZero", L, 0, "L should be greater than zero", 0},
                      TExitRow{"LNegative", L, -20, "L should be greater than zero", -20},
                      TExitRow{"LPasses", L, 20, "", 20}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(AlfaCalcTest, AcceptedValueUpdatesInputsValid)
{
    Enter({1, 1, 5, 1, 10, 20});
    EXPECT_TRUE(State.InputsValid);
    exitCheck(P, 30); // passes the box check, not the calculation's
    EXPECT_FALSE(State.InputsValid);
    exitCheck(P, 12);
    EXPECT_TRUE(State.InputsValid);
    // A rejected value leaves InputsValid as the last accepted value left it.
    exitCheck(P, 50);
    EXPECT_TRUE(State.InputsValid);
}

TEST_F(AlfaCalcTest, ReadNumberTakesEitherSeparator)
{
    double value = -1;
    EXPECT_TRUE(ReadNumber("2.5", value));
    EXPECT_EQ(value, 2.5);
    EXPECT_TRUE(ReadNumber(" 2,25 ", value));
    EXPECT_EQ(value, 2.25);
    DecimalSeparator = ',';
    EXPECT_TRUE(ReadNumber("0.75", value));
    EXPECT_EQ(value, 0.75);
    EXPECT_EQ(DecimalSeparator, ',');
    for (const char *bad : {"", "abc", "1,000.5", "nan", "inf", "1e999", "5 m"}) {
        value = 7;
        EXPECT_FALSE(ReadNumber(bad, value)) << bad;
        EXPECT_EQ(value, 7) << bad;
    }
    EXPECT_EQ(conversionMessage("abc"), "'abc' is not a valid floating point value");
}

// ---- quellow-cli alfa ----------------------------------------------------------------------

test::TShellResult RunCli(const std::string &arguments)
{
    return test::RunShell(std::string(QUELLOW_CLI) + " alfa " + arguments + " 2>&1");
}

TEST(AlfaCliTest, PrintsTheTextsTheWindowShows)
{
    const test::TShellResult ok = RunCli("1 1 5 1 10 20");
    EXPECT_EQ(ok.Status, 0);
    EXPECT_EQ(ok.Out, "A =  0.100\nB =  0.495\nDrainable porosity (%) =  10.0\n");

    const test::TShellResult comma = RunCli("0,5 0,5 1 0,5 5 30");
    EXPECT_EQ(comma.Status, 0);
    EXPECT_EQ(comma.Out, "A =  0.044\nB =  0.084\nDrainable porosity (%) =   5.0\n");
}

TEST(AlfaCliTest, ReportsTheMessageAndFails)
{
    EXPECT_EQ(RunCli("1 1 5 1 30 20").Out, "One or more data values are incorrect\n");
    const test::TShellResult rejected = RunCli("1 1 5 1 0.5 20");
    EXPECT_EQ(rejected.Status, 1);
    EXPECT_EQ(rejected.Out, "P should be greater than 1%\n");
    EXPECT_EQ(RunCli("1 1 five 1 10 20").Out, "'five' is not a valid floating point value\n");
    EXPECT_EQ(RunCli("1 1 5").Status, 2);
}

} // namespace
} // namespace quellow
