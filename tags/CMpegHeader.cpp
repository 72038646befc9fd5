#include "tags/CMpegHeader.h"

namespace {

// kbit/s by index, columns: MPEG-1 Layer I, II, III; MPEG-2/2.5 Layer I; MPEG-2/2.5 Layers II and III.
constexpr std::uint16_t kBitrates[16][5] = {
    {0, 0, 0, 0, 0},         {32, 32, 32, 32, 8},     {64, 48, 40, 48, 16},    {96, 56, 48, 56, 24},
    {128, 64, 56, 64, 32},   {160, 80, 64, 80, 40},   {192, 96, 80, 96, 48},   {224, 112, 96, 112, 56},
    {256, 128, 112, 128, 64}, {288, 160, 128, 144, 80}, {320, 192, 160, 160, 96}, {352, 224, 192, 176, 112},
    {384, 256, 224, 192, 128}, {416, 320, 256, 224, 144}, {448, 384, 320, 256, 160}, {0, 0, 0, 0, 0},
};

constexpr std::uint32_t kMpeg1Rates[3] = {44100, 48000, 32000};

constexpr bool Reserved(std::int32_t version, std::int32_t layer) { return version == 1 || layer == 0; }

} // namespace

std::uint32_t CMpegHeader::Bitrate() const
{
    const std::int32_t version = Version();
    const std::int32_t layer = Layer();
    if (Reserved(version, layer))
        return 0;
    int column;
    if (version == 3)
        column = 3 - layer; // Layer I (3) -> 0, II -> 1, III -> 2
    else
        column = layer == 3 ? 3 : 4;
    return kBitrates[BitrateIndex()][column] * 1000u;
}

std::uint32_t CMpegHeader::SampleRate() const
{
    const std::int32_t index = SampleRateIndex();
    if (index == 3 || Version() == 1)
        return 0;
    const std::uint32_t rate = kMpeg1Rates[index];
    switch (Version()) {
    case 3: return rate;
    case 2: return rate / 2;
    default: return rate / 4;
    }
}

std::uint32_t CMpegHeader::SamplesPerFrame() const
{
    if (Reserved(Version(), Layer()))
        return 0;
    if (Layer() == 3)
        return 384;
    if (Layer() == 1 && Version() != 3)
        return 576;
    return 1152;
}

std::uint32_t CMpegHeader::FrameLength() const
{
    const std::uint32_t bitrate = Bitrate();
    const std::uint32_t rate = SampleRate();
    if (bitrate == 0 || rate == 0)
        return 0;
    const std::uint32_t padding = static_cast<std::uint32_t>(Padding());
    if (Layer() == 3)
        return (12 * bitrate / rate + padding) * 4;
    return SamplesPerFrame() / 8 * bitrate / rate + padding;
}

std::uint32_t CMpegHeader::XingOffset() const
{
    // Four header bytes plus the Layer III side information.
    const bool mono = ChannelMode() == 3;
    if (Version() == 3)
        return mono ? 21 : 36;
    return mono ? 13 : 21;
}

std::string_view CMpegHeader::ChannelModeName(std::int32_t mode)
{
    switch (mode) {
    case 0: return "Stereo";
    case 1: return "Joint Stereo";
    case 2: return "Dual Channel";
    case 3: return "Mono";
    default: return {};
    }
}
