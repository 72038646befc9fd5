#include "platform/bass/sources/SndfileSource.h"

#include "platform/formats/CByteReader.h"
#include "platform/formats/CRiffChunkWalker.h"
#include "platform/io/CFileDescriptor.h"
#include "platform/bass/bass.h"

#include <fcntl.h>
#include <unistd.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

namespace melvane::bass {

namespace {

constexpr int kMaxChannels = 64;

bool SupportedEncoding(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
    case SF_FORMAT_IMA_ADPCM:
    case SF_FORMAT_MS_ADPCM:
    case SF_FORMAT_ULAW:
    case SF_FORMAT_ALAW:
    case SF_FORMAT_GSM610:
        return true;
    default:
        return false;
    }
}

bool KnownFormatTag(std::uint16_t tag)
{
    switch (tag) {
    case 0x0001: // PCM
    case 0x0002: // MS ADPCM
    case 0x0003: // IEEE float
    case 0x0006: // A-law
    case 0x0007: // mu-law
    case 0x0011: // IMA ADPCM
    case 0x0031: // GSM 6.10
    case 0xFFFE: // extensible
        return true;
    default:
        return false;
    }
}

bool IsFloatData(int format)
{
    const int sub = format & SF_FORMAT_SUBMASK;
    return sub == SF_FORMAT_FLOAT || sub == SF_FORMAT_DOUBLE;
}

// A float file may hold NaN or infinite samples; one of them would stick in the equalizer's filter state
// and silence the channel for good, so they are played as silence.
void ZeroNonFinite(float *samples, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        if (!std::isfinite(samples[i]))
            samples[i] = 0.0f;
}

bool IsBlockCodec(int format)
{
    const int sub = format & SF_FORMAT_SUBMASK;
    return sub == SF_FORMAT_IMA_ADPCM || sub == SF_FORMAT_MS_ADPCM || sub == SF_FORMAT_GSM610;
}

sf_count_t ViewLength(void *user)
{
    return static_cast<SndfileView *>(user)->size;
}

sf_count_t ViewSeek(sf_count_t offset, int whence, void *user)
{
    auto *view = static_cast<SndfileView *>(user);
    const sf_count_t from = whence == SEEK_CUR ? view->position : whence == SEEK_END ? view->size : 0;
    if (from + offset < 0)
        return -1;
    view->position = from + offset;
    return view->position;
}

sf_count_t ViewRead(void *ptr, sf_count_t count, void *user)
{
    auto *view = static_cast<SndfileView *>(user);
    auto *bytes = static_cast<std::uint8_t *>(ptr);
    sf_count_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(view->fd, bytes + done, static_cast<std::size_t>(count - done), view->position + done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    for (sf_count_t i = 0; view->patchAt >= 0 && i < 4; ++i) {
        const sf_count_t at = view->patchAt + i - view->position;
        if (at >= 0 && at < done)
            bytes[at] = view->patch[i];
    }
    view->position += done;
    return done;
}

sf_count_t ViewWrite(const void *, sf_count_t, void *)
{
    return 0;
}

sf_count_t ViewTell(void *user)
{
    return static_cast<SndfileView *>(user)->position;
}

SF_VIRTUAL_IO kViewIo = {ViewLength, ViewSeek, ViewRead, ViewWrite, ViewTell};

StereoDownmix::Speaker SpeakerOf(int position)
{
    using S = StereoDownmix::Speaker;
    switch (position) {
    case SF_CHANNEL_MAP_LEFT:
    case SF_CHANNEL_MAP_FRONT_LEFT:
    case SF_CHANNEL_MAP_FRONT_LEFT_OF_CENTER:
    case SF_CHANNEL_MAP_TOP_FRONT_LEFT:
        return S::Left;
    case SF_CHANNEL_MAP_RIGHT:
    case SF_CHANNEL_MAP_FRONT_RIGHT:
    case SF_CHANNEL_MAP_FRONT_RIGHT_OF_CENTER:
    case SF_CHANNEL_MAP_TOP_FRONT_RIGHT:
        return S::Right;
    case SF_CHANNEL_MAP_MONO:
    case SF_CHANNEL_MAP_CENTER:
    case SF_CHANNEL_MAP_FRONT_CENTER:
    case SF_CHANNEL_MAP_TOP_FRONT_CENTER:
    case SF_CHANNEL_MAP_TOP_CENTER:
        return S::Centre;
    case SF_CHANNEL_MAP_LFE: return S::Lfe;
    case SF_CHANNEL_MAP_REAR_LEFT:
    case SF_CHANNEL_MAP_TOP_REAR_LEFT:
        return S::RearLeft;
    case SF_CHANNEL_MAP_REAR_RIGHT:
    case SF_CHANNEL_MAP_TOP_REAR_RIGHT:
        return S::RearRight;
    case SF_CHANNEL_MAP_REAR_CENTER:
    case SF_CHANNEL_MAP_TOP_REAR_CENTER:
        return S::RearCentre;
    case SF_CHANNEL_MAP_SIDE_LEFT: return S::SideLeft;
    case SF_CHANNEL_MAP_SIDE_RIGHT: return S::SideRight;
    default: return S::Unknown;
    }
}

} // namespace

std::unique_ptr<SndfileSource> SndfileSource::Open(const char *path, int &error)
{
    CFileDescriptor fd(::open(path, O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = BASS_ERROR_FILEOPEN;
        return nullptr;
    }
    const auto layout = CRiffChunkWalker::Walk(CByteReader::FromFd(fd.get(), static_cast<std::uint64_t>(st.st_size)));
    if (!layout) {
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }

    std::unique_ptr<SndfileSource> source(new SndfileSource);
    source->m_view.fd = fd.get();
    source->m_view.size = static_cast<std::int64_t>(st.st_size);
    if (layout->dataSize == 0) {
        const auto held = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(layout->DataInFile(static_cast<std::uint64_t>(st.st_size)), 0xFFFFFFFFu));
        source->m_view.patchAt = static_cast<std::int64_t>(layout->dataAt) - 4;
        for (int i = 0; i < 4; ++i)
            source->m_view.patch[i] = static_cast<std::uint8_t>(held >> (8 * i));
    }
    source->m_fd = std::move(fd);
    SF_INFO info {};
    SNDFILE *file = sf_open_virtual(&kViewIo, SFM_READ, &info, &source->m_view);
    if (!file) {
        // A sound layout with a sample format outside our list is unsupported content; one of the
        // formats we do decode that libsndfile still refuses is a broken file.
        error = KnownFormatTag(layout->format.tag) ? BASS_ERROR_FILEFORM : BASS_ERROR_FORMAT;
        return nullptr;
    }
    source->m_file = file;

    const int container = info.format & SF_FORMAT_TYPEMASK;
    if (container != SF_FORMAT_WAV && container != SF_FORMAT_WAVEX) {
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    if (!SupportedEncoding(info.format) || info.channels < 1 || info.channels > kMaxChannels || info.samplerate <= 0) {
        error = BASS_ERROR_FORMAT;
        return nullptr;
    }
    source->m_rate = info.samplerate;
    source->m_fileChannels = info.channels;
    source->m_floatData = IsFloatData(info.format);
    source->m_length = info.frames > 0 ? static_cast<std::uint64_t>(info.frames) : 0;
    // Block codecs fill their last block; the fact chunk says where the real samples end.
    if (IsBlockCodec(info.format) && layout->factFrames && *layout->factFrames < source->m_length)
        source->m_length = *layout->factFrames;

    if (info.channels > 2) {
        std::vector<int> map(static_cast<std::size_t>(info.channels));
        std::vector<StereoDownmix::Speaker> speakers;
        if (sf_command(file, SFC_GET_CHANNEL_MAP_INFO, map.data(), static_cast<int>(map.size() * sizeof(int)))
            == SF_TRUE) {
            for (int position : map)
                speakers.push_back(SpeakerOf(position));
        } else {
            speakers = StereoDownmix::DefaultLayout(info.channels);
        }
        source->m_downmix.emplace(speakers);
    }
    source->m_scratch.resize(kChunkFrames * static_cast<std::size_t>(info.channels));
    error = BASS_OK;
    return source;
}

SndfileSource::~SndfileSource()
{
    if (m_file)
        sf_close(m_file);
}

std::size_t SndfileSource::read(float *out, std::size_t frames)
{
    frames = static_cast<std::size_t>(std::min<std::uint64_t>(frames, m_length - std::min(m_position, m_length)));
    const std::size_t done = decode(out, frames);
    m_position += done;
    return done;
}

std::size_t SndfileSource::decode(float *out, std::size_t frames)
{
    if (!m_downmix) {
        const sf_count_t got = sf_readf_float(m_file, out, static_cast<sf_count_t>(frames));
        if (got <= 0)
            return 0;
        if (m_floatData)
            ZeroNonFinite(out, static_cast<std::size_t>(got) * static_cast<std::size_t>(m_fileChannels));
        return static_cast<std::size_t>(got);
    }
    std::size_t done = 0;
    while (done < frames) {
        const std::size_t want = std::min(kChunkFrames, frames - done);
        const sf_count_t got = sf_readf_float(m_file, m_scratch.data(), static_cast<sf_count_t>(want));
        if (got <= 0)
            break;
        if (m_floatData)
            ZeroNonFinite(m_scratch.data(), static_cast<std::size_t>(got) * static_cast<std::size_t>(m_fileChannels));
        m_downmix->process(m_scratch.data(), out + 2 * done, static_cast<std::size_t>(got));
        done += static_cast<std::size_t>(got);
        if (static_cast<std::size_t>(got) < want)
            break;
    }
    return done;
}

bool SndfileSource::reopen()
{
    // Both handles read through m_view: the old one carries on from where it was if this fails.
    const std::int64_t resumeAt = m_view.position;
    m_view.position = 0;
    SF_INFO info {};
    SNDFILE *file = sf_open_virtual(&kViewIo, SFM_READ, &info, &m_view);
    if (!file || info.channels != m_fileChannels) {
        if (file)
            sf_close(file);
        m_view.position = resumeAt;
        return false;
    }
    sf_close(m_file);
    m_file = file;
    return true;
}

bool SndfileSource::seek(std::uint64_t frame)
{
    if (frame > m_length)
        return false;
    if (sf_seek(m_file, static_cast<sf_count_t>(frame), SEEK_SET) < 0) {
        // Some codecs (GSM 6.10 in WAVE) cannot reposition at all: open the file afresh and decode
        // up to the frame into the scratch buffer. Rare, so the reopening is allowed to allocate.
        if (!reopen())
            return false;
        const std::size_t channels = static_cast<std::size_t>(m_fileChannels);
        const std::size_t step = m_scratch.size() / channels;
        for (std::uint64_t left = frame; left > 0;) {
            const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(left, step));
            const sf_count_t got = sf_readf_float(m_file, m_scratch.data(), static_cast<sf_count_t>(want));
            if (got <= 0)
                return false;
            left -= static_cast<std::uint64_t>(got);
        }
    }
    m_position = frame;
    return true;
}

} // namespace melvane::bass
