#include "plugins/visuals/common/CVisOneColourPlugin.h"

#include <utility>

CVisOneColourPlugin::CVisOneColourPlugin(const VisInfo &info, std::string settingsKey, std::uint32_t defaultColour)
    : CVisPlugin(info, std::move(settingsKey)), m_defaultColour(defaultColour), m_colour(defaultColour)
{
}

void CVisOneColourPlugin::ReadColour(const CVisSettings &settings, VisWindowOptions &options)
{
    options.menuItems = {{kColourCommand, "Select Color..."}};
    m_colour = settings.Value("colour").value_or(m_defaultColour);
    ApplyColour(m_colour);
}

CVisSettings::Values CVisOneColourPlugin::OwnValues() const
{
    return {{"colour", m_colour}};
}

void CVisOneColourPlugin::OnMenuCommand(int id)
{
    if (id == kColourCommand)
        m_window.ChooseColour("Color", m_colour, [this](std::uint32_t colour) {
            m_colour = colour;
            ApplyColour(m_colour);
        });
}
