#include "platform/bass/Engine.h"

#include "platform/bass/UserStreamSource.h"
#include "platform/bass/sources/SourceFactory.h"

#include <SDL.h>

#include <algorithm>
#include <pthread.h>
#include <chrono>
#include <cmath>
#include <cstring>

namespace melvane::bass {

namespace {
constexpr DWORD kFftFlag = 0x80000000u;
constexpr DWORD kFftIndividual = 0x10u;
constexpr DWORD kDataFloat = 0x40000000u;
constexpr std::size_t kMaxDataFrames = 8192;
constexpr std::size_t kUserChunkFrames = 4096;
constexpr std::uint64_t kEffectsMusicFloat = BASS_MUSIC_FLOAT;

float ScaledAndClipped(float v, float gain)
{
    // Written so that a NaN comes out as silence (every comparison with it is false).
    const float s = v * gain;
    return s >= -1.0f ? (s <= 1.0f ? s : 1.0f) : (s < -1.0f ? -1.0f : 0.0f);
}

void ScaleAndClip(float *__restrict samples, std::size_t count, float gain)
{
    // Fixed groups of eight so that the compiler turns each group into vector instructions.
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8)
        for (std::size_t j = 0; j < 8; ++j)
            samples[i + j] = ScaledAndClipped(samples[i + j], gain);
    for (; i < count; ++i)
        samples[i] = ScaledAndClipped(samples[i], gain);
}
} // namespace

Engine::Engine() : m_dataScratch(kMaxDataFrames * 2)
{
    for (auto &slot : m_mixSlots)
        slot.store(nullptr);
}

Engine::~Engine()
{
    if (m_kind == OutputKind::Device) {
        std::lock_guard lock(m_outputMutex);
        if (m_device != 0)
            SDL_CloseAudioDevice(m_device); // waits for a callback in progress
        m_device = 0;
        m_outputIdle = true; // the update thread, until it ends, leaves the device closed
    }
    if (m_clockThread.joinable()) {
        {
            std::lock_guard lock(m_outputMutex);
            m_clockStop.store(true);
            m_outputCv.notify_all();
        }
        m_clockThread.join();
    }
    if (m_updateThread.joinable()) {
        m_stop.store(true, std::memory_order_release);
        m_wakeSignal.post();
        m_updateThread.join();
    }
    std::vector<std::pair<DWORD, bool>> handles;
    {
        std::lock_guard lock(m_tableMutex);
        m_channels.forEach([&](std::uint32_t h, std::shared_ptr<Channel> &c) {
            handles.emplace_back(h, c->kind() == ChannelKind::Music);
        });
    }
    for (const auto &[handle, music] : handles)
        freeChannel(handle, music);
    if (m_sdlAudio)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool Engine::init(OutputKind kind, const char *deviceName, int freq)
{
    if (freq <= 0)
        freq = 44100;
    if (freq < 1000 || freq > 384000)
        return fail(BASS_ERROR_ILLPARAM, false);
    m_kind = kind;
    m_outputRate = freq;
    if (kind == OutputKind::Device) {
        if (!initSdlAudio())
            return fail(BASS_ERROR_DRIVER, false);
        m_sdlAudio = true;
        m_hasDeviceName = deviceName != nullptr;
        m_deviceName = deviceName ? deviceName : "";
        if (!openDevice())
            return fail(BASS_ERROR_DEVICE, false);
    } else if (kind == OutputKind::NoSound) {
        m_clockBuffer.assign(static_cast<std::size_t>(freq * kClockPeriodMs / 1000 + 1) * 2, 0.0f);
    }
    m_updateThread = std::thread([this] { updateLoop(); });
    if (kind == OutputKind::Device) {
        std::lock_guard lock(m_outputMutex);
        runDevice(true);
    }
    else if (kind == OutputKind::NoSound)
        m_clockThread = std::thread([this] { clockLoop(); });
    m_initialised = true;
    return true;
}

bool Engine::openDevice()
{
    SDL_AudioSpec want{}, have{};
    want.freq = m_outputRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    // About 46 ms a period: the callback wakes some twenty times a second. The heard position
    // allows for this latency, so the displays stay with what is heard.
    want.samples = static_cast<Uint16>(m_outputRate <= 24000 ? 1024 : 2048);
    want.callback = &Engine::deviceCallback;
    want.userdata = this;
    m_device = SDL_OpenAudioDevice(m_hasDeviceName ? m_deviceName.c_str() : nullptr, 0, &want, &have, 0);
    if (m_device == 0)
        return false;
    m_latencyFrames = have.samples;
    return true;
}

void Engine::runDevice(bool run)
{
    if (run && m_device == 0 && (m_deviceLost.load() || !openDevice()))
        return; // tried again at the next play or wake of the update thread (a lost device after its back-off)
    if (m_device != 0)
        SDL_PauseAudioDevice(m_device, run ? 0 : 1);
}

bool Engine::start()
{
    std::lock_guard lock(m_outputMutex);
    m_paused.store(false);
    m_outputIdle = false;
    m_silenceReported.store(false, std::memory_order_release);
    m_lastSoundFrame.store(m_mixedFrames.load(std::memory_order_acquire), std::memory_order_release);
    if (m_kind == OutputKind::Device)
        runDevice(true);
    m_outputCv.notify_all();
    return true;
}

bool Engine::pause()
{
    m_paused.store(true);
    if (m_kind == OutputKind::Device) {
        std::lock_guard lock(m_outputMutex);
        runDevice(false);
    }
    else
        m_mixSequence.waitForPass(); // a mix begun before the pause ends first: positions then hold
    return true;
}

float Engine::clampBufferLength(float seconds)
{
    if (!(seconds >= 0.1f))
        return 0.1f;
    return std::min(seconds, 5.0f);
}

bool Engine::initSdlAudio()
{
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

float Engine::setBufferLength(float seconds)
{
    seconds = clampBufferLength(seconds);
    m_bufferSeconds.store(seconds);
    wakeUpdate();
    return seconds;
}

std::size_t Engine::bufferFrames() const
{
    return static_cast<std::size_t>(m_bufferSeconds.load() * m_outputRate);
}

void Engine::getInfo(BASS_INFO *info) const
{
    if (!info)
        return;
    info->flags = 0;
    info->minrate = 101;
    info->maxrate = 99999;
    info->latency = static_cast<DWORD>(latency() * 1000 / static_cast<std::uint64_t>(m_outputRate));
    info->freq = static_cast<DWORD>(m_outputRate);
    info->speakers = 2;
    // The equalizer works on float channels as well, so report the level that allows it everywhere.
    info->dsver = 9;
}

int Engine::volume() const
{
    return m_volumePercent;
}

bool Engine::setVolume(DWORD volume)
{
    if (volume > 100)
        return fail(BASS_ERROR_ILLPARAM, false);
    m_volumePercent = static_cast<int>(volume);
    m_masterVolume.store(volume / 100.0f);
    return true;
}

std::shared_ptr<Channel> Engine::find(DWORD handle, bool musicOnly, bool streamOnly)
{
    std::lock_guard lock(m_tableMutex);
    auto *found = m_channels.find(handle);
    if (!found || (musicOnly && (*found)->kind() != ChannelKind::Music) ||
        (streamOnly && (*found)->kind() == ChannelKind::Music)) {
        m_error = BASS_ERROR_HANDLE;
        return nullptr;
    }
    return *found;
}

DWORD Engine::addChannel(std::shared_ptr<Channel> channel)
{
    if (!channel->valid())
        return fail(BASS_ERROR_FORMAT, 0u);
    std::lock_guard lock(m_tableMutex);
    Channel *raw = channel.get();
    const DWORD handle = m_channels.add(std::move(channel));
    if (handle == 0)
        return fail(BASS_ERROR_MEM, 0u);
    m_mixSlots[m_channels.slotOf(handle)].store(raw, std::memory_order_seq_cst);
    return handle;
}

bool Engine::freeChannel(DWORD handle, bool music)
{
    std::shared_ptr<Channel> channel;
    {
        std::lock_guard lock(m_tableMutex);
        auto *found = m_channels.find(handle);
        if (!found || ((*found)->kind() == ChannelKind::Music) != music)
            return fail(BASS_ERROR_HANDLE, false);
        m_mixSlots[m_channels.slotOf(handle)].store(nullptr, std::memory_order_seq_cst);
        m_channels.remove(handle, &channel);
    }
    m_mixSequence.waitForPass();
    if (auto &filler = m_fillers[m_channels.slotOf(handle)]; filler && channel->ownFiller() == &filler->wake) {
        filler->stop.store(true, std::memory_order_release);
        filler->wake.post();
        filler->thread.join();
        filler.reset();
    }
    channel->markFreed();
    std::vector<HFX> effects;
    m_effects.forEach([&](std::uint32_t fx, Effect &e) {
        if (e.channel == handle)
            effects.push_back(fx);
    });
    for (HFX fx : effects)
        m_effects.remove(fx);
    return true;
}

HMUSIC Engine::musicLoad(const char *path, DWORD flags)
{
    if (!path)
        return fail(BASS_ERROR_FILEOPEN, 0u);
    int error = BASS_OK;
    std::unique_ptr<ModuleSource> module = SourceFactory::OpenModule(path, error, m_outputRate);
    if (!module)
        return fail(error == BASS_OK ? BASS_ERROR_FILEFORM : error, 0u);
    if (module->sampleRate() < 101 || module->sampleRate() > 384000 || module->channels() < 1)
        return fail(BASS_ERROR_FORMAT, 0u);
    module->setFlags(flags);
    ModuleSource *raw = module.get();
    const auto ahead = static_cast<std::size_t>(kMusicAheadSeconds * m_outputRate);
    auto channel = std::make_shared<Channel>(ChannelKind::Music, std::move(module), raw, m_outputRate,
                                             std::min(bufferFrames(), ahead), (flags & kEffectsMusicFloat) != 0,
                                             m_mixSequence);
    return addChannel(std::move(channel));
}

bool Engine::musicFree(HMUSIC handle)
{
    return freeChannel(handle, true);
}

DWORD Engine::musicGetLength(HMUSIC handle, bool playLength)
{
    auto channel = find(handle, true);
    if (!channel)
        return static_cast<DWORD>(-1);
    DWORD result = 0;
    channel->withSource([&](AudioSource &source) {
        auto &module = static_cast<ModuleSource &>(source);
        if (playLength)
            result = static_cast<DWORD>(std::min<std::uint64_t>(
                module.lengthFrames() * 2 * static_cast<std::uint64_t>(channel->bytesPerSample()), 0xFFFFFFFEu));
        else
            result = static_cast<DWORD>(std::max(module.orderCount(), 0));
    });
    return result;
}

bool Engine::musicPlayEx(HMUSIC handle, DWORD order, int flags, bool reset)
{
    (void)reset; // a new order always starts from a clean player state
    auto channel = find(handle, true);
    if (!channel)
        return false;
    if (flags != -1) {
        // Float mixing belongs to the channel's sample format, fixed at load.
        const std::uint32_t mixing = channel->floatData() ? BASS_MUSIC_FLOAT : 0u;
        const std::uint32_t played = (static_cast<std::uint32_t>(flags) & ~std::uint32_t{BASS_MUSIC_FLOAT}) | mixing;
        channel->withSource([&](AudioSource &s) { static_cast<ModuleSource &>(s).setFlags(played); });
    }
    if (order != 0xFFFFFFFFu) {
        const bool moved = channel->reposition(
            [&](AudioSource &s) {
                auto &module = static_cast<ModuleSource &>(s);
                return order < static_cast<DWORD>(std::max(module.orderCount(), 0)) &&
                       module.setOrder(static_cast<int>(order));
            },
            0, order & 0xFFFF);
        if (!moved)
            return fail(BASS_ERROR_POSITION, false);
    } else if (channel->ended(heardEnd())) {
        // Nothing left to hear: "where it is" is the end, so start again.
        channel->reposition([](AudioSource &s) { return static_cast<ModuleSource &>(s).setOrder(0); }, 0, 0);
    }
    channel->play();
    resumeOutput();
    wakeUpdate();
    return true;
}

bool Engine::musicSetAmplify(HMUSIC handle, DWORD amplify)
{
    auto channel = find(handle, true);
    if (!channel)
        return false;
    if (amplify > 100)
        return fail(BASS_ERROR_ILLPARAM, false);
    channel->withSource([&](AudioSource &s) { static_cast<ModuleSource &>(s).setAmplify(static_cast<int>(amplify)); });
    return true;
}

bool Engine::musicSetPanSep(HMUSIC handle, DWORD separation)
{
    auto channel = find(handle, true);
    if (!channel)
        return false;
    if (separation > 100)
        return fail(BASS_ERROR_ILLPARAM, false);
    channel->withSource(
        [&](AudioSource &s) { static_cast<ModuleSource &>(s).setPanSeparation(static_cast<int>(separation)); });
    return true;
}

HSTREAM Engine::streamCreate(DWORD freq, DWORD flags, STREAMPROC *proc, void *user)
{
    if (freq < 101 || freq > 99999)
        return fail(BASS_ERROR_ILLPARAM, 0u);
    const bool floatSamples = (flags & BASS_SAMPLE_FLOAT) != 0;
    const int channels = (flags & BASS_SAMPLE_MONO) ? 1 : 2;
    auto source = std::make_unique<UserStreamSource>(static_cast<int>(freq), channels, floatSamples, proc, user,
                                                     kUserChunkFrames);
    UserStreamSource *raw = source.get();
    auto channel = std::make_shared<Channel>(ChannelKind::UserStream, std::move(source), nullptr, m_outputRate,
                                             bufferFrames(), floatSamples, m_mixSequence);
    // The handle is set before the channel can play, so the procedure always sees its own handle.
    auto filler = std::make_unique<Filler>();
    channel->setOwnFiller(&filler->wake);
    std::shared_ptr<Channel> filled = channel;
    const HSTREAM handle = addChannel(std::move(channel));
    if (!handle)
        return 0;
    raw->setHandle(handle);
    Filler &started = *filler;
    filler->thread = std::thread([this, filled, &started] { fillerLoop(filled, started); });
    m_fillers[m_channels.slotOf(handle)] = std::move(filler);
    return handle;
}

HSTREAM Engine::streamCreateFile(const char *path, DWORD flags)
{
    if (!path)
        return fail(BASS_ERROR_FILEOPEN, 0u);
    int error = BASS_OK;
    std::unique_ptr<AudioSource> source = SourceFactory::OpenFileStream(path, error);
    if (!source)
        return fail(error == BASS_OK ? BASS_ERROR_FILEFORM : error, 0u);
    if (source->sampleRate() < 101 || source->sampleRate() > 384000 || source->channels() < 1)
        return fail(BASS_ERROR_FORMAT, 0u);
    auto channel = std::make_shared<Channel>(ChannelKind::FileStream, std::move(source), nullptr, m_outputRate,
                                             bufferFrames(), (flags & BASS_SAMPLE_FLOAT) != 0, m_mixSequence);
    return addChannel(std::move(channel));
}

bool Engine::streamFree(HSTREAM handle)
{
    return freeChannel(handle, false);
}

bool Engine::streamPlay(HSTREAM handle, bool flush, DWORD)
{
    auto channel = find(handle, false, true);
    if (!channel)
        return false;
    const bool restart = channel->kind() == ChannelKind::FileStream && (flush || channel->ended(heardEnd()));
    if (restart)
        channel->reposition([](AudioSource &s) { return s.seek(0); }, 0, 0);
    else if (flush)
        channel->reposition([](AudioSource &) { return true; }, channel->heardSourceFrame(latency(), m_outputRate), 0);
    channel->play();
    resumeOutput();
    wakeUpdate();
    return true;
}

bool Engine::channelStop(DWORD handle)
{
    auto channel = find(handle);
    if (!channel)
        return false;
    channel->stop();
    return true;
}

DWORD Engine::channelIsActive(DWORD handle)
{
    auto channel = find(handle);
    if (!channel)
        return BASS_ACTIVE_STOPPED;
    return channel->playing() && !channel->ended(heardEnd()) ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
}

std::uint64_t Engine::heardEnd() const
{
    const std::uint64_t mixed = m_mixedFrames.load(std::memory_order_acquire);
    return mixed > latency() ? mixed - latency() : 0;
}

DWORD Engine::channelGetLevel(DWORD handle)
{
    auto channel = find(handle);
    if (!channel)
        return static_cast<DWORD>(-1);
    if (!channel->playing())
        return 0;
    const std::size_t frames = std::max<std::size_t>(static_cast<std::size_t>(m_outputRate / 50), 1);
    channel->copyHeard(m_dataScratch.data(), frames, heardEnd());
    float peak[2] = {0, 0};
    for (std::size_t i = 0; i < frames; ++i)
        for (int side = 0; side < 2; ++side)
            peak[side] = std::max(peak[side], std::fabs(m_dataScratch[i * 2 + side]));
    DWORD level[2];
    for (int side = 0; side < 2; ++side)
        level[side] = static_cast<DWORD>(std::min(128L, std::lround(peak[side] * 128.0f)));
    return level[0] | (level[1] << 16);
}

DWORD Engine::channelGetData(DWORD handle, void *buffer, DWORD length)
{
    auto channel = find(handle);
    if (!channel)
        return static_cast<DWORD>(-1);
    if (!buffer)
        return fail(BASS_ERROR_ILLPARAM, static_cast<DWORD>(-1));
    const std::uint64_t end = heardEnd();
    const std::size_t dataChannels = static_cast<std::size_t>(channel->dataChannels());
    if (length & kFftFlag) {
        const std::size_t size = std::size_t{512} << std::min<DWORD>(length & 0xF, 2);
        auto *out = static_cast<float *>(buffer);
        float *samples = m_dataScratch.data();
        if ((length & kFftIndividual) && dataChannels == 2) {
            // Never more than 1024 values in all: stereo spectra use at most 1024 points per side.
            const std::size_t each = std::min<std::size_t>(size, 1024);
            channel->copyHeard(samples, each, end);
            m_spectrum.magnitudes(samples, 2, each, out, 2);
            m_spectrum.magnitudes(samples + 1, 2, each, out + 1, 2);
            return static_cast<DWORD>(each * sizeof(float));
        }
        channel->copyHeard(samples, size, end);
        for (std::size_t i = 0; i < size; ++i)
            samples[i] = (samples[i * 2] + samples[i * 2 + 1]) * 0.5f;
        m_spectrum.magnitudes(samples, 1, size, out, 1);
        return static_cast<DWORD>(size / 2 * sizeof(float));
    }
    const bool asFloat = (length & kDataFloat) || channel->floatData();
    length &= ~kDataFloat;
    const std::size_t sampleBytes = asFloat ? 4 : 2;
    const std::size_t frames = std::min<std::size_t>(length / (sampleBytes * dataChannels), kMaxDataFrames);
    channel->copyHeard(m_dataScratch.data(), frames, end);
    const std::size_t samples = frames * dataChannels;
    for (std::size_t i = 0; i < samples; ++i) {
        const float v = dataChannels == 2 ? m_dataScratch[i] : m_dataScratch[i * 2];
        if (asFloat) {
            std::memcpy(static_cast<char *>(buffer) + i * 4, &v, 4);
        } else {
            const auto s = static_cast<std::int16_t>(std::clamp(std::lround(v * 32768.0f), -32768L, 32767L));
            std::memcpy(static_cast<char *>(buffer) + i * 2, &s, 2);
        }
    }
    return static_cast<DWORD>(samples * sampleBytes);
}

bool Engine::channelSetAttributes(DWORD handle, int freq, int volume, int pan)
{
    auto channel = find(handle);
    if (!channel)
        return false;
    if ((freq != -1 && freq != 0 && (freq < 100 || freq > 100000)) || volume > 100 || volume < -1 ||
        (pan != -101 && (pan < -100 || pan > 100)))
        return fail(BASS_ERROR_ILLPARAM, false);
    if (freq != -1 && !channel->setRate(freq == 0 ? channel->sourceRate() : freq))
        return fail(BASS_ERROR_ILLPARAM, false);
    if (volume != -1)
        channel->setVolume(volume);
    if (pan != -101)
        channel->setPan(pan);
    return true;
}

QWORD Engine::channelGetPosition(DWORD handle)
{
    auto channel = find(handle);
    if (!channel)
        return static_cast<QWORD>(-1);
    if (channel->kind() == ChannelKind::Music)
        return channel->heardOrderRow(latency());
    const QWORD bytesPerFrame = static_cast<QWORD>(channel->dataChannels() * channel->bytesPerSample());
    return channel->heardSourceFrame(latency(), m_outputRate) * bytesPerFrame;
}

bool Engine::channelSetPosition(DWORD handle, QWORD pos)
{
    auto channel = find(handle);
    if (!channel)
        return false;
    bool moved = false;
    if (channel->kind() == ChannelKind::Music) {
        const int order = static_cast<int>(pos & 0xFFFF);
        moved = channel->reposition(
            [&](AudioSource &s) {
                auto &module = static_cast<ModuleSource &>(s);
                return order < module.orderCount() && module.setOrder(order);
            },
            0, static_cast<std::uint32_t>(order));
    } else {
        const QWORD bytesPerFrame = static_cast<QWORD>(channel->dataChannels() * channel->bytesPerSample());
        if (channel->kind() == ChannelKind::UserStream)
            return fail(BASS_ERROR_POSITION, false);
        // The update thread seeks: a slow seek never holds the caller.
        const std::uint64_t frame = pos / bytesPerFrame;
        const std::uint64_t length = channel->knownLength();
        moved = length == 0 || frame <= length;
        if (moved)
            channel->requestSeek(frame);
    }
    if (!moved)
        return fail(BASS_ERROR_POSITION, false);
    wakeUpdate();
    return true;
}

QWORD Engine::channelSeconds2Bytes(DWORD handle, float seconds)
{
    auto channel = find(handle);
    if (!channel)
        return static_cast<QWORD>(-1);
    if (!(seconds >= 0))
        seconds = 0;
    const double frames = std::floor(static_cast<double>(seconds) * channel->sourceRate());
    return static_cast<QWORD>(frames) * static_cast<QWORD>(channel->dataChannels() * channel->bytesPerSample());
}

float Engine::channelBytes2Seconds(DWORD handle, QWORD bytes)
{
    auto channel = find(handle);
    if (!channel)
        return -1.0f;
    const double frames = static_cast<double>(bytes / static_cast<QWORD>(channel->dataChannels() * channel->bytesPerSample()));
    return static_cast<float>(frames / channel->sourceRate());
}

HFX Engine::channelSetFX(DWORD handle, DWORD type)
{
    auto channel = find(handle);
    if (!channel)
        return 0;
    if (type != BASS_FX_PARAMEQ)
        return fail(BASS_ERROR_ILLPARAM, 0u);
    const int band = channel->claimBand();
    if (band < 0)
        return fail(BASS_ERROR_NOFX, 0u);
    Effect effect;
    effect.channel = handle;
    effect.band = band;
    const HFX fx = m_effects.add(effect);
    if (fx == 0) {
        channel->releaseBand(band);
        return fail(BASS_ERROR_MEM, 0u);
    }
    return fx;
}

bool Engine::channelRemoveFX(DWORD handle, HFX fx)
{
    auto channel = find(handle);
    if (!channel)
        return false;
    Effect *effect = m_effects.find(fx);
    if (!effect || effect->channel != handle)
        return fail(BASS_ERROR_HANDLE, false);
    channel->releaseBand(effect->band);
    m_effects.remove(fx);
    return true;
}

bool Engine::fxSetParameters(HFX fx, const void *params)
{
    Effect *effect = m_effects.find(fx);
    if (!effect)
        return fail(BASS_ERROR_HANDLE, false);
    if (!params)
        return fail(BASS_ERROR_ILLPARAM, false);
    BASS_FXPARAMEQ p;
    std::memcpy(&p, params, sizeof p);
    if (!(p.fCenter >= 80 && p.fCenter <= 16000) || !(p.fBandwidth >= 1 && p.fBandwidth <= 36) ||
        !(p.fGain >= -15 && p.fGain <= 15))
        return fail(BASS_ERROR_ILLPARAM, false);
    auto channel = find(effect->channel);
    if (!channel)
        return false;
    effect->params = p;
    channel->band(static_cast<std::size_t>(effect->band))
        .publish(PeakingEq::design(m_outputRate, p.fCenter, p.fBandwidth / 12.0, p.fGain));
    return true;
}

bool Engine::fxGetParameters(HFX fx, void *params)
{
    Effect *effect = m_effects.find(fx);
    if (!effect)
        return fail(BASS_ERROR_HANDLE, false);
    if (!params)
        return fail(BASS_ERROR_ILLPARAM, false);
    std::memcpy(params, &effect->params, sizeof effect->params);
    return true;
}

void Engine::wakeUpdate()
{
    m_wakeSignal.post();
    for (const auto &filler : m_fillers)
        if (filler)
            filler->wake.post();
}

bool Engine::anyChannelPlaying() const
{
    for (const auto &slot : m_mixSlots)
        if (const Channel *c = slot.load(std::memory_order_seq_cst); c && c->playing())
            return true;
    return false;
}

void Engine::resumeOutput()
{
    if (m_kind == OutputKind::Manual)
        return;
    std::lock_guard lock(m_outputMutex);
    m_lastSoundFrame.store(m_mixedFrames.load(std::memory_order_acquire), std::memory_order_release);
    if (!m_outputIdle)
        return;
    m_outputIdle = false;
    m_silenceReported.store(false, std::memory_order_release);
    if (m_paused.load())
        return;
    if (m_kind == OutputKind::Device)
        runDevice(true);
    m_outputCv.notify_all();
}

void Engine::recoverLostDevice()
{
    if (m_kind != OutputKind::Device)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!m_deviceLost.load()) {
        if (m_device == 0 || m_outputIdle || m_paused.load() || SDL_GetAudioDeviceStatus(m_device) != SDL_AUDIO_STOPPED)
            return;
        SDL_CloseAudioDevice(m_device);
        m_device = 0;
        // A device lost again soon after it came back waits longer each time.
        m_reopenDelayMs = now - m_reopenedAt < std::chrono::seconds(5) ? std::min(m_reopenDelayMs * 2, kLongestReopenMs)
                                                                       : kFirstReopenMs;
        m_nextReopen = now + std::chrono::milliseconds(m_reopenDelayMs);
        m_deviceLost.store(true, std::memory_order_release);
        return;
    }
    if (now < m_nextReopen || m_outputIdle || m_paused.load())
        return;
    if (openDevice()) {
        m_reopenedAt = now;
        m_deviceLost.store(false, std::memory_order_release);
        SDL_PauseAudioDevice(m_device, 0);
        return;
    }
    m_reopenDelayMs = std::min(m_reopenDelayMs * 2, kLongestReopenMs);
    m_nextReopen = now + std::chrono::milliseconds(m_reopenDelayMs);
}

void Engine::idleOutputIfSilent()
{
    if (m_kind == OutputKind::Manual)
        return;
    std::lock_guard lock(m_outputMutex);
    recoverLostDevice();
    if (m_kind == OutputKind::Device && m_device == 0 && !m_outputIdle && !m_paused.load())
        runDevice(true); // a reopen that failed when playback started
    const std::uint64_t silent =
        m_mixedFrames.load(std::memory_order_acquire) - m_lastSoundFrame.load(std::memory_order_acquire);
    if (m_outputIdle || m_paused.load() || silent < static_cast<std::uint64_t>(m_outputRate) || anyChannelPlaying())
        return;
    m_outputIdle = true;
    // Closed rather than paused: a paused SDL device still wakes every period and keeps the sound
    // server's stream running.
    if (m_kind == OutputKind::Device && m_device != 0) {
        SDL_CloseAudioDevice(m_device);
        m_device = 0;
    }
}

void Engine::updateLoop()
{
    pthread_setname_np(pthread_self(), "mv-update");
    for (;;) {
        // Every need to fill is signalled; the period only bounds the harm of one that is not. With the
        // output idle nothing can need filling until a channel plays, which wakes this thread.
        bool idle;
        {
            std::lock_guard lock(m_outputMutex);
            idle = m_outputIdle;
        }
        m_wakeSignal.wait(std::chrono::milliseconds(idle ? 10000 : 250));
        if (m_stop.load(std::memory_order_acquire))
            return;
        idleOutputIfSilent();
        {
            std::lock_guard lock(m_fillMutex);
            ++m_passesStarted;
        }
        std::size_t count = 0;
        {
            std::lock_guard lock(m_tableMutex);
            m_channels.forEach([&](std::uint32_t, std::shared_ptr<Channel> &c) { m_snapshot[count++] = c; });
        }
        const std::size_t target = bufferFrames();
        for (std::size_t i = 0; i < count; ++i) {
            if (!m_snapshot[i]->ownFiller())
                m_snapshot[i]->fill(target);
            m_snapshot[i].reset();
        }
        {
            std::lock_guard lock(m_fillMutex);
            ++m_fillPasses;
        }
        m_fillCv.notify_all();
    }
}

void Engine::fillerLoop(const std::shared_ptr<Channel> &channel, Filler &filler)
{
    pthread_setname_np(pthread_self(), "mv-fill");
    for (;;) {
        // As for the update thread: every need to fill is signalled, the period bounds a lost one.
        filler.wake.wait(std::chrono::milliseconds(channel->playing() ? 1000 : 10000));
        if (filler.stop.load(std::memory_order_acquire))
            return;
        channel->fill(bufferFrames());
        {
            std::lock_guard lock(m_fillMutex);
            ++m_ownFills;
        }
        m_fillCv.notify_all();
    }
}

void Engine::waitUntilFilled(std::size_t frames)
{
    // A procedure that never returns must not hang the caller for ever.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
        // Only the threads of the channels not ready are woken and waited for, so a channel whose
        // filler is slow is not met with a stream of empty update passes.
        bool needUpdate = false, needOwn = false;
        std::uint64_t started, ownSeen;
        {
            std::lock_guard lock(m_fillMutex);
            started = m_passesStarted;
            ownSeen = m_ownFills;
        }
        for (auto &slot : m_mixSlots) {
            const Channel *c = slot.load(std::memory_order_seq_cst);
            if (!c || c->readyFor(frames))
                continue;
            if (WakeSignal *own = c->ownFiller()) {
                needOwn = true;
                own->post();
            } else {
                needUpdate = true;
            }
        }
        if (!needUpdate && !needOwn)
            return;
        if (needUpdate)
            m_wakeSignal.post();
        // Wait for a whole pass that started after the check above, or a fill of a filler thread.
        std::unique_lock lock(m_fillMutex);
        if (!m_fillCv.wait_until(lock, deadline, [&] {
                return (needUpdate && m_fillPasses > started) || (needOwn && m_ownFills > ownSeen);
            }))
            return;
    }
}

void Engine::mixBlock(float *out, std::size_t frames)
{
    std::memset(out, 0, frames * 2 * sizeof(float));
    const std::uint64_t start = m_mixedFrames.load(std::memory_order_relaxed);
    bool refill = false;
    bool sounding = false;
    for (auto &slot : m_mixSlots)
        if (Channel *c = slot.load(std::memory_order_seq_cst)) {
            if (c->mix(out, frames, start)) {
                if (WakeSignal *own = c->ownFiller())
                    own->post();
                else
                    refill = true;
            }
            sounding |= c->playing();
        }
    ScaleAndClip(out, frames * 2, m_masterVolume.load(std::memory_order_relaxed));
    m_mixedFrames.store(start + frames, std::memory_order_release);
    if (sounding) {
        m_lastSoundFrame.store(start + frames, std::memory_order_release);
    } else if (start + frames - m_lastSoundFrame.load(std::memory_order_acquire) >=
                   static_cast<std::uint64_t>(m_outputRate) &&
               !m_silenceReported.exchange(true, std::memory_order_acq_rel)) {
        refill = true; // a second of silence: the update thread lets the output go idle
    }
    if (refill)
        m_wakeSignal.post();
}

void Engine::mix(float *out, std::size_t frames)
{
    m_mixSequence.enter();
    for (std::size_t done = 0; done < frames;) {
        const std::size_t n = std::min(frames - done, Channel::kMixBlock);
        mixBlock(out + done * 2, n);
        done += n;
    }
    m_mixSequence.leave();
}

DWORD Engine::render(float *stereoOut, DWORD frames)
{
    if (m_kind != OutputKind::Manual)
        return fail(BASS_ERROR_INIT, 0u);
    if (!stereoOut)
        return fail(BASS_ERROR_ILLPARAM, 0u);
    if (m_paused.load()) {
        std::fill(stereoOut, stereoOut + static_cast<std::size_t>(frames) * 2, 0.0f);
        return 0;
    }
    for (std::size_t done = 0; done < frames;) {
        const std::size_t n = std::min<std::size_t>(frames - done, Channel::kMixBlock);
        waitUntilFilled(n);
        m_mixSequence.enter();
        mixBlock(stereoOut + done * 2, n);
        m_mixSequence.leave();
        done += n;
    }
    return frames;
}

void Engine::clockLoop()
{
    // "No sound": the mixer runs at real time on this thread so that channels advance and end.
    pthread_setname_np(pthread_self(), "mv-clock");
    // A period like the SDL device's: the clock wakes some 25 times a second while something plays.
    const std::size_t block = static_cast<std::size_t>(m_outputRate * kClockPeriodMs / 1000);
    auto next = std::chrono::steady_clock::now();
    while (!m_clockStop.load()) {
        {
            std::unique_lock lock(m_outputMutex);
            if (m_outputIdle || m_paused.load()) {
                m_outputCv.wait(lock, [&] { return m_clockStop.load() || !(m_outputIdle || m_paused.load()); });
                next = std::chrono::steady_clock::now();
                continue;
            }
        }
        next += std::chrono::milliseconds(kClockPeriodMs);
        std::this_thread::sleep_until(next);
        const auto now = std::chrono::steady_clock::now();
        if (now - next > std::chrono::milliseconds(200))
            next = now; // fell far behind (suspended machine): do not try to catch up
        if (!m_paused.load())
            mix(m_clockBuffer.data(), block);
    }
}

void Engine::deviceCallback(void *engine, unsigned char *stream, int length)
{
    auto *self = static_cast<Engine *>(engine);
    self->mix(reinterpret_cast<float *>(stream), static_cast<std::size_t>(length) / (2 * sizeof(float)));
}

} // namespace melvane::bass
