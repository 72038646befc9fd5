#pragma once
// A settings dialog of a plug-in that links no widget toolkit: a few lines of information, a framed
// group with a caption holding a list of choices (one of them chosen), OK and Cancel. Up and Down (or a
// click) move the choice; Return or OK accept it, Escape, Cancel and the close box drop it.
//
// Threads: the caller's; Run opens a display connection of its own for as long as the dialog is shown
// and returns when it was closed.

#include "plugins/visuals/common/IVisPopup.h"
#include "plugins/visuals/common/VisX.h"

#include <cstdint>
#include <string>
#include <vector>

class CVisChoiceDialog : public IVisPopup {
public:
    struct Content {
        std::string title;
        std::vector<std::string> lines; // information above the group
        std::string group;
        std::vector<std::string> choices;
        int chosen = 0;
    };

    // Shows the dialog over `parentWindow` (an X11 window id, or 0). The accepted choice, or -1 when the
    // dialog was cancelled or there is no display.
    static int Run(std::uintptr_t parentWindow, const Content &content);

    CVisChoiceDialog(const VisX &x, Window owner, const Content &content);
    ~CVisChoiceDialog() override;

    Window Id() const override { return m_window; }
    bool Handle(const XEvent &event) override;
    // The accepted choice once the dialog is finished, or -1.
    int Accepted() const { return m_accepted; }

private:
    void Draw();
    int RowHeight() const { return m_x.LineHeight() + 4; }

    const VisX &m_x;
    Content m_content;
    int m_accepted = -1;
    Window m_window = 0;
    GC m_gc = nullptr;
    int m_width = 0, m_height = 0;
    int m_listLeft = 0, m_listTop = 0, m_listWidth = 0;
    int m_okLeft = 0, m_cancelLeft = 0, m_buttonTop = 0;
};
