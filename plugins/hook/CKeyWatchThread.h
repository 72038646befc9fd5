#pragma once
// Watches F2..F12 on the whole X11 display and posts each press to the player as WM_PLAYER_KEY while
// another program has the focus.
//
// The keys are observed through the RECORD extension, not grabbed: the focused program still gets
// its F5, as it would without the player running, and the player acts on it too (that is what
// "background monitoring" means). Presses while the player's own window has the focus are left to
// the window's own shortcuts, so nothing acts twice.
//
// Threads: Start() and Stop() from one caller thread. Every Xlib call after Start happens on the watch
// thread, on two display connections of its own (RECORD sends its data on one, the focus is asked on
// the other), so the host's own X11 use is never touched. While running, an Xlib error handler that
// swallows errors on those two connections (a focused window that vanished) and passes every other
// connection's errors on is installed process-wide.

#include <string>
#include <thread>

class CKeyWatchThread {
public:
    explicit CKeyWatchThread(std::string runtimeDir);
    ~CKeyWatchThread();
    CKeyWatchThread(const CKeyWatchThread &) = delete;
    CKeyWatchThread &operator=(const CKeyWatchThread &) = delete;

    // Opens the display and starts recording key presses; false when there is no display or it
    // lacks the RECORD extension.
    bool Start();
    // Stops recording once every press recorded so far was handled, closes the connections and ends
    // the thread.
    void Stop();
    bool Running() const { return m_thread.joinable(); }

    // Called by the recording (watch thread): each key press, and the end once recording stopped.
    void OnKeyPress(unsigned keycode);
    void OnEndOfData();

private:
    void Run();
    bool FocusIsOurs();

    std::string m_runtimeDir;
    std::thread m_thread;
    int m_wake[2] = {-1, -1};
    void *m_control = nullptr; // Display *
    void *m_data = nullptr;    // Display *
    unsigned long m_context = 0;
    bool m_bEnded = false;
    unsigned char m_keycodes[11] = {};
};
