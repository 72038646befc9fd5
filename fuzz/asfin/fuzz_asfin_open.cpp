// Opens each input as the player opens a Windows Media file through mv_asfin: the information
// query, playback from the start and from a later second, and the end of the stream.

#include "fuzz/tags/FuzzCheck.h"
#include "fuzz/tags/FuzzInputFile.h"
#include "plugins/include/mv_asfin.h"

#include <cstdint>
#include <cstring>

namespace {

void CheckRecord(const WmaInfo &info)
{
    FUZZ_CHECK(info.channels == 1 || info.channels == 2);
    FUZZ_CHECK(info.sampleRate > 0);
}

void Drain(std::uint32_t rounds)
{
    static std::uint8_t buffer[8192 + 16];
    for (std::uint32_t i = 0; i < rounds; ++i) {
        std::memset(buffer + 8192, 0xA5, 16);
        const std::uint32_t n = FillBuffer(buffer, 8192);
        FUZZ_CHECK(n <= 8192);
        for (int k = 0; k < 16; ++k)
            FUZZ_CHECK(buffer[8192 + k] == 0xA5); // never past the length asked for
        if (n < 8192) {
            FUZZ_CHECK(FillBuffer(buffer, 8192) == 0); // short, then nothing
            return;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static FuzzInputFile file;
    static WmaInfo record;
    static const int initialised = WMAInit(&record);
    FUZZ_CHECK(initialised == 1);
    file.Write(data, size);

    WmaInfo info{};
    if (ReadInfo(file.path().c_str(), &info))
        CheckRecord(info);
    std::memset(&record, 0, sizeof record);
    if (WMAOpen(file.path().c_str(), 0)) {
        CheckRecord(record);
        WmaInfo playing{};
        FUZZ_CHECK(ReadInfo(file.path().c_str(), &playing) == 1);
        FUZZ_CHECK(std::memcmp(&playing, &record, sizeof record) == 0);
        Drain(64);
        WMAClose();
    }
    const std::uint32_t start = size ? 1 + data[0] % 4 : 1;
    if (WMAOpen(file.path().c_str(), start)) {
        Drain(16);
        WMAClose();
    }
    std::uint8_t after[16];
    FUZZ_CHECK(FillBuffer(after, sizeof after) == 0);
    return 0;
}
