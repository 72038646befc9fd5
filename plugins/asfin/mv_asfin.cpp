// The seven exports of mv_asfin.so over its two reader contexts: one for the file being played, one
// for information queries and tag writes about any other file.
#include "plugins/asfin/CAsfAttributes.h"
#include "plugins/asfin/CAsfReaderContext.h"
#include "plugins/include/mv_asfin.h"

extern "C" {
#include <libavutil/log.h>
}

#include <new>

#define MV_ASFIN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Plugin {
    explicit Plugin(WmaInfo *info) : record(info) {}
    CAsfReaderContext playback{true};
    CAsfReaderContext information{false};
    WmaInfo *record;
};

Plugin *g_plugin = nullptr;

} // namespace

MV_ASFIN_EXPORT int WMAInit(WmaInfo *info)
{
    if (!info)
        return 0;
    if (g_plugin)
        return 0; // already initialised: the record of the first call stays in use
    // The plug-in shows no messages; damaged files would otherwise fill the terminal.
    av_log_set_level(AV_LOG_QUIET);
    g_plugin = new (std::nothrow) Plugin(info);
    return g_plugin ? 1 : 0;
}

MV_ASFIN_EXPORT void WMAFree(void)
{
    delete g_plugin; // each context closes its file and writes pending tags
    g_plugin = nullptr;
}

MV_ASFIN_EXPORT int WMAOpen(const char *path, uint32_t startSeconds)
{
    if (!g_plugin || !path)
        return 0;
    if (!g_plugin->playback.Open(path, g_plugin->record))
        return 0;
    if (startSeconds != 0 && !g_plugin->playback.SetStart(startSeconds)) {
        g_plugin->playback.Close();
        return 0;
    }
    return 1;
}

MV_ASFIN_EXPORT int WMAClose(void)
{
    if (g_plugin)
        g_plugin->playback.Close();
    return 0;
}

MV_ASFIN_EXPORT uint32_t FillBuffer(void *buffer, uint32_t length)
{
    return g_plugin ? g_plugin->playback.Fill(buffer, length) : 0;
}

MV_ASFIN_EXPORT int ReadInfo(const char *path, WmaInfo *info)
{
    if (!g_plugin || !path || !info)
        return 0;
    if (g_plugin->playback.HasOpen(path)) {
        if (info != g_plugin->playback.Record())
            *info = *g_plugin->playback.Record();
        return 1;
    }
    const bool ok = g_plugin->information.Open(path, info);
    g_plugin->information.Close();
    return ok ? 1 : 0;
}

MV_ASFIN_EXPORT int WriteInfo(const char *path, WmaInfo *info)
{
    if (!g_plugin || !path || !info)
        return 1;
    if (g_plugin->playback.HasOpen(path))
        g_plugin->playback.DeferWrite(*info);
    else
        CAsfAttributes::Write(path, *info); // a failed write is not reported
    return 1;
}
