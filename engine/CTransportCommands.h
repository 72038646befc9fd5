#pragma once
// Carries out the transport commands of PlayerCommands.h on the play order and the playback engine,
// and gives each command's menu state: Pause, Stop at Track End, rewind and fast forward are enabled
// only while something plays; Stop at Track End is checked while it is set, Pause while paused, Mute
// while muted, and the three play-mode toggles by their settings.
//
// A command whose menu item is disabled does nothing when it arrives by other ways (function keys
// from the keyboard hook or the remote control), so every way behaves like the menu.
//
// Threads: user-interface thread only.

#include <optional>

class CPlayOrder;
class CPlayerDoc;
class IPlaybackControls;
class ITransport;

class CTransportCommands {
public:
    struct State {
        bool enabled = true;
        bool checked = false;
    };

    CTransportCommands(CPlayOrder &order, ITransport &transport, IPlaybackControls &controls,
                       const CPlayerDoc &doc);

    // Runs the command `id`. False when `id` is not a transport command.
    bool Execute(int id);
    // The menu state of `id`, or nothing when `id` is not a transport command.
    std::optional<State> UpdateState(int id) const;

private:
    CPlayOrder &m_order;
    ITransport &m_transport;
    IPlaybackControls &m_controls;
    const CPlayerDoc &m_doc;
};
