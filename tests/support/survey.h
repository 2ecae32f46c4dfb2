#pragma once
// Synthetic survey lines for the batch program's tests and benchmark.

#include "core/store.h"
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>

namespace orv::test {

// nt x ns whole amplitudes within the 16-bit range.
inline Array2D AirWaveProfile(int nt, int ns, unsigned seed = 0)
{
    Array2D a;
    a.allocate(nt, ns);
    for (int k = 1; k <= nt; ++k) {
        const int arrival = 20 + static_cast<int>((static_cast<unsigned>(k) * 7u + seed) % 9u);
        for (int j = 1; j <= ns; ++j) {
            const int d = j - arrival;
            int v = static_cast<int>((static_cast<unsigned>(k * 131 + j * 71) + seed) % 41u) - 20; // noise
            if (d >= 0 && d < 12)
                v += (d % 4 < 2 ? 1 : -1) * (9000 - 600 * d);
            if (j > arrival + 40 && (j - arrival) % 97 < 6)
                v += ((j - arrival) % 97 < 3 ? 1 : -1) * 2500;
            a(k, j) = static_cast<float>(v);
        }
    }
    return a;
}

// The pair <stem>.dt1 / <stem>.hd in dir for `a`; the path of the data file.
inline std::string WriteDT1Pair(const std::string &dir, const std::string &stem, const Array2D &a,
                                double timeWindowNs)
{
    const int nt = a.traceBound(), ns = a.sampleBound();
    std::ofstream(dir + "/" + stem + ".hd", std::ios::binary)
        << "1234\r\nData Collected with a synthetic survey\r\nNUMBER OF TRACES   = " << nt
        << "\r\nNUMBER OF PTS/TRC  = " << ns << "\r\nTIMEZERO AT POINT  = 10\r\nTOTAL TIME WINDOW  = "
        << timeWindowNs << "\r\nSTEP SIZE USED     = 0.5\r\n";
    std::string data(static_cast<size_t>(nt) * (128 + 2 * static_cast<size_t>(ns)), '\0');
    char *p = data.data();
    for (int k = 1; k <= nt; ++k) {
        const float head[2] = {static_cast<float>(k), static_cast<float>(k) * 0.5f}; // trace number, position
        std::memcpy(p, head, sizeof head);
        p += 128;
        for (int j = 1; j <= ns; ++j, p += 2) {
            const auto v = static_cast<int16_t>(a(k, j));
            std::memcpy(p, &v, 2);
        }
    }
    const std::string path = dir + "/" + stem + ".dt1";
    std::ofstream(path, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
    return path;
}

} // namespace orv::test
