// SEG-Y reader, any bytes as a .sgy file; what it reads is written and read back.
#include "fuzz_support.h"
#include "formats/bytesource.h"
#include "formats/segy.h"
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    orv::Profile out = fuzz::Staged(), viaFile = fuzz::Staged();
    const orv::FileHeaders staged{orv::FileHeaders::Kind::SU, true, {}, {9}, {}};
    out.Headers = viaFile.Headers = staged;
    orv::SEGYReadInfo info, fileInfo;
    std::string error, fileError;
    orv::MemorySource memory(std::vector<uint8_t>(data, data + size));
    const bool ok = orv::ReadSEGYProfile(memory, out, info, error);
    fuzz::checkOutcome(ok, out, error);
    const std::string path = fuzz::scratchFile("in.sgy");
    fuzz::putFile(path, std::string_view(reinterpret_cast<const char *>(data), size));
    const bool fileOk = orv::ReadSEGYFile(path, viaFile, fileInfo, fileError);
    const orv::FileHeaders &h = out.Headers;
    FUZZ_CHECK(fileOk == ok && fileError == error && fuzz::sameProfile(viaFile, out) && viaFile.Headers.file == h.file
               && viaFile.Headers.traces == h.traces && h.littleEndian == (ok ? !info.bigEndian : true));
    if (!ok) {
        FUZZ_CHECK(h.kind == staged.kind && h.traces == staged.traces && h.file.empty());
        return 0;
    }
    const int nt = static_cast<int>(out.NTraces), ns = static_cast<int>(out.NSamples);
    FUZZ_CHECK(h.kind == orv::FileHeaders::Kind::SEGY && h.traces.size() == 240 * size_t(nt) && h.file.size() >= 3600
               && (h.file.size() - 3600) % 3200 == 0 && std::memcmp(h.file.data(), data, h.file.size()) == 0);
    FUZZ_CHECK(info.intervalMs > 0 && std::isfinite(info.intervalMs) && out.TotalTime == static_cast<float>(info.intervalMs * ns));
    FUZZ_CHECK(!info.intervalSubstituted || info.intervalMs == 4.0);
    FUZZ_CHECK(info.fittedTraces >= 0 && info.fittedTraces < nt && (info.cutTrace == 0 || info.cutTrace == nt));
    const std::string written = fuzz::scratchFile("out.sgy");
    std::string writeError;
    if (fuzz::sampleCount(out) > fuzz::kWalkLimit
        || !orv::WriteSEGYFile(written, out.RawData, out.NTraces, out.NSamples, out.TotalTime, h, writeError)) {
        FUZZ_CHECK(fuzz::sampleCount(out) > fuzz::kWalkLimit || !writeError.empty());
        return 0;
    }
    orv::Profile again;
    FUZZ_CHECK_MSG(orv::ReadSEGYFile(written, again, info, error), error);
    FUZZ_CHECK(again.RawData == out.RawData && info.bigEndian && info.format == 5 && again.Headers.file.size() == h.file.size()
               && std::memcmp(again.Headers.file.data(), h.file.data(), 3200) == 0);
    return 0;
}
