#include "plugins/remote/CRemoteAboutBox.h"

#include "plugins/visuals/common/CVisMessageBox.h"
#include "plugins/visuals/common/VisX.h"

int CRemoteAboutBox::Show(std::uintptr_t parentWindow)
{
    VisX x;
    x.display = XOpenDisplay(nullptr);
    if (!x.display)
        return 0;
    x.screen = DefaultScreen(x.display);
    x.root = RootWindow(x.display, x.screen);
    x.font = XLoadQueryFont(x.display, "fixed");
    x.wmProtocols = XInternAtom(x.display, "WM_PROTOCOLS", False);
    x.wmDeleteWindow = XInternAtom(x.display, "WM_DELETE_WINDOW", False);
    x.black = BlackPixel(x.display, x.screen);
    x.white = WhitePixel(x.display, x.screen);
    {
        CVisMessageBox box(x, static_cast<Window>(parentWindow), "About",
                           {"Melvane Remote Control Plug-in", "Version " MELVANE_VERSION});
        for (bool open = true; open;) {
            XEvent event;
            XNextEvent(x.display, &event);
            if (event.xany.window == box.Id())
                open = box.Handle(event);
        }
    }
    if (x.font)
        XFreeFont(x.display, x.font);
    XCloseDisplay(x.display);
    return 1;
}
