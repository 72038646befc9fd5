#pragma once
// The plug-in's About box: a modal message box titled "About" with the plug-in's name and version,
// drawn with Xlib like the visual plug-ins' boxes (a plug-in links no widget toolkit), on a display
// connection of its own that lives only while the box is shown.
//
// Threads: the caller's; the call returns when the box was closed.

#include <cstdint>

class CRemoteAboutBox {
public:
    // Shows the box over `parentWindow` (an X11 window id, or 0) until OK, Return, Escape or the close
    // box ends it; 1 then, 0 when there is no display.
    static int Show(std::uintptr_t parentWindow);
};
