#include "plugins/visuals/common/CVisPlugin.h"

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

void CVisPlugin::Quit()
{
    SaveValues(m_settings);
    m_window.Destroy();
}
