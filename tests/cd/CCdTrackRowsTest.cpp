// The CD track list's rows without a window: filled from a disc record's play order, sorted, moved,
// checked, and written back into the record so that the disc plays in the order shown.
#include "cd/CCdTrackRows.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Five audio tracks; titles and lengths chosen so that each column sorts differently, with a tie in
// the lengths (tracks 2 and 4) to show the sort is stable.
CDiscRecord FiveTracks()
{
    CDiscRecord r;
    r.m_nDiscId = 0x2A0B5C05;
    r.m_nAudioTracks = r.m_nTocTracks = 5;
    const char *titles[] = {"", "delta", "Alpha", "charlie", "", "Bravo"};
    const int lengths[] = {0, 300, 125, 61, 125, 9};
    for (int t = 1; t <= 5; ++t) {
        r.m_strTitle[static_cast<std::size_t>(t)] = titles[t];
        r.m_nLength[static_cast<std::size_t>(t)] = lengths[t];
        r.m_nOrder[static_cast<std::size_t>(t - 1)] = t;
        r.m_bChecked[static_cast<std::size_t>(t)] = 1;
    }
    return r;
}

std::vector<int> Tracks(const CCdTrackRows &rows)
{
    std::vector<int> out;
    for (int i = 0; i < rows.Count(); ++i)
        out.push_back(rows.At(i).track);
    return out;
}

std::vector<int> Order(const CDiscRecord &r)
{
    std::vector<int> out;
    for (int i = 0; i < CDiscRecord::kSlots && r.m_nOrder[static_cast<std::size_t>(i)] != 0; ++i)
        out.push_back(r.m_nOrder[static_cast<std::size_t>(i)]);
    return out;
}

} // namespace

TEST(CCdTrackRowsTest, RowsFollowThePlayOrderAndGoBackIntoTheRecord)
{
    struct Case {
        const char *name;
        std::function<void(CDiscRecord &)> record; // changes to the five-track disc before Fill
        std::function<void(CCdTrackRows &)> act;
        std::vector<int> rows;        // tracks shown, in order
        std::string orderValue;       // what cd.ini would keep after the write-back
    };
    const Case cases[] = {
        {"the play order's first track is the first row",
         [](CDiscRecord &r) { r.ParseOrder("4 0"); }, [](CCdTrackRows &) {}, {5, 1, 2, 3, 4}, "4 0"},
        {"a track without a length is no row", [](CDiscRecord &r) { r.m_nLength[3] = 0; },
         [](CCdTrackRows &) {}, {1, 2, 4, 5}, "0 1 3 4"},
        {"sorting by title ignores letter case", {}, [](CCdTrackRows &rows) { rows.SortBy(1); },
         {4, 2, 5, 3, 1}, "3 1 4 2 0"},
        {"sorting by title twice gives the reverse order", {},
         [](CCdTrackRows &rows) { rows.SortBy(1); rows.SortBy(1); }, {1, 3, 5, 2, 4}, "0 2 4 1 3"},
        {"sorting by duration keeps tied tracks in their order", [](CDiscRecord &r) { r.ParseOrder("3 2 1 0 4"); },
         [](CCdTrackRows &rows) { rows.SortBy(2); }, {5, 3, 4, 2, 1}, "4 2 3 1 0"},
        {"sorting by track number after another column sorts ascending",
         {}, [](CCdTrackRows &rows) { rows.SortBy(2); rows.SortBy(0); }, {1, 2, 3, 4, 5}, "0 1 2 3 4"},
        {"dragging the last row onto the first makes it play first", {},
         [](CCdTrackRows &rows) { EXPECT_TRUE(rows.Move(4, 0)); }, {5, 1, 2, 3, 4}, "4 0 1 2 3"},
        {"dropping a row on itself changes nothing", {},
         [](CCdTrackRows &rows) { EXPECT_FALSE(rows.Move(2, 2)); }, {1, 2, 3, 4, 5}, "0 1 2 3 4"},
        {"an unchecked row is left out of the order value but keeps its place",
         {}, [](CCdTrackRows &rows) { rows.SetChecked(1, false); }, {1, 2, 3, 4, 5}, "0 2 3 4"},
        {"check all selects every track again", [](CDiscRecord &r) { r.ParseOrder("2"); },
         [](CCdTrackRows &rows) { rows.CheckAll(); }, {3, 1, 2, 4, 5}, "2 0 1 3 4"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CDiscRecord record = FiveTracks();
        if (c.record)
            c.record(record);
        CCdTrackRows rows;
        rows.Fill(record);
        c.act(rows);
        EXPECT_EQ(Tracks(rows), c.rows);
        rows.WriteBack(record);
        EXPECT_EQ(Order(record), c.rows) << "the record plays in the order shown";
        EXPECT_EQ(record.OrderString(), c.orderValue);
        // The same record read back from its cd.ini text shows the same rows.
        CDiscRecord again = FiveTracks();
        if (c.record)
            c.record(again);
        ASSERT_TRUE(again.ReadSection(record.SaveText(""), '<', '>', CDiscRecord::SectionKey(record.m_nDiscId)));
        CCdTrackRows reread;
        reread.Fill(again);
        std::vector<int> checkedFirst; // the order value's tracks come first, the others follow
        for (int i = 0; i < rows.Count(); ++i)
            if (rows.At(i).checked)
                checkedFirst.push_back(rows.At(i).track);
        for (int i = 0; i < rows.Count(); ++i)
            if (!rows.At(i).checked)
                checkedFirst.push_back(rows.At(i).track);
        EXPECT_EQ(Tracks(reread), checkedFirst);
    }
}

TEST(CCdTrackRowsTest, CellTexts)
{
    CCdTrackRows rows;
    rows.Fill(FiveTracks());
    const std::vector<std::vector<std::string>> expected = {
        {"1", "delta", "5:00"}, {"2", "Alpha", "2:05"}, {"3", "charlie", "1:01"},
        {"4", "Untitled", "2:05"}, {"5", "Bravo", "0:09"}};
    for (int r = 0; r < rows.Count(); ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(rows.Text(r, c), expected[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]) << r << "," << c;
    EXPECT_TRUE(rows.At(3).title.empty()) << "\"Untitled\" is shown, the record keeps no title";
    EXPECT_EQ(CCdTrackRows::DurationText(3725), "62:05") << "minutes are not padded or split into hours";
    rows.Fill(CDiscRecord());
    EXPECT_EQ(rows.Count(), 0) << "no disc, no rows";
    EXPECT_FALSE(rows.SortBy(1));
}
