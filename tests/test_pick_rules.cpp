// The four pick rules searched over a window of one trace.
#include "picking/rules.h"

#include <gtest/gtest.h>

#include <limits>

using namespace orv;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kP = 77.5f; // the pointer's position, returned when a rule finds nothing

// Samples 1..N of a trace; index 0 holds a value that would show if it were read as a sample.
std::vector<float> Trace(std::initializer_list<float> samples)
{
    std::vector<float> v{-1e9f};
    v.insert(v.end(), samples);
    return v;
}

TEST(PickRuleSearch, Rules)
{
    const auto t = Trace({-1, 1, -1, 1});
    // Larger values just outside the window must not count; ties keep the first.
    const struct { const char *what; std::vector<float> trace; int16_t S1, S2, mode; float expected; } cases[] = {
        {"max tie", Trace({9, 0.5f, 2, 2, 1, 9}), 2, 5, PickMax, 3},
        {"max at S1", Trace({9, 3, 1, 2, 9}), 2, 4, PickMax, 2},
        {"min", Trace({-9, 3, 1, 2, -9}), 2, 4, PickMin, 3},
        {"max at S2", Trace({1, 2, 3}), 1, 3, PickMax, 3},
        {"NaN at S1 stays", Trace({kNaN, 5, 6}), 1, 3, PickMax, 1},
        // v(9) = -3, v(10) = 1: 9 + 3/4.
        {"up, interpolated", Trace({5, 5, 5, 5, 5, 5, 5, 5, -3, 1, 2, 2}), 5, 12, PickZeroUp, 9.75f},
        {"down, interpolated", Trace({-5, -5, -5, -5, -5, -5, -5, -5, 3, -1, -2, -2}), 5, 12, PickZeroDown, 9.75f},
        {"up, landing on a zero sample", Trace({-4, -2, 0, 5}), 1, 4, PickZeroUp, 3},
        {"down, leaving a zero sample", Trace({-1, 0, -2}), 1, 3, PickZeroDown, 2},
        {"first crossing wins", Trace({-1, 1, -1, 1}), 1, 4, PickZeroUp, 1.5f},
        // Each step of 0.1 / (0.1 + 0.6) rounded to single; rounding only the sum gives 0x1.24924ap+0.
        {"down, single precision", Trace({0.1f, -0.6f}), 1, 2, PickZeroDown, 0x1.249248p+0f},
        // Two exact zeros: rule 1 gives the trace's first sample, rule 2 the first of the two.
        {"up, run of zeros", Trace({5, 5, 5, 0, 0, 0, -1, 1}), 4, 8, PickZeroUp, 1},
        {"down, pair of zeros", Trace({3, -1, 0, 0, -2}), 2, 5, PickZeroDown, 3},
        // Nothing found, or nothing to search: the pointer's position.
        {"up, all positive", Trace({1, 2, 3, 4}), 1, 4, PickZeroUp, kP},
        {"up, crossing at S1 - 1 .. S1", Trace({-1, 1, 2, 3}), 2, 4, PickZeroUp, kP},
        {"up, crossing just past S2", Trace({1, 2, -1, 1}), 1, 3, PickZeroUp, kP},
        {"rule 0", t, 1, 4, 0, kP},
        {"rule 5", t, 1, 4, 5, kP},
        {"empty window", t, 3, 2, PickMax, kP},
        {"S1 on index 0", t, 0, 4, PickMax, kP},
        {"S2 past the trace", t, 1, 5, PickMin, kP},
    };
    for (const auto &k : cases)
        EXPECT_EQ(PickRuleSearch(k.trace, k.S1, k.S2, k.mode, kP), k.expected) << k.what;
}

TEST(PickRuleSearch, ResultIsFiniteWhateverTheSamples)
{
    const float odd[] = {kNaN, kInf, -kInf, 0, -0.0f, 1, -1, std::numeric_limits<float>::denorm_min(),
                         std::numeric_limits<float>::max(), -std::numeric_limits<float>::max()};
    // Every ordered pair of the values above as neighbouring samples.
    std::vector<float> t{0};
    for (float a : odd)
        for (float b : odd)
            t.insert(t.end(), {a, b});
    for (int16_t mode = 1; mode <= 4; ++mode)
        for (size_t i = 1; i + 1 < t.size(); i += 2) {
            const auto s1 = static_cast<int16_t>(i);
            const float r = PickRuleSearch(t, s1, static_cast<int16_t>(s1 + 1), mode, kP);
            EXPECT_TRUE(r == kP || r == 1 || (r >= s1 && r <= s1 + 1))
                << "rule " << mode << " on " << t[i] << ", " << t[i + 1] << " gave " << r;
        }
}

} // namespace
