// The WAV length reader. Every input of twelve bytes or more is made a RIFF/WAVE file (the magic is
// written over bytes 0 to 3 and 8 to 11), so the fuzzer spends its time in the chunk walk.

#include "fuzz/tags/FuzzChecks.h"
#include "fuzz/tags/FuzzInputFile.h"

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::vector<std::uint8_t> bytes(data, data + size);
    if (size >= 12) {
        std::memcpy(bytes.data(), "RIFF", 4);
        std::memcpy(bytes.data() + 8, "WAVE", 4);
    }
    static FuzzInputFile file;
    file.Write(bytes.data(), bytes.size());
    CTrackInfo info(file.path());
    const std::int32_t type = info.Read(nullptr);
    CheckTexts(info);
    // Module magic numbers are tested first, so a WAV file can also be a module (S3M at byte 44).
    if (size < 12 || IsModuleType(type))
        return 0;
    FUZZ_CHECK(type == kTypeWav || type == kTypeUnknown);
    if (type == kTypeWav) {
        FUZZ_CHECK(info.GetLength() >= 1);
        FUZZ_CHECK(info.GetChannels() >= 0 && info.GetChannels() <= 2);
        FUZZ_CHECK(info.GetSize() == size);
        // The length cannot promise more audio than the file holds.
        const std::uint64_t bytesPerSecond = static_cast<std::uint64_t>(info.GetBitrate()) * 1000 / 8;
        if (info.GetLength() > 1)
            FUZZ_CHECK(info.GetLength() * bytesPerSecond <= size);
    } else {
        // A rejected file is reset: nothing but the title (its name) is left.
        FUZZ_CHECK(info.GetLength() == 0 && info.GetChannels() == 0 && info.GetBitrate() == 0 &&
                   info.GetFrequency() == 0 && info.GetSize() == 0);
    }
    return 0;
}
