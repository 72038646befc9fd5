#pragma once
// One MPEG audio frame header (four bytes, big-endian), decoded with the standard bit-rate and
// sample-rate tables. Only headers that describe a frame of known length are accepted: the sync bits,
// no reserved version, layer, sample rate or emphasis, and a bit-rate index other than 0 (free
// format, whose frame length the header cannot give) and 15.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

class CMpegFrameHeader {
public:
    static constexpr std::size_t kSize = 4;
    // The longest frame any accepted header describes (MPEG-2.5 Layer II, 160 kbit/s at 8000 Hz, padded).
    static constexpr std::size_t kMaxFrameBytes = 2881;

    // Nothing when the four bytes at `p` are not an accepted header.
    static std::optional<CMpegFrameHeader> Parse(const std::uint8_t *p);

    std::uint32_t Word() const { return m_word; }
    // Raw two-bit fields: version 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5; layer 3 Layer I, 2 II, 1 III.
    int VersionBits() const { return static_cast<int>((m_word >> 19) & 3); }
    int LayerBits() const { return static_cast<int>((m_word >> 17) & 3); }
    // 1, 2 or 3.
    int Layer() const { return 4 - LayerBits(); }
    int BitrateIndex() const { return static_cast<int>((m_word >> 12) & 15); }
    int Padding() const { return static_cast<int>((m_word >> 9) & 1); }
    int ChannelMode() const { return static_cast<int>((m_word >> 6) & 3); }
    int Channels() const { return ChannelMode() == 3 ? 1 : 2; }

    // Bits per second.
    std::uint32_t Bitrate() const;
    // Hz.
    std::uint32_t SampleRate() const;
    // 384 for Layer I, 1152 for Layer II and MPEG-1 Layer III, 576 for MPEG-2/2.5 Layer III.
    std::uint32_t SamplesPerFrame() const;
    // Bytes of this frame including padding.
    std::uint32_t FrameLength() const;
    // Where a "Xing" header would start, counted from the frame header (after the Layer III side
    // information).
    std::uint32_t XingOffset() const;
    // Whether `next` can follow this header in one stream: same version, layer and sample rate.
    bool SameStreamAs(const CMpegFrameHeader &next) const;

    // "Stereo", "Joint Stereo", "Dual Channel" or "Mono".
    static std::string_view ChannelModeName(int mode);

private:
    explicit CMpegFrameHeader(std::uint32_t word) : m_word(word) {}

    std::uint32_t m_word;
};
