// The player core playing track 2 of a CD image that goes wrong: a BIN shorter than its table of
// contents, a read error in the middle of the track (the BIN cut while it plays), the disc taken out
// while it plays, and a CUE sheet that is garbage. Each ends in a clear message where the user must
// know, and playback ends in time: no crash, no hang.
#include "engine/ICdTabs.h"
#include "tests/engine/PlayOrderFakes.h"
#include "tests/support/CdImage.h"
#include "tests/support/PlayerCoreRig.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

namespace {

// A CD tab's rows that know, as the window's list does, which track plays.
class LiveCdList : public FakeCdList {
public:
    LiveCdList(std::vector<int> tracks, CPlayerCore &core)
        : FakeCdList(std::move(tracks), core.Cd().DriveLetter(0)), m_engine(core.Engine())
    {
    }
    char PlayingDrive() const override { return m_engine.PlayingCdDrive(); }
    int PlayingTrack() const override { return m_engine.PlayingCdTrack(); }

private:
    const CPlaybackEngine &m_engine;
};

// The window's CD tabs reduced to one list per drive, filled from the disc records as the window
// fills its lists.
class FakeCdTabs : public ICdTabs {
public:
    explicit FakeCdTabs(CPlayerCore &core) : m_core(core)
    {
        QObject::connect(&core, &CPlayerCore::cdDriveChanged, [this](int drive) {
            if (m_list && (drive < 0 || drive == m_drive))
                Fill(m_drive);
        });
    }
    ~FakeCdTabs() override { m_core.PlayOrder().ShowPlaylistTab(); }
    bool ShowCdTrack(int drive, int track, bool) override
    {
        if (drive < 0 || drive >= m_core.Cd().DriveCount())
            return false;
        Fill(drive);
        for (int r = 0; r < m_list->RowCount(); ++r) {
            if (m_list->TrackNumber(r) == track)
                m_list->SelectAndFocus(r);
        }
        return track == 0 || m_list->FirstSelectedRow() >= 0;
    }
    FakeCdList *List() const { return m_list.get(); }

private:
    void Fill(int drive)
    {
        m_core.PlayOrder().ShowPlaylistTab();
        std::vector<int> tracks;
        if (drive < m_core.Cd().DriveCount()) {
            const CDiscRecord &r = m_core.Cd().Record(drive);
            for (int i = 0; i < r.m_nAudioTracks; ++i)
                tracks.push_back(r.m_nOrder[static_cast<std::size_t>(i)]);
        }
        m_drive = drive;
        m_list = std::make_unique<LiveCdList>(tracks, m_core);
        m_core.PlayOrder().ShowCdTab(*m_list);
    }
    CPlayerCore &m_core;
    int m_drive = -1;
    std::unique_ptr<LiveCdList> m_list;
};

} // namespace

TEST(CdPlaybackFaultsTest, BrokenImagesEndInAMessageOrAnEarlyEndNeverAHang)
{
    struct Case {
        const char *name;
        std::function<void(const CdImage &)> before; // breaks the image before it is opened
        std::function<void(const CdImage &)> during; // breaks it half a second into track 2
        bool opens;
        const char *message; // part of the one message shown; empty: none
        int rowsAfter;       // rows of the CD tab at the end
        int maxTicks;        // track 2 whole would take 400 ticks of 20 ms
    };
    // Track 2 lasts 8 s. The reader runs at most three 2-second buffers ahead, so a cut 6.5 s into it
    // made half a second after it started is met by a read, not by data read before.
    const Case cases[] = {
        {"a BIN shorter than its table of contents",
         [](const CdImage &image) { std::filesystem::resize_file(image.binPath, image.bin.size() / 2); }, {}, true,
         "shorter than its table of contents", 2, 300}, // track 3 lies past the data
        {"a read error in the middle of the track",
         {}, [](const CdImage &image) {
             std::filesystem::resize_file(image.binPath, image.trackBytes[0].size() + 2352 * 75 * 13 / 2);
         },
         true, "", 3, 385},
        {"the disc taken out while it plays", {}, [](const CdImage &image) {
             std::filesystem::remove(image.binPath);
             std::filesystem::remove(image.cuePath);
         },
         true, "", 0, 100},
        {"a CUE sheet that is garbage", [](const CdImage &image) {
             ASSERT_TRUE(WriteTextFile(image.cuePath, std::string("\x01\xff TRACK 99 VIDEO\nINDEX x\n", 24)));
         },
         {}, false, "names no data file", 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        CdImage image;
        ASSERT_TRUE(image.Create(dir.path().string(), {{{150, "One"}, {600, "Two"}, {150, "Three"}}, "Disc", "Band"}));
        if (c.before)
            c.before(image);

        PlayerCoreRig rig;
        FakeCdTabs tabs(*rig.core);
        rig.core->AttachCdTabs(&tabs);
        ASSERT_TRUE(rig.Start());
        const int drive = rig.core->OpenCdImage(image.cuePath);
        EXPECT_EQ(drive >= 0, c.opens);
        if (*c.message) {
            ASSERT_EQ(rig.messageBox.m_texts.size(), 1u);
            EXPECT_NE(rig.messageBox.m_texts[0].find(c.message), std::string::npos) << rig.messageBox.m_texts[0];
            EXPECT_NE(rig.messageBox.m_texts[0].find(image.cuePath), std::string::npos) << "names the image";
        } else {
            EXPECT_TRUE(rig.messageBox.m_texts.empty());
        }
        if (!c.opens) {
            EXPECT_EQ(rig.core->Cd().DriveCount(), 0) << "no dead drive is kept";
            EXPECT_TRUE(rig.doc.cdimages.empty());
            continue;
        }
        ASSERT_TRUE(tabs.ShowCdTrack(drive, 2, false));
        rig.Engine().Play();
        ASSERT_TRUE(rig.Engine().IsPlaying());
        EXPECT_EQ(rig.core->Cd().PlayingTrack(), 2);

        rig.core->Cd().PollMedia(); // the window's first poll takes note of the media
        const auto start = std::chrono::steady_clock::now();
        bool broken = false;
        int ticks = 0;
        while (rig.Engine().IsPlaying() && std::chrono::steady_clock::now() - start < std::chrono::seconds(30)) {
            rig.Tick();
            ++ticks;
            if (ticks == 25 && c.during) {
                c.during(image);
                broken = true;
            }
            if (ticks % 50 == 0)
                rig.core->Cd().PollMedia(); // the window polls about once a second
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_FALSE(rig.Engine().IsPlaying()) << "playback ended, after " << ticks << " ticks";
        EXPECT_TRUE(!c.during || broken);
        EXPECT_LT(ticks, c.maxTicks) << "the track ended early";
        EXPECT_EQ(tabs.List()->RowCount(), c.rowsAfter);
        EXPECT_EQ(rig.messageBox.m_texts.size(), *c.message ? 1u : 0u) << "no message while playing";
    }
}
