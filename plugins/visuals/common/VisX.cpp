#include "plugins/visuals/common/VisX.h"

#include <X11/Xutil.h>
#include <cstring>

int VisX::TextWidth(const char *text, int length) const
{
    return font ? XTextWidth(font, text, length) : 6 * length;
}

Window VisX::CreateTopLevel(int x, int y, int width, int height, const char *title, Window transientFor) const
{
    XSetWindowAttributes attributes{};
    attributes.background_pixel = kVisButtonFace;
    attributes.event_mask = ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask;
    const Window window = XCreateWindow(display, root, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                        0, CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWEventMask,
                                        &attributes);
    XStoreName(display, window, title);
    Atom protocols[] = {wmDeleteWindow};
    XSetWMProtocols(display, window, protocols, 1);
    XSizeHints *hints = XAllocSizeHints();
    if (hints) {
        hints->flags = PPosition | PMinSize | PMaxSize;
        hints->x = x;
        hints->y = y;
        hints->min_width = hints->max_width = width;
        hints->min_height = hints->max_height = height;
        XSetWMNormalHints(display, window, hints);
        XFree(hints);
    }
    if (transientFor)
        XSetTransientForHint(display, window, transientFor);
    return window;
}

void VisX::DrawButton(Window window, GC gc, int x, int y, int width, int height, const char *text) const
{
    XSetForeground(display, gc, kVisButtonFace);
    XFillRectangle(display, window, gc, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSetForeground(display, gc, 0xFFFFFF);
    XDrawLine(display, window, gc, x, y, x + width - 1, y);
    XDrawLine(display, window, gc, x, y, x, y + height - 1);
    XSetForeground(display, gc, 0x696969);
    XDrawLine(display, window, gc, x, y + height - 1, x + width - 1, y + height - 1);
    XDrawLine(display, window, gc, x + width - 1, y, x + width - 1, y + height - 1);
    XSetForeground(display, gc, 0);
    const int length = static_cast<int>(std::strlen(text));
    XDrawString(display, window, gc, x + (width - TextWidth(text, length)) / 2,
                y + (height - LineHeight()) / 2 + Ascent(), text, length);
}

bool VisX::IsDeleteRequest(const XEvent &event) const
{
    return event.type == ClientMessage && event.xclient.message_type == wmProtocols &&
           static_cast<Atom>(event.xclient.data.l[0]) == wmDeleteWindow;
}
