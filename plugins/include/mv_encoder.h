/*
 * Encoder plug-ins: shared libraries in the program's encoders/ folder that turn extracted CD audio into
 * a file format of their own (asfout: Windows Media Audio, flacout: FLAC, oggout: Ogg Vorbis). The host
 * loads each *.so with dlopen at the start of an extraction command, looks the five exports below up by
 * name and unloads every library when the command ends.
 *
 * Plain C so that a plug-in never links against the program; nothing allocated on one side is freed on
 * the other. A plug-in handles one file at a time; its state is module-wide.
 *
 * Threads: QueryEncoder and Configure run on the host's user-interface thread; Open, Write and Close run
 * on the extraction worker thread, one after another. Calls never overlap.
 */
#ifndef MV_ENCODER_H
#define MV_ENCODER_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/*
 * The track handed to Open. Texts are zero-terminated UTF-8; no pointer is null (a field without text
 * is an empty string). The host fills the record on the extraction worker thread before Open and keeps
 * it and every text it points to unchanged and valid until Close returns; the plug-in reads it on the
 * same thread and keeps no pointer into it after Close.
 */
typedef struct EncoderTrackInfo {
    int32_t track;          /* track number on the disc, 1-based */
    const char *title;      /* track title */
    const char *artist;     /* track artist (the part before " / " of a compilation title, else the disc artist) */
    const char *album;      /* disc title */
    const char *genre;      /* disc genre */
    const char *year;       /* disc year, as text */
    const char *comment;    /* the track's extended text */
} EncoderTrackInfo;

/* PCM given to Write: interleaved stereo, 16-bit signed little-endian, 44100 Hz, whole CD sectors. */
#define MV_ENCODER_SECTOR_BYTES 2352u
#define MV_ENCODER_MAX_WRITE_BYTES 63504u
#define MV_ENCODER_MAX_PLUGINS 32

/* The folder beside the program that holds the plug-ins. */
#define MV_ENCODER_FOLDER "encoders"

/*
 * QueryEncoder: the display name, zero-terminated and owned by the plug-in; an empty name means the
 *            library is not offered (the host unloads it).
 * Open:      starts the file `path` + the plug-in's own extension for `info`; `expectedBytes` is the
 *            track's PCM size (a hint, may be unused). Returns the full path of the file created, owned
 *            by the plug-in and copied by the host at once, or null or an empty text on failure.
 * Write:     encodes `bytes` bytes of PCM (a multiple of 2352, at most 63504); non-zero on success,
 *            0 on failure (the host stops the track).
 * Close:     finishes the file; also called after a failed or aborted track. With nothing open it does
 *            nothing.
 * Configure: shows the plug-in's settings dialog modally; `module` is the handle dlopen returned for the
 *            plug-in, `parentWindow` the native window id of the host's window (an X11 window id; 0 when
 *            there is none). The result is ignored. Optional: a plug-in without it has no settings.
 */
const char *QueryEncoder(void);
const char *Open(const char *path, const EncoderTrackInfo *info, uint32_t expectedBytes);
int Write(const void *data, uint32_t bytes);
void Close(void);
int Configure(void *module, uintptr_t parentWindow);

/* Pointer types for dlsym, named after the exports. */
typedef const char *(*QueryEncoderProc)(void);
typedef const char *(*EncoderOpenProc)(const char *path, const EncoderTrackInfo *info, uint32_t expectedBytes);
typedef int (*EncoderWriteProc)(const void *data, uint32_t bytes);
typedef void (*EncoderCloseProc)(void);
typedef int (*EncoderConfigureProc)(void *module, uintptr_t parentWindow);

#ifdef __cplusplus
}
#endif

#endif /* MV_ENCODER_H */
