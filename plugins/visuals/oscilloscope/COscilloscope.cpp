#include "plugins/visuals/oscilloscope/COscilloscope.h"

COscilloscope::COscilloscope(const VisInfo &info) : CVisPlugin(info, kName) {}

void COscilloscope::Configure(const CVisSettings &settings, VisWindowOptions &options)
{
    options.className = "melvane_vis1";
    options.title = kName;
    options.x = settings.Ranged("xpos", INT32_MIN, INT32_MAX, 0);
    options.y = settings.Ranged("ypos", INT32_MIN, INT32_MAX, 0);
    options.width = settings.Ranged("width", 240, 1024, 320);
    options.height = settings.Ranged("height", 180, 768, 240);
    options.menuItems = {{kColourCommand, "Select Color..."}};
    options.aboutTitle = "About Oscilloscope";
    options.aboutText = {"Oscilloscope", "A visual plug-in for Melvane: the waveform of what is heard,",
                         "the left channel above, the right channel below."};
    m_colour = settings.Value("colour").value_or(0x00FF00);
    m_trace.SetColour(m_colour);
}

void COscilloscope::SaveValues(const CVisSettings &settings)
{
    settings.Save({{"xpos", static_cast<std::uint32_t>(m_window.X())},
                   {"ypos", static_cast<std::uint32_t>(m_window.Y())},
                   {"width", static_cast<std::uint32_t>(m_window.Width())},
                   {"height", static_cast<std::uint32_t>(m_window.Height())},
                   {"colour", m_colour}});
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
    const auto &palette = m_trace.Palette();
    const std::uint8_t *image = m_trace.Image();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[y * stride + x] = palette[image[y * CWaveTrace::kImageWidth + x]];
}

void COscilloscope::OnMenuCommand(int id)
{
    if (id == kColourCommand)
        m_window.ChooseColour("Color", m_colour, [this](std::uint32_t colour) {
            m_colour = colour;
            m_trace.SetColour(m_colour);
        });
}
