#pragma once
// RIFF/WAVE files decoded by libsndfile: PCM of 8 to 32 bits, float, IMA and MS ADPCM, mu-law,
// A-law and GSM 6.10. More than two channels are folded to stereo (StereoDownmix), using the
// speaker positions the file names or, without them, the usual WAVE channel order. For the block
// codecs (ADPCM, GSM) the length is the fact chunk's sample count, so the padding of the last block
// is not played. A data size of 0 (a header never finalised, as a recorder or an extraction that was
// cut off leaves it) is read as the size of the data the file holds.

#include "platform/bass/AudioSource.h"
#include "platform/bass/sources/StereoDownmix.h"
#include "platform/io/CFileDescriptor.h"

#include <memory>
#include <optional>
#include <vector>

struct sf_private_tag;

namespace melvane::bass {

// The file as libsndfile reads it, with the data size in the header replaced where it is 0.
struct SndfileView {
    int fd = -1;
    std::int64_t size = 0;
    std::int64_t position = 0;
    std::int64_t patchAt = -1; // where the replaced data size starts; -1: nothing replaced
    std::uint8_t patch[4] = {};
};

class SndfileSource final : public AudioSource {
public:
    // Frames decoded per pass when folding down or skipping; the scratch buffer holds this many frames.
    static constexpr std::size_t kChunkFrames = 2048;

    // nullptr on failure, with `error` set to a BASS_ERROR_* code.
    static std::unique_ptr<SndfileSource> Open(const char *path, int &error);
    ~SndfileSource() override;

    int sampleRate() const override { return m_rate; }
    int channels() const override { return m_downmix ? 2 : m_fileChannels; }
    std::size_t read(float *out, std::size_t frames) override;
    bool seek(std::uint64_t frame) override;
    std::uint64_t lengthFrames() const override { return m_length; }

    // Channels stored in the file (before folding down).
    int fileChannels() const { return m_fileChannels; }

private:
    SndfileSource() = default;
    std::size_t decode(float *out, std::size_t frames);
    bool reopen();

    sf_private_tag *m_file = nullptr;
    CFileDescriptor m_fd;
    SndfileView m_view;
    int m_rate = 0;
    int m_fileChannels = 0;
    std::uint64_t m_length = 0;
    std::uint64_t m_position = 0;
    bool m_floatData = false; // IEEE float samples: any bit pattern, NaN and infinity included
    std::optional<StereoDownmix> m_downmix;
    std::vector<float> m_scratch;
};

} // namespace melvane::bass
