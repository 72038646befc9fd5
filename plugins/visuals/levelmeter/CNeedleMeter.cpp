#include "plugins/visuals/levelmeter/CNeedleMeter.h"

#include "plugins/visuals/common/VisColour.h"
#include "plugins/visuals/levelmeter/MeterArtwork.h"

#include <algorithm>

namespace {

constexpr std::size_t kBytes = static_cast<std::size_t>(CNeedleMeter::kMeterWidth) * CNeedleMeter::kMeterHeight * 3;

} // namespace

CNeedleMeter::CNeedleMeter()
    : m_mask(DecodeMask(MeterArtwork::kMaskRle, MeterArtwork::kMaskRleSize, MeterArtwork::kPixels)),
      m_face{std::vector<std::uint8_t>(kBytes, 0), std::vector<std::uint8_t>(kBytes, 0)},
      m_image{std::vector<std::uint8_t>(kBytes, 0), std::vector<std::uint8_t>(kBytes, 0)}
{
}

int CNeedleMeter::Move(int previous, int level)
{
    int next;
    if (level >= previous)
        next = previous + (level - previous + 1) / 2;
    else if (previous > 64)
        next = previous - 2;
    else if (previous >= 1)
        next = previous - 1;
    else
        next = 0;
    return std::min(next, kMaxPosition);
}

std::vector<std::uint8_t> CNeedleMeter::DecodeMask(const std::uint8_t *code, std::size_t size, std::size_t pixels)
{
    std::vector<std::uint8_t> mask;
    mask.reserve(pixels);
    for (std::size_t i = 0; i < size && mask.size() < pixels; ++i) {
        const std::uint8_t value = code[i];
        if (value == 0 || value == 255) {
            if (i + 1 >= size)
                break;
            const std::size_t count = std::min<std::size_t>(code[++i], pixels - mask.size());
            mask.insert(mask.end(), count, value);
        } else {
            mask.push_back(value);
        }
    }
    mask.resize(pixels, 0);
    return mask;
}

void CNeedleMeter::BuildFaces(std::uint32_t colour)
{
    const int rgb[3] = {VisColour::Blue(colour), VisColour::Green(colour), VisColour::Red(colour)};
    for (int y = 0; y < kMeterHeight; ++y) {
        for (int x = 0; x < kMeterWidth; ++x) {
            const int pixel = y * kMeterWidth + x;
            const int mirrored = y * kMeterWidth + (kMeterWidth - 1 - x);
            const int m = m_mask[static_cast<std::size_t>(pixel)];
            for (int side = 0; side < 2; ++side) {
                const int g = MeterArtwork::kFace[side == 0 ? pixel : mirrored];
                for (int c = 0; c < 3; ++c) {
                    int value = rgb[c] + g * (255 - rgb[c]) / 255;
                    if (m == 255)
                        value = 0;
                    else if (m != 0)
                        value -= m * value / 256;
                    m_face[static_cast<std::size_t>(side)][static_cast<std::size_t>(pixel * 3 + c)] =
                        static_cast<std::uint8_t>(value);
                }
            }
        }
    }
    m_image = m_face;
    // The faces replaced whatever needle was drawn; the next Render draws the current positions anew.
    m_drawn = m_position;
}

void CNeedleMeter::DrawNeedle(int side, int position, bool erase)
{
    std::vector<std::uint8_t> &image = m_image[static_cast<std::size_t>(side)];
    const std::vector<std::uint8_t> &face = m_face[static_cast<std::size_t>(side)];
    const int count = std::min<int>(MeterArtwork::kNeedleCount[position], MeterArtwork::kMaxNeedlePixels);
    for (int e = 0; e < count; ++e) {
        const std::uint32_t entry = MeterArtwork::kNeedle[position][e];
        const std::size_t pixel = entry & 0xFFFF;
        if (pixel >= static_cast<std::size_t>(MeterArtwork::kPixels))
            continue;
        const int darkness = static_cast<int>((entry >> 16) & 0xFF);
        for (std::size_t c = 0; c < 3; ++c) {
            const int value = face[pixel * 3 + c];
            int drawn = value;
            if (!erase)
                drawn = darkness == 255 ? 0 : value - darkness * value / 256;
            image[pixel * 3 + c] = static_cast<std::uint8_t>(drawn);
        }
    }
}

void CNeedleMeter::Render(std::uint32_t levelWord)
{
    const int levels[2] = {static_cast<int>(levelWord & 0xFFFF), static_cast<int>(levelWord >> 16)};
    for (int side = 0; side < 2; ++side) {
        const auto s = static_cast<std::size_t>(side);
        m_position[s] = Move(m_position[s], levels[side]);
        DrawNeedle(side, m_drawn[s], true);
        DrawNeedle(side, m_position[s], false);
        m_drawn[s] = m_position[s];
    }
}
