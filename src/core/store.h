#pragma once
// The profile store: the one loaded profile, the display window, the display
// options and the picking state. One instance is owned by the application
// object (App); every handler reaches it from there.

#include "core/bigalloc.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace orv {

// Two-dimensional Single array indexed (trace, sample), both indices running
// from 0 to the upper bound given at allocation. Row and column 0 are never
// written by the readers and hold 0.
class Array2D {
public:
    Array2D() = default;
    Array2D(const Array2D &o) { *this = o; }
    Array2D(Array2D &&o) noexcept { *this = std::move(o); }
    Array2D &operator=(const Array2D &o)
    {
        if (this == &o)
            return *this;
        if (!o.allocated()) {
            clear();
            return *this;
        }
        // Reuse the block when the size matches (every re-plot copies
        // RawData over PlotData); otherwise take a fresh one.
        if (count() != o.count() || !v_) {
            clear();
            float *p = allocFloats(o.count(), false);
            if (!p)
                throw std::bad_alloc();
            v_ = p;
        }
        nt_ = o.nt_;
        ns_ = o.ns_;
        std::memcpy(v_, o.v_, count() * sizeof(float));
        return *this;
    }
    Array2D &operator=(Array2D &&o) noexcept
    {
        if (this != &o) {
            clear();
            v_ = o.v_;
            nt_ = o.nt_;
            ns_ = o.ns_;
            o.v_ = nullptr;
            o.nt_ = o.ns_ = -1;
        }
        return *this;
    }

    // Allocates traces 0..nTraces by samples 0..nSamples, all 0. The block
    // comes zeroed from the system, so a large array costs no separate
    // zeroing pass.
    // Throws std::bad_alloc when the memory cannot be had.
    void allocate(int nTraces, int nSamples)
    {
        clear();
        const size_t n = static_cast<size_t>(nTraces + 1) * static_cast<size_t>(nSamples + 1);
        float *p = allocFloats(n, true);
        if (!p)
            throw std::bad_alloc();
        v_ = p;
        nt_ = nTraces;
        ns_ = nSamples;
    }
    void clear()
    {
        freeFloats(v_, count());
        v_ = nullptr;
        nt_ = ns_ = -1;
    }
    ~Array2D() { clear(); }
    bool allocated() const { return nt_ >= 0; }
    int traceBound() const { return nt_; }  // highest trace index
    int sampleBound() const { return ns_; } // highest sample index

    float &operator()(int t, int s) { return v_[index(t, s)]; }
    float operator()(int t, int s) const { return v_[index(t, s)]; }
    // Samples 0..sampleBound() of trace t, contiguous.
    float *row(int t) { return v_ + index(t, 0); }
    const float *row(int t) const { return v_ + index(t, 0); }

    bool operator==(const Array2D &o) const
    {
        return nt_ == o.nt_ && ns_ == o.ns_
            && (!allocated() || std::memcmp(v_, o.v_, count() * sizeof(float)) == 0);
    }

private:
    size_t count() const
    {
        return allocated() ? static_cast<size_t>(nt_ + 1) * static_cast<size_t>(ns_ + 1) : 0;
    }
    size_t index(int t, int s) const
    {
        return static_cast<size_t>(t) * static_cast<size_t>(ns_ + 1) + static_cast<size_t>(s);
    }
    int nt_ = -1;
    int ns_ = -1;
    float *v_ = nullptr; // owned; returned by clear()
};

// The headers of the file a profile was read from, kept as read so that a
// writer of the same family can give them back and the picks export can
// read the geometry they carry.
struct FileHeaders {
    enum class Kind { None, SU, SEGY };
    Kind kind = Kind::None;
    bool littleEndian = false;          // the byte order of every header below
    std::vector<unsigned char> file;    // SEG-Y: textual, binary and extended textual headers; SU: empty
    std::vector<unsigned char> traces;  // 240 bytes per trace, trace 1 first (SU and SEG-Y)
    std::vector<double> positions;      // a position per trace where the file gives one
                                        // (DT1 trace headers, DZT scans per metre), else empty
};

// A whole profile as a reader produces it. Readers fill one of these and the
// application swaps it into the store only when the whole file was good.
struct Profile {
    Array2D RawData;     // filled 1..NTraces x 1..NSamples
    float NTraces = 0;   // whole number
    float NSamples = 0;  // whole number
    float TotalTime = 0; // sample interval x NSamples, in the file's time unit
    FileHeaders Headers;
};

struct ProfileStore {
    // Amplitudes: as read (shifted by the air-wave adjustment) and as worked on.
    Array2D RawData;
    Array2D PlotData;

    // Sizes and time window.
    float NTraces = 0;
    float NSamples = 0;
    float TotalTime = 0;
    std::string DataFileName;
    FileHeaders Headers; // of the file the profile was read from

    // Display window (1-based).
    int16_t FirstTrace = 0;
    int16_t LastTrace = 0;
    int16_t FirstSample = 0;
    int16_t LastSample = 0;

    // Display options.
    int16_t ClipValue = 0;
    int16_t TracesPerCSG = 0;
    int16_t NormMode = 0; // 0 none, 1 per common-shot gather, 2 per trace
    bool VariableDensity = false; // the profile drawn as grey levels instead of wiggles
    float AmpMin = 0;
    float AmpMax = 0;

    // Picking state.
    int16_t PickMode = 0;      // 1 zero -ve->+ve, 2 zero +ve->-ve, 3 max, 4 min
    std::vector<float> Picks;  // 0..NTraces, 0 = not picked
    int16_t PlotReady = 0;
    float RangeTopY = 0;
    float RangeBottomY = 0;
    float RangeTraceX = 0;
    int16_t RangeShown = 0;

    // True when a profile is loaded and its arrays can be read.
    bool hasProfile() const
    {
        return NTraces >= 1 && NSamples >= 1 && PlotData.allocated() && RawData.allocated()
            && PlotData.traceBound() >= static_cast<int>(NTraces)
            && PlotData.sampleBound() >= static_cast<int>(NSamples);
    }
};

} // namespace orv
