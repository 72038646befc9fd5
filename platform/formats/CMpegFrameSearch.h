#pragma once
// Finds where MPEG audio starts in a file without trusting the file: up to kMaxId3v2Tags ID3v2 tags
// at the start are skipped (some taggers write more than one), a trailing ID3v1 tag ends the audio,
// then at most kSearchWindow bytes are searched for a frame header whose successor, at the position
// its frame length gives, is a header of the same stream. A frame that ends exactly where the audio
// ends also counts, so a file of a single frame is still MPEG audio.

#include "platform/formats/CByteReader.h"
#include "platform/formats/CMpegFrameHeader.h"

#include <cstddef>
#include <cstdint>
#include <optional>

class CMpegFrameSearch {
public:
    static constexpr std::size_t kSearchWindow = 64 * 1024;
    static constexpr int kMaxId3v2Tags = 4;
    static constexpr std::size_t kId3v1Size = 128;

    struct Found {
        std::uint64_t offset = 0;     // the first confirmed frame header
        std::uint64_t tagsEnd = 0;    // where the skipped ID3v2 tags end (0 without any)
        std::uint64_t audioEnd = 0;   // the file size, less a trailing ID3v1 tag
        CMpegFrameHeader header;
    };

    static std::optional<Found> FindFirstFrame(const CByteReader &file);

    // The search itself over the `size` bytes at `data`, read from file offset `baseOffset`;
    // `audioEnd` is where the audio ends. The offset found is a file offset.
    static std::optional<std::uint64_t> FindInWindow(const std::uint8_t *data, std::size_t size,
                                                     std::uint64_t baseOffset, std::uint64_t audioEnd);
};
