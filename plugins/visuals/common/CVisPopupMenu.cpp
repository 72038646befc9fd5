#include "plugins/visuals/common/CVisPopupMenu.h"

#include <X11/keysym.h>
#include <algorithm>

namespace {

constexpr int kItemHeight = 20;
constexpr int kSeparatorHeight = 7;
constexpr int kPadding = 20;

} // namespace

CVisPopupMenu::CVisPopupMenu(const VisX &x, int rootX, int rootY, Items items, std::function<void(int)> chosen)
    : m_x(x), m_items(std::move(items)), m_chosen(std::move(chosen))
{
    for (const auto &[id, text] : m_items) {
        m_width = std::max(m_width, m_x.TextWidth(text.c_str(), static_cast<int>(text.size())) + 2 * kPadding);
        m_height += id == 0 ? kSeparatorHeight : kItemHeight;
    }
    m_height += 4;
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = kVisButtonFace;
    attributes.border_pixel = 0x808080;
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask;
    const int screenWidth = DisplayWidth(m_x.display, m_x.screen), screenHeight = DisplayHeight(m_x.display, m_x.screen);
    const int left = std::max(0, std::min(rootX, screenWidth - m_width - 2));
    const int top = std::max(0, std::min(rootY, screenHeight - m_height - 2));
    m_window = XCreateWindow(m_x.display, m_x.root, left, top, static_cast<unsigned>(m_width),
                             static_cast<unsigned>(m_height), 1, CopyFromParent, InputOutput, CopyFromParent,
                             CWOverrideRedirect | CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
    m_gc = XCreateGC(m_x.display, m_window, 0, nullptr);
    if (m_x.font)
        XSetFont(m_x.display, m_gc, m_x.font->fid);
    XMapRaised(m_x.display, m_window);
    // While the menu is open every click goes to it, so a click elsewhere closes it.
    XGrabPointer(m_x.display, m_window, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                 GrabModeAsync, None, None, CurrentTime);
    XGrabKeyboard(m_x.display, m_window, False, GrabModeAsync, GrabModeAsync, CurrentTime);
}

CVisPopupMenu::~CVisPopupMenu()
{
    XUngrabPointer(m_x.display, CurrentTime);
    XUngrabKeyboard(m_x.display, CurrentTime);
    XFreeGC(m_x.display, m_gc);
    XDestroyWindow(m_x.display, m_window);
    XFlush(m_x.display);
}

int CVisPopupMenu::ItemTop(std::size_t index) const
{
    int top = 2;
    for (std::size_t i = 0; i < index; ++i)
        top += m_items[i].first == 0 ? kSeparatorHeight : kItemHeight;
    return top;
}

int CVisPopupMenu::ItemAt(int x, int y) const
{
    if (x < 0 || x >= m_width)
        return -1;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const int top = ItemTop(i);
        if (m_items[i].first != 0 && y >= top && y < top + kItemHeight)
            return static_cast<int>(i);
    }
    return -1;
}

void CVisPopupMenu::Draw()
{
    XClearWindow(m_x.display, m_window);
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const int top = ItemTop(i);
        const auto &[id, text] = m_items[i];
        if (id == 0) {
            XSetForeground(m_x.display, m_gc, 0xA0A0A0);
            XDrawLine(m_x.display, m_window, m_gc, 4, top + 3, m_width - 5, top + 3);
            continue;
        }
        const bool hot = static_cast<int>(i) == m_hot;
        if (hot) {
            XSetForeground(m_x.display, m_gc, 0x0078D7);
            XFillRectangle(m_x.display, m_window, m_gc, 2, top, static_cast<unsigned>(m_width - 4), kItemHeight);
        }
        XSetForeground(m_x.display, m_gc, hot ? 0xFFFFFF : 0);
        XDrawString(m_x.display, m_window, m_gc, kPadding, top + (kItemHeight - m_x.LineHeight()) / 2 + m_x.Ascent(),
                    text.c_str(), static_cast<int>(text.size()));
    }
}

bool CVisPopupMenu::Handle(const XEvent &event)
{
    switch (event.type) {
    case Expose:
        if (event.xexpose.count == 0)
            Draw();
        return true;
    case MotionNotify: {
        const int hot = ItemAt(event.xmotion.x, event.xmotion.y);
        m_armed = true;
        if (hot != m_hot) {
            m_hot = hot;
            Draw();
        }
        return true;
    }
    case ButtonPress:
        if (ItemAt(event.xbutton.x, event.xbutton.y) < 0)
            return false;
        m_armed = true;
        return true;
    case ButtonRelease: {
        // The release of the click that opened the menu chooses nothing.
        if (!m_armed)
            return true;
        const int item = ItemAt(event.xbutton.x, event.xbutton.y);
        if (item < 0)
            return true;
        const int id = m_items[static_cast<std::size_t>(item)].first;
        m_chosen(id);
        return false;
    }
    case KeyPress:
        return XLookupKeysym(const_cast<XKeyEvent *>(&event.xkey), 0) != XK_Escape;
    default:
        return true;
    }
}
