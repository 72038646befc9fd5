// The tag reader on MPEG audio (the frame-header decoder and the frame search have fuzz_mpeg_frame_header).
// The seeds are MP3 and MP2 files, so most inputs look like MPEG audio.

#include "fuzz/tags/FuzzChecks.h"
#include "fuzz/tags/FuzzInputFile.h"

#include <algorithm>
#include <cstdint>

namespace {

bool IsStandardRate(std::int32_t hz)
{
    for (std::int32_t rate : {44100, 48000, 32000, 22050, 24000, 16000, 11025, 12000, 8000})
        if (hz == rate)
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static FuzzInputFile file;
    file.Write(data, size);
    CTrackInfo info(file.path());
    info.Read(nullptr);
    CheckTexts(info);
    if (info.GetType() == kTypeMpeg) {
        FUZZ_CHECK(info.GetLength() > 0);
        FUZZ_CHECK(info.GetBitrate() >= 0);
        FUZZ_CHECK(info.GetChannels() == 1 || info.GetChannels() == 2);
        FUZZ_CHECK(IsStandardRate(info.GetFrequency()));
        FUZZ_CHECK(info.GetMpegVersion() != 1 && info.GetMpegLayer() != 0);
        FUZZ_CHECK(!info.GetChannelMode().empty());
    } else {
        FUZZ_CHECK(!info.HasId3v1());
    }
    return 0;
}
