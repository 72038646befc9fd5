// The library's control surface: initialisation and devices, handles, byte/time units, repositioning
// and bad input.

#include "tests/platform/bass/BassTestSupport.h"
#include "tests/support/ModuleWriter.h"
#include "tests/support/TempDir.h"

#include <functional>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace {

TEST(Library, ReportsVersionInfoAndBufferLength)
{
    EXPECT_GE(BASS_GetVersion(), 0x00080001u);
    ManualOutput output(48000);
    ASSERT_TRUE(output.ok());
    BASS_INFO info{};
    info.size = sizeof info;
    BASS_GetInfo(&info);
    EXPECT_GE(info.dsver, 8u);
    EXPECT_EQ(info.freq, 48000u);
    for (const float seconds : {0.5f, 1.0f, 1.5f, 2.0f})
        EXPECT_EQ(BASS_SetBufferLength(seconds), seconds);
    EXPECT_FALSE(BASSX_InitManual(44100)) << "a second initialisation";
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
}

TEST(Library, CallsBeforeInitialisationFail)
{
    ToneProc tone;
    EXPECT_EQ(BASS_StreamCreate(44100, 0, &ToneProc::Proc, &tone), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_FALSE(BASS_Start());
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    float out[4];
    EXPECT_EQ(BASSX_Render(out, 2), 0u);
}

// Every call taking a handle refuses 0, a made-up value and the handle of a freed channel (even when
// its slot has been reused).
TEST(Handles, InvalidAndStaleHandlesAreRefused)
{
    ManualOutput output(44100);
    ASSERT_TRUE(output.ok());
    ToneProc tone;
    const HSTREAM freed = tone.create();
    ASSERT_NE(freed, 0u);
    BASS_StreamFree(freed);
    const HSTREAM live = tone.create();
    ASSERT_NE(live, 0u);
    EXPECT_NE(live, freed);
    for (const DWORD handle : {DWORD{0}, DWORD{0x00ABCDEFu}, freed, DWORD{0xFFFFFFFFu}}) {
        SCOPED_TRACE(handle);
        float buffer[1024];
        EXPECT_FALSE(BASS_StreamPlay(handle, FALSE, 0));
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_FALSE(BASS_ChannelStop(handle));
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
        EXPECT_EQ(BASS_ChannelIsActive(handle), 0u);
        EXPECT_EQ(BASS_ChannelGetLevel(handle), DWORD(-1));
        EXPECT_EQ(BASS_ChannelGetData(handle, buffer, 4096), DWORD(-1));
        EXPECT_FALSE(BASS_ChannelSetAttributes(handle, -1, 50, -101));
        EXPECT_EQ(BASS_ChannelGetPosition(handle), QWORD(-1));
        EXPECT_FALSE(BASS_ChannelSetPosition(handle, 0));
        EXPECT_EQ(BASS_ChannelSetFX(handle, BASS_FX_PARAMEQ), 0u);
        EXPECT_FALSE(BASS_MusicPlayEx(handle, 0, -1, TRUE));
        EXPECT_FALSE(BASS_MusicSetAmplify(handle, 50));
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
        BASS_StreamFree(handle);
        EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    }
    // A stream is not music.
    EXPECT_FALSE(BASS_MusicPlayEx(live, 0, -1, TRUE));
    BASS_MusicFree(live);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_TRUE(BASS_StreamPlay(live, FALSE, 0)) << "still alive after the refused MusicFree";
    BASS_StreamFree(live);
}

TEST(Units, BytesAndSecondsFollowTheChannelFormat)
{
    ManualOutput output(44100);
    ASSERT_TRUE(output.ok());
    struct Case {
        DWORD rate, flags;
        QWORD bytesPerSecond;
    };
    for (const Case c : {Case{44100, 0, 176400}, Case{44100, BASS_SAMPLE_FLOAT, 352800},
                         Case{22050, BASS_SAMPLE_MONO, 44100}, Case{22050, BASS_SAMPLE_MONO | BASS_SAMPLE_FLOAT, 88200}}) {
        const HSTREAM stream = BASS_StreamCreate(c.rate, c.flags, nullptr, nullptr);
        ASSERT_NE(stream, 0u);
        EXPECT_EQ(BASS_ChannelSeconds2Bytes(stream, 1.0f), c.bytesPerSecond);
        EXPECT_EQ(BASS_ChannelSeconds2Bytes(stream, 2.5f), c.bytesPerSecond * 5 / 2);
        EXPECT_FLOAT_EQ(BASS_ChannelBytes2Seconds(stream, c.bytesPerSecond * 3), 3.0f);
        BASS_StreamFree(stream);
    }
}

// A WAV file of a known signal, decoded independently by ffmpeg, judges the file stream: the samples
// heard match, and after a reposition the very next frame heard comes from the new position.
TEST(FileStream, RepositionFlushesSoTheNewPlaceIsHeardAtOnce)
{
    TempDir dir;
    const std::string wav = dir.file("tone.wav");
    const std::string raw = dir.file("tone.raw");
    ASSERT_EQ(RunCommand("sox -n -r 44100 -c 2 -b 16 " + wav + " synth 3 sine 300 sine 700 vol 0.5 2>/dev/null"), 0);
    ASSERT_EQ(RunCommand("ffmpeg -v quiet -y -i " + wav + " -f s16le -acodec pcm_s16le " + raw), 0);
    const std::string pcm = ReadWholeFile(raw);
    ASSERT_EQ(pcm.size(), 3u * 44100 * 4);
    auto sample = [&](std::size_t frame, int side) {
        std::int16_t s;
        std::memcpy(&s, pcm.data() + frame * 4 + static_cast<std::size_t>(side) * 2, 2);
        return s / 32768.0f;
    };

    ManualOutput output(44100);
    ASSERT_TRUE(output.ok());
    const HSTREAM stream = BASS_StreamCreateFile(FALSE, wav.c_str(), 0, 0, 0);
    ASSERT_NE(stream, 0u) << BASS_ErrorGetCode();
    ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    const std::vector<float> start = output.render(1000);
    for (std::size_t f = 0; f < 1000; ++f)
        ASSERT_EQ(start[f * 2 + 1], sample(f, 1)) << f;

    const std::uint64_t target = 2 * 44100 + 123;
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 2.0f) + 123 * 4));
    EXPECT_EQ(BASS_ChannelGetPosition(stream), target * 4);
    const std::vector<float> after = output.render(500);
    for (std::size_t f = 0; f < 500; ++f) {
        ASSERT_EQ(after[f * 2], sample(target + f, 0)) << f;
        ASSERT_EQ(after[f * 2 + 1], sample(target + f, 1)) << f;
    }
    EXPECT_EQ(BASS_ChannelGetPosition(stream), (target + 500) * 4);
    EXPECT_FALSE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 10.0f))) << "past the end";
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_POSITION);

    // The rest of the file plays out and the stream ends.
    output.render(44100 - 123 - 500 - 1);
    EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD{BASS_ACTIVE_PLAYING});
    output.render(1);
    EXPECT_EQ(BASS_ChannelIsActive(stream), DWORD{BASS_ACTIVE_STOPPED});
    BASS_StreamFree(stream);
}

TEST(BadInput, UnreadableFilesGiveNoChannelAndAnError)
{
    TempDir dir;
    const std::string empty = dir.file("empty.wav");
    const std::string garbage = dir.file("garbage.mod");
    const std::string truncated = dir.file("truncated.wav");
    ASSERT_TRUE(ModuleWriter::Save(empty, ""));
    std::string noise(5000, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 7919 + 13) & 0xFF);
    ASSERT_TRUE(ModuleWriter::Save(garbage, noise));
    ASSERT_EQ(RunCommand("sox -n -r 44100 -c 2 -b 16 " + truncated + " synth 1 sine 440 2>/dev/null"), 0);
    const std::string whole = ReadWholeFile(truncated);
    ASSERT_TRUE(ModuleWriter::Save(truncated, whole.substr(0, 30)));

    ManualOutput output(44100);
    ASSERT_TRUE(output.ok());
    for (const std::string &path : {dir.file("missing.wav"), empty, garbage, truncated, dir.path().string()}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0), 0u);
        EXPECT_NE(BASS_ErrorGetCode(), BASS_OK);
        EXPECT_EQ(BASS_MusicLoad(FALSE, path.c_str(), 0, 0, 0x120), 0u);
        EXPECT_NE(BASS_ErrorGetCode(), BASS_OK);
    }
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, nullptr, 0, 0, 0), 0u);
    EXPECT_EQ(BASS_MusicLoad(FALSE, nullptr, 0, 0, 0), 0u);
}

// A module of orders that each hold one 16-row pattern; the position reports the order being heard.
TEST(Music, PositionFollowsTheOrderHeardAndRepositionIsImmediate)
{
    TempDir dir;
    ModuleSong song;
    song.speed = 6;
    song.tempo = 125; // 6 ticks of 20 ms: 0.12 s a row, 1.92 s a 16-row pattern
    for (int p = 0; p < 4; ++p) {
        ModulePattern pattern(64, 4);
        pattern.at(0, 0) = ModuleCell{static_cast<std::uint8_t>(37 + p * 5), 1, 0, 0};
        pattern.at(15, 1) = ModuleCell{0, 0, 0xD, 0}; // break after 16 rows
        song.patterns.push_back(pattern);
        song.orders.push_back(p);
    }
    const std::string path = dir.file("song.xm");
    ASSERT_TRUE(ModuleWriter::Save(path, ModuleWriter::Xm(song)));

    ManualOutput output(44100);
    ASSERT_TRUE(output.ok());
    BASS_SetBufferLength(2.0f);
    const HMUSIC music = BASS_MusicLoad(FALSE, path.c_str(), 0, 0, 0x120);
    ASSERT_NE(music, 0u) << BASS_ErrorGetCode();
    EXPECT_EQ(BASS_MusicGetLength(music, FALSE), 4u);
    ASSERT_TRUE(BASS_MusicPlayEx(music, 0, 0x120, TRUE));
    output.render(44100); // 1 s: still the first order although two seconds are decoded ahead
    EXPECT_EQ(BASS_ChannelGetPosition(music) & 0xFFFF, 0u);
    EXPECT_NEAR(static_cast<double>(BASS_ChannelGetPosition(music) >> 16), 1.0 / 0.12, 1.5);
    output.render(44100 * 3 / 2); // 2.5 s
    EXPECT_EQ(BASS_ChannelGetPosition(music) & 0xFFFF, 1u);

    ASSERT_TRUE(BASS_MusicPlayEx(music, 3, -1, FALSE));
    output.render(2205);
    EXPECT_EQ(BASS_ChannelGetPosition(music) & 0xFFFF, 3u);
    EXPECT_FALSE(BASS_MusicPlayEx(music, 4, -1, FALSE)) << "no such order";
    EXPECT_EQ(BASS_ChannelGetPosition(music) & 0xFFFF, 3u);
    // Without looping the song ends after its last order is heard.
    output.render(44100 * 2);
    EXPECT_EQ(BASS_ChannelIsActive(music), DWORD{BASS_ACTIVE_STOPPED});
    BASS_MusicFree(music);
}

// A module whose first channel plays one long sine note from the first row, saved as an XM or (on
// the hard-left first channel of an Amiga layout) a MOD; the path, or empty when it could not be saved.
std::string SaveOneNoteModule(const TempDir &dir, bool mod)
{
    ModuleSong song;
    ModulePattern pattern(64, 4);
    pattern.at(0, 0) = ModuleCell{40, 1, 0, 0};
    song.patterns.push_back(pattern);
    song.orders.push_back(0);
    song.samples.push_back(ModuleSample::Sine(64, 64));
    const std::string path = dir.file(mod ? "song.mod" : "song.xm");
    return ModuleWriter::Save(path, mod ? ModuleWriter::Mod(song) : ModuleWriter::Xm(song)) ? path : std::string();
}

} // namespace

// Float mixing is chosen when the module is loaded; the flags of a later play keep it as it was.
TEST(Music, FloatMixingChosenAtLoadSurvivesThePlayFlags)
{
    TempDir dir;
    const std::string path = SaveOneNoteModule(dir, false);
    ASSERT_FALSE(path.empty());
    struct Case {
        DWORD loadFlags;
        int playFlags;
        bool floatMixing;
    };
    for (const Case c : {Case{0x10120, 0x120, true}, Case{0x10120, 0x121, true}, Case{0x10120, -1, true},
                         Case{0x120, 0x10120, false}, Case{0x120, 0x120, false}}) {
        SCOPED_TRACE(testing::Message() << std::hex << c.loadFlags << " " << c.playFlags);
        ManualOutput output(44100);
        ASSERT_TRUE(output.ok());
        const HMUSIC music = BASS_MusicLoad(FALSE, path.c_str(), 0, 0, c.loadFlags);
        ASSERT_NE(music, 0u) << BASS_ErrorGetCode();
        ASSERT_TRUE(BASS_MusicPlayEx(music, 0, c.playFlags, TRUE));
        const std::vector<float> out = output.render(8192);
        const auto offGrid = std::count_if(out.begin(), out.end(), [](float v) {
            return v * 32768.0f != std::nearbyint(v * 32768.0f);
        });
        const auto sounding = std::count_if(out.begin(), out.end(), [](float v) { return v != 0.0f; });
        ASSERT_GT(sounding, 4000);
        if (c.floatMixing)
            EXPECT_GT(offGrid, sounding / 2) << "mixed in float, most samples fall between 16-bit steps";
        else
            EXPECT_EQ(offGrid, 0) << "mixed in 16 bits";
        BASS_MusicFree(music);
    }
}

// A module is rendered only a short way ahead, however long the buffer, so a change of its
// amplification is heard at once rather than after the buffered audio.
// A module is rendered only a short way ahead, so a change of its mixing is heard 0.3 s later even with
// a 2 s buffer: amplification (the peak) and pan separation (a note on the hard-left channel of a MOD
// reaching the right side once the separation is 0).
TEST(Music, MixingChangesAreHeardWithinAQuarterSecond)
{
    struct Peaks {
        float left = 0, right = 0;
    };
    struct Case {
        const char *name;
        bool mod;
        std::function<bool(HMUSIC)> before, change;
        std::function<bool(Peaks, Peaks)> heard; // before, after
    };
    const Case cases[] = {
        {"amplification", false, [](HMUSIC m) { return BASS_MusicSetAmplify(m, 50) != FALSE; },
         [](HMUSIC m) { return BASS_MusicSetAmplify(m, 10) != FALSE; },
         [](Peaks a, Peaks b) { return b.left < a.left * 0.5f; }},
        {"pan separation", true, [](HMUSIC m) { return BASS_MusicSetPanSep(m, 50) != FALSE; },
         [](HMUSIC m) { return BASS_MusicSetPanSep(m, 0) != FALSE; },
         [](Peaks a, Peaks b) { return a.right < a.left * 0.5f && b.right > b.left * 0.9f; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = SaveOneNoteModule(dir, c.mod);
        ASSERT_FALSE(path.empty());

        ManualOutput output(44100);
        ASSERT_TRUE(output.ok());
        BASS_SetBufferLength(2.0f);
        const HMUSIC music = BASS_MusicLoad(FALSE, path.c_str(), 0, 0, 0x120);
        ASSERT_NE(music, 0u) << BASS_ErrorGetCode();
        ASSERT_TRUE(c.before(music));
        ASSERT_TRUE(BASS_MusicPlayEx(music, 0, 0x120, TRUE));
        const auto peaks = [&](std::uint32_t frames) {
            Peaks p;
            const std::vector<float> block = output.render(frames);
            for (std::size_t i = 0; i + 1 < block.size(); i += 2) {
                p.left = std::max(p.left, std::fabs(block[i]));
                p.right = std::max(p.right, std::fabs(block[i + 1]));
            }
            return p;
        };
        output.render(22050);
        const Peaks before = peaks(4410);
        ASSERT_GT(before.left, 0.01f);
        ASSERT_TRUE(c.change(music));
        output.render(44100 * 3 / 10);
        const Peaks after = peaks(4410);
        EXPECT_TRUE(c.heard(before, after)) << "heard 0.3 s after the change: left " << before.left << " -> "
                                            << after.left << ", right " << before.right << " -> " << after.right;
        BASS_MusicFree(music);
    }
}
