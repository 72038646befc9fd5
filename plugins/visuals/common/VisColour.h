#pragma once
// Windows colour values (0x00BBGGRR, as the plug-ins store them) and X11 TrueColor pixels (0x00RRGGBB).

#include <cstdint>

namespace VisColour {

constexpr int Red(std::uint32_t colorref) { return static_cast<int>(colorref & 0xFF); }
constexpr int Green(std::uint32_t colorref) { return static_cast<int>((colorref >> 8) & 0xFF); }
constexpr int Blue(std::uint32_t colorref) { return static_cast<int>((colorref >> 16) & 0xFF); }
constexpr std::uint32_t Rgb(int r, int g, int b)
{
    return (static_cast<std::uint32_t>(r) << 16) | (static_cast<std::uint32_t>(g) << 8) | static_cast<std::uint32_t>(b);
}
constexpr std::uint32_t ColorRef(int r, int g, int b)
{
    return static_cast<std::uint32_t>(r) | (static_cast<std::uint32_t>(g) << 8) | (static_cast<std::uint32_t>(b) << 16);
}
constexpr std::uint32_t PixelFromColorRef(std::uint32_t colorref)
{
    return Rgb(Red(colorref), Green(colorref), Blue(colorref));
}
constexpr std::uint32_t ColorRefFromPixel(std::uint32_t pixel)
{
    return ColorRef(static_cast<int>((pixel >> 16) & 0xFF), static_cast<int>((pixel >> 8) & 0xFF),
                    static_cast<int>(pixel & 0xFF));
}

} // namespace VisColour
