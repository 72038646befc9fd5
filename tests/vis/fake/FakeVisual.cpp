// A visual plug-in for the host's tests: no window, a pipe for its "events"; it records what the host
// does to it in FakeVisualState. Built several times: FAKE_NO_QUERY (no QueryVisual), FAKE_EMPTY_NAME
// (an empty name), FAKE_NO_RENDER (no Render export).
#include "plugins/include/mv_visual.h"
#include "tests/vis/fake/FakeVisualControl.h"

#include <chrono>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

FakeVisualState g_state;
int g_pipe[2] = {-1, -1};
std::atomic<int> g_closed{0};
std::string g_name;

std::uint64_t ThisThread() { return static_cast<std::uint64_t>(pthread_self()); }

int Dispatch()
{
    char drain[16];
    while (g_pipe[0] >= 0 && read(g_pipe[0], drain, sizeof drain) > 0) {
    }
    return g_closed.load() || g_state.closeBox.load() ? 0 : 1;
}

void PostClose()
{
    ++g_state.closesPosted;
    g_closed = 1;
    if (g_pipe[1] >= 0)
        (void)!write(g_pipe[1], "c", 1);
}

VisWindow g_window{-1, Dispatch, PostClose};

} // namespace

FAKE_EXPORT FakeVisualState *FakeVisualControl() { return &g_state; }

#ifndef FAKE_NO_QUERY
FAKE_EXPORT const char *QueryVisual(void)
{
#ifdef FAKE_EMPTY_NAME
    return "";
#else
    // The file's own name without ".so", so copies under other names list under other names.
    Dl_info self{};
    dladdr(reinterpret_cast<void *>(&QueryVisual), &self);
    g_name = self.dli_fname ? self.dli_fname : "fake";
    g_name = g_name.substr(g_name.find_last_of('/') + 1);
    g_name = g_name.substr(0, g_name.rfind(".so"));
    return g_name.c_str();
#endif
}
#endif

FAKE_EXPORT const VisWindow *Init(const VisInfo *info)
{
    ++g_state.inits;
    g_state.windowThread = ThisThread();
    g_state.level = const_cast<const std::uint32_t *>(info->pLevel);
    g_state.sampleRate = const_cast<const std::int32_t *>(info->pSampleRate);
    g_state.samples = info->pSamples;
    g_state.fft = info->pFft;
    g_state.module = info->hModule;
    g_state.sampleBytes = info->nSampleBytes;
    g_state.fftCount = info->nFftCount;
    g_state.mainWindow = info->pszMainWindow;
    if (g_state.failInit.load())
        return nullptr;
    g_closed = 0;
    if (pipe2(g_pipe, O_NONBLOCK) != 0)
        return nullptr;
    g_window.nEventFd = g_pipe[0];
    return &g_window;
}

#ifndef FAKE_NO_RENDER
FAKE_EXPORT int Render(void)
{
    const int n = g_state.renders.load();
    if (n < FakeVisualState::kTimes)
        g_state.renderTimesNs[n] = std::chrono::steady_clock::now().time_since_epoch().count();
    g_state.renderThread = ThisThread();
    g_state.renderNice = getpriority(PRIO_PROCESS, 0);
    ++g_state.renders;
    return g_state.renderResult.load();
}
#endif

FAKE_EXPORT void Quit(void)
{
    g_state.quitThread = ThisThread();
    for (int &fd : g_pipe) {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
    ++g_state.quits;
}
