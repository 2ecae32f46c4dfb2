#pragma once
// Automatic picking by cross-correlation. For every trace i but the last,
// the key window (samples KeyFirst..KeyLast of trace i) is slid along trace
// i + 1 over the lag starts j = TargFirst .. TargLast - (KeyLast - KeyFirst);
// at each j the plain sum of products
//     C(j) = sum over k of PlotData(i + 1, j + k) * PlotData(i, KeyFirst + k)
// is formed in increasing k, product and sum each rounded to Single at every
// step, and the first j with the largest positive C(j) becomes the pick of
// trace i, as the time (TotalTime / NSamples) * j. A trace with no positive
// C(j), or no lag start at all, and the last trace keep the pick 0.
//
// The result is the same bit for bit whatever the vector width and however
// many threads share the trace pairs: each sum keeps its order over k, and
// the best lag is chosen afterwards in increasing j.

#include "core/store.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace orv {

// The key window and the target range, in samples.
struct CrossCorrWindow {
    int16_t KeyFirst = 0;
    int16_t KeyLast = 0;
    int16_t TargFirst = 0;
    int16_t TargLast = 0;
};

// How a run is carried out; the picks do not depend on it.
struct CrossCorrRun {
    // Threads sharing the trace pairs; 0: one per processor core, or only the
    // calling thread for a small run.
    unsigned threads = 0;
    // Lag starts per vector: 0 for the widest this processor has; 4, 8 or 16
    // to ask for one width (taken when the processor has it).
    int lanes = 0;
    // Called on the calling thread when the run starts and then about every
    // interval until it ends, with the number of trace pairs done; returning
    // false stops the run.
    std::function<bool(int done, int pairs)> progress;
    std::chrono::milliseconds interval{50};
};

// The number of multiply-adds a run costs.
double CrossCorrWork(float NTraces, const CrossCorrWindow &w);

// Picks 0..CLng(NTraces) as above, or nothing when the run was stopped. A
// window that would read outside samples 0..NSamples of PlotData, or a
// profile larger than PlotData, gives no picks and reads nothing.
std::optional<std::vector<float>> CrossCrol(const Array2D &PlotData, float NTraces, float NSamples,
                                            float TotalTime, const CrossCorrWindow &w,
                                            const CrossCorrRun &run = {});

} // namespace orv
