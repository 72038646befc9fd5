#include "platform/formats/CRiffChunkWalker.h"

#include <algorithm>
#include <cstring>

namespace {

std::uint32_t Le32(const std::uint8_t *p)
{
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

std::uint16_t Le16(const std::uint8_t *p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

} // namespace

std::uint64_t CRiffChunkWalker::Layout::DataInFile(std::uint64_t fileSize) const
{
    if (fileSize <= dataAt)
        return 0;
    // A size of 0 is a header never finalised: the samples run to the end of the file.
    return dataSize == 0 ? fileSize - dataAt : std::min<std::uint64_t>(dataSize, fileSize - dataAt);
}

bool CRiffChunkWalker::IsRiffWave(const std::uint8_t *head, std::size_t size)
{
    return size >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0;
}

std::optional<CRiffChunkWalker::Layout> CRiffChunkWalker::Walk(const CByteReader &file)
{
    const std::uint64_t fileSize = file.Size();
    std::uint8_t head[12];
    if (file.ReadAt(0, head, sizeof head) != sizeof head || !IsRiffWave(head, sizeof head))
        return std::nullopt;

    Layout layout;
    bool formatSeen = false;
    std::uint64_t pos = 12;
    for (int chunk = 0; chunk < kMaxChunks && pos + 8 <= fileSize; ++chunk) {
        std::uint8_t header[8];
        if (file.ReadAt(pos, header, sizeof header) != sizeof header)
            return std::nullopt;
        const std::uint32_t size = Le32(header + 4);
        const std::uint64_t body = pos + 8;
        if (std::memcmp(header, "data", 4) == 0) {
            if (!formatSeen)
                return std::nullopt;
            layout.dataAt = body;
            layout.dataSize = size;
            return layout;
        }
        if (body + size > fileSize)
            return std::nullopt;
        if (std::memcmp(header, "fmt ", 4) == 0 && !formatSeen) {
            std::uint8_t format[16] = {};
            if (size < kMinFormatChunk || size > kMaxFormatChunk
                || file.ReadAt(body, format, std::min<std::size_t>(size, sizeof format)) < kMinFormatChunk)
                return std::nullopt;
            layout.format.tag = Le16(format);
            layout.format.channels = Le16(format + 2);
            layout.format.sampleRate = Le32(format + 4);
            layout.format.bytesPerSecond = Le32(format + 8);
            layout.format.blockAlign = Le16(format + 12);
            layout.format.bitsPerSample = size >= 16 ? Le16(format + 14) : 0;
            layout.formatAt = body;
            layout.formatSize = size;
            formatSeen = true;
        } else if (std::memcmp(header, "fact", 4) == 0 && size >= 4 && !layout.factFrames) {
            std::uint8_t frames[4];
            if (file.ReadAt(body, frames, 4) != 4)
                return std::nullopt;
            layout.factFrames = Le32(frames);
        }
        pos = body + size + (size & 1);
    }
    return std::nullopt;
}
