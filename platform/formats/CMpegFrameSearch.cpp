#include "platform/formats/CMpegFrameSearch.h"

#include "platform/formats/CId3v2Tag.h"

#include <algorithm>
#include <cstring>
#include <vector>

std::optional<std::uint64_t> CMpegFrameSearch::FindInWindow(const std::uint8_t *data, std::size_t size,
                                                             std::uint64_t baseOffset, std::uint64_t audioEnd)
{
    // Frames and their successors lie inside the audio, not in a trailing tag.
    if (audioEnd <= baseOffset)
        return std::nullopt;
    size = static_cast<std::size_t>(std::min<std::uint64_t>(size, audioEnd - baseOffset));
    if (size < CMpegFrameHeader::kSize)
        return std::nullopt;
    const std::size_t last = std::min(size - CMpegFrameHeader::kSize, kSearchWindow);
    for (std::size_t pos = 0; pos <= last; ++pos) {
        if (data[pos] != 0xFF)
            continue;
        const auto first = CMpegFrameHeader::Parse(data + pos);
        if (!first)
            continue;
        const std::size_t next = pos + first->FrameLength();
        if (baseOffset + next == audioEnd)
            return baseOffset + pos;
        if (next + CMpegFrameHeader::kSize > size)
            continue;
        const auto second = CMpegFrameHeader::Parse(data + next);
        if (second && first->SameStreamAs(*second))
            return baseOffset + pos;
    }
    return std::nullopt;
}

std::optional<CMpegFrameSearch::Found> CMpegFrameSearch::FindFirstFrame(const CByteReader &file)
{
    const std::uint64_t fileSize = file.Size();
    std::uint64_t start = 0;
    std::uint8_t head[CId3v2Tag::kHeaderSize];
    for (int tags = 0; tags < kMaxId3v2Tags; ++tags) {
        const std::size_t got = file.ReadAt(start, head, sizeof head);
        const std::uint64_t tag = CId3v2Tag::Size(head, got);
        if (tag == 0)
            break;
        start += tag;
        if (start >= fileSize)
            return std::nullopt;
    }

    std::uint64_t audioEnd = fileSize;
    if (fileSize >= start + kId3v1Size) {
        std::uint8_t tail[3];
        if (file.ReadAt(fileSize - kId3v1Size, tail, 3) == 3 && std::memcmp(tail, "TAG", 3) == 0)
            audioEnd = fileSize - kId3v1Size;
    }

    std::vector<std::uint8_t> window(kSearchWindow + CMpegFrameHeader::kMaxFrameBytes + CMpegFrameHeader::kSize);
    const std::size_t got = file.ReadAt(start, window.data(), window.size());
    const auto offset = FindInWindow(window.data(), got, start, audioEnd);
    if (!offset)
        return std::nullopt;
    Found found{*offset, start, audioEnd, *CMpegFrameHeader::Parse(window.data() + (*offset - start))};
    return found;
}
