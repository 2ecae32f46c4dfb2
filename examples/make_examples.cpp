// Writes the example profiles with the program's own writers.
//
//   make_examples <output-dir>
//
// radar_line.su: a synthetic ground-penetrating-radar line of 300 traces of
// 400 samples at 0.2 ms (dt = 200 in the header, TotalTime 80): a direct air
// wave near sample 40 whose start wanders by a few samples from trace to
// trace, the ground wave a little later, a dipping reflector, two
// diffraction hyperbolas and mild noise. Everything comes from a fixed seed
// and its own arithmetic, so every run writes the same bytes.
#include "core/store.h"
#include "formats/su.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

constexpr int kTraces = 300;
constexpr int kSamples = 400;
constexpr double kIntervalMs = 0.2;
constexpr double kPi = 3.14159265358979323846;

// A small generator of its own (xorshift64*) so the bytes do not depend on
// the standard library's distributions.
class Noise {
public:
    explicit Noise(uint64_t seed) : s_(seed) {}
    double uniform() // [0, 1)
    {
        s_ ^= s_ >> 12;
        s_ ^= s_ << 25;
        s_ ^= s_ >> 27;
        return static_cast<double>((s_ * 2685821657736338717ull) >> 11) * 0x1.0p-53;
    }
    double gaussian() // approximately N(0, 1): sum of 12 uniforms
    {
        double sum = 0;
        for (int i = 0; i < 12; ++i)
            sum += uniform();
        return sum - 6.0;
    }

private:
    uint64_t s_;
};

// Ricker wavelet centred at t0 (in samples), peak frequency f in cycles per sample.
double ricker(double t, double t0, double f)
{
    const double a = kPi * f * (t - t0);
    const double a2 = a * a;
    return (1.0 - 2.0 * a2) * std::exp(-a2);
}

orv::Array2D radarLine()
{
    orv::Array2D d;
    d.allocate(kTraces, kSamples);
    Noise rng(20240611);
    for (int k = 1; k <= kTraces; ++k) {
        const double x = k;
        // Time zero drifts slowly and jitters by up to about two samples.
        const double drift = 1.5 * std::sin(2.0 * kPi * x / 97.0) + 4.0 * (rng.uniform() - 0.5);
        const double air = 40.0 + drift;
        const double ground = 56.0 + drift;
        const double dipping = 120.0 + 0.35 * x + drift;
        const double hyper1 = std::sqrt(190.0 * 190.0 + std::pow((x - 95.0) * 1.6, 2)) + drift;
        const double hyper2 = std::sqrt(270.0 * 270.0 + std::pow((x - 215.0) * 1.4, 2)) + drift;
        for (int j = 1; j <= kSamples; ++j) {
            const double t = j;
            double v = 1000.0 * ricker(t, air, 0.06);
            v += -550.0 * ricker(t, ground, 0.05);
            v += 260.0 * ricker(t, dipping, 0.045);
            // Diffractions fade away from their apex.
            v += 300.0 * std::exp(-std::pow((x - 95.0) / 70.0, 2)) * ricker(t, hyper1, 0.045);
            v += -220.0 * std::exp(-std::pow((x - 215.0) / 60.0, 2)) * ricker(t, hyper2, 0.04);
            v += 12.0 * rng.gaussian();
            d(k, j) = static_cast<float>(v);
        }
    }
    return d;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_examples <output-dir>\n");
        return 2;
    }
    const std::string dir = argv[1];

    const orv::Array2D line = radarLine();
    const std::string su = dir + "/radar_line.su";
    std::string error;
    if (!orv::WriteSUFile(su, line, kTraces, kSamples,
                          static_cast<float>(kIntervalMs * kSamples), error)) {
        std::fprintf(stderr, "%s %s\n", su.c_str(), error.c_str());
        return 1;
    }
    std::printf("wrote %s (%d traces x %d samples, %.1f ms)\n", su.c_str(), kTraces, kSamples,
                kIntervalMs * kSamples);
    return 0;
}
