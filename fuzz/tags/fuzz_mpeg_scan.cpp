// The MPEG frame scan: every four-byte window of the input decoded as a frame header, then the input read
// as a file. The seeds are MP3 and MP2 files, so most inputs look like MPEG audio.

#include "fuzz/tags/FuzzChecks.h"
#include "fuzz/tags/FuzzInputFile.h"
#include "tags/CMpegHeader.h"

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

void CheckHeader(std::uint32_t word)
{
    const CMpegHeader header(word);
    const std::uint32_t length = header.FrameLength();
    if (!header.IsCandidate() || length == 0)
        return;
    // A frame length comes only from a real version, layer, bit rate and sample rate.
    FUZZ_CHECK(header.Version() != 1 && header.Layer() != 0);
    FUZZ_CHECK(header.Bitrate() >= 8000 && header.Bitrate() <= 448000);
    FUZZ_CHECK(IsStandardRate(static_cast<std::int32_t>(header.SampleRate())));
    // The longest frame: Layer II at 160 kbit/s and 8 kHz (MPEG-2.5), padded.
    FUZZ_CHECK(length <= 2881);
    FUZZ_CHECK(header.SamplesPerFrame() == 384 || header.SamplesPerFrame() == 576 || header.SamplesPerFrame() == 1152);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    for (std::size_t i = 0; i + 4 <= std::min<std::size_t>(size, 4096); ++i)
        CheckHeader(std::uint32_t{data[i]} << 24 | std::uint32_t{data[i + 1]} << 16 | std::uint32_t{data[i + 2]} << 8 |
                    data[i + 3]);

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
