// The playlist editor over a real document and real folders: the file and folder dialogs, drops,
// the limits of 9999 for folder trees and 10000 for single files, and removing a vanished file.
#include "playlist/CPlaylistEditor.h"
#include "tests/support/PlaylistFakes.h"
#include "tests/support/FakeFileDialogs.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace {

struct Rig {
    FakeIdentifier identifier;
    FakeMessageBox box;
    CPlayerDoc doc{identifier, box};
    FakeFileDialogs dialogs;
    CPlaylistEditor editor{doc, box};

    Rig()
    {
        doc.SetPlaylistSaver([] { return true; });
        editor.SetFileDialogs(&dialogs);
    }
    std::vector<std::string> Paths() const
    {
        std::vector<std::string> paths;
        for (int i = 0; i < doc.EntryCount(); ++i)
            paths.push_back(doc.EntryAt(i).m_strPath);
        return paths;
    }
};

void Touch(const std::filesystem::path &path)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path).put('x');
}

} // namespace

TEST(PlaylistEditor, DialogsStartInTheLastFoldersAndTheirAnswersAreAdded)
{
    TempDir dir;
    Rig rig;
    const std::vector<std::string> files = {dir.file("a.mp3"), dir.file("b.ogg")};
    for (const std::string &file : files) {
        Touch(file);
        rig.identifier.AddFile(file);
    }
    rig.doc.lastdir = "/start/files/";
    rig.doc.browsedir = "/start/tree";

    // Cancelled: nothing asked of the document.
    EXPECT_TRUE(rig.editor.AskForFiles().empty());
    EXPECT_TRUE(rig.editor.AskForFolder().empty());
    EXPECT_EQ(rig.dialogs.m_calls, (std::vector<std::string>{"files /start/files/", "folder /start/tree"}));
    ASSERT_FALSE(rig.dialogs.m_filters.empty());
    EXPECT_EQ(rig.dialogs.m_filters.front().second, "*.mod;*.s3m;*.xm;*.it;*.mp2;*.mp3;*.ogg;*.flac;*.wav");
    rig.editor.SetWmaAvailable(true);
    rig.editor.AskForFiles();
    EXPECT_EQ(rig.dialogs.m_filters.front().second, "*.mod;*.s3m;*.xm;*.it;*.mp2;*.mp3;*.ogg;*.flac;*.asf;*.wma;*.wav");
    EXPECT_EQ(rig.dialogs.m_filters.size(), 10u);

    // Chosen files into an empty list: the last one becomes the only selected, current row and,
    // with nothing playing, the entry to show; the files' folder is remembered.
    rig.dialogs.m_files = files;
    EXPECT_EQ(rig.editor.AddChosenFiles(rig.editor.AskForFiles()), 1);
    EXPECT_EQ(rig.Paths(), files);
    EXPECT_EQ(rig.doc.State().SelectedRows(), std::vector<int>{1});
    EXPECT_EQ(rig.doc.State().m_nCurrent, 1);
    EXPECT_EQ(rig.doc.lastdir, dir.path().string() + "/");

    // With a selection, or while something plays, nothing else is chosen.
    EXPECT_EQ(rig.editor.AddChosenFiles({files[0]}), -1);
    EXPECT_EQ(rig.doc.State().SelectedRows(), std::vector<int>{1});
    DeselectAll(rig.doc);
    rig.doc.MarkPlaying(0);
    DeselectAll(rig.doc);
    EXPECT_EQ(rig.editor.AddChosenFolder(dir.path().string()), -1);
    EXPECT_EQ(rig.doc.State().SelectedRows(), std::vector<int>{0});
    EXPECT_EQ(rig.doc.browsedir, dir.path().string());
    EXPECT_EQ(rig.doc.EntryCount(), 5);
}

TEST(PlaylistEditor, FolderTreeStopsAt9999AndSingleFilesReach10000WithMessage)
{
    // Ten thousand files are made quickly in memory: the tree goes to /dev/shm where it can.
    const char *oldTmp = std::getenv("TMPDIR");
    const std::string saved = oldTmp ? oldTmp : "";
    if (access("/dev/shm", W_OK) == 0)
        setenv("TMPDIR", "/dev/shm", 1);
    TempDir dir;
    if (oldTmp)
        setenv("TMPDIR", saved.c_str(), 1);
    else
        unsetenv("TMPDIR");
    const std::filesystem::path root = dir.path() / "music";
    Rig rig;
    // 10005 files over nested folders, plus a dot folder and a file of another kind.
    for (int i = 0; i < 10005; ++i) {
        const std::filesystem::path file = root / ("d" + std::to_string(i % 7)) / ("s" + std::to_string(i / 2000)) /
                                           (std::to_string(i) + (i % 2 ? ".mp3" : ".MOD"));
        Touch(file);
        rig.identifier.AddFile(file.string());
    }
    Touch(root / ".hidden" / "x.mp3");
    rig.identifier.AddFile((root / ".hidden" / "x.mp3").string());
    Touch(root / "notes.txt");
    rig.identifier.AddFile((root / "notes.txt").string());

    rig.dialogs.m_answer = root.string();
    EXPECT_EQ(rig.editor.AddChosenFolder(rig.editor.AskForFolder()), 0);
    EXPECT_EQ(rig.doc.EntryCount(), 9999);
    EXPECT_TRUE(rig.box.m_texts.empty());
    EXPECT_EQ(rig.doc.browsedir, root.string());
    EXPECT_EQ(rig.doc.State().m_nRowCount, 9999);
    for (int i = 0; i < rig.doc.EntryCount(); ++i) {
        const std::string &path = rig.doc.EntryAt(i).m_strPath;
        ASSERT_EQ(path.find(".hidden"), std::string::npos);
        ASSERT_EQ(path.find("notes"), std::string::npos);
    }
    EXPECT_TRUE(rig.doc.State().IsSelected(0));

    const std::vector<std::string> singles = {(root / "d0" / "s0" / "0.MOD").string(),
                                              (root / "d1" / "s0" / "1.mp3").string(),
                                              (root / "d2" / "s0" / "2.MOD").string()};
    rig.editor.AddChosenFiles(singles);
    EXPECT_EQ(rig.doc.EntryCount(), 10000);
    EXPECT_EQ(rig.box.m_texts, std::vector<std::string>{CPlayerDoc::LimitMessage()});
    EXPECT_EQ(rig.doc.lastdir, (root / "d0" / "s0").string() + "/");

    rig.box.m_texts.clear();
    rig.editor.DropPaths({singles[0]});
    EXPECT_EQ(rig.box.m_texts, std::vector<std::string>{CPlayerDoc::LimitMessage()});
}

TEST(PlaylistEditor, DropsAddFilesAndFoldersOrReplaceWithAPlaylist)
{
    TempDir dir;
    Rig rig;
    Touch(dir.path() / "f" / "a.ogg");
    rig.identifier.AddFile((dir.path() / "f" / "a.ogg").string());
    rig.identifier.AddFile(dir.file("b.wav"));
    Touch(dir.path() / "b.wav");
    std::ofstream(dir.file("list.m3u")) << "b.wav\n"; // no #EXTM3U: not a playlist, and no music file
    EXPECT_EQ(rig.editor.DropPaths({dir.file("list.m3u")}), -1);
    EXPECT_EQ(rig.doc.EntryCount(), 0);
    EXPECT_EQ(rig.editor.DropPaths({(dir.path() / "f").string(), dir.file("b.wav")}), 0);
    EXPECT_EQ(rig.Paths(), (std::vector<std::string>{(dir.path() / "f" / "a.ogg").string(), dir.file("b.wav")}));

    // A real playlist first replaces the list; the rest of the drop is ignored.
    std::ofstream(dir.file("real.m3u")) << "#EXTM3U\nb.wav\n";
    EXPECT_EQ(rig.editor.DropPaths({dir.file("real.m3u"), (dir.path() / "f").string()}), -1);
    EXPECT_EQ(rig.Paths(), std::vector<std::string>{dir.file("b.wav")});
}

TEST(PlaylistEditor, AVanishedFileIsOfferedForRemoval)
{
    TempDir dir;
    Rig rig;
    for (const char *name : {"a.mp3", "b.mp3", "c.mp3"}) {
        Touch(dir.file(name));
        rig.identifier.AddFile(dir.file(name));
        rig.doc.AddFiles({dir.file(name)});
    }
    EXPECT_EQ(rig.editor.CheckFileOrOfferRemoval(1), CPlaylistEditor::FileCheck::Opens);
    EXPECT_TRUE(rig.box.m_texts.empty());

    std::filesystem::remove(dir.file("b.mp3"));
    rig.doc.UserSelected(0, true);
    rig.box.m_answer = CMessageBox::kAnswerNo;
    EXPECT_EQ(rig.editor.CheckFileOrOfferRemoval(1), CPlaylistEditor::FileCheck::Kept);
    EXPECT_EQ(rig.doc.EntryCount(), 3);
    rig.box.m_answer = CMessageBox::kAnswerYes;
    EXPECT_EQ(rig.editor.CheckFileOrOfferRemoval(1), CPlaylistEditor::FileCheck::Removed);
    // Only that entry goes, though another row was selected.
    EXPECT_EQ(rig.Paths(), (std::vector<std::string>{dir.file("a.mp3"), dir.file("c.mp3")}));
    EXPECT_EQ(rig.box.m_texts, (std::vector<std::string>(2, "File not found.\nRemove from playlist?  ")));
    EXPECT_EQ(rig.box.m_buttons.back(), CMessageBox::kYesNo);
}
