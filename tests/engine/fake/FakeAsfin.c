/* A stand-in for mv_asfin.so: "decodes" any path ending in ".wma" to a known 16-bit pattern at
 * 32000 Hz (mono when the path contains "mono"), so the host's binding can be checked exactly. */
#include "plugins/include/mv_asfin.h"

#include <string.h>

#define FAKE_RATE 32000u
#define FAKE_TOTAL_VALUES 20000u

static WmaInfo *g_info;
static int g_open;
static uint32_t g_position;
static uint32_t g_channels;

/* What the tests inspect. */
int FakeAsfinCloseCount;
uint32_t FakeAsfinLastFillLength;
uint32_t FakeAsfinLastStart;

int16_t FakeAsfinSample(uint32_t index)
{
    return (int16_t)((int32_t)((index * 2654435761u) >> 16) - 32768);
}

int WMAInit(WmaInfo *info)
{
#ifdef FAKE_ASFIN_INIT_FAILS
    (void)info;
    return 0;
#else
    g_info = info;
    return 1;
#endif
}

void WMAFree(void)
{
    g_open = 0;
    g_info = 0;
}

int WMAOpen(const char *path, uint32_t startSeconds)
{
    size_t n = strlen(path);
    if (n < 4 || strcmp(path + n - 4, ".wma") != 0)
        return 0;
    g_channels = strstr(path, "mono") ? 1u : 2u;
    g_info->sampleRate = FAKE_RATE;
    g_info->channels = (uint8_t)g_channels;
    g_info->isProtected = strstr(path, "protected") ? 1 : 0;
    g_position = startSeconds * FAKE_RATE * g_channels;
    FakeAsfinLastStart = startSeconds;
    g_open = 1;
    return 1;
}

int WMAClose(void)
{
    g_open = 0;
    ++FakeAsfinCloseCount;
    return 0;
}

uint32_t FillBuffer(void *buffer, uint32_t length)
{
    int16_t *out = (int16_t *)buffer;
    uint32_t values = length / 2, written = 0;
    FakeAsfinLastFillLength = length;
    if (!g_open)
        return 0;
    while (written < values && g_position < FAKE_TOTAL_VALUES)
        out[written++] = FakeAsfinSample(g_position++);
    return written * 2;
}

int ReadInfo(const char *path, WmaInfo *info)
{
    size_t n = strlen(path);
    if (n < 4 || strcmp(path + n - 4, ".wma") != 0)
        return 0;
    info->sampleRate = FAKE_RATE;
    info->length = 7;
    return 1;
}

#ifndef FAKE_ASFIN_NO_WRITEINFO
int WriteInfo(const char *path, WmaInfo *info)
{
    (void)path;
    (void)info;
    return 1;
}
#endif
