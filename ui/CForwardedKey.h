#pragma once
// A key pressed in a visual plug-in's window, forwarded to the main window as a virtual-key code with
// Shift and Control bits: the key sequence the main window's shortcuts answer to.
//
// Threads: any.

#include "plugins/include/mv_messages.h"

#include <QKeySequence>

#include <cstdint>

class CForwardedKey {
public:
    static constexpr std::int64_t kShift = MV_KEYDOWN_SHIFT;
    static constexpr std::int64_t kControl = MV_KEYDOWN_CONTROL;

    // Empty for a code that names no key the player knows.
    static QKeySequence Sequence(std::uint64_t virtualKey, std::int64_t modifiers);
};
