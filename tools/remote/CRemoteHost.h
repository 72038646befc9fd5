#pragma once
// Hands button events to the remote plug-in: the map names the plug-in's button (or programmable
// function) for a LIRC button, a repeat becomes a repeat event, and with `focusOnly` buttons reach
// the player only while its window is active. A button the map does not know is reported once.
//
// Threads: the host's one thread.

#include "tools/remote/CLircEvent.h"
#include "tools/remote/CRemoteButtonMap.h"
#include "tools/remote/CRemotePlugin.h"

#include <cstdio>
#include <set>
#include <string>

class CRemoteHost {
public:
    struct Options {
        bool focusOnly = false;
        bool verbose = false; // one line per event on `log`
    };

    CRemoteHost(const CRemotePlugin &plugin, const CRemoteButtonMap &map, Options options, std::FILE *log);

    // True when the plug-in posted the event to the player.
    bool Deliver(const CLircEvent &event);

private:
    const CRemotePlugin &m_plugin;
    const CRemoteButtonMap &m_map;
    Options m_options;
    std::FILE *m_log;
    std::set<std::string> m_reported;
};
