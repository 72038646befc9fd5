// The three plug-in libraries loaded the way the host loads them, under a private Xvfb: their windows,
// stored values, drawing, key forwarding, menu and close box. Events are pumped on the test's thread.
#include "platform/ipc/CRuntimeDir.h"
#include "tests/platform/ipc/IpcServerFixture.h"
#include "platform/registry/CRegistryKey.h"
#include "plugins/include/mv_visual.h"
#include "tests/support/TempDir.h"
#include "tests/support/XvfbServer.h"

#include <chrono>
#include <cstdlib>
#include <dlfcn.h>
#include <functional>
#include <gtest/gtest.h>
#include <poll.h>
#include <thread>
// After gtest: Xlib defines macros such as None and Bool.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

struct PluginCase {
    const char *file;
    const char *name;
    const char *windowClass;
    const char *key;
    bool resizable;
};

void PrintTo(const PluginCase &plugin, std::ostream *out) { *out << plugin.file; }

const PluginCase kPlugins[] = {
    {"freqbars.so", "Spectrum Analyser", "melvane_vis2", "Software\\Melvane\\Spectrum Analyser", true},
    {"oscilloscope.so", "Oscilloscope", "melvane_vis1", "Software\\Melvane\\Oscilloscope", true},
    {"levelmeter.so", "VU Meter", "melvane_vis3", "Software\\Melvane\\levelmeter", false},
};

class Library {
public:
    explicit Library(const std::string &file)
        : m_handle(dlopen((std::string(MELVANE_VISUALS_DIR) + "/" + file).c_str(), RTLD_NOW | RTLD_LOCAL))
    {
    }
    ~Library()
    {
        if (m_handle)
            dlclose(m_handle);
    }
    void *Handle() const { return m_handle; }
    template <class Fn> Fn Get(const char *name) const { return reinterpret_cast<Fn>(dlsym(m_handle, name)); }

private:
    void *m_handle;
};

// Buffers the way the host hands them over.
struct Buffers {
    std::uint32_t level = 0;
    std::int32_t rate = 44100;
    std::int16_t samples[2048] = {};
    float fft[1024] = {};
};

Window FindByClass(Display *display, Window parent, const char *windowClass)
{
    Window root, up, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count))
        return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        XClassHint hint{};
        if (XGetClassHint(display, children[i], &hint)) {
            if (std::string(hint.res_class) == windowClass)
                found = children[i];
            XFree(hint.res_name);
            XFree(hint.res_class);
        }
        if (!found)
            found = FindByClass(display, children[i], windowClass);
    }
    if (children)
        XFree(children);
    return found;
}

Window FindByName(Display *display, const char *title)
{
    Window root, up, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &up, &children, &count);
    for (unsigned i = 0; i < count && !found; ++i) {
        char *name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            if (std::string(name) == title)
                found = children[i];
            XFree(name);
        }
    }
    if (children)
        XFree(children);
    return found;
}

// The test looks at windows the plug-in may be destroying (a menu that closes, a dialog that ends), so
// errors on its own connection are expected and ignored; any other error (the plug-in's) still ends the
// process the way Xlib's default handler does, and the test fails.
Display *g_testDisplay = nullptr;
XErrorHandler g_previousHandler = nullptr;

int IgnoreOwnErrors(Display *display, XErrorEvent *error)
{
    if (display == g_testDisplay)
        return 0;
    return g_previousHandler ? g_previousHandler(display, error) : 0;
}

class VisualPluginTest : public ::testing::TestWithParam<PluginCase> {
protected:
    void SetUp() override
    {
        if (m_server.Name().empty())
            GTEST_SKIP() << "Xvfb could not be started";
        setenv("DISPLAY", m_server.Name().c_str(), 1);
        setenv("XDG_CONFIG_HOME", m_config.path().c_str(), 1);
        setenv("XDG_RUNTIME_DIR", m_runtime.path().c_str(), 1);
        ASSERT_TRUE(CRuntimeDir::FromEnvironment().Prepare());
        m_mainWindow = CRuntimeDir::FromEnvironment().Path();
        m_display = XOpenDisplay(nullptr);
        ASSERT_NE(m_display, nullptr);
        g_testDisplay = m_display;
        g_previousHandler = XSetErrorHandler(IgnoreOwnErrors);
    }
    void TearDown() override
    {
        if (m_display) {
            XSetErrorHandler(g_previousHandler);
            g_testDisplay = nullptr;
            XCloseDisplay(m_display);
        }
    }

    void Store(const char *key, std::initializer_list<std::pair<const char *, std::uint32_t>> values)
    {
        CRegistry registry(CRegistry::DefaultFolder());
        CRegistryKey k;
        ASSERT_TRUE(k.Create(registry, RegistryRoot::CurrentUser, key));
        for (const auto &[name, value] : values)
            k.SetDword(name, value);
        ASSERT_TRUE(k.Close());
    }
    std::optional<std::uint32_t> Stored(const char *key, const char *name)
    {
        CRegistry registry(CRegistry::DefaultFolder());
        CRegistryKey k;
        if (!k.Open(registry, RegistryRoot::CurrentUser, key))
            return std::nullopt;
        return k.QueryDword(name);
    }

    const VisWindow *Start(const Library &library)
    {
        m_info = VisInfo{m_mainWindow.c_str(), library.Handle(), 4096, 1024, &m_buffers.level, &m_buffers.rate,
                         m_buffers.samples, m_buffers.fft, 0};
        return library.Get<MvVisInitFn>("Init")(&m_info);
    }
    // Runs the window's events until `done` holds or five seconds pass; true when it held.
    bool Pump(const VisWindow *window, const std::function<bool()> &done, int *dispatchResult = nullptr)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < deadline) {
            XSync(m_display, False);
            const int result = window->Dispatch();
            if (dispatchResult)
                *dispatchResult = result;
            if (done())
                return true;
            pollfd wait{window->nEventFd, POLLIN, 0};
            poll(&wait, 1, 10);
        }
        return false;
    }
    std::uint32_t PixelAt(Window window, int x, int y)
    {
        XImage *image = XGetImage(m_display, window, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return 0xFFFFFFFF;
        const auto pixel = static_cast<std::uint32_t>(XGetPixel(image, 0, 0) & 0xFFFFFF);
        XDestroyImage(image);
        return pixel;
    }
    void Click(int rootX, int rootY, unsigned button)
    {
        XTestFakeMotionEvent(m_display, -1, rootX, rootY, 0);
        XTestFakeButtonEvent(m_display, button, True, 0);
        XTestFakeButtonEvent(m_display, button, False, 0);
        XSync(m_display, False);
    }

    XvfbServer m_server{"800x600x24"};
    TempDir m_config, m_runtime;
    std::string m_mainWindow;
    Display *m_display = nullptr;
    Buffers m_buffers;
    VisInfo m_info{};
};

TEST_P(VisualPluginTest, OpensWhereItWasWithinItsLimitsAndSavesAtQuit)
{
    const PluginCase &plugin = GetParam();
    Store(plugin.key, {{"xpos", 30}, {"ypos", 20}, {"width", 2000}, {"height", 200}});
    Library library(plugin.file);
    ASSERT_NE(library.Handle(), nullptr) << dlerror();
    EXPECT_STREQ(library.Get<MvQueryVisualFn>("QueryVisual")(), plugin.name);
    const VisWindow *window = Start(library);
    ASSERT_NE(window, nullptr);
    // Init once per library at a time.
    EXPECT_EQ(Start(library), nullptr);

    Window id = 0;
    ASSERT_TRUE(Pump(window, [&] { return (id = FindByClass(m_display, DefaultRootWindow(m_display), plugin.windowClass)) != 0; }));
    XWindowAttributes attributes;
    ASSERT_TRUE(XGetWindowAttributes(m_display, id, &attributes));
    EXPECT_EQ(attributes.width, plugin.resizable ? 320 : 288);
    EXPECT_EQ(attributes.height, plugin.resizable ? 200 : 80);
    EXPECT_EQ(attributes.x, 30);
    EXPECT_EQ(attributes.y, 20);
    XSizeHints hints{};
    long supplied = 0;
    ASSERT_TRUE(XGetWMNormalHints(m_display, id, &hints, &supplied));
    EXPECT_EQ(hints.max_width, plugin.resizable ? 1024 : 288);
    EXPECT_EQ(hints.min_height, plugin.resizable ? 180 : 80);
    EXPECT_EQ(library.Get<MvVisRenderFn>("Render")(), 20);

    library.Get<MvVisQuitFn>("Quit")();
    EXPECT_EQ(Stored(plugin.key, "xpos"), 30u);
    EXPECT_EQ(Stored(plugin.key, "ypos"), 20u);
    EXPECT_EQ(Stored(plugin.key, "width"), plugin.resizable ? std::optional<std::uint32_t>(320) : 2000u);
    XSync(m_display, False);
    EXPECT_EQ(FindByClass(m_display, DefaultRootWindow(m_display), plugin.windowClass), 0u);
}

TEST_P(VisualPluginTest, DrawsTheBuffersIntoItsWindow)
{
    const PluginCase &plugin = GetParam();
    Library library(plugin.file);
    for (float &v : m_buffers.fft)
        v = 1.0f;
    m_buffers.level = 128u | (128u << 16);
    const VisWindow *window = Start(library);
    ASSERT_NE(window, nullptr);
    Window id = 0;
    ASSERT_TRUE(Pump(window, [&] { return (id = FindByClass(m_display, DefaultRootWindow(m_display), plugin.windowClass)) != 0; }));
    XWindowAttributes attributes{};
    ASSERT_TRUE(Pump(window, [&] { return XGetWindowAttributes(m_display, id, &attributes) && attributes.map_state == IsViewable; }));
    for (int i = 0; i < 3; ++i)
        library.Get<MvVisRenderFn>("Render")();
    XSync(m_display, False);
    if (std::string(plugin.file) == "freqbars.so") {
        // Bars 2048, 3072, 3584 after three frames: 104 of the 119 rows above the centre, the top one
        // palette index 221 between yellow and red.
        EXPECT_EQ(PixelAt(id, 1, 15), 0xFF2200u);
        EXPECT_EQ(PixelAt(id, 1, 14), 0u);
        EXPECT_EQ(PixelAt(id, 0, 15), 0u);
    } else if (std::string(plugin.file) == "oscilloscope.so") {
        EXPECT_EQ(PixelAt(id, 10, 60), 0x00FF00u);
        EXPECT_EQ(PixelAt(id, 10, 180), 0x00FF00u);
        EXPECT_EQ(PixelAt(id, 10, 100), 0u);
    } else {
        EXPECT_EQ(PixelAt(id, 0, 0), 0u);   // bezel
        EXPECT_NE(PixelAt(id, 20, 12), 0u); // face
    }
    library.Get<MvVisQuitFn>("Quit")();
}

TEST_P(VisualPluginTest, KeysReachThePlayerAndTheCloseBoxEndsIt)
{
    const PluginCase &plugin = GetParam();
    IpcServerFixture player(m_mainWindow);
    ASSERT_TRUE(player.Listening());
    player.Run();
    Library library(plugin.file);
    const VisWindow *window = Start(library);
    ASSERT_NE(window, nullptr);
    Window id = 0;
    XWindowAttributes attributes{};
    ASSERT_TRUE(Pump(window, [&] {
        id = FindByClass(m_display, DefaultRootWindow(m_display), plugin.windowClass);
        return id && XGetWindowAttributes(m_display, id, &attributes) && attributes.map_state == IsViewable;
    }));
    XSetInputFocus(m_display, id, RevertToParent, CurrentTime);
    const struct {
        KeySym key;
        KeySym modifier;
    } presses[] = {{XK_F5, 0}, {XK_F5, XK_Alt_L}, {XK_h, XK_Control_L}, {XK_Right, XK_Shift_L}};
    for (const auto &press : presses) {
        const KeyCode modifier = press.modifier ? XKeysymToKeycode(m_display, press.modifier) : 0;
        if (modifier)
            XTestFakeKeyEvent(m_display, modifier, True, 0);
        XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, press.key), True, 0);
        XTestFakeKeyEvent(m_display, XKeysymToKeycode(m_display, press.key), False, 0);
        if (modifier)
            XTestFakeKeyEvent(m_display, modifier, False, 0);
        XSync(m_display, False);
    }
    ASSERT_TRUE(Pump(window, [&] { return player.Records().size() >= 3; }));
    const std::vector<CIpcRecord> got = player.Records();
    ASSERT_EQ(got.size(), 3u); // the Alt press stays with the window
    const struct {
        std::uint64_t code;
        std::int64_t modifiers;
    } expected[] = {{0x74, 0}, {'H', 2}, {0x27, 1}};
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].message, 0x0100u);
        EXPECT_EQ(got[i].wParam, expected[i].code);
        EXPECT_EQ(got[i].lParam, expected[i].modifiers);
    }

    XEvent close{};
    close.xclient.type = ClientMessage;
    close.xclient.window = id;
    close.xclient.message_type = XInternAtom(m_display, "WM_PROTOCOLS", False);
    close.xclient.format = 32;
    close.xclient.data.l[0] = static_cast<long>(XInternAtom(m_display, "WM_DELETE_WINDOW", False));
    XSendEvent(m_display, id, False, NoEventMask, &close);
    int result = 1;
    EXPECT_TRUE(Pump(window, [&] { return result == 0; }, &result));
    library.Get<MvVisQuitFn>("Quit")();
}

TEST_P(VisualPluginTest, RenderThreadCanAskTheWindowToClose)
{
    Library library(GetParam().file);
    const VisWindow *window = Start(library);
    ASSERT_NE(window, nullptr);
    std::thread([&] {
        library.Get<MvVisRenderFn>("Render")();
        window->PostClose();
    }).join();
    int result = 1;
    EXPECT_TRUE(Pump(window, [&] { return result == 0; }, &result));
    library.Get<MvVisQuitFn>("Quit")();
}

TEST_P(VisualPluginTest, WithoutADisplayInitFailsQuietly)
{
    unsetenv("DISPLAY");
    Library library(GetParam().file);
    EXPECT_EQ(Start(library), nullptr);
    EXPECT_LT(library.Get<MvVisRenderFn>("Render")(), 0);
    library.Get<MvVisQuitFn>("Quit")();
    EXPECT_FALSE(Stored(GetParam().key, "xpos").has_value());
}

INSTANTIATE_TEST_SUITE_P(Plugins, VisualPluginTest, ::testing::ValuesIn(kPlugins),
                         [](const auto &info) { return std::string(info.param.windowClass); });

TEST_F(VisualPluginTest, MenuOpensAboutAndChoosesAColour)
{
    const char *key = "Software\\Melvane\\Oscilloscope";
    Store(key, {{"xpos", 100}, {"ypos", 100}});
    Library library("oscilloscope.so");
    const VisWindow *window = Start(library);
    ASSERT_NE(window, nullptr);
    Window id = 0;
    XWindowAttributes attributes{};
    ASSERT_TRUE(Pump(window, [&] {
        id = FindByClass(m_display, DefaultRootWindow(m_display), "melvane_vis1");
        return id && XGetWindowAttributes(m_display, id, &attributes) && attributes.map_state == IsViewable;
    }));
    // Right-click, then the first item.
    Click(150, 150, Button3);
    ASSERT_TRUE(Pump(window, [] { return true; }));
    Click(160, 162, Button1);
    Window about = 0;
    ASSERT_TRUE(Pump(window, [&] { return (about = FindByName(m_display, "About Oscilloscope")) != 0; }));

    // Right-click, "Select Color...", the first basic colour, OK.
    Click(150, 150, Button3);
    ASSERT_TRUE(Pump(window, [] { return true; }));
    Click(160, 182, Button1);
    Window chooser = 0;
    ASSERT_TRUE(Pump(window, [&] { return (chooser = FindByName(m_display, "Color")) != 0; }));
    ASSERT_TRUE(Pump(window, [&] { return XGetWindowAttributes(m_display, chooser, &attributes) && attributes.map_state == IsViewable; }));
    int left = 0, top = 0;
    Window child;
    XTranslateCoordinates(m_display, chooser, DefaultRootWindow(m_display), 0, 0, &left, &top, &child);
    Click(left + 20, top + 34, Button1);  // basic colour 0
    Click(left + 50, top + 238, Button1); // OK
    ASSERT_TRUE(Pump(window, [&] { return FindByName(m_display, "Color") == 0; }));
    library.Get<MvVisQuitFn>("Quit")();
    // Basic colour 0 is a light red: 255, 153, 153 as a Windows colour value.
    EXPECT_EQ(Stored(key, "colour"), 0x9999FFu);
}

} // namespace
