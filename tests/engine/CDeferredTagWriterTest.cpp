// Tags saved for the playing Ogg Vorbis or FLAC file wait until the decoder closes it, on either
// thread; judged by vorbiscomment and metaflac.
#include "core/CPlaylistEntry.h"
#include "engine/CDeferredTagWriter.h"
#include "tests/support/FakePlayingTransport.h"
#include "tests/support/MediaFixtures.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

struct Format {
    const char *name;
    std::int32_t type;
    std::string (*encode)(const TempDir &, const std::string &, const std::string &);
    const char *listTags; // the judge, printing KEY=value lines
};

const Format kFormats[] = {
    {"ogg", kTypeOgg, &EncodeOgg, "vorbiscomment -l "},
    {"flac", kTypeFlac, &EncodeFlac, "metaflac --export-tags-to=- "},
};

class DeferredTagWriterTest : public testing::TestWithParam<Format> {
protected:
    void SetUp() override
    {
        const std::string wav = MakeToneWav(dir, "tone", ToneSpec{});
        path = GetParam().encode(dir, "tone", wav);
        ASSERT_FALSE(path.empty());
        fields.title = "Edited";
        fields.artist = "Someone";
    }
    std::string Tags() const { return CommandOutput(GetParam().listTags + ("'" + path + "'")); }

    TempDir dir;
    std::string path;
    CTagFields fields;
    FakePlayingTransport transport;
    CDeferredTagWriter writer{transport, nullptr};
};

TEST_P(DeferredTagWriterTest, AFileThatDoesNotPlayIsWrittenAtOnce)
{
    EXPECT_EQ(writer.Save(path, GetParam().type, fields), CDeferredTagWriter::Outcome::Written);
    EXPECT_NE(Tags().find("TITLE=Edited\n"), std::string::npos) << Tags();
    EXPECT_EQ(writer.PendingCount(), 0);
}

TEST_P(DeferredTagWriterTest, ThePlayingFileIsWrittenWhenTheDecoderClosesIt)
{
    transport.m_strPlaying = path;
    EXPECT_EQ(writer.Save(path, GetParam().type, fields), CDeferredTagWriter::Outcome::Deferred);
    fields.title = "Edited again";
    EXPECT_EQ(writer.Save(path, GetParam().type, fields), CDeferredTagWriter::Outcome::Deferred);
    EXPECT_EQ(writer.Pending(path), fields) << "the window shows the kept texts";
    writer.FileClosed(path + ".other");
    writer.Flush();
    EXPECT_EQ(Tags().find("TITLE=Edited"), std::string::npos) << "nothing on disk while it plays";

    transport.m_strPlaying.clear();
    writer.FileClosed(path); // on this (the user-interface) thread: written at once
    EXPECT_NE(Tags().find("TITLE=Edited again\n"), std::string::npos) << Tags();
    EXPECT_EQ(writer.PendingCount(), 0);
}

TEST_P(DeferredTagWriterTest, AChangeOverOnTheUpdateThreadLeavesTheWriteToTheNextFlush)
{
    transport.m_strPlaying = path;
    ASSERT_EQ(writer.Save(path, GetParam().type, fields), CDeferredTagWriter::Outcome::Deferred);
    std::thread([&] { writer.FileClosed(path); }).join();
    EXPECT_EQ(Tags().find("TITLE=Edited"), std::string::npos) << "the update thread writes nothing";
    transport.m_strPlaying = path + ".next";
    writer.Flush();
    EXPECT_NE(Tags().find("TITLE=Edited\n"), std::string::npos) << Tags();
}

TEST_P(DeferredTagWriterTest, AKeptWriteIsFlushedOncePlaybackMovedOnWithoutACloseReport)
{
    transport.m_strPlaying = path;
    ASSERT_EQ(writer.Save(path, GetParam().type, fields), CDeferredTagWriter::Outcome::Deferred);
    writer.Flush();
    EXPECT_EQ(writer.PendingCount(), 1);
    transport.m_strPlaying.clear();
    writer.Flush();
    EXPECT_NE(Tags().find("TITLE=Edited\n"), std::string::npos) << Tags();
}

INSTANTIATE_TEST_SUITE_P(Formats, DeferredTagWriterTest, testing::ValuesIn(kFormats),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
