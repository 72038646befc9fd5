// The encoder plug-ins' configuration dialogs on a private X server, used with the keyboard: each opens
// on the stored choice (or its default), Down and Return store the next one in the player's settings,
// Escape stores nothing. The host's Configure reaches them by the plug-in's export.
#include "cd/CEncoderHost.h"
#include "platform/registry/CRegistry.h"
#include "platform/registry/CRegistryKey.h"

#include "tests/support/TempDir.h"
#include "tests/support/XvfbServer.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <chrono>
#include <optional>
#include <cstdlib>
#include <thread>

namespace {

// The dialog's window once one is mapped on `x`, or 0.
Window MappedWindow(Display *x)
{
    Window shown = 0, root, parent, *children = nullptr;
    unsigned count = 0;
    XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count);
    for (unsigned c = 0; c < count; ++c) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(x, children[c], &attributes) && attributes.map_state == IsViewable)
            shown = children[c];
    }
    if (children)
        XFree(children);
    return shown;
}

void SendKey(Display *x, Window window, KeySym key)
{
    XEvent event{};
    event.xkey.type = KeyPress;
    event.xkey.display = x;
    event.xkey.window = window;
    event.xkey.root = DefaultRootWindow(x);
    event.xkey.keycode = XKeysymToKeycode(x, key);
    event.xkey.same_screen = True;
    XSendEvent(x, window, True, KeyPressMask, &event);
    event.xkey.type = KeyRelease;
    XSendEvent(x, window, True, KeyReleaseMask, &event);
    XSync(x, False);
}

// Sends `keys` straight to the dialog's window once it is mapped (sent events need no input focus,
// which a server without a window manager hands out late). Should the dialog still be open a while
// later, Escape follows, so a lost key fails the test instead of hanging it.
void PressWhenShown(const std::string &display, std::vector<KeySym> keys)
{
    // The dialog's window may go between listing it and asking about it: that is no error here.
    XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
    Display *x = XOpenDisplay(display.c_str());
    ASSERT_NE(x, nullptr);
    Window shown = 0;
    for (int i = 0; i < 400 && !(shown = MappedWindow(x)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    ASSERT_NE(shown, 0u) << "the dialog opens";
    for (KeySym key : keys)
        SendKey(x, shown, key);
    for (int i = 0; i < 100 && MappedWindow(x) == shown; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (MappedWindow(x) == shown) {
        ADD_FAILURE() << "the dialog stayed open";
        SendKey(x, shown, XK_Escape);
    }
    XCloseDisplay(x);
}

std::optional<std::uint32_t> Stored(const TempDir &dir, const char *name)
{
    const CRegistry registry(dir.file("config/melvane"));
    CRegistryKey key;
    if (!key.Open(registry, RegistryRoot::CurrentUser, "Software\\Melvane"))
        return std::nullopt;
    return key.QueryDword(name);
}

} // namespace

TEST(EncoderConfigureTest, DownAndReturnStoreTheNextChoice)
{
    XvfbServer server("800x600x24");
    ASSERT_FALSE(server.Name().empty());
    TempDir dir;
    setenv("DISPLAY", server.Name().c_str(), 1);
    setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
    CEncoderHost host;
    host.Discover(MELVANE_ENCODERS);
    struct Row {
        const char *file, *setting;
        std::uint32_t stored; // what Down and Return store from the default
    } rows[] = {{"asfout.so", "encoder_wma", 6}, {"flacout.so", "encoder_flac", 6}, {"oggout.so", "encoder_ogg", 6}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.file);
        const int index = host.Find(row.file);
        ASSERT_GE(index, 0);
        std::thread escape(PressWhenShown, server.Name(), std::vector<KeySym>{XK_Down, XK_Escape});
        EXPECT_TRUE(host.Configure(index, 0));
        escape.join();
        EXPECT_FALSE(Stored(dir, row.setting).has_value()) << "Escape stores nothing";
        std::thread accept(PressWhenShown, server.Name(), std::vector<KeySym>{XK_Down, XK_Return});
        EXPECT_TRUE(host.Configure(index, 0));
        accept.join();
        EXPECT_EQ(Stored(dir, row.setting), row.stored);
        // Opened again on the stored choice: Down moves on from there.
        std::thread again(PressWhenShown, server.Name(), std::vector<KeySym>{XK_Down, XK_Return});
        host.Configure(index, 0);
        again.join();
        EXPECT_EQ(Stored(dir, row.setting), row.stored + 1);
    }
    unsetenv("DISPLAY");
    unsetenv("XDG_CONFIG_HOME");
}
