// One module format's loader and song simulation on arbitrary bytes. Built once per format:
// FUZZ_MODULE_TYPE is the playlist type code (1 = MOD, whose channel count then follows the magic as the
// type detection does, 4 = S3M, 5 = XM, 6 = IT).

#include "fuzz/tags/FuzzChecks.h"
#include "fuzz/tags/FuzzInputFile.h"
#include "tags/CModuleScanner.h"

#include <cstdint>
#include <cstring>

namespace {

std::int32_t TypeOf(const std::uint8_t *data, std::size_t size)
{
    if (FUZZ_MODULE_TYPE != kTypeMod4 || size < 1084)
        return FUZZ_MODULE_TYPE;
    const std::uint8_t *magic = data + 1080;
    if (std::memcmp(magic, "6CHN", 4) == 0)
        return kTypeMod6;
    if (std::memcmp(magic, "8CHN", 4) == 0 || std::memcmp(magic, "FLT8", 4) == 0)
        return kTypeMod8;
    return kTypeMod4;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static FuzzInputFile file;
    file.Write(data, size);
    const ModuleScanResult result = CModuleScanner::Scan(file.path(), TypeOf(data, size));
    CheckOrderTimes(result.orderTimes, result.lengthSeconds);
    FUZZ_CHECK(result.channels >= 0);
    if (FUZZ_MODULE_TYPE == kTypeIt)
        FUZZ_CHECK(result.channels <= 64);
    if (FUZZ_MODULE_TYPE == kTypeS3m)
        FUZZ_CHECK(result.channels <= 32);
    return 0;
}
