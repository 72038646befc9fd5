#include "tests/support/XDesktop.h"

#include "tests/support/TempDir.h"

#include <chrono>
#include <thread>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace {

::Display *D(void *display)
{
    return static_cast<::Display *>(display);
}

std::string TitleOf(::Display *display, Window window)
{
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count, &after, &data) ==
            Success && data) {
        title.assign(reinterpret_cast<char *>(data), count);
        XFree(data);
        return title;
    }
    char *name = nullptr;
    if (XFetchName(display, window, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
}

Window Find(::Display *display, Window parent, const std::string &title)
{
    Window root, up, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count))
        return 0;
    std::vector<Window> list(children, children + count);
    if (children)
        XFree(children);
    for (Window child : list) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, child, &attributes) && attributes.map_state == IsViewable &&
            TitleOf(display, child) == title)
            return child;
        if (Window inner = Find(display, child, title))
            return inner;
    }
    return 0;
}

} // namespace

XDesktop::XDesktop(const std::string &display) : m_strName(display)
{
    m_pDisplay = XOpenDisplay(display.c_str());
}

XDesktop::~XDesktop()
{
    if (m_pDisplay)
        XCloseDisplay(D(m_pDisplay));
}

unsigned long XDesktop::WaitForWindow(const std::string &title, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        if (Window window = Find(D(m_pDisplay), DefaultRootWindow(D(m_pDisplay)), title))
            return window;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < end);
    return 0;
}

bool XDesktop::WaitUntilGone(const std::string &title, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        if (!Find(D(m_pDisplay), DefaultRootWindow(D(m_pDisplay)), title))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

void XDesktop::Focus(unsigned long window)
{
    XRaiseWindow(D(m_pDisplay), window);
    XSetInputFocus(D(m_pDisplay), window, RevertToParent, CurrentTime);
    XSync(D(m_pDisplay), False);
    std::this_thread::sleep_for(std::chrono::milliseconds(300)); // the program takes the focus event
}

void XDesktop::Key(const std::string &keysym, bool control, bool shift)
{
    ::Display *display = D(m_pDisplay);
    const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(keysym.c_str()));
    const KeyCode ctrl = XKeysymToKeycode(display, XStringToKeysym("Control_L"));
    const KeyCode shiftKey = XKeysymToKeycode(display, XStringToKeysym("Shift_L"));
    if (control)
        XTestFakeKeyEvent(display, ctrl, True, 0);
    if (shift)
        XTestFakeKeyEvent(display, shiftKey, True, 0);
    XTestFakeKeyEvent(display, code, True, 0);
    XTestFakeKeyEvent(display, code, False, 0);
    if (shift)
        XTestFakeKeyEvent(display, shiftKey, False, 0);
    if (control)
        XTestFakeKeyEvent(display, ctrl, False, 0);
    XSync(display, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
}

void XDesktop::AltKey(const std::string &keysym)
{
    ::Display *display = D(m_pDisplay);
    const KeyCode alt = XKeysymToKeycode(display, XStringToKeysym("Alt_L"));
    XTestFakeKeyEvent(display, alt, True, 0);
    Key(keysym);
    XTestFakeKeyEvent(display, alt, False, 0);
    XSync(display, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
}

void XDesktop::Type(const std::string &text)
{
    for (char c : text) {
        if (c == ' ')
            Key("space");
        else if (c == '@')
            Key("2", false, true); // the US layout of the test server
        else if (c == '.')
            Key("period");
        else if (c == '/')
            Key("slash");
        else if (c == ':')
            Key("semicolon", false, true);
        else if (c >= 'A' && c <= 'Z')
            Key(std::string(1, static_cast<char>(c - 'A' + 'a')), false, true);
        else
            Key(std::string(1, c));
    }
}

bool XDesktop::Screenshot(unsigned long window, const std::string &png)
{
    return RunCommand("DISPLAY=" + m_strName + " import -window " + std::to_string(window) + " '" + png +
                      "' 2>/dev/null") == 0;
}
