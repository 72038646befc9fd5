#pragma once
// The VU meter's drawing, free of any window: two needle meters of 144 x 80 pixels in 24-bit images
// (blue, green, red bytes, rows from the top), the left channel on the left.
//
// Threads: Render on the render thread; BuildFaces on the window thread (at Init and after a colour
// choice; a frame drawn meanwhile may show a mix of both faces).

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class CNeedleMeter {
public:
    static constexpr int kMeterWidth = 144;
    static constexpr int kMeterHeight = 80;
    static constexpr int kMaxPosition = 128;

    CNeedleMeter();

    // The next needle position from the previous one and the channel's level (0 to 128).
    static int Move(int previous, int level);
    // Decodes a run-length coded mask into exactly `pixels` values; a short or overlong code is cut or
    // padded with 0, never read or written past its ends.
    static std::vector<std::uint8_t> DecodeMask(const std::uint8_t *code, std::size_t size, std::size_t pixels);

    // Tints the face with a Windows colour value (0x00BBGGRR), applies the mask and copies the faces
    // into the images (the needles are drawn again by the next Render).
    void BuildFaces(std::uint32_t colour);
    // Moves both needles by the level word (low 16 bits left, high 16 bits right) and redraws them.
    void Render(std::uint32_t levelWord);

    // side 0 left, 1 right.
    const std::uint8_t *Image(int side) const { return m_image[static_cast<std::size_t>(side)].data(); }
    int Position(int side) const { return m_position[static_cast<std::size_t>(side)]; }

private:
    void DrawNeedle(int side, int position, bool erase);

    std::vector<std::uint8_t> m_mask;
    std::array<std::vector<std::uint8_t>, 2> m_face;
    std::array<std::vector<std::uint8_t>, 2> m_image;
    std::array<int, 2> m_position{0, 0};
    std::array<int, 2> m_drawn{0, 0};
};
