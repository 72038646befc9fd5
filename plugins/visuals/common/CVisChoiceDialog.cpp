#include "plugins/visuals/common/CVisChoiceDialog.h"

#include <X11/keysym.h>
#include <algorithm>

namespace {

constexpr int kMargin = 12;
constexpr int kButtonWidth = 76;
constexpr int kButtonHeight = 24;
constexpr unsigned long kListFace = 0xFFFFFF;
constexpr unsigned long kChosenFace = 0x0078D7;

} // namespace

int CVisChoiceDialog::Run(std::uintptr_t parentWindow, const Content &content)
{
    VisX x;
    x.display = XOpenDisplay(nullptr);
    if (!x.display)
        return -1;
    x.screen = DefaultScreen(x.display);
    x.root = RootWindow(x.display, x.screen);
    x.font = XLoadQueryFont(x.display, "fixed");
    x.wmProtocols = XInternAtom(x.display, "WM_PROTOCOLS", False);
    x.wmDeleteWindow = XInternAtom(x.display, "WM_DELETE_WINDOW", False);
    x.black = BlackPixel(x.display, x.screen);
    x.white = WhitePixel(x.display, x.screen);
    int accepted = -1;
    {
        CVisChoiceDialog dialog(x, static_cast<Window>(parentWindow), content);
        for (bool open = true; open;) {
            XEvent event;
            XNextEvent(x.display, &event);
            if (event.xany.window == dialog.Id())
                open = dialog.Handle(event);
        }
        accepted = dialog.Accepted();
    }
    if (x.font)
        XFreeFont(x.display, x.font);
    XCloseDisplay(x.display);
    return accepted;
}

CVisChoiceDialog::CVisChoiceDialog(const VisX &x, Window owner, const Content &content) : m_x(x), m_content(content)
{
    if (m_content.chosen < 0 || m_content.chosen >= static_cast<int>(m_content.choices.size()))
        m_content.chosen = 0;
    m_width = 320;
    for (const std::string &line : m_content.lines)
        m_width = std::max(m_width, m_x.TextWidth(line.c_str(), static_cast<int>(line.size())) + 2 * kMargin);
    for (const std::string &choice : m_content.choices)
        m_width = std::max(m_width, m_x.TextWidth(choice.c_str(), static_cast<int>(choice.size())) + 4 * kMargin + 8);
    m_listLeft = 2 * kMargin;
    m_listWidth = m_width - 4 * kMargin;
    m_listTop = kMargin + static_cast<int>(m_content.lines.size()) * (m_x.LineHeight() + 3) + kMargin +
                m_x.LineHeight() + 6;
    const int listHeight = static_cast<int>(m_content.choices.size()) * RowHeight() + 4;
    m_buttonTop = m_listTop + listHeight + kMargin + kMargin;
    m_height = m_buttonTop + kButtonHeight + kMargin;
    m_cancelLeft = m_width - kMargin - kButtonWidth;
    m_okLeft = m_cancelLeft - 8 - kButtonWidth;
    const int left = std::max(0, (DisplayWidth(m_x.display, m_x.screen) - m_width) / 2);
    const int top = std::max(0, (DisplayHeight(m_x.display, m_x.screen) - m_height) / 2);
    m_window = m_x.CreateTopLevel(left, top, m_width, m_height, m_content.title.c_str(), owner);
    m_gc = XCreateGC(m_x.display, m_window, 0, nullptr);
    if (m_x.font)
        XSetFont(m_x.display, m_gc, m_x.font->fid);
    XMapRaised(m_x.display, m_window);
}

CVisChoiceDialog::~CVisChoiceDialog()
{
    XFreeGC(m_x.display, m_gc);
    XDestroyWindow(m_x.display, m_window);
    XFlush(m_x.display);
}

void CVisChoiceDialog::Draw()
{
    XClearWindow(m_x.display, m_window);
    XSetForeground(m_x.display, m_gc, 0);
    int y = kMargin + m_x.Ascent();
    for (const std::string &line : m_content.lines) {
        XDrawString(m_x.display, m_window, m_gc, kMargin, y, line.c_str(), static_cast<int>(line.size()));
        y += m_x.LineHeight() + 3;
    }
    // The group's frame, its caption over the top edge.
    const int frameTop = m_listTop - m_x.LineHeight() / 2 - 6;
    const int frameBottom = m_buttonTop - kMargin;
    XSetForeground(m_x.display, m_gc, 0xA0A0A0);
    XDrawRectangle(m_x.display, m_window, m_gc, kMargin, frameTop, static_cast<unsigned>(m_width - 2 * kMargin),
                   static_cast<unsigned>(frameBottom - frameTop));
    const int captionWidth = m_x.TextWidth(m_content.group.c_str(), static_cast<int>(m_content.group.size()));
    XSetForeground(m_x.display, m_gc, kVisButtonFace);
    XFillRectangle(m_x.display, m_window, m_gc, kMargin + 6, frameTop - m_x.LineHeight() / 2,
                   static_cast<unsigned>(captionWidth + 6), static_cast<unsigned>(m_x.LineHeight()));
    XSetForeground(m_x.display, m_gc, 0);
    XDrawString(m_x.display, m_window, m_gc, kMargin + 9, frameTop - m_x.LineHeight() / 2 + m_x.Ascent(),
                m_content.group.c_str(), static_cast<int>(m_content.group.size()));
    // The list.
    const int listHeight = static_cast<int>(m_content.choices.size()) * RowHeight() + 4;
    XSetForeground(m_x.display, m_gc, kListFace);
    XFillRectangle(m_x.display, m_window, m_gc, m_listLeft, m_listTop, static_cast<unsigned>(m_listWidth),
                   static_cast<unsigned>(listHeight));
    XSetForeground(m_x.display, m_gc, 0x696969);
    XDrawRectangle(m_x.display, m_window, m_gc, m_listLeft, m_listTop, static_cast<unsigned>(m_listWidth - 1),
                   static_cast<unsigned>(listHeight - 1));
    for (std::size_t i = 0; i < m_content.choices.size(); ++i) {
        const int rowTop = m_listTop + 2 + static_cast<int>(i) * RowHeight();
        const bool chosen = static_cast<int>(i) == m_content.chosen;
        if (chosen) {
            XSetForeground(m_x.display, m_gc, kChosenFace);
            XFillRectangle(m_x.display, m_window, m_gc, m_listLeft + 2, rowTop, static_cast<unsigned>(m_listWidth - 4),
                           static_cast<unsigned>(RowHeight()));
        }
        XSetForeground(m_x.display, m_gc, chosen ? 0xFFFFFF : 0);
        const std::string &text = m_content.choices[i];
        XDrawString(m_x.display, m_window, m_gc, m_listLeft + 6, rowTop + 2 + m_x.Ascent(), text.c_str(),
                    static_cast<int>(text.size()));
    }
    m_x.DrawButton(m_window, m_gc, m_okLeft, m_buttonTop, kButtonWidth, kButtonHeight, "OK");
    m_x.DrawButton(m_window, m_gc, m_cancelLeft, m_buttonTop, kButtonWidth, kButtonHeight, "Cancel");
}

bool CVisChoiceDialog::Handle(const XEvent &event)
{
    const int count = static_cast<int>(m_content.choices.size());
    switch (event.type) {
    case Expose:
        if (event.xexpose.count == 0)
            Draw();
        return true;
    case ButtonPress: {
        const int x = event.xbutton.x, y = event.xbutton.y;
        if (y >= m_buttonTop && y < m_buttonTop + kButtonHeight) {
            if (x >= m_okLeft && x < m_okLeft + kButtonWidth) {
                m_accepted = m_content.chosen;
                return false;
            }
            if (x >= m_cancelLeft && x < m_cancelLeft + kButtonWidth)
                return false;
        }
        if (x >= m_listLeft && x < m_listLeft + m_listWidth && y >= m_listTop + 2) {
            const int row = (y - m_listTop - 2) / RowHeight();
            if (row < count) {
                m_content.chosen = row;
                Draw();
            }
        }
        return true;
    }
    case KeyPress: {
        const KeySym key = XLookupKeysym(const_cast<XKeyEvent *>(&event.xkey), 0);
        if (key == XK_Return || key == XK_KP_Enter) {
            m_accepted = m_content.chosen;
            return false;
        }
        if (key == XK_Escape)
            return false;
        if ((key == XK_Up || key == XK_Left) && m_content.chosen > 0)
            --m_content.chosen;
        else if ((key == XK_Down || key == XK_Right) && m_content.chosen + 1 < count)
            ++m_content.chosen;
        else if (key == XK_Home)
            m_content.chosen = 0;
        else if (key == XK_End && count > 0)
            m_content.chosen = count - 1;
        Draw();
        return true;
    }
    case ClientMessage:
        return !m_x.IsDeleteRequest(event);
    default:
        return true;
    }
}
