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
    ReadPlacement(settings, options, true);
    options.menuItems = {{kPeakColourCommand, "Peak Color..."}, {kBaseColourCommand, "Base Color..."}};
    options.aboutTitle = "About Spectrum Analyser";
    options.aboutText = {"Spectrum Analyser", "A visual plug-in for Melvane: the spectrum of what is heard,",
                         "the left channel above the centre line, the right channel below."};
    m_base = settings.Value("colour1").value_or(0x00FFFF);
    m_peak = settings.Value("colour2").value_or(0x0000FF);
    m_bars.SetColours(m_base, m_peak);
}

CVisSettings::Values CSpectrumAnalyser::OwnValues() const
{
    return {{"colour1", m_base}, {"colour2", m_peak}};
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
    FillFromPalette(m_bars.Image(), CSpectrumBars::kImageWidth, m_bars.Palette(), pixels, stride, width, height);
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
