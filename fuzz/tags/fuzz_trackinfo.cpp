// Reads each input as the player reads a file it is given: type, tags and length.

#include "fuzz/tags/FuzzChecks.h"
#include "fuzz/tags/FuzzInputFile.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static FuzzInputFile file;
    file.Write(data, size);
    CTrackInfo info(file.path());
    const std::int32_t type = info.Read(nullptr);
    FUZZ_CHECK(type >= kTypeUnknown && type <= kTypeFlac && type != kTypeWma);
    if (type != kTypeUnknown)
        FUZZ_CHECK(info.GetSize() == size);
    CheckTexts(info);
    if (IsModuleType(type))
        CheckOrderTimes(info.GetOrderTimes(), info.GetLength());
    return 0;
}
