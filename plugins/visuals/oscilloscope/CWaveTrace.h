#pragma once
// The oscilloscope's drawing, free of any window: the left channel's waveform around a quarter of the
// height, the right channel's around three quarters, one sample frame per pixel column, into an 8-bit
// palettised image.
//
// Threads: Render on the render thread; SetColour on the window thread.

#include <array>
#include <cstdint>
#include <vector>

class CWaveTrace {
public:
    static constexpr int kImageWidth = 1024;
    static constexpr int kImageHeight = 768;

    CWaveTrace();

    // A Windows colour value (0x00BBGGRR); palette entry i is the colour scaled by i / 255.
    void SetColour(std::uint32_t colour);
    const std::array<std::uint32_t, 256> &Palette() const { return m_palette; }

    // One frame for a client area of width x height from `frames` interleaved left/right sample frames.
    void Render(const std::int16_t *samples, int frames, int width, int height);

    const std::uint8_t *Image() const { return m_image.data(); }

private:
    void Trace(const std::int16_t *samples, int channel, int columns, int centre, int scale, int height);
    void Raise(int x, int y, int height, std::uint8_t value);

    std::vector<std::uint8_t> m_image;
    std::array<std::uint32_t, 256> m_palette{};
};
