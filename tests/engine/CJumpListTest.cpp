// The Jump to Track filter over a real playlist document (line texts and keys: the dialog tests).
#include "engine/CJumpList.h"
#include "playlist/CPlayerDoc.h"
#include "tests/support/PlaylistFakes.h"

#include <gtest/gtest.h>

namespace {

class JumpListTest : public testing::Test {
protected:
    void Add(const std::string &artist, const std::string &title)
    {
        CPlaylistEntry entry;
        entry.m_strPath = "/music/" + std::to_string(m_doc.EntryCount()) + ".mp3";
        entry.m_nType = kTypeMpeg;
        entry.m_strArtist = artist;
        entry.m_strTitle = title;
        ASSERT_TRUE(m_doc.AppendEntry(entry));
    }

    FakeIdentifier m_identifier;
    FakeMessageBox m_messageBox;
    CPlayerDoc m_doc{m_identifier, m_messageBox};
};

TEST_F(JumpListTest, FilterIgnoresCaseAndMatchesAnywhere)
{
    Add("Massive Attack", "teardrop");
    Add("portishead", "Roads");
    Add("Björk", "Army of Me");
    Add("", "");
    struct Case {
        const char *filter;
        std::vector<int> rows;
    };
    for (const Case &c : {Case{"TEAR", {0}}, Case{"Portis", {1}}, Case{"ROADS", {1}}, Case{"ssive att", {0}},
                          Case{"BJÖRK", {2}}, Case{"a", {0, 1, 2}}, Case{" - ", {0, 1, 2}}, Case{"zzz", {}},
                          Case{"", {0, 1, 2}}}) {
        SCOPED_TRACE(c.filter);
        CJumpList list(m_doc);
        list.SetFilter(c.filter);
        std::vector<int> rows;
        for (const CJumpList::Line &line : list.Lines())
            rows.push_back(line.row);
        EXPECT_EQ(rows, c.rows);
        EXPECT_EQ(list.ChosenRow(), c.rows.empty() ? -1 : c.rows.front());
    }
}

} // namespace
