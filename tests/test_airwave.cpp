// Aligning a profile on its picks: missing picks, the reference pick and the shift of RawData.
#include "picking/airwave.h"

#include <gtest/gtest.h>

#include <limits>

using namespace orv;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
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

// Trace t moves up by ups[t - 1] samples (down if negative): sample k takes sample k + up where
// that is a sample and keeps its value otherwise; row 0 and sample 0 stay untouched.
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

} // namespace
