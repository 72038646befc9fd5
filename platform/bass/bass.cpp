// The C interface of the audio library: checks that the library is initialised, serialises callers
// with one call lock and forwards to the Engine, keeping the last error per calling thread.
//
// Threads: any thread may call; calls are serialised by `callLock`. The Engine's own threads never
// take it, so a call may wait for the update thread or the mixer without a deadlock. A STREAMPROC
// must not call the library (it runs while a caller may be waiting for it).
//
// The C interface has no context argument, so its state has to live in this one file-level object;
// everything below it (Engine, Channel, ...) is ordinary instantiable classes.

#include "platform/bass/Engine.h"
#include "platform/bass/bass.h"
#include "platform/bass/bass_render.h"

#include <SDL.h>

#include <mutex>
#include <string>
#include <vector>

using melvane::bass::Engine;
using melvane::bass::OutputKind;

namespace {

struct Library {
    std::mutex callLock;
    std::unique_ptr<Engine> engine;
    std::vector<std::string> devices; // descriptions, refreshed when index 0 is asked for
    float bufferSeconds = 0.5f;
};

Library library;
thread_local int lastError = BASS_OK;

// Runs `f(engine)` under the call lock; `failed` when not initialised.
template <class F, class R>
R call(F &&f, R failed)
{
    std::lock_guard lock(library.callLock);
    if (!library.engine) {
        lastError = BASS_ERROR_INIT;
        return failed;
    }
    library.engine->clearError();
    R result = f(*library.engine);
    lastError = library.engine->error();
    return result;
}

// Index 0 is the system's default output and index 1 the silent clock, whatever devices exist, so
// that a stored device number keeps its meaning when devices come and go: 0 has always meant "the
// first (default) device" to the settings, and a new user gets sound.
constexpr int kDefaultDevice = 0;
constexpr int kNoSoundDevice = BASS_DEVICE_NOSOUND;

void refreshDevices()
{
    library.devices.clear();
    library.devices.emplace_back("Default");
    library.devices.emplace_back("No sound");
    if (!Engine::initSdlAudio())
        return;
    const int count = SDL_GetNumAudioDevices(0);
    for (int i = 0; i < count; ++i) {
        const char *name = SDL_GetAudioDeviceName(i, 0);
        library.devices.emplace_back(name ? name : "");
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool initWith(OutputKind kind, const std::string *deviceName, DWORD freq)
{
    if (library.engine) {
        lastError = BASS_ERROR_ALREADY;
        return false;
    }
    auto engine = std::make_unique<Engine>();
    engine->setBufferLength(library.bufferSeconds);
    if (!engine->init(kind, deviceName ? deviceName->c_str() : nullptr, static_cast<int>(freq))) {
        lastError = engine->error();
        return false;
    }
    library.engine = std::move(engine);
    lastError = BASS_OK;
    return true;
}

} // namespace

extern "C" {

DWORD BASS_GetVersion(void)
{
    return 0x00080001;
}

int BASS_ErrorGetCode(void)
{
    return lastError;
}

const char *BASS_GetDeviceDescription(int device)
{
    std::lock_guard lock(library.callLock);
    if (device == 0 || library.devices.empty())
        refreshDevices();
    if (device < 0 || static_cast<std::size_t>(device) >= library.devices.size()) {
        lastError = BASS_ERROR_DEVICE;
        return nullptr;
    }
    lastError = BASS_OK;
    return library.devices[static_cast<std::size_t>(device)].c_str();
}

BOOL BASS_Init(int device, DWORD freq, DWORD, void *)
{
    std::lock_guard lock(library.callLock);
    if (device == -1)
        device = kDefaultDevice;
    if (device == kNoSoundDevice)
        return initWith(OutputKind::NoSound, nullptr, freq);
    refreshDevices();
    if (device < 0 || static_cast<std::size_t>(device) >= library.devices.size()) {
        lastError = library.engine ? BASS_ERROR_ALREADY : BASS_ERROR_DEVICE;
        return FALSE;
    }
    if (device == kDefaultDevice)
        return initWith(OutputKind::Device, nullptr, freq);
    const std::string name = library.devices[static_cast<std::size_t>(device)];
    return initWith(OutputKind::Device, &name, freq);
}

BOOL BASSX_InitManual(DWORD freq)
{
    std::lock_guard lock(library.callLock);
    return initWith(OutputKind::Manual, nullptr, freq);
}

DWORD BASSX_Render(float *stereoOut, DWORD frames)
{
    return call([&](Engine &e) { return e.render(stereoOut, frames); }, DWORD{0});
}

BOOL BASS_Start(void)
{
    return call([](Engine &e) { return BOOL{e.start()}; }, BOOL{FALSE});
}

BOOL BASS_Pause(void)
{
    return call([](Engine &e) { return BOOL{e.pause()}; }, BOOL{FALSE});
}

void BASS_Free(void)
{
    std::unique_ptr<Engine> engine;
    {
        std::lock_guard lock(library.callLock);
        engine = std::move(library.engine);
        lastError = engine ? BASS_OK : BASS_ERROR_INIT;
    }
    engine.reset();
}

float BASS_SetBufferLength(float seconds)
{
    std::lock_guard lock(library.callLock);
    lastError = BASS_OK;
    library.bufferSeconds = library.engine ? library.engine->setBufferLength(seconds) : Engine::clampBufferLength(seconds);
    return library.bufferSeconds;
}

void BASS_GetInfo(BASS_INFO *info)
{
    call([&](Engine &e) { e.getInfo(info); return 0; }, 0);
}

int BASS_GetVolume(void)
{
    return call([](Engine &e) { return e.volume(); }, -1);
}

BOOL BASS_SetVolume(DWORD volume)
{
    return call([&](Engine &e) { return BOOL{e.setVolume(volume)}; }, BOOL{FALSE});
}

BOOL BASS_IsOutputLost(void)
{
    return call([](Engine &e) { return BOOL{e.outputLost()}; }, BOOL{FALSE});
}

HMUSIC BASS_MusicLoad(BOOL mem, const void *file, DWORD, DWORD, DWORD flags)
{
    return call([&](Engine &e) -> HMUSIC {
        if (mem) {
            e.setError(BASS_ERROR_ILLPARAM); // loading from memory is not offered; callers pass paths
            return 0;
        }
        return e.musicLoad(static_cast<const char *>(file), flags);
    }, HMUSIC{0});
}

void BASS_MusicFree(HMUSIC handle)
{
    call([&](Engine &e) { return e.musicFree(handle); }, false);
}

DWORD BASS_MusicGetLength(HMUSIC handle, BOOL playlen)
{
    return call([&](Engine &e) { return e.musicGetLength(handle, playlen != FALSE); }, static_cast<DWORD>(-1));
}

BOOL BASS_MusicPlayEx(HMUSIC handle, DWORD pos, int flags, BOOL reset)
{
    return call([&](Engine &e) { return BOOL{e.musicPlayEx(handle, pos, flags, reset != FALSE)}; }, BOOL{FALSE});
}

BOOL BASS_MusicSetAmplify(HMUSIC handle, DWORD amp)
{
    return call([&](Engine &e) { return BOOL{e.musicSetAmplify(handle, amp)}; }, BOOL{FALSE});
}

BOOL BASS_MusicSetPanSep(HMUSIC handle, DWORD pan)
{
    return call([&](Engine &e) { return BOOL{e.musicSetPanSep(handle, pan)}; }, BOOL{FALSE});
}

HSTREAM BASS_StreamCreate(DWORD freq, DWORD flags, STREAMPROC *proc, void *user)
{
    return call([&](Engine &e) { return e.streamCreate(freq, flags, proc, user); }, HSTREAM{0});
}

HSTREAM BASS_StreamCreateFile(BOOL mem, const void *file, DWORD, DWORD, DWORD flags)
{
    return call([&](Engine &e) -> HSTREAM {
        if (mem) {
            e.setError(BASS_ERROR_ILLPARAM);
            return 0;
        }
        return e.streamCreateFile(static_cast<const char *>(file), flags);
    }, HSTREAM{0});
}

void BASS_StreamFree(HSTREAM handle)
{
    call([&](Engine &e) { return e.streamFree(handle); }, false);
}

BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags)
{
    return call([&](Engine &e) { return BOOL{e.streamPlay(handle, flush != FALSE, flags)}; }, BOOL{FALSE});
}

BOOL BASS_ChannelStop(DWORD handle)
{
    return call([&](Engine &e) { return BOOL{e.channelStop(handle)}; }, BOOL{FALSE});
}

DWORD BASS_ChannelIsActive(DWORD handle)
{
    return call([&](Engine &e) { return e.channelIsActive(handle); }, DWORD{BASS_ACTIVE_STOPPED});
}

DWORD BASS_ChannelGetLevel(DWORD handle)
{
    return call([&](Engine &e) { return e.channelGetLevel(handle); }, static_cast<DWORD>(-1));
}

DWORD BASS_ChannelGetData(DWORD handle, void *buffer, DWORD length)
{
    return call([&](Engine &e) { return e.channelGetData(handle, buffer, length); }, static_cast<DWORD>(-1));
}

BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan)
{
    return call([&](Engine &e) { return BOOL{e.channelSetAttributes(handle, freq, volume, pan)}; }, BOOL{FALSE});
}

QWORD BASS_ChannelGetPosition(DWORD handle)
{
    return call([&](Engine &e) { return e.channelGetPosition(handle); }, static_cast<QWORD>(-1));
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos)
{
    return call([&](Engine &e) { return BOOL{e.channelSetPosition(handle, pos)}; }, BOOL{FALSE});
}

QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float seconds)
{
    return call([&](Engine &e) { return e.channelSeconds2Bytes(handle, seconds); }, static_cast<QWORD>(-1));
}

float BASS_ChannelBytes2Seconds(DWORD handle, QWORD bytes)
{
    return call([&](Engine &e) { return e.channelBytes2Seconds(handle, bytes); }, -1.0f);
}

HFX BASS_ChannelSetFX(DWORD handle, DWORD type)
{
    return call([&](Engine &e) { return e.channelSetFX(handle, type); }, HFX{0});
}

BOOL BASS_ChannelRemoveFX(DWORD handle, HFX fx)
{
    return call([&](Engine &e) { return BOOL{e.channelRemoveFX(handle, fx)}; }, BOOL{FALSE});
}

BOOL BASS_FXSetParameters(HFX handle, const void *params)
{
    return call([&](Engine &e) { return BOOL{e.fxSetParameters(handle, params)}; }, BOOL{FALSE});
}

BOOL BASS_FXGetParameters(HFX handle, void *params)
{
    return call([&](Engine &e) { return BOOL{e.fxGetParameters(handle, params)}; }, BOOL{FALSE});
}

} // extern "C"
