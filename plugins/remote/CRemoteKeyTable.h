#pragma once
// What each remote button and programmable function posts to the player: a function-key code
// (MV_WM_PLAYER_KEY's wParam) and its alternative (lParam).
//
// Threads: any.

#include <cstdint>
#include <optional>

struct RemotePlayerKey {
    std::uint64_t keyCode = 0;
    std::int64_t alternative = 0;
};

class CRemoteKeyTable {
public:
    // The key for a button (or, with `programmable`, a programmable function's index) and event type;
    // nothing for a code or event type the plug-in does not handle. Held buttons repeat only where
    // repeating makes sense: the volume and the seek buttons.
    static std::optional<RemotePlayerKey> Lookup(bool programmable, std::uint16_t key, std::uint16_t eventType);
    // The name of programmable function `index`; null past the last one.
    static const char *FunctionName(std::uint16_t index);
};
