#include "plugins/visuals/oscilloscope/COscilloscope.h"

COscilloscope::COscilloscope(const VisInfo &info) : CVisOneColourPlugin(info, kName, 0x00FF00) {}

void COscilloscope::Configure(const CVisSettings &settings, VisWindowOptions &options)
{
    options.className = "melvane_vis1";
    options.title = kName;
    ReadPlacement(settings, options, true);
    options.aboutTitle = "About Oscilloscope";
    options.aboutText = {"Oscilloscope", "A visual plug-in for Melvane: the waveform of what is heard,",
                         "the left channel above, the right channel below."};
    ReadColour(settings, options);
}

int COscilloscope::Render()
{
    int width = 0, height = 0;
    if (!m_window.ClientArea(width, height) || height == 0 || !m_info.pSamples)
        return 20;
    m_trace.Render(m_info.pSamples, m_info.nSampleBytes / 4, width, height);
    m_window.Present(width, height);
    return 20;
}

void COscilloscope::FillFrame(std::uint32_t *pixels, int stride, int width, int height)
{
    FillFromPalette(m_trace.Image(), CWaveTrace::kImageWidth, m_trace.Palette(), pixels, stride, width, height);
}
