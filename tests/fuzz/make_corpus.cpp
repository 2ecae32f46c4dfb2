// Writes the seed corpora of the fuzz targets: profiles saved by the
// program's own writers, and small hand-made cases around the edges each
// reader has to get right. Every run writes the same bytes.
//
//   fuzz_make_corpus <corpus-dir>     (writes <corpus-dir>/<target>/<name>)
#include "fuzz_support.h"

#include "formats/ascii.h"
#include "formats/rd3.h"
#include "formats/su.h"
#include "picks/picksfile.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path out;

void seed(const char *target, const char *name, const std::string &bytes)
{
    fs::create_directories(out / target);
    fuzz::putFile((out / target / name).string(), bytes);
}

std::string must(bool ok, const std::string &path, const std::string &error)
{
    if (!ok) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
        std::exit(1);
    }
    return fuzz::fileBytes(path);
}

// nt x ns amplitudes telling traces and samples apart, both signs, a few
// awkward values among them.
orv::Array2D amplitudes(int nt, int ns)
{
    orv::Array2D a;
    a.allocate(nt, ns);
    for (int t = 1; t <= nt; ++t)
        for (int s = 1; s <= ns; ++s)
            a(t, s) = static_cast<float>((t * 37 + s * 11) % 200 - 100) * 0.75f;
    a(1, 1) = 32767;
    a(nt, ns) = -32768;
    if (ns > 2)
        a(1, 2) = 1e-7f, a(1, 3) = 123456789.0f;
    return a;
}

std::string le16(int v) { return {static_cast<char>(v & 0xff), static_cast<char>((v >> 8) & 0xff)}; }
std::string sizes(int a, int b) { return le16(a) + le16(b); }

// A bare SU trace: a zero header with ns and dt in the given byte order,
// then ns samples of 4 bytes each.
std::string suTrace(int ns, int dt, bool big, const std::string &samples)
{
    std::string h(240, '\0');
    auto put = [&](size_t at, int v) {
        h[at + (big ? 1 : 0)] = static_cast<char>(v & 0xff);
        h[at + (big ? 0 : 1)] = static_cast<char>((v >> 8) & 0xff);
    };
    put(114, ns);
    put(116, dt);
    return h + samples;
}

std::string floatsBE(const std::vector<float> &v)
{
    std::string b;
    for (const float f : v) {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        for (int i = 3; i >= 0; --i)
            b += static_cast<char>((u >> (8 * i)) & 0xff);
    }
    return b;
}

void suSeeds()
{
    std::string error;
    const std::string path = fuzz::scratchFile("seed.su");
    orv::Array2D a = amplitudes(3, 8);
    const std::string written = must(orv::WriteSUFile(path, a, 3, 8, 4, error), path, error);
    seed("su", "written_3x8", written);
    seed("su", "written_cut_mid_sample", written.substr(0, written.size() - 6));
    a = amplitudes(2, 4);
    seed("su", "written_no_interval", must(orv::WriteSUFile(path, a, 2, 4, 0, error), path, error));
    seed("su", "big_endian", suTrace(3, 250, true, floatsBE({1, -2, 3.5f})) + suTrace(3, 250, true, floatsBE({4, 5, 6})));
    seed("su", "traces_of_other_lengths",
         suTrace(2, 1000, false, std::string(8, '\x01')) + suTrace(3, 1000, false, std::string(12, '\x02'))
             + suTrace(1, 1000, false, std::string(4, '\x03')));
    seed("su", "ns_reads_same_both_ways", suTrace(257, 100, false, std::string(4 * 257, '\0')));
    seed("su", "negative_ns", suTrace(2, 1, false, std::string(8, '\0')) + suTrace(-5, 1, false, ""));
    seed("su", "empty_header_then_trace", suTrace(0, 0, false, "") + suTrace(1, 4, false, std::string(4, '\x40')));
}

void rd3Seeds()
{
    std::string error;
    const std::string path = fuzz::scratchFile("seed.rd3");
    orv::Array2D a = amplitudes(4, 16);
    must(orv::WriteRD3File(path, a, 4, 16, error), path, error);
    const std::string rad = fuzz::fileBytes(fuzz::scratchFile("seed.rad")), rd3 = fuzz::fileBytes(path);
    const std::string split(fuzz::kSplit);
    seed("rd3", "written_4x16", rad + split + rd3);
    seed("rd3", "data_short_by_a_byte", rad + split + rd3.substr(0, rd3.size() - 1));
    seed("rd3", "keys_out_of_place_cr",
         "FREQUENCY:1000\rLAST TRACE:2\rSAMPLES:3\rTIMEWINDOW:0.25\r" + split + std::string("\x01\x80\xff\x7f\0\0\x10\x20", 8));
    seed("rd3", "keys_without_colon_commas", "SAMPLES 4,LAST TRACE: 1, TIMEWINDOW:12" + split + le16(-1) + le16(7));
    seed("rd3", "half_a_trace", "SAMPLES:2.5\r\nTIMEWINDOW:1\r\nLAST TRACE:1\r\n" + split + "abcd");
    seed("rd3", "header_only", rad);
}

// A DT1 header of the four keys (values from the 21st character) and
// records of a 128-byte trace header and ns samples.
void dt1Seeds()
{
    auto key = [](std::string name, const std::string &value) {
        name.resize(19, ' ');
        return name + "=" + value + "\r\n";
    };
    const std::string hd = "1234\r\nDATA\r\n" + key("NUMBER OF TRACES", "3") + key("NUMBER OF PTS/TRC", "8")
        + key("TIMEZERO AT POINT", "12") + key("TOTAL TIME WINDOW", "50.5") + key("STEP SIZE USED", "0.25");
    std::string data;
    for (int t = 0; t < 3; ++t) {
        data += std::string(128, static_cast<char>(t));
        for (int s = 0; s < 8; ++s)
            data += le16((t * 1000 + s * 77) * (s % 2 ? -1 : 1));
    }
    const std::string split(fuzz::kSplit);
    seed("dt1", "three_traces", hd + split + data);
    seed("dt1", "last_record_cut_in_a_sample", hd + split + data.substr(0, data.size() - 5));
    seed("dt1", "last_record_header_only", hd + split + data.substr(0, 2 * 144 + 100));
    seed("dt1", "keys_out_of_order", key("NUMBER OF PTS/TRC", "8") + key("NUMBER OF TRACES", "3")
                                         + key("TOTAL TIME WINDOW", "50") + key("STEP SIZE USED", "1") + split + data);
    seed("dt1", "bare_lf_commas", "NUMBER OF TRACES   = 2,x\nNUMBER OF PTS/TRC  = 1\n\nTOTAL TIME WINDOW  = 5e1\n"
                                  "X = 1, STEP SIZE USED" + split + data.substr(0, 300));
}

void asciiSeeds()
{
    std::string error;
    const std::string path = fuzz::scratchFile("seed.dat");
    orv::Array2D a = amplitudes(3, 5);
    seed("ascii", "written_3x5", sizes(3, 5) + le16(60) + must(orv::WriteAsciiFile(path, a, 3, 5, error), path, error));
    seed("ascii", "separators", sizes(2, 4) + le16(8) + "\r\n\n1 , 2 ,3,\t4\r5\n,,7\n\n");
    seed("ascii", "odd_items", sizes(1, 9) + le16(1) + "1e999 -0 +.5 1D3 abc 0x10 . -1e-50 9999999.6");
    seed("ascii", "too_few", sizes(2, 3) + le16(10) + "1 2 3 4 5");
    seed("ascii", "no_traces", sizes(0, 3) + le16(10) + "1 2 3");
}

void picksSeeds()
{
    const std::vector<float> picks{0, 12.5f, 0, -3.25f, 1000.0625f};
    seed("picks", "written_4", le16(4) + orv::FormatPicks(picks, 4));
    seed("picks", "commas_cr", le16(3) + "1,.5\r2,.75\r3,1e-3\r");
    seed("picks", "too_few", le16(5) + " 1  .0125 \r\n 2  .0130 \r\n");
    seed("picks", "not_a_number", le16(2) + " 1  .0125 \r\n 2  x.0130 \r\n");
    seed("picks", "trace_beyond_16_bits", le16(1) + "32767.5 1");
    seed("picks", "pick_too_large", le16(2) + "1 3e35\n2 1e400\n");
    seed("picks", "no_traces", le16(0) + "1 2");
}

void numbersSeeds()
{
    // First byte: how many call-choosing bytes follow (0 = number items only).
    seed("numbers", "number_items", std::string(1, '\0') + "1, 2,,3\r\n 4 \r\r\n5\t6,\n,7 1e5 -2.5E-3 1D2 x");
    seed("numbers", "rad_header_as_text",
         std::string("\x01\x00", 2) + "SAMPLES:512\r\nFREQUENCY:1705.02\r\nANTENNAS:50 MHz\r\nTIMEWINDOW: 700\r\n");
    seed("numbers", "all_calls", std::string("\x04\x00\x01\x02\x03", 5) + "a b, c\rd 1 2\n\n,3 , 4\r\n  \t");
    seed("numbers", "lines_and_items", std::string("\x02\x03\x02", 3) + "line one\r\n 7 8 \rline three\n9,10");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus-dir>\n", argv[0]);
        return 2;
    }
    out = argv[1];
    suSeeds();
    rd3Seeds();
    dt1Seeds();
    asciiSeeds();
    picksSeeds();
    numbersSeeds();
    return 0;
}
