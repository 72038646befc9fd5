#pragma once
// A window a plug-in opens besides its own (menu, About box, colour chooser), fed with its events by
// the plug-in's window. Window thread only.

#include <X11/Xlib.h>

class IVisPopup {
public:
    virtual ~IVisPopup() = default;
    virtual Window Id() const = 0;
    // Handles one event for this window; false when the window is finished and may be destroyed.
    virtual bool Handle(const XEvent &event) = 0;
};
