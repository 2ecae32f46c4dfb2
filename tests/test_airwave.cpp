// Aligning a profile on its picks: missing picks, the reference pick and the
// shift of RawData.
#include "picking/airwave.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

using namespace orv;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kSentinel = -7; // row 0 and sample 0, never written

// nt traces of ns samples; sample s of trace t holds t * 1000 + s. Only
// RawData is allocated: the shift needs nothing else.
ProfileStore Loaded(int nt, int ns, float totalTime, const std::vector<float> &picks)
{
    ProfileStore st;
    st.NTraces = static_cast<float>(nt);
    st.NSamples = static_cast<float>(ns);
    st.TotalTime = totalTime;
    st.RawData.allocate(nt, ns);
    for (int t = 0; t <= nt; ++t)
        for (int s = 0; s <= ns; ++s)
            st.RawData(t, s) = (t == 0 || s == 0) ? kSentinel : static_cast<float>(t * 1000 + s);
    st.Picks = {0};
    st.Picks.insert(st.Picks.end(), picks.begin(), picks.end());
    return st;
}

std::vector<float> Row(const ProfileStore &st, int t)
{
    const float *r = st.RawData.row(t);
    return {r, r + st.RawData.sampleBound() + 1};
}

// Samples 1..ns of `row` moved up by `up` samples (down for a negative
// value): sample k takes sample k + up where that is a sample, and keeps its
// value otherwise.
std::vector<float> Moved(const std::vector<float> &row, long up)
{
    const long ns = static_cast<long>(row.size()) - 1;
    std::vector<float> out = row;
    for (long k = 1; k <= ns; ++k)
        if (k + up >= 1 && k + up <= ns)
            out[static_cast<size_t>(k)] = row[static_cast<size_t>(k + up)];
    return out;
}

// Every row of RawData, row 0 included, against the original moved by
// ups[t - 1]; reports the first wrong sample of each row.
void ExpectMoved(const ProfileStore &st, const std::vector<long> &ups)
{
    const ProfileStore orig = Loaded(st.RawData.traceBound(), st.RawData.sampleBound(), 0, {});
    for (int t = 0; t <= st.RawData.traceBound(); ++t) {
        const auto got = Row(st, t);
        const auto want = t == 0 ? Row(orig, 0) : Moved(Row(orig, t), ups[static_cast<size_t>(t - 1)]);
        const auto [g, w] = std::mismatch(got.begin(), got.end(), want.begin());
        if (g != got.end())
            ADD_FAILURE() << "trace " << t << " sample " << (g - got.begin()) << ": " << *g << ", expected " << *w;
    }
}

TEST(AirWave, PicksIncomplete)
{
    const struct { float nTraces; std::vector<float> picks; bool incomplete; } cases[] = {
        {3, {10, 12, 11}, false},
        {3, {10, 0, 11}, true},
        {3, {10, 12, 0.5f}, true},  // below 1.0 counts as missing
        {3, {1.0f, 1.0f, 1.0f}, false},
        {3, {-4, 12, 11}, true},
        {2, {10, kNaN}, true},
        {2, {kInf, 10}, true},
        {3, {10, 12}, true},        // the picks array ends early
        {2.5f, {10, 12, 0}, false}, // CInt(2.5) = 2; picks past it do not count
        {3.5f, {10, 12, 11, 0}, true}, // CInt(3.5) = 4
        {0, {}, false},
    };
    for (const auto &k : cases) {
        ProfileStore st;
        st.NTraces = k.nTraces;
        st.Picks = {0};
        st.Picks.insert(st.Picks.end(), k.picks.begin(), k.picks.end());
        EXPECT_EQ(PicksIncomplete(st), k.incomplete) << "case " << (&k - cases);
    }
}

TEST(AirWave, ReferencePick)
{
    const struct { std::vector<float> picks; float reference; } cases[] = {
        {{12, 10.5f, 11}, 10.5f},
        {{1.5f, 1.0f, 3}, 1.5f},   // 1.0 is never the reference
        {{5, 0.5f, 1.0f, 3}, 3},
        {{1.0f, 3, 2}, 1.0f},      // ... unless it is the first pick
        {{0, 5, 3}, 0},            // trace 1 unpicked: nothing is smaller
        {{-2, 5, 3}, -2},
        {{5, kNaN, kInf, -kInf, 4}, 4},
        {{kInf, 5, 3}, 0},         // a non-finite first pick counts as unpicked
        {{}, 0},
    };
    for (const auto &k : cases) {
        ProfileStore st;
        st.NTraces = static_cast<float>(k.picks.size());
        st.Picks = {0};
        st.Picks.insert(st.Picks.end(), k.picks.begin(), k.picks.end());
        EXPECT_EQ(ReferencePick(st), k.reference) << "case " << (&k - cases);
    }
}

TEST(AirWave, ShiftPutsEveryPickOnTheReferenceSample)
{
    const struct { const char *what; int ns; float totalTime; std::vector<float> picks; std::vector<long> ups; } cases[] = {
        {"earliest pick first", 100, 100, {10, 12, 11}, {0, 2, 1}},
        {"fractional reference", 100, 100, {12, 10.5f, 11}, {2, 0, 1}},
        {"1.0 not the reference", 100, 100, {1.5f, 1.0f, 3}, {0, 0, 2}},
        {"trace 1 unpicked", 100, 100, {0, 5, 3.2f}, {0, 5, 3}},
        {"two samples a time unit", 200, 100, {10, 12.3f, 0}, {0, 4, 0}},
        {"half a sample a time unit", 50, 100, {10, 13, 15}, {0, 1, 2}},
        {"picks before the reference move down", 100, 100, {5, 0.5f, 1.0f}, {0, -5, -4}},
        {"all but one sample", 10, 10, {1.5f, 10}, {0, 9}},
        {"pick past the time window", 10, 10, {2, 11}, {0, 9}},
        {"whole trace length", 10, 10, {1.5f, 11}, {0, 10}},
        {"far past the trace", 10, 10, {1.5f, 1e30f}, {0, 1000000}},
        {"all but one sample down", 10, 10, {10, 1.0f}, {0, -9}},
        {"whole trace length down", 10, 10, {20, 0.5f}, {0, -20}},
        {"past the 16-bit range", 32767, 32767, {10.5f, 40000}, {0, 39990}},
        {"unpicked and non-finite picks stay", 100, 100, {10, kNaN, kInf, -kInf, -3, 12}, {0, 0, 0, 0, 0, 2}},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        ProfileStore st = Loaded(static_cast<int>(k.picks.size()), k.ns, k.totalTime, k.picks);
        ShiftOnPicks(st);
        ExpectMoved(st, k.ups);
    }
}

// The picks stay as they were, so a second run shifts again.
TEST(AirWave, SecondShiftMovesAgain)
{
    ProfileStore st = Loaded(3, 100, 100, {10, 12, 11});
    ShiftOnPicks(st);
    ShiftOnPicks(st);
    EXPECT_EQ(st.RawData(2, 1), 2005);
    EXPECT_EQ(std::vector<float>(st.RawData.row(2) + 96, st.RawData.row(2) + 101),
              (std::vector<float>{2100, 2099, 2100, 2099, 2100}));
    EXPECT_EQ(st.RawData(1, 1), 1001);
}

TEST(AirWave, ShiftWithNothingToDo)
{
    const auto noSamples = [](ProfileStore &st) { st.NSamples = 0; };
    const auto noTime = [](ProfileStore &st) { st.TotalTime = 0; };
    const auto nanTime = [](ProfileStore &st) { st.TotalTime = kNaN; };
    const auto moreSamplesThanRead = [](ProfileStore &st) { st.NSamples = 101; };
    const auto moreTracesThanRead = [](ProfileStore &st) {
        st.NTraces = 4;
        st.Picks.push_back(20);
    };
    const struct { const char *what; void (*change)(ProfileStore &); } cases[] = {
        {"NSamples 0", noSamples},
        {"TotalTime 0", noTime},
        {"TotalTime NaN", nanTime},
        {"NSamples past RawData", moreSamplesThanRead},
        {"NTraces past RawData", moreTracesThanRead},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        ProfileStore st = Loaded(3, 100, 100, {10, 12, 11});
        k.change(st);
        const Array2D before = st.RawData;
        ShiftOnPicks(st);
        EXPECT_TRUE(st.RawData == before);
    }

    ProfileStore empty; // nothing loaded, picks left over
    empty.NTraces = 3, empty.NSamples = 100, empty.TotalTime = 100, empty.Picks = {0, 10, 12, 11};
    ShiftOnPicks(empty);
    EXPECT_FALSE(empty.RawData.allocated());
}

} // namespace
