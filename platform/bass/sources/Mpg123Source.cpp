#include "platform/bass/sources/Mpg123Source.h"

#include "platform/formats/CByteReader.h"
#include "platform/formats/CMpegFrameSearch.h"
#include "platform/bass/bass.h"

#include <fcntl.h>
#include <mpg123.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace melvane::bass {

namespace {

ssize_t ReaderRead(void *handle, void *buffer, size_t bytes)
{
    auto *reader = static_cast<Mpg123Source::Reader *>(handle);
    const std::int64_t left = std::max<std::int64_t>(reader->end - reader->position, 0);
    bytes = static_cast<size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(bytes), left));
    for (;;) {
        const ssize_t n = ::pread(reader->fd, buffer, bytes, reader->position);
        if (n >= 0)
            reader->position += n;
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

off_t ReaderSeek(void *handle, off_t offset, int whence)
{
    auto *reader = static_cast<Mpg123Source::Reader *>(handle);
    const std::int64_t from = whence == SEEK_SET ? reader->base : whence == SEEK_END ? reader->end : reader->position;
    // Never let the decoder wander into the skipped tag or before the audio.
    reader->position = std::max<std::int64_t>(from + offset, reader->base);
    return static_cast<off_t>(reader->position - reader->base);
}

} // namespace

std::unique_ptr<Mpg123Source> Mpg123Source::Open(const char *path, int &error, std::uint64_t from, std::uint64_t to)
{
    CFileDescriptor fd(::open(path, O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = BASS_ERROR_FILEOPEN;
        return nullptr;
    }
    const CByteReader file = CByteReader::FromFd(fd.get(), static_cast<std::uint64_t>(st.st_size));
    to = std::min(to, file.Size());
    from = std::min(from, to);
    const CByteReader audio(
        [&file, from](std::uint64_t offset, std::uint8_t *out, std::size_t size) {
            return file.ReadAt(from + offset, out, size);
        },
        to - from);
    const auto start = CMpegFrameSearch::FindFirstFrame(audio);
    if (!start) {
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }

    std::unique_ptr<Mpg123Source> source(new Mpg123Source);
    source->m_fd = std::move(fd);
    source->m_reader.fd = source->m_fd.get();
    source->m_reader.base = static_cast<std::int64_t>(from + start->offset);
    source->m_reader.end = static_cast<std::int64_t>(to);
    source->m_reader.position = source->m_reader.base;

    int result = MPG123_OK;
    mpg123_handle *mh = mpg123_new(nullptr, &result);
    if (!mh) {
        error = BASS_ERROR_MEM;
        return nullptr;
    }
    source->m_handle = mh;
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS | MPG123_FORCE_FLOAT, 0.0);

    // Float output at whatever rate and channel count the stream has; no resampling inside mpg123.
    mpg123_format_none(mh);
    const long *rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);

    if (mpg123_replace_reader_handle(mh, ReaderRead, ReaderSeek, nullptr) != MPG123_OK
        || mpg123_open_handle(mh, &source->m_reader) != MPG123_OK) {
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK) {
        error = BASS_ERROR_FILEFORM;
        return nullptr;
    }
    if (encoding != MPG123_ENC_FLOAT_32 || channels < 1 || channels > 2 || rate <= 0) {
        error = BASS_ERROR_FORMAT;
        return nullptr;
    }
    // Keep this format for the whole stream: a later frame with another layout is converted by
    // mpg123 (mono to stereo) rather than changing the sample layout under the channel.
    mpg123_format_none(mh);
    mpg123_format(mh, rate, channels, MPG123_ENC_FLOAT_32);

    source->m_rate = static_cast<int>(rate);
    source->m_channels = channels;
    error = BASS_OK;
    return source;
}

Mpg123Source::~Mpg123Source()
{
    if (m_handle) {
        mpg123_close(m_handle);
        mpg123_delete(m_handle);
    }
}

void Mpg123Source::EnsureScanned() const
{
    if (m_scanned)
        return;
    m_scanned = true;
    // The whole file is parsed once for the exact length and the seek index; libmpg123 keeps the
    // position. Done on the first read or seek, on the update thread, not when the stream is made.
    if (mpg123_scan(m_handle) != MPG123_OK)
        return;
    const off_t length = mpg123_length(m_handle);
    m_length = length > 0 ? static_cast<std::uint64_t>(length) : 0;
}

std::uint64_t Mpg123Source::lengthFrames() const
{
    EnsureScanned();
    return m_length;
}

std::size_t Mpg123Source::read(float *out, std::size_t frames)
{
    EnsureScanned();
    if (m_ended || frames == 0)
        return 0;
    const std::size_t frameBytes = sizeof(float) * static_cast<std::size_t>(m_channels);
    const std::size_t wanted = frames * frameBytes;
    auto *bytes = reinterpret_cast<unsigned char *>(out);
    std::size_t done = 0;
    int idle = 0;
    while (done < wanted) {
        size_t got = 0;
        const int result = mpg123_read(m_handle, bytes + done, wanted - done, &got);
        done += got;
        if (result == MPG123_DONE || (result != MPG123_OK && result != MPG123_NEW_FORMAT)) {
            m_ended = true;
            break;
        }
        // A stream that keeps answering without producing anything has nothing more to give.
        idle = got == 0 ? idle + 1 : 0;
        if (idle > 8) {
            m_ended = true;
            break;
        }
    }
    return done / frameBytes;
}

bool Mpg123Source::seek(std::uint64_t frame)
{
    EnsureScanned();
    if (m_length > 0 && frame > m_length)
        return false;
    if (mpg123_seek(m_handle, static_cast<off_t>(frame), SEEK_SET) < 0)
        return false;
    m_ended = false;
    return true;
}

} // namespace melvane::bass
