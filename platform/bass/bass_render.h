/*
 * Extensions of Melvane's audio library for tests, tools and benchmarks: an output without a device
 * whose mixing is pulled by the caller, so that what would be heard can be examined exactly.
 *
 * Threads: BASSX_Render is called by whoever drives the output (in place of the device callback);
 * the STREAMPROCs still run only on the library's update thread. BASSX_Render waits until the update
 * thread has filled every playing channel far enough for the frames asked, so results do not depend
 * on timing.
 */
#ifndef MELVANE_BASS_RENDER_H
#define MELVANE_BASS_RENDER_H

#include "platform/bass/bass.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Samples of BASS_ChannelGetData as floats whatever the channel's format (added to the length). */
#define BASSX_DATA_FLOAT 0x40000000u

/* Initialises the library with no output device at `freq` Hz: nothing is mixed until BASSX_Render
 * pulls frames. Fails like BASS_Init (BASS_ERROR_ALREADY when initialised). */
BOOL BASSX_InitManual(DWORD freq);

/* Mixes `frames` stereo float frames (interleaved L R) into `stereoOut`, exactly what the device
 * callback would write, and advances the heard position by as much. While the output is paused
 * (BASS_Pause) nothing advances: `stereoOut` is filled with silence and 0 is returned. Returns the
 * frames mixed; 0 with BASS_ERROR_INIT when not initialised with BASSX_InitManual. */
DWORD BASSX_Render(float *stereoOut, DWORD frames);

#ifdef __cplusplus
}
#endif

#endif
