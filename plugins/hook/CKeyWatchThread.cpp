#include "plugins/hook/CKeyWatchThread.h"

#include "platform/ipc/CIpcClient.h"
#include "plugins/include/mv_messages.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/Xatom.h>
#include <X11/extensions/record.h>
#include <X11/keysym.h>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr int kKeyCount = 11; // F2 .. F12
constexpr std::uint64_t kFirstKeyCode = 0x71;
// A press must not stall the watch thread behind a player that does not read.
constexpr std::chrono::milliseconds kPostTimeout{500};

std::atomic<Display *> g_control{nullptr};
std::atomic<Display *> g_data{nullptr};
XErrorHandler g_previousHandler = nullptr;

int SwallowOwnErrors(Display *display, XErrorEvent *error)
{
    if (display == g_control.load() || display == g_data.load())
        return 0;
    return g_previousHandler ? g_previousHandler(display, error) : 0;
}

void OnRecorded(XPointer closure, XRecordInterceptData *data)
{
    auto *watch = reinterpret_cast<CKeyWatchThread *>(closure);
    if (data->category == XRecordFromServer && data->data_len > 0) {
        const auto *event = reinterpret_cast<const xEvent *>(data->data);
        if ((event->u.u.type & 0x7f) == KeyPress)
            watch->OnKeyPress(event->u.u.detail);
    } else if (data->category == XRecordEndOfData) {
        watch->OnEndOfData();
    }
    XRecordFreeData(data);
}

} // namespace

CKeyWatchThread::CKeyWatchThread(std::string runtimeDir) : m_runtimeDir(std::move(runtimeDir)) {}

CKeyWatchThread::~CKeyWatchThread()
{
    Stop();
}

bool CKeyWatchThread::Start()
{
    if (m_thread.joinable())
        return true;
    // Opened here, not on the thread, so that a missing display fails the call itself.
    Display *control = XOpenDisplay(nullptr);
    if (!control)
        return false;
    Display *data = XOpenDisplay(nullptr);
    int major = 0;
    int minor = 0;
    if (!data || !XRecordQueryVersion(control, &major, &minor) || pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        if (data)
            XCloseDisplay(data);
        XCloseDisplay(control);
        return false;
    }
    for (int i = 0; i < kKeyCount; ++i)
        m_keycodes[i] = XKeysymToKeycode(control, static_cast<KeySym>(XK_F2 + i));

    XRecordRange *range = XRecordAllocRange();
    range->device_events.first = KeyPress;
    range->device_events.last = KeyPress;
    XRecordClientSpec clients = XRecordAllClients;
    m_context = XRecordCreateContext(control, 0, &clients, 1, &range, 1);
    XFree(range);
    // The context must exist on the server before the other connection enables it.
    XSync(control, False);
    // Recording must be live when the call returns: keys pressed after it already reach the player.
    if (m_context == 0 || !XRecordEnableContextAsync(data, m_context, OnRecorded, reinterpret_cast<XPointer>(this))) {
        if (m_context != 0)
            XRecordFreeContext(control, m_context);
        XCloseDisplay(data);
        XCloseDisplay(control);
        close(m_wake[0]);
        close(m_wake[1]);
        m_wake[0] = m_wake[1] = -1;
        m_context = 0;
        return false;
    }
    XSync(control, False);
    m_control = control;
    m_data = data;
    g_control = control;
    g_data = data;
    g_previousHandler = XSetErrorHandler(SwallowOwnErrors);
    m_bEnded = false;
    m_thread = std::thread([this] { Run(); });
    return true;
}

void CKeyWatchThread::Stop()
{
    if (!m_thread.joinable())
        return;
    const char wake = 1;
    while (write(m_wake[1], &wake, 1) < 0 && errno == EINTR) {
    }
    m_thread.join();
    close(m_wake[0]);
    close(m_wake[1]);
    m_wake[0] = m_wake[1] = -1;
}

void CKeyWatchThread::Run()
{
    auto *control = static_cast<Display *>(m_control);
    auto *data = static_cast<Display *>(m_data);
    for (bool running = true; running;) {
        XRecordProcessReplies(data);
        pollfd waits[2] = {{ConnectionNumber(data), POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (poll(waits, 2, -1) < 0 && errno != EINTR)
            break;
        if (waits[1].revents != 0 || (waits[0].revents & (POLLERR | POLLHUP)))
            running = false;
    }
    // Presses recorded before the stop are still handled: the server ends the recording with an
    // end-of-data reply after everything it intercepted.
    XRecordDisableContext(control, m_context);
    XFlush(control);
    while (!m_bEnded) {
        XRecordProcessReplies(data);
        if (m_bEnded)
            break;
        pollfd wait{ConnectionNumber(data), POLLIN, 0};
        if (poll(&wait, 1, 2000) <= 0 || (wait.revents & (POLLERR | POLLHUP)))
            break;
    }
    XRecordFreeContext(control, m_context);
    XSync(control, False);
    const XErrorHandler current = XSetErrorHandler(g_previousHandler);
    if (current != SwallowOwnErrors)
        XSetErrorHandler(current); // installed by someone else meanwhile: theirs stays
    XCloseDisplay(data);
    XCloseDisplay(control);
    g_control = nullptr;
    g_data = nullptr;
    m_control = m_data = nullptr;
    m_context = 0;
}

void CKeyWatchThread::OnEndOfData()
{
    m_bEnded = true;
}

void CKeyWatchThread::OnKeyPress(unsigned keycode)
{
    for (int i = 0; i < kKeyCount; ++i) {
        if (m_keycodes[i] == 0 || m_keycodes[i] != keycode)
            continue;
        if (FocusIsOurs())
            return;
        CIpcRecord key;
        key.message = MV_WM_PLAYER_KEY;
        key.wParam = kFirstKeyCode + static_cast<std::uint64_t>(i);
        key.lParam = 0;
        CIpcClient(m_runtimeDir, MV_WINDOW_CLASS_NAME).Post(key, kPostTimeout);
        return;
    }
}

// Whether the window with the keyboard focus belongs to this process: the first _NET_WM_PID found
// from the focus window up to the root decides. No focus, or a window that names no process, is
// another program's.
bool CKeyWatchThread::FocusIsOurs()
{
    auto *control = static_cast<Display *>(m_control);
    const Atom pidAtom = XInternAtom(control, "_NET_WM_PID", True);
    Window focus = None;
    int revert = 0;
    XGetInputFocus(control, &focus, &revert);
    if (pidAtom == None || focus == None || focus == PointerRoot)
        return false;
    for (Window window = focus, depth = 0; window != None && depth < 64; ++depth) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char *value = nullptr;
        if (XGetWindowProperty(control, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                               &value) == Success &&
            value) {
            const bool found = format == 32 && count == 1;
            const unsigned long pid = found ? *reinterpret_cast<unsigned long *>(value) : 0;
            XFree(value);
            if (found)
                return pid == static_cast<unsigned long>(getpid());
        }
        Window root = None;
        Window parent = None;
        Window *children = nullptr;
        unsigned int childCount = 0;
        if (!XQueryTree(control, window, &root, &parent, &children, &childCount))
            return false;
        if (children)
            XFree(children);
        if (window == root)
            break;
        window = parent;
    }
    return false;
}
