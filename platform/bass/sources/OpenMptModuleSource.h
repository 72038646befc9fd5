#pragma once
// A MOD, S3M, XM or IT module rendered by libopenmpt as stereo float at the output rate.
//
// Music flags:
//   BASS_MUSIC_LOOP (0x4)      repeat forever; without it the song ends at its end or at its first
//                              jump back to an order already played.
//   BASS_MUSIC_RAMP (0x1)      normal volume ramping: libopenmpt ramping strength 2 (short ramps that
//                              remove clicks from note starts and volume changes).
//   BASS_MUSIC_RAMPS (0x2)     sensitive ramping: strength 5 (longer, softer ramps); wins over 0x1.
//                              Neither flag: no ramping at all (strength 0), the classic hard sound.
//   BASS_MUSIC_SURROUND (0x200), BASS_MUSIC_SURROUND2 (0x400)
//                              our two surround processes (ModuleSurround: Matrix and Spread); 0x200
//                              wins when both are given.
//   BASS_MUSIC_FLOAT (0x10000) mix in float; without it the mix is quantised to 16 bits (libopenmpt's
//                              16-bit output without dither) before it is handed on as float.
//   Anything else (0x20, 0x100, ...) is accepted and ignored.
// Amplify 0..100 is a linear gain of amplify/50 (50 neutral, 100 = +6 dB, 0 silent) given to
// libopenmpt as master gain in millibel. Pan separation 0..100 maps to libopenmpt's stereo separation
// 0..200 % (0 mono, 50 the module's own, 100 twice as wide).
//
// Threads: created on the caller's thread; read, setOrder, seek and the setters on the update thread.
// currentOrder() and currentRow() may be read from any thread.

#include "platform/bass/AudioSource.h"
#include "platform/bass/sources/ModuleSurround.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

struct openmpt_module;

namespace melvane::bass {

class OpenMptModuleSource final : public ModuleSource {
public:
    static constexpr std::size_t kChunkFrames = 1024;
    static constexpr std::uint64_t kMaxFileBytes = 256ull * 1024 * 1024;

    // nullptr on failure, with `error` set to a BASS_ERROR_* code.
    static std::unique_ptr<OpenMptModuleSource> Open(const char *path, int &error, int outputRate);
    ~OpenMptModuleSource() override;

    int sampleRate() const override { return m_rate; }
    int channels() const override { return 2; }
    std::size_t read(float *out, std::size_t frames) override;
    bool seek(std::uint64_t frame) override;
    std::uint64_t lengthFrames() const override { return m_length; }

    int currentOrder() const override { return m_order.load(std::memory_order_relaxed); }
    int currentRow() const override { return m_row.load(std::memory_order_relaxed); }
    int orderCount() const override { return m_orderCount; }
    bool setOrder(int order) override;
    void setFlags(std::uint32_t flags) override;
    void setAmplify(int amplify) override;
    void setPanSeparation(int separation) override;

    // The libopenmpt values the settings above map to (shared with tests that render by hand).
    static std::int32_t MasterGainMillibel(int amplify);
    static std::int32_t StereoSeparationPercent(int separation);
    static std::int32_t RampingStrength(std::uint32_t flags);

private:
    explicit OpenMptModuleSource(int rate);
    void updatePosition();

    openmpt_module *m_module = nullptr;
    int m_rate = 0;
    int m_orderCount = 0;
    std::uint64_t m_length = 0;
    bool m_floatMixing = false;
    ModuleSurround m_surround;
    std::vector<std::int16_t> m_pcm16;
    std::atomic<int> m_order {0};
    std::atomic<int> m_row {0};
};

} // namespace melvane::bass
