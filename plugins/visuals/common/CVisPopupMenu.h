#pragma once
// The right-click menu of a plug-in window (it stands in for the window's system menu): a pop-up at the
// pointer, items chosen by a click, closed by a click outside or Escape. Id 0 draws a separator.

#include "plugins/visuals/common/IVisPopup.h"
#include "plugins/visuals/common/VisX.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

class CVisPopupMenu : public IVisPopup {
public:
    using Items = std::vector<std::pair<int, std::string>>;

    CVisPopupMenu(const VisX &x, int rootX, int rootY, Items items, std::function<void(int)> chosen);
    ~CVisPopupMenu() override;

    Window Id() const override { return m_window; }
    bool Handle(const XEvent &event) override;

private:
    int ItemAt(int x, int y) const;
    int ItemTop(std::size_t index) const;
    void Draw();

    const VisX &m_x;
    Items m_items;
    std::function<void(int)> m_chosen;
    Window m_window = 0;
    GC m_gc = nullptr;
    int m_width = 0;
    int m_height = 0;
    int m_hot = -1;
    bool m_armed = false;
};
