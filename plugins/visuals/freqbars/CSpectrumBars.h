#pragma once
// The spectrum analyser's drawing, free of any window: mirrored bars into an 8-bit palettised image,
// the left channel upwards from the centre row, the right channel downwards.
//
// Threads: Render on the render thread; SetColours on the window thread (the palette may tear for one
// frame, which is harmless).

#include <array>
#include <cstdint>
#include <vector>

class CSpectrumBars {
public:
    static constexpr int kImageWidth = 1024;
    static constexpr int kImageHeight = 768;
    static constexpr int kMaxLevel = 4096;
    static constexpr int kFallStep = 64;

    explicit CSpectrumBars(int fftCount);

    // Colours are Windows colour values (0x00BBGGRR); the palette holds 0x00RRGGBB entries.
    void SetColours(std::uint32_t base, std::uint32_t peak);
    const std::array<std::uint32_t, 256> &Palette() const { return m_palette; }

    // One frame for a client area of width x height (cut to the image size) from `fftCount` values.
    void Render(const float *fft, int width, int height);

    const std::uint8_t *Image() const { return m_image.data(); }
    const std::vector<std::uint16_t> &Bars() const { return m_bars; }

private:
    std::vector<std::uint16_t> m_bars;
    std::vector<std::uint8_t> m_image;
    std::array<std::uint32_t, 256> m_palette{};
};
