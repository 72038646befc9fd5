/*
 * mv_asfin: the Windows Media Audio decoder plug-in (mv_asfin.so), loaded by the player with dlopen.
 *
 * The plug-in decodes WMA/ASF files to PCM for playback, reports their tags and technical data in a
 * WmaInfo record, and writes edited tags back. Plain C so that the plug-in never links against the
 * program; nothing allocated on one side is freed on the other.
 *
 * Threads: every export is called on the host's user-interface thread, except FillBuffer, which the
 * playback engine's stream thread calls. The host never calls WMAOpen, WMAClose or WriteInfo for the
 * playing file while a FillBuffer call runs; the plug-in itself takes no locks.
 */
#ifndef MV_ASFIN_H
#define MV_ASFIN_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/*
 * The information record: 7716 bytes, little-endian, no padding beyond the fields named below.
 * Texts are zero-terminated UTF-16LE code units in fixed arrays; a text that fills its array has no
 * terminator. The caller clears the record before a query; absent attributes leave their fields zero.
 */
typedef struct WmaInfo {
    uint16_t artist[512];      /*    0: "Author" */
    uint16_t title[512];       /* 1024: "Title" */
    uint16_t album[512];       /* 2048: "WM/AlbumTitle" */
    uint16_t genre[128];       /* 3072: "WM/Genre" */
    uint16_t comment[2048];    /* 3328: "Description" */
    uint16_t codecName[128];   /* 7424: name of the file's first codec */
    uint16_t year;             /* 7680: "WM/Year" as a number */
    uint8_t padding1[2];       /* 7682 */
    uint32_t bitrate;          /* 7684: kbit/s ("CurrentBitrate" / 1000) */
    uint32_t sampleRate;       /* 7688: Hz, of the audio output */
    uint32_t length;           /* 7692: whole seconds */
    uint32_t fileSize;         /* 7696: bytes, low 32 bits */
    uint8_t channels;          /* 7700: of the audio output */
    uint8_t padding2[3];       /* 7701 */
    int32_t seekable;          /* 7704: non-zero when the file can be seeked */
    int32_t isProtected;       /* 7708: non-zero for a protected (DRM) file */
    int32_t isVbr;             /* 7712: non-zero for variable bit rate */
} WmaInfo;

#ifdef __cplusplus
#define MV_ASFIN_STATIC_ASSERT(cond, text) static_assert(cond, text)
#else
#define MV_ASFIN_STATIC_ASSERT(cond, text) _Static_assert(cond, text)
#endif

MV_ASFIN_STATIC_ASSERT(sizeof(WmaInfo) == 7716, "WmaInfo must be 7716 bytes");
MV_ASFIN_STATIC_ASSERT(offsetof(WmaInfo, title) == 1024, "WmaInfo.title offset");
MV_ASFIN_STATIC_ASSERT(offsetof(WmaInfo, album) == 2048, "WmaInfo.album offset");
MV_ASFIN_STATIC_ASSERT(offsetof(WmaInfo, genre) == 3072, "WmaInfo.genre offset");
MV_ASFIN_STATIC_ASSERT(offsetof(WmaInfo, comment) == 3328, "WmaInfo.comment offset");
MV_ASFIN_STATIC_ASSERT(offsetof(WmaInfo, codecName) == 7424, "WmaInfo.codecName offset");
MV_ASFIN_STATIC_ASSERT(offsetof(WmaInfo, year) == 7680, "WmaInfo.year offset");
MV_ASFIN_STATIC_ASSERT(offsetof(WmaInfo, bitrate) == 7684, "WmaInfo.bitrate offset");
MV_ASFIN_STATIC_ASSERT(offsetof(WmaInfo, sampleRate) == 7688, "WmaInfo.sampleRate offset");
MV_ASFIN_STATIC_ASSERT(offsetof(WmaInfo, length) == 7692, "WmaInfo.length offset");
MV_ASFIN_STATIC_ASSERT(offsetof(WmaInfo, fileSize) == 7696, "WmaInfo.fileSize offset");
MV_ASFIN_STATIC_ASSERT(offsetof(WmaInfo, channels) == 7700, "WmaInfo.channels offset");
MV_ASFIN_STATIC_ASSERT(offsetof(WmaInfo, seekable) == 7704, "WmaInfo.seekable offset");
MV_ASFIN_STATIC_ASSERT(offsetof(WmaInfo, isProtected) == 7708, "WmaInfo.isProtected offset");
MV_ASFIN_STATIC_ASSERT(offsetof(WmaInfo, isVbr) == 7712, "WmaInfo.isVbr offset");

/* The library's file name, searched in the program's folder. */
#define MV_ASFIN_LIBRARY_NAME "mv_asfin.so"

/*
 * Paths are narrow zero-terminated strings (UTF-8 on this platform), at most 510 bytes.
 *
 * WMAInit:   prepares the plug-in; `info` is the record the playback context fills and must stay valid
 *            until WMAFree. Returns 1 on success, 0 on failure.
 * WMAFree:   closes any open file (writing pending tags) and releases everything.
 * WMAOpen:   opens `path` for playback starting at `startSeconds`; 1 or 0.
 * WMAClose:  closes the playback file; returns 0.
 * FillBuffer: writes up to `length` bytes of 16-bit PCM (the record's channels and rate) into `buffer`
 *            and returns the count; fewer than asked, then 0, at the end of the stream.
 * ReadInfo:  fills `info` for `path` (from the playing file's record when `path` is the playing file,
 *            byte for byte); 1 or 0.
 * WriteInfo: writes artist, title, album, genre, comment and year from `info` into `path` (deferred
 *            until close for the playing file); always 1.
 */
int WMAInit(WmaInfo *info);
void WMAFree(void);
int WMAOpen(const char *path, uint32_t startSeconds);
int WMAClose(void);
uint32_t FillBuffer(void *buffer, uint32_t length);
int ReadInfo(const char *path, WmaInfo *info);
int WriteInfo(const char *path, WmaInfo *info);

/* Pointer types for dlsym, named after the exports. */
typedef int (*WMAInitProc)(WmaInfo *info);
typedef void (*WMAFreeProc)(void);
typedef int (*WMAOpenProc)(const char *path, uint32_t startSeconds);
typedef int (*WMACloseProc)(void);
typedef uint32_t (*FillBufferProc)(void *buffer, uint32_t length);
typedef int (*ReadInfoProc)(const char *path, WmaInfo *info);
typedef int (*WriteInfoProc)(const char *path, WmaInfo *info);

#ifdef __cplusplus
}
#endif

#endif /* MV_ASFIN_H */
