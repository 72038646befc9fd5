#pragma once
// One 32-bit MPEG audio frame header (big-endian word as it stands in the file), decoded with the
// standard bit-rate and sample-rate tables.

#include <cstdint>
#include <string_view>

class CMpegHeader {
public:
    explicit CMpegHeader(std::uint32_t word) : m_word(word) {}

    // Sync bits set and a bit-rate index other than 15: worth computing a frame length for.
    bool IsCandidate() const { return m_word >= 0xFFE00000u && BitrateIndex() != 15; }
    std::uint16_t Upper16() const { return static_cast<std::uint16_t>(m_word >> 16); }

    // Raw two-bit fields: version 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5, 1 reserved; layer 3 I, 2 II, 1 III.
    std::int32_t Version() const { return static_cast<std::int32_t>((m_word >> 19) & 3); }
    std::int32_t Layer() const { return static_cast<std::int32_t>((m_word >> 17) & 3); }
    std::int32_t BitrateIndex() const { return static_cast<std::int32_t>((m_word >> 12) & 15); }
    std::int32_t SampleRateIndex() const { return static_cast<std::int32_t>((m_word >> 10) & 3); }
    std::int32_t Padding() const { return static_cast<std::int32_t>((m_word >> 9) & 1); }
    std::int32_t ChannelMode() const { return static_cast<std::int32_t>((m_word >> 6) & 3); }
    std::int32_t Channels() const { return ChannelMode() == 3 ? 1 : 2; }

    // Bits per second; 0 for the free format, reserved versions or layers.
    std::uint32_t Bitrate() const;
    // Hz; 0 for a reserved version or rate index.
    std::uint32_t SampleRate() const;
    // 384 for Layer I, 1152 for Layer II and MPEG-1 Layer III, 576 for MPEG-2/2.5 Layer III; 0 if reserved.
    std::uint32_t SamplesPerFrame() const;
    // Bytes of this frame including padding; 0 when the header cannot describe a frame.
    std::uint32_t FrameLength() const;
    // Where a "Xing" header would start, counted from the frame header.
    std::uint32_t XingOffset() const;

    // "Stereo", "Joint Stereo", "Dual Channel" or "Mono".
    static std::string_view ChannelModeName(std::int32_t mode);

private:
    std::uint32_t m_word;
};
