#pragma once
// MPEG-1, 2 and 2.5 audio, layers 1 to 3, decoded by libmpg123 to float at the file's own rate.
//
// The file is read through our own reader that starts at the first confirmed frame (see
// platform/formats/CMpegFrameSearch), so garbage is refused before libmpg123 sees it. Gapless information (LAME/Xing
// encoder delay and padding) is honoured, and the whole file is scanned once, at the first read or
// seek (on the thread that decodes, not the one that opens), so that the length is exact and seeks
// land on the requested sample. The audio may also be a part of a file
// (the data of a WAVE file holding MPEG audio).

#include "platform/bass/AudioSource.h"
#include "platform/io/CFileDescriptor.h"

#include <memory>

struct mpg123_handle_struct;

namespace melvane::bass {

class Mpg123Source final : public AudioSource {
public:
    static constexpr std::uint64_t kToTheEnd = ~std::uint64_t{0};
    // The MPEG audio in bytes [from, to) of the file. nullptr on failure, with `error` set to a
    // BASS_ERROR_* code.
    static std::unique_ptr<Mpg123Source> Open(const char *path, int &error, std::uint64_t from = 0,
                                              std::uint64_t to = kToTheEnd);
    ~Mpg123Source() override;

    int sampleRate() const override { return m_rate; }
    int channels() const override { return m_channels; }
    std::size_t read(float *out, std::size_t frames) override;
    bool seek(std::uint64_t frame) override;
    std::uint64_t lengthFrames() const override;

    // Where libmpg123 reads: the file from the first frame to the end of the audio, offsets relative
    // to that frame.
    struct Reader {
        int fd = -1;
        std::int64_t base = 0;
        std::int64_t end = 0;
        std::int64_t position = 0; // absolute
    };

private:
    Mpg123Source() = default;
    void EnsureScanned() const;

    CFileDescriptor m_fd;
    Reader m_reader;
    mpg123_handle_struct *m_handle = nullptr;
    int m_rate = 0;
    int m_channels = 0;
    mutable std::uint64_t m_length = 0;
    mutable bool m_scanned = false;
    bool m_ended = false;
};

} // namespace melvane::bass
