#include "platform/ipc/IpcServerFixture.h"
#include "plugins/include/mv_hook.h"
#include "support/XvfbServer.h"

#include <cstdlib>
#include <dlfcn.h>
#include <gtest/gtest.h>
// After gtest: Xlib defines macros such as None and Bool.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class Library {
public:
    Library() : m_handle(dlopen(MV_HOOK_PATH, RTLD_NOW | RTLD_LOCAL)) {}
    ~Library()
    {
        if (m_handle)
            dlclose(m_handle);
    }
    MvInstallHookFn install() const { return reinterpret_cast<MvInstallHookFn>(dlsym(m_handle, "InstallHook")); }
    MvRemoveHookFn remove() const { return reinterpret_cast<MvRemoveHookFn>(dlsym(m_handle, "RemoveHook")); }

private:
    void *m_handle;
};

int g_xErrors = 0;
int CountXError(::Display *, XErrorEvent *)
{
    ++g_xErrors;
    return 0;
}

// Whether this test's own connection may grab F5 (it may not while the hook holds it).
bool CanGrabF5(::Display *display)
{
    const KeyCode f5 = XKeysymToKeycode(display, XK_F5);
    g_xErrors = 0;
    auto *previous = XSetErrorHandler(CountXError);
    XGrabKey(display, f5, 0, DefaultRootWindow(display), False, GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    XUngrabKey(display, f5, 0, DefaultRootWindow(display));
    XSync(display, False);
    XSetErrorHandler(previous);
    return g_xErrors == 0;
}

TEST(MvHookTest, FunctionKeysArriveAsPlayerKeyMessages)
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

    Library hook;
    ASSERT_NE(hook.install(), nullptr);
    ASSERT_NE(hook.remove(), nullptr);
    ::Display *display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    ASSERT_TRUE(CanGrabF5(display));

    ASSERT_NE(hook.install()(), 0);
    EXPECT_FALSE(CanGrabF5(display));
    // F5 plain, then F12 with NumLock and CapsLock on (their modifier variants are grabbed too).
    const struct {
        KeySym key;
        bool locks;
        std::uint64_t code;
    } presses[] = {{XK_F5, false, 0x74}, {XK_F12, true, 0x7B}, {XK_F2, false, 0x71}};
    for (const auto &press : presses) {
        if (press.locks)
            XkbLockModifiers(display, XkbUseCoreKbd, LockMask | Mod2Mask, LockMask | Mod2Mask);
        const KeyCode code = XKeysymToKeycode(display, press.key);
        XTestFakeKeyEvent(display, code, True, 0);
        XTestFakeKeyEvent(display, code, False, 0);
        if (press.locks)
            XkbLockModifiers(display, XkbUseCoreKbd, LockMask | Mod2Mask, 0);
        XSync(display, False);
    }
    const std::vector<CIpcRecord> got = player.WaitForRecords(std::size(presses));
    ASSERT_EQ(got.size(), std::size(presses));
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].message, 0x86A2u);
        EXPECT_EQ(got[i].wParam, presses[i].code);
        EXPECT_EQ(got[i].lParam, 0);
    }

    EXPECT_NE(hook.remove()(), 0);
    EXPECT_TRUE(CanGrabF5(display)); // released
    EXPECT_EQ(hook.remove()(), 0);
    XCloseDisplay(display);

    // Without an X server there is nothing to hook; the player then switches the hook off.
    unsetenv("DISPLAY");
    EXPECT_EQ(hook.install()(), 0);
}

} // namespace
