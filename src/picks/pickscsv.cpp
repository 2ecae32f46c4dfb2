#include "picks/pickscsv.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>

namespace orv {

namespace {

constexpr size_t TraceHeaderBytes = 240;

void Number(std::string &out, int64_t v)
{
    char buf[24];
    out.append(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

// Big enough for any double in plain notation.
template <typename T>
void Number(std::string &out, T v)
{
    if (!std::isfinite(v))
        return;
    char buf[400];
    out.append(buf, std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed).ptr);
}

// A field as RFC 4180 wants it: quoted, with its quotes doubled, when it
// holds a comma, a quote or a line break.
void Field(std::string &out, const char *text)
{
    if (!std::strpbrk(text, ",\"\r\n")) {
        out += text;
        return;
    }
    out += '"';
    for (const char *p = text; *p; ++p) {
        if (*p == '"')
            out += '"';
        out += *p;
    }
    out += '"';
}

// A signed field of n bytes at offset `at` of a trace header.
int64_t HeaderInt(const unsigned char *h, size_t at, size_t n, bool little)
{
    uint64_t u = 0;
    for (size_t i = 0; i < n; ++i)
        u = u << 8 | h[at + (little ? n - 1 - i : i)];
    const uint64_t sign = uint64_t(1) << (8 * n - 1);
    return static_cast<int64_t>(u ^ sign) - static_cast<int64_t>(sign);
}

} // namespace

std::string FormatPicksCsv(const ProfileStore &st)
{
    const size_t n = st.NTraces >= 1 ? static_cast<size_t>(st.NTraces) : 0;
    const FileHeaders &h = st.Headers;
    const bool geometry = h.kind != FileHeaders::Kind::None && h.traces.size() / TraceHeaderBytes >= n;
    const bool positions = n != 0 && h.positions.size() >= n;

    std::string out;
    out.reserve((n + 1) * 64);
    const char *names[] = {"trace", "pick_time", "pick_sample", "source_x", "source_y",
                           "receiver_x", "receiver_y", "offset", "position"};
    for (size_t k = 0; k < std::size(names); ++k) {
        if ((k >= 3 && k <= 7 && !geometry) || (k == 8 && !positions))
            continue;
        if (k != 0)
            out += ',';
        Field(out, names[k]);
    }
    out += "\r\n";

    const float perTime = st.NSamples / st.TotalTime;
    for (size_t t = 1; t <= n; ++t) {
        Number(out, static_cast<int64_t>(t));
        out += ',';
        const float pick = t < st.Picks.size() ? st.Picks[t] : 0.0f;
        if (pick != 0)
            Number(out, pick);
        out += ',';
        if (pick != 0)
            Number(out, perTime * pick);
        if (geometry) {
            const unsigned char *th = h.traces.data() + (t - 1) * TraceHeaderBytes;
            const bool le = h.littleEndian;
            const int64_t scalco = HeaderInt(th, 70, 2, le);
            for (size_t at : {72, 76, 80, 84}) {
                const double v = static_cast<double>(HeaderInt(th, at, 4, le));
                out += ',';
                Number(out, scalco > 0 ? v * static_cast<double>(scalco)
                                       : (scalco < 0 ? v / static_cast<double>(-scalco) : v));
            }
            out += ',';
            Number(out, HeaderInt(th, 36, 4, le));
        }
        if (positions) {
            out += ',';
            Number(out, h.positions[t - 1]);
        }
        out += "\r\n";
    }
    return out;
}

} // namespace orv
