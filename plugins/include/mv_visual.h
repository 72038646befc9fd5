/* The visual plug-in interface: libraries NAME.so in the player's visuals/ folder, loaded with dlopen and
 * resolved with dlsym by four plain names: QueryVisual, Init, Render, Quit.
 *
 * Threads, as the player's host (vis/CVisualHost, vis/CVisThread) runs them:
 * - Listing, on the player's user-interface thread: the library is loaded, QueryVisual is called and the
 *   library is unloaded again. QueryVisual must not start anything.
 * - The window thread, one per started plug-in: loads the library, calls Init, and then, while the
 *   VisWindow's Dispatch returns 1, calls Dispatch whenever nEventFd is readable (and at least every
 *   50 ms). The window Init made belongs to this thread: only it touches the window's connection.
 * - The render thread, started by the window thread after Init succeeded, one nice step below the
 *   player: calls Render again and again while the player wants the plug-in to run, waiting the
 *   returned milliseconds held to 10..100 between calls; a negative result ends the loop. After the loop
 *   it calls PostClose (unless the window is already gone), which must make the window thread's next
 *   Dispatch see the window destroyed and return 0.
 * - Quit is called on the window thread once Dispatch returned 0 and the render thread has ended (the
 *   render thread is given up to a second after the window went), then the library is unloaded.
 *   A failed Init gets no Quit; a plug-in lacking Render or Quit is ended at once (Quit if present).
 * - Stopping from the player (its menu or its exit) ends the render loop within one wait; at its exit
 *   the player waits until every plug-in has quit.
 * A library runs once at a time: its state lives in its globals. Init, Render and Quit never block for
 * long: the player's exit waits for them.
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
    /* Rate in Hz of the samples and spectra below: the output's mixing rate (what is heard), which may
     * differ from the file's own rate. Written by the player's user-interface thread. */
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
