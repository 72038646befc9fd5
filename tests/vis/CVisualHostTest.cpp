// The visual host on fake plug-in libraries (steered and read through their shared state) and on the
// three real plug-ins under a private Xvfb: listing, the thread each export runs on, the render pace,
// every way a plug-in ends, and the restart of what ran at exit.
#include "vis/CVisThread.h"
#include "vis/CVisualHost.h"
#include "tests/support/TempDir.h"
#include "tests/support/XvfbServer.h"
#include "tests/vis/fake/FakeVisualControl.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <pthread.h>
#include <set>
#include <sys/resource.h>
#include <thread>
// After gtest: Xlib defines macros such as None and Bool.
#include <X11/Xlib.h>

namespace fs = std::filesystem;

namespace {

bool WaitUntil(const std::function<bool()> &done, int timeoutMs = 5000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

std::string Fake(const char *target) { return std::string(MELVANE_FAKE_VISUALS_DIR) + "/" + target + ".so"; }

// A copy of a fake library in the test's visuals folder, opened by the test as well so that the
// host's loads and the test share its state.
class FakeLibrary {
public:
    FakeLibrary(const TempDir &folder, const char *target, const std::string &fileName)
    {
        fs::copy_file(Fake(target), folder.file(fileName), fs::copy_options::overwrite_existing);
        m_handle = dlopen(folder.file(fileName).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (m_handle)
            m_state = reinterpret_cast<FakeVisualControlFn>(dlsym(m_handle, "FakeVisualControl"))();
    }
    ~FakeLibrary()
    {
        if (m_handle)
            dlclose(m_handle);
    }
    FakeVisualState &State() { return *m_state; }
    void *Handle() const { return m_handle; }

private:
    void *m_handle = nullptr;
    FakeVisualState *m_state = nullptr;
};

class VisualHostTest : public ::testing::Test {
protected:
    CVisualHost &Host()
    {
        if (!m_host) {
            m_host = std::make_unique<CVisualHost>(m_folder.path().string(), m_feed, "/run/melvane-test");
            m_host->Discover();
        }
        return *m_host;
    }
    int SlotOf(const std::string &fileName)
    {
        for (int i = 0; i < Host().Count(); ++i)
            if (Host().FileName(i) == fileName)
                return i;
        return -1;
    }
    bool Ends(int slot) { return WaitUntil([&] { return !Host().IsRunning(slot); }); }

    TempDir m_folder;
    std::uint32_t m_level = 0;
    std::int32_t m_rate = 44100;
    std::int16_t m_samples[2048]{};
    float m_fft[1024]{};
    VisualFeed m_feed{&m_level, &m_rate, m_samples, m_fft};
    std::unique_ptr<CVisualHost> m_host;
};

TEST(VisThread, RenderDelayIsHeldBetween10And100Ms)
{
    const struct {
        int result, delay;
    } cases[] = {{0, 10}, {9, 10}, {10, 10}, {20, 20}, {100, 100}, {101, 100}, {500, 100}};
    for (const auto &c : cases)
        EXPECT_EQ(CVisThread::RenderDelay(c.result), c.delay) << c.result;
}

TEST_F(VisualHostTest, ListsTheFirst32PluginsAndSkipsWhatIsNoPlugin)
{
    std::vector<std::unique_ptr<FakeLibrary>> fakes;
    for (int i = 0; i < 40; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "v%02d.so", i);
        fs::copy_file(Fake("fake_visual"), m_folder.file(name));
    }
    fs::copy_file(Fake("fake_visual_noquery"), m_folder.file("noquery.so"));
    fs::copy_file(Fake("fake_visual_emptyname"), m_folder.file("empty.so"));
    ASSERT_TRUE(WriteWholeFile(m_folder.file("broken.so"), "not a library"));
    fs::copy_file(Fake("fake_visual"), m_folder.file("readme.txt"));

    // The folder's own order decides the slots: the first 32 real plug-ins in it.
    std::vector<std::string> expected;
    for (const fs::directory_entry &entry : fs::directory_iterator(m_folder.path())) {
        const std::string file = entry.path().filename().string();
        if (file.size() == 6 && file[0] == 'v' && expected.size() < 32)
            expected.push_back(file);
    }
    ASSERT_EQ(Host().Count(), 32);
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(Host().FileName(i), expected[static_cast<std::size_t>(i)]);
        EXPECT_EQ(Host().Name(i) + ".so", Host().FileName(i));
        EXPECT_FALSE(Host().IsRunning(i));
    }
    EXPECT_FALSE(Host().AnyVisualActive());
}

TEST_F(VisualHostTest, RunsEachExportOnItsThreadAndStartingTwiceStops)
{
    FakeLibrary fake(m_folder, "fake_visual", "fake.so");
    FakeVisualState &state = fake.State();
    state.Reset(20);
    ASSERT_EQ(Host().Count(), 1);
    Host().Toggle(0);
    ASSERT_TRUE(WaitUntil([&] { return state.renders.load() >= 3; }));
    EXPECT_TRUE(Host().IsRunning(0));
    EXPECT_TRUE(Host().AnyVisualActive());

    EXPECT_EQ(state.sampleBytes.load(), 4096);
    EXPECT_EQ(state.fftCount.load(), 1024);
    EXPECT_EQ(state.level.load(), &m_level);
    EXPECT_EQ(state.sampleRate.load(), &m_rate);
    EXPECT_EQ(state.samples.load(), m_samples);
    EXPECT_EQ(state.fft.load(), m_fft);
    EXPECT_EQ(state.module.load(), fake.Handle()) << "the library's own handle";
    EXPECT_STREQ(state.mainWindow.load(), "/run/melvane-test");

    const auto self = static_cast<std::uint64_t>(pthread_self());
    EXPECT_NE(state.windowThread.load(), self);
    EXPECT_NE(state.renderThread.load(), state.windowThread.load());
    EXPECT_EQ(state.renderNice.load(), getpriority(PRIO_PROCESS, 0) + 1) << "one step below normal";

    Host().Toggle(0);
    ASSERT_TRUE(Ends(0));
    EXPECT_EQ(state.closesPosted.load(), 1) << "the render thread closes the window";
    EXPECT_EQ(state.quits.load(), 1);
    EXPECT_EQ(state.quitThread.load(), state.windowThread.load());
    EXPECT_FALSE(Host().AnyVisualActive());

    Host().Toggle(0);
    ASSERT_TRUE(WaitUntil([&] { return state.inits.load() == 2 && state.renders.load() >= 4; })) << "starts again";
    Host().StopAll();
    EXPECT_FALSE(Host().IsRunning(0));
    EXPECT_EQ(state.quits.load(), 2);
}

TEST_F(VisualHostTest, RenderIsCalledAgainAfterTheHeldDelay)
{
    FakeLibrary fake(m_folder, "fake_visual", "fake.so");
    FakeVisualState &state = fake.State();
    const struct {
        int result, atLeastMs, lessThanMs;
    } cases[] = {{500, 100, 450}, {0, 10, 90}};
    for (const auto &c : cases) {
        state.Reset(c.result);
        Host().Toggle(0);
        ASSERT_TRUE(WaitUntil([&] { return state.renders.load() >= 6; })) << c.result;
        Host().Toggle(0);
        ASSERT_TRUE(Ends(0));
        std::int64_t shortest = INT64_MAX;
        for (int i = 1; i < 6; ++i)
            shortest = std::min(shortest, state.renderTimesNs[i].load() - state.renderTimesNs[i - 1].load());
        EXPECT_GE(shortest, c.atLeastMs * 1000000LL - 1000000LL) << c.result;
        EXPECT_LT(shortest, c.lessThanMs * 1000000LL) << c.result;
    }
}

TEST_F(VisualHostTest, APluginEndsSilentlyAndFreesItsSlot)
{
    FakeLibrary fake(m_folder, "fake_visual", "fake.so");
    FakeLibrary noRender(m_folder, "fake_visual_norender", "norender.so");
    const struct {
        const char *what;
        FakeLibrary &library;
        std::function<void(FakeVisualState &)> steer;
        int quits;
    } cases[] = {
        {"Render returns a negative value", fake, [](FakeVisualState &s) { s.Reset(-1); }, 1},
        {"the user closes the window", fake, [](FakeVisualState &s) { s.Reset(20); }, 1},
        {"Init fails", fake, [](FakeVisualState &s) { s.Reset(20); s.failInit = 1; }, 0},
        {"no Render export", noRender, [](FakeVisualState &s) { s.Reset(20); }, 1},
    };
    for (const auto &c : cases) {
        FakeVisualState &state = c.library.State();
        c.steer(state);
        const int slot = SlotOf(&c.library == &fake ? "fake.so" : "norender.so");
        ASSERT_GE(slot, 0);
        Host().Toggle(slot);
        if (std::string(c.what) == "the user closes the window") {
            ASSERT_TRUE(WaitUntil([&] { return state.renders.load() >= 2; }));
            state.closeBox = 1;
        }
        ASSERT_TRUE(Ends(slot)) << c.what;
        EXPECT_EQ(state.inits.load(), 1) << c.what;
        EXPECT_EQ(state.quits.load(), c.quits) << c.what;
        EXPECT_FALSE(Host().AnyVisualActive()) << c.what;
    }
}

TEST_F(VisualHostTest, RestartsWhatRanAtExitByFileNameIgnoringCase)
{
    std::vector<std::unique_ptr<FakeLibrary>> fakes;
    for (const char *name : {"alpha.so", "beta.so", "gamma.so"})
        fakes.push_back(std::make_unique<FakeLibrary>(m_folder, "fake_visual", name));
    for (auto &fake : fakes)
        fake->State().Reset(20);
    const int beta = SlotOf("beta.so"), gamma = SlotOf("gamma.so"), alpha = SlotOf("alpha.so");
    Host().Toggle(gamma);
    Host().Toggle(beta);
    ASSERT_TRUE(WaitUntil([&] { return Host().IsRunning(beta) && Host().IsRunning(gamma); }));
    std::vector<std::string> expected = {"beta.so", "gamma.so"};
    if (gamma < beta)
        std::swap(expected[0], expected[1]);
    const std::vector<std::string> saved = Host().RunningFileNames();
    EXPECT_EQ(saved, expected) << "in slot order";
    Host().StopAll();
    EXPECT_FALSE(Host().AnyVisualActive());

    m_host.reset();
    Host().Restart({"GAMMA.SO", "removed.so", "Beta.so", "beta.so"});
    EXPECT_TRUE(Host().IsRunning(beta));
    EXPECT_TRUE(Host().IsRunning(gamma));
    EXPECT_FALSE(Host().IsRunning(alpha));
    EXPECT_EQ(Host().RunningFileNames().size(), 2u) << "a name listed twice starts its plug-in once";
}

// The names of the top-level windows the X server shows.
std::set<std::string> WindowNames(Display *display)
{
    std::set<std::string> names;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return names;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        char *name = nullptr;
        if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
            XFetchName(display, children[i], &name) && name) {
            names.insert(name);
            XFree(name);
        }
    }
    if (children)
        XFree(children);
    return names;
}

TEST_F(VisualHostTest, TheThreeRealPluginsRunTogetherAndEnd)
{
    XvfbServer server("800x600x24");
    ASSERT_FALSE(server.Name().empty());
    TempDir config;
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    setenv("DISPLAY", server.Name().c_str(), 1);
    CVisualHost host(MELVANE_VISUALS_DIR, m_feed, config.path().string());
    ASSERT_EQ(host.Discover(), 3);
    std::set<std::string> names;
    for (int i = 0; i < 3; ++i) {
        names.insert(host.Name(i));
        host.Toggle(i);
    }
    EXPECT_EQ(names, (std::set<std::string>{"Spectrum Analyser", "Oscilloscope", "VU Meter"}));
    Display *display = XOpenDisplay(server.Name().c_str());
    ASSERT_NE(display, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return WindowNames(display) == names; })) << "one window each";
    host.StopAll();
    EXPECT_FALSE(host.AnyVisualActive());
    EXPECT_TRUE(WaitUntil([&] { return WindowNames(display).empty(); })) << "closed at the stop";

    // No display at all (a desktop without X): Init fails and the slot is free again.
    unsetenv("DISPLAY");
    host.Toggle(0);
    EXPECT_TRUE(WaitUntil([&] { return !host.IsRunning(0); }));
    XCloseDisplay(display);
}

} // namespace
