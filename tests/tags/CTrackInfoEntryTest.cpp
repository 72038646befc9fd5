// Hand-over to playlist entries, given values, unreadable files and the path that is kept.

#include "tests/tags/TagFixtures.h"
#include "core/CPlaylistEntry.h"
#include "tags/CTrackInfo.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace {

CPlaylistEntry DistinctEntry()
{
    CPlaylistEntry e;
    e.m_strPath = "/music/a b/c.ogg";
    e.m_nType = kTypeXm;
    e.m_strTitle = "Title";
    e.m_nDuration = 321;
    e.m_nChannels = 12;
    e.m_strArtist = "Artist";
    e.m_strAlbum = "Album";
    e.m_strGenre = "Genre";
    e.m_nBitrate = 256;
    e.m_nFrequency = 32000;
    e.m_nYear = 1995;
    e.m_nSize = 4000000000u;
    e.m_bLoops = true;
    e.m_nMixing = 51;
    e.m_nPanning = 77;
    return e;
}

TEST(CTrackInfoEntry, CopyFromAndToEntryRoundTrip)
{
    const CPlaylistEntry original = DistinctEntry();
    CTrackInfo info("/elsewhere/x.mp3");
    info.CopyFromEntry(original);
    CPlaylistEntry back;
    info.CopyToEntry(back);
    EXPECT_EQ(back, original);
    EXPECT_TRUE(info.IsLoopingModule());
    EXPECT_EQ(info.GetPath(), original.m_strPath);

    // Every field travels on its own: change one at a time and see only that one differ.
    CPlaylistEntry changed = original;
    changed.m_bLoops = false;
    changed.m_nType = kTypeMpeg;
    info.CopyFromEntry(changed);
    info.CopyToEntry(back);
    EXPECT_EQ(back, changed);
    EXPECT_FALSE(info.IsLoopingModule()); // loops only count for modules
}

TEST(CTrackInfoEntry, CopyFromEntryKeepsFormatDetailsAndComment)
{
    TagFixtures fx;
    ASSERT_FALSE(fx.Tone("tone.wav", "-r 44100 -c 2 -b 16", 2.0).empty());
    const std::string mp3 = ReadWholeFile(fx.Make("a.mp3", "lame --quiet -b 160 tone.wav OUT"));
    CTrackInfo info(fx.Write("tagged.mp3", mp3 + TagFixtures::Id3v1("T", "A", "B", "2000", "Remark", 1)));
    ASSERT_EQ(info.Read(nullptr), kTypeMpeg);
    const std::int32_t layer = info.GetMpegLayer();
    const std::uint32_t frames = info.GetMpegFrames();
    info.CopyFromEntry(DistinctEntry());
    EXPECT_EQ(info.GetComment(), "Remark");
    EXPECT_EQ(info.GetMpegLayer(), layer);
    EXPECT_EQ(info.GetMpegFrames(), frames);
    EXPECT_EQ(info.GetTitle(), "Title");
}

TEST(CTrackInfoEntry, ResetClearsEverythingButThePath)
{
    CTrackInfo info("/x/y.mod");
    info.CopyFromEntry(DistinctEntry());
    info.Reset();
    CPlaylistEntry e;
    info.CopyToEntry(e);
    CPlaylistEntry expected;
    expected.m_strPath = "/music/a b/c.ogg";
    EXPECT_EQ(e, expected);
    for (std::uint16_t t : info.GetOrderTimes())
        ASSERT_EQ(t, 0);
}

TEST(CTrackInfoEntry, GivenValuesAreTakenWithoutReading)
{
    // A CD track: nothing exists at the path, and nothing is read.
    CTrackInfo info("3");
    EXPECT_EQ(info.DetectType(kTypeCdTrack), kTypeCdTrack);
    EXPECT_EQ(info.ReadLength(300), 300u);
    info.ReadTitle("Track Three");
    EXPECT_EQ(info.GetTitle(), "Track Three");
    info.ReadTitle("");
    EXPECT_EQ(info.GetTitle(), ""); // CD tracks get no file-name title
    EXPECT_EQ(info.GetSize(), 0u);
    EXPECT_EQ(info.GetPath(), "3");

    for (std::int32_t type : {1, 6, 7, 11}) {
        SCOPED_TRACE(type);
        CTrackInfo given("/no/such/file.bin");
        EXPECT_EQ(given.DetectType(type), type);
        EXPECT_EQ(given.ReadLength(0), 0u) << "nothing to read, no length";
    }

    CTrackInfo channels("/a");
    channels.SetChannels(6);
    channels.SetChannels(0);
    EXPECT_EQ(channels.GetChannels(), 6);
}

TEST(CTrackInfoEntry, UnreadableFilesStayUnknownWithTheirNameAsTitle)
{
    TagFixtures fx;
    std::filesystem::create_directories(fx.Path("a.folder/Some Album"));
    ASSERT_EQ(mkfifo(fx.Path("pipe.mp3").c_str(), 0600), 0);
    struct Case {
        std::string path;
        std::string title;
    } cases[] = {
        {"/no/such/dir.v1/Lost Song.mp3", "Lost Song"},
        {fx.Path("a.folder/Some Album"), "Some Album"}, // a folder
        {fx.Path("pipe.mp3"), "pipe"},                  // must not wait for a writer
        {fx.Path("a.folder/noext"), "noext"},
        {"", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        CTrackInfo info(c.path);
        EXPECT_EQ(info.Read(nullptr), kTypeUnknown);
        EXPECT_EQ(info.GetTitle(), c.title);
        EXPECT_EQ(info.GetLength(), 0u);
        EXPECT_EQ(info.GetArtist(), "");
    }
}

TEST(CTrackInfoEntry, PathBecomesTheAbsoluteNormalPath)
{
    TagFixtures fx;
    std::filesystem::create_directories(fx.Path("sub"));
    const std::string real = fx.Write("song.s3m", TagFixtures::S3mBytes("x"));
    const std::string canonical = std::filesystem::canonical(real).string();
    const std::string relative = std::filesystem::relative(fx.Path("sub") + "/../song.s3m").string();
    for (const std::string &given : {fx.Path("sub") + "/.././song.s3m", relative, real}) {
        SCOPED_TRACE(given);
        CTrackInfo info(given);
        ASSERT_EQ(info.Read(nullptr), kTypeS3m);
        EXPECT_EQ(std::filesystem::path(info.GetPath()), std::filesystem::path(canonical).lexically_normal());
    }
    // A path that cannot be opened is kept as given.
    CTrackInfo missing("rel/../missing.mp3");
    missing.Read(nullptr);
    EXPECT_EQ(missing.GetPath(), "rel/../missing.mp3");
}

TEST(CTrackInfoEntry, ReadBytesReadsInsideTheFileOnly)
{
    TagFixtures fx;
    std::string bytes;
    for (int i = 0; i < 300; ++i)
        bytes += static_cast<char>(i);
    CTrackInfo info(fx.Write("bytes.bin", bytes));
    struct Case {
        std::size_t count;
        std::uint64_t offset;
        std::size_t read;
    } cases[] = {{10, 0, 10}, {10, 295, 5}, {10, 300, 0}, {10, 1ull << 40, 0}, {1000, 0, 300}, {0, 0, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.offset);
        ASSERT_EQ(info.ReadBytes(c.count, c.offset, false), c.read);
        ASSERT_EQ(info.Scratch().size(), c.read);
        for (std::size_t i = 0; i < c.read; ++i)
            EXPECT_EQ(info.Scratch()[i], static_cast<std::uint8_t>(bytes[c.offset + i]));
        EXPECT_EQ(info.GetSize(), 300u);
    }
}

} // namespace
