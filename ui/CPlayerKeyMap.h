#pragma once
// The WM_PLAYER_KEY table: a function-key code (0x71 F2 .. 0x7B F12) and an alternative selector, as
// posted by the keyboard hook and the remote-control plug-in, to the operation of that key. Most keys
// run the transport command of their accelerator; F8, F11 and F12 have an alternative.

#include <cstdint>

struct PlayerKeyAction {
    enum class Kind {
        None,         // not a function key of the table
        Command,      // run the transport command `commandId` (engine/PlayerCommands.h)
        OpenPlaylist, // the Open Playlist dialog
        NextTab,      // with at least one CD drive: the next tab (playlist, each drive, playlist again)
    };
    Kind kind = Kind::None;
    int commandId = 0;
};

class CPlayerKeyMap {
public:
    static constexpr std::uint64_t kFirstKey = 0x71; // F2
    static constexpr std::uint64_t kLastKey = 0x7B;  // F12

    // `alternative` non-zero selects the second column of the table.
    static PlayerKeyAction Map(std::uint64_t keyCode, std::int64_t alternative);
};
