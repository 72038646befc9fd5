#include "plugins/hook/CKeyGrabThread.h"

#include "platform/ipc/CIpcClient.h"
#include "platform/ipc/IpcMessages.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <array>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <future>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr int kKeyCount = 11; // F2 .. F12
constexpr std::uint64_t kFirstKeyCode = 0x71;
// A press must not stall the grab thread behind a player that does not read.
constexpr std::chrono::milliseconds kPostTimeout{500};

std::atomic<int> g_grabErrors{0};

int CountError(Display *, XErrorEvent *)
{
    g_grabErrors.fetch_add(1);
    return 0;
}

unsigned NumLockMask(Display *display)
{
    const KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
    XModifierKeymap *map = XGetModifierMapping(display);
    unsigned mask = 0;
    if (map && numLock != 0) {
        for (int modifier = 0; modifier < 8 && mask == 0; ++modifier) {
            for (int k = 0; k < map->max_keypermod; ++k) {
                if (map->modifiermap[modifier * map->max_keypermod + k] == numLock) {
                    mask = 1u << modifier;
                    break;
                }
            }
        }
    }
    if (map)
        XFreeModifiermap(map);
    return mask ? mask : Mod2Mask;
}

} // namespace

CKeyGrabThread::CKeyGrabThread(std::string runtimeDir) : m_runtimeDir(std::move(runtimeDir)) {}

CKeyGrabThread::~CKeyGrabThread()
{
    Stop();
}

bool CKeyGrabThread::Start()
{
    if (m_thread.joinable())
        return true;
    // The display is opened here, not on the thread, so that a missing display fails the call itself.
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    if (pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        XCloseDisplay(display);
        return false;
    }
    std::promise<void> grabbed;
    std::future<void> ready = grabbed.get_future();
    m_thread = std::thread([this, display, grabbed = std::move(grabbed)]() mutable { Run(display, grabbed); });
    // Keys pressed after the call returns must already reach the player.
    ready.wait();
    return true;
}

void CKeyGrabThread::Stop()
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

void CKeyGrabThread::Run(void *handle, std::promise<void> &grabbed)
{
    Display *display = static_cast<Display *>(handle);
    const Window root = DefaultRootWindow(display);
    const unsigned numLock = NumLockMask(display);
    const std::array<unsigned, 4> variants{0u, LockMask, numLock, LockMask | numLock};
    std::array<KeyCode, kKeyCount> codes{};

    auto *previous = XSetErrorHandler(CountError);
    for (int i = 0; i < kKeyCount; ++i) {
        codes[i] = XKeysymToKeycode(display, static_cast<KeySym>(XK_F2 + i));
        if (codes[i] == 0)
            continue;
        for (unsigned modifiers : variants)
            XGrabKey(display, codes[i], modifiers, root, False, GrabModeAsync, GrabModeAsync);
    }
    XSync(display, False);
    XSetErrorHandler(previous);
    grabbed.set_value();

    const CIpcClient player(m_runtimeDir, Ipc::kWindowClassName);
    for (bool running = true; running;) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type != KeyPress)
                continue;
            for (int i = 0; i < kKeyCount; ++i) {
                if (codes[i] != 0 && event.xkey.keycode == codes[i]) {
                    CIpcRecord key;
                    key.message = Ipc::WM_PLAYER_KEY;
                    key.wParam = kFirstKeyCode + static_cast<std::uint64_t>(i);
                    key.lParam = 0;
                    player.Post(key, kPostTimeout);
                    break;
                }
            }
        }
        pollfd waits[2] = {{ConnectionNumber(display), POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (poll(waits, 2, -1) < 0 && errno != EINTR)
            break;
        if (waits[1].revents != 0)
            running = false;
        if (waits[0].revents & (POLLERR | POLLHUP))
            running = false;
    }

    for (KeyCode code : codes) {
        if (code == 0)
            continue;
        for (unsigned modifiers : variants)
            XUngrabKey(display, code, modifiers, root);
    }
    XCloseDisplay(display);
}
