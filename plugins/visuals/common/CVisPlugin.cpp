#include "plugins/visuals/common/CVisPlugin.h"

#include <cstdint>

CVisPlugin::CVisPlugin(const VisInfo &info, std::string settingsKey)
    : m_info(info), m_settings(std::move(settingsKey)), m_window(*this)
{
}

bool CVisPlugin::Open()
{
    m_settings.Load();
    VisWindowOptions options;
    Configure(m_settings, options);
    return m_window.Open(options, m_info.pszMainWindow);
}

void CVisPlugin::ReadPlacement(const CVisSettings &settings, VisWindowOptions &options, bool resizable)
{
    m_bResizable = resizable;
    options.x = settings.Ranged("xpos", INT32_MIN, INT32_MAX, 0);
    options.y = settings.Ranged("ypos", INT32_MIN, INT32_MAX, 0);
    if (resizable) {
        options.width = settings.Ranged("width", 240, 1024, 320);
        options.height = settings.Ranged("height", 180, 768, 240);
    }
}

void CVisPlugin::FillFromPalette(const std::uint8_t *image, int imageWidth, const Palette &palette,
                                 std::uint32_t *pixels, int stride, int width, int height)
{
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[y * stride + x] = palette[image[y * imageWidth + x]];
}

void CVisPlugin::Quit()
{
    CVisSettings::Values values = {{"xpos", static_cast<std::uint32_t>(m_window.X())},
                                   {"ypos", static_cast<std::uint32_t>(m_window.Y())}};
    if (m_bResizable) {
        values.emplace_back("width", static_cast<std::uint32_t>(m_window.Width()));
        values.emplace_back("height", static_cast<std::uint32_t>(m_window.Height()));
    }
    for (const auto &value : OwnValues())
        values.push_back(value);
    m_settings.Save(values);
    m_window.Destroy();
}
