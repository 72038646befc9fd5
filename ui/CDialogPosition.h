#pragma once
// The stored top-left corner of a window that remembers where it was (the equalizer and Jump to
// Track windows). A window closed partly off the top or left of the screen stores (0, 0), so it
// comes back fully reachable.
//
// Threads: user-interface thread only.

#include <cstdint>

class CDialogPosition {
public:
    // Writes (x, y) into the settings when it differs from the (x, y) the window was opened at;
    // a negative coordinate stores (0, 0). True when something was written.
    static bool Store(int x, int y, int openedX, int openedY, std::int32_t &settingX, std::int32_t &settingY);
};
