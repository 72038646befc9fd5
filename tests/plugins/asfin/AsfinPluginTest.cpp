// mv_asfin.so driven through its seven exports, as the player drives it. ffmpeg makes every fixture;
// its own decode judges the PCM and ffprobe judges lengths, formats and attributes.
#include "plugins/include/mv_asfin.h"
#include "tests/support/AsfFixtures.h"
#include "tests/support/TempDir.h"
#include "tags/CTextCodec.h"
#include "tests/tags/Ffprobe.h"

#include <gtest/gtest.h>
#include <taglib/asffile.h>
#include <taglib/asfpicture.h>

#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <memory>

namespace {

using asf_fixture::Spec;

class Asfin {
public:
    Asfin() : m_handle(dlopen(MV_ASFIN_PATH, RTLD_NOW | RTLD_LOCAL))
    {
        if (!m_handle)
            return;
        init = reinterpret_cast<WMAInitProc>(dlsym(m_handle, "WMAInit"));
        free = reinterpret_cast<WMAFreeProc>(dlsym(m_handle, "WMAFree"));
        open = reinterpret_cast<WMAOpenProc>(dlsym(m_handle, "WMAOpen"));
        close = reinterpret_cast<WMACloseProc>(dlsym(m_handle, "WMAClose"));
        fill = reinterpret_cast<FillBufferProc>(dlsym(m_handle, "FillBuffer"));
        readInfo = reinterpret_cast<ReadInfoProc>(dlsym(m_handle, "ReadInfo"));
        writeInfo = reinterpret_cast<WriteInfoProc>(dlsym(m_handle, "WriteInfo"));
    }
    ~Asfin()
    {
        if (m_handle)
            dlclose(m_handle);
    }
    bool Complete() const { return init && free && open && close && fill && readInfo && writeInfo; }

    WMAInitProc init = nullptr;
    WMAFreeProc free = nullptr;
    WMAOpenProc open = nullptr;
    WMACloseProc close = nullptr;
    FillBufferProc fill = nullptr;
    ReadInfoProc readInfo = nullptr;
    WriteInfoProc writeInfo = nullptr;

private:
    void *m_handle;
};

std::string Utf8(const std::uint16_t *units, std::size_t count) { return CTextCodec::Utf16ToUtf8(units, count); }
template <std::size_t N>
std::string Utf8(const std::uint16_t (&units)[N]) { return Utf8(units, N); }

// UTF-8 (up to three bytes a character, enough for these tests) into a record's array.
template <std::size_t N>
void Put(std::uint16_t (&units)[N], const std::string &text)
{
    std::memset(units, 0, sizeof units);
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size() && n < N;) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::uint16_t u = c;
        if (c >= 0xE0) {
            u = static_cast<std::uint16_t>((c & 0x0F) << 12 | (text[i + 1] & 0x3F) << 6 | (text[i + 2] & 0x3F));
            i += 3;
        } else if (c >= 0xC0) {
            u = static_cast<std::uint16_t>((c & 0x1F) << 6 | (text[i + 1] & 0x3F));
            i += 2;
        } else {
            ++i;
        }
        units[n++] = u;
    }
}

class AsfinTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new TempDir;
        s_made = asf_fixture::Make(File("v2.wma"), {"wmav2", 44100, 2, 128, 3.0,
                                                   {{"title", "Tïtle"}, {"artist", "Ärtist"}, {"album", "The Album"},
                                                    {"genre", "Rock"}, {"comment", "A comment"}, {"WM/Year", "1999"}}}) &&
                 asf_fixture::Make(File("v1.wma"), {"wmav1", 22050, 1, 32, 2.5, {{"title", "Mono one"}}}) &&
                 asf_fixture::Make(File("v2-48k.wma"), {"wmav2", 48000, 2, 64, 2.0, {}}) &&
                 asf_fixture::Make(File("long.wma"), {"wmav2", 44100, 2, 96, 8.0, {}});
    }
    static void TearDownTestSuite()
    {
        delete s_dir;
        s_dir = nullptr;
    }
    static std::string File(const std::string &name) { return s_dir->file(name); }
    // A private copy of a shared fixture, for tests that change or remove it.
    static std::string Copy(const std::string &name, const std::string &as)
    {
        std::filesystem::copy_file(File(name), File(as), std::filesystem::copy_options::overwrite_existing);
        return File(as);
    }

    void SetUp() override
    {
        ASSERT_TRUE(s_made) << "ffmpeg could not make the fixtures";
        ASSERT_TRUE(asfin.Complete()) << dlerror();
        ASSERT_EQ(asfin.init(&record), 1);
    }
    void TearDown() override { asfin.free(); }

    // Everything the playback context delivers from `start`, in uneven requests as the host makes
    // them; `endedShortThenZero` tells whether the end came as one short count followed by 0.
    std::vector<std::int16_t> Play(bool *endedShortThenZero = nullptr)
    {
        std::vector<std::int16_t> out;
        std::vector<std::uint8_t> chunk(7000);
        std::uint32_t last = 0;
        for (int i = 0; i < 100000; ++i) {
            const std::uint32_t want = i % 2 ? 7000 : 4410;
            last = asfin.fill(chunk.data(), want);
            EXPECT_LE(last, want);
            const std::size_t at = out.size();
            out.resize(at + last / 2);
            std::memcpy(out.data() + at, chunk.data(), last / 2 * 2);
            if (last < want)
                break;
        }
        if (endedShortThenZero)
            *endedShortThenZero = asfin.fill(chunk.data(), 4410) == 0;
        (void)last;
        return out;
    }

    static TempDir *s_dir;
    static bool s_made;
    Asfin asfin;
    WmaInfo record{};
};

TempDir *AsfinTest::s_dir = nullptr;
bool AsfinTest::s_made = false;

TEST_F(AsfinTest, DecodesAndDescribesLikeFfmpeg)
{
    // A cover picture is an attribute, not a second stream: the file still plays.
    const std::string cover = Copy("v2.wma", "cover.wma");
    {
        TagLib::ASF::File file(cover.c_str());
        TagLib::ASF::Picture picture;
        picture.setMimeType("image/png");
        picture.setType(TagLib::ASF::Picture::FrontCover);
        picture.setPicture(TagLib::ByteVector("\x89PNG\r\n\x1a\n-not-really-an-image-", 29));
        file.tag()->setAttribute("WM/Picture", TagLib::ASF::Attribute(picture));
        ASSERT_TRUE(file.save());
    }
    for (const std::string name : {"v2.wma", "v1.wma", "v2-48k.wma", "cover.wma"}) {
        SCOPED_TRACE(name);
        const std::string path = File(name);
        const Ffprobe probe(path, s_dir->path().string());
        ASSERT_TRUE(probe.ok());

        WmaInfo info{};
        ASSERT_EQ(asfin.readInfo(path.c_str(), &info), 1);
        EXPECT_EQ(info.sampleRate, static_cast<std::uint32_t>(probe.sampleRate()));
        EXPECT_EQ(info.channels, probe.channels());
        EXPECT_EQ(info.length, static_cast<std::uint32_t>(std::floor(probe.duration())));
        EXPECT_EQ(info.bitrate, static_cast<std::uint32_t>(probe.streamBitRate() / 1000));
        EXPECT_EQ(info.fileSize, std::filesystem::file_size(path));
        EXPECT_EQ(info.seekable, 1);
        EXPECT_EQ(info.isProtected, 0);

        record = {}; // as the host clears it before each open
        ASSERT_EQ(asfin.open(path.c_str(), 0), 1);
        EXPECT_EQ(std::memcmp(&record, &info, sizeof info), 0) << "the playback record matches the query";
        bool shortThenZero = false;
        const std::vector<std::int16_t> got = Play(&shortThenZero);
        EXPECT_TRUE(shortThenZero);
        const std::vector<std::int16_t> want = asf_fixture::FfmpegPcm(path);
        ASSERT_FALSE(want.empty());
        ASSERT_EQ(got.size(), want.size());
        EXPECT_TRUE(got == want) << "sample-exact with ffmpeg's decode";
        asfin.close();
        EXPECT_EQ(asfin.fill(record.artist, 64), 0u) << "nothing after close";
    }
}

TEST_F(AsfinTest, AttributesMatchFfprobe)
{
    const std::string longComment(3000, 'c'); // longer than the comment array
    struct Case {
        const char *name;
        Spec spec;
    };
    const Case cases[] = {
        {"tags.wma", {"wmav2", 44100, 2, 128, 1.0, {{"title", "Tïtle ☃"}, {"artist", "Ärtist"}, {"album", "Δ Album"},
                                                   {"genre", "Jazz"}, {"comment", "Notes"}, {"WM/Year", "2004"}}}},
        {"none.wma", {"wmav1", 22050, 1, 32, 1.0, {}}},
        {"huge.wma", {"wmav2", 44100, 2, 128, 1.0, {{"comment", longComment}, {"WM/Year", "12345678"}}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = File(c.name);
        ASSERT_TRUE(asf_fixture::Make(path, c.spec));
        const Ffprobe probe(path, s_dir->path().string());
        WmaInfo info{};
        ASSERT_EQ(asfin.readInfo(path.c_str(), &info), 1);
        EXPECT_EQ(Utf8(info.title), probe.tag("title"));
        EXPECT_EQ(Utf8(info.artist), probe.tag("artist"));
        EXPECT_EQ(Utf8(info.album), probe.tag("album"));
        EXPECT_EQ(Utf8(info.genre), probe.tag("genre"));
        const std::string comment = probe.tag("comment");
        EXPECT_EQ(Utf8(info.comment), comment.substr(0, std::size(info.comment))) << "cut to the array";
        const long year = CTextCodec::LeadingNumber(probe.tag("wm/year"));
        EXPECT_EQ(info.year, year > 0xFFFF ? 0xFFFF : year);
        EXPECT_NE(info.codecName[0], 0) << "the header names its codec";
    }
}

TEST_F(AsfinTest, RefusesWhatIsNotOneAudioStreamInAsf)
{
    const std::string truncatedHeader = File("header.wma");
    ASSERT_TRUE(WriteWholeFile(truncatedHeader, ReadWholeFile(File("v2.wma")).substr(0, 200)));
    const std::string garbage = File("garbage.wma");
    std::string noise(20000, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<char>((i * 2654435761u) >> 13);
    ASSERT_TRUE(WriteWholeFile(garbage, noise));
    ASSERT_TRUE(WriteWholeFile(File("empty.wma"), ""));
    const std::string lavfi = "ffmpeg -v error -y -f lavfi -i testsrc=size=64x48:rate=5:duration=1 ";
    ASSERT_EQ(RunCommand(lavfi + "-f lavfi -i sine=duration=1 -c:v wmv2 -c:a wmav2 -f asf '" + File("av.wma") + "'"), 0);
    ASSERT_EQ(RunCommand(lavfi + "-c:v wmv2 -f asf '" + File("video.wma") + "'"), 0);
    ASSERT_EQ(RunCommand("ffmpeg -v error -y -f lavfi -i sine=duration=1 -c:a libmp3lame -f mp3 '" + File("mp3.wma") + "'"), 0);
    ASSERT_EQ(RunCommand("sox -n -r 44100 -c 2 -t wav '" + File("wav.wma") + "' synth 1 sine 440 2>/dev/null"), 0);

    for (const std::string name :
         {"mp3.wma", "wav.wma", "av.wma", "video.wma", "header.wma", "garbage.wma", "empty.wma", "missing.wma"}) {
        SCOPED_TRACE(name);
        const std::string path = File(name);
        WmaInfo info{};
        EXPECT_EQ(asfin.readInfo(path.c_str(), &info), 0);
        EXPECT_EQ(asfin.open(path.c_str(), 0), 0);
        std::uint8_t buffer[256];
        EXPECT_EQ(asfin.fill(buffer, sizeof buffer), 0u);
    }
}

TEST_F(AsfinTest, DamagedFilesEndEarlyWithoutHarm)
{
    const std::string whole = ReadWholeFile(File("long.wma"));
    const std::vector<std::int16_t> reference = asf_fixture::FfmpegPcm(File("long.wma"));
    std::string corrupt = whole;
    for (std::size_t i = whole.size() / 3; i < whole.size() / 3 + 4000; i += 7)
        corrupt[i] = static_cast<char>(corrupt[i] ^ 0x5A);
    struct Case {
        const char *name;
        std::string bytes;
        double minShare, maxShare; // of the whole decode
    };
    const Case cases[] = {
        {"half.wma", whole.substr(0, whole.size() / 2), 0.3, 0.7},
        {"corrupt.wma", corrupt, 0.5, 1.01},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteWholeFile(File(c.name), c.bytes));
        ASSERT_EQ(asfin.open(File(c.name).c_str(), 0), 1);
        const std::vector<std::int16_t> got = Play();
        EXPECT_GE(got.size(), reference.size() * c.minShare);
        EXPECT_LE(got.size(), reference.size() * c.maxShare);
        const std::size_t intact = reference.size() / 4; // before any damage
        ASSERT_GE(got.size(), intact);
        EXPECT_TRUE(std::equal(got.begin(), got.begin() + static_cast<long>(intact), reference.begin()));
        asfin.close();
    }
}

TEST_F(AsfinTest, ProtectedFilesAreDescribedButNotPlayed)
{
    const std::string path = Copy("v2.wma", "drm.wma");
    ASSERT_TRUE(asf_fixture::MarkProtected(path));
    WmaInfo info{};
    ASSERT_EQ(asfin.readInfo(path.c_str(), &info), 1);
    EXPECT_EQ(info.isProtected, 1);
    EXPECT_EQ(Utf8(info.title), "Tïtle");
    ASSERT_EQ(asfin.open(path.c_str(), 0), 1);
    EXPECT_EQ(record.isProtected, 1);
    std::uint8_t buffer[4096];
    EXPECT_EQ(asfin.fill(buffer, sizeof buffer), 0u) << "encrypted audio is never delivered";
}

TEST_F(AsfinTest, StartsAtTheAskedSecond)
{
    const std::string path = File("long.wma");
    const std::vector<std::int16_t> whole = asf_fixture::FfmpegPcm(path);
    const long rate = 44100;
    for (const std::uint32_t start : {1u, 3u, 6u}) {
        SCOPED_TRACE(start);
        ASSERT_EQ(asfin.open(path.c_str(), start), 1);
        const std::vector<std::int16_t> got = Play();
        asfin.close();
        // Time stamps are whole milliseconds, so the first sample may lie up to a millisecond from
        // the asked one; from there on the audio equals the continuous decode exactly, to the end.
        const long expected = static_cast<long>(start) * rate;
        long found = -1;
        for (long offset = -rate / 1000; offset <= rate / 1000 && found < 0; ++offset)
            if (std::equal(got.begin(), got.begin() + 4096, whole.begin() + (expected + offset) * 2))
                found = expected + offset;
        ASSERT_GE(found, 0) << "no alignment within a millisecond";
        ASSERT_EQ(static_cast<long>(got.size()), static_cast<long>(whole.size()) - found * 2) << "runs to the end";
        EXPECT_TRUE(std::equal(got.begin(), got.end(), whole.begin() + found * 2));
    }
    ASSERT_EQ(asfin.open(path.c_str(), 60), 1) << "past the end: opens with nothing left";
    std::uint8_t buffer[64];
    EXPECT_EQ(asfin.fill(buffer, sizeof buffer), 0u);
}

TEST_F(AsfinTest, WritesTagsAtOnceOrWhenThePlayingFileCloses)
{
    struct Case {
        const char *name;
        bool playing;
        std::uint16_t year;
    };
    const Case cases[] = {{"write-now.wma", false, 2021}, {"write-later.wma", true, 1987}, {"year-zero.wma", false, 0}};
    const std::vector<std::int16_t> audio = asf_fixture::FfmpegPcm(File("v2.wma"));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Copy("v2.wma", c.name);
        WmaInfo tags{};
        Put(tags.title, "Néw title");
        Put(tags.artist, "Néw artist");
        Put(tags.album, "Néw album");
        Put(tags.genre, "Blues");
        Put(tags.comment, "Néw comment");
        tags.year = c.year;
        if (c.playing) {
            ASSERT_EQ(asfin.open(path.c_str(), 0), 1);
            const std::string before = ReadWholeFile(path);
            EXPECT_EQ(asfin.writeInfo(path.c_str(), &tags), 1);
            EXPECT_EQ(ReadWholeFile(path), before) << "the playing file is not touched";
            WmaInfo answer{};
            ASSERT_EQ(asfin.readInfo(path.c_str(), &answer), 1);
            EXPECT_EQ(Utf8(answer.title), "Néw title") << "answered from the open file's record";
            EXPECT_EQ(answer.year, c.year);
            asfin.close();
        } else {
            EXPECT_EQ(asfin.writeInfo(path.c_str(), &tags), 1);
        }
        const Ffprobe probe(path, s_dir->path().string());
        EXPECT_EQ(probe.tag("title"), "Néw title");
        EXPECT_EQ(probe.tag("artist"), "Néw artist");
        EXPECT_EQ(probe.tag("album"), "Néw album");
        EXPECT_EQ(probe.tag("genre"), "Blues");
        EXPECT_EQ(probe.tag("comment"), "Néw comment");
        EXPECT_EQ(probe.tag("wm/year"), c.year ? std::to_string(c.year) : std::string());
        EXPECT_TRUE(asf_fixture::FfmpegPcm(path) == audio) << "the audio is left as it was";
    }
}

TEST_F(AsfinTest, APlayingFileRemovedFromDiskPlaysOnAndIsStillDescribed)
{
    const std::string path = Copy("v2.wma", "removed.wma");
    ASSERT_EQ(asfin.open(path.c_str(), 0), 1);
    std::filesystem::remove(path);
    WmaInfo info{};
    ASSERT_EQ(asfin.readInfo(path.c_str(), &info), 1) << "from the record, not the file";
    EXPECT_EQ(Utf8(info.title), "Tïtle");
    EXPECT_EQ(Play(), asf_fixture::FfmpegPcm(File("v2.wma")));
    asfin.close();
    EXPECT_EQ(asfin.readInfo(path.c_str(), &info), 0);
}

} // namespace
