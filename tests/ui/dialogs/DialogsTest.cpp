// The equalizer, Timer Playback and Jump to Track windows driven through their widgets.
#include "engine/CEqualizer.h"
#include "ui/CEqualizerDlg.h"
#include "ui/CJumpDlg.h"
#include "engine/CTimedPlayback.h"
#include "ui/CTimerDlg.h"
#include "playlist/CPlayerDoc.h"
#include "tests/support/PlaylistFakes.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include "ui/CToolTipSlider.h"
#include <QTest>
#include <QTimeEdit>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class DialogsTest : public testing::Test {
protected:
    FakeIdentifier identifier;
    FakeMessageBox messageBox;
    CPlayerDoc doc{identifier, messageBox};
};

TEST_F(DialogsTest, EqualizerSlidersSetLevelsAndResetRestoresThem)
{
    doc.eq = {0, 0, 0, 0, 8, 0, 0, 0, -4};
    CEqualizer eq(doc);
    eq.SetAvailable(true);
    CEqualizerDlg dlg(doc, eq);
    dlg.Initialise();
    EXPECT_EQ(dlg.windowTitle(), "Graphic Equalizer");
    for (int band = 0; band < 9; ++band) {
        EXPECT_EQ(dlg.Slider(band)->property("controlId").toInt(), CEqualizerDlg::kSliderIds[band]);
        EXPECT_EQ(dlg.Caption(band)->text(), CEqualizerDlg::kCaptions[band]);
    }
    EXPECT_EQ(dlg.Slider(4)->value(), -8) << "a higher gain sits higher: position is the negated level";
    EXPECT_EQ(dlg.Slider(8)->value(), 4);

    struct Case {
        int position;
        float gainDb;
        const char *tip;
    };
    for (const Case c : {Case{-30, 15.0f, "Gain: +15.0dB"}, Case{30, -15.0f, "Gain: -15.0dB"}}) {
        dlg.Slider(0)->setValue(c.position);
        EXPECT_EQ(dlg.Slider(0)->toolTip(), c.tip);
        EXPECT_EQ(eq.Level(0), -c.position);
        EXPECT_EQ(eq.Parameters(0).fGain, c.gainDb);
    }
    QTest::mouseClick(dlg.ResetButton(), Qt::LeftButton);
    for (int band = 0; band < 9; ++band) {
        EXPECT_EQ(dlg.Slider(band)->value(), 0);
        EXPECT_EQ(eq.Level(band), 0);
    }
    dlg.Slider(3)->setValue(-10);
    dlg.SaveState();
    EXPECT_EQ(doc.eq[3], 10);
    EXPECT_EQ(doc.eq[4], 0);
}

TEST_F(DialogsTest, EqualizerShowsOnlyWithEffectsAndMirrorsEnable)
{
    for (const bool available : {false, true}) {
        doc.eqshow = 1;
        doc.eqenable = 1;
        CEqualizer eq(doc);
        eq.SetAvailable(available);
        CEqualizerDlg dlg(doc, eq);
        dlg.Initialise();
        EXPECT_EQ(dlg.isVisible(), available);
        EXPECT_EQ(doc.eqshow, available ? 1 : 0);
        EXPECT_TRUE(dlg.EnableBox()->isChecked());
        dlg.EnableBox()->click();
        EXPECT_EQ(doc.eqenable, 0);
        dlg.ToggleVisible();
        EXPECT_FALSE(dlg.isVisible());
        dlg.ToggleVisible();
        EXPECT_EQ(dlg.isVisible(), available);
    }
}

TEST_F(DialogsTest, WindowsClosedOffTheTopLeftStoreTheOrigin)
{
    struct Case {
        QPoint moved, stored;
    };
    for (const Case c : {Case{{-40, 50}, {0, 0}}, Case{{60, -5}, {0, 0}}, Case{{120, 80}, {120, 80}}}) {
        doc.eqxpos = doc.eqypos = doc.xjump = doc.yjump = 30;
        {
            CEqualizer eq(doc);
            CEqualizerDlg dlg(doc, eq);
            dlg.Initialise();
            EXPECT_EQ(dlg.pos(), QPoint(30, 30));
            dlg.move(c.moved);
        }
        EXPECT_EQ(QPoint(doc.eqxpos, doc.eqypos), c.stored);

        CJumpDlg jump(doc);
        EXPECT_EQ(jump.pos(), QPoint(30, 30));
        jump.move(c.moved);
        jump.reject();
        EXPECT_EQ(QPoint(doc.xjump, doc.yjump), c.stored);
    }
}

TEST_F(DialogsTest, TimerStoresMidnightAsOneAndItFires)
{
    doc.timer = 0;
    doc.timeroff = CTimedPlayback::Pack({22, 5, 9});
    doc.scrsave = 3;
    CTimerDlg dlg(doc, true, nullptr, [] { return QTime(13, 14, 15); });
    EXPECT_EQ(dlg.windowTitle(), "Timer Playback");
    EXPECT_FALSE(dlg.StartBox()->isChecked());
    EXPECT_FALSE(dlg.StartTime()->isEnabled());
    EXPECT_EQ(dlg.StartTime()->time(), QTime(13, 14, 15)) << "an unset time shows the current time";
    EXPECT_TRUE(dlg.StopBox()->isChecked());
    EXPECT_EQ(dlg.StopTime()->time(), QTime(22, 5, 9));
    EXPECT_TRUE(dlg.SaverRadio(3)->isChecked());

    dlg.StartBox()->click();
    EXPECT_TRUE(dlg.StartTime()->isEnabled());
    dlg.StartTime()->setTime(QTime(0, 0, 0));
    dlg.StopBox()->click();
    dlg.SaverRadio(2)->click();
    dlg.accept();
    EXPECT_EQ(doc.timer, 1);
    EXPECT_EQ(doc.timeroff, 0);
    EXPECT_EQ(doc.scrsave, 2);

    // The stored value reads back as midnight and starts playback at midnight.
    CTimerDlg again(doc, true);
    EXPECT_TRUE(again.StartBox()->isChecked());
    EXPECT_EQ(again.StartTime()->time(), QTime(0, 0, 0));
}

TEST_F(DialogsTest, TimerSaverRulesNeedADetectableSaver)
{
    doc.scrsave = 0;
    for (const bool detectable : {false, true}) {
        CTimerDlg dlg(doc, detectable);
        EXPECT_EQ(dlg.SaverBox()->isEnabled(), detectable);
        EXPECT_TRUE(dlg.SaverRadio(1)->isChecked()) << "off shows the first rule";
        EXPECT_FALSE(dlg.SaverRadio(1)->isEnabled());
        if (detectable) {
            dlg.SaverBox()->click();
            EXPECT_TRUE(dlg.SaverRadio(2)->isEnabled());
        }
        dlg.accept();
        EXPECT_EQ(doc.scrsave, detectable ? 1 : 0);
        doc.scrsave = 0;
    }
}

TEST_F(DialogsTest, JumpFiltersAsTypedAndArrowKeysMoveWithWrapAround)
{
    for (const auto &[artist, title] : std::vector<std::pair<std::string, std::string>>{
             {"Nina Simone", "Feeling Good"}, {"", ""}, {"nick drake", "Pink Moon"}, {"Nico", ""}}) {
        CPlaylistEntry entry;
        entry.m_strPath = "/m/" + artist + title;
        entry.m_nType = kTypeMpeg;
        entry.m_strArtist = artist;
        entry.m_strTitle = title;
        ASSERT_TRUE(doc.AppendEntry(entry));
    }
    CJumpDlg dlg(doc);
    EXPECT_EQ(dlg.windowTitle(), "Jump to Track");
    ASSERT_EQ(dlg.ListBox()->count(), 3);
    EXPECT_EQ(dlg.ListBox()->item(2)->text(), "Nico");
    EXPECT_EQ(dlg.ListBox()->item(1)->data(Qt::UserRole).toInt(), 2);

    QTest::keyClicks(dlg.SearchEdit(), "NI");
    EXPECT_EQ(dlg.ListBox()->count(), 3);
    QTest::keyClicks(dlg.SearchEdit(), "c");
    ASSERT_EQ(dlg.ListBox()->count(), 2); // "nick drake - Pink Moon", "Nico"
    EXPECT_EQ(dlg.ListBox()->currentRow(), 0);
    QTest::keyClick(dlg.SearchEdit(), Qt::Key_Up);
    EXPECT_EQ(dlg.ListBox()->currentRow(), 1);
    EXPECT_EQ(dlg.ChosenRow(), 3);
    QTest::keyClick(dlg.SearchEdit(), Qt::Key_Down);
    EXPECT_EQ(dlg.ChosenRow(), 2);
    EXPECT_EQ(dlg.SearchEdit()->text(), "NIc") << "arrow keys are consumed";

    int chosen = -1;
    QObject::connect(&dlg, &CJumpDlg::rowChosen, [&](int row) { chosen = row; });
    bool modalDuringExec = false;
    QTimer::singleShot(0, &dlg, [&] {
        modalDuringExec = doc.m_bModalOpen;
        dlg.accept();
    });
    EXPECT_EQ(dlg.exec(), QDialog::Accepted);
    EXPECT_TRUE(modalDuringExec);
    EXPECT_FALSE(doc.m_bModalOpen);
    EXPECT_EQ(chosen, 2);
}

} // namespace
