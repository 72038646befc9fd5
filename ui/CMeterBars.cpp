#include "ui/CMeterBars.h"

#include <algorithm>
#include <cstring>

std::array<std::uint32_t, 256> CMeterBars::ColourTable(std::uint32_t meter1, std::uint32_t meter2)
{
    std::array<std::uint32_t, 256> table{};
    table[0] = table[1] = 0xFF000000u;
    const auto channel = [](std::uint32_t colour, int shift) { return static_cast<int>((colour >> shift) & 0xFF); };
    for (int i = 1; i <= 127; ++i) {
        std::uint32_t lit = 0xFF000000u;
        std::uint32_t unlit = 0xFF000000u;
        // shift in 0x00BBGGRR -> shift in 0xAARRGGBB
        for (const auto &[from, to] : {std::pair{0, 16}, std::pair{8, 8}, std::pair{16, 0}}) {
            const int c1 = channel(meter1, from);
            const int c2 = channel(meter2, from);
            const int c = c1 + i * (c2 - c1) / 127;
            lit |= static_cast<std::uint32_t>(c) << to;
            unlit |= static_cast<std::uint32_t>(c / 2) << to;
        }
        table[2 * i] = lit;
        table[2 * i + 1] = unlit;
    }
    return table;
}

void CMeterBars::SetClientWidth(int width)
{
    m_nBarWidth = std::clamp(width - 7, 0, kMaxBarWidth);
}

int CMeterBars::Step(int shown, int target, int barWidth)
{
    if (target > shown) {
        shown += (target - shown) / 2;
        if ((target - shown) % 2 == 1)
            ++shown;
    } else if (target < shown) {
        if (shown >= 129)
            shown -= 4;
        else if (barWidth < 256 && shown > 3)
            shown -= 4;
        else if (shown < 2)
            shown = 0;
        else
            shown -= 2;
    }
    return shown;
}

bool CMeterBars::SetLevel(std::uint32_t level, bool enabled)
{
    if (!enabled)
        level = 0;
    const auto scale = [](std::uint32_t v) { return v >= 128 ? 255 : static_cast<int>(v * 2); };
    const int left = Step(m_nLeftShown, scale(level & 0xFFFF), m_nBarWidth);
    const int right = Step(m_nRightShown, scale(level >> 16), m_nBarWidth);
    const bool changed = left != m_nLeftShown || right != m_nRightShown;
    m_nLeftShown = left;
    m_nRightShown = right;
    return changed;
}

void CMeterBars::RenderBar(std::uint8_t *bits, int bytesPerLine, int firstLine, int shown) const
{
    const int segments = m_nBarWidth / 4;
    for (int line = firstLine; line < firstLine + 14; ++line) {
        std::uint8_t *row = bits + static_cast<std::ptrdiff_t>(line) * bytesPerLine;
        for (int j = 0; j < segments; ++j) {
            int index = 2 * (j * 508 / m_nBarWidth) + 2;
            if (shown < index)
                ++index;
            std::uint8_t *p = row + 4 + 4 * j;
            p[0] = p[1] = p[2] = static_cast<std::uint8_t>(index);
            p[3] = 0;
        }
        const int end = std::min(m_nBarWidth + 4, kImageWidth);
        const int start = 4 + 4 * segments;
        if (end > start)
            std::memset(row + start, 0, static_cast<std::size_t>(end - start));
    }
}

std::pair<int, int> CMeterBars::ChangedColumns(int a, int b) const
{
    const int low = std::min(a, b), high = std::max(a, b);
    int first = -1, last = -1;
    // A segment is lit while the bar reaches its colour index (see RenderBar).
    for (int j = 0; j < m_nBarWidth / 4; ++j) {
        const int index = 2 * (j * 508 / m_nBarWidth) + 2;
        if (low < index && index <= high) {
            if (first < 0)
                first = j;
            last = j;
        }
    }
    if (first < 0)
        return {0, 0};
    return {4 + 4 * first, 4 + 4 * last + 4};
}

void CMeterBars::Render(std::uint8_t *bits, int bytesPerLine) const
{
    RenderBar(bits, bytesPerLine, 4, m_nLeftShown);
    RenderBar(bits, bytesPerLine, 22, m_nRightShown);
}
