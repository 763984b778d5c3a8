#include "files/UDMQuellow.h"
#include "files/UTextFields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

using namespace quellow;

namespace {

class TextFields : public ::testing::Test
{
protected:
    void SetUp() override { ResetAllState(); }
};

TEST_F(TextFields, FixedIsRightAlignedAndWidensWhenNeeded)
{
    EXPECT_EQ(fixed(2.5, 6, 2), "  2.50");
    EXPECT_EQ(fixed(-1.234, 6, 2), " -1.23");
    EXPECT_EQ(fixed(0, 10, 5), "   0.00000");
    EXPECT_EQ(fixed(123456.789, 6, 2), "123456.79");
    EXPECT_EQ(fixed(0.125, 7, 2), "   0.12"); // binary 0.125 is a true half: to even
}

TEST_F(TextFields, SciHasFourExponentDigitsAndAtLeastTenCharacters)
{
    EXPECT_EQ(sci(0.5, 12), " 5.000E-0001");
    EXPECT_EQ(sci(0.5, 10), " 5.0E-0001");
    EXPECT_EQ(sci(0.5, 8), " 5.0E-0001");
    EXPECT_EQ(sci(0, 8), " 0.0E+0000");
    EXPECT_EQ(sci(-0.25, 10), "-2.5E-0001");
    EXPECT_EQ(sci(0.00012346, 12), " 1.235E-0004");
}

TEST_F(TextFields, E5HasThreeExponentDigitsAndAFullStop)
{
    EXPECT_EQ(e5(0.00125), "1.2500E-003");
    EXPECT_EQ(e5(-0.5), "-5.0000E-001");
    EXPECT_EQ(e5(0), "0.0000E+000");
    EXPECT_EQ(e5(2.5e-120), "2.5000E-120");
    DecimalSeparator = ',';
    EXPECT_EQ(e5(0.00125), "1.2500E-003");
}

TEST_F(TextFields, ChoiceSwitchesToScientificBelowOne)
{
    EXPECT_EQ(choice(1, 8, 2), "    1.00");
    EXPECT_EQ(choice(50, 8, 2), "   50.00");
    EXPECT_EQ(choice(0.99, 8, 2), " 9.9E-0001");
    EXPECT_EQ(choice(0, 8, 2), " 0.0E+0000");
    EXPECT_EQ(choice(-3, 10, 2), "-3.0E+0000");
    // "-0.00" pasted from a spreadsheet is a zero: no minus sign.
    EXPECT_EQ(choice(-0.0, 8, 2), " 0.0E+0000");
    EXPECT_EQ(choice(-0.0, 12, 2), " 0.000E+0000");
    EXPECT_EQ(e5(-0.0), "0.0000E+000");
    EXPECT_EQ(choice(12.5, 12, 2), "       12.50");
}

TEST_F(TextFields, FixedLocaleUsesTheLocaleSeparator)
{
    EXPECT_EQ(fixedLocale(0.35, 5, 2), " 0.35");
    DecimalSeparator = ',';
    EXPECT_EQ(fixedLocale(0.35, 5, 2), " 0,35");
}

TEST_F(TextFields, JsonTextEscapesQuotesBackslashesAndControlCharacters)
{
    EXPECT_EQ(jsonText("plain"), "\"plain\"");
    EXPECT_EQ(jsonText("C:\\a \"b\".inp"), "\"C:\\\\a \\\"b\\\".inp\"");
    EXPECT_EQ(jsonText("tab\tline\r\n"), "\"tab\\u0009line\\u000d\\u000a\"");
    // The last control character is escaped, the blank after it is not.
    EXPECT_EQ(jsonText("\x1f "), "\"\\u001f \"");
    // Bytes above 0x7f (UTF-8 names) pass through as they are.
    EXPECT_EQ(jsonText("\xc3\xa9"), "\"\xc3\xa9\"");
}

TEST_F(TextFields, ParseRealTakesOnlyFiniteNumbersWithAFullStop)
{
    double v = -1;
    EXPECT_TRUE(parseReal("+1.5", v));
    EXPECT_DOUBLE_EQ(v, 1.5);
    EXPECT_TRUE(parseReal("-2", v));
    EXPECT_DOUBLE_EQ(v, -2);
    EXPECT_TRUE(parseReal(".5", v));
    EXPECT_DOUBLE_EQ(v, 0.5);
    EXPECT_TRUE(parseReal("-.5", v));
    EXPECT_DOUBLE_EQ(v, -0.5);
    EXPECT_TRUE(parseReal("5.0E-0001", v));
    EXPECT_DOUBLE_EQ(v, 0.5);
    v = 7;
    for (const char *bad : {"nan", "NaN", "inf", "-inf", "infinity", "1e999", "1,5", "", "+", "-",
                            "2x", "++1", "0x10", "1.5.2"}) {
        EXPECT_FALSE(parseReal(bad, v)) << bad;
        EXPECT_EQ(v, 7) << bad;
    }
}

TEST_F(TextFields, ParseRealAnySeparatorTakesCommaAndPoint)
{
    double v = 0;
    EXPECT_TRUE(parseRealAnySeparator("2,5", v));
    EXPECT_DOUBLE_EQ(v, 2.5);
    EXPECT_TRUE(parseRealAnySeparator("2.5", v));
    EXPECT_DOUBLE_EQ(v, 2.5);
    EXPECT_FALSE(parseRealAnySeparator("2,5,1", v));
}

TEST_F(TextFields, ParseIntRefusesFractionsAndOverflow)
{
    int v = 0;
    EXPECT_TRUE(parseInt("+3", v));
    EXPECT_EQ(v, 3);
    EXPECT_TRUE(parseInt("-12", v));
    EXPECT_EQ(v, -12);
    EXPECT_FALSE(parseInt("1.0", v));
    EXPECT_FALSE(parseInt("99999999999", v));
    EXPECT_FALSE(parseInt("", v));
}

TEST_F(TextFields, ScannerSkipsLabelsAndReadsTokens)
{
    TLineScanner line(" Maximum dead storage:    50.00");
    line.skipChars(23);
    double v = 0;
    ASSERT_TRUE(line.readReal(v));
    EXPECT_DOUBLE_EQ(v, 50);
    EXPECT_TRUE(line.atEnd());

    TLineScanner row("    1\t 0.0E+0000   2.50 \t");
    int serial = 0;
    ASSERT_TRUE(row.readInt(serial));
    EXPECT_EQ(serial, 1);
    ASSERT_TRUE(row.readReal(v));
    EXPECT_DOUBLE_EQ(v, 0);
    ASSERT_TRUE(row.readReal(v));
    EXPECT_DOUBLE_EQ(v, 2.5);
    EXPECT_TRUE(row.atEnd());
    EXPECT_FALSE(row.readReal(v));

    TLineScanner shortLine("abc");
    shortLine.skipChars(23);
    EXPECT_EQ(shortLine.rest(), "");
    EXPECT_EQ(TLineScanner("PREDICTION drainage:").readChars(10), "PREDICTION");
}

} // namespace

namespace {

// fixed() takes a faster road than printf; both must give the same text for every value.
TEST(TextFieldsAgainstPrintf, FixedMatchesPrintfOnAWideRangeOfValues)
{
    unsigned seed = 2024;
    char expected[512];
    for (int n = 0; n < 200000; ++n) {
        seed = seed * 1103515245u + 12345u;
        const double magnitude = std::pow(10.0, static_cast<int>(seed >> 8) % 16 - 6);
        double value = (static_cast<double>(seed % 100000) / 997.0) * magnitude;
        if (seed & 1)
            value = -value;
        const int decimals = static_cast<int>((seed >> 4) % 6);
        const int width = static_cast<int>((seed >> 12) % 12);
        std::snprintf(expected, sizeof expected, "%*.*f", width, decimals, value);
        ASSERT_EQ(fixed(value, width, decimals), expected) << value;
    }
    for (const double tricky : {0.005, 0.015, 0.125, 2.675, -0.0049, -0.0, 1e300, -1e-300})
        for (int decimals = 0; decimals <= 5; ++decimals) {
            std::snprintf(expected, sizeof expected, "%*.*f", 10, decimals, tricky);
            EXPECT_EQ(fixed(tricky, 10, decimals), expected) << tricky;
        }
}

} // namespace
