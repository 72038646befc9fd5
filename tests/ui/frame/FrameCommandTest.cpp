// The main window driven in-process on the real engine (SDL's dummy output): every route into the
// command router - menu ids, function-key messages, tray click sequences - must reach the operation.
#include "ui/CMainFrame.h"
#include "engine/PlayerCommands.h"
#include "playlist/CPlayerDoc.h"
#include "tests/support/TempDir.h"

#include "platform/ipc/CIpcRecord.h"
#include "plugins/include/mv_messages.h"

#include <QMenu>
#include <QThread>

#include "tests/support/PlayerCoreRig.h"
#include "tests/support/MediaFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

namespace cmd = PlayerCommand;

// The real output on SDL's dummy driver and the steady clock, as the program runs.
PlayerCoreRig::Options RealOutput()
{
    PlayerCoreRig::Options options;
    options.manualOutput = false;
    options.testClock = false;
    return options;
}

class FrameTest : public ::testing::Test {
public:
    void SetUp() override
    {
        for (const char *name : {"a", "b", "c"}) {
            const std::string path = MakeToneWav(dir, name, {44100, 2, 16, 20, "sine 440"});
            ASSERT_FALSE(path.empty());
            files.push_back(path);
        }
        doc.SetDataFolder(dir.file("data"));
        CMainFrame::Options options;
        options.core = rig.core.get();
        options.messageBox = &rig.messageBox;
        options.doubleClickMs = 300;
        frame = std::make_unique<CMainFrame>(options);
        ASSERT_TRUE(frame->InitialUpdate(CStartRequest{}));
        ASSERT_EQ(doc.AddFiles(files), 3);
        doc.UserFocused(0);
    }
    void TearDown() override
    {
        if (frame)
            frame->View().ShutDown();
    }
    CPlaybackEngine &Engine() { return rig.Engine(); }
    int Playing() { return doc.State().m_nPlaying; }

    TempDir dir;
    std::vector<std::string> files;
    PlayerCoreRig rig{RealOutput()};
    CPlayerDoc &doc = rig.doc;
    std::unique_ptr<CMainFrame> frame;
};

struct Step {
    const char *what;
    std::function<void(CMainFrame &)> run;
    std::function<bool(FrameTest &)> holds;
};

// One sequence per route; each step must leave the player in the state named.
TEST_F(FrameTest, MenuIdsAndFunctionKeysReachTheirOperations)
{
    auto byId = [](int id) { return [id](CMainFrame &f) { f.Execute(id); }; };
    auto byKey = [](std::uint64_t key, std::int64_t alt = 0) { return [=](CMainFrame &f) { f.OnPlayerKey(key, alt); }; };
    auto byForwarded = [](std::uint64_t key, std::int64_t modifiers = 0) {
        return [=](CMainFrame &f) {
            CIpcRecord record;
            record.message = MV_WM_KEYDOWN;
            record.wParam = key;
            record.lParam = modifiers;
            f.HandleRecord(record);
        };
    };
    const std::vector<Step> steps = {
        {"pause while stopped is refused", byId(cmd::kPause), [](FrameTest &t) { return !t.Engine().IsPlaying(); }},
        {"Play", byId(cmd::kPlay), [](FrameTest &t) { return t.Engine().IsPlaying() && t.Playing() == 0; }},
        {"Pause", byId(cmd::kPause), [](FrameTest &t) { return t.Engine().IsPaused(); }},
        {"Pause resumes", byId(cmd::kPause), [](FrameTest &t) { return !t.Engine().IsPaused(); }},
        {"Next", byId(cmd::kNextTrack), [](FrameTest &t) { return t.Playing() == 1; }},
        {"Previous", byId(cmd::kPreviousTrack), [](FrameTest &t) { return t.Playing() == 0; }},
        {"Mute", byId(cmd::kMute), [](FrameTest &t) { return t.Engine().SavedVolume() != 0; }},
        {"Mute again", byId(cmd::kMute), [](FrameTest &t) { return t.Engine().SavedVolume() == 0; }},
        {"Set volume 50%", byId(cmd::kSetVolume100 + 5), [](FrameTest &t) { return t.Engine().VolumeSliderPosition() == 50; }},
        {"Repeat track", byId(cmd::kRepeatTrack), [](FrameTest &t) { return t.doc.repeattrack != 0; }},
        {"Stop at track end", byId(cmd::kStopAtTrackEnd), [](FrameTest &t) { return t.rig.core->PlayOrder().StopAfterEntry(); }},
        {"Stop", byId(cmd::kStop), [](FrameTest &t) { return !t.Engine().IsPlaying() && t.Playing() == -1; }},
        {"tray item 36001 + k plays its entry", [](CMainFrame &f) { f.TrayMenu(); f.Execute(36003); },
         [](FrameTest &t) { return t.Playing() == 2; }},
        {"F7 stops", byKey(0x76), [](FrameTest &t) { return !t.Engine().IsPlaying(); }},
        {"F6 does nothing when stopped", byKey(0x75), [](FrameTest &t) { return !t.Engine().IsPaused(); }},
        {"F5 plays", byKey(0x74), [](FrameTest &t) { return t.Engine().IsPlaying(); }},
        {"F6 pauses", byKey(0x75), [](FrameTest &t) { return t.Engine().IsPaused(); }},
        {"F6 resumes", byKey(0x75), [](FrameTest &t) { return !t.Engine().IsPaused(); }},
        {"Repeat track off", byId(cmd::kRepeatTrack), [](FrameTest &t) { return t.doc.repeattrack == 0; }},
        {"F9 goes back", byKey(0x78), [](FrameTest &t) { return t.Playing() == 1; }},
        {"F10 skips", byKey(0x79), [](FrameTest &t) { return t.Playing() == 2; }},
        {"F2 mutes", byKey(0x71), [](FrameTest &t) { return t.Engine().SavedVolume() != 0; }},
        {"F12 fades out", byKey(0x7B), [](FrameTest &t) { return t.Engine().FadeOut() > 0; }},
        {"F11 with its alternative rewinds, not stop-at-end", byKey(0x7A, 1),
         [](FrameTest &t) { return t.Engine().IsPlaying(); }},
        {"a key outside F2..F12 changes nothing", byKey(0x70), [](FrameTest &t) { return t.Engine().IsPlaying(); }},
        {"F7 pressed in a visual's window stops", byForwarded(0x76), [](FrameTest &t) { return !t.Engine().IsPlaying(); }},
        {"F5 pressed in a visual's window plays", byForwarded(0x74), [](FrameTest &t) { return t.Engine().IsPlaying(); }},
        {"Ctrl+H from a visual's window turns random play on", byForwarded('H', 2),
         [](FrameTest &t) { return t.doc.random != 0; }},
        {"H alone is no shortcut", byForwarded('H'), [](FrameTest &t) { return t.doc.random != 0; }},
        {"Ctrl+H again turns it off", byForwarded('H', 2), [](FrameTest &t) { return t.doc.random == 0; }},
        {"Exit closes", byId(FrameCommand::kExit), [](FrameTest &t) { return !t.Engine().IsPlaying(); }},
        {"after Exit commands are refused", byId(cmd::kPlay), [](FrameTest &t) { return !t.Engine().IsPlaying(); }},
    };
    for (const Step &step : steps) {
        step.run(*frame);
        EXPECT_TRUE(step.holds(*this)) << step.what;
    }
}

TEST_F(FrameTest, TrayClickSequencesPerformTheirActions)
{
    doc.click1 = 1; // play/pause
    doc.click2 = 2; // stop
    doc.click3 = 0;
    doc.click4 = 4; // next
    auto clicks = [this](int n) {
        for (int i = 0; i < n; ++i)
            frame->OnTrayActivated(i % 2 ? QSystemTrayIcon::DoubleClick : QSystemTrayIcon::Trigger);
    };
    clicks(1);
    EXPECT_TRUE(frame->ClickCounter().TimerPending());
    frame->OnTrayTimer();
    EXPECT_TRUE(Engine().IsPlaying()) << "one click: play";
    clicks(1);
    frame->OnTrayTimer();
    EXPECT_TRUE(Engine().IsPaused()) << "one click while playing: pause";
    clicks(2);
    frame->OnTrayTimer();
    EXPECT_FALSE(Engine().IsPlaying()) << "two clicks: stop";

    frame->Execute(cmd::kPlay);
    clicks(3);
    frame->OnTrayTimer();
    EXPECT_TRUE(frame->ClickCounter().TimerPending()) << "three clicks with click4 set wait once more";
    clicks(1);
    frame->OnTrayTimer();
    EXPECT_EQ(Playing(), 1) << "the fourth click performs click4 (next)";

    doc.click4 = 0;
    clicks(3);
    frame->OnTrayTimer();
    EXPECT_FALSE(frame->ClickCounter().TimerPending()) << "click3 and click4 unset: decided at once";
    EXPECT_EQ(Playing(), 1);

    doc.m_bModalOpen = true;
    clicks(1);
    EXPECT_FALSE(frame->ClickCounter().TimerPending()) << "ignored while a modal dialog is up";
    doc.m_bModalOpen = false;
}

TEST_F(FrameTest, TrayMenuDefaultFollowsClick2AndShowHideText)
{
    const std::vector<std::pair<int, int>> cases = {{2, cmd::kStop}, {3, cmd::kPreviousTrack}, {4, cmd::kNextTrack},
                                                    {5, FrameCommand::kShowHide}, {1, cmd::kPlay}};
    for (const auto &[click2, id] : cases) {
        doc.click2 = click2;
        QAction *def = frame->TrayMenu()->defaultAction();
        ASSERT_NE(def, nullptr) << click2;
        EXPECT_EQ(def->data().toInt(), id) << click2;
    }
    frame->Execute(cmd::kPlay);
    EXPECT_EQ(frame->TrayMenu()->defaultAction()->data().toInt(), cmd::kPause);
    frame->show();
    frame->TrayMenu();
    EXPECT_EQ(frame->Action(FrameCommand::kShowHide)->text(), QString::fromLatin1(CMainFrame::kHideText));
}

// The Visuals menus on fake plug-in libraries: listed at the first activation, the one that ran at the
// last exit started again, each command starting or stopping its slot with the check mark following,
// and the running ones stored at the close.
class FrameVisualsTest : public ::testing::Test {
public:
    void Open(std::initializer_list<const char *> plugins)
    {
        for (const char *name : plugins)
            std::filesystem::copy_file(MELVANE_FAKE_VISUAL, folder.file(name));
        CMainFrame::Options options;
        options.core = rig.core.get();
        options.messageBox = &rig.messageBox;
        options.visualsFolder = folder.path().string();
        frame = std::make_unique<CMainFrame>(options);
        ASSERT_TRUE(frame->InitialUpdate(CStartRequest{}));
        ASSERT_NE(frame->Action(FrameCommand::kNoVisuals), nullptr) << "before the first activation";
        frame->FirstActivation(false);
    }
    QMenu *TrayVisuals()
    {
        for (QAction *item : frame->TrayMenu()->actions())
            if (item->menu() && item->text() == "Visuals")
                return item->menu();
        return nullptr;
    }
    QAction *Item(int slot) { return frame->Action(FrameCommand::kFirstVisual + slot); }

    TempDir folder;
    PlayerCoreRig rig{RealOutput()};
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(FrameVisualsTest, MenusStartAndStopPluginsAndTheCloseStoresTheRunningOnes)
{
    rig.doc.vis = {"TWO.SO", "gone.so"};
    Open({"one.so", "two.so"});
    CVisualHost &visuals = frame->Visuals();
    ASSERT_EQ(visuals.Count(), 2);
    EXPECT_EQ(frame->Action(FrameCommand::kNoVisuals), nullptr) << "\"None found\" gives way";
    const int two = visuals.FileName(0) == "two.so" ? 0 : 1, one = 1 - two;
    ASSERT_NE(Item(one), nullptr);
    EXPECT_EQ(Item(one)->text().toStdString(), visuals.Name(one));
    EXPECT_TRUE(visuals.IsRunning(two)) << "ran at the last exit";
    EXPECT_TRUE(Item(two)->isChecked());
    EXPECT_FALSE(Item(one)->isChecked());

    EXPECT_TRUE(frame->Execute(FrameCommand::kFirstVisual + one));
    EXPECT_TRUE(visuals.IsRunning(one));
    EXPECT_TRUE(Item(one)->isChecked());
    EXPECT_FALSE(frame->Execute(FrameCommand::kFirstVisual + 2)) << "no plug-in in that slot";

    QMenu *tray = TrayVisuals();
    ASSERT_NE(tray, nullptr);
    EXPECT_TRUE(tray->isEnabled());
    ASSERT_EQ(tray->actions().size(), 2);
    EXPECT_TRUE(tray->actions()[0]->isChecked() && tray->actions()[1]->isChecked());

    EXPECT_TRUE(frame->Execute(FrameCommand::kFirstVisual + two)) << "a second start stops it";
    for (int i = 0; i < 200 && visuals.IsRunning(two); ++i)
        QThread::msleep(10);
    EXPECT_FALSE(visuals.IsRunning(two));
    TrayVisuals();
    EXPECT_FALSE(Item(two)->isChecked());

    frame->CloseFrame();
    EXPECT_EQ(rig.doc.vis, std::vector<std::string>{"one.so"});
    EXPECT_FALSE(visuals.AnyVisualActive()) << "all ended at the close";
}

TEST_F(FrameVisualsTest, AnEmptyFolderKeepsNoneFound)
{
    Open({});
    QAction *none = frame->Action(FrameCommand::kNoVisuals);
    ASSERT_NE(none, nullptr);
    EXPECT_FALSE(none->isEnabled());
    QMenu *tray = TrayVisuals();
    ASSERT_NE(tray, nullptr);
    EXPECT_FALSE(tray->isEnabled());
    frame->CloseFrame();
}

} // namespace
