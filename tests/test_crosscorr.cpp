// Cross-correlation picking: worked cases, windows that give no picks, and the fast path against
// the plain sequential loop on random profiles, at every vector width and on one and two threads.
#include "picking/crosscorr.h"

#include "support/crosscorr_reference.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace orv {
namespace {

using test::CrossCrolSequential;

Array2D Profile(int nt, int ns)
{
    Array2D a;
    a.allocate(nt, ns);
    return a;
}

std::vector<float> Picks(const Array2D &pd, float nt, float ns, float tt, CrossCorrWindow w, CrossCorrRun run = {})
{
    auto p = CrossCrol(pd, nt, ns, tt, w, run);
    EXPECT_TRUE(p.has_value());
    return p ? *p : std::vector<float>{};
}

TEST(CrossCorr, WorkedCases)
{
    // Trace 2 is trace 1 delayed by 5 samples: the key window 20..40 of
    // trace 1 is found at 25 in trace 2; the last trace keeps 0.
    Array2D pd = Profile(2, 100);
    for (int s = 20; s <= 40; ++s) {
        pd(1, s) = std::sin(0.4f * s) + 0.3f;
        pd(2, s + 5) = pd(1, s);
    }
    const float tt = 50.0f;
    EXPECT_EQ(Picks(pd, 2, 100, tt, {20, 40, 1, 100}), (std::vector<float>{0, (tt / 100) * 25, 0}));

    // Equal correlations at two lag starts keep the earlier one.
    Array2D ties = Profile(2, 20);
    ties(1, 5) = 1;
    ties(2, 7) = ties(2, 12) = 2;
    EXPECT_EQ(Picks(ties, 2, 20, 20, {5, 5, 1, 20})[1], 7.0f);

    // Only negative or zero correlations: no pick.
    Array2D neg = Profile(3, 20);
    for (int s = 1; s <= 20; ++s) {
        neg(1, s) = 1;
        neg(2, s) = -1;
    }
    EXPECT_EQ(Picks(neg, 3, 20, 20, {1, 4, 1, 20}), (std::vector<float>(4, 0.0f)));
}

TEST(CrossCorr, WindowsWithoutPicksReadNothing)
{
    Array2D pd = Profile(3, 10);
    for (int t = 1; t <= 3; ++t)
        for (int s = 1; s <= 10; ++s)
            pd(t, s) = 1;
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

// Random profiles with sizes that do not fill whole vectors, small whole amplitudes (ties), sign
// changes, products that overflow or sink to subnormals, and near ties: copies of the key window a
// few units in the last place apart, where any change in how a sum is rounded moves the pick.
TEST(CrossCorr, FastPathMatchesSequentialLoopBitForBit)
{
    std::mt19937 rng(20261207);
    auto uni = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const float extremes[] = {1e30f, -1e30f, 1e-30f, -1e-30f, std::numeric_limits<float>::denorm_min(), -0.0f};
    for (int c = 0; c < 300; ++c) {
        const int nt = uni(2, 30), ns = uni(1, 200);
        Array2D pd = Profile(nt, ns);
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

TEST(CrossCorr, StoppedRunGivesNothing)
{
    Array2D pd = Profile(50, 100);
    for (int t = 1; t <= 50; ++t)
        for (int s = 1; s <= 100; ++s)
            pd(t, s) = static_cast<float>((t * s) % 7) - 3;
    int calls = 0, pairs = 0;
    CrossCorrRun run;
    run.threads = 2;
    run.progress = [&](int, int n) { return pairs = n, ++calls, false; };
    run.interval = std::chrono::milliseconds(0);
    EXPECT_FALSE(CrossCrol(pd, 50, 100, 100, {1, 50, 1, 100}, run).has_value());
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(pairs, 49);
    // Let through, the same run with a progress mark gives the plain picks.
    run.progress = [](int, int) { return true; };
    EXPECT_EQ(Picks(pd, 50, 100, 100, {1, 50, 1, 100}, run),
              CrossCrolSequential(pd, 50, 100, 100, {1, 50, 1, 100}));
}

} // namespace
} // namespace orv
