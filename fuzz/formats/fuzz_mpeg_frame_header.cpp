// The MPEG frame-header decoder on every four-byte window of the input, then the search for the first
// confirmed frame over the input as a file. The seeds are MP3 and MP2 files.

#include "fuzz/tags/FuzzCheck.h"
#include "platform/formats/CByteReader.h"
#include "platform/formats/CMpegFrameHeader.h"
#include "platform/formats/CMpegFrameSearch.h"

#include <algorithm>
#include <cstdint>

namespace {

bool IsStandardRate(std::uint32_t hz)
{
    for (std::uint32_t rate : {44100u, 48000u, 32000u, 22050u, 24000u, 16000u, 11025u, 12000u, 8000u})
        if (hz == rate)
            return true;
    return false;
}

void CheckHeader(const std::uint8_t *p)
{
    const auto header = CMpegFrameHeader::Parse(p);
    if (!header)
        return;
    FUZZ_CHECK(header->VersionBits() != 1 && header->Layer() >= 1 && header->Layer() <= 3);
    FUZZ_CHECK(header->Bitrate() >= 8000 && header->Bitrate() <= 448000);
    FUZZ_CHECK(IsStandardRate(header->SampleRate()));
    FUZZ_CHECK(header->FrameLength() >= CMpegFrameHeader::kSize);
    FUZZ_CHECK(header->FrameLength() <= CMpegFrameHeader::kMaxFrameBytes);
    FUZZ_CHECK(header->SamplesPerFrame() == 384 || header->SamplesPerFrame() == 576 || header->SamplesPerFrame() == 1152);
    FUZZ_CHECK(!CMpegFrameHeader::ChannelModeName(header->ChannelMode()).empty());
    FUZZ_CHECK(header->SameStreamAs(*header));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    for (std::size_t i = 0; i + CMpegFrameHeader::kSize <= std::min<std::size_t>(size, 4096); ++i)
        CheckHeader(data + i);

    const auto found = CMpegFrameSearch::FindFirstFrame(CByteReader::FromMemory(data, size));
    if (!found)
        return 0;
    // A found frame is a header whose frame ends where the audio ends or is followed by a header of
    // the same stream.
    FUZZ_CHECK(found->tagsEnd <= found->offset && found->offset + CMpegFrameHeader::kSize <= size);
    FUZZ_CHECK(found->audioEnd <= size && found->offset < found->audioEnd);
    const auto first = CMpegFrameHeader::Parse(data + found->offset);
    FUZZ_CHECK(first && first->Word() == found->header.Word());
    const std::uint64_t next = found->offset + first->FrameLength();
    if (next == found->audioEnd)
        return 0;
    FUZZ_CHECK(next + CMpegFrameHeader::kSize <= size);
    const auto second = CMpegFrameHeader::Parse(data + next);
    FUZZ_CHECK(second && first->SameStreamAs(*second));
    return 0;
}
