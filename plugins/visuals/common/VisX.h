#pragma once
// What the windows of one plug-in share on its window thread's X11 connection.

#include <X11/Xlib.h>

struct VisX {
    Display *display = nullptr;
    int screen = 0;
    Window root = 0;
    XFontStruct *font = nullptr;
    Atom wmProtocols = 0;
    Atom wmDeleteWindow = 0;
    unsigned long black = 0;
    unsigned long white = 0;

    int TextWidth(const char *text, int length) const;
    int LineHeight() const { return font ? font->ascent + font->descent : 13; }
    int Ascent() const { return font ? font->ascent : 10; }
    // A top-level window with a title that the window manager lets the user close.
    Window CreateTopLevel(int x, int y, int width, int height, const char *title, Window transientFor) const;
    // A push button drawn as a raised box with centred text.
    void DrawButton(Window window, GC gc, int x, int y, int width, int height, const char *text) const;
    bool IsDeleteRequest(const XEvent &event) const;
};

inline constexpr unsigned long kVisButtonFace = 0xF0F0F0; // the colour of buttons and dialog faces
