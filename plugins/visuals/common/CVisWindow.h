#pragma once
// The window of a visual plug-in on X11: its own Display connection opened on the host thread that
// calls Init (the window thread), so the window belongs to that thread, which runs its events through
// Dispatch; a second connection, used only by the render thread, draws each frame with one XPutImage
// and posts the close request. The window forwards key presses to the player through platform/ipc,
// shows a right-click menu (About, the plug-in's colour items, Close), keeps its size between the
// given limits and remembers where it is.
//
// Threads: Open, Dispatch, ChooseColour and Destroy on the window thread; ClientArea, Present and
// PostClose on the render thread. Position and size are read on the window thread.
//
// Requires a TrueColor display of 24 or 32 bits (every current X server and Xvfb); Open fails otherwise.

#include "plugins/include/mv_visual.h"
#include "plugins/visuals/common/CVisPopupMenu.h"
#include "plugins/visuals/common/IVisPopup.h"
#include "plugins/visuals/common/VisX.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class IVisFrameSource {
public:
    virtual ~IVisFrameSource() = default;
    // Writes the current frame as 0x00RRGGBB pixels, rows `stride` pixels apart. Render or window thread.
    virtual void FillFrame(std::uint32_t *pixels, int stride, int width, int height) = 0;
    // One of the plug-in's menu items was chosen. Window thread.
    virtual void OnMenuCommand(int id) = 0;
};

struct VisWindowOptions {
    std::string className; // WM_CLASS, "melvane_vis2"
    std::string title;     // the plug-in's name
    int x = 0, y = 0, width = 320, height = 240;
    int minWidth = 240, minHeight = 180, maxWidth = 1024, maxHeight = 768;
    CVisPopupMenu::Items menuItems; // below "About..."
    std::string aboutTitle;
    std::vector<std::string> aboutText;
};

class CVisWindow {
public:
    static constexpr int kAboutCommand = 40001;
    static constexpr int kCloseCommand = 0xF060; // the system menu's Close

    explicit CVisWindow(IVisFrameSource &source);
    ~CVisWindow();
    CVisWindow(const CVisWindow &) = delete;
    CVisWindow &operator=(const CVisWindow &) = delete;

    // Creates and shows the window; false (with nothing left behind) when there is no display or it
    // is not a TrueColor display. `mainWindow` is the runtime folder of the player's socket.
    bool Open(const VisWindowOptions &options, const char *mainWindow);
    // The record Init returns. Valid while the window is open.
    const VisWindow *Record() const { return &m_record; }

    int Dispatch();
    void PostClose();
    // The client size, false when it cannot be read or the window is not shown.
    bool ClientArea(int &width, int &height);
    // Fills and shows a frame of width x height.
    void Present(int width, int height);
    void Destroy();

    // Opens the colour dialog on `initial` (a Windows colour value); `accepted` gets the choice on OK.
    void ChooseColour(const char *title, std::uint32_t initial, std::function<void(std::uint32_t)> accepted);

    int X() const { return m_left; }
    int Y() const { return m_top; }
    int Width() const { return m_width.load(); }
    int Height() const { return m_height.load(); }

private:
    void Handle(XEvent &event);
    void ForwardKey(XKeyEvent &key);
    void Paint();
    void Close();
    void RunCommand(int id);

    IVisFrameSource &m_source;
    VisWindowOptions m_options;
    std::string m_mainWindow;
    VisX m_x;
    Display *m_renderDisplay = nullptr;
    Window m_window = 0;
    GC m_gc = nullptr;
    GC m_renderGc = nullptr;
    XImage *m_image = nullptr;       // window thread (paint)
    XImage *m_renderImage = nullptr; // render thread
    Atom m_renderProtocols = 0;
    Atom m_renderDelete = 0;
    VisWindow m_record{};
    std::vector<std::unique_ptr<IVisPopup>> m_popups;
    std::vector<int> m_pendingCommands;
    std::array<std::uint32_t, 16> m_customColours{};
    int m_left = 0;
    int m_top = 0;
    std::atomic<int> m_width{0};
    std::atomic<int> m_height{0};
    bool m_closed = false;
};
