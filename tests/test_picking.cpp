// Picking.
#include "picking/airwave.h"
#include "picking/crosscorr.h"
#include "picking/rules.h"
#include "support/crosscorr_reference.h"
#include "support/display_profile.h"
#include <gtest/gtest.h>
#include <cstring>
#include <limits>
#include <random>

namespace orv {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
using test::CrossCrolSequential;

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

constexpr float kSentinel = -7; // row 0 and sample 0, never written

ProfileStore WithPicks(float nTraces, const std::vector<float> &picks)
{
    ProfileStore st;
    st.NTraces = nTraces;
    st.Picks = {0};
    st.Picks.insert(st.Picks.end(), picks.begin(), picks.end());
    return st;
}

// One trace per pick, ns samples; sample s of trace t holds t * 1000 + s (only RawData allocated).
ProfileStore Loaded(int ns, float totalTime, const std::vector<float> &picks)
{
    const int nt = static_cast<int>(picks.size());
    ProfileStore st = WithPicks(static_cast<float>(nt), picks);
    st.NSamples = static_cast<float>(ns), st.TotalTime = totalTime;
    st.RawData.allocate(nt, ns);
    for (int t = 0; t <= nt; ++t)
        for (int s = 0; s <= ns; ++s)
            st.RawData(t, s) = (t == 0 || s == 0) ? kSentinel : static_cast<float>(t * 1000 + s);
    return st;
}

TEST(AirWave, PicksIncomplete)
{
    const struct { float nTraces; std::vector<float> picks; bool incomplete; } cases[] = {
        {3, {10, 12, 11}, false},
        {3, {10, 0, 11}, true},
        {3, {10, 12, 0.5f}, true},  // below 1.0 counts as missing
        {3, {1.0f, 1.0f, 1.0f}, false},
        {2, {10, kNaN}, true},
        {3, {10, 12}, true},        // the picks array ends early
        {2.5f, {10, 12, 0}, false}, // CInt(2.5) = 2; picks past it do not count
        {3.5f, {10, 12, 11, 0}, true}, // CInt(3.5) = 4
    };
    for (const auto &k : cases)
        EXPECT_EQ(PicksIncomplete(WithPicks(k.nTraces, k.picks)), k.incomplete) << "case " << (&k - cases);
}

TEST(AirWave, ReferencePick)
{
    const struct { std::vector<float> picks; float reference; } cases[] = {
        {{12, 10.5f, 11}, 10.5f},
        {{1.5f, 1.0f, 3}, 1.5f},   // 1.0 is never the reference
        {{5, 0.5f, 1.0f, 3}, 3},
        {{1.0f, 3, 2}, 1.0f},      // ... unless it is the first pick
        {{0, 5, 3}, 0},            // trace 1 unpicked: nothing is smaller
        {{5, kNaN, kInf, -kInf, 4}, 4},
        {{kInf, 5, 3}, 0},         // a non-finite first pick counts as unpicked
    };
    for (const auto &k : cases)
        EXPECT_EQ(ReferencePick(WithPicks(float(k.picks.size()), k.picks)), k.reference) << "case " << (&k - cases);
}

// Trace t moves up by ups[t - 1] samples (down if negative).
TEST(AirWave, ShiftPutsEveryPickOnTheReferenceSample)
{
    const struct { const char *what; int ns; float totalTime; std::vector<float> picks; std::vector<long> ups; } cases[] = {
        {"earliest pick first", 100, 100, {10, 12, 11}, {0, 2, 1}},
        {"trace 1 unpicked", 100, 100, {0, 5, 3.2f}, {0, 5, 3}},
        {"two samples a time unit", 200, 100, {10, 12.3f, 0}, {0, 4, 0}},
        {"picks before the reference move down", 100, 100, {5, 0.5f, 1.0f}, {0, -5, -4}},
        {"all but one sample", 10, 10, {1.5f, 10}, {0, 9}},
        {"whole trace length", 10, 10, {1.5f, 11}, {0, 10}},
        {"far past the trace", 10, 10, {1.5f, 1e30f}, {0, 1000000}},
        {"whole trace length down", 10, 10, {20, 0.5f}, {0, -20}},
        {"past the 16-bit range", 32767, 32767, {10.5f, 40000}, {0, 39990}},
        {"unpicked and non-finite picks stay", 100, 100, {10, kNaN, kInf, -kInf, -3, 12}, {0, 0, 0, 0, 0, 2}},
        {"whole samples as a picks file gives them back, 9 units under", 272, 1107, {0x1.04787ap+2f, 0x1.f8a958p+9f}, {0, 247}},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        ProfileStore st = Loaded(k.ns, k.totalTime, k.picks);
        ShiftOnPicks(st);
        for (int t = 0; t <= st.RawData.traceBound(); ++t)
            for (long s = 0; s <= k.ns; ++s) {
                const long up = t == 0 ? 0 : k.ups[static_cast<size_t>(t - 1)];
                const long from = s + up >= 1 && s + up <= k.ns ? s + up : s;
                const float want = t == 0 || s == 0 ? kSentinel : static_cast<float>(t * 1000 + from);
                if (st.RawData(t, static_cast<int>(s)) != want) {
                    ADD_FAILURE() << "trace " << t << " sample " << s << ": " << st.RawData(t, int(s))
                                  << ", expected " << want;
                    break;
                }
            }
    }
}

TEST(AirWave, ShiftWithNothingToDo)
{
    const struct { const char *what; void (*change)(ProfileStore &); } cases[] = {
        {"NSamples 0", [](ProfileStore &st) { st.NSamples = 0; }},
        {"TotalTime 0", [](ProfileStore &st) { st.TotalTime = 0; }},
        {"TotalTime NaN", [](ProfileStore &st) { st.TotalTime = kNaN; }},
        {"NSamples past RawData", [](ProfileStore &st) { st.NSamples = 101; }},
        {"NTraces past RawData", [](ProfileStore &st) { st.NTraces = 4, st.Picks.push_back(20); }},
        {"nothing loaded, picks left over", [](ProfileStore &st) { st.RawData = Array2D(); }},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        ProfileStore st = Loaded(100, 100, {10, 12, 11});
        k.change(st);
        const Array2D before = st.RawData;
        ShiftOnPicks(st);
        EXPECT_TRUE(st.RawData == before);
    }
}

std::vector<float> Picks(const Array2D &pd, float nt, float ns, float tt, CrossCorrWindow w, CrossCorrRun run = {})
{
    auto p = CrossCrol(pd, nt, ns, tt, w, run);
    EXPECT_TRUE(p.has_value());
    return p ? *p : std::vector<float>{};
}

TEST(CrossCorr, EqualCorrelationsKeepTheEarlierLag)
{
    Array2D ties = test::Filled(2, 20);
    ties(1, 5) = 1;
    ties(2, 7) = ties(2, 12) = 2;
    EXPECT_EQ(Picks(ties, 2, 20, 20, {5, 5, 1, 20})[1], 7.0f);
}

TEST(CrossCorr, WindowsWithoutPicksReadNothing)
{
    const Array2D pd = test::Filled(3, 10, [](int, int) { return 1.0f; });
    const struct { CrossCorrWindow w; const char *why; } rows[] = {
        {{0, 0, 0, 0}, "empty fields: sample 0 holds 0"},
        {{5, 4, 1, 10}, "key window ending before it starts"},
        {{1, 8, 3, 9}, "target range shorter than the key window"},
        {{1, 11, 1, 10}, "key window past the last sample"},
        {{1, 3, 1, 11}, "target range past the last sample"},
        {{-1, 3, 1, 10}, "key window before sample 0"},
        {{1, 3, -2, 10}, "target range before sample 0"},
    };
    for (const auto &r : rows)
        EXPECT_EQ(Picks(pd, 3, 10, 10, r.w), (std::vector<float>(4, 0.0f))) << r.why;
    // A profile that claims more traces than the array holds.
    EXPECT_EQ(Picks(pd, 5, 10, 10, {1, 3, 1, 10}), (std::vector<float>(6, 0.0f)));
}

// Random profiles with ties, overflows, subnormals and near ties a few ulps apart.
TEST(CrossCorr, FastPathMatchesSequentialLoopBitForBit)
{
    std::mt19937 rng(20261207);
    auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const float extremes[] = {1e30f, -1e30f, 1e-30f, -1e-30f, std::numeric_limits<float>::denorm_min(), -0.0f};
    for (int c = 0; c < 300; ++c) {
        const int nt = uni(2, 30), ns = uni(1, 200);
        Array2D pd = test::Filled(nt, ns);
        const int kind = c % 4;
        for (int t = 1; t <= nt; ++t)
            for (int s = 1; s <= ns; ++s) {
                pd(t, s) = kind == 0 ? static_cast<float>(uni(-3, 3))
                    : kind == 1      ? std::normal_distribution<float>(0, 1)(rng)
                    : uni(0, 9) == 0 ? extremes[uni(0, 5)]
                                     : std::normal_distribution<float>(0, 100)(rng);
            }
        CrossCorrWindow w;
        w.KeyFirst = static_cast<int16_t>(uni(1, ns));
        w.KeyLast = static_cast<int16_t>(uni(w.KeyFirst, std::min(ns, w.KeyFirst + 40)));
        w.TargFirst = static_cast<int16_t>(uni(1, ns));
        w.TargLast = static_cast<int16_t>(uni(w.TargFirst, ns));
        if (kind == 3) {
            const int n = w.KeyLast - w.KeyFirst + 1;
            for (int t = 2; t <= nt; ++t)
                for (int copy = 0; copy < 3; ++copy) {
                    const int at = uni(1, ns - n + 1);
                    for (int k = 0; k < n; ++k)
                        pd(t, at + k) = pd(t - 1, w.KeyFirst + k) * (1.0f + static_cast<float>(uni(-2, 2)) * 0x1p-23f);
                }
        }
        const float tt = std::uniform_real_distribution<float>(1, 500)(rng);
        const std::vector<float> want = CrossCrolSequential(pd, nt, ns, tt, w);
        for (int lanes : {4, 8, 16})
            for (unsigned threads : {1u, 2u}) {
                const std::vector<float> got = Picks(pd, nt, ns, tt, w, {threads, lanes, {}, {}});
                ASSERT_EQ(got.size(), want.size());
                ASSERT_EQ(std::memcmp(got.data(), want.data(), want.size() * sizeof(float)), 0)
                    << "case " << c << ", " << lanes << " lanes, " << threads << " threads";
            }
    }
}

} // namespace
} // namespace orv
