#pragma once
// The library's state between BASS_Init and BASS_Free: the output (an SDL device, a no-sound clock or
// the manual render path), the channels and their handles, the update thread and the mixer.
//
// Threads and locks:
//  - caller's thread: every public method except mix(), always under the library's call lock (held
//    by the C interface), so callers are serialised. A method that fails records a BASS_ERROR_* code
//    that error() returns until the next call.
//  - filler threads (one per user stream, for its lifetime): a stream procedure may block (a slow
//    disk or drive), so each user stream is filled by a thread of its own, woken like the update
//    thread, and a procedure that blocks holds up only its own channel. Freeing the stream still waits
//    for a procedure under way: its caller may free what the procedure uses once the free returns.
//  - update thread (one, started in init()): sleeps on m_wakeSignal and, when woken, fills every
//    other playing channel's ring up to the buffer length in one go; takes m_tableMutex only to copy the
//    channel list, then each channel's decode lock. It is woken by the caller (play, position, buffer
//    length, a render that would have to wait) and by the mixer when a channel's ring has fallen to
//    half the buffer length, so during playback it wakes a few times a second and decodes large
//    chunks instead of polling. A long safety period wakes it anyway.
//  - mixer: mix() from the SDL device callback or the no-sound clock thread, or render() on the
//    caller's thread for the manual output. The mixer takes no lock and allocates nothing (its only
//    call out is WakeSignal::post, a semaphore post); it reaches the channels through m_mixSlots, and a
//    channel leaves only after MixSequence says the mixer has let go of it.
// Lock order: library call lock -> m_tableMutex -> channel decode lock; m_fillMutex is a leaf.

#include "platform/bass/AudioSource.h"
#include "platform/bass/Channel.h"
#include "platform/bass/HandleTable.h"
#include "platform/bass/MixSequence.h"
#include "platform/bass/SpectrumAnalyser.h"
#include "platform/bass/WakeSignal.h"
#include "platform/bass/bass.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace melvane::bass {

enum class OutputKind { Manual, NoSound, Device };

class Engine {
public:
    static constexpr std::size_t kMaxChannels = 256;
    static constexpr std::size_t kMaxEffects = 4096;
    static constexpr int kClockPeriodMs = 40; // the no-sound clock's mixing period
    // Modules are rendered at most this far ahead of what is heard, whatever the buffer length, so
    // that a change of amplification, panning or flags is heard at once.
    static constexpr double kMusicAheadSeconds = 0.25;

    Engine();
    ~Engine();
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    int error() const { return m_error; }
    void clearError() { m_error = BASS_OK; }
    void setError(int code) { m_error = code; }

    // `deviceName` is SDL's device name, or null for the system default (Device output only).
    bool init(OutputKind kind, const char *deviceName, int freq);
    bool start();
    bool pause();
    float setBufferLength(float seconds);
    // The buffer length the library uses for `seconds`: 0.1 to 5 seconds.
    static float clampBufferLength(float seconds);
    // SDL's audio subsystem without its signal handlers: the program decides what SIGTERM, SIGINT
    // and SIGHUP do (SDL's only queue an event that nobody reads). True when SDL audio is up.
    static bool initSdlAudio();
    void getInfo(BASS_INFO *info) const;
    int volume() const;
    bool setVolume(DWORD volume);
    int outputRate() const { return m_outputRate; }
    bool outputLost() const { return m_deviceLost.load(std::memory_order_acquire); }
    static constexpr int kFirstReopenMs = 500;
    static constexpr int kLongestReopenMs = 30000;

    HMUSIC musicLoad(const char *path, DWORD flags);
    bool musicFree(HMUSIC handle);
    DWORD musicGetLength(HMUSIC handle, bool playLength);
    bool musicPlayEx(HMUSIC handle, DWORD order, int flags, bool reset);
    bool musicSetAmplify(HMUSIC handle, DWORD amplify);
    bool musicSetPanSep(HMUSIC handle, DWORD separation);

    HSTREAM streamCreate(DWORD freq, DWORD flags, STREAMPROC *proc, void *user);
    HSTREAM streamCreateFile(const char *path, DWORD flags);
    bool streamFree(HSTREAM handle);
    bool streamPlay(HSTREAM handle, bool flush, DWORD flags);

    bool channelStop(DWORD handle);
    DWORD channelIsActive(DWORD handle);
    DWORD channelGetLevel(DWORD handle);
    DWORD channelGetData(DWORD handle, void *buffer, DWORD length);
    bool channelSetAttributes(DWORD handle, int freq, int volume, int pan);
    QWORD channelGetPosition(DWORD handle);
    bool channelSetPosition(DWORD handle, QWORD pos);
    QWORD channelSeconds2Bytes(DWORD handle, float seconds);
    float channelBytes2Seconds(DWORD handle, QWORD bytes);
    HFX channelSetFX(DWORD handle, DWORD type);
    bool channelRemoveFX(DWORD handle, HFX fx);
    bool fxSetParameters(HFX fx, const void *params);
    bool fxGetParameters(HFX fx, void *params);

    DWORD render(float *stereoOut, DWORD frames);

    // Mixer entry: `frames` stereo frames into `out`.
    void mix(float *out, std::size_t frames);

private:
    struct Effect {
        DWORD channel = 0;
        int band = -1;
        BASS_FXPARAMEQ params{0, 12, 0};
    };

    template <class T>
    T fail(int code, T result)
    {
        m_error = code;
        return result;
    }
    bool ready();
    std::shared_ptr<Channel> find(DWORD handle, bool musicOnly = false, bool streamOnly = false);
    DWORD addChannel(std::shared_ptr<Channel> channel);
    bool freeChannel(DWORD handle, bool music);
    std::size_t bufferFrames() const;
    std::uint64_t heardEnd() const;
    std::uint64_t latency() const { return m_latencyFrames.load(); }
    void mixBlock(float *out, std::size_t frames);
    void waitUntilFilled(std::size_t frames);
    void wakeUpdate();
    bool anyChannelPlaying() const;
    // The output goes idle (device paused, clock asleep) after a second in which no channel played,
    // and comes back as soon as one plays: nothing wakes while nothing sounds.
    void resumeOutput();
    bool openDevice();
    // Under m_outputMutex: runs (reopening it if it was closed) or pauses the SDL device.
    void runDevice(bool run);
    void idleOutputIfSilent();
    // Under m_outputMutex: a running device that SDL reports stopped (lost) is closed, and a lost one
    // is opened again when its back-off has passed.
    void recoverLostDevice();
    void updateLoop();
    struct Filler {
        WakeSignal wake;
        std::atomic<bool> stop{false};
        std::thread thread;
    };
    void fillerLoop(const std::shared_ptr<Channel> &channel, Filler &filler);
    void clockLoop();
    static void deviceCallback(void *engine, unsigned char *stream, int length);

    int m_error = BASS_OK;
    OutputKind m_kind = OutputKind::Manual;
    bool m_initialised = false;
    int m_outputRate = 44100;
    std::atomic<std::uint64_t> m_latencyFrames{0}; // written again when the device reopens
    std::uint32_t m_device = 0; // 0 while the output is idle (closed)
    bool m_hasDeviceName = false;
    std::string m_deviceName;
    bool m_sdlAudio = false;
    std::atomic<bool> m_paused{false};
    std::atomic<float> m_masterVolume{1.0f};
    int m_volumePercent = 100;
    std::atomic<double> m_bufferSeconds{0.5};

    std::mutex m_tableMutex;
    HandleTable<std::shared_ptr<Channel>> m_channels{kMaxChannels};
    std::array<std::atomic<Channel *>, kMaxChannels> m_mixSlots{};
    HandleTable<Effect> m_effects{kMaxEffects};

    MixSequence m_mixSequence;
    std::atomic<std::uint64_t> m_mixedFrames{0};

    std::thread m_updateThread;
    std::array<std::shared_ptr<Channel>, kMaxChannels> m_snapshot;
    WakeSignal m_wakeSignal;
    std::atomic<bool> m_stop{false};
    std::mutex m_fillMutex;
    std::condition_variable m_fillCv;
    std::uint64_t m_passesStarted = 0;
    std::uint64_t m_fillPasses = 0; // completed
    std::uint64_t m_ownFills = 0;   // fills completed by the filler threads
    // By slot; created and ended on the caller's thread (under the library's call lock).
    std::array<std::unique_ptr<Filler>, kMaxChannels> m_fillers;

    std::mutex m_outputMutex; // a leaf; guards m_outputIdle and the device's pause state
    std::condition_variable m_outputCv;
    bool m_outputIdle = false;
    std::atomic<bool> m_deviceLost{false};
    int m_reopenDelayMs = kFirstReopenMs;
    std::chrono::steady_clock::time_point m_nextReopen{};
    std::chrono::steady_clock::time_point m_reopenedAt{};
    std::atomic<std::uint64_t> m_lastSoundFrame{0};
    std::atomic<bool> m_silenceReported{false};

    std::thread m_clockThread;
    std::atomic<bool> m_clockStop{false};
    std::vector<float> m_clockBuffer;

    SpectrumAnalyser m_spectrum;
    std::vector<float> m_dataScratch;
};

} // namespace melvane::bass
