#include "plugins/visuals/common/CVisColourChooser.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kWidth = 420;
constexpr int kHeight = 262;
constexpr int kCell = 20;
constexpr int kCellStep = 24;
constexpr int kGridLeft = 12;
constexpr int kBasicTop = 26;
constexpr int kCustomTop = 194;
constexpr int kFieldLeft = 222;
constexpr int kFieldTop = 26;
constexpr int kFieldWidth = 186;
constexpr int kFieldHeight = 120;
constexpr int kPreviewTop = 156;
constexpr int kButtonTop = 228;
constexpr int kButtonHeight = 24;

struct Box {
    int x, y, w, h;
    bool Contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};
constexpr Box kAddButton{kFieldLeft + 66, kPreviewTop + 8, 120, kButtonHeight};
constexpr Box kOkButton{kGridLeft, kButtonTop, 90, kButtonHeight};
constexpr Box kCancelButton{kGridLeft + 102, kButtonTop, 90, kButtonHeight};

Box BasicCell(int i) { return {kGridLeft + (i % 8) * kCellStep, kBasicTop + (i / 8) * kCellStep, kCell, kCell}; }
Box CustomCell(int i) { return {kGridLeft + (i % 8) * kCellStep, kCustomTop - 16 + (i / 8) * kCellStep, kCell, kCell}; }

std::uint32_t FromHsl(double hue, double saturation, double lightness)
{
    const double c = (1.0 - std::fabs(2.0 * lightness - 1.0)) * saturation;
    const double h = std::fmod(hue, 360.0) / 60.0;
    const double x = c * (1.0 - std::fabs(std::fmod(h, 2.0) - 1.0));
    double r = 0, g = 0, b = 0;
    if (h < 1) { r = c; g = x; }
    else if (h < 2) { r = x; g = c; }
    else if (h < 3) { g = c; b = x; }
    else if (h < 4) { g = x; b = c; }
    else if (h < 5) { r = x; b = c; }
    else { r = c; b = x; }
    const double m = lightness - c / 2.0;
    const auto byte = [m](double v) { return static_cast<std::uint32_t>(std::lround(std::clamp(v + m, 0.0, 1.0) * 255.0)); };
    return (byte(r) << 16) | (byte(g) << 8) | byte(b);
}

} // namespace

std::array<std::uint32_t, 48> CVisColourChooser::BasicColours()
{
    // Eight hues in five shades from light to dark, then a row of greys.
    std::array<std::uint32_t, 48> colours{};
    const double hues[8] = {0, 30, 60, 120, 180, 210, 270, 300};
    const double lightness[5] = {0.8, 0.65, 0.5, 0.35, 0.2};
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 8; ++col)
            colours[static_cast<std::size_t>(row * 8 + col)] = FromHsl(hues[col], 1.0, lightness[row]);
    for (int col = 0; col < 8; ++col) {
        const auto g = static_cast<std::uint32_t>(255 - col * 255 / 7);
        colours[static_cast<std::size_t>(40 + col)] = (g << 16) | (g << 8) | g;
    }
    return colours;
}

std::uint32_t CVisColourChooser::FieldColour(int column, int row, int width, int height)
{
    return FromHsl(360.0 * column / width, 1.0, 1.0 - static_cast<double>(row) / (height - 1));
}

CVisColourChooser::CVisColourChooser(const VisX &x, Window owner, const char *title, std::uint32_t initial,
                                     std::array<std::uint32_t, 16> &custom,
                                     std::function<void(std::uint32_t)> accepted)
    : m_x(x), m_custom(custom), m_accepted(std::move(accepted)), m_basic(BasicColours()), m_current(initial)
{
    const int left = std::max(0, (DisplayWidth(m_x.display, m_x.screen) - kWidth) / 2);
    const int top = std::max(0, (DisplayHeight(m_x.display, m_x.screen) - kHeight) / 2);
    m_window = m_x.CreateTopLevel(left, top, kWidth, kHeight, title, owner);
    m_gc = XCreateGC(m_x.display, m_window, 0, nullptr);
    if (m_x.font)
        XSetFont(m_x.display, m_gc, m_x.font->fid);
    auto *pixels = static_cast<char *>(std::malloc(static_cast<std::size_t>(kFieldWidth) * kFieldHeight * 4));
    if (pixels) {
        m_field = XCreateImage(m_x.display, DefaultVisual(m_x.display, m_x.screen),
                               static_cast<unsigned>(DefaultDepth(m_x.display, m_x.screen)), ZPixmap, 0, pixels,
                               kFieldWidth, kFieldHeight, 32, kFieldWidth * 4);
        if (!m_field)
            std::free(pixels);
        else
            for (int row = 0; row < kFieldHeight; ++row)
                for (int col = 0; col < kFieldWidth; ++col)
                    XPutPixel(m_field, col, row, FieldColour(col, row, kFieldWidth, kFieldHeight));
    }
    XMapRaised(m_x.display, m_window);
}

CVisColourChooser::~CVisColourChooser()
{
    if (m_field)
        XDestroyImage(m_field);
    XFreeGC(m_x.display, m_gc);
    XDestroyWindow(m_x.display, m_window);
    XFlush(m_x.display);
}

void CVisColourChooser::Draw()
{
    Display *d = m_x.display;
    XClearWindow(d, m_window);
    const auto label = [&](int x, int y, const char *text) {
        XSetForeground(d, m_gc, 0);
        XDrawString(d, m_window, m_gc, x, y, text, static_cast<int>(std::strlen(text)));
    };
    const auto swatch = [&](const Box &box, std::uint32_t colour) {
        const bool chosen = colour == m_current;
        XSetForeground(d, m_gc, chosen ? 0 : 0x808080);
        XDrawRectangle(d, m_window, m_gc, box.x - 1 - chosen, box.y - 1 - chosen,
                       static_cast<unsigned>(box.w + 1 + 2 * chosen), static_cast<unsigned>(box.h + 1 + 2 * chosen));
        XSetForeground(d, m_gc, colour);
        XFillRectangle(d, m_window, m_gc, box.x, box.y, static_cast<unsigned>(box.w), static_cast<unsigned>(box.h));
    };
    label(kGridLeft, kBasicTop - 8, "Basic colors:");
    for (int i = 0; i < 48; ++i)
        swatch(BasicCell(i), m_basic[static_cast<std::size_t>(i)]);
    label(kGridLeft, kCustomTop - 24, "Custom colors:");
    for (int i = 0; i < 16; ++i)
        swatch(CustomCell(i), m_custom[static_cast<std::size_t>(i)]);
    if (m_field)
        XPutImage(d, m_window, m_gc, m_field, 0, 0, kFieldLeft, kFieldTop, kFieldWidth, kFieldHeight);
    swatch({kFieldLeft, kPreviewTop, 56, 40}, m_current);
    label(kFieldLeft, kPreviewTop + 56, "Color|Solid");
    m_x.DrawButton(m_window, m_gc, kAddButton.x, kAddButton.y, kAddButton.w, kAddButton.h, "Add to Custom Colors");
    m_x.DrawButton(m_window, m_gc, kOkButton.x, kOkButton.y, kOkButton.w, kOkButton.h, "OK");
    m_x.DrawButton(m_window, m_gc, kCancelButton.x, kCancelButton.y, kCancelButton.w, kCancelButton.h, "Cancel");
}

bool CVisColourChooser::Click(int x, int y)
{
    for (int i = 0; i < 48; ++i)
        if (BasicCell(i).Contains(x, y))
            m_current = m_basic[static_cast<std::size_t>(i)];
    for (int i = 0; i < 16; ++i)
        if (CustomCell(i).Contains(x, y))
            m_current = m_custom[static_cast<std::size_t>(i)];
    if (Box{kFieldLeft, kFieldTop, kFieldWidth, kFieldHeight}.Contains(x, y))
        m_current = FieldColour(x - kFieldLeft, y - kFieldTop, kFieldWidth, kFieldHeight);
    if (kAddButton.Contains(x, y)) {
        m_custom[m_nextCustom] = m_current;
        m_nextCustom = (m_nextCustom + 1) % m_custom.size();
    }
    if (kOkButton.Contains(x, y)) {
        m_accepted(m_current);
        return false;
    }
    if (kCancelButton.Contains(x, y))
        return false;
    Draw();
    return true;
}

bool CVisColourChooser::Handle(const XEvent &event)
{
    switch (event.type) {
    case Expose:
        if (event.xexpose.count == 0)
            Draw();
        return true;
    case ButtonPress:
        return event.xbutton.button != Button1 || Click(event.xbutton.x, event.xbutton.y);
    case KeyPress: {
        const KeySym key = XLookupKeysym(const_cast<XKeyEvent *>(&event.xkey), 0);
        if (key == XK_Return || key == XK_KP_Enter) {
            m_accepted(m_current);
            return false;
        }
        return key != XK_Escape;
    }
    case ClientMessage:
        return !m_x.IsDeleteRequest(event);
    default:
        return true;
    }
}
