#include "plugins/visuals/common/CVisWindow.h"

#include "platform/ipc/CIpcClient.h"
#include "plugins/include/mv_messages.h"
#include "plugins/visuals/common/CVisColourChooser.h"
#include "plugins/visuals/common/CVisMessageBox.h"
#include "plugins/visuals/common/VisColour.h"
#include "plugins/visuals/common/VisKeys.h"

#include <X11/Xutil.h>
#include <algorithm>
#include <cstdlib>

namespace {

// A plug-in library runs one window at a time (its state is the library's), so the plain C entry
// points of the VisWindow record reach it through this one pointer.
CVisWindow *g_active = nullptr;

int DispatchActive() { return g_active ? g_active->Dispatch() : 0; }
void PostCloseActive()
{
    if (g_active)
        g_active->PostClose();
}

// A key press must not stall the window behind a player that does not read.
constexpr std::chrono::milliseconds kKeyPostTimeout{250};

bool IsTrueColour(Display *display, int screen)
{
    const Visual *visual = DefaultVisual(display, screen);
    const int depth = DefaultDepth(display, screen);
    return (depth == 24 || depth == 32) && visual->red_mask == 0xFF0000 && visual->green_mask == 0xFF00 &&
           visual->blue_mask == 0xFF;
}

XImage *CreateImage(Display *display, int screen, int width, int height)
{
    auto *pixels = static_cast<char *>(std::calloc(static_cast<std::size_t>(width) * height, 4));
    if (!pixels)
        return nullptr;
    XImage *image = XCreateImage(display, DefaultVisual(display, screen),
                                 static_cast<unsigned>(DefaultDepth(display, screen)), ZPixmap, 0, pixels,
                                 static_cast<unsigned>(width), static_cast<unsigned>(height), 32, width * 4);
    if (!image || image->bits_per_pixel != 32) {
        if (image)
            XDestroyImage(image);
        else
            std::free(pixels);
        return nullptr;
    }
    return image;
}

} // namespace

CVisWindow::CVisWindow(IVisFrameSource &source) : m_source(source)
{
    m_customColours.fill(kVisButtonFace);
}

CVisWindow::~CVisWindow()
{
    Destroy();
}

bool CVisWindow::Open(const VisWindowOptions &options, const char *mainWindow)
{
    if (m_window)
        return false;
    m_options = options;
    m_mainWindow = mainWindow ? mainWindow : "";
    m_x.display = XOpenDisplay(nullptr);
    m_renderDisplay = XOpenDisplay(nullptr);
    if (!m_x.display || !m_renderDisplay || !IsTrueColour(m_x.display, DefaultScreen(m_x.display))) {
        Destroy();
        return false;
    }
    m_x.screen = DefaultScreen(m_x.display);
    m_x.root = RootWindow(m_x.display, m_x.screen);
    m_x.font = XLoadQueryFont(m_x.display, "fixed");
    m_x.wmProtocols = XInternAtom(m_x.display, "WM_PROTOCOLS", False);
    m_x.wmDeleteWindow = XInternAtom(m_x.display, "WM_DELETE_WINDOW", False);
    m_renderProtocols = XInternAtom(m_renderDisplay, "WM_PROTOCOLS", False);
    m_renderDelete = XInternAtom(m_renderDisplay, "WM_DELETE_WINDOW", False);
    m_image = CreateImage(m_x.display, m_x.screen, options.maxWidth, options.maxHeight);
    m_renderImage = CreateImage(m_renderDisplay, DefaultScreen(m_renderDisplay), options.maxWidth, options.maxHeight);
    if (!m_image || !m_renderImage) {
        Destroy();
        return false;
    }

    const int width = std::clamp(options.width, options.minWidth, options.maxWidth);
    const int height = std::clamp(options.height, options.minHeight, options.maxHeight);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = 0;
    attributes.bit_gravity = NorthWestGravity;
    attributes.event_mask = ExposureMask | KeyPressMask | ButtonPressMask | StructureNotifyMask;
    m_window = XCreateWindow(m_x.display, m_x.root, options.x, options.y, static_cast<unsigned>(width),
                             static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                             CWBackPixel | CWBitGravity | CWEventMask, &attributes);
    XStoreName(m_x.display, m_window, options.title.c_str());
    XClassHint classHint{const_cast<char *>(options.className.c_str()), const_cast<char *>(options.className.c_str())};
    XSetClassHint(m_x.display, m_window, &classHint);
    Atom protocols[] = {m_x.wmDeleteWindow};
    XSetWMProtocols(m_x.display, m_window, protocols, 1);
    if (XSizeHints *hints = XAllocSizeHints()) {
        // The stored position is the client area's (static gravity), so it does not creep by the size of
        // the window manager's frame at every start.
        hints->flags = USPosition | USSize | PMinSize | PMaxSize | PWinGravity;
        hints->x = options.x;
        hints->y = options.y;
        hints->width = width;
        hints->height = height;
        hints->min_width = options.minWidth;
        hints->min_height = options.minHeight;
        hints->max_width = options.maxWidth;
        hints->max_height = options.maxHeight;
        hints->win_gravity = StaticGravity;
        XSetWMNormalHints(m_x.display, m_window, hints);
        XFree(hints);
    }
    m_gc = XCreateGC(m_x.display, m_window, 0, nullptr);
    m_left = options.x;
    m_top = options.y;
    m_width = width;
    m_height = height;
    XMapRaised(m_x.display, m_window);
    // The render connection may name the window only once the server has it: its requests travel
    // apart from this connection's, and an error for an unknown window ends the whole process.
    XSync(m_x.display, False);
    m_renderGc = XCreateGC(m_renderDisplay, m_window, 0, nullptr);
    XSync(m_renderDisplay, False);

    m_record.nEventFd = ConnectionNumber(m_x.display);
    m_record.Dispatch = DispatchActive;
    m_record.PostClose = PostCloseActive;
    m_closed = false;
    g_active = this;
    return true;
}

void CVisWindow::Destroy()
{
    if (g_active == this)
        g_active = nullptr;
    m_popups.clear();
    // The render connection goes first, with whatever it still holds unsent, while the window exists.
    if (m_renderDisplay) {
        if (m_renderImage)
            XDestroyImage(m_renderImage);
        if (m_renderGc)
            XFreeGC(m_renderDisplay, m_renderGc);
        XCloseDisplay(m_renderDisplay);
    }
    if (m_x.display) {
        if (m_image)
            XDestroyImage(m_image);
        if (m_gc)
            XFreeGC(m_x.display, m_gc);
        if (m_window)
            XDestroyWindow(m_x.display, m_window);
        if (m_x.font)
            XFreeFont(m_x.display, m_x.font);
        XCloseDisplay(m_x.display);
    }
    m_image = m_renderImage = nullptr;
    m_gc = m_renderGc = nullptr;
    m_window = 0;
    m_renderDisplay = nullptr;
    m_x = VisX{};
    m_record = VisWindow{};
}

int CVisWindow::Dispatch()
{
    if (!m_x.display || m_closed)
        return 0;
    while (!m_closed && XPending(m_x.display) > 0) {
        XEvent event;
        XNextEvent(m_x.display, &event);
        Handle(event);
        // Commands run after the popup that chose them is gone, so they may open another one.
        std::vector<int> commands;
        commands.swap(m_pendingCommands);
        for (int id : commands)
            RunCommand(id);
    }
    return m_closed ? 0 : 1;
}

void CVisWindow::Handle(XEvent &event)
{
    for (auto popup = m_popups.begin(); popup != m_popups.end(); ++popup) {
        if ((*popup)->Id() == event.xany.window) {
            if (!(*popup)->Handle(event))
                m_popups.erase(popup);
            return;
        }
    }
    if (event.xany.window != m_window)
        return;
    switch (event.type) {
    case Expose:
        if (event.xexpose.count == 0)
            Paint();
        break;
    case ConfigureNotify: {
        m_width = event.xconfigure.width;
        m_height = event.xconfigure.height;
        Window child;
        int left = 0, top = 0;
        if (XTranslateCoordinates(m_x.display, m_window, m_x.root, 0, 0, &left, &top, &child)) {
            m_left = left;
            m_top = top;
        }
        break;
    }
    case KeyPress:
        ForwardKey(event.xkey);
        break;
    case ButtonPress:
        if (event.xbutton.button == Button3) {
            CVisPopupMenu::Items items{{kAboutCommand, "About..."}};
            items.insert(items.end(), m_options.menuItems.begin(), m_options.menuItems.end());
            items.emplace_back(0, "");
            items.emplace_back(kCloseCommand, "Close");
            m_popups.push_back(std::make_unique<CVisPopupMenu>(m_x, event.xbutton.x_root, event.xbutton.y_root,
                                                               std::move(items),
                                                               [this](int id) { m_pendingCommands.push_back(id); }));
        }
        break;
    case ClientMessage:
        if (m_x.IsDeleteRequest(event))
            Close();
        break;
    default:
        break;
    }
}

void CVisWindow::ForwardKey(XKeyEvent &key)
{
    // Keys held with Alt are the window's own system keys and stay here; F10 is an ordinary key on X11.
    if (key.state & Mod1Mask)
        return;
    const auto code = VisKeys::VirtualKey(XLookupKeysym(&key, 0));
    if (!code || m_mainWindow.empty())
        return;
    CIpcRecord record;
    record.message = MV_WM_KEYDOWN;
    record.wParam = *code;
    record.lParam = ((key.state & ShiftMask) ? VisKeys::kShift : 0) | ((key.state & ControlMask) ? VisKeys::kControl : 0);
    CIpcClient(m_mainWindow, MV_WINDOW_CLASS_NAME).Post(record, kKeyPostTimeout);
}

void CVisWindow::RunCommand(int id)
{
    if (id == kAboutCommand)
        m_popups.push_back(std::make_unique<CVisMessageBox>(m_x, m_window, m_options.aboutTitle, m_options.aboutText));
    else if (id == kCloseCommand)
        Close();
    else
        m_source.OnMenuCommand(id);
}

void CVisWindow::ChooseColour(const char *title, std::uint32_t initial, std::function<void(std::uint32_t)> accepted)
{
    if (!m_x.display)
        return;
    m_popups.push_back(std::make_unique<CVisColourChooser>(
        m_x, m_window, title, VisColour::PixelFromColorRef(initial), m_customColours,
        [accepted = std::move(accepted)](std::uint32_t pixel) { accepted(VisColour::ColorRefFromPixel(pixel)); }));
}

void CVisWindow::Paint()
{
    const int width = std::min(m_width.load(), m_options.maxWidth);
    const int height = std::min(m_height.load(), m_options.maxHeight);
    if (width <= 0 || height <= 0)
        return;
    m_source.FillFrame(reinterpret_cast<std::uint32_t *>(m_image->data), m_options.maxWidth, width, height);
    XPutImage(m_x.display, m_window, m_gc, m_image, 0, 0, 0, 0, static_cast<unsigned>(width),
              static_cast<unsigned>(height));
    XFlush(m_x.display);
}

void CVisWindow::Close()
{
    // The window disappears now but is destroyed only by Quit, after the render thread has stopped
    // drawing into it: drawing into a destroyed window would be an X error, and Xlib's default handler
    // ends the whole process.
    m_popups.clear();
    XUnmapWindow(m_x.display, m_window);
    XFlush(m_x.display);
    m_closed = true;
}

void CVisWindow::PostClose()
{
    if (!m_renderDisplay)
        return;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = m_window;
    event.xclient.message_type = m_renderProtocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(m_renderDelete);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(m_renderDisplay, m_window, False, NoEventMask, &event);
    XFlush(m_renderDisplay);
}

bool CVisWindow::ClientArea(int &width, int &height)
{
    if (!m_renderDisplay)
        return false;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(m_renderDisplay, m_window, &attributes) || attributes.map_state != IsViewable)
        return false;
    width = attributes.width;
    height = attributes.height;
    return true;
}

void CVisWindow::Present(int width, int height)
{
    width = std::min(width, m_options.maxWidth);
    height = std::min(height, m_options.maxHeight);
    if (!m_renderDisplay || width <= 0 || height <= 0)
        return;
    m_source.FillFrame(reinterpret_cast<std::uint32_t *>(m_renderImage->data), m_options.maxWidth, width, height);
    XPutImage(m_renderDisplay, m_window, m_renderGc, m_renderImage, 0, 0, 0, 0, static_cast<unsigned>(width),
              static_cast<unsigned>(height));
    // One frame in flight at most: a slow server holds the render thread back instead of queueing
    // frames without bound, and a frame is on screen when Render returns.
    XSync(m_renderDisplay, False);
}
