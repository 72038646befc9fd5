#include "platform/formats/CMpegFrameHeader.h"

namespace {

// kbit/s by index; columns: MPEG-1 Layer I, II, III; MPEG-2/2.5 Layer I; MPEG-2/2.5 Layers II and III.
constexpr std::uint16_t kBitrates[16][5] = {
    {0, 0, 0, 0, 0},         {32, 32, 32, 32, 8},     {64, 48, 40, 48, 16},    {96, 56, 48, 56, 24},
    {128, 64, 56, 64, 32},   {160, 80, 64, 80, 40},   {192, 96, 80, 96, 48},   {224, 112, 96, 112, 56},
    {256, 128, 112, 128, 64}, {288, 160, 128, 144, 80}, {320, 192, 160, 160, 96}, {352, 224, 192, 176, 112},
    {384, 256, 224, 192, 128}, {416, 320, 256, 224, 144}, {448, 384, 320, 256, 160}, {0, 0, 0, 0, 0},
};

constexpr std::uint32_t kMpeg1Rates[3] = {44100, 48000, 32000};

} // namespace

std::optional<CMpegFrameHeader> CMpegFrameHeader::Parse(const std::uint8_t *p)
{
    const std::uint32_t word = std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
    const CMpegFrameHeader header(word);
    if ((word >> 21) != 0x7FF || header.VersionBits() == 1 || header.LayerBits() == 0)
        return std::nullopt;
    const int rateIndex = static_cast<int>((word >> 10) & 3);
    const int emphasis = static_cast<int>(word & 3);
    if (header.BitrateIndex() == 0 || header.BitrateIndex() == 15 || rateIndex == 3 || emphasis == 2)
        return std::nullopt;
    return header;
}

std::uint32_t CMpegFrameHeader::Bitrate() const
{
    int column;
    if (VersionBits() == 3)
        column = 3 - LayerBits(); // Layer I (3) -> 0, II -> 1, III -> 2
    else
        column = LayerBits() == 3 ? 3 : 4;
    return kBitrates[BitrateIndex()][column] * 1000u;
}

std::uint32_t CMpegFrameHeader::SampleRate() const
{
    const std::uint32_t rate = kMpeg1Rates[(m_word >> 10) & 3];
    switch (VersionBits()) {
    case 3: return rate;
    case 2: return rate / 2;
    default: return rate / 4;
    }
}

std::uint32_t CMpegFrameHeader::SamplesPerFrame() const
{
    if (Layer() == 1)
        return 384;
    if (Layer() == 3 && VersionBits() != 3)
        return 576;
    return 1152;
}

std::uint32_t CMpegFrameHeader::FrameLength() const
{
    const std::uint32_t padding = static_cast<std::uint32_t>(Padding());
    if (Layer() == 1)
        return (12 * Bitrate() / SampleRate() + padding) * 4;
    return SamplesPerFrame() / 8 * Bitrate() / SampleRate() + padding;
}

std::uint32_t CMpegFrameHeader::XingOffset() const
{
    const bool mono = ChannelMode() == 3;
    if (VersionBits() == 3)
        return mono ? 21 : 36;
    return mono ? 13 : 21;
}

bool CMpegFrameHeader::SameStreamAs(const CMpegFrameHeader &next) const
{
    return next.VersionBits() == VersionBits() && next.LayerBits() == LayerBits() && next.SampleRate() == SampleRate();
}

std::string_view CMpegFrameHeader::ChannelModeName(int mode)
{
    switch (mode) {
    case 0: return "Stereo";
    case 1: return "Joint Stereo";
    case 2: return "Dual Channel";
    case 3: return "Mono";
    default: return {};
    }
}
