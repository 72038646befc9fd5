#pragma once
// The level meter's logic: the 256-entry colour table, the bars' rise and fall towards the levels
// of each tick, and the rendering of both bars into an 8-bit indexed 2048 x 40 pixel image.
//
// Image layout (row 0 at the top): the left bar on lines 4 to 17, the right bar on lines 22 to 35.
// Each bar is made of 4-pixel segments from column 4: three pixels of colour, one black. Colour
// index 2i is the lit shade of step i, 2i + 1 the same colour at half brightness (unlit).
// Threads: user-interface thread only.

#include <array>
#include <cstdint>
#include <utility>

class CMeterBars {
public:
    static constexpr int kImageWidth = 2048;
    static constexpr int kImageHeight = 40;
    static constexpr int kMaxBarWidth = 2040;

    // Colours are 0x00BBGGRR; the table holds 0xAARRGGBB values (opaque) ready for a QImage.
    static std::array<std::uint32_t, 256> ColourTable(std::uint32_t meter1, std::uint32_t meter2);

    // The bar width for a client width: width - 7, between 0 and 2040.
    void SetClientWidth(int width);
    int BarWidth() const { return m_nBarWidth; }

    // One tick's level word (left in the low 16 bits, right in the high 16, 0 to 128 each); a
    // disabled meter takes it as 0. True when either bar changed.
    bool SetLevel(std::uint32_t level, bool enabled);
    int LeftShown() const { return m_nLeftShown; }
    int RightShown() const { return m_nRightShown; }

    // The image columns [first, second) whose pixels differ between a bar shown at `a` and one shown
    // at `b` (an empty range when none do): what must be drawn again after a step.
    std::pair<int, int> ChangedColumns(int a, int b) const;

    // Writes both bars into `bits` (kImageWidth bytes per line, kImageHeight lines).
    void Render(std::uint8_t *bits, int bytesPerLine) const;

    // One side's step towards `target` (0 to 255).
    static int Step(int shown, int target, int barWidth);

private:
    void RenderBar(std::uint8_t *bits, int bytesPerLine, int firstLine, int shown) const;

    int m_nLeftShown = 0;
    int m_nRightShown = 0;
    int m_nBarWidth = 0;
};
