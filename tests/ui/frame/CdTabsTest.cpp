// The main window's CD side in-process, on the real engine and a CD image generated with sox: the
// drive's tab and its rows, the status text, the information command's swap, the next-tab key, the
// tray's drive menu, and the list's own edits (drag, sort, check boxes) reaching the disc record and
// cd.ini.
#include "ui/CCdListCtrl.h"
#include "ui/CMainFrame.h"
#include "engine/PlayerCommands.h"
#include "playlist/CPlayerDoc.h"
#include "tests/support/CdImage.h"
#include "tests/support/PlayerCoreRig.h"
#include "tests/support/TempDir.h"

#include <QHeaderView>
#include <QMenu>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace {

PlayerCoreRig::Options RealOutput()
{
    PlayerCoreRig::Options options;
    options.manualOutput = false;
    options.testClock = false;
    return options;
}

std::vector<int> PlayOrder(const CDiscRecord &r)
{
    std::vector<int> order;
    for (int i = 0; i < r.m_nAudioTracks; ++i)
        order.push_back(r.m_nOrder[static_cast<std::size_t>(i)]);
    return order;
}

QStringList DriveMenu(CMainFrame &frame)
{
    QStringList items;
    for (QAction *action : frame.TrayMenu()->actions()) {
        if (action->menu() && action->text() == QStringLiteral("Drive D:"))
            for (QAction *item : action->menu()->actions())
                items << item->text();
    }
    return items;
}

class CdTabsTest : public ::testing::Test {
public:
    void SetUp() override
    {
        ASSERT_TRUE(image.Create(dir.path().string(),
                                 {{{150, "Opening"}, {225, "second song"}, {150, "Coda"}}, "Rip", "The Band"}));
        CMainFrame::Options options;
        options.core = rig.core.get();
        options.messageBox = &rig.messageBox;
        frame = std::make_unique<CMainFrame>(options);
        ASSERT_TRUE(frame->InitialUpdate(CStartRequest{}));
        frame->OpenCdImage(image.cuePath, 0);
        ASSERT_EQ(frame->CurrentCdDrive(), 0);
        list = frame->View().CdList(0);
        ASSERT_NE(list, nullptr);
    }
    void TearDown() override
    {
        if (frame)
            frame->View().ShutDown();
    }
    const CDiscRecord &Record() { return rig.core->Cd().Record(0); }

    TempDir dir;
    CdImage image;
    PlayerCoreRig rig{RealOutput()};
    std::unique_ptr<CMainFrame> frame;
    CCdListCtrl *list = nullptr;
};

TEST_F(CdTabsTest, TheImagesTabShowsItsDiscAndTheWindowFollowsIt)
{
    EXPECT_EQ(frame->View().findChild<QTabWidget *>(QStringLiteral("tabs"))->tabText(1), QStringLiteral("Drive D:"));
    ASSERT_EQ(list->rowCount(), 3);
    EXPECT_EQ(list->item(1, 0)->text(), QStringLiteral("2"));
    EXPECT_EQ(list->item(1, 1)->text(), QStringLiteral("second song"));
    EXPECT_EQ(list->item(1, 2)->text(), QStringLiteral("0:03"));
    EXPECT_EQ(list->item(1, 0)->checkState(), Qt::Checked);
    EXPECT_EQ(frame->SummaryText(), QStringLiteral(" 3 tracks : 0h 00m 07s "));
    EXPECT_TRUE(frame->Action(FrameCommand::kDiscInformation)->isVisible());
    EXPECT_FALSE(frame->Action(FrameCommand::kFileInformation)->isVisible());
    EXPECT_EQ(frame->Action(FrameCommand::kDiscInformation)->shortcut(), QKeySequence(QStringLiteral("Ctrl+I")));
    EXPECT_EQ(rig.doc.cdimages, std::vector<std::string>{image.cuePath});

    EXPECT_EQ(DriveMenu(*frame), (QStringList{QStringLiteral("1. <00:02> The Band - Opening"),
                                              QStringLiteral("2. <00:03> The Band - second song"),
                                              QStringLiteral("3. <00:02> The Band - Coda")}));

    frame->OnPlayerKey(0x77, 1); // the next tab: the playlist
    EXPECT_EQ(frame->CurrentCdDrive(), -1);
    EXPECT_TRUE(frame->Action(FrameCommand::kFileInformation)->isVisible());
    EXPECT_FALSE(frame->Action(FrameCommand::kDiscInformation)->isVisible());
    EXPECT_EQ(frame->SummaryText().left(8), QStringLiteral(" 0 files"));

    // The tray's track 2 of drive 1 plays on its tab.
    ASSERT_TRUE(frame->Execute(CTrayPlaylistMenu::CdTrackCommand(1, 2)));
    EXPECT_EQ(frame->CurrentCdDrive(), 0);
    EXPECT_TRUE(rig.Engine().IsPlaying());
    EXPECT_EQ(rig.core->Cd().PlayingTrack(), 2);
    EXPECT_EQ(rig.Engine().CurrentEntry().m_strTitle, "second song");
    EXPECT_EQ(list->FirstSelectedRow(), 1);
    frame->OnPlayerKey(0x79, 0); // F10, next track: track 3 on the CD tab
    EXPECT_EQ(rig.core->Cd().PlayingTrack(), 3);
    frame->Execute(PlayerCommand::kStop);
}

TEST_F(CdTabsTest, TheListsEditsBecomeThePlayOrderAndReachCdIni)
{
    struct Case {
        const char *name;
        std::function<void(CCdListCtrl &)> edit;
        std::vector<int> order;
        std::vector<int> checked; // by track 1..3
    };
    const Case cases[] = {
        {"the last row dragged onto the first",
         [](CCdListCtrl &l) {
             l.BeginRowDrag(2);
             l.DragMoveTo(l.visualItemRect(l.item(0, 1)).center());
             l.EndRowDrag();
         },
         {3, 1, 2}, {1, 1, 1}},
        {"a drag above the list scrolls up and drops nothing",
         [](CCdListCtrl &l) {
             l.BeginRowDrag(0);
             l.DragMoveTo(QPoint(5, -10));
             EXPECT_EQ(l.AutoScrollStep(), -1);
             l.EndRowDrag();
         },
         {3, 1, 2}, {1, 1, 1}},
        {"sorted by title", [](CCdListCtrl &l) { l.SortBy(1); }, {3, 1, 2}, {1, 1, 1}},
        {"sorted by title again: reversed", [](CCdListCtrl &l) { l.SortBy(1); }, {2, 1, 3}, {1, 1, 1}},
        {"sorted by length (ties keep their order)", [](CCdListCtrl &l) { l.horizontalHeader()->sectionClicked(2); },
         {1, 3, 2}, {1, 1, 1}},
        {"a check box cleared", [](CCdListCtrl &l) { l.item(2, 0)->setCheckState(Qt::Unchecked); }, {1, 3, 2},
         {1, 0, 1}},
        {"Check All", [this](CCdListCtrl &) { EXPECT_TRUE(frame->Execute(FrameCommand::kCheckAllTracks)); },
         {1, 3, 2}, {1, 1, 1}},
        {"the row that played stays the cursor after a sort",
         [](CCdListCtrl &l) { l.SelectAndFocus(2); l.SortBy(0); EXPECT_EQ(l.TrackNumber(l.FirstSelectedRow()), 2); },
         {1, 2, 3}, {1, 1, 1}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        c.edit(*list);
        EXPECT_EQ(PlayOrder(Record()), c.order);
        for (int t = 1; t <= 3; ++t)
            EXPECT_EQ(Record().m_bChecked[static_cast<std::size_t>(t)], c.checked[static_cast<std::size_t>(t - 1)]) << t;
        for (int r = 0; r < 3; ++r)
            EXPECT_EQ(list->TrackNumber(r), c.order[static_cast<std::size_t>(r)]) << "the rows are the order";
    }
    list->item(0, 0)->setCheckState(Qt::Unchecked); // track 1 off: 2 and 3 remain, in that order
    rig.core->Cd().Discs().SaveAll();
    const std::string ini = ReadWholeFile(Record().m_strUserFolder + "cd.ini");
    ASSERT_EQ(Record().m_strUserFolder, rig.doc.DataFolder());
    EXPECT_NE(ini.find("<" + CDiscRecord::SectionKey(Record().m_nDiscId) + ">\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("\r\norder=1 2\r\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("\r\n1=second song\r\n"), std::string::npos) << ini;
}

} // namespace

namespace {

// The window looks at the drives about once a second: another disc in the image's place fills the
// tab anew, the image gone empties it.
TEST_F(CdTabsTest, TheMediaPollRefillsTheTab)
{
    auto waitForRows = [this](int rows) {
        for (int i = 0; i < 40 && list->rowCount() != rows; ++i)
            QTest::qWait(100);
        return list->rowCount();
    };
    QTest::qWait(1200); // the first poll takes note of the media
    CdImage other;
    ASSERT_TRUE(other.Create(dir.path().string(), {{{150, "A"}, {150, "B"}, {150, "C"}, {150, "D"}}, "New", "Disc"}));
    EXPECT_EQ(waitForRows(4), 4) << "the new disc's tracks";
    EXPECT_EQ(list->item(3, 1)->text(), QStringLiteral("D"));
    EXPECT_EQ(frame->SummaryText(), QStringLiteral(" 4 tracks : 0h 00m 08s "));
    std::filesystem::remove(other.cuePath);
    EXPECT_EQ(waitForRows(0), 0) << "no disc, no rows";
    EXPECT_EQ(frame->SummaryText(), QStringLiteral(" 0 tracks : 0h 00m 00s "));
}

} // namespace
