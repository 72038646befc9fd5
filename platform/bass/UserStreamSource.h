#pragma once
// The source behind a user stream: asks the caller's STREAMPROC for 16-bit or float samples, mono or
// stereo, and hands them on as float frames. A delivery shorter than asked (or no procedure at all)
// is the stream's end, unless the procedure marks it BASS_STREAMPROC_MORE.
//
// Threads: read() runs only on the library's update thread (under the channel's decode lock); it is
// therefore the only place a STREAMPROC is ever called. The byte buffer is allocated at creation.

#include "platform/bass/AudioSource.h"
#include "platform/bass/bass.h"

#include <vector>

namespace melvane::bass {

class UserStreamSource : public AudioSource {
public:
    UserStreamSource(int rate, int channels, bool floatSamples, STREAMPROC *proc, void *user, std::size_t maxFrames);

    void setHandle(HSTREAM handle) { m_handle = handle; }
    int sampleRate() const override { return m_rate; }
    int channels() const override { return m_channels; }
    std::size_t read(float *out, std::size_t frames) override;
    bool seek(std::uint64_t frame) override;
    std::uint64_t lengthFrames() const override { return 0; }
    bool waiting() const override { return m_waiting; }

private:
    int m_rate;
    int m_channels;
    bool m_float;
    STREAMPROC *m_proc;
    void *m_user;
    HSTREAM m_handle = 0;
    bool m_ended = false;
    bool m_waiting = false;
    std::vector<unsigned char> m_bytes;
};

} // namespace melvane::bass
