// The gapless change-over reads the playlist from the audio library's update thread while the
// user-interface thread edits it. Here a reader thread does what that side does (ask for the next
// row, copy one entry) as fast as it can while the test thread adds, removes, moves, sorts,
// refreshes and clears. Every copy must be a whole entry (its fields belong together) and every
// answer a row that existed; run under the sanitizer build this also catches unguarded access.

#include "playlist/CPlayerDoc.h"
#include "playlist/PlaylistColumn.h"
#include "tests/support/PlaylistFakes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

bool WholeEntry(const CPlaylistEntry &e)
{
    return e.m_strTitle == "title of " + e.m_strPath && e.m_nSize == e.m_strPath.size() * 1000 && e.m_nType != 0;
}

TEST(CPlayerDocThreads, GaplessReaderSeesWholeEntriesWhileTheListIsEdited)
{
    FakeIdentifier identifier;
    FakeMessageBox messages;
    CPlayerDoc doc(identifier, messages);
    doc.SetRepeatList(true);

    std::vector<std::string> pool;
    for (int i = 0; i < 400; ++i) {
        pool.push_back("/music/" + std::string(static_cast<std::size_t>(i % 37), 'x') + std::to_string(i) + ".ogg");
        identifier.AddFile(pool.back(), kTypeOgg, i);
    }

    std::atomic<bool> stop{false};
    std::atomic<long> reads{0};
    std::atomic<long> broken{0};
    std::thread reader([&]() {
        CPlaylistEntry entry;
        CPlaylistEntry next;
        std::mt19937 random(99);
        while (!stop.load()) {
            const int count = doc.EntryCount();
            if (count > 0 && doc.GetEntry(static_cast<int>(random() % count), entry)) {
                if (!WholeEntry(entry))
                    ++broken;
                const int row = doc.NextGaplessIndex(entry.m_strPath);
                if (row >= CPlayerDoc::kMaxPlaylistEntries)
                    ++broken;
                const int paired = doc.NextGaplessEntry(entry.m_strPath, next);
                if (paired >= 0 && !WholeEntry(next))
                    ++broken;
            }
            CPlaylistEntry outside = doc.GetEntry(-1);
            if (!(outside == CPlaylistEntry()))
                ++broken;
            ++reads;
        }
    });

    std::mt19937 random(5);
    for (int round = 0; round < 300; ++round) {
        std::vector<std::string> batch;
        const int n = 1 + static_cast<int>(random() % 40);
        for (int i = 0; i < n; ++i)
            batch.push_back(pool[random() % pool.size()]);
        doc.AddFiles(batch);
        const int count = doc.TotalCount();
        doc.SetNextIndex(static_cast<int>(random() % count));
        doc.MarkPlaying(static_cast<int>(random() % count));

        switch (round % 5) {
        case 0:
            doc.Sort(1 + static_cast<int>(random() % 13));
            break;
        case 1:
            DeselectAll(doc);
            for (int row = 0; row < count; ++row)
                doc.UserSelected(row, random() % 3 == 0);
            doc.RemoveSelected();
            break;
        case 2:
            DeselectAll(doc);
            for (int row = 0; row < count; ++row)
                doc.UserSelected(row, random() % 5 == 0);
            doc.MoveSelected(static_cast<int>(random() % count));
            break;
        case 3:
            doc.Refresh();
            break;
        default:
            if (count > 300)
                doc.Clear();
            break;
        }
        doc.SetCdTabShown(round % 7 == 0);
    }
    stop = true;
    reader.join();

    EXPECT_EQ(broken.load(), 0);
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(doc.State().m_nRowCount, doc.EntryCount());
}

} // namespace
