#include "plugins/visuals/common/VisKeys.h"

#include <X11/keysym.h>

std::optional<std::uint32_t> VisKeys::VirtualKey(unsigned long keysym)
{
    if (keysym >= XK_F1 && keysym <= XK_F24)
        return static_cast<std::uint32_t>(0x70 + (keysym - XK_F1));
    if (keysym >= XK_a && keysym <= XK_z)
        return static_cast<std::uint32_t>('A' + (keysym - XK_a));
    if (keysym >= XK_A && keysym <= XK_Z)
        return static_cast<std::uint32_t>('A' + (keysym - XK_A));
    if (keysym >= XK_0 && keysym <= XK_9)
        return static_cast<std::uint32_t>('0' + (keysym - XK_0));
    switch (keysym) {
    case XK_BackSpace: return 0x08;
    case XK_Tab: return 0x09;
    case XK_Return: case XK_KP_Enter: return 0x0D;
    case XK_Escape: return 0x1B;
    case XK_space: return 0x20;
    case XK_Prior: return 0x21;
    case XK_Next: return 0x22;
    case XK_End: return 0x23;
    case XK_Home: return 0x24;
    case XK_Left: return 0x25;
    case XK_Up: return 0x26;
    case XK_Right: return 0x27;
    case XK_Down: return 0x28;
    case XK_Insert: return 0x2D;
    case XK_Delete: return 0x2E;
    default: return std::nullopt;
    }
}
