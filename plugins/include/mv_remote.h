/*
 * The remote-control plug-in mv_remote.so: a remote's host software (melvane-remote, which reads LIRC)
 * loads it with dlopen, looks the five exports below up by name and hands it every button pressed on the
 * remote. The plug-in does no playback work: it posts the player's function-key message
 * (MV_WM_PLAYER_KEY, mv_messages.h) to the running player through its socket, so each button acts like
 * one of the player's function keys. With no player running every call answers 0 and posts nothing.
 *
 * Threads: any one thread at a time; no call keeps state between calls, and none waits longer than
 * half a second for the player.
 */
#ifndef MV_REMOTE_H
#define MV_REMOTE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The button groups the plug-in asks for, a bit set the host tests before it delivers any button. */
#define MV_REMOTE_WANTED_KEYS 210

/* Event types given to HandleKey: a button went down, or is held and repeating. */
#define MV_REMOTE_EVENT_PRESS 1
#define MV_REMOTE_EVENT_REPEAT 2

/* The remote's buttons the plug-in handles. */
enum MvRemoteButton {
    MV_REMOTE_VOLUME_UP = 25,
    MV_REMOTE_VOLUME_DOWN = 26,
    MV_REMOTE_MUTE = 27,
    MV_REMOTE_PREVIOUS = 30,
    MV_REMOTE_NEXT = 31,
    MV_REMOTE_PREVIOUS_2 = 32, /* a second previous/next pair on the remote */
    MV_REMOTE_NEXT_2 = 33,
    MV_REMOTE_FAST_FORWARD = 35,
    MV_REMOTE_REWIND = 36,
    MV_REMOTE_PLAY = 37,
    MV_REMOTE_PAUSE = 38,
    MV_REMOTE_STOP = 39
};

/* The number of programmable functions (indices 0 .. MV_REMOTE_FUNCTION_COUNT - 1). */
#define MV_REMOTE_FUNCTION_COUNT 3

/*
 * WhatKeysDoYouWant:             MV_REMOTE_WANTED_KEYS.
 * EnumerateProgrammableFunction: the name of programmable function `index` (zero-terminated, owned by
 *                                the plug-in, valid while it is loaded), or null past the last one.
 * Configure:                     shows the plug-in's About box (its name and version) modally over
 *                                `parentWindow` (an X11 window id, or 0) and returns 1 once it was
 *                                closed; 0 when there is no display to show it on.
 * AreYouInFocus:                 1 when the player runs and its main window is the active window, else 0.
 * HandleKey:                     `programmable` non-zero: `key` is a programmable function's index;
 *                                otherwise a button code (MvRemoteButton). `eventType` is one of the
 *                                MV_REMOTE_EVENT_* values. 1 when a message was posted to the player.
 */
int WhatKeysDoYouWant(void);
const char *EnumerateProgrammableFunction(uint16_t index);
int Configure(uintptr_t parentWindow);
int AreYouInFocus(void);
int HandleKey(int programmable, uint16_t key, uint16_t eventType);

/* Pointer types for dlsym, named after the exports. */
typedef int (*MvWhatKeysDoYouWantFn)(void);
typedef const char *(*MvEnumerateProgrammableFunctionFn)(uint16_t index);
typedef int (*MvRemoteConfigureFn)(uintptr_t parentWindow);
typedef int (*MvAreYouInFocusFn)(void);
typedef int (*MvHandleKeyFn)(int programmable, uint16_t key, uint16_t eventType);

#ifdef __cplusplus
}
#endif

#endif /* MV_REMOTE_H */
