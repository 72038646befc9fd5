// With background monitoring of function keys on, F5 pressed in another program's window starts the
// real program playing, and that program still gets its key; run from the build tree, the hook is
// found and the setting stays on.
#include "platform/registry/CRegistryHive.h"
#include "tests/support/ProgramSandbox.h"

#include <QThread>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
// After gtest: Xlib defines macros such as None and Bool.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

TEST(FunctionKeysEndToEnd, F5InAnotherProgramPlaysAndReachesThatProgram)
{
    ProgramSandbox box(ProgramSandbox::Display::X11);
    ASSERT_TRUE(box.Ready());
    const std::string tone = box.Dir().file("tone.wav");
    ASSERT_EQ(RunCommand("sox -n -r 44100 -c 2 " + tone + " synth 20 sine 440 2>/dev/null"), 0);
    std::filesystem::create_directories(box.ConfigFolder());
    std::ofstream(box.ConfigFolder() + "/HKEY_CURRENT_USER.hive")
        << "[Software]\n\n[Software\\Melvane]\nkeyhook=dword:00000001\n";
    ASSERT_TRUE(box.Start({"-add", QString::fromStdString(tone)}));
    ASSERT_TRUE(box.WaitUntilRunning());
    ASSERT_EQ(box.Ctl({"status"}), "Stopped");

    ::Display *display = XOpenDisplay(box.DisplayName().toLocal8Bit().constData());
    ASSERT_NE(display, nullptr);
    const Window editor = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 80, 80, 0, 0, 0);
    XSelectInput(display, editor, KeyPressMask);
    XMapWindow(display, editor);
    XSync(display, False);
    XSetInputFocus(display, editor, RevertToParent, CurrentTime);
    const KeyCode f5 = XKeysymToKeycode(display, XK_F5);
    XTestFakeKeyEvent(display, f5, True, 0);
    XTestFakeKeyEvent(display, f5, False, 0);
    XSync(display, False);

    EXPECT_TRUE(box.WaitFor({"status"}, "Playing"));
    bool editorGotF5 = false;
    for (int attempt = 0; attempt < 100 && !editorGotF5; ++attempt) {
        XEvent event;
        while (XCheckWindowEvent(display, editor, KeyPressMask, &event))
            editorGotF5 |= event.xkey.keycode == f5;
        QThread::msleep(20);
    }
    EXPECT_TRUE(editorGotF5) << "the focused program keeps its key";
    XCloseDisplay(display);

    ASSERT_TRUE(box.Quit(ProgramSandbox::QuitBy::Sigterm));
    const auto keyhook = box.Setting("keyhook");
    ASSERT_TRUE(keyhook.has_value());
    EXPECT_EQ(keyhook->dword, 1u);
}

} // namespace
