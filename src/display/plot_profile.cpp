// The profile plot: the display window drawn as filled wiggles on the
// profile canvas, after the gain and the window fields are validated and
// PlotData is normalized in place.
//
// Working values that only position drawing (dx, x0, b, b +/- ClipValue, px,
// y, the fill count) are kept in 32 bits (CLng), so a wide canvas or a large
// clip never wraps; wherever the 16-bit values would have stayed in range
// the results are the same. Values written to the store or to the fields
// use CInt.

#include "display/batch.h"
#include "display/density.h"
#include "display/display.h"
#include "display/wiggle.h"

#include "core/numbers.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <optional>
#include <thread>
#include <vector>

namespace orv {

namespace detail {

float AmplitudeScale(float G, float AmpMin, float AmpMax)
{
    const float range = AmpMax - AmpMin;
    if (range == 0.0f)
        return 0.0f;
    const float k = G / range;
    return std::isfinite(k) ? k : 0.0f;
}

int32_t ColumnWidth(float scaleWidth, int firstTrace, int lastTrace)
{
    const int n = lastTrace - firstTrace + 1;
    if (n <= 0)
        return 0;
    return CLng(static_cast<double>(scaleWidth / static_cast<float>(n)));
}

int32_t SegmentY(int s, const WiggleGeometry &g)
{
    return CLng(static_cast<double>(static_cast<float>(s - g.FirstSample + 1) * g.dy));
}

namespace {

// Position of amplitude A in trace column x0, in the order
// (A - AmpMin)*k + x0 + AmpMin*k.
float Position(const WiggleGeometry &g, float x0, float A) { return (A - g.AmpMin) * g.k + x0 + g.AmpMin * g.k; }

float ColumnStart(const WiggleGeometry &g, int t)
{
    return static_cast<float>(CLng(static_cast<double>(t - g.FirstTrace) * static_cast<double>(g.dx)));
}

} // namespace

int32_t Baseline(const WiggleGeometry &g, int t)
{
    return CLng(static_cast<double>(Position(g, ColumnStart(g, t), 0.0f)));
}

bool WiggleRightOf(const WiggleGeometry &g, int t, double x)
{
    // A point lies within ClipValue (placed) or G + 1/2 (gain-limited) of
    // the baseline, a line starts half a twip from one; a twip more for
    // the float arithmetic.
    const double reach = std::max(std::fabs(static_cast<double>(g.ClipValue)), static_cast<double>(g.G) + 0.5) + 2.0;
    return static_cast<double>(g.dx) / 2.0 + Baseline(g, t) - reach >= x;
}

void DrawWiggle(const Array2D &PlotData, Canvas &c, const WiggleGeometry &g, int t,
                std::optional<uint32_t> fillColour)
{
    PrimBatch out(c);
    DrawWiggle(PlotData, out, g, t, fillColour, g.FirstSample, g.LastSample);
}

void DrawWiggle(const Array2D &PlotData, PrimBatch &out, const WiggleGeometry &g, int t,
                std::optional<uint32_t> fillColour, int from, int to)
{
    WiggleScratch scratch;
    if (const auto w = Wiggle(PlotData, g, t, from, to, scratch))
        SendWiggle(*w, out, fillColour);
}

void SendWiggle(const CanvasWiggle &w, PrimBatch &out, std::optional<uint32_t> fillColour)
{
    struct Into {
        PrimBatch &out;
        std::optional<uint32_t> fillColour;
        void pset(float x, float y) { out.pset(x, y); }
        void line(float x1, float y1, float x2, float y2) { out.line(x1, y1, x2, y2); }
        void fill(const CanvasFill &f) { out.fill(f, fillColour); }
    };
    forEachWigglePrim(w, Into{out, fillColour});
}

std::optional<CanvasWiggle> Wiggle(const Array2D &PlotData, const WiggleGeometry &g, int t, int from, int to,
                                   WiggleScratch &scratch)
{
    const int FS = g.FirstSample;
    from = std::max(from, FS);
    to = std::min(to, g.LastSample);
    if (from > to)
        return std::nullopt;
    const float *v = PlotData.row(t);
    const float k = g.k;
    const float AmpMin = g.AmpMin;
    const float dy = g.dy;
    const float half = static_cast<float>(g.dx) / 2.0f; // dx/2, a real division

    const float x0f = ColumnStart(g, t);
    auto X = [&](float A) { return Position(g, x0f, A); };

    const int32_t b = Baseline(g, t);
    const float bf = static_cast<float>(b);
    const float clipF = static_cast<float>(g.ClipValue);
    const float bPlusClip = static_cast<float>(static_cast<int64_t>(b) + g.ClipValue);
    const float bMinusClip = static_cast<float>(static_cast<int64_t>(b) - g.ClipValue);
    // Clip rule: deflections beyond ClipValue are drawn at the limit; an
    // amplitude of exactly 0 is never clipped.
    auto clip = [&](float A, float x) {
        if (A > 0 && x - bf > clipF)
            x = bPlusClip;
        if (A < 0 && bf - x > clipF)
            x = bMinusClip;
        return x;
    };

    // Where sample A is drawn before the gain limit. A NaN or an infinity has
    // no amplitude to show and lies on the baseline. A finite amplitude whose
    // position overflows the float arithmetic (e.g. (A - AmpMin) * k with A
    // near the float limit, or inf * 0 when k is 0) is placed again in double
    // and held within ClipValue of the baseline, so it stays in its column
    // whenever the clip does; every other amplitude is placed as above.
    const double bLo = static_cast<double>(b) - g.ClipValue;
    const double bHi = static_cast<double>(b) + g.ClipValue;
    auto place = [&](float A) {
        if (!std::isfinite(A))
            return bf;
        float x = X(A);
        if (!std::isfinite(x)) {
            const double xd = (static_cast<double>(A) - AmpMin) * k + x0f + static_cast<double>(AmpMin) * k;
            x = std::isnan(xd) ? bf : static_cast<float>(std::min(std::max(xd, bLo), bHi));
        }
        return clip(A, x);
    };

    const double G = g.G;
    // A deflection of at most G - 1 rounds to one inside the gain limit:
    // neither test can hold, so its rounding is skipped.
    const double surelyInside = G - 1;
    // Gain limit, both tests on the same d.
    auto limit = [&](float x) {
        const double deflection = static_cast<double>(x - bf);
        if (!(std::fabs(deflection) <= surelyInside)) {
            const int32_t d = CLng(deflection);
            if (d > G)
                x = bf + g.G;
            if (-G > d)
                x = bf - g.G;
        }
        return x;
    };

    // Item k is sample FS + k. The first point has no gain limit; items
    // drawn from a later one on start where the segment before them ended.
    const size_t items = static_cast<size_t>(g.LastSample - FS + 1);
    scratch.x.resize(items);
    scratch.px.resize(items);
    const int first = from == FS ? FS : from - 1;
    for (int s = first; s <= to; ++s) {
        const float x = s == FS ? place(v[FS]) : limit(place(v[s]));
        scratch.x[static_cast<size_t>(s - FS)] = x;
        scratch.px[static_cast<size_t>(s - FS)] = CLng(static_cast<double>(x));
    }
    const int32_t *bottom = g.bottom;
    if (!bottom) {
        scratch.y.resize(items);
        scratch.y[0] = 0;
        for (int s = std::max(first, FS + 1); s <= to; ++s)
            scratch.y[static_cast<size_t>(s - FS)] = SegmentY(s, g);
        bottom = scratch.y.data();
    }
    return CanvasWiggle{half,
                        bf,
                        dy,
                        CLng(static_cast<double>(dy)),
                        static_cast<int32_t>(items),
                        from - FS,
                        to - FS,
                        scratch.x.data(),
                        scratch.px.data(),
                        bottom};
}

} // namespace detail

namespace {

// Largest absolute value over traces t1..t2 and samples s1..s2. Only finite
// values count, so a NaN or an infinity in a file cannot turn the whole
// group into NaN or zeros; for finite data this is the plain maximum.
float MaxAbs(const Array2D &a, int t1, int t2, int s1, int s2)
{
    float M = 0.0f;
    for (int t = t1; t <= t2; ++t) {
        const float *r = a.row(t);
        for (int s = s1; s <= s2; ++s) {
            const float m = std::fabs(r[s]);
            if (m > M && std::isfinite(m))
                M = m;
        }
    }
    return M;
}

void Divide(Array2D &a, int t1, int t2, int s1, int s2, float M)
{
    if (M == 0.0f)
        return; // divided by 1
    for (int t = t1; t <= t2; ++t) {
        float *r = a.row(t);
        for (int s = s1; s <= s2; ++s)
            r[s] = r[s] / M;
    }
}

int16_t FieldInt(const Controls &c, Field f) { return CInt(Val(c.text(f))); }

unsigned ThreadsOf(const PlotRun &run)
{
    return run.threads ? run.threads : std::max(1u, std::thread::hardware_concurrency());
}

// f(from, to) over first..last in consecutive parts, one per thread (the
// first part on this thread); one part for fewer than about a million
// samples, where starting threads costs more than it saves. Over more than
// about sixteen million samples this thread takes its part in slices and
// calls tick() before each, so that a long pass can show it is under way.
template <typename F>
void InParts(int first, int last, int64_t samplesEach, unsigned threads, F f, const std::function<void()> &tick)
{
    const int64_t n = last - first + 1;
    const int64_t parts = std::min<int64_t>({threads, std::max<int64_t>(n, 1), 1 + n * samplesEach / (1 << 20)});
    auto start = [&](int64_t i) { return first + static_cast<int>(n * i / parts); };
    std::vector<std::jthread> others;
    for (int64_t i = 1; i < parts; ++i)
        others.emplace_back(f, start(i), start(i + 1) - 1);
    const int end = start(1) - 1;
    if (!tick || n * samplesEach <= (int64_t(1) << 24)) {
        f(first, end);
        return;
    }
    const int slice = static_cast<int>(std::max<int64_t>(1, (int64_t(1) << 22) / std::max<int64_t>(samplesEach, 1)));
    for (int from = first; from <= end; from += slice) {
        tick();
        f(from, std::min(end, from + slice - 1));
    }
}

// The twips a wiggle's item k of FirstSample..LastSample draws on, from lo
// to hi (see DrawWiggle): the first point on the top edge; a segment from the
// bottom of the one before to its own, and its fill lines.
struct ItemRows {
    std::vector<float> lo, hi;
};

ItemRows RowsOfItems(const detail::WiggleGeometry &g)
{
    ItemRows r;
    r.lo.push_back(0.0f);
    r.hi.push_back(0.0f);
    const int32_t fills = CLng(static_cast<double>(g.dy));
    for (int s = g.FirstSample + 1; s <= g.LastSample; ++s) {
        const float top = static_cast<float>(s - g.FirstSample) * g.dy;
        const float above = static_cast<float>(g.bottom[s - 1 - g.FirstSample]);
        const float below = static_cast<float>(g.bottom[s - g.FirstSample]);
        r.lo.push_back(fills >= 1 ? std::min(above, top + 1.0f) : above);
        r.hi.push_back(fills >= 1 ? std::max(below, top + static_cast<float>(fills)) : below);
    }
    return r;
}

// The wiggles of traces FirstTrace..last, a group of traces at a time. On
// more threads than one, each draws bands of the canvas: the items that
// reach a band's rows, of every trace of the group. Every primitive is in the
// foreground colour in copy pen, so a pixel comes out the same whichever
// band or order sets it.
void DrawWiggles(const Array2D &D, Canvas &canvas, const detail::WiggleGeometry &g, int last, const PlotRun &run)
{
    const unsigned threads = ThreadsOf(run);
    const int samples = g.LastSample - g.FirstSample + 1;
    // The last traces may lie wholly right of the picture (columns of
    // CLng(ScaleWidth / traces) can add up to more than its width): they
    // would draw nothing, and are left out.
    if (canvas.endsAtScaleWidth()) {
        const double past = static_cast<double>(canvas.ScaleWidth()) + 30.0;
        while (last >= g.FirstTrace && detail::WiggleRightOf(g, last, past))
            --last;
    }
    // A group is about two million samples: tens of milliseconds of drawing.
    const int per = std::max(1, (1 << 21) / samples);
    ItemRows items;
    // Items from..to of traces t0..t1 on a band (or the whole picture): by
    // the canvas from their positions where it can, else as primitives.
    auto traces = [&](int t0, int t1, int from, int to, size_t band) {
        detail::WiggleScratch scratch;
        detail::PrimBatch out(canvas, band);
        for (int t = t0; t <= t1; ++t)
            if (const auto w = detail::Wiggle(D, g, t, from, to, scratch); w && !canvas.drawWiggle(*w, band))
                detail::SendWiggle(*w, out, std::nullopt);
    };
    for (int t0 = g.FirstTrace; t0 <= last; t0 += per) {
        const int t1 = std::min(last, t0 + per - 1);
        if (run.progress)
            run.progress(t0);
        // Four bands a thread, each taken by the next thread free: a thread
        // slowed by the wider wiggles at the top or by other work on the
        // machine draws fewer.
        const std::vector<float> edge = threads > 1 ? canvas.bands(static_cast<int>(4 * threads)) : std::vector<float>();
        if (edge.size() < 3) {
            traces(t0, t1, g.FirstSample, g.LastSample, detail::PrimBatch::Whole);
            continue;
        }
        if (items.lo.empty())
            items = RowsOfItems(g);
        auto band = [&](size_t i) {
            // The first and last item that reach the band's rows.
            int from = g.LastSample + 1, to = g.FirstSample - 1;
            for (int k = 0; k < samples; ++k)
                if (items.hi[static_cast<size_t>(k)] >= edge[i] && items.lo[static_cast<size_t>(k)] < edge[i + 1]) {
                    from = std::min(from, g.FirstSample + k);
                    to = g.FirstSample + k;
                }
            traces(t0, t1, from, to, i);
        };
        const size_t bands = edge.size() - 1;
        std::atomic<size_t> next{0};
        auto take = [&] {
            for (size_t i = next++; i < bands; i = next++)
                band(i);
        };
        std::vector<std::jthread> others;
        for (size_t j = 1; j < std::min<size_t>(threads, bands); ++j)
            others.emplace_back(take);
        take();
    }
}

} // namespace

void PlotProfile(ProfileStore &st, Controls &c, Canvas &pctProfile, const PlotRun &run)
{
    // Nothing to draw without a profile; the canvas, the fields and the
    // arrays are left as they are.
    if (!st.hasProfile())
        return;

    pctProfile.setDrawMode(DrawCopyPen);
    pctProfile.clear();

    // Gain, 1..5000.
    float G = static_cast<float>(Val(c.text(Field::txtGainValue)));
    if (G > 5000)
        G = 5000;
    if (!(G >= 1)) // also catches NaN
        G = 1;
    c.setText(Field::txtGainValue, SignedText(G));

    // Display window.
    const int16_t nTr = CInt(st.NTraces);
    const int16_t nSa = CInt(st.NSamples);
    int16_t FirstTrace = FieldInt(c, Field::txt1sttr);
    int16_t LastTrace = FieldInt(c, Field::txtLsttr);
    int16_t FirstSample = FieldInt(c, Field::txt1stsamp);
    int16_t LastSample = FieldInt(c, Field::txtLstsamp);
    if (FirstTrace > st.NTraces)
        FirstTrace = nTr;
    if (FirstTrace < 1)
        FirstTrace = 1;
    if (LastTrace > st.NTraces)
        LastTrace = nTr;
    if (LastTrace < FirstTrace)
        LastTrace = FirstTrace;
    if (FirstSample > st.NSamples)
        FirstSample = nSa;
    if (FirstSample < 1)
        FirstSample = 1;
    if (LastSample > st.NSamples)
        LastSample = nSa;
    if (LastSample < FirstSample) {
        // One sample more than the first, but never past the last sample of
        // the profile: with FirstSample = NSamples the window is that one
        // sample.
        LastSample = FirstSample < nSa ? static_cast<int16_t>(FirstSample + 1) : FirstSample;
    }
    st.FirstTrace = FirstTrace;
    st.LastTrace = LastTrace;
    st.FirstSample = FirstSample;
    st.LastSample = LastSample;
    c.setText(Field::txt1sttr, SignedText(static_cast<int>(FirstTrace)));
    c.setText(Field::txtLsttr, SignedText(static_cast<int>(LastTrace)));
    c.setText(Field::txt1stsamp, SignedText(static_cast<int>(FirstSample)));
    c.setText(Field::txtLstsamp, SignedText(static_cast<int>(LastSample)));

    const int32_t dx = detail::ColumnWidth(pctProfile.ScaleWidth(), FirstTrace, LastTrace);

    // Normalization, in place, only inside FirstSample..LastSample.
    // Each gather or trace on its own, so parts of them on several threads
    // give the same values as one.
    Array2D &D = st.PlotData;
    const unsigned threads = ThreadsOf(run);
    const std::function<void()> tick = run.progress ? std::function<void()>([&] { run.progress(FirstTrace); }) : nullptr;
    const int64_t windowSamples = LastSample - FirstSample + 1;
    if (st.NormMode == 1 && st.TracesPerCSG >= 1) {
        const int32_t per = st.TracesPerCSG;
        const int32_t NG = static_cast<int32_t>(Int(static_cast<double>(st.NTraces / static_cast<float>(per))));
        InParts(1, NG, per * windowSamples, threads, [&](int g1, int g2) {
            for (int32_t g = g1; g <= g2; ++g) {
                const int32_t t1 = (g - 1) * per + 1;
                const int32_t t2 = (g - 1) * per + per;
                Divide(D, t1, t2, FirstSample, LastSample, MaxAbs(D, t1, t2, FirstSample, LastSample));
            }
        }, tick);
    } else if (st.NormMode == 2) {
        InParts(FirstTrace, LastTrace, windowSamples, threads, [&](int t1, int t2) {
            for (int t = t1; t <= t2; ++t)
                Divide(D, t, t, FirstSample, LastSample, MaxAbs(D, t, t, FirstSample, LastSample));
        }, tick);
    }

    // Amplitude range of the window. Values that are not finite are left
    // out, so the scale stays usable; DrawWiggle puts them on the baseline.
    // Worked out in parts and joined in trace order: each bound stays the
    // first value found below (above) all before it, as in one pass.
    struct Range {
        bool any = false;
        float lo = 0, hi = 0;
        void add(float v)
        {
            if (!any) {
                lo = hi = v;
                any = true;
            }
            if (v < lo)
                lo = v;
            if (v > hi)
                hi = v;
        }
    };
    std::vector<Range> parts(static_cast<size_t>(LastTrace - FirstTrace + 1));
    InParts(FirstTrace, LastTrace, windowSamples, threads, [&](int t1, int t2) {
        Range &part = parts[static_cast<size_t>(t1 - FirstTrace)];
        for (int t = t1; t <= t2; ++t) {
            const float *r = D.row(t);
            for (int s = FirstSample; s <= LastSample; ++s)
                if (std::isfinite(r[s]))
                    part.add(r[s]);
        }
    }, tick);
    Range range;
    for (const Range &part : parts)
        if (part.any) {
            range.add(part.lo);
            range.add(part.hi);
        }
    const float AmpMin = range.lo, AmpMax = range.hi;
    st.AmpMin = AmpMin;
    st.AmpMax = AmpMax;

    detail::WiggleGeometry g;
    g.G = G;
    g.dx = dx;
    g.k = detail::AmplitudeScale(G, AmpMin, AmpMax);
    g.dy = pctProfile.ScaleHeight() / static_cast<float>(LastSample - FirstSample + 1);
    g.AmpMin = AmpMin;
    g.ClipValue = st.ClipValue;
    g.FirstTrace = FirstTrace;
    g.FirstSample = FirstSample;
    g.LastSample = LastSample;

    std::vector<int32_t> bottom{0};
    for (int s = FirstSample + 1; s <= LastSample; ++s)
        bottom.push_back(detail::SegmentY(s, g));
    g.bottom = bottom.data();

    if (pctProfile.keepsDrawing() && st.VariableDensity) {
        if (run.progress)
            run.progress(FirstTrace);
        detail::DrawDensity(D, pctProfile, detail::DensityOf(st, pctProfile), 0, false);
    } else if (pctProfile.keepsDrawing()) {
        DrawWiggles(D, pctProfile, g, LastTrace, run);
    }

    pctProfile.setDrawMode(DrawNotXorPen);
}

} // namespace orv
