// Feeds arbitrary bytes to the module scanner as every module type; the first byte picks the type.

#include "CModuleScanner.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    static const std::string path = "/tmp/fuzz_module_scanner." + std::to_string(getpid());
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data + 1, 1, size - 1, file);
    std::fclose(file);
    const ModuleScanResult result = CModuleScanner::Scan(path, 1 + data[0] % 6);
    if (result.channels < 0)
        __builtin_trap();
    return 0;
}
