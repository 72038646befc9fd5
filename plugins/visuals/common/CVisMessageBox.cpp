#include "plugins/visuals/common/CVisMessageBox.h"

#include <X11/keysym.h>
#include <algorithm>

namespace {

constexpr int kMargin = 16;
constexpr int kButtonWidth = 76;
constexpr int kButtonHeight = 24;

} // namespace

CVisMessageBox::CVisMessageBox(const VisX &x, Window owner, const std::string &title, std::vector<std::string> lines)
    : m_x(x), m_lines(std::move(lines))
{
    m_width = 240;
    for (const std::string &line : m_lines)
        m_width = std::max(m_width, m_x.TextWidth(line.c_str(), static_cast<int>(line.size())) + 2 * kMargin);
    m_height = kMargin + static_cast<int>(m_lines.size()) * (m_x.LineHeight() + 3) + kMargin + kButtonHeight + 12;
    int left = (DisplayWidth(m_x.display, m_x.screen) - m_width) / 2;
    int top = (DisplayHeight(m_x.display, m_x.screen) - m_height) / 2;
    m_window = m_x.CreateTopLevel(std::max(0, left), std::max(0, top), m_width, m_height, title.c_str(), owner);
    m_gc = XCreateGC(m_x.display, m_window, 0, nullptr);
    if (m_x.font)
        XSetFont(m_x.display, m_gc, m_x.font->fid);
    XMapRaised(m_x.display, m_window);
}

CVisMessageBox::~CVisMessageBox()
{
    XFreeGC(m_x.display, m_gc);
    XDestroyWindow(m_x.display, m_window);
    XFlush(m_x.display);
}

void CVisMessageBox::Draw()
{
    XClearWindow(m_x.display, m_window);
    XSetForeground(m_x.display, m_gc, 0);
    int y = kMargin + m_x.Ascent();
    for (const std::string &line : m_lines) {
        XDrawString(m_x.display, m_window, m_gc, kMargin, y, line.c_str(), static_cast<int>(line.size()));
        y += m_x.LineHeight() + 3;
    }
    m_x.DrawButton(m_window, m_gc, (m_width - kButtonWidth) / 2, m_height - kButtonHeight - 12, kButtonWidth,
                   kButtonHeight, "OK");
}

bool CVisMessageBox::Handle(const XEvent &event)
{
    switch (event.type) {
    case Expose:
        if (event.xexpose.count == 0)
            Draw();
        return true;
    case ButtonPress: {
        const int left = (m_width - kButtonWidth) / 2, top = m_height - kButtonHeight - 12;
        const bool onButton = event.xbutton.x >= left && event.xbutton.x < left + kButtonWidth &&
                              event.xbutton.y >= top && event.xbutton.y < top + kButtonHeight;
        return !onButton;
    }
    case KeyPress: {
        const KeySym key = XLookupKeysym(const_cast<XKeyEvent *>(&event.xkey), 0);
        return key != XK_Return && key != XK_Escape && key != XK_KP_Enter && key != XK_space;
    }
    case ClientMessage:
        return !m_x.IsDeleteRequest(event);
    default:
        return true;
    }
}
