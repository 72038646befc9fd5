// Feeds arbitrary bytes to the module scanner as every module type; the first byte picks the type.

#include "fuzz/tags/FuzzChecks.h"
#include "fuzz/tags/FuzzInputFile.h"
#include "tags/CModuleScanner.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    static FuzzInputFile file;
    file.Write(data + 1, size - 1);
    const ModuleScanResult result = CModuleScanner::Scan(file.path(), 1 + data[0] % 6);
    FUZZ_CHECK(result.channels >= 0);
    CheckOrderTimes(result.orderTimes, result.lengthSeconds);
    return 0;
}
