// Seismic Unix reader, any bytes as an .su file.
#include "fuzz_support.h"
#include "formats/bytesource.h"
#include "formats/su.h"
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    orv::Profile out = fuzz::Staged(), viaFile = fuzz::Staged();
    orv::SUReadInfo info, fileInfo;
    std::string error, fileError;
    orv::MemorySource memory(std::vector<uint8_t>(data, data + size));
    const bool ok = orv::ReadSUProfile(memory, out, info, error);
    fuzz::checkOutcome(ok, out, error);
    const std::string path = fuzz::scratchFile("in.su");
    fuzz::putFile(path, std::string_view(reinterpret_cast<const char *>(data), size));
    const bool fileOk = orv::ReadSUFile(path, viaFile, fileInfo, fileError);
    FUZZ_CHECK(fileOk == ok && fileError == error && fuzz::sameProfile(viaFile, out));
    if (!ok)
        return 0;
    FUZZ_CHECK(fileInfo.intervalMs == info.intervalMs && fileInfo.bigEndian == info.bigEndian
               && fileInfo.byteOrderGuessed == info.byteOrderGuessed && fileInfo.fittedTraces == info.fittedTraces);
    FUZZ_CHECK(info.intervalMs > 0 && info.intervalMs <= 65.535);
    FUZZ_CHECK(!info.intervalSubstituted || info.intervalMs == orv::SUFallbackIntervalMs);
    FUZZ_CHECK(out.TotalTime == static_cast<float>(info.intervalMs * out.NSamples));
    FUZZ_CHECK(info.fittedTraces >= 0 && info.fittedTraces < out.NTraces);
    return 0;
}
