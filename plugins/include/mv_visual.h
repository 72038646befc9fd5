/* The visual plug-in interface: libraries NAME.so in the player's visuals/ folder, loaded with dlopen and
 * resolved with dlsym by four plain names: QueryVisual, Init, Render, Quit.
 *
 * Threads. The host lists a plug-in by loading it, calling QueryVisual and unloading it again (on its
 * user-interface thread). To run one it starts a thread of its own (the plug-in's window thread) that
 * loads the library, calls Init and then runs the window's event loop through the VisWindow record Init
 * returned; a second thread (the render thread, one step below normal priority) calls Render again and
 * again. Quit is called on the window thread after the render thread has ended. A library runs once at a
 * time: its state lives in its globals.
 *
 * Records are plain C with natural pointer sizes; nothing allocated on one side is freed on the other. */
#ifndef MV_VISUAL_H
#define MV_VISUAL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Handed to Init; owned by the host's thread object and valid, with everything it points to, until Quit
 * returns. The host writes the record before Init and never changes it afterwards; the buffers it points
 * to are rewritten by the player's user-interface thread on every main timer tick (about every 20 ms)
 * while at least one plug-in runs and are cleared to zero when playback stops. Plug-ins read them from
 * any of their threads without a lock; a torn frame is acceptable. */
typedef struct VisInfo {
    /* The main window: the player's private runtime folder holding its MelvaneClass socket (platform/ipc).
     * Plug-ins post key presses there. Written by the host before Init. */
    const char *pszMainWindow;
    /* The library's own dlopen handle. Written by the host before Init. */
    void *hModule;
    /* Size in bytes of the sample buffer: 4096. */
    int32_t nSampleBytes;
    /* Number of floats in the FFT buffer: 1024. */
    int32_t nFftCount;
    /* Level word as the audio library reports it: low 16 bits left, high 16 bits right, each 0 to 128;
     * 0 when nothing plays. Written by the player's user-interface thread. */
    const volatile uint32_t *pLevel;
    /* Sample rate in Hz of what is playing. Written by the player's user-interface thread. */
    const volatile int32_t *pSampleRate;
    /* nSampleBytes / 4 frames of interleaved left/right 16-bit signed samples. Written by the player's
     * user-interface thread. */
    const int16_t *pSamples;
    /* nFftCount floats read as left/right pairs of spectrum magnitudes: a stereo track's per-channel
     * spectra interleaved; for a mono track one spectrum whose even values are copied into the following
     * odd places. Written by the player's user-interface thread. */
    const float *pFft;
    /* Reserved, 0. */
    intptr_t nReserved;
} VisInfo;

/* The window Init created, as the host's window thread drives it (the stand-in for a window handle and
 * the system's message dispatching). Owned by the plug-in and valid until Quit returns. */
typedef struct VisWindow {
    /* Readable when the window has events waiting (the plug-in's own X11 connection). Window thread. */
    int nEventFd;
    /* Window thread: handles every waiting event. Returns 0 once the window is destroyed (the quit
     * message a window posts to its thread on destruction), else 1. Never waits for events. */
    int (*Dispatch)(void);
    /* Render thread: asks the window to close, as a posted close message would; returns at once. */
    void (*PostClose)(void);
} VisWindow;

/* Menu name, zero-terminated; static storage of the library. */
typedef const char *(*MvQueryVisualFn)(void);
/* Creates and shows the window; null on failure (everything created so far is released). */
typedef const VisWindow *(*MvVisInitFn)(const VisInfo *info);
/* Draws one frame; milliseconds to wait before the next call, negative to end the plug-in. */
typedef int (*MvVisRenderFn)(void);
/* Saves the plug-in's values, destroys what Init created. */
typedef void (*MvVisQuitFn)(void);

const char *QueryVisual(void);
const VisWindow *Init(const VisInfo *info);
int Render(void);
void Quit(void);

#ifdef __cplusplus
}
#endif

#endif
