#pragma once
// A decoder that the library's channels pull PCM from.
//
// Threads: a source is created on the caller's thread (BASS_MusicLoad / BASS_StreamCreateFile), then
// read and positioned only on the library's update thread (the channel serialises control requests
// from the caller onto that thread, or holds the channel's decode lock while it calls seek/setOrder).
// read() must not allocate: buffers are sized when the source opens.

#include <cstddef>
#include <cstdint>

namespace melvane::bass {

class AudioSource {
public:
    virtual ~AudioSource() = default;

    virtual int sampleRate() const = 0;
    // 1 or 2. Sources with more channels mix down to stereo.
    virtual int channels() const = 0;
    // Decodes up to `frames` frames of interleaved float samples (channels() per frame, full scale
    // +-1.0) into `out`. Returns the frames written; fewer than asked only at the end (0: ended).
    virtual std::size_t read(float *out, std::size_t frames) = 0;
    // Positions the decoder at `frame` (in the source's own rate). False when it cannot.
    virtual bool seek(std::uint64_t frame) = 0;
    // Length in frames, 0 when unknown.
    virtual std::uint64_t lengthFrames() const = 0;
    // After a read that gave fewer frames than asked: true when the source may give more later (it
    // has not ended, it has nothing yet).
    virtual bool waiting() const { return false; }
};

// A tracker module played by libopenmpt.
class ModuleSource : public AudioSource {
public:
    // Order (position in the order list) being rendered at the end of the last read.
    virtual int currentOrder() const = 0;
    virtual int currentRow() const = 0;
    // Number of orders in the song.
    virtual int orderCount() const = 0;
    // Restarts rendering at the start of `order`. False when out of range.
    virtual bool setOrder(int order) = 0;
    // Music flags (BASS_MUSIC_*): loop, ramping, surround, float mixing. Flags not listed are accepted and ignored.
    virtual void setFlags(std::uint32_t flags) = 0;
    // Amplification 0..100 (50 is neutral) and pan separation 0..100 (50 is the module's own).
    virtual void setAmplify(int amplify) = 0;
    virtual void setPanSeparation(int separation) = 0;
};

} // namespace melvane::bass
