#pragma once
// One running visual plug-in. Its window thread loads the library, calls Init (so the plug-in's window
// belongs to that thread) and dispatches the window's events until the window is gone. Its render
// thread, one step below normal priority, calls Render at the pace the plug-in asks for, held to 10 to
// 100 ms, while the slot's keep-running flag is set, then asks the window to close. At the end the
// window thread calls Quit, frees the library and clears the slot's running flag, the last thing it
// does to the slot.
//
// Threads: the constructor, Start, Wake and the destructor on the host's (user-interface) thread; the
// slot's flags are the only state shared with the host while the plug-in runs. The destructor waits
// for the window thread, so it is called once the running flag is 0 (or to wait for that).

#include "engine/CAutoResetEvent.h"
#include "platform/io/CDynamicLibrary.h"
#include "plugins/include/mv_visual.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

class CVisThread {
public:
    static constexpr int kMinRenderDelayMs = 10;
    static constexpr int kMaxRenderDelayMs = 100;
    // How long the end of a plug-in whose window went first waits for its render thread's last frame.
    static constexpr std::chrono::milliseconds kDoneWait{1000};

    // The wait after a Render that returned `result` (not negative).
    static int RenderDelay(int result);

    // `running` and `keepRunning` are the slot's flags, both set to 1 by the host before Start.
    CVisThread(std::atomic<int> &running, std::atomic<int> &keepRunning, std::string libraryPath, const VisInfo &info);
    ~CVisThread();
    CVisThread(const CVisThread &) = delete;
    CVisThread &operator=(const CVisThread &) = delete;

    // Starts the window thread; false (both flags cleared) when no thread could be made.
    bool Start();
    // Cuts the render thread's current wait short, so a cleared keep-running flag is seen at once.
    void Wake() { m_wake.Set(); }

private:
    void WindowThread();
    bool StartUp();
    void RunWindow();
    void End();
    void RenderThread();

    std::atomic<int> &m_running;
    std::atomic<int> &m_keepRunning;
    std::string m_path;
    VisInfo m_info;
    CDynamicLibrary m_library;
    std::atomic<const VisWindow *> m_window{nullptr};
    MvVisRenderFn m_render = nullptr;
    MvVisQuitFn m_quit = nullptr;
    CAutoResetEvent m_wake;
    CAutoResetEvent m_done;
    std::atomic<bool> m_renderEnded{false};
    std::thread m_renderThread;
    std::thread m_thread;
};
