// The real program with a visual plug-in beside it, as a user meets it: a plug-in chosen from the
// Visuals menu opens its window; the oscilloscope that ran at the last exit opens again at the start,
// draws the tone being played, hands a key pressed in its window to the player, and is stored again at
// the exit for the next start. And the counter mode chosen from the View menu is stored.
#include "platform/registry/CRegistryHive.h"
#include "tests/support/ProgramSandbox.h"

#include <QThread>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <gtest/gtest.h>
// After gtest: Xlib defines macros such as None and Bool.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

bool WaitUntil(const std::function<bool()> &done, int timeoutMs = 10000)
{
    for (int waited = 0; !done(); waited += 50) {
        if (waited > timeoutMs)
            return false;
        QThread::msleep(50);
    }
    return true;
}

// The mapped top-level window named `name`, or 0.
Window FindWindow(::Display *display, const char *name)
{
    Window found = 0, root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        XWindowAttributes attributes{};
        char *title = nullptr;
        if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
            XFetchName(display, children[i], &title) && title) {
            if (std::string(title) == name)
                found = children[i];
            XFree(title);
        }
    }
    if (children)
        XFree(children);
    return found;
}

// How many top-level windows are mapped: an open menu adds its own.
int MappedWindows(::Display *display)
{
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    int mapped = 0;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable)
            ++mapped;
    }
    if (children)
        XFree(children);
    return mapped;
}

// Pixels of the window that are not black: the trace and its shading.
int LitPixels(::Display *display, Window window)
{
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes))
        return 0;
    XImage *image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image)
        return 0;
    int count = 0;
    for (int y = 0; y < attributes.height; ++y)
        for (int x = 0; x < attributes.width; ++x)
            count += (XGetPixel(image, x, y) & 0xFFFFFF) != 0 ? 1 : 0;
    XDestroyImage(image);
    return count;
}

void Press(::Display *display, KeySym symbol, KeySym modifier = 0)
{
    const KeyCode held = modifier ? XKeysymToKeycode(display, modifier) : 0;
    const KeyCode key = XKeysymToKeycode(display, symbol);
    if (held)
        XTestFakeKeyEvent(display, held, True, 0);
    XTestFakeKeyEvent(display, key, True, 0);
    XTestFakeKeyEvent(display, key, False, 0);
    if (held)
        XTestFakeKeyEvent(display, held, False, 0);
    XSync(display, False);
    QThread::msleep(300);
}

// Without a window manager a key sent right after a focus change is now and then lost: the key is
// sent again until what it does is seen.
bool PressUntil(::Display *display, Window window, KeySym symbol, KeySym modifier, const std::function<bool()> &seen)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
        XSync(display, False);
        Press(display, symbol, modifier);
        if (WaitUntil(seen, 3000))
            return true;
    }
    return false;
}

TEST(VisualsEndToEnd, TheOscilloscopeFromTheLastExitDrawsTheToneAndStartsAgain)
{
    ProgramSandbox box(ProgramSandbox::Display::X11);
    ASSERT_TRUE(box.Ready());
    const std::string tone = box.Dir().file("tone.wav");
    ASSERT_EQ(RunCommand("sox -n -r 44100 -c 2 " + tone + " synth 30 sine 220 2>/dev/null"), 0);
    std::filesystem::create_directories(box.ConfigFolder());
    std::ofstream(box.ConfigFolder() + "/HKEY_CURRENT_USER.hive")
        << "[Software]\n\n[Software\\Melvane]\nvisualcount=dword:00000001\nvis0=sz:oscilloscope.so\n";
    ASSERT_TRUE(box.Start({"-add", QString::fromStdString(tone)}));
    ASSERT_TRUE(box.WaitUntilRunning());

    ::Display *display = XOpenDisplay(box.DisplayName().toLocal8Bit().constData());
    ASSERT_NE(display, nullptr);
    Window scope = 0;
    ASSERT_TRUE(WaitUntil([&] { return (scope = FindWindow(display, "Oscilloscope")) != 0; }))
        << "restarted from the setting";
    const int silent = LitPixels(display, scope);

    box.Ctl({"play"});
    ASSERT_TRUE(box.WaitFor({"status"}, "Playing"));
    int playing = 0;
    EXPECT_TRUE(WaitUntil([&] { return (playing = LitPixels(display, scope)) > silent + 200; }))
        << "the trace spreads over the window once the tone plays: " << silent << " -> " << playing;

    // F7 in the plug-in's window is the player's Stop.
    EXPECT_TRUE(PressUntil(display, scope, XK_F7, 0, [&] { return box.Ctl({"status"}).trimmed() == "Stopped"; }));

    ASSERT_TRUE(box.Quit(ProgramSandbox::QuitBy::Sigterm));
    EXPECT_TRUE(WaitUntil([&] { return FindWindow(display, "Oscilloscope") == 0; })) << "ended with the player";
    const auto count = box.Setting("visualcount");
    const auto name = box.Setting("vis0");
    ASSERT_TRUE(count.has_value() && name.has_value());
    EXPECT_EQ(count->dword, 1u);
    EXPECT_EQ(name->text, "oscilloscope.so");

    ASSERT_TRUE(box.Start({}));
    ASSERT_TRUE(box.WaitUntilRunning());
    EXPECT_TRUE(WaitUntil([&] { return FindWindow(display, "Oscilloscope") != 0; })) << "and again at the next start";
    ASSERT_TRUE(box.Quit(ProgramSandbox::QuitBy::Sigterm));
    XCloseDisplay(display);
}

TEST(VisualsEndToEnd, APluginChosenFromTheVisualsMenuOpensAndIsStored)
{
    ProgramSandbox box(ProgramSandbox::Display::X11);
    ASSERT_TRUE(box.Ready());
    ASSERT_TRUE(box.Start({}));
    ASSERT_TRUE(box.WaitUntilRunning());
    ::Display *display = XOpenDisplay(box.DisplayName().toLocal8Bit().constData());
    ASSERT_NE(display, nullptr);
    Window main = 0;
    ASSERT_TRUE(WaitUntil([&] { return (main = FindWindow(display, "Melvane")) != 0; }));

    // Alt+I opens Visuals; its first item is the first plug-in of the folder.
    const int closed = MappedWindows(display);
    ASSERT_TRUE(PressUntil(display, main, XK_i, XK_Alt_L, [&] { return MappedWindows(display) > closed; }))
        << "the Visuals menu opens";
    Press(display, XK_Return);
    const std::map<std::string, std::string> files = {
        {"Spectrum Analyser", "freqbars.so"}, {"Oscilloscope", "oscilloscope.so"}, {"VU Meter", "levelmeter.so"}};
    std::string opened;
    EXPECT_TRUE(WaitUntil([&] {
        for (const auto &[name, file] : files)
            if (FindWindow(display, name.c_str()))
                opened = name;
        return !opened.empty();
    })) << "a plug-in window opens";

    ASSERT_TRUE(box.Quit(ProgramSandbox::QuitBy::Sigterm));
    XCloseDisplay(display);
    const auto count = box.Setting("visualcount");
    const auto name = box.Setting("vis0");
    ASSERT_TRUE(count.has_value());
    EXPECT_EQ(count->dword, 1u);
    ASSERT_FALSE(opened.empty());
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ(name->text, files.at(opened));
}

// The counter's mode chosen from the View menu with the keyboard is stored at exit.
TEST(ViewMenuEndToEnd, TrackRemainingChosenFromTheMenuIsStored)
{
    ProgramSandbox box(ProgramSandbox::Display::X11);
    ASSERT_TRUE(box.Ready());
    ASSERT_TRUE(box.Start({}));
    ASSERT_TRUE(box.WaitUntilRunning());
    ::Display *display = XOpenDisplay(box.DisplayName().toLocal8Bit().constData());
    ASSERT_NE(display, nullptr);
    Window main = 0;
    ASSERT_TRUE(WaitUntil([&] { return (main = FindWindow(display, "Melvane")) != 0; }));
    const int closed = MappedWindows(display);
    ASSERT_TRUE(PressUntil(display, main, XK_v, XK_Alt_L, [&] { return MappedWindows(display) > closed; }))
        << "the View menu opens";
    Press(display, XK_r); // Track &Remaining
    ASSERT_TRUE(WaitUntil([&] { return MappedWindows(display) == closed; })) << "and closes on its command";
    ASSERT_TRUE(box.Quit(ProgramSandbox::QuitBy::Sigterm));
    XCloseDisplay(display);
    const auto display0 = box.Setting("display");
    ASSERT_TRUE(display0.has_value());
    EXPECT_EQ(display0->dword, 1u);
}

} // namespace
