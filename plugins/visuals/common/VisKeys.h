#pragma once
// Key presses in a plug-in window, as the player's main window would receive them on Windows: the
// virtual-key code of the key and the Shift and Control state (the accelerators need those).

#include "plugins/include/mv_messages.h"

#include <cstdint>
#include <optional>

namespace VisKeys {

inline constexpr std::int64_t kShift = MV_KEYDOWN_SHIFT;
inline constexpr std::int64_t kControl = MV_KEYDOWN_CONTROL;

// The virtual-key code for an X11 keysym; nothing for keys the player has no use for.
std::optional<std::uint32_t> VirtualKey(unsigned long keysym);

} // namespace VisKeys
