// Number conversions, text forms and the item reader.
#include "core/numbers.h"
#include <gtest/gtest.h>
#include <cfenv>
#include <cmath>
#include <limits>

using namespace orv;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kMax = std::numeric_limits<double>::max();

TEST(NumbersVal, LenientAndStrictConversion)
{
    const struct { std::string text; double lenient; std::optional<double> strict; } cases[] = {
        {" .5", 0.5, 0.5},    {"\t-3.5\r\n", -3.5, -3.5}, {"+7", 7, 7},         {"5.", 5, 5},
        {"1D2", 100, 100},    {"1d-2", 0.01, 0.01},       {"2.5E+1", 25, 25},   {"  ", 0, {}},
        {"abc", 0, {}},       {"12abc", 12, {}},          {"1 2", 1, {}},       {"1.2.3", 1.2, {}},
        {"-", 0, {}},         {"- 5", 0, {}},             {"e5", 0, {}},        {"1e", 1, {}},
        {"3e-x", 3, {}},      {"1E-400", 0, 0},           {"-1e400", -kMax, -kMax},
        {"1e99999999999999999999", kMax, kMax},           {std::string(400, '9'), kMax, kMax},
        {"0.000e999", 0, 0},  {"0." + std::string(400, '0') + "1", 0, 0},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Val(c.text), c.lenient) << '"' << c.text << '"';
        EXPECT_EQ(StrictVal(c.text), c.strict) << '"' << c.text << '"';
    }
    EXPECT_FALSE(std::signbit(Val("-0.0")));
    EXPECT_EQ(Val(std::string_view("12345").substr(0, 2)), 12); // nothing past the view's end
}

TEST(NumbersRounding, HalvesToEvenAndClampsInEveryRoundingMode)
{
    const struct { double x; int16_t cint; int32_t clng; double floor; } cases[] = {
        {2.5, 2, 2, 2},       {3.5, 4, 4, 3},       {-2.5, -2, -2, -3},     {-1.5, -2, -2, -2},   {2.6, 3, 3, 2},
        {-3.5, -4, -4, -4},   {-3, -3, -3, -3},     {2.5000001, 3, 3, 2},   {-2.5000001, -3, -3, -3},
        {0.49999999999999994, 0, 0, 0}, {32767.5, 32767, 32768, 32767}, {-32768.5, -32768, -32768, -32769},
        {40001.5, 32767, 40002, 40001}, {2147483647.5, 32767, 2147483647, 2147483647},
        {-3e9, -32768, std::numeric_limits<int32_t>::min(), -3e9}, {kNaN, 0, 0, kNaN},
        {kInf, 32767, 2147483647, kInf}, {-kInf, -32768, std::numeric_limits<int32_t>::min(), -kInf},
    };
    const int saved = std::fegetround();
    for (int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        std::fesetround(mode);
        for (const auto &c : cases) {
            EXPECT_EQ(CInt(c.x), c.cint) << c.x << " mode " << mode;
            EXPECT_EQ(CLng(c.x), c.clng) << c.x << " mode " << mode;
            EXPECT_TRUE(Int(c.x) == c.floor || (std::isnan(c.floor) && std::isnan(Int(c.x)))) << c.x << " mode " << mode;
        }
    }
    std::fesetround(saved);
}

TEST(NumbersText, PlainSignedAndPrintForms)
{
    // `single`: the value goes in as a Single (7 digits), else as a Double (15).
    const struct { double v; bool single; const char *plain, *sign; } cases[] = {
        {0.25, true, "0.25", " .25"}, {1.0 / 3, true, "0.3333333", " .3333333"},
        {-0.0, true, "0", " 0"}, {1234567, true, "1234567", " 1234567"},
        {10000000, true, "1E+07", " 1E+07"}, {-12345678, true, "-1.234568E+07", "-1.234568E+07"},
        {0.0001, true, "0.0001", " .0001"}, {0.00001, true, "1E-05", " 1E-05"},
        {1.0 / 3, false, "0.333333333333333", " .333333333333333"},
        {123456789012345.0, false, "123456789012345", " 123456789012345"}, {1e15, false, "1E+15", " 1E+15"},
        {123456789012345678.0, false, "1.23456789012346E+17", " 1.23456789012346E+17"},
        {kMax, false, "1.79769313486232E+308", " 1.79769313486232E+308"},
    };
    for (const auto &c : cases) {
        const float f = static_cast<float>(c.v);
        EXPECT_EQ(c.single ? PlainText(f) : PlainText(c.v), c.plain);
        EXPECT_EQ(c.single ? SignedText(f) : SignedText(c.v), c.sign) << c.plain;
        EXPECT_EQ(c.single ? PrintText(f) : PrintText(c.v), std::string(c.sign) + ' ') << c.plain;
    }
    EXPECT_EQ(SignedText(24) + PrintText(-3) + PlainText(-2147483647 - 1), " 24-3 -2147483648");
    EXPECT_EQ(PlainText(kNaN) + SignedText(kInf) + SignedText(-std::numeric_limits<float>::infinity()), "NaN Inf-Inf");
}

TEST(NumbersItemReader, LinesAndItems)
{
    // CR LF, bare CR, LF and empty lines; nothing past the end.
    TextItemReader lines("A,B\r\n1 2,3\r4\n\r\r\n5");
    for (const char *want : {"A,B", "1 2,3", "4", "", "", "5"})
        EXPECT_EQ(lines.readLine(), want);
    EXPECT_TRUE(lines.atEnd());
    EXPECT_EQ(lines.readLine() + lines.readText(), "");
    EXPECT_EQ(lines.readNumber(), 0);
    EXPECT_TRUE(TextItemReader(" \t\r\n \r").atEnd());

    TextItemReader t("  NAME:  a b  , second item\r\n\r\nlast,\n  ,x\rtail");
    for (const char *want : {"NAME:  a b", "second item", "", "last", "", "", "x"})
        EXPECT_EQ(t.readText(), want);
    EXPECT_EQ(t.readLine(), "tail");
    EXPECT_TRUE(t.atEnd());

    // Not numeric, numeric prefix, comma after blanks, line ends before an item, a tab, an empty item.
    TextItemReader n("abc 12abc,\t-.5e1  ,\r\n\r\n  1.5\t2\n,7 x");
    for (double want : {0.0, 12.0, -5.0, 1.5, 2.0, 0.0, 7.0, 0.0})
        EXPECT_EQ(n.readNumber(), want);
    EXPECT_TRUE(n.atEnd());
}

} // namespace
