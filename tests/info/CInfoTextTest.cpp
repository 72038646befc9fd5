// The information texts of the WAV, MPEG, Ogg Vorbis and FLAC windows on files made by sox, lame,
// oggenc, flac and ffmpeg; ffprobe and metaflac judge the numbers behind them.

#include "tests/tags/Ffprobe.h"
#include "tests/tags/TagFixtures.h"
#include "info/CGenreList.h"
#include "info/CMpegInfo.h"
#include "info/CTagInfo.h"
#include "info/CWavInfo.h"
#include "core/CPlaylistEntry.h"
#include "tags/CTrackInfo.h"

#include <gtest/gtest.h>

#include <regex>

#include <cmath>

namespace {

TEST(CWavInfo, TextFromTheHeader)
{
    struct Case {
        const char *name;
        const char *make;
        std::string patch; // bytes written at offset 20 (the format tag) when not empty
        const char *length, *format, *type;
    } cases[] = {
        {"pcm", "sox -n -r 44100 -c 2 -b 16 OUT synth 3.5 sine 440", "", "3.50 sec", "44100 Hz, 16 bit, Stereo",
         "Microsoft PCM"},
        {"12.05 s", "sox -n -r 8000 -c 1 -b 8 OUT synth 12.05 sine 440", "", "12.05 sec", "8000 Hz, 8 bit, Mono",
         "Microsoft PCM"},
        {"over a minute", "sox -n -r 8000 -c 1 -b 16 OUT synth 65.5 sine 440", "", "1 min 5 secs",
         "8000 Hz, 16 bit, Mono", "Microsoft PCM"},
        {"unknown tag", "sox -n -r 8000 -c 1 -b 16 OUT synth 1 sine 440", std::string("\x77\x77", 2), "1.00 sec",
         "8000 Hz, 16 bit, Mono", "Unknown Wave Format"},
        {"mp3 in wav, fact chunk first",
         "ffmpeg -v error -f lavfi -i sine=d=2 -ar 44100 -ac 2 -c:a libmp3lame -b:a 128k -fflags +bitexact -f wav OUT", "", nullptr,
         nullptr, "MPEG Layer 3 [128kbps]"},
        {"ima adpcm", "sox -n -r 8000 -c 1 -e ima-adpcm OUT synth 1 sine 440", "", nullptr, nullptr,
         "Intel DVI ADPCM"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TagFixtures fx;
        std::string path = fx.Make("t.wav", c.make);
        ASSERT_FALSE(path.empty());
        if (!c.patch.empty()) {
            std::string bytes = ReadWholeFile(path);
            bytes.replace(20, c.patch.size(), c.patch);
            fx.Write("t.wav", bytes);
        }
        const CWavInfo info = CWavInfo::Read(path);
        const std::string text = info.Text();
        const Ffprobe probe(path, fx.Folder());
        EXPECT_EQ(static_cast<long>(info.sampleRate), probe.sampleRate());
        EXPECT_EQ(static_cast<long>(info.channels), probe.channels());
        if (c.length) {
            EXPECT_EQ(text.substr(0, text.find('\n')), std::string("Length:\t") + c.length);
        }
        if (c.format) {
            EXPECT_NE(text.find(std::string("\nFormat:\t") + c.format + "\n"), std::string::npos) << text;
        }
        EXPECT_NE(text.find("\nFilesize:\t" + std::to_string(ReadWholeFile(path).size()) + " bytes\n"),
                  std::string::npos);
        EXPECT_EQ(text.substr(text.rfind('\n') + 1), std::string("Type:\t") + c.type);
    }
    TagFixtures fx;
    EXPECT_EQ(CWavInfo::Read(fx.Path("missing.wav")).Text().substr(0, 18), "Length:\t<unknown>\n");
}

TEST(CMpegInfo, TextAndFieldsAgreeWithFfprobe)
{
    struct Case {
        const char *name;
        const char *make;
        const char *type, *bitrate, *mode;
    } cases[] = {
        {"cbr", "lame --silent -b 128 --tt Title --ta Artist --tg Rock --ty 0000 -m j tone.wav OUT", "MPEG 1 Layer 3",
         "128 kbps", "Joint Stereo"},
        {"vbr mono 22 kHz", "lame --silent -V 5 -m m --resample 22.05 tone.wav OUT", "MPEG 2 Layer 3", nullptr,
         "Mono"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TagFixtures fx;
        ASSERT_FALSE(fx.Tone("tone.wav", "-r 44100 -c 2 -b 16", 61.5).empty());
        const std::string path = fx.Make("t.mp3", c.make);
        ASSERT_FALSE(path.empty());
        CTrackInfo track(path);
        ASSERT_EQ(track.Read(nullptr), kTypeMpeg);
        const std::string text = CMpegInfo::Text(track);
        const Ffprobe probe(path, fx.Folder());
        EXPECT_EQ(text.substr(0, text.find('\n')), "Length:\t1 min 1 sec");
        EXPECT_NE(text.find("\nType:\t" + std::string(c.type) + "\nSamp:\t" + std::to_string(probe.sampleRate()) +
                            " Hz\nBitrate:\t"),
                  std::string::npos)
            << text;
        if (c.bitrate) {
            EXPECT_NE(text.find(std::string("\t") + c.bitrate + "\nMode:\t"), std::string::npos) << text;
        } else {
            EXPECT_NE(text.find(" kbps [VBR]\nMode:\t"), std::string::npos) << text;
        }
        EXPECT_EQ(text.substr(text.rfind('\t') + 1), c.mode);
    }
    // A year of "0000" shows empty; without a tag the first list entry, "<unknown>", is chosen.
    TagFixtures fx;
    ASSERT_FALSE(fx.Tone("tone.wav", "-r 44100 -c 2 -b 16", 1).empty());
    CTrackInfo tagged(fx.Make("a.mp3", "lame --silent --id3v1-only --tt T --tg Rock --ty 0000 tone.wav OUT"));
    tagged.Read(nullptr);
    EXPECT_EQ(CMpegInfo::Fields(tagged), (CTagFields{"", "T", "", "Rock", "", ""}));
    CTrackInfo untagged(fx.Make("b.mp3", "lame --silent tone.wav OUT"));
    untagged.Read(nullptr);
    EXPECT_EQ(CMpegInfo::Fields(untagged), (CTagFields{"", "", "", "<unknown>", "", ""}));
    EXPECT_EQ(CGenreList::Sorted(true).size(), 149u);
}

TEST(CTagInfo, OggVorbisAndFlacValuesAgreeWithTheTools)
{
    TagFixtures fx;
    ASSERT_FALSE(fx.Tone("tone.wav", "-r 44100 -c 2 -b 16", 12.05).empty());
    const std::string ogg = fx.Make("t.ogg", "oggenc -Q -b 128 tone.wav -o OUT -a Artist -c title=Lower -c 'COMMENT=a\nb'");
    const std::string flac = fx.Make("t.flac", "flac -s tone.wav -o OUT && metaflac --set-tag=TITLE=T "
                                               "--set-tag=title=lower --set-tag=GENRE=Chiptune-ish OUT");
    ASSERT_FALSE(ogg.empty());
    ASSERT_FALSE(flac.empty());

    const CTagInfo o = CTagInfo::Read(ogg, CTagInfo::Format::OggVorbis, nullptr);
    const Ffprobe op(ogg, fx.Folder());
    EXPECT_EQ(o.Caption(), "Ogg Vorbis File Information");
    EXPECT_EQ(o.GroupCaption(), "Ogg Vorbis Info");
    EXPECT_EQ(o.fields, (CTagFields{"Artist", "Lower", "", "", "", "a\r\nb"}));
    std::smatch date;
    ASSERT_TRUE(std::regex_search(o.vendor, date, std::regex("[0-9]{8}"))) << o.vendor;
    const std::string vendorDate = date.str();
    EXPECT_EQ(o.Values(), vendorDate + "\n12.05 seconds\n" + std::to_string(ReadWholeFile(ogg).size()) + " bytes\n" +
                              std::to_string(op.sampleRate()) + " Hz\n" + std::to_string(op.streamBitRate() / 1000) +
                              " kbps\n" + std::to_string(o.averageBitrate / 1000) + " kbps\n2");
    EXPECT_GT(o.averageBitrate, 0);

    const CTagInfo f = CTagInfo::Read(flac, CTagInfo::Format::Flac, nullptr);
    EXPECT_EQ(f.Caption(), "FLAC File Information");
    EXPECT_EQ(f.GroupCaption(), "FLAC Info");
    EXPECT_EQ(f.fields, (CTagFields{"", "T", "", "Chiptune-ish", "", ""}));
    const std::uint64_t samples = std::stoull(fx.Output("metaflac --show-total-samples '" + flac + "'"));
    const std::uint64_t raw = samples * 2 * 2;
    const std::uint64_t size = ReadWholeFile(flac).size();
    char ratio[16];
    std::snprintf(ratio, sizeof ratio, "%.4f", static_cast<double>(size) / static_cast<double>(raw));
    EXPECT_EQ(f.Values(), "12 seconds\n44100 Hz\n2\n16 Bit\n" + std::to_string(size) + " bytes\n" +
                              std::to_string(raw) + " bytes\n" + ratio);
    // The pending texts of a playing file replace the file's.
    const CTagFields pending{"P", "Q", "R", "S", "1999", "x"};
    EXPECT_EQ(CTagInfo::Read(flac, CTagInfo::Format::Flac, nullptr, pending).fields, pending);
}

TEST(CTagInfo, VersionAndDurationTexts)
{
    const std::pair<std::string, const char *> versions[] = {
        {"Xiph.Org libVorbis I 20020717", "1.0"}, {"Xiph.Org libVorbis I 20011231", "RC3"},
        {"Xiph.Org libVorbis I 20011217", "RC3"}, {"Xiph.Org libVorbis I 20000508", "Beta2"},
        {"Xiph.Org libVorbis I 20200704", "20200704"}, {"Xiph.Org libVorbis I 20020717 (Reducing Environment)", "1.0"},
        {"Xiph.Org libVorbis I 20200704 (Reducing Environment)", "20200704"}, {"", "<unknown>"}};
    for (const auto &[vendor, name] : versions)
        EXPECT_EQ(CTagInfo::VersionName(0, vendor), name) << vendor;
    EXPECT_EQ(CTagInfo::VersionName(3, "Xiph.Org libVorbis I 20020717"), "3");
    const std::tuple<double, bool, const char *> durations[] = {
        {0, true, "<unknown>"}, {-1, false, "<unknown>"}, {12.05, true, "12.05 seconds"}, {12.05, false, "12 seconds"},
        {200.5, true, "3 min 20 secs"}, {59.999, false, "59 seconds"}};
    for (const auto &[seconds, hundredths, text] : durations)
        EXPECT_EQ(CTagInfo::DurationText(seconds, hundredths), text) << seconds;
    CTagInfo ratio;
    ratio.format = CTagInfo::Format::Flac;
    ratio.fileSize = 5;
    ratio.uncompressedSize = 100;
    EXPECT_EQ(ratio.Values().substr(ratio.Values().rfind('\n') + 1), "0.0500");
    CTagInfo wma;
    wma.format = CTagInfo::Format::Wma;
    EXPECT_EQ(wma.GroupCaption(), "Windows Media Audio");
}

} // namespace
