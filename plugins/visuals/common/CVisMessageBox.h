#pragma once
// An information box with a title, a few lines of text and an OK button; Return, Escape, the button or
// the close box end it.

#include "plugins/visuals/common/IVisPopup.h"
#include "plugins/visuals/common/VisX.h"

#include <string>
#include <vector>

class CVisMessageBox : public IVisPopup {
public:
    CVisMessageBox(const VisX &x, Window owner, const std::string &title, std::vector<std::string> lines);
    ~CVisMessageBox() override;

    Window Id() const override { return m_window; }
    bool Handle(const XEvent &event) override;

private:
    void Draw();

    const VisX &m_x;
    std::vector<std::string> m_lines;
    Window m_window = 0;
    GC m_gc = nullptr;
    int m_width = 0;
    int m_height = 0;
};
