#pragma once
// Grabs F2..F12 on the X11 root window and posts each press to the player as WM_PLAYER_KEY.
//
// Threads: Start() and Stop() from one caller thread. Every Xlib call happens on the grab thread, which
// owns its own display connection, so the host's own X11 use is never touched (except for the
// process-wide Xlib error handler, swapped for the moment of grabbing: a key another program already
// grabbed must not end the process).

#include <future>
#include <string>
#include <thread>

class CKeyGrabThread {
public:
    explicit CKeyGrabThread(std::string runtimeDir);
    ~CKeyGrabThread();
    CKeyGrabThread(const CKeyGrabThread &) = delete;
    CKeyGrabThread &operator=(const CKeyGrabThread &) = delete;

    // Opens the display and grabs the keys; false when there is no display.
    bool Start();
    // Ungrabs, closes the display and ends the thread.
    void Stop();
    bool Running() const { return m_thread.joinable(); }

private:
    void Run(void *display, std::promise<void> &grabbed);

    std::string m_runtimeDir;
    std::thread m_thread;
    int m_wake[2] = {-1, -1};
};
