// The File Information command: which window each entry type gets, and what each window's Save does
// to the file, the playlist entry and the engine (windows answered by a script, real files).
#include "engine/CDeferredTagWriter.h"
#include "playlist/CPlayerDoc.h"
#include "playlist/CTrackInfoIdentifier.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/FakePlayingTransport.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/ModuleWriter.h"
#include "ui/CFileInfoCommand.h"
#include "ui/IFileInfoWindows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

using Window = CFileInfoCommand::Window;

TEST(FileInfoCommand, EachTypeGetsItsWindow)
{
    const struct {
        std::int32_t type;
        Window window;
    } cases[] = {{kTypeUnknown, Window::None}, {kTypeMod4, Window::Module}, {kTypeMod6, Window::Module},
                 {kTypeMod8, Window::Module},  {kTypeS3m, Window::Module},  {kTypeXm, Window::Module},
                 {kTypeIt, Window::Module},    {kTypeMpeg, Window::Mpeg},   {kTypeWav, Window::Wav},
                 {kTypeOgg, Window::Tags},     {kTypeWma, Window::Tags},    {kTypeFlac, Window::Tags},
                 {kTypeCdTrack, Window::None}, {13, Window::None}};
    for (const auto &c : cases)
        EXPECT_EQ(CFileInfoCommand::WindowFor(c.type), c.window) << "type " << c.type;
    EXPECT_EQ(CFileInfoCommand::TagFormat(kTypeOgg), CTagInfo::Format::OggVorbis);
    EXPECT_EQ(CFileInfoCommand::TagFormat(kTypeFlac), CTagInfo::Format::Flac);
    EXPECT_EQ(CFileInfoCommand::TagFormat(kTypeWma), CTagInfo::Format::Wma);
}

// Gives back what the test put in; nothing (Cancel) when empty. Records what each window was shown.
struct ScriptedWindows : IFileInfoWindows {
    std::optional<CTagFields> ShowMpeg(const std::string &path) override { return Shown(path), tags; }
    std::optional<CWavEdit> ShowWav(const std::string &path) override { return Shown(path), wav; }
    std::optional<CTagFields> ShowTags(const std::string &path, CTagInfo::Format,
                                       const std::optional<CTagFields> &kept) override
    {
        pending = kept;
        return Shown(path), tags;
    }
    std::optional<CModuleEdit> ShowModule(const CPlaylistEntry &entry) override { return Shown(entry.m_strPath), module; }
    void Shown(const std::string &path)
    {
        shown.push_back(path);
        if (whileShown)
            whileShown();
    }

    std::optional<CTagFields> tags;
    std::optional<CWavEdit> wav;
    std::optional<CModuleEdit> module;
    std::optional<CTagFields> pending;
    std::vector<std::string> shown;
    std::function<void()> whileShown; // what happens to the file while the window is up
};

class FileInfoCommandRun : public testing::Test {
protected:
    void SetUp() override
    {
        const std::string wav = MakeToneWav(dir, "tone", ToneSpec{});
        ModuleSong song;
        song.orders = {0};
        song.patterns.emplace_back();
        const std::string mod = dir.file("song.mod");
        ASSERT_TRUE(ModuleWriter::Save(mod, ModuleWriter::Mod(song)));
        files = {EncodeMp3(dir, "tone", wav), wav, EncodeOgg(dir, "tone", wav), mod};
        doc.SetPlaylistSaver([] { return true; });
        ASSERT_EQ(doc.AddFiles(files), 4);
        CTagFields edited;
        edited.title = "Edited";
        edited.artist = "Someone";
        windows.tags = edited;
    }
    bool Run(int row) { return command.Run(row); }

    TempDir dir;
    std::vector<std::string> files; // rows: MP3, WAV, Ogg, MOD
    CTrackInfoIdentifier identifier;
    FakeMessageBox box;
    CPlayerDoc doc{identifier, box};
    ScriptedWindows windows;
    FakePlayingTransport transport;
    CDeferredTagWriter writer{transport, nullptr};
    std::vector<CPlaylistEntry> edited;
    CFileInfoCommand command{doc, windows, writer, identifier, transport,
                             [this](const CPlaylistEntry &entry) { edited.push_back(entry); }};
};

TEST_F(FileInfoCommandRun, MpegSaveWritesTheTagAndRefreshesTheEntry)
{
    std::vector<int> changedRows;
    QObject::connect(&doc, &CPlayerDoc::entryChanged, [&](int row) { changedRows.push_back(row); });
    ASSERT_TRUE(Run(0));
    const std::string bytes = ReadWholeFile(files[0]);
    ASSERT_GE(bytes.size(), 128u);
    EXPECT_EQ(bytes.substr(bytes.size() - 128, 9), "TAGEdited");
    EXPECT_EQ(doc.GetEntry(0).m_strTitle, "Edited");
    EXPECT_EQ(doc.GetEntry(0).m_strArtist, "Someone");
    EXPECT_EQ(changedRows, std::vector<int>{0});
    ASSERT_EQ(edited.size(), 1u) << "nothing plays: the engine shows the edited entry";

    windows.tags.reset(); // Cancel
    const std::string before = ReadWholeFile(files[0]);
    EXPECT_FALSE(Run(0));
    EXPECT_EQ(ReadWholeFile(files[0]), before);
    EXPECT_EQ(changedRows.size(), 1u);
}

TEST_F(FileInfoCommandRun, AFileThatVanishedWhileTheWindowWasUpIsNotMadeAgain)
{
    const CPlaylistEntry before = doc.GetEntry(0);
    windows.whileShown = [&] { std::filesystem::remove(files[0]); };
    Run(0);
    EXPECT_FALSE(std::filesystem::exists(files[0]));
    EXPECT_EQ(doc.GetEntry(0), before);
}

TEST_F(FileInfoCommandRun, WavSaveKeepsTheTextsInThePlaylistOnly)
{
    const std::string before = ReadWholeFile(files[1]);
    windows.wav = CWavEdit{"Wav Artist", "Wav Title"};
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(ReadWholeFile(files[1]), before);
    EXPECT_EQ(doc.GetEntry(1).m_strArtist, "Wav Artist");
    EXPECT_EQ(doc.GetEntry(1).m_strTitle, "Wav Title");
}

TEST_F(FileInfoCommandRun, ThePlayingOggKeepsItsFileUntilClosedWhileTheListShowsTheEdit)
{
    transport.m_strPlaying = files[2];
    const std::string before = ReadWholeFile(files[2]);
    ASSERT_TRUE(Run(2));
    EXPECT_EQ(ReadWholeFile(files[2]), before);
    EXPECT_EQ(doc.GetEntry(2).m_strTitle, "Edited");
    ASSERT_EQ(edited.size(), 1u) << "the playing entry reaches the engine";
    EXPECT_EQ(edited[0].m_strTitle, "Edited");

    windows.tags.reset();
    Run(2);
    ASSERT_TRUE(windows.pending.has_value()) << "opened again, the window shows the kept texts";
    EXPECT_EQ(windows.pending->title, "Edited");

    transport.m_strPlaying.clear();
    writer.FileClosed(files[2]);
    EXPECT_NE(CommandOutput("vorbiscomment -l '" + files[2] + "'").find("TITLE=Edited\n"), std::string::npos);
}

TEST_F(FileInfoCommandRun, ModuleSaveWritesAChangedTitleAndKeepsLevelsInTheEntry)
{
    transport.m_strPlaying = files[0]; // another file plays: the engine is not told
    windows.module = CModuleEdit{"New title", "melvane test song", "Tracker", true, 51, 21};
    ASSERT_TRUE(Run(3));
    EXPECT_EQ(ReadWholeFile(files[3]).substr(0, 10), std::string("New title\0", 10));
    const CPlaylistEntry entry = doc.GetEntry(3);
    EXPECT_EQ(entry.m_strTitle, "New title");
    EXPECT_EQ(entry.m_strArtist, "Tracker");
    EXPECT_TRUE(entry.m_bLoops);
    EXPECT_EQ(entry.m_nMixing, 51);
    EXPECT_EQ(entry.m_nPanning, 21);
    EXPECT_TRUE(edited.empty());
}

} // namespace
