#include "plugins/visuals/freqbars/CSpectrumAnalyser.h"

#include <algorithm>

CSpectrumAnalyser::CSpectrumAnalyser(const VisInfo &info)
    : CVisPlugin(info, kName), m_bars(info.pFft ? std::max(info.nFftCount, 0) : 0)
{
}

void CSpectrumAnalyser::Configure(const CVisSettings &settings, VisWindowOptions &options)
{
    options.className = "melvane_vis2";
    options.title = kName;
    options.x = settings.Ranged("xpos", INT32_MIN, INT32_MAX, 0);
    options.y = settings.Ranged("ypos", INT32_MIN, INT32_MAX, 0);
    options.width = settings.Ranged("width", 240, 1024, 320);
    options.height = settings.Ranged("height", 180, 768, 240);
    options.menuItems = {{kPeakColourCommand, "Peak Color..."}, {kBaseColourCommand, "Base Color..."}};
    options.aboutTitle = "About Spectrum Analyser";
    options.aboutText = {"Spectrum Analyser", "A visual plug-in for Melvane: the spectrum of what is heard,",
                         "the left channel above the centre line, the right channel below."};
    m_base = settings.Value("colour1").value_or(0x00FFFF);
    m_peak = settings.Value("colour2").value_or(0x0000FF);
    m_bars.SetColours(m_base, m_peak);
}

void CSpectrumAnalyser::SaveValues(const CVisSettings &settings)
{
    settings.Save({{"xpos", static_cast<std::uint32_t>(m_window.X())},
                   {"ypos", static_cast<std::uint32_t>(m_window.Y())},
                   {"width", static_cast<std::uint32_t>(m_window.Width())},
                   {"height", static_cast<std::uint32_t>(m_window.Height())},
                   {"colour1", m_base},
                   {"colour2", m_peak}});
}

int CSpectrumAnalyser::Render()
{
    int width = 0, height = 0;
    if (!m_window.ClientArea(width, height) || height == 0 || !m_info.pFft)
        return 20;
    m_bars.Render(m_info.pFft, width, height);
    m_window.Present(width, height);
    return 20;
}

void CSpectrumAnalyser::FillFrame(std::uint32_t *pixels, int stride, int width, int height)
{
    const auto &palette = m_bars.Palette();
    const std::uint8_t *image = m_bars.Image();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[y * stride + x] = palette[image[y * CSpectrumBars::kImageWidth + x]];
}

void CSpectrumAnalyser::OnMenuCommand(int id)
{
    if (id == kBaseColourCommand)
        m_window.ChooseColour("Base Color", m_base, [this](std::uint32_t colour) {
            m_base = colour;
            m_bars.SetColours(m_base, m_peak);
        });
    else if (id == kPeakColourCommand)
        m_window.ChooseColour("Peak Color", m_peak, [this](std::uint32_t colour) {
            m_peak = colour;
            m_bars.SetColours(m_base, m_peak);
        });
}
