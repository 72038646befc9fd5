#pragma once
// Walks the chunks of a RIFF/WAVE file to its format and sample data. The rules: every chunk before
// the data must lie inside the file; the format chunk must come before the data and be of a plausible
// size (14 bytes, the oldest wave format, up to kMaxFormatChunk); the first format, fact and data
// chunks count; chunks are word-aligned. The data chunk may claim more bytes than the file holds: such
// a file was cut short (or written by a streaming recorder) and its samples are the ones up to the end
// of the file. One that claims none was never finalised (a recording cut off before its header was
// written again): its samples, too, run to the end of the file. The walk reads eight bytes per chunk
// and stops after kMaxChunks chunks, so a hostile header cannot make it read much.

#include "platform/formats/CByteReader.h"

#include <cstddef>
#include <cstdint>
#include <optional>

class CRiffChunkWalker {
public:
    static constexpr int kMaxChunks = 1024;
    static constexpr std::uint32_t kMinFormatChunk = 14;
    static constexpr std::uint32_t kMaxFormatChunk = 64 * 1024;

    struct Format {
        std::uint16_t tag = 0; // 1 PCM, 3 float, 0xFFFE extensible, ...
        std::uint16_t channels = 0;
        std::uint32_t sampleRate = 0;
        std::uint32_t bytesPerSecond = 0;
        std::uint16_t blockAlign = 0;
        std::uint16_t bitsPerSample = 0; // 0 in a 14-byte format chunk
    };

    struct Layout {
        Format format;
        std::uint64_t formatAt = 0; // where the format chunk's body starts
        std::uint32_t formatSize = 0;
        std::uint64_t dataAt = 0; // where the sample data starts
        std::uint32_t dataSize = 0; // as declared
        std::optional<std::uint32_t> factFrames; // sample frames a fact chunk declares
        // The sample bytes the file holds: the declared size (all to the end when it is 0), cut at the
        // end of the file.
        std::uint64_t DataInFile(std::uint64_t fileSize) const;
    };

    // True when `head` (at least 12 bytes) starts with "RIFF" and has "WAVE" at byte 8.
    static bool IsRiffWave(const std::uint8_t *head, std::size_t size);

    // The layout of `file`, or nothing when it is not a RIFF/WAVE file sound by the rules above.
    static std::optional<Layout> Walk(const CByteReader &file);
};
