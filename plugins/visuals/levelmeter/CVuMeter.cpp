#include "plugins/visuals/levelmeter/CVuMeter.h"

namespace {

constexpr int kClientWidth = 2 * CNeedleMeter::kMeterWidth;
constexpr int kClientHeight = CNeedleMeter::kMeterHeight;

} // namespace

CVuMeter::CVuMeter(const VisInfo &info) : CVisOneColourPlugin(info, "levelmeter", 0xFFAAAA) {}

void CVuMeter::Configure(const CVisSettings &settings, VisWindowOptions &options)
{
    options.className = "melvane_vis3";
    options.title = kName;
    ReadPlacement(settings, options, false);
    // Not resizable: the client area is exactly the two meters.
    options.width = options.minWidth = options.maxWidth = kClientWidth;
    options.height = options.minHeight = options.maxHeight = kClientHeight;
    options.aboutTitle = "About VU Meter";
    options.aboutText = {"VU Meter", "A visual plug-in for Melvane: two analogue meters",
                         "showing the level of the left and the right channel."};
    ReadColour(settings, options);
}

int CVuMeter::Render()
{
    m_meter.Render(m_info.pLevel ? *m_info.pLevel : 0);
    int width = 0, height = 0;
    if (m_window.ClientArea(width, height))
        m_window.Present(kClientWidth, kClientHeight);
    return 20;
}

void CVuMeter::FillFrame(std::uint32_t *pixels, int stride, int width, int height)
{
    for (int y = 0; y < height && y < kClientHeight; ++y) {
        for (int x = 0; x < width && x < kClientWidth; ++x) {
            const int side = x < CNeedleMeter::kMeterWidth ? 0 : 1;
            const std::uint8_t *bgr =
                m_meter.Image(side) + (y * CNeedleMeter::kMeterWidth + x - side * CNeedleMeter::kMeterWidth) * 3;
            pixels[y * stride + x] = (static_cast<std::uint32_t>(bgr[2]) << 16) |
                                     (static_cast<std::uint32_t>(bgr[1]) << 8) | bgr[0];
        }
    }
}
