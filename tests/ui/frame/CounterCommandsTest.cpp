// The counter in the main window on the real engine: the View commands "Track Elapsed" and "Track
// Remaining" and a click on the counter set its mode, store it and check the menu item in force; while
// the position bar is held the counter keeps showing the time it will seek to.
#include "ui/CMainFrame.h"
#include "ui/CPositionBar.h"
#include "ui/CTimeCounter.h"
#include "playlist/CPlayerDoc.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/PlayerCoreRig.h"
#include "tests/support/TempDir.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

namespace fc = FrameCommand;

class CounterTest : public ::testing::Test {
public:
    void SetUp() override
    {
        const std::string path = MakeToneWav(dir, "a", {44100, 2, 16, 20, "sine 440"});
        ASSERT_FALSE(path.empty());
        rig.doc.SetDataFolder(dir.file("data"));
        CMainFrame::Options options;
        options.core = rig.core.get();
        options.messageBox = &rig.messageBox;
        frame = std::make_unique<CMainFrame>(options);
        ASSERT_TRUE(frame->InitialUpdate(CStartRequest{}));
        ASSERT_EQ(rig.doc.AddFiles({path}), 1);
        counter = frame->findChild<CTimeCounter *>();
        bar = frame->findChild<CPositionBar *>();
        ASSERT_TRUE(counter && bar);
        rig.core->PlayIndex(0);
        rig.Ticks(50); // a second in
    }
    void TearDown() override { frame->View().ShutDown(); }
    // The check marks as the View menu shows them when it opens.
    bool Checked(int id)
    {
        for (QAction *menu : frame->menuBar()->actions())
            if (menu->text() == "&View")
                emit menu->menu()->aboutToShow();
        return frame->Action(id)->isChecked();
    }

    TempDir dir;
    PlayerCoreRig rig;
    std::unique_ptr<CMainFrame> frame;
    CTimeCounter *counter = nullptr;
    CPositionBar *bar = nullptr;
};

TEST_F(CounterTest, ViewCommandsAndClicksSetStoreAndCheckTheMode)
{
    struct Step {
        const char *what;
        std::function<void()> run;
        int mode;
    };
    const Step steps[] = {
        {"Track Remaining", [&] { frame->Execute(fc::kTrackRemaining); }, 1},
        {"Track Remaining again", [&] { frame->Execute(fc::kTrackRemaining); }, 1},
        {"Track Elapsed", [&] { frame->Execute(fc::kTrackElapsed); }, 0},
        {"a click on the counter", [&] { QTest::mouseClick(counter, Qt::LeftButton); }, 1},
        {"another click", [&] { QTest::mouseClick(counter, Qt::LeftButton); }, 0},
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.what);
        step.run();
        EXPECT_EQ(counter->GetMode(), step.mode);
        EXPECT_EQ(rig.doc.display, step.mode);
        EXPECT_EQ(Checked(fc::kTrackElapsed), step.mode == 0);
        EXPECT_EQ(Checked(fc::kTrackRemaining), step.mode == 1);
        EXPECT_EQ(counter->Text().front() == '-', step.mode == 1) << counter->Text();
    }
}

TEST_F(CounterTest, HeldPositionBarKeepsTheTargetOnTheCounter)
{
    bar->resize(201, 10);
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, QPoint(152, 5)); // three quarters: 15 s
    EXPECT_EQ(counter->Text(), "<00:15>");
    rig.Ticks(100);
    EXPECT_EQ(counter->Text(), "<00:15>") << "two seconds of ticks later";
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, QPoint(152, 5));
    rig.Ticks(5);
    EXPECT_EQ(counter->Text(), "00:15") << "the seek was to the time shown";
}

// At a gapless change-over the counter starts the new file when its first frame is heard, after the
// old file was counted to its end.
TEST_F(CounterTest, GaplessChangeOverStartsTheCounterWhenTheNewFileIsHeard)
{
    const std::string wav = MakeToneWav(dir, "short", {44100, 2, 16, 3, "sine 440"});
    const std::vector<std::string> flacs = {EncodeFlac(dir, "b", wav), EncodeFlac(dir, "c", wav)};
    ASSERT_EQ(rig.doc.AddFiles(flacs), 2);
    rig.doc.gapless = 1;
    rig.core->PlayIndex(1);
    std::string lastOfTheOld;
    for (int i = 0; i < 400 && rig.doc.State().m_nPlaying == 1; ++i) {
        lastOfTheOld = counter->Text();
        rig.Tick();
    }
    ASSERT_EQ(rig.doc.State().m_nPlaying, 2);
    EXPECT_EQ(lastOfTheOld, "00:02");
    EXPECT_EQ(counter->Text(), "00:00");
}

} // namespace
