#include "plugins/visuals/oscilloscope/CWaveTrace.h"

#include "plugins/visuals/common/VisColour.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

CWaveTrace::CWaveTrace() : m_image(static_cast<std::size_t>(kImageWidth) * kImageHeight, 0) {}

void CWaveTrace::SetColour(std::uint32_t colour)
{
    for (int i = 0; i < 256; ++i)
        m_palette[static_cast<std::size_t>(i)] = VisColour::Rgb(
            VisColour::Red(colour) * i / 255, VisColour::Green(colour) * i / 255, VisColour::Blue(colour) * i / 255);
}

void CWaveTrace::Render(const std::int16_t *samples, int frames, int width, int height)
{
    std::memset(m_image.data(), 0, m_image.size());
    const int w = std::min(width, kImageWidth);
    const int h = std::min(height, kImageHeight);
    // A client area under 5 rows has no quarter to scale to (the divisor would be 0).
    const int quarter = h % 4 != 0 ? h / 4 : (h - 1) / 4;
    if (h <= 0 || quarter <= 0)
        return;
    const int scale = 32768 / quarter;
    if (scale == 0)
        return;
    const int columns = std::min({w, frames, kImageWidth});
    Trace(samples, 0, columns, h / 4, scale, h);
    Trace(samples, 1, columns, 3 * h / 4, scale, h);
}

void CWaveTrace::Raise(int x, int y, int height, std::uint8_t value)
{
    if (y < 0 || y >= height)
        return;
    std::uint8_t &pixel = m_image[static_cast<std::size_t>(y * kImageWidth + x)];
    if (pixel < value)
        pixel = value;
}

void CWaveTrace::Trace(const std::int16_t *samples, int channel, int columns, int centre, int scale, int height)
{
    for (int x = 1; x < columns; ++x) {
        const int a = samples[2 * (x - 1) + channel];
        const int b = samples[2 * x + channel];
        const int y1 = centre - a / scale;
        const int y2 = centre - b / scale;
        Raise(x - 1, y1, height, 255);
        Raise(x, y2, height, 255);
        const int d = y2 - y1;
        const int n = std::abs(d);
        const int towardsZero = d > 0 ? -1 : 1;
        int e = d;
        for (int j = 1; j <= n; ++j, e += towardsZero) {
            const auto v = static_cast<std::uint8_t>(j * 255 / (n + 1));
            Raise(x - 1, y1 + e, height, v);
            Raise(x, y2 - e, height, v);
        }
    }
}
