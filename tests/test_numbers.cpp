// Number conversions, text forms and the item reader.
#include "core/numbers.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace orv;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kMax = std::numeric_limits<double>::max();

struct ValCase {
    const char *text;
    double expected;
};

TEST(NumbersVal, LongestNumericPrefix)
{
    const std::vector<ValCase> cases = {
        {" .5", 0.5},      {" 24", 24},      {"-3", -3},        {"0.5", 0.5},
        {"1e3", 1000},     {"1D2", 100},     {"1d-2", 0.01},    {"2.5E+1", 25},
        {"abc", 0},        {"", 0},          {"12abc", 12},     {"+7", 7},
        {"-", 0},          {".", 0},         {"+.", 0},         {"-.5", -0.5},
        {"5.", 5},         {"1e", 1},        {"2E+", 2},        {"3e-x", 3},
        {"1,5", 1},        {"1 2", 1},       {"\t\n 8", 8},     {"1.2.3", 1.2},
        {"007", 7},        {"- 5", 0},       {"e5", 0},         {"1.5e2xyz", 150},
        {"0.1", 0.1},      {"-0", 0},        {"1E-400", 0},     {".000", 0},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Val(c.text), c.expected) << '"' << c.text << '"';
    }
}

TEST(NumbersVal, HugeMagnitudesStayFinite)
{
    EXPECT_EQ(Val("1e400"), kMax);
    EXPECT_EQ(Val("-1e400"), -kMax);
    EXPECT_EQ(Val("1e99999999999999999999"), kMax);
    EXPECT_EQ(Val("1e-99999999999999999999"), 0.0);
    EXPECT_EQ(Val(std::string(400, '9')), kMax);
    EXPECT_EQ(Val("0." + std::string(400, '0') + "1"), 0.0);
    // A long mantissa of zeros with a large exponent is still zero.
    EXPECT_EQ(Val("0.000e999"), 0.0);
    // Negative zero never comes out of the conversion.
    EXPECT_FALSE(std::signbit(Val("-0.0")));
}

TEST(NumbersVal, IgnoresTextAfterViewEnd)
{
    const std::string s = "12345";
    EXPECT_EQ(Val(std::string_view(s).substr(0, 2)), 12);
}

TEST(NumbersStrictVal, AcceptsOnlyOneWholeNumber)
{
    struct Case {
        const char *text;
        std::optional<double> expected;
    };
    const std::vector<Case> cases = {
        {"24", 24.0},       {"  24  ", 24.0},  {"\t-3.5\t", -3.5}, {".5", 0.5},
        {"5.", 5.0},        {"+7", 7.0},       {"1e3", 1000.0},    {"1D2", 100.0},
        {"24\r\n", 24.0},
        {"", std::nullopt}, {"   ", std::nullopt}, {"abc", std::nullopt},
        {"12abc", std::nullopt}, {"1 2", std::nullopt}, {"-", std::nullopt},
        {".", std::nullopt}, {"1e", std::nullopt}, {"1,5", std::nullopt},
        {"1.2.3", std::nullopt}, {"- 1", std::nullopt},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(StrictVal(c.text), c.expected) << '"' << c.text << '"';
    }
}

struct RoundCase {
    double x;
    int32_t expected;
};

TEST(NumbersRounding, CIntHalvesToEvenAndClamps)
{
    const std::vector<RoundCase> cases = {
        {2.5, 2},         {3.5, 4},           {-2.5, -2},          {0.5, 0},
        {1.5, 2},         {12.5, 12},         {13.5, 14},          {-0.5, 0},
        {-1.5, -2},       {2.5000001, 3},     {2.4999999, 2},      {-2.5000001, -3},
        {0.49999999999999994, 0},             {7, 7},              {-7.2, -7},
        {32766.5, 32766}, {32767.4, 32767},   {32767.5, 32767},    {40000, 32767},
        {-32768.5, -32768}, {-40000, -32768}, {kNaN, 0},           {kInf, 32767},
        {-kInf, -32768},  {1e300, 32767},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(CInt(c.x), c.expected) << c.x;
    }
}

TEST(NumbersRounding, CLngHalvesToEvenAndClamps)
{
    const std::vector<RoundCase> cases = {
        {2.5, 2},           {3.5, 4},        {-2.5, -2},    {40000.5, 40000},
        {40001.5, 40002},   {-70000.5, -70000},
        {2147483646.5, 2147483646},          {2147483647.5, 2147483647},
        {3e9, 2147483647},  {-3e9, std::numeric_limits<int32_t>::min()},
        {kNaN, 0},          {kInf, 2147483647},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(CLng(c.x), c.expected) << c.x;
    }
}

TEST(NumbersRounding, IndependentOfRoundingMode)
{
    const int saved = std::fegetround();
    for (int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        std::fesetround(mode);
        EXPECT_EQ(CInt(2.5), 2);
        EXPECT_EQ(CInt(3.5), 4);
        EXPECT_EQ(CInt(-2.5), -2);
        EXPECT_EQ(CInt(2.6), 3);
        EXPECT_EQ(CLng(-3.5), -4);
    }
    std::fesetround(saved);
}

TEST(NumbersRounding, IntRoundsDown)
{
    EXPECT_EQ(Int(2.5), 2);
    EXPECT_EQ(Int(-2.5), -3);
    EXPECT_EQ(Int(-3), -3);
    EXPECT_EQ(Int(0.999), 0);
}

struct FloatTextCase {
    float v;
    const char *plain;
    const char *sign;
};

TEST(NumbersText, SingleForms)
{
    const std::vector<FloatTextCase> cases = {
        {0.25f, "0.25", " .25"},
        {1.0f / 3, "0.3333333", " .3333333"},
        {-1.0f / 3, "-0.3333333", "-.3333333"},
        {0.1f, "0.1", " .1"},
        {24.0f, "24", " 24"},
        {-3.0f, "-3", "-3"},
        {0.5f, "0.5", " .5"},
        {0.0f, "0", " 0"},
        {-0.0f, "0", " 0"},
        {1234567.0f, "1234567", " 1234567"},
        {10000000.0f, "1E+07", " 1E+07"},
        {12345678.0f, "1.234568E+07", " 1.234568E+07"},
        {-12345678.0f, "-1.234568E+07", "-1.234568E+07"},
        {0.0001f, "0.0001", " .0001"},
        {0.00001f, "1E-05", " 1E-05"},
        {-0.00001f, "-1E-05", "-1E-05"},
        {1.5e-30f, "1.5E-30", " 1.5E-30"},
        {3.0e38f, "3E+38", " 3E+38"},
        {123.456f, "123.456", " 123.456"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(PlainText(c.v), c.plain) << c.plain;
        EXPECT_EQ(SignedText(c.v), c.sign) << c.plain;
        EXPECT_EQ(PrintText(c.v), std::string(c.sign) + ' ') << c.plain;
    }
}

struct DoubleTextCase {
    double v;
    const char *plain;
    const char *sign;
};

TEST(NumbersText, DoubleForms)
{
    const std::vector<DoubleTextCase> cases = {
        {0.25, "0.25", " .25"},
        {1.0 / 3, "0.333333333333333", " .333333333333333"},
        {0.1, "0.1", " .1"},
        {123456789012345678.0, "1.23456789012346E+17", " 1.23456789012346E+17"},
        {123456789012345.0, "123456789012345", " 123456789012345"},
        {1e15, "1E+15", " 1E+15"},
        {0.0001, "0.0001", " .0001"},
        {0.00001, "1E-05", " 1E-05"},
        {-0.0, "0", " 0"},
        {-0.75, "-0.75", "-.75"},
        {1e-300, "1E-300", " 1E-300"},
        {kMax, "1.79769313486232E+308", " 1.79769313486232E+308"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(PlainText(c.v), c.plain) << c.plain;
        EXPECT_EQ(SignedText(c.v), c.sign) << c.plain;
        EXPECT_EQ(PrintText(c.v), std::string(c.sign) + ' ') << c.plain;
    }
}

TEST(NumbersText, IntegerForms)
{
    EXPECT_EQ(PlainText(24), "24");
    EXPECT_EQ(SignedText(24), " 24");
    EXPECT_EQ(PrintText(24), " 24 ");
    EXPECT_EQ(PlainText(-3), "-3");
    EXPECT_EQ(SignedText(-3), "-3");
    EXPECT_EQ(SignedText(0), " 0");
    EXPECT_EQ(PlainText(-2147483647 - 1), "-2147483648");
}

TEST(NumbersText, NonFiniteValuesHaveDefinedText)
{
    EXPECT_EQ(PlainText(kInf), "Inf");
    EXPECT_EQ(PlainText(-kInf), "-Inf");
    EXPECT_EQ(PlainText(std::numeric_limits<float>::infinity()), "Inf");
    EXPECT_EQ(PlainText(kNaN), "NaN");
    EXPECT_EQ(SignedText(-kInf), "-Inf");
    EXPECT_EQ(SignedText(kInf), " Inf");
}

TEST(NumbersText, SignedTextReadsBackAsTheSameValue)
{
    // Text with at most 15 digits (7 for a Single) brings back a value that
    // came from a short decimal exactly, e.g. a pick or interval divided by 1000.
    for (int i = -200000; i <= 200000; i += 997) {
        const double d = i / 1000.0;
        EXPECT_EQ(Val(SignedText(d)), d) << i;
        EXPECT_EQ(StrictVal(PrintText(d / 1000)), i / 1e6) << i;
    }
    // Other values come back to within half a unit of the last digit.
    EXPECT_NEAR(Val(SignedText(1.0 / 3 / 1000)), 1.0 / 3 / 1000, 5e-19);
    for (int i = -2000; i <= 2000; i += 7) {
        // A Single nearest to a short decimal comes back exactly from seven digits.
        const float v = static_cast<float>(i / 1000.0);
        EXPECT_EQ(static_cast<float>(Val(SignedText(v))), v) << i;
        // Any other Single comes back to within half a unit of the seventh digit.
        const float w = static_cast<float>(i) * 0.0371f / 1000;
        EXPECT_NEAR(Val(SignedText(w)), w, std::fabs(w) * 5e-7) << i;
    }
}

TEST(NumbersItemReader, MixedLineEndsAsItems)
{
    TextItemReader r("A,B\r\n1 2,3\r4\n\r\r\n5");
    EXPECT_EQ(r.readText(), "A");
    EXPECT_EQ(r.readText(), "B");
    EXPECT_EQ(r.readNumber(), 1);
    EXPECT_EQ(r.readNumber(), 2);
    EXPECT_EQ(r.readNumber(), 3);
    EXPECT_EQ(r.readNumber(), 4);
    EXPECT_FALSE(r.atEnd());
    EXPECT_EQ(r.readNumber(), 5); // skips the empty lines
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(r.readNumber(), 0);
    EXPECT_EQ(r.readText(), "");
    EXPECT_EQ(r.readLine(), "");
}

TEST(NumbersItemReader, MixedLineEndsAsLines)
{
    TextItemReader r("A,B\r\n1 2,3\r4\n\r\r\n5");
    EXPECT_EQ(r.readLine(), "A,B");
    EXPECT_EQ(r.readLine(), "1 2,3");
    EXPECT_EQ(r.readLine(), "4");
    EXPECT_EQ(r.readLine(), ""); // bare CR
    EXPECT_EQ(r.readLine(), ""); // CR LF
    EXPECT_FALSE(r.atEnd());
    EXPECT_EQ(r.readLine(), "5");
    EXPECT_TRUE(r.atEnd());
}

TEST(NumbersItemReader, TextItemsEndAtCommaOrLineEnd)
{
    TextItemReader r("  NAME:  a b  , second item\r\n\r\nlast,\n  ,x\rtail");
    EXPECT_EQ(r.readText(), "NAME:  a b");
    EXPECT_EQ(r.readText(), "second item");
    EXPECT_EQ(r.readText(), ""); // the empty line
    EXPECT_EQ(r.readText(), "last");
    EXPECT_EQ(r.readText(), ""); // nothing between the comma and the LF
    EXPECT_EQ(r.readText(), ""); // blanks then a comma
    EXPECT_EQ(r.readText(), "x");
    EXPECT_EQ(r.readLine(), "tail");
    EXPECT_TRUE(r.atEnd());
}

TEST(NumbersItemReader, NumberItems)
{
    TextItemReader r("abc 12abc,\t-.5e1  ,\r\n\r\n  1.5\t2\n,7 x");
    EXPECT_EQ(r.readNumber(), 0);   // not numeric
    EXPECT_EQ(r.readNumber(), 12);  // numeric prefix
    EXPECT_EQ(r.readNumber(), -5);  // blanks and comma after the item
    EXPECT_EQ(r.readNumber(), 1.5); // line ends before the item carry no meaning
    EXPECT_EQ(r.readNumber(), 2);   // tab ends an item
    EXPECT_EQ(r.readNumber(), 0);   // empty item before the comma
    EXPECT_EQ(r.readNumber(), 7);
    EXPECT_FALSE(r.atEnd());
    EXPECT_EQ(r.readNumber(), 0);
    EXPECT_TRUE(r.atEnd());
}

TEST(NumbersItemReader, MixedItemsAndLines)
{
    TextItemReader r("HEADER line, with comma\r\n 10 , 20\r\nrest of it  \r\n");
    EXPECT_EQ(r.readLine(), "HEADER line, with comma");
    EXPECT_EQ(r.readNumber(), 10);
    EXPECT_EQ(r.readNumber(), 20);
    EXPECT_EQ(r.readLine(), "rest of it  ");
    EXPECT_TRUE(r.atEnd());
    EXPECT_EQ(r.readLine(), "");
}

TEST(NumbersItemReader, EmptyAndBlankData)
{
    TextItemReader empty("");
    EXPECT_TRUE(empty.atEnd());
    EXPECT_EQ(empty.readText(), "");
    EXPECT_EQ(empty.readNumber(), 0);
    EXPECT_EQ(empty.readLine(), "");
    TextItemReader blanks(" \t\r\n \r");
    EXPECT_TRUE(blanks.atEnd());
    EXPECT_EQ(blanks.readNumber(), 0);
    EXPECT_TRUE(blanks.atEnd());
}

} // namespace
