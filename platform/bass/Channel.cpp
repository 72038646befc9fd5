#include "platform/bass/Channel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace melvane::bass {

namespace {
constexpr std::size_t kMaxInputChunk = 4096;
// Far beyond full scale, yet small enough that sixteen bands at their highest gain stay finite.
constexpr float kLargestSample = 1000.0f;

// Non-finite samples become silence and absurd ones are bounded before anything stores them: in the
// equalizer's filter state either would turn the rest of the stream into NaN.
void CleanSamples(float *samples, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const float v = samples[i];
        samples[i] = std::isfinite(v) ? std::clamp(v, -kLargestSample, kLargestSample) : 0.0f;
    }
}

void AddWithGains(float *__restrict out, const float *__restrict block, std::size_t frames, float left, float right)
{
    // Fixed groups of four frames so that the compiler turns each group into vector instructions.
    const float gains[8] = {left, right, left, right, left, right, left, right};
    std::size_t i = 0;
    for (; i + 4 <= frames; i += 4)
        for (std::size_t j = 0; j < 8; ++j)
            out[i * 2 + j] += block[i * 2 + j] * gains[j];
    for (; i < frames; ++i) {
        out[i * 2] += block[i * 2] * left;
        out[i * 2 + 1] += block[i * 2 + 1] * right;
    }
}
} // namespace

Channel::Channel(ChannelKind kind, std::unique_ptr<AudioSource> source, ModuleSource *module, int outputRate,
                 std::size_t bufferFrames, bool floatData, MixSequence &mix)
    : m_kind(kind), m_source(std::move(source)), m_module(module), m_outputRate(outputRate),
      m_sourceRate(m_source->sampleRate()), m_dataChannels(m_source->channels() == 1 ? 1 : 2), m_floatData(floatData),
      m_mix(mix), m_sourceBuffer(kMaxInputChunk * 2),
      m_ring(std::max(bufferFrames, 2 * kMixBlock) + 3 * kMixBlock + 8192),
      m_fillTarget(std::max(bufferFrames, 2 * kMixBlock)), m_mixBuffer(kMixBlock * 2),
      m_history(new std::atomic<std::uint64_t>[kHistoryFrames])
{
    for (std::size_t i = 0; i < kHistoryFrames; ++i)
        m_history[i].store(0, std::memory_order_relaxed);
    setRate(m_sourceRate);
}

std::size_t Channel::inputChunkFor(int rate) const
{
    // About one mixing block of output per chunk, whatever the rate.
    const double frames = static_cast<double>(kMixBlock) * rate / m_outputRate;
    return std::clamp<std::size_t>(static_cast<std::size_t>(frames), 1, kMaxInputChunk);
}

bool Channel::setRate(int rate)
{
    std::lock_guard lock(m_decodeMutex);
    const std::size_t chunk = inputChunkFor(rate);
    auto resampler = std::make_unique<Resampler>(rate, m_outputRate, m_dataChannels, chunk);
    if (!resampler->valid() || resampler->maxOutputFrames() + kMixBlock > m_ring.capacity())
        return false;
    m_resampler = std::move(resampler);
    m_inputChunk = chunk;
    m_stereoBuffer.assign(m_resampler->maxOutputFrames() * 2, 0.0f);
    return true;
}

void Channel::requestSeek(std::uint64_t frame)
{
    m_suspended.store(true, std::memory_order_seq_cst);
    m_mix.waitForPass();
    m_sourceBase.store(frame, std::memory_order_release);
    m_played.store(0, std::memory_order_release);
    m_drainedAt.store(kNever, std::memory_order_release);
    m_pendingSeek.store(frame, std::memory_order_release);
}

void Channel::seekPendingLocked()
{
    if (m_pendingSeek.load(std::memory_order_acquire) == kNever)
        return;
    // Until the flush is done the channel must not look ready to a manual render, which would
    // otherwise mix the silence of a suspended channel in place of the new position.
    m_seeking.store(true, std::memory_order_seq_cst);
    const std::uint64_t frame = m_pendingSeek.exchange(kNever, std::memory_order_acq_rel);
    if (frame == kNever || m_freed) {
        m_seeking.store(false, std::memory_order_seq_cst);
        return;
    }
    const std::uint64_t length = m_source->lengthFrames();
    const bool moved = (length == 0 || frame <= length) && m_source->seek(frame);
    flushLocked(frame, 0);
    if (!moved) {
        m_sourceEnded.store(true, std::memory_order_release);
        m_drainedAt.store(0, std::memory_order_release);
    }
    m_seeking.store(false, std::memory_order_seq_cst);
}

void Channel::fill(std::size_t targetFrames)
{
    std::lock_guard lock(m_decodeMutex);
    seekPendingLocked();
    if (!m_freed)
        m_knownLength.store(m_source->lengthFrames(), std::memory_order_release);
    const std::size_t target = std::min(targetFrames, m_fillTarget);
    m_lowWater.store(target / 2, std::memory_order_relaxed);
    if (m_starvedOut.load(std::memory_order_acquire))
        m_sourceEnded.store(true, std::memory_order_release); // everything was heard before more came
    if (!m_freed && m_playing.load(std::memory_order_acquire) && !m_sourceEnded.load(std::memory_order_acquire)) {
        const std::size_t room = m_resampler->maxOutputFrames();
        while (!m_sourceEnded.load(std::memory_order_relaxed) && m_ring.available() < target && m_ring.space() >= room)
            if (!produceChunk())
                break;
    }
    m_refillRequested.store(false, std::memory_order_release);
}

bool Channel::produceChunk()
{
    const std::uint64_t before = m_produced;
    const std::size_t got = m_source->read(m_sourceBuffer.data(), m_inputChunk);
    const float *out = nullptr;
    if (got > 0) {
        CleanSamples(m_sourceBuffer.data(), std::min(got, m_inputChunk) * static_cast<std::size_t>(m_dataChannels));
        const std::size_t converted = m_resampler->process(m_sourceBuffer.data(), std::min(got, m_inputChunk), out);
        push(out, converted);
    }
    if (m_module) {
        const auto order = static_cast<std::uint32_t>(std::clamp(m_module->currentOrder(), 0, 0xFFFF));
        const auto row = static_cast<std::uint32_t>(std::clamp(m_module->currentRow(), 0, 0xFFFF));
        const std::uint64_t n = m_markCount.load(std::memory_order_relaxed);
        m_marks[n % kMarks].frame.store(before, std::memory_order_relaxed);
        m_marks[n % kMarks].orderRow.store(order | (row << 16), std::memory_order_relaxed);
        m_markCount.store(n + 1, std::memory_order_release);
    }
    const bool waiting = got < m_inputChunk && m_source->waiting();
    m_sourceWaiting.store(waiting, std::memory_order_release);
    if (waiting)
        return false;
    if (got < m_inputChunk) {
        for (std::size_t n; (n = m_resampler->drain(out)) > 0 && m_ring.space() > 0;)
            push(out, n);
        m_sourceEnded.store(true, std::memory_order_release);
    }
    return true;
}

void Channel::push(const float *frames, std::size_t count)
{
    const float *stereo = frames;
    if (m_dataChannels == 1) {
        count = std::min(count, m_stereoBuffer.size() / 2);
        for (std::size_t i = 0; i < count; ++i)
            m_stereoBuffer[i * 2] = m_stereoBuffer[i * 2 + 1] = frames[i];
        stereo = m_stereoBuffer.data();
    }
    m_produced += m_ring.write(stereo, count);
}

bool Channel::readyFor(std::size_t frames) const
{
    if (m_pendingSeek.load(std::memory_order_acquire) != kNever || m_seeking.load(std::memory_order_seq_cst))
        return false;
    return !m_playing.load(std::memory_order_acquire) || m_suspended.load(std::memory_order_acquire) ||
           m_sourceEnded.load(std::memory_order_acquire) || m_sourceWaiting.load(std::memory_order_acquire) ||
           m_ring.available() >= std::min(frames, m_fillTarget);
}

bool Channel::mix(float *out, std::size_t frames, std::uint64_t outputFrame)
{
    const bool live = !m_suspended.load(std::memory_order_seq_cst) && m_playing.load(std::memory_order_acquire);
    // A channel that is not sounding has nothing to add; once its whole history is silence there is
    // nothing to record either.
    if (!live && m_silentRun >= kHistoryFrames)
        return false;
    float *block = m_mixBuffer.data();
    std::size_t got = 0;
    bool refill = false;
    if (live) {
        got = m_ring.read(block, frames);
        if (m_sourceEnded.load(std::memory_order_acquire)) {
            // The source's last frame has just gone out: the channel ends when that frame is heard.
            if (m_ring.available() == 0 && m_drainedAt.load(std::memory_order_relaxed) == kNever)
                m_drainedAt.store(outputFrame + got, std::memory_order_release);
        } else if (m_sourceWaiting.load(std::memory_order_acquire) && m_ring.available() == 0 &&
                   m_drainedAt.load(std::memory_order_relaxed) == kNever) {
            // A source waiting for more has been heard out: the channel ends as if it had ended.
            m_drainedAt.store(outputFrame + got, std::memory_order_release);
            m_starvedOut.store(true, std::memory_order_release);
        } else if (m_ring.available() < m_lowWater.load(std::memory_order_relaxed)) {
            refill = !m_refillRequested.exchange(true, std::memory_order_acq_rel);
        }
    }
    std::fill(block + got * 2, block + frames * 2, 0.0f);
    if (live) {
        PeakingEq *filters[kMaxBands];
        std::size_t active = 0;
        for (EqualizerBand &b : m_bands)
            if (PeakingEq *f = b.prepare())
                filters[active++] = f;
        if (active > 0)
            PeakingEq::processCascade(filters, active, block, frames);
        m_played.fetch_add(got, std::memory_order_acq_rel);
        const float volume = m_volume.load(std::memory_order_relaxed);
        const float pan = m_pan.load(std::memory_order_relaxed);
        const float left = volume * (pan > 0 ? 1.0f - pan : 1.0f);
        const float right = volume * (pan < 0 ? 1.0f + pan : 1.0f);
        AddWithGains(out, block, frames, left, right);
        m_silentRun = 0;
    } else {
        m_silentRun += frames;
    }
    recordHistory(block, frames, outputFrame);
    return refill;
}

void Channel::recordHistory(const float *block, std::size_t frames, std::uint64_t outputFrame)
{
    std::size_t at = static_cast<std::size_t>(outputFrame) & (kHistoryFrames - 1);
    for (std::size_t i = 0; i < frames; ++i) {
        std::uint64_t frame;
        std::memcpy(&frame, block + i * 2, sizeof frame);
        m_history[at].store(frame, std::memory_order_relaxed);
        at = (at + 1) & (kHistoryFrames - 1);
    }
}

void Channel::play()
{
    m_playing.store(true, std::memory_order_release);
}

void Channel::stop()
{
    m_playing.store(false, std::memory_order_release);
}

bool Channel::ended(std::uint64_t heardOutputFrame) const
{
    const std::uint64_t drained = m_drainedAt.load(std::memory_order_acquire);
    return drained != kNever && heardOutputFrame >= drained;
}

void Channel::flushLocked(std::uint64_t newSourceFrame, std::uint32_t newOrderRow)
{
    m_suspended.store(true, std::memory_order_seq_cst);
    m_mix.waitForPass();
    m_ring.reset();
    m_resampler->reset();
    m_produced = 0;
    m_played.store(0, std::memory_order_release);
    m_markCount.store(0, std::memory_order_release);
    m_sourceBase.store(newSourceFrame, std::memory_order_release);
    m_startOrderRow.store(newOrderRow, std::memory_order_release);
    m_sourceEnded.store(false, std::memory_order_release);
    m_sourceWaiting.store(false, std::memory_order_release);
    m_starvedOut.store(false, std::memory_order_release);
    m_drainedAt.store(kNever, std::memory_order_release);
    m_refillRequested.store(false, std::memory_order_release);
    // A seek asked for meanwhile keeps the channel silent until the next fill has made it.
    m_suspended.store(m_pendingSeek.load(std::memory_order_acquire) != kNever, std::memory_order_seq_cst);
}

void Channel::markFreed()
{
    std::lock_guard lock(m_decodeMutex);
    m_freed = true;
}

std::uint64_t Channel::heardFrames(std::uint64_t latencyFrames) const
{
    const std::uint64_t played = m_played.load(std::memory_order_acquire);
    return played > latencyFrames ? played - latencyFrames : 0;
}

std::uint64_t Channel::heardSourceFrame(std::uint64_t latencyFrames, int outputRate) const
{
    const double frames = static_cast<double>(heardFrames(latencyFrames)) * m_sourceRate / outputRate;
    return m_sourceBase.load(std::memory_order_acquire) + static_cast<std::uint64_t>(std::llround(frames));
}

std::uint32_t Channel::heardOrderRow(std::uint64_t latencyFrames) const
{
    const std::uint64_t heard = heardFrames(latencyFrames);
    const std::uint64_t count = m_markCount.load(std::memory_order_acquire);
    const std::uint64_t oldest = count > kMarks ? count - kMarks : 0;
    for (std::uint64_t i = count; i > oldest; --i) {
        const Mark &m = m_marks[(i - 1) % kMarks];
        if (m.frame.load(std::memory_order_relaxed) <= heard)
            return m.orderRow.load(std::memory_order_relaxed);
    }
    return m_startOrderRow.load(std::memory_order_acquire);
}

void Channel::copyHeard(float *stereo, std::size_t frames, std::uint64_t endFrame) const
{
    frames = std::min(frames, kHistoryFrames / 2);
    for (std::size_t i = 0; i < frames; ++i) {
        const std::uint64_t frame = endFrame - frames + i;
        if (endFrame < frames - i) {
            stereo[i * 2] = stereo[i * 2 + 1] = 0.0f;
            continue;
        }
        const std::uint64_t bits = m_history[static_cast<std::size_t>(frame) & (kHistoryFrames - 1)].load(std::memory_order_relaxed);
        std::memcpy(stereo + i * 2, &bits, sizeof bits);
    }
}

int Channel::claimBand()
{
    for (std::size_t i = 0; i < kMaxBands; ++i) {
        if (!m_bandUsed[i]) {
            m_bandUsed[i] = true;
            m_bands[i].enable();
            return static_cast<int>(i);
        }
    }
    return -1;
}

void Channel::releaseBand(int i)
{
    m_bands[static_cast<std::size_t>(i)].disable();
    m_bandUsed[static_cast<std::size_t>(i)] = false;
}

} // namespace melvane::bass
