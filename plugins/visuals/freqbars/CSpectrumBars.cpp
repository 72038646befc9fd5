#include "plugins/visuals/freqbars/CSpectrumBars.h"

#include "plugins/visuals/common/VisColour.h"

#include <algorithm>
#include <cmath>
#include <cstring>

CSpectrumBars::CSpectrumBars(int fftCount)
    : m_bars(static_cast<std::size_t>(std::max(fftCount, 0)), 0),
      m_image(static_cast<std::size_t>(kImageWidth) * kImageHeight, 0)
{
}

void CSpectrumBars::SetColours(std::uint32_t base, std::uint32_t peak)
{
    m_palette[0] = 0;
    for (int i = 1; i < 256; ++i) {
        const auto blend = [i](int from, int to) { return from + (to - from) * i / 255; };
        m_palette[static_cast<std::size_t>(i)] =
            VisColour::Rgb(blend(VisColour::Red(base), VisColour::Red(peak)),
                           blend(VisColour::Green(base), VisColour::Green(peak)),
                           blend(VisColour::Blue(base), VisColour::Blue(peak)));
    }
}

void CSpectrumBars::Render(const float *fft, int width, int height)
{
    const int w = std::min(width, kImageWidth);
    const int h = std::min(height, kImageHeight);
    std::memset(m_image.data(), 0, m_image.size());

    const int count = static_cast<int>(m_bars.size());
    for (int i = 0; i < count; ++i) {
        const float value = fft[i];
        int level = 0;
        if (value >= 0.0001f)
            level = std::min(static_cast<int>((std::log10(value) + 4.0f) * 1024.0f), kMaxLevel);
        std::uint16_t &bar = m_bars[static_cast<std::size_t>(i)];
        if (level < bar)
            bar = bar > kFallStep ? static_cast<std::uint16_t>(bar - kFallStep) : 0;
        else
            bar = static_cast<std::uint16_t>((bar + level) / 2);
    }
    if (h <= 0 || w <= 0 || count < 2)
        return;

    const int centre = h % 2 == 0 ? h / 2 - 1 : h / 2;
    if (centre <= 0)
        return;
    for (int x = 1; x < w - 3; x += 4) {
        int i = (x - 1) * count / w;
        if (i % 2 != 0)
            --i;
        for (int side = 0; side < 2; ++side) {
            const int n = m_bars[static_cast<std::size_t>(i + side)] * centre / kMaxLevel;
            const int direction = side == 0 ? -1 : 1;
            for (int k = n; k >= 1; --k) {
                const auto index = static_cast<std::uint8_t>((k - 1) * 255 / centre + 1);
                std::uint8_t *row = &m_image[static_cast<std::size_t>((centre + direction * k) * kImageWidth)];
                row[x] = row[x + 1] = row[x + 2] = index;
            }
        }
    }
}
