#include "tools/remote/CRemoteHost.h"

CRemoteHost::CRemoteHost(const CRemotePlugin &plugin, const CRemoteButtonMap &map, Options options, std::FILE *log)
    : m_plugin(plugin), m_map(map), m_options(options), m_log(log)
{
}

bool CRemoteHost::Deliver(const CLircEvent &event)
{
    const std::optional<RemoteTarget> target = m_map.Find(event.remote, event.button);
    const std::string name = event.remote.empty() ? event.button : event.remote + ":" + event.button;
    if (!target) {
        if (m_reported.insert(name).second)
            std::fprintf(m_log, "melvane-remote: button %s is not in the button map; ignored\n", name.c_str());
        return false;
    }
    const std::uint16_t eventType = event.repeat == 0 ? MV_REMOTE_EVENT_PRESS : MV_REMOTE_EVENT_REPEAT;
    const bool allowed = !m_options.focusOnly || m_plugin.AreYouInFocus() != 0;
    const bool posted = allowed && m_plugin.HandleKey(target->programmable, target->code, eventType) != 0;
    if (m_options.verbose)
        std::fprintf(m_log, "melvane-remote: %s %s -> %s: %s\n", name.c_str(),
                     eventType == MV_REMOTE_EVENT_PRESS ? "pressed" : "held",
                     CRemoteButtonMap::NameOf(*target).c_str(),
                     posted ? "sent to the player" : allowed ? "not sent" : "not sent (the player is not active)");
    return posted;
}
