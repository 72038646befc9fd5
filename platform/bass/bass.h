/*
 * Melvane's audio library: output, module music, file streams, user streams, levels, sample and
 * spectrum data and equalizer effects, behind a C interface with the classic BASS call names,
 * argument orders, flag values and results.
 *
 * Threads: every call may be made from the user-interface thread. A STREAMPROC is called only on the
 * library's update thread. The device callback mixes from buffers the update thread fills; it never
 * allocates and never waits on a lock the caller can hold.
 */
#ifndef MELVANE_BASS_H
#define MELVANE_BASS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t DWORD;
typedef uint64_t QWORD;
typedef int BOOL;
typedef DWORD HMUSIC;   /* music and stream handles share one handle space */
typedef DWORD HSTREAM;
typedef DWORD HCHANNEL;
typedef DWORD HFX;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

/* BASS_Init flags */
#define BASS_DEVICE_DEFAULT_FLAGS 0x20
#define BASS_DEVICE_NOSOUND 1 /* the silent clock in the device list */
/* Stream and sample flags */
#define BASS_SAMPLE_MONO 0x2
#define BASS_SAMPLE_LOOP 0x4
#define BASS_SAMPLE_FLOAT 0x100
/* Music flags */
#define BASS_MUSIC_RAMP 0x1
#define BASS_MUSIC_RAMPS 0x2
#define BASS_MUSIC_LOOP 0x4
#define BASS_MUSIC_PT1MOD 0x20
#define BASS_MUSIC_POSRESET 0x100
#define BASS_MUSIC_SURROUND 0x200
#define BASS_MUSIC_SURROUND2 0x400
#define BASS_MUSIC_FLOAT 0x10000
/* BASS_ChannelGetData lengths */
#define BASS_DATA_FFT2048 0x80000002u
#define BASS_DATA_FFT_INDIVIDUAL 0x10u
#define BASS_DATA_FFT2048_INDIVIDUAL 0x80000012u
/* Effect types */
#define BASS_FX_PARAMEQ 7
/* BASS_ChannelIsActive results */
#define BASS_ACTIVE_STOPPED 0
#define BASS_ACTIVE_PLAYING 1
#define BASS_ACTIVE_PAUSED 3

/* Error codes (BASS_ErrorGetCode) */
#define BASS_OK 0
#define BASS_ERROR_MEM 1
#define BASS_ERROR_FILEOPEN 2
#define BASS_ERROR_DRIVER 3
#define BASS_ERROR_HANDLE 5
#define BASS_ERROR_FORMAT 6
#define BASS_ERROR_POSITION 7
#define BASS_ERROR_INIT 8
#define BASS_ERROR_START 9
#define BASS_ERROR_ALREADY 14
#define BASS_ERROR_ILLPARAM 20
#define BASS_ERROR_DEVICE 23
#define BASS_ERROR_NOFX 34
#define BASS_ERROR_FILEFORM 41
#define BASS_ERROR_UNKNOWN -1

typedef struct BASS_INFO {
    DWORD size;      /* size of this record, set by the caller */
    DWORD flags;
    DWORD minrate;
    DWORD maxrate;
    DWORD latency;   /* output latency in milliseconds */
    DWORD freq;      /* output rate */
    DWORD speakers;
    DWORD dsver;     /* effects level: 8 or above means equalizer effects are available */
} BASS_INFO;

typedef struct BASS_FXPARAMEQ {
    float fCenter;    /* Hz */
    float fBandwidth; /* semitones */
    float fGain;      /* dB */
} BASS_FXPARAMEQ;

/* Fills `buffer` with up to `length` bytes of the stream's sample format; returns the bytes written.
 * Fewer bytes than asked ends the stream once its buffered audio has been heard. */
/* A STREAMPROC returns the bytes it wrote; fewer than asked end the stream, unless the count carries
 * BASS_STREAMPROC_MORE (Melvane's own): nothing more now, but perhaps later. The procedure is then
 * called again at the next fill, and the stream ends only if everything it gave has been heard
 * before it gives more. */
#define BASS_STREAMPROC_MORE 0x40000000u
typedef DWORD STREAMPROC(HSTREAM handle, void *buffer, DWORD length, void *user);

DWORD BASS_GetVersion(void);
int BASS_ErrorGetCode(void);
/* Devices: 0 "Default" (the system's default output; also -1), 1 "No sound" (a silent clock that
 * plays in real time), then the named outputs. */
const char *BASS_GetDeviceDescription(int device);
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void *window);
BOOL BASS_Start(void);
BOOL BASS_Pause(void);
void BASS_Free(void);
float BASS_SetBufferLength(float seconds);
void BASS_GetInfo(BASS_INFO *info);
int BASS_GetVolume(void);
BOOL BASS_SetVolume(DWORD volume);
/* Melvane's own: TRUE while the output device has been lost (unplugged, its server gone, writes
 * failing). The library closes it and opens it again, half a second later at first and then at
 * doubling intervals up to 30 s; playback holds meanwhile and goes on where it was. */
BOOL BASS_IsOutputLost(void);

HMUSIC BASS_MusicLoad(BOOL mem, const void *file, DWORD offset, DWORD length, DWORD flags);
void BASS_MusicFree(HMUSIC handle);
DWORD BASS_MusicGetLength(HMUSIC handle, BOOL playlen);
BOOL BASS_MusicPlayEx(HMUSIC handle, DWORD pos, int flags, BOOL reset);
BOOL BASS_MusicSetAmplify(HMUSIC handle, DWORD amp);
BOOL BASS_MusicSetPanSep(HMUSIC handle, DWORD pan);

HSTREAM BASS_StreamCreate(DWORD freq, DWORD flags, STREAMPROC *proc, void *user);
HSTREAM BASS_StreamCreateFile(BOOL mem, const void *file, DWORD offset, DWORD length, DWORD flags);
void BASS_StreamFree(HSTREAM handle);
BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags);

BOOL BASS_ChannelStop(DWORD handle);
DWORD BASS_ChannelIsActive(DWORD handle);
DWORD BASS_ChannelGetLevel(DWORD handle);
DWORD BASS_ChannelGetData(DWORD handle, void *buffer, DWORD length);
BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan);
QWORD BASS_ChannelGetPosition(DWORD handle);
BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos);
QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float seconds);
float BASS_ChannelBytes2Seconds(DWORD handle, QWORD bytes);
HFX BASS_ChannelSetFX(DWORD handle, DWORD type);
BOOL BASS_ChannelRemoveFX(DWORD handle, HFX fx);
BOOL BASS_FXSetParameters(HFX handle, const void *params);
BOOL BASS_FXGetParameters(HFX handle, void *params);

#ifdef __cplusplus
}
#endif

#endif
