// A stream procedure may deliver any bit pattern. A NaN, an infinity or an absurdly large sample must
// not reach the output, and must not stay in the equalizer's filter state: the tone around it plays on.

#include "tests/platform/bass/BassTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace {

struct OddSample {
    ToneProc tone;
    std::uint64_t atFrame = 3000;
    float value = 0;
    static DWORD Proc(HSTREAM handle, void *buffer, DWORD length, void *user)
    {
        auto *self = static_cast<OddSample *>(user);
        const std::uint64_t first = self->tone.frame;
        const DWORD got = ToneProc::Proc(handle, buffer, length, &self->tone);
        if (self->atFrame >= first && self->atFrame < self->tone.frame)
            std::memcpy(static_cast<float *>(buffer) + (self->atFrame - first) * 2, &self->value, sizeof(float));
        return got;
    }
};

TEST(NonFiniteSamples, AreSilencedWhereTheChannelStoresThem)
{
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float value;
        bool equalizer;
    };
    for (const Case c : {Case{std::nanf(""), false}, Case{std::nanf(""), true}, Case{inf, false}, Case{-inf, true},
                         Case{std::numeric_limits<float>::max(), true}}) {
        SCOPED_TRACE(testing::Message() << c.value << (c.equalizer ? " with the equalizer" : ""));
        ManualOutput output(44100);
        ASSERT_TRUE(output.ok());
        OddSample odd;
        odd.value = c.value;
        odd.tone.amplitude[0] = odd.tone.amplitude[1] = 0.25;
        const HSTREAM stream = BASS_StreamCreate(44100, BASS_SAMPLE_FLOAT, &OddSample::Proc, &odd);
        ASSERT_NE(stream, 0u);
        if (c.equalizer) {
            const HFX fx = BASS_ChannelSetFX(stream, BASS_FX_PARAMEQ);
            const BASS_FXPARAMEQ band{1000.0f, 12.0f, 15.0f};
            ASSERT_TRUE(BASS_FXSetParameters(fx, &band));
        }
        ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
        const std::vector<float> out = output.render(20000);
        for (std::size_t i = 0; i < out.size(); ++i)
            ASSERT_TRUE(std::isfinite(out[i]) && std::fabs(out[i]) <= 1.0f) << "sample " << i << " is " << out[i];
        if (!c.equalizer) {
            for (std::size_t f = 0; f < 20000; ++f)
                ASSERT_EQ(out[f * 2], f == odd.atFrame ? 0.0f : odd.tone.expected(f, 0)) << "frame " << f;
        }
        // Long after the odd sample the tone sounds as loud as before it.
        EXPECT_NEAR(Db(SideRms(out, 0, 15000, 20000) / SideRms(out, 0, 500, 2900)), 0.0, 0.5);
        BASS_StreamFree(stream);
    }
}

} // namespace
