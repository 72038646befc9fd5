#include "vis/CVisThread.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/resource.h>
#include <system_error>
#include <unistd.h>

namespace {
// How often the window thread looks at its window when no event arrives.
constexpr int kWindowPollMs = 50;
} // namespace

int CVisThread::RenderDelay(int result)
{
    return std::clamp(result, kMinRenderDelayMs, kMaxRenderDelayMs);
}

CVisThread::CVisThread(std::atomic<int> &running, std::atomic<int> &keepRunning, std::string libraryPath,
                       const VisInfo &info)
    : m_running(running), m_keepRunning(keepRunning), m_path(std::move(libraryPath)), m_info(info)
{
}

CVisThread::~CVisThread()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool CVisThread::Start()
{
    try {
        m_thread = std::thread(&CVisThread::WindowThread, this);
        return true;
    } catch (const std::system_error &) {
        m_keepRunning = 0;
        m_running = 0;
        return false;
    }
}

void CVisThread::WindowThread()
{
    if (StartUp())
        RunWindow();
    End();
}

bool CVisThread::StartUp()
{
    MvVisInitFn init = nullptr;
    if (!m_library.Load(m_path) || !m_library.Resolve("Init", init))
        return false;
    m_info.hModule = m_library.Handle();
    const VisWindow *window = init(&m_info);
    if (!window)
        return false;
    m_window = window;
    const bool render = m_library.Resolve("Render", m_render);
    const bool quit = m_library.Resolve("Quit", m_quit);
    if (!render || !quit || !window->Dispatch)
        return false;
    try {
        m_renderThread = std::thread(&CVisThread::RenderThread, this);
    } catch (const std::system_error &) {
        return false;
    }
    return true;
}

void CVisThread::RunWindow()
{
    const VisWindow *window = m_window.load();
    auto renderEndedAt = std::chrono::steady_clock::time_point::max();
    while (window->Dispatch() != 0) {
        // A window that does not close after its last frame must not keep the slot (and the player's
        // exit) waiting for ever.
        if (m_renderEnded.load() && renderEndedAt == std::chrono::steady_clock::time_point::max())
            renderEndedAt = std::chrono::steady_clock::now();
        if (std::chrono::steady_clock::now() - renderEndedAt > kDoneWait)
            break;
        pollfd events{window->nEventFd, POLLIN, 0};
        poll(&events, 1, kWindowPollMs);
    }
}

void CVisThread::End()
{
    if (m_keepRunning.exchange(0) != 0) {
        // The window went first (its close box) or start-up failed: the render thread, if any, posts
        // to no window and ends within one wait.
        m_window = nullptr;
        m_wake.Set();
        if (m_renderThread.joinable())
            m_done.WaitFor(kDoneWait);
    }
    if (m_renderThread.joinable())
        m_renderThread.join();
    if (m_quit)
        m_quit();
    m_library.Unload();
    m_running = 0;
}

void CVisThread::RenderThread()
{
    // One step below normal priority: on Linux the nice value is per thread.
    const id_t self = static_cast<id_t>(gettid());
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, self);
    if (errno == 0)
        setpriority(PRIO_PROCESS, self, nice + 1);

    while (m_keepRunning.load() != 0) {
        const int result = m_render();
        if (result < 0)
            break;
        m_wake.WaitFor(std::chrono::milliseconds(RenderDelay(result)));
    }
    if (const VisWindow *window = m_window.load(); window && window->PostClose)
        window->PostClose();
    m_renderEnded = true;
    m_done.Set();
}
