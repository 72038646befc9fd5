#include "platform/bass/sources/MpegStreamProbe.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <unistd.h>

namespace melvane::bass {

namespace {

// Kbit/s by [MPEG-1 ? 0 : 1][layer - 1][index].
constexpr int kBitrates[2][3][16] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}}};
constexpr int kMpeg1Rates[3] = {44100, 48000, 32000};

// Longest possible frame (layer 2, 384 kbit/s at 32 kHz, padded) plus a following header.
constexpr std::size_t kMaxFrameBytes = 1729 + 4;

bool ReadAt(int fd, std::uint64_t offset, std::uint8_t *out, std::size_t size, std::size_t &got)
{
    got = 0;
    while (got < size) {
        ssize_t n = ::pread(fd, out + got, size - got, static_cast<off_t>(offset + got));
        if (n < 0)
            return false;
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::optional<MpegStreamProbe::FrameHeader> MpegStreamProbe::ParseHeader(const std::uint8_t *p)
{
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0)
        return std::nullopt;
    const int versionBits = (p[1] >> 3) & 3;
    const int layerBits = (p[1] >> 1) & 3;
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    const int padding = (p[2] >> 1) & 1;
    if (versionBits == 1 || layerBits == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3
        || (p[3] & 3) == 2)
        return std::nullopt;

    FrameHeader h;
    h.version = versionBits == 3 ? 10 : versionBits == 2 ? 20 : 25;
    h.layer = 4 - layerBits;
    h.bitrateKbps = kBitrates[h.version == 10 ? 0 : 1][h.layer - 1][bitrateIndex];
    h.sampleRate = kMpeg1Rates[rateIndex] / (h.version == 10 ? 1 : h.version == 20 ? 2 : 4);
    h.channels = (p[3] >> 6) == 3 ? 1 : 2;
    const long bps = h.bitrateKbps * 1000L;
    if (h.layer == 1)
        h.frameBytes = static_cast<std::size_t>((12 * bps / h.sampleRate + padding) * 4);
    else if (h.layer == 3 && h.version != 10)
        h.frameBytes = static_cast<std::size_t>(72 * bps / h.sampleRate + padding);
    else
        h.frameBytes = static_cast<std::size_t>(144 * bps / h.sampleRate + padding);
    return h;
}

std::uint64_t MpegStreamProbe::Id3v2Size(const std::uint8_t *p, std::size_t size)
{
    if (size < 10 || std::memcmp(p, "ID3", 3) != 0 || p[3] == 0xFF || p[4] == 0xFF)
        return 0;
    if ((p[6] | p[7] | p[8] | p[9]) & 0x80)
        return 0;
    std::uint64_t body = (std::uint64_t(p[6]) << 21) | (std::uint64_t(p[7]) << 14) | (std::uint64_t(p[8]) << 7) | p[9];
    const bool footer = (p[5] & 0x10) != 0;
    return 10 + body + (footer ? 10 : 0);
}

std::optional<std::uint64_t> MpegStreamProbe::FindFirstFrame(const std::uint8_t *data, std::size_t size,
                                                             std::uint64_t baseOffset, std::uint64_t audioEnd)
{
    if (size < 4)
        return std::nullopt;
    const std::size_t last = std::min(size - 4, kSearchWindow);
    for (std::size_t pos = 0; pos <= last; ++pos) {
        if (data[pos] != 0xFF)
            continue;
        auto first = ParseHeader(data + pos);
        if (!first)
            continue;
        const std::size_t next = pos + first->frameBytes;
        if (baseOffset + next == audioEnd)
            return baseOffset + pos;
        if (next + 4 > size)
            continue;
        auto second = ParseHeader(data + next);
        if (second && second->version == first->version && second->layer == first->layer
            && second->sampleRate == first->sampleRate)
            return baseOffset + pos;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> MpegStreamProbe::FindFirstFrame(int fd, std::uint64_t fileSize)
{
    std::uint64_t start = 0;
    std::uint8_t head[10];
    std::size_t got = 0;
    // Some taggers write more than one ID3v2 tag; a few are skipped, more is not audio.
    for (int tags = 0; tags < 4; ++tags) {
        if (!ReadAt(fd, start, head, sizeof head, got))
            return std::nullopt;
        const std::uint64_t tag = Id3v2Size(head, got);
        if (tag == 0)
            break;
        start += tag;
        if (start >= fileSize)
            return std::nullopt;
    }

    std::uint64_t audioEnd = fileSize;
    if (fileSize >= start + 128) {
        std::uint8_t tail[3];
        if (ReadAt(fd, fileSize - 128, tail, 3, got) && got == 3 && std::memcmp(tail, "TAG", 3) == 0)
            audioEnd = fileSize - 128;
    }

    std::vector<std::uint8_t> window(kSearchWindow + kMaxFrameBytes);
    if (!ReadAt(fd, start, window.data(), window.size(), got))
        return std::nullopt;
    return FindFirstFrame(window.data(), got, start, audioEnd);
}

} // namespace melvane::bass
