#include "platform/io/CDynamicLibrary.h"
#include "tests/platform/ipc/IpcServerFixture.h"
#include "plugins/include/mv_hook.h"
#include "tests/support/XvfbServer.h"

#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>
// After gtest: Xlib defines macros such as None and Bool.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <unistd.h>

namespace {

// A mapped top-level window that names `pid` as its owner, as toolkits do with _NET_WM_PID.
Window MakeWindowOf(::Display *display, unsigned long pid)
{
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 50, 50, 0, 0, 0);
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<unsigned char *>(&pid), 1);
    XSelectInput(display, window, KeyPressMask);
    XMapWindow(display, window);
    XSync(display, False);
    return window;
}

void Press(::Display *display, Window focus, KeySym key)
{
    XSetInputFocus(display, focus, RevertToParent, CurrentTime);
    XSync(display, False);
    const KeyCode code = XKeysymToKeycode(display, key);
    XTestFakeKeyEvent(display, code, True, 0);
    XTestFakeKeyEvent(display, code, False, 0);
    XSync(display, False);
}

// Whether `window` received a press of `key` within a few seconds.
bool Received(::Display *display, Window window, KeySym key)
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        XEvent event;
        while (XCheckWindowEvent(display, window, KeyPressMask, &event)) {
            if (event.xkey.keycode == XKeysymToKeycode(display, key))
                return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(MvHookTest, FunctionKeysInOtherProgramsReachThePlayerAndStillReachTheProgram)
{
    XvfbServer server;
    if (server.Name().empty())
        GTEST_SKIP() << "Xvfb could not be started";
    TempDir temp;
    setenv("XDG_RUNTIME_DIR", temp.path().c_str(), 1);
    setenv("DISPLAY", server.Name().c_str(), 1);
    ASSERT_TRUE(CRuntimeDir::FromEnvironment().Prepare());
    IpcServerFixture player(CRuntimeDir::FromEnvironment().Path());
    ASSERT_TRUE(player.Listening());
    player.Run();

    CDynamicLibrary hook(MV_HOOK_PATH);
    MvInstallHookFn install = nullptr;
    MvRemoveHookFn remove = nullptr;
    ASSERT_TRUE(hook.Resolve("InstallHook", install) && hook.Resolve("RemoveHook", remove)) << hook.Error();
    ::Display *display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const Window otherProgram = MakeWindowOf(display, static_cast<unsigned long>(getppid()));
    const Window playerWindow = MakeWindowOf(display, static_cast<unsigned long>(getpid()));

    ASSERT_NE(install(), 0);
    // F5 and F2 in another program reach the player, in order, and the program still gets its keys.
    Press(display, otherProgram, XK_F5);
    Press(display, otherProgram, XK_F2);
    const std::vector<CIpcRecord> got = player.WaitForRecords(2);
    EXPECT_TRUE(Received(display, otherProgram, XK_F5));
    EXPECT_TRUE(Received(display, otherProgram, XK_F2));
    ASSERT_EQ(got.size(), 2u);
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].message, 0x86A2u);
        EXPECT_EQ(got[i].lParam, 0);
    }
    EXPECT_EQ(got[0].wParam, 0x74u);
    EXPECT_EQ(got[1].wParam, 0x71u);

    // In the player's own window its shortcuts handle F12 and the hook stays out (the hook handles
    // every press recorded before it is removed).
    Press(display, playerWindow, XK_F12);
    EXPECT_NE(remove(), 0);
    EXPECT_EQ(remove(), 0);
    Press(display, otherProgram, XK_F3); // not watched any more
    EXPECT_TRUE(Received(display, otherProgram, XK_F3));
    XCloseDisplay(display);

    // Without an X server there is nothing to watch; the player then switches the hook off.
    unsetenv("DISPLAY");
    EXPECT_EQ(install(), 0);
    player.Stop();
    EXPECT_EQ(player.Records().size(), 2u);
}

} // namespace
