#pragma once
// Finds where MPEG audio starts in a file without trusting the file: an ID3v2 tag at the start is
// skipped, then at most kSearchWindow bytes are searched for a frame header whose successor header
// (at the position its frame length gives) agrees with it. A lone frame that ends exactly at the end
// of the file (or at a trailing ID3v1 tag) also counts. Free-format streams (bit-rate index 0) are
// not recognised: their frame length cannot be known from the header.

#include <cstddef>
#include <cstdint>
#include <optional>

namespace melvane::bass {

class MpegStreamProbe {
public:
    static constexpr std::size_t kSearchWindow = 64 * 1024;

    struct FrameHeader {
        int version = 0;      // 10 = MPEG-1, 20 = MPEG-2, 25 = MPEG-2.5
        int layer = 0;        // 1, 2 or 3
        int sampleRate = 0;
        int bitrateKbps = 0;
        int channels = 0;
        std::size_t frameBytes = 0;
    };

    // Decodes the four header bytes at `p`; nothing when they are not a valid header.
    static std::optional<FrameHeader> ParseHeader(const std::uint8_t *p);

    // Offset of the first confirmed frame in the open file `fd` of `fileSize` bytes, or nothing.
    static std::optional<std::uint64_t> FindFirstFrame(int fd, std::uint64_t fileSize);

    // The search itself over `size` bytes read from file offset `baseOffset`; `audioEnd` is where the
    // audio must end (the file size, less a trailing ID3v1 tag).
    static std::optional<std::uint64_t> FindFirstFrame(const std::uint8_t *data, std::size_t size,
                                                       std::uint64_t baseOffset, std::uint64_t audioEnd);

    // Size of an ID3v2 tag at `p` (header, body and footer), 0 when there is none.
    static std::uint64_t Id3v2Size(const std::uint8_t *p, std::size_t size);
};

} // namespace melvane::bass
