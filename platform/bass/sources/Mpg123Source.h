#pragma once
// MPEG-1, 2 and 2.5 audio, layers 1 to 3, decoded by libmpg123 to float at the file's own rate.
//
// The file is read through our own reader that starts at the first confirmed frame (see
// platform/formats/CMpegFrameSearch), so garbage is refused before libmpg123 sees it. Gapless information (LAME/Xing
// encoder delay and padding) is honoured, and the whole file is scanned once at open so that the
// length is exact and seeks land on the requested sample.

#include "platform/bass/AudioSource.h"
#include "platform/io/CFileDescriptor.h"

#include <memory>

struct mpg123_handle_struct;

namespace melvane::bass {

class Mpg123Source final : public AudioSource {
public:
    // nullptr on failure, with `error` set to a BASS_ERROR_* code.
    static std::unique_ptr<Mpg123Source> Open(const char *path, int &error);
    ~Mpg123Source() override;

    int sampleRate() const override { return m_rate; }
    int channels() const override { return m_channels; }
    std::size_t read(float *out, std::size_t frames) override;
    bool seek(std::uint64_t frame) override;
    std::uint64_t lengthFrames() const override { return m_length; }

    // Where libmpg123 reads: the file from the first frame on, offsets relative to that frame.
    struct Reader {
        int fd = -1;
        std::int64_t base = 0;
    };

private:
    Mpg123Source() = default;

    CFileDescriptor m_fd;
    Reader m_reader;
    mpg123_handle_struct *m_handle = nullptr;
    int m_rate = 0;
    int m_channels = 0;
    std::uint64_t m_length = 0;
    bool m_ended = false;
};

} // namespace melvane::bass
