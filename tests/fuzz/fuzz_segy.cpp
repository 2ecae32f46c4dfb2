// SEG-Y reader, any bytes as a .sgy file; what it reads is written and read back.
#include "fuzz_support.h"
#include "formats/bytesource.h"
#include "formats/segy.h"
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    orv::Profile out = fuzz::staging(), viaFile = fuzz::staging();
    out.Headers.kind = viaFile.Headers.kind = orv::FileHeaders::Kind::SU;
    out.Headers.traces = viaFile.Headers.traces = {9};
    orv::SEGYReadInfo info, fileInfo;
    std::string error, fileError;
    orv::MemorySource memory(std::vector<uint8_t>(data, data + size));
    const bool ok = orv::ReadSEGYProfile(memory, out, info, error);
    fuzz::checkOutcome(ok, out, error);
    const std::string path = fuzz::scratchFile("in.sgy");
    fuzz::putFile(path, std::string_view(reinterpret_cast<const char *>(data), size));
    const bool fileOk = orv::ReadSEGYFile(path, viaFile, fileInfo, fileError);
    FUZZ_CHECK(fileOk == ok && fileError == error && fuzz::sameProfile(viaFile, out));
    FUZZ_CHECK(viaFile.Headers.file == out.Headers.file && viaFile.Headers.traces == out.Headers.traces);
    const orv::FileHeaders &h = out.Headers;
    if (!ok) {
        FUZZ_CHECK(h.kind == orv::FileHeaders::Kind::SU && h.traces == std::vector<unsigned char>{9} && h.file.empty());
        return 0;
    }
    const int nt = static_cast<int>(out.NTraces), ns = static_cast<int>(out.NSamples);
    FUZZ_CHECK(h.kind == orv::FileHeaders::Kind::SEGY && h.littleEndian == !info.bigEndian);
    FUZZ_CHECK(h.traces.size() == 240 * size_t(nt) && h.file.size() >= 3600 && (h.file.size() - 3600) % 3200 == 0);
    FUZZ_CHECK(std::memcmp(h.file.data(), data, h.file.size()) == 0);
    FUZZ_CHECK(info.intervalMs > 0 && std::isfinite(info.intervalMs));
    FUZZ_CHECK(!info.intervalSubstituted || info.intervalMs == 4.0);
    FUZZ_CHECK(out.TotalTime == static_cast<float>(info.intervalMs * ns));
    FUZZ_CHECK(info.fittedTraces >= 0 && info.fittedTraces < nt && (info.cutTrace == 0 || info.cutTrace == nt));
    if (fuzz::sampleCount(out) > fuzz::kWalkLimit)
        return 0;
    const std::string written = fuzz::scratchFile("out.sgy");
    std::string writeError;
    if (!orv::WriteSEGYFile(written, out.RawData, out.NTraces, out.NSamples, out.TotalTime, h, writeError)) {
        FUZZ_CHECK(!writeError.empty());
        return 0;
    }
    orv::Profile again;
    orv::SEGYReadInfo againInfo;
    FUZZ_CHECK_MSG(orv::ReadSEGYFile(written, again, againInfo, error), error);
    FUZZ_CHECK(again.RawData == out.RawData && againInfo.bigEndian && againInfo.format == 5);
    FUZZ_CHECK(again.Headers.file.size() == h.file.size()
               && std::memcmp(again.Headers.file.data(), h.file.data(), 3200) == 0);
    return 0;
}
