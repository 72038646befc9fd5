// The equalizer and timer commands of the main window on the real engine (SDL's dummy output): the
// Graphic Equalizer command shows and hides its window and the effects reach every channel the
// engine opens; the Timer Playback dialog's stored times start and stop playback through the tick.
#include "ui/CEqualizerDlg.h"
#include "ui/CMainFrame.h"
#include "ui/COptionsSheet.h"
#include "ui/CTimerDlg.h"
#include "ui/CToolTipSlider.h"
#include "engine/PlayerCommands.h"
#include "playlist/CPlayerDoc.h"
#include "platform/bass/bass.h"
#include "tests/support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTimer>

#include "tests/support/PlayerCoreRig.h"
#include "tests/support/MediaFixtures.h"

#include <gtest/gtest.h>

namespace {

namespace fc = FrameCommand;

class WiringTest : public ::testing::Test {
public:
    void SetUp() override
    {
        for (const char *name : {"a", "b"}) {
            const std::string path = MakeToneWav(dir, name, {44100, 2, 16, 20, "sine 440"});
            ASSERT_FALSE(path.empty());
            files.push_back(path);
        }
        doc.SetDataFolder(dir.file("data"));
        doc.eqenable = 1;
        doc.eq = {4, 0, -6, 0, 0, 0, 0, 0, 30};
        CMainFrame::Options options;
        options.core = rig.core.get();
        options.messageBox = &rig.messageBox;
        frame = std::make_unique<CMainFrame>(options);
        ASSERT_TRUE(frame->InitialUpdate(CStartRequest{}));
        ASSERT_EQ(doc.AddFiles(files), 2);
        doc.UserFocused(0);
    }
    void TearDown() override
    {
        if (frame)
            frame->View().ShutDown();
    }
    CPlaybackEngine &Engine() { return rig.Engine(); }
    CEqualizer &Eq() { return rig.core->Equalizer(); }
    void Tick(int n)
    {
        for (int i = 0; i < n; ++i)
            rig.core->OnTick();
    }
    // The band parameters the audio library holds for each handle; a removed effect reads as absent.
    void ExpectEffects(const std::array<float, 9> &gains, const char *when)
    {
        static constexpr std::array<float, 9> kCentres = {80, 150, 300, 600, 1000, 2000, 4000, 8000, 14000};
        for (int band = 0; band < 9; ++band) {
            BASS_FXPARAMEQ params{};
            ASSERT_TRUE(BASS_FXGetParameters(Eq().Handle(band), &params)) << when << ", band " << band;
            EXPECT_FLOAT_EQ(params.fCenter, kCentres[static_cast<std::size_t>(band)]) << when;
            EXPECT_FLOAT_EQ(params.fBandwidth, 12.0f) << when;
            EXPECT_FLOAT_EQ(params.fGain, gains[static_cast<std::size_t>(band)]) << when << ", band " << band;
        }
    }

    TempDir dir;
    std::vector<std::string> files;
    TimeOfDay now{12, 0, 0};
    // The real output on SDL's dummy driver and the steady clock, as the program runs.
    PlayerCoreRig rig{{.manualOutput = false, .testClock = false, .wallClock = [this] { return now; }}};
    CPlayerDoc &doc = rig.doc;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(WiringTest, EqualizerCommandTogglesWindowAndEffectsFollowTheChannel)
{
    ASSERT_TRUE(Engine().EffectsAvailable());
    ASSERT_TRUE(frame->IsCommandEnabled(fc::kEqualizer));
    QAction *action = frame->Action(fc::kEqualizer);
    for (bool visible : {true, false}) {
        action->trigger();
        EXPECT_EQ(frame->View().EqualizerVisible(), visible);
        EXPECT_EQ(action->isChecked(), visible);
    }

    frame->Execute(PlayerCommand::kPlay);
    ASSERT_TRUE(Engine().IsPlaying());
    ExpectEffects({2.0f, 0, -3.0f, 0, 0, 0, 0, 0, 15.0f}, "first channel");

    // Slider at the top of its range: +15 dB heard at once on the playing channel.
    frame->View().EqualizerDialog().Slider(1)->setValue(-30);
    ExpectEffects({2.0f, 15.0f, -3.0f, 0, 0, 0, 0, 0, 15.0f}, "after a slider move");

    QCheckBox *enable = frame->View().EqualizerDialog().EnableBox();
    std::array<HFX, 9> removed{};
    for (int band = 0; band < 9; ++band)
        removed[static_cast<std::size_t>(band)] = Eq().Handle(band);
    enable->click();
    EXPECT_EQ(doc.eqenable, 0);
    EXPECT_EQ(Eq().AttachedCount(), 0);
    for (HFX handle : removed) {
        BASS_FXPARAMEQ params{};
        EXPECT_FALSE(BASS_FXGetParameters(handle, &params));
    }
    enable->click();
    ExpectEffects({2.0f, 15.0f, -3.0f, 0, 0, 0, 0, 0, 15.0f}, "enabled again");

    const HSTREAM first = Engine().StreamHandle();
    frame->Execute(PlayerCommand::kNextTrack);
    ASSERT_NE(Engine().StreamHandle(), first);
    ExpectEffects({2.0f, 15.0f, -3.0f, 0, 0, 0, 0, 0, 15.0f}, "freshly opened channel");
    // Each band's effect is on the new channel: removing it there succeeds.
    EXPECT_TRUE(BASS_ChannelRemoveFX(Engine().StreamHandle(), Eq().Handle(4)));

    action->trigger();
    frame->CloseFrame();
    EXPECT_EQ(doc.eq[1], 30);
    EXPECT_EQ(doc.eqshow, 1);
}

// Minimise-to-tray turned on and off in the options: the icon comes, and goes again with the window
// shown (a window hidden to a tray that goes away could not come back). The tray menu offers the sheet.
TEST_F(WiringTest, OptionsTurnTheTrayIconOnAndOff)
{
    QMenu *tray = frame->TrayMenu();
    EXPECT_TRUE(tray->actions().contains(frame->Action(FrameCommand::kOptions)));
    for (bool on : {true, false}) {
        bool modalWhileOpen = false;
        QTimer::singleShot(0, [&] {
            auto *sheet = qobject_cast<COptionsSheet *>(QApplication::activeModalWidget());
            ASSERT_NE(sheet, nullptr);
            modalWhileOpen = doc.m_bModalOpen;
            sheet->Tabs()->setCurrentIndex(1);
            sheet->findChild<QCheckBox *>(QStringLiteral("minimizetray"))->setChecked(on);
            sheet->accept();
        });
        ASSERT_TRUE(frame->Execute(FrameCommand::kOptions));
        EXPECT_TRUE(modalWhileOpen);
        EXPECT_EQ(doc.minimizetray, on ? 1 : 0);
        EXPECT_EQ(frame->TrayShown(), on);
        if (on)
            frame->hide();
    }
    EXPECT_TRUE(frame->isVisible());
}

TEST_F(WiringTest, TimerDialogTimesStartAndStopPlaybackThroughTheTick)
{
    bool modalWhileOpen = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<CTimerDlg *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        modalWhileOpen = doc.m_bModalOpen;
        EXPECT_TRUE(dialog->SaverBox()->isEnabled()); // the session's screen saver can be followed
        dialog->StartBox()->setChecked(true);
        dialog->StartTime()->setTime(QTime(7, 30, 5));
        dialog->StopBox()->setChecked(true);
        dialog->StopTime()->setTime(QTime(0, 0, 0));
        dialog->accept();
    });
    ASSERT_TRUE(frame->Execute(fc::kTimerPlayback));
    EXPECT_TRUE(modalWhileOpen);
    EXPECT_FALSE(doc.m_bModalOpen);
    EXPECT_EQ(doc.timer, (7 * 256 + 30) * 256 + 5 + 1);
    EXPECT_EQ(doc.timeroff, 1); // midnight stays distinct from "off"

    now = {7, 30, 4};
    Tick(60);
    EXPECT_FALSE(Engine().IsPlaying()) << "a second early";
    now = {7, 30, 5};
    Tick(25);
    EXPECT_TRUE(Engine().IsPlaying());
    now = {0, 0, 0};
    Tick(25);
    EXPECT_FALSE(Engine().IsPlaying());
}

} // namespace
