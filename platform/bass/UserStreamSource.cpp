#include "platform/bass/UserStreamSource.h"

#include <algorithm>
#include <cstring>

namespace melvane::bass {

UserStreamSource::UserStreamSource(int rate, int channels, bool floatSamples, STREAMPROC *proc, void *user,
                                   std::size_t maxFrames)
    : m_rate(rate), m_channels(channels), m_float(floatSamples), m_proc(proc), m_user(user),
      m_bytes(maxFrames * static_cast<std::size_t>(channels) * (floatSamples ? 4 : 2))
{
}

std::size_t UserStreamSource::read(float *out, std::size_t frames)
{
    if (m_ended || !m_proc)
        return 0;
    const std::size_t frameBytes = static_cast<std::size_t>(m_channels) * (m_float ? 4 : 2);
    frames = std::min(frames, m_bytes.size() / frameBytes);
    const DWORD asked = static_cast<DWORD>(frames * frameBytes);
    DWORD got = m_proc(m_handle, m_bytes.data(), asked, m_user);
    m_waiting = (got & BASS_STREAMPROC_MORE) != 0;
    got &= ~BASS_STREAMPROC_MORE;
    if (got < asked && !m_waiting)
        m_ended = true;
    got = std::min(got, asked); // a procedure claiming more than asked gets no further than the buffer
    const std::size_t delivered = got / frameBytes;
    const std::size_t samples = delivered * static_cast<std::size_t>(m_channels);
    if (m_float) {
        std::memcpy(out, m_bytes.data(), samples * sizeof(float));
    } else {
        for (std::size_t i = 0; i < samples; ++i) {
            std::int16_t s;
            std::memcpy(&s, &m_bytes[i * 2], sizeof s);
            out[i] = static_cast<float>(s) / 32768.0f;
        }
    }
    return delivered;
}

bool UserStreamSource::seek(std::uint64_t)
{
    return false;
}

} // namespace melvane::bass
