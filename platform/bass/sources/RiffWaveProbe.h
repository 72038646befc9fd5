#pragma once
// Checks the chunk layout of a RIFF/WAVE file before libsndfile parses it.
//
// Every chunk before the sample data must lie inside the file, the format chunk must come before the
// data and be of a plausible size, and a data chunk must exist. The data chunk itself may claim more
// bytes than the file holds: such a file was cut short (or written by a streaming recorder) and its
// samples are played up to the end of the file. The walk reads eight bytes per chunk and stops after
// kMaxChunks chunks, so a hostile header cannot make it read much.

#include <cstddef>
#include <cstdint>
#include <optional>

namespace melvane::bass {

class RiffWaveProbe {
public:
    static constexpr int kMaxChunks = 1024;
    static constexpr std::uint32_t kMaxFormatChunk = 64 * 1024;

    // True when `head` (at least 12 bytes) starts with "RIFF" and has "WAVE" at byte 8.
    static bool IsRiffWave(const std::uint8_t *head, std::size_t size);

    struct Layout {
        std::uint16_t formatTag = 0;             // from the format chunk (0xFFFE: extensible)
        std::optional<std::uint32_t> factFrames; // sample frames the fact chunk declares
    };

    // The layout of the open file `fd`, or nothing when it is not sound as described above.
    static std::optional<Layout> Inspect(int fd, std::uint64_t fileSize);
};

} // namespace melvane::bass
