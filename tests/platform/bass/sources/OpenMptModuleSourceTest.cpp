// Modules rendered by OpenMptModuleSource against libopenmpt driven directly with the same settings.

#include "platform/bass/sources/ModuleSurround.h"
#include "platform/bass/sources/OpenMptModuleSource.h"
#include "platform/bass/sources/SourceFactory.h"
#include "tests/platform/bass/sources/SourceTestSupport.h"
#include "platform/bass/bass.h"
#include "tests/support/ModuleWriter.h"
#include "tests/support/TempDir.h"

#include <libopenmpt/libopenmpt.h>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace melvane::bass::test {
namespace {

constexpr int kRate = 44100;
constexpr int kOrders = 3;
constexpr int kRows = 64;  // MOD and S3M patterns always have 64 rows

// Three orders of 64 rows; each order plays its own notes on all four channels, so every order sounds
// different. MOD and S3M pan their channels left and right by default; XM and IT centre them, so
// their songs pan channels 0 and 3 left and 1 and 2 right with a panning command on the first row.
ModuleSong TestSong(const std::string &format)
{
    ModuleSong song;
    song.channels = 4;
    song.samples = {ModuleSample::Square(256, 32), ModuleSample::Sine(512, 64)};
    for (int p = 0; p < kOrders; ++p) {
        ModulePattern pattern(kRows, 4);
        for (int row = 0; row < kRows; row += 8)
            for (int ch = 0; ch < 4; ++ch) {
                ModuleCell &cell = pattern.at(row, ch);
                cell.note = static_cast<std::uint8_t>(37 + p * 5 + ch * 3 + row / 16);
                cell.instrument = static_cast<std::uint8_t>(1 + (ch + row / 4) % 2);
                if (row == 0 && (format == "xm" || format == "it")) {
                    cell.effect = format == "xm" ? 0x8 : 'X';
                    cell.param = (ch == 0 || ch == 3) ? 0x20 : 0xE0;
                }
            }
        song.patterns.push_back(pattern);
        song.orders.push_back(p);
    }
    return song;
}

using Writer = std::function<std::string(const ModuleSong &)>;
struct Format {
    const char *name;
    Writer write;
};
const Format kFormats[] = {
    {"mod", [](const ModuleSong &s) { return ModuleWriter::Mod(s); }},
    {"s3m", [](const ModuleSong &s) { return ModuleWriter::S3m(s); }},
    {"xm", [](const ModuleSong &s) { return ModuleWriter::Xm(s); }},
    {"it", [](const ModuleSong &s) { return ModuleWriter::It(s); }},
};

// libopenmpt on its own, set up as the settings below say it should be.
class Reference {
public:
    explicit Reference(const std::string &bytes)
    {
        module = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr,
                                                    openmpt_error_func_ignore, nullptr, nullptr, nullptr, nullptr);
        openmpt_module_ctl_set_text(module, "play.at_end", "stop");
        openmpt_module_ctl_set_integer(module, "dither", 0);
    }
    ~Reference() { openmpt_module_destroy(module); }
    Reference(const Reference &) = delete;
    Reference &operator=(const Reference &) = delete;

    // Renders in blocks of at most `block` frames: libopenmpt's volume ramps depend (in the last
    // bits) on where render calls begin, so a sample-exact comparison uses the source's block size.
    std::vector<float> render(std::size_t frames, bool floatMixing, std::size_t block = OpenMptModuleSource::kChunkFrames)
    {
        std::vector<float> out(2 * frames);
        std::vector<std::int16_t> pcm(2 * frames);
        std::size_t done = 0;
        while (done < frames) {
            const std::size_t want = std::min(block, frames - done);
            const std::size_t got =
                floatMixing ? openmpt_module_read_interleaved_float_stereo(module, kRate, want, out.data() + 2 * done)
                            : openmpt_module_read_interleaved_stereo(module, kRate, want, pcm.data() + 2 * done);
            done += got;
            if (got < want)
                break;
        }
        if (!floatMixing)
            for (std::size_t i = 0; i < 2 * done; ++i)
                out[i] = pcm[i] / 32768.0f;
        out.resize(2 * done);
        return out;
    }

    openmpt_module *module = nullptr;
};

struct Settings {
    const char *name;
    std::uint32_t flags;
    int amplify;
    int panSeparation;
    // What libopenmpt must be given for these settings.
    std::int32_t gainMillibel;
    std::int32_t separationPercent;
    std::int32_t ramping;
    int repeat;
};

const Settings kSettings[] = {
    {"neutral_float", BASS_MUSIC_FLOAT | 0x120, 50, 50, 0, 100, 0, 0},
    {"neutral_16bit", 0x120, 50, 50, 0, 100, 0, 0},
    {"half_gain_ramp", BASS_MUSIC_FLOAT | BASS_MUSIC_RAMP, 25, 50, -602, 100, 2, 0},
    {"double_gain_sensitive_ramp_16bit", BASS_MUSIC_RAMPS, 100, 75, 602, 150, 5, 0},
    {"both_ramps_wide_loop", BASS_MUSIC_FLOAT | BASS_MUSIC_RAMP | BASS_MUSIC_RAMPS | BASS_MUSIC_LOOP, 50, 100, 0, 200, 5, -1},
    {"mono_quiet", BASS_MUSIC_FLOAT, 10, 0, -1398, 0, 0, 0},
};

class OpenMptModuleSourceTest : public ::testing::TestWithParam<std::tuple<Format, Settings>> {
protected:
    void SetUp() override
    {
        bytes = std::get<0>(GetParam()).write(TestSong(std::get<0>(GetParam()).name));
        path = dir.file(std::string("song.") + std::get<0>(GetParam()).name);
        ASSERT_TRUE(ModuleWriter::Save(path, bytes));
    }

    TempDir dir;
    std::string bytes;
    std::string path;
};

// Sample for sample what libopenmpt renders with the mapped settings, over the whole song; then the
// position reports agree too.
TEST_P(OpenMptModuleSourceTest, MatchesLibopenmptWithTheSameSettings)
{
    const Settings &s = std::get<1>(GetParam());
    int error = -1;
    auto source = OpenMptModuleSource::Open(path.c_str(), error, kRate);
    ASSERT_NE(source, nullptr) << "error " << error;
    source->setFlags(s.flags);
    source->setAmplify(s.amplify);
    source->setPanSeparation(s.panSeparation);
    EXPECT_EQ(source->orderCount(), kOrders);
    EXPECT_EQ(source->channels(), 2);
    EXPECT_EQ(source->sampleRate(), kRate);

    Reference ref(bytes);
    openmpt_module_set_repeat_count(ref.module, s.repeat);
    openmpt_module_set_render_param(ref.module, OPENMPT_MODULE_RENDER_MASTERGAIN_MILLIBEL, s.gainMillibel);
    openmpt_module_set_render_param(ref.module, OPENMPT_MODULE_RENDER_STEREOSEPARATION_PERCENT, s.separationPercent);
    openmpt_module_set_render_param(ref.module, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH, s.ramping);
    const bool floatMixing = (s.flags & BASS_MUSIC_FLOAT) != 0;

    const std::size_t frames = source->lengthFrames() + kRate;  // past the end, unless looping
    std::size_t compared = 0;
    while (compared < frames) {
        // 4096 frames: a whole number of the source's blocks, so block boundaries line up.
        const std::vector<float> ours = DecodeFrames(*source, 4096, 4096);
        const std::vector<float> theirs = ref.render(4096, floatMixing);
        ASSERT_EQ(ours.size(), theirs.size()) << "after " << compared << " frames";
        ASSERT_EQ(MaxDifference(ours, theirs).maxAbs, 0.0) << "after " << compared << " frames";
        EXPECT_EQ(source->currentOrder(), openmpt_module_get_current_order(ref.module));
        EXPECT_EQ(source->currentRow(), openmpt_module_get_current_row(ref.module));
        if (ours.empty())
            break;
        compared += ours.size() / 2;
    }
    if (s.repeat == 0)
        EXPECT_LT(compared, frames);  // the song ended
    else
        EXPECT_GE(compared, frames);  // the loop went on past the song's length
}

INSTANTIATE_TEST_SUITE_P(FormatsAndSettings, OpenMptModuleSourceTest,
                         ::testing::Combine(::testing::ValuesIn(kFormats), ::testing::ValuesIn(kSettings)),
                         [](const auto &info) {
                             return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
                         });

class ModuleBehaviourTest : public ::testing::TestWithParam<Format> {
protected:
    void SetUp() override
    {
        bytes = GetParam().write(TestSong(GetParam().name));
        path = dir.file(std::string("song.") + GetParam().name);
        ASSERT_TRUE(ModuleWriter::Save(path, bytes));
    }
    std::unique_ptr<ModuleSource> open(std::uint32_t flags = BASS_MUSIC_FLOAT)
    {
        int error = -1;
        auto source = SourceFactory::OpenModule(path.c_str(), error, kRate);
        EXPECT_EQ(error, BASS_OK);
        if (source)
            source->setFlags(flags);
        return source;
    }

    TempDir dir;
    std::string bytes;
    std::string path;
};

// setOrder(n), even in the middle of playing, is heard exactly as a fresh module started at order n.
TEST_P(ModuleBehaviourTest, SetOrderIsHeardFromThatOrdersStart)
{
    constexpr std::size_t kFadeFrames = 64;  // 1.5 ms
    for (int order : {2, 1, 0}) {
        auto source = open();
        ASSERT_NE(source, nullptr);
        DecodeFrames(*source, 30000);
        ASSERT_TRUE(source->setOrder(order));
        EXPECT_EQ(source->currentOrder(), order);
        EXPECT_EQ(source->currentRow(), 0);
        const std::vector<float> ours = DecodeFrames(*source, 20000);

        Reference ref(bytes);
        openmpt_module_set_position_order_row(ref.module, order, 0);
        const std::vector<float> theirs = ref.render(20000, true);
        ASSERT_EQ(ours.size(), theirs.size());
        // libopenmpt fades out the voices that were sounding over the first few frames (15 here);
        // from then on the sound is exactly that of a fresh start at the order.
        const std::vector<float> oursAfter(ours.begin() + 2 * kFadeFrames, ours.end());
        const std::vector<float> theirsAfter(theirs.begin() + 2 * kFadeFrames, theirs.end());
        EXPECT_EQ(MaxDifference(oursAfter, theirsAfter).maxAbs, 0.0) << "order " << order;
        EXPECT_GT(Rms(ours), 0.01);
        EXPECT_EQ(source->currentOrder(), order);
    }
    auto source = open();
    EXPECT_FALSE(source->setOrder(kOrders));
    EXPECT_FALSE(source->setOrder(-1));
}

// After the song has ended, choosing an order plays again.
TEST_P(ModuleBehaviourTest, SetOrderAfterTheEndPlaysAgain)
{
    auto source = open();
    ASSERT_NE(source, nullptr);
    DecodeAll(*source, 4096);
    std::vector<float> buffer(2000);
    EXPECT_EQ(source->read(buffer.data(), 1000), 0u);
    ASSERT_TRUE(source->setOrder(1));
    EXPECT_EQ(source->read(buffer.data(), 1000), 1000u);
}

TEST_P(ModuleBehaviourTest, AmplifyRaisesTheLevelMonotonically)
{
    double previous = -1;
    for (int amplify : {0, 5, 20, 40, 50, 70, 100}) {
        auto source = open();
        source->setAmplify(amplify);
        const double rms = Rms(DecodeFrames(*source, 40000));
        if (amplify == 0)
            EXPECT_LT(rms, 1e-4);
        else
            EXPECT_GT(rms, previous * 1.05) << "amplify " << amplify;
        previous = rms;
    }
}

TEST_P(ModuleBehaviourTest, PanSeparationZeroIsMono)
{
    auto source = open();
    source->setPanSeparation(0);
    const std::vector<float> out = DecodeFrames(*source, 40000);
    ASSERT_EQ(out.size(), 80000u);
    for (std::size_t i = 0; i < out.size(); i += 2)
        ASSERT_EQ(out[i], out[i + 1]) << "frame " << i / 2;
    EXPECT_GT(Rms(out), 0.01);

    // The module's own separation keeps a stereo image, and twice that widens it.
    auto own = open();
    auto wide = open();
    wide->setPanSeparation(100);
    auto side = [](const std::vector<float> &stereo) {
        std::vector<float> s;
        for (std::size_t i = 0; i < stereo.size(); i += 2)
            s.push_back(stereo[i] - stereo[i + 1]);
        return Rms(s);
    };
    const double ownSide = side(DecodeFrames(*own, 40000));
    EXPECT_GT(ownSide, 0.01);
    EXPECT_GT(side(DecodeFrames(*wide, 40000)), ownSide * 1.2);
}

// The two surround processes each change the sound, differently, and both keep the mono sum.
TEST_P(ModuleBehaviourTest, SurroundModesAreAudiblyDifferent)
{
    std::vector<std::vector<float>> outputs;
    for (std::uint32_t surround : {0u, std::uint32_t(BASS_MUSIC_SURROUND), std::uint32_t(BASS_MUSIC_SURROUND2)}) {
        auto source = open(BASS_MUSIC_FLOAT | surround);
        outputs.push_back(DecodeFrames(*source, 40000));
        ASSERT_EQ(outputs.back().size(), 80000u);
    }
    auto differenceRms = [](const std::vector<float> &a, const std::vector<float> &b) {
        std::vector<float> d(a.size());
        for (std::size_t i = 0; i < a.size(); ++i)
            d[i] = a[i] - b[i];
        return Rms(d);
    };
    const double level = Rms(outputs[0]);
    EXPECT_GT(differenceRms(outputs[1], outputs[0]), 0.1 * level);
    EXPECT_GT(differenceRms(outputs[2], outputs[0]), 0.1 * level);
    EXPECT_GT(differenceRms(outputs[1], outputs[2]), 0.1 * level);
    for (int mode : {1, 2})
        for (std::size_t i = 0; i < 80000; i += 2)
            ASSERT_NEAR(outputs[mode][i] + outputs[mode][i + 1], outputs[0][i] + outputs[0][i + 1], 1e-5);
}

// Without the loop flag the song ends at its length; with it, it goes on from the start again.
TEST_P(ModuleBehaviourTest, LoopFlagDecidesWhetherTheSongEnds)
{
    auto once = open(BASS_MUSIC_FLOAT);
    const std::uint64_t length = once->lengthFrames();
    EXPECT_NEAR(static_cast<double>(length), kOrders * kRows * 6 * 2.5 / 125 * kRate, kRate * 0.01);
    const std::size_t played = DecodeAll(*once, 4096).size() / 2;
    EXPECT_NEAR(static_cast<double>(played), static_cast<double>(length), kRate * 0.05);

    auto looping = open(BASS_MUSIC_FLOAT | BASS_MUSIC_LOOP);
    const std::size_t further = 2 * length + length / 6;  // into the first order of the third pass
    EXPECT_EQ(DecodeFrames(*looping, further, 4096).size(), 2 * further);
    EXPECT_EQ(looping->currentOrder(), 0);
}

INSTANTIATE_TEST_SUITE_P(Formats, ModuleBehaviourTest, ::testing::ValuesIn(kFormats),
                         [](const auto &info) { return std::string(info.param.name); });

// The surround processes on their own, with signals whose answers are known.
TEST(ModuleSurroundTest, ImpulseResponses)
{
    const int rate = 48000;
    const std::size_t frames = 2000;
    const std::size_t matrixDelay = std::lround(ModuleSurround::kMatrixDelaySeconds * rate);
    const std::size_t spreadDelay = std::lround(ModuleSurround::kSpreadDelaySeconds * rate);

    // Matrix: a centred (mono) signal passes untouched.
    {
        ModuleSurround surround(rate);
        surround.setMode(ModuleSurround::Mode::Matrix);
        std::vector<float> stereo(2 * frames);
        for (std::size_t f = 0; f < frames; ++f)
            stereo[2 * f] = stereo[2 * f + 1] = std::sin(0.05f * f);
        const std::vector<float> input = stereo;
        surround.process(stereo.data(), frames);
        EXPECT_EQ(MaxDifference(stereo, input).maxAbs, 0.0);
    }
    // Matrix: a click on the left only comes back after the delay, in opposite polarity on the two
    // sides, positive on the left.
    {
        ModuleSurround surround(rate);
        surround.setMode(ModuleSurround::Mode::Matrix);
        std::vector<float> stereo(2 * frames);
        stereo[0] = 1;
        surround.process(stereo.data(), frames);
        for (std::size_t f = 1; f < matrixDelay; ++f)
            ASSERT_EQ(stereo[2 * f], 0.0f) << f;
        EXPECT_GT(stereo[2 * matrixDelay], 0.0f);
        EXPECT_EQ(stereo[2 * matrixDelay], -stereo[2 * matrixDelay + 1]);
    }
    // Spread: a centred click comes back after its own, shorter delay, pushed apart.
    {
        ModuleSurround surround(rate);
        surround.setMode(ModuleSurround::Mode::Spread);
        std::vector<float> stereo(2 * frames);
        stereo[0] = stereo[1] = 1;
        surround.process(stereo.data(), frames);
        for (std::size_t f = 1; f < frames; ++f) {
            const float expected = f == spreadDelay ? ModuleSurround::kSpreadGain : 0.0f;
            ASSERT_EQ(stereo[2 * f], expected) << f;
            ASSERT_EQ(stereo[2 * f + 1], -expected) << f;
        }
    }
    // Processing in pieces equals processing at once, and reset forgets the past.
    for (auto mode : {ModuleSurround::Mode::Matrix, ModuleSurround::Mode::Spread}) {
        std::vector<float> signal(2 * frames);
        for (std::size_t i = 0; i < signal.size(); ++i)
            signal[i] = std::sin(0.013f * i) * (i % 2 ? 0.3f : 1.0f);
        ModuleSurround whole(rate), pieces(rate);
        whole.setMode(mode);
        pieces.setMode(mode);
        std::vector<float> a = signal, b = signal;
        whole.process(a.data(), frames);
        for (std::size_t at = 0; at < frames; at += 137)
            pieces.process(b.data() + 2 * at, std::min<std::size_t>(137, frames - at));
        EXPECT_EQ(MaxDifference(a, b).maxAbs, 0.0);
        std::vector<float> c = signal;
        whole.reset();
        whole.process(c.data(), frames);
        EXPECT_EQ(MaxDifference(a, c).maxAbs, 0.0);
    }
}

} // namespace
} // namespace melvane::bass::test
