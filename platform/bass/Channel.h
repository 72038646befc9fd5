#pragma once
// One playing thing of the library: a music channel, a file stream or a user stream. It pulls float
// frames from its AudioSource, converts them to the output rate and keeps them in a ring for the
// mixer; the mixer applies its equalizer bands, volume and pan, and keeps a history of what it mixed
// so that levels, samples, spectra and module positions describe what is heard, not what was decoded.
// The ring is refilled in large steps: fill() tops it up to the fill target, and the mixer asks for
// the next fill only once it has played it down to half of that (mix() returns true once per drop).
//
// Threads and locks:
//  - caller's thread (under the library's call lock): construction, play/stop, attributes, effects,
//    reposition(), markFreed(), and all the readers (active, heard data, position).
//  - update thread: fill(), under the channel's decode lock; the only caller of AudioSource::read
//    (and so of a STREAMPROC).
//  - mixer (device callback, no-sound clock or manual render): mix(); takes no lock and allocates
//    nothing; shares only atomics, the ring and the history with the others.
// Lock order: library call lock -> engine table lock -> channel decode lock.

#include "platform/bass/AudioSource.h"
#include "platform/bass/EqualizerBand.h"
#include "platform/bass/FrameRing.h"
#include "platform/bass/MixSequence.h"
#include "platform/bass/Resampler.h"
#include "platform/bass/WakeSignal.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <vector>

namespace melvane::bass {

enum class ChannelKind { Music, FileStream, UserStream };

class Channel {
public:
    static constexpr std::size_t kMixBlock = 1024;
    static constexpr std::size_t kHistoryFrames = 16384;
    static_assert((kHistoryFrames & (kHistoryFrames - 1)) == 0, "the history index wraps with a mask");
    static constexpr std::size_t kMaxBands = 16;
    static constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();

    // `module` is the same object as `source` for music channels, else null. `bufferFrames` sizes the
    // ring (at least two mixing blocks are kept).
    Channel(ChannelKind kind, std::unique_ptr<AudioSource> source, ModuleSource *module, int outputRate,
            std::size_t bufferFrames, bool floatData, MixSequence &mix);

    bool valid() const { return m_resampler && m_resampler->valid(); }
    ChannelKind kind() const { return m_kind; }
    int dataChannels() const { return m_dataChannels; }
    int bytesPerSample() const { return m_floatData ? 4 : 2; }
    bool floatData() const { return m_floatData; }
    int sourceRate() const { return m_sourceRate; }
    std::size_t fillTarget() const { return m_fillTarget; }

    // Update thread.
    void fill(std::size_t targetFrames);
    // Whether a render of `frames` frames can go ahead without waiting for fill().
    bool readyFor(std::size_t frames) const;

    // Mixer: adds at most kMixBlock frames of this channel to `out`; `outputFrame` is the output's
    // frame count at the start of the block. Returns true when the ring has just fallen low enough
    // that the update thread should fill it.
    bool mix(float *out, std::size_t frames, std::uint64_t outputFrame);

    // Caller's thread.
    void play();
    void stop();
    bool playing() const { return m_playing.load(std::memory_order_acquire); }
    // The signal of the thread that fills this channel alone (a user stream), or null when the update
    // thread fills it with the others. Set once, before the channel can play.
    void setOwnFiller(WakeSignal *signal) { m_ownFiller.store(signal, std::memory_order_release); }
    WakeSignal *ownFiller() const { return m_ownFiller.load(std::memory_order_acquire); }
    bool ended(std::uint64_t heardOutputFrame) const;
    bool sourceEnded() const { return m_sourceEnded.load(std::memory_order_acquire); }
    void setVolume(int volume) { m_volume.store(volume / 100.0f, std::memory_order_release); }
    void setPan(int pan) { m_pan.store(pan / 100.0f, std::memory_order_release); }
    // Plays the source at `rate` Hz from now on (the rate of what is already buffered stays).
    bool setRate(int rate);
    // Asks the update thread to seek the source to `frame` at its next fill (a seek may take long: a
    // GSM file is decoded from its start). Until then nothing of this channel is mixed and its
    // position reads as `frame`. A frame past the source's end, or a failed seek, ends the channel.
    void requestSeek(std::uint64_t frame);
    // The source's length in frames as the last fill found it; 0 before the first fill or when unknown.
    std::uint64_t knownLength() const { return m_knownLength.load(std::memory_order_acquire); }
    // Runs `reposition(source)` under the decode lock; when it succeeds, buffered audio is thrown away
    // so that what is heard next starts at the new place.
    template <class F>
    bool reposition(F &&reposition, std::uint64_t newSourceFrame, std::uint32_t newOrderRow)
    {
        std::lock_guard lock(m_decodeMutex);
        if (!reposition(*m_source))
            return false;
        flushLocked(newSourceFrame, newOrderRow);
        return true;
    }
    template <class F>
    void withSource(F &&f)
    {
        std::lock_guard lock(m_decodeMutex);
        f(*m_source);
    }
    // After this returns fill() never touches the source again.
    void markFreed();

    // Output-rate frames of this channel heard so far (since start or the last reposition).
    std::uint64_t heardFrames(std::uint64_t latencyFrames) const;
    // Source position heard now, in source frames.
    std::uint64_t heardSourceFrame(std::uint64_t latencyFrames, int outputRate) const;
    // Module order (low 16 bits) and row (high 16 bits) heard now.
    std::uint32_t heardOrderRow(std::uint64_t latencyFrames) const;
    // Copies the `frames` stereo frames mixed just before output frame `endFrame`.
    void copyHeard(float *stereo, std::size_t frames, std::uint64_t endFrame) const;

    EqualizerBand &band(std::size_t i) { return m_bands[i]; }
    // Caller-side bookkeeping of which bands are in use.
    int claimBand();
    void releaseBand(int i);

private:
    struct Mark {
        std::atomic<std::uint64_t> frame{0};
        std::atomic<std::uint32_t> orderRow{0};
    };
    static constexpr std::size_t kMarks = 512;

    void seekPendingLocked();
    void flushLocked(std::uint64_t newSourceFrame, std::uint32_t newOrderRow);
    // False when the source has nothing now but may have more later (see AudioSource::waiting).
    bool produceChunk();
    void recordHistory(const float *block, std::size_t frames, std::uint64_t outputFrame);
    void push(const float *frames, std::size_t count);
    std::size_t inputChunkFor(int rate) const;

    const ChannelKind m_kind;
    std::unique_ptr<AudioSource> m_source;
    ModuleSource *m_module;
    const int m_outputRate;
    const int m_sourceRate;
    const int m_dataChannels;
    const bool m_floatData;
    MixSequence &m_mix;

    std::mutex m_decodeMutex;
    // Guarded by m_decodeMutex.
    std::unique_ptr<Resampler> m_resampler;
    std::size_t m_inputChunk = 0;
    std::vector<float> m_sourceBuffer;
    std::vector<float> m_stereoBuffer;
    std::uint64_t m_produced = 0;
    bool m_freed = false;

    FrameRing m_ring;
    std::size_t m_fillTarget;
    std::atomic<bool> m_playing{false};
    std::atomic<bool> m_suspended{false};
    std::atomic<std::uint64_t> m_pendingSeek{kNever};
    std::atomic<bool> m_seeking{false}; // a pending seek is being carried out
    std::atomic<WakeSignal *> m_ownFiller{nullptr};
    std::atomic<std::uint64_t> m_knownLength{0};
    std::atomic<bool> m_sourceEnded{false};
    std::atomic<bool> m_sourceWaiting{false}; // update thread: the last read found nothing yet
    std::atomic<bool> m_starvedOut{false};    // mixer: a waiting source was heard out; it has ended
    std::atomic<std::uint64_t> m_drainedAt{kNever};
    std::atomic<std::uint64_t> m_played{0};
    std::atomic<std::uint64_t> m_sourceBase{0};
    std::atomic<std::uint32_t> m_startOrderRow{0};
    std::atomic<float> m_volume{1.0f};
    std::atomic<float> m_pan{0.0f};
    // Set by the mixer when it asks for a fill, cleared by fill() once the ring is topped up, so one
    // drop below the low-water mark wakes the update thread once.
    std::atomic<bool> m_refillRequested{false};
    std::atomic<std::size_t> m_lowWater{0};

    std::array<Mark, kMarks> m_marks;
    std::atomic<std::uint64_t> m_markCount{0};

    std::array<EqualizerBand, kMaxBands> m_bands;
    std::array<bool, kMaxBands> m_bandUsed{};

    // Mixer-owned. The history holds one frame per word (left sample in the low half, as in memory)
    // so that recording it costs one store per frame.
    std::vector<float> m_mixBuffer;
    std::unique_ptr<std::atomic<std::uint64_t>[]> m_history;
    std::size_t m_silentRun = 0; // frames of silence recorded since the last sound
};

} // namespace melvane::bass
