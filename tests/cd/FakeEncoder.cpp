// An encoder plug-in for the extraction tests, built in several kinds (FAKE_KIND): it writes the PCM it
// is given to path + ".raw" and the track information to path + ".info" (one field a line), and fails
// where its kind says so. Its display name is its own file name, so copies of it are told apart.
#include "plugins/include/mv_encoder.h"

#include <cstdio>
#include <dlfcn.h>
#include <string>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
FILE *g_file = nullptr;
std::string g_path, g_name;
[[maybe_unused]] int g_writes = 0;
} // namespace

FAKE_EXPORT const char *QueryEncoder(void)
{
#if FAKE_KIND == 4
    return ""; // not offered
#else
    Dl_info info{};
    dladdr(reinterpret_cast<void *>(&QueryEncoder), &info);
    g_name = info.dli_fname ? info.dli_fname : "fake";
    g_name = "Fake " + g_name.substr(g_name.rfind('/') + 1);
    return g_name.c_str();
#endif
}

FAKE_EXPORT const char *Open(const char *path, const EncoderTrackInfo *info, uint32_t expectedBytes)
{
#if FAKE_KIND == 1
    (void)path, (void)info, (void)expectedBytes;
    return nullptr; // Open fails
#else
    if (FILE *text = std::fopen((std::string(path) + ".info").c_str(), "w")) {
        std::fprintf(text, "%d\n%s\n%s\n%s\n%s\n%s\n%s\n%u\n", info->track, info->title, info->artist, info->album,
                     info->genre, info->year, info->comment, expectedBytes);
        std::fclose(text);
    }
    g_path = std::string(path) + ".raw";
    g_file = std::fopen(g_path.c_str(), "wb");
    g_writes = 0;
    return g_file ? g_path.c_str() : nullptr;
#endif
}

FAKE_EXPORT int Write(const void *data, uint32_t bytes)
{
#if FAKE_KIND == 2
    if (++g_writes == 2)
        return 0; // the second block of a track cannot be written
#endif
    if (bytes % MV_ENCODER_SECTOR_BYTES != 0 || bytes > MV_ENCODER_MAX_WRITE_BYTES)
        return 0;
    return g_file && std::fwrite(data, 1, bytes, g_file) == bytes ? 1 : 0;
}

#if FAKE_KIND != 3 // kind 3 lacks Close
FAKE_EXPORT void Close(void)
{
    if (g_file)
        std::fclose(g_file);
    g_file = nullptr;
}
#endif
