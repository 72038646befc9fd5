#include "platform/bass/sources/RiffWaveProbe.h"

#include <cstring>

#include <unistd.h>

namespace melvane::bass {

namespace {

std::uint32_t LittleEndian32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

} // namespace

bool RiffWaveProbe::IsRiffWave(const std::uint8_t *head, std::size_t size)
{
    return size >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0;
}

std::optional<RiffWaveProbe::Layout> RiffWaveProbe::Inspect(int fd, std::uint64_t fileSize)
{
    std::uint8_t head[12];
    if (fileSize < 12 || ::pread(fd, head, sizeof head, 0) != static_cast<ssize_t>(sizeof head)
        || !IsRiffWave(head, sizeof head))
        return std::nullopt;

    Layout layout;
    bool formatSeen = false;
    std::uint64_t pos = 12;
    for (int chunk = 0; chunk < kMaxChunks && pos + 8 <= fileSize; ++chunk) {
        std::uint8_t header[8];
        if (::pread(fd, header, sizeof header, static_cast<off_t>(pos)) != static_cast<ssize_t>(sizeof header))
            return std::nullopt;
        const std::uint64_t size = LittleEndian32(header + 4);
        const std::uint64_t body = pos + 8;
        if (std::memcmp(header, "data", 4) == 0)
            return formatSeen ? std::optional<Layout>(layout) : std::nullopt;
        if (body + size > fileSize)
            return std::nullopt;
        if (std::memcmp(header, "fmt ", 4) == 0) {
            std::uint8_t tag[2];
            if (size < 14 || size > kMaxFormatChunk || ::pread(fd, tag, 2, static_cast<off_t>(body)) != 2)
                return std::nullopt;
            layout.formatTag = static_cast<std::uint16_t>(tag[0] | (tag[1] << 8));
            formatSeen = true;
        } else if (std::memcmp(header, "fact", 4) == 0 && size >= 4) {
            std::uint8_t frames[4];
            if (::pread(fd, frames, 4, static_cast<off_t>(body)) != 4)
                return std::nullopt;
            layout.factFrames = LittleEndian32(frames);
        }
        pos = body + size + (size & 1);
    }
    return std::nullopt;
}

} // namespace melvane::bass
