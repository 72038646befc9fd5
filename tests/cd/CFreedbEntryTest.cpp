// The xmcd entry: reading a server's entry into a record, the submission body built from a record
// (read back by the same parser), and server URLs made from site-list lines.
#include "cd/CDiscRecord.h"
#include "cd/CFreedbEntry.h"
#include "cd/CFreedbSites.h"

#include "tests/cd/CdFakes.h"

#include <gtest/gtest.h>

namespace {

CDiscRecord ThreeTracks()
{
    CDiscRecord r = ThreeTrackDisc();
    r.m_strArtist = "Artist";
    r.m_strDiscTitle = "Disc";
    r.m_strYear = "1999";
    r.m_strGenre = "Rock";
    r.m_strTitle = {"", "One", "Two", "Three"};
    return r;
}

std::vector<std::string> Lines(const std::string &body, const std::string &prefix)
{
    std::vector<std::string> out;
    for (std::size_t at = 0; (at = body.find("\r\n" + prefix, at)) != std::string::npos; at += 2)
        out.push_back(body.substr(at + 2, body.find("\r\n", at + 2) - at - 2));
    return out;
}

TEST(CFreedbEntryTest, ParsesEntries)
{
    struct Case {
        const char *name;
        std::string entry;
        std::string artist, title, year, genre, track1, track6, extd;
    } cases[] = {
        {"split at ' / ' with a year", "DTITLE=Some Artist / Some Title\nDYEAR=1987\nDGENRE=Pop\n",
         "Some Artist", "Some Title", "1987", "Pop", "", "", ""},
        {"split without a year line", "DTITLE=A / B\n", "A", "B", "", "", "", "", ""},
        {"no ' / ': artist is the title", "DTITLE=Only\nDYEAR=2001\n", "Only", "Only", "2001", "", "", "", ""},
        {"continued fields join", "DTITLE=Long Ar\nDTITLE=tist / T\nTTITLE5=first half \nTTITLE5=second half\n",
         "Long Artist", "T", "", "", "", "first half second half", ""},
        {"escapes: blanks in titles, kept in EXTD", "TTITLE0=a\\tb\\nc\\\\d\nEXTD=line\\nnext\n",
         "", "", "", "", "a b c\\d", "", "line\\nnext"},
        {"Latin-1 read as Latin-1", "TTITLE0=Caf\xe9 M\xfcller\n", "", "", "", "", "Caf\xc3\xa9 M\xc3\xbcller", "", ""},
        {"UTF-8 stays UTF-8", "TTITLE0=Caf\xc3\xa9\n", "", "", "", "", "Caf\xc3\xa9", "", ""},
        {"a UTF-8 character split over two lines", "TTITLE0=Caf\xc3\nTTITLE0=\xa9\n", "", "", "", "", "Caf\xc3\xa9", "", ""},
        {"comments, CR LF, keys without '=' or out of range", "# DTITLE=x\r\nDISCID=1\r\n=x\r\nTTITLE99=no\r\nTTITLE0\r\n",
         "", "", "", "", "", "", ""},
    };
    for (const Case &c : cases) {
        CDiscRecord r = ThreeTracks();
        CFreedbEntry::Parse(c.entry, r);
        EXPECT_EQ(r.m_strArtist, c.artist) << c.name;
        EXPECT_EQ(r.m_strDiscTitle, c.title) << c.name;
        EXPECT_EQ(r.m_strYear, c.year) << c.name;
        EXPECT_EQ(r.m_strGenre, c.genre) << c.name;
        EXPECT_EQ(r.m_strTitle[1], c.track1) << c.name;
        EXPECT_EQ(r.m_strTitle[6], c.track6) << c.name;
        EXPECT_EQ(r.m_strExtd, c.extd) << c.name;
        EXPECT_EQ(r.m_strTitle[2], "") << c.name; // the old texts are gone
    }
}

TEST(CFreedbEntryTest, BuildsTheSubmissionBodyThatReadsBack)
{
    CDiscRecord r = ThreeTracks();
    r.m_strTitle[1] = std::string(150, 'x');
    r.m_strTitle[2] = "Caf\xc3\xa9\x01 \\ A\x7f"; // UTF-8 accent kept, controls dropped, backslash doubled
    r.m_strArtist = "AC / DC";
    r.m_strExtd = "one\\ntwo";
    r.m_strExtt[3] = std::string(100, 'e');
    const CFreedbEntry::Built built = CFreedbEntry::BuildXmcdEntry(r);
    ASSERT_EQ(built.missing, CFreedbEntry::Missing::None);
    const std::string &b = built.body;
    EXPECT_EQ(b.rfind("# xmcd\r\n#\r\n# Track frame offsets:\r\n#\t150\r\n#\t20000\r\n#\t40000\r\n#\r\n"
                      "# Disc length: 800 seconds\r\n#\r\n# Revision: 0\r\n# Submitted via: Melvane 1.5\r\n#\r\n"
                      "DISCID=0a0b0c03\r\nDTITLE=AC/DC / Disc\r\nDYEAR=1999\r\nDGENRE=Rock\r\n", 0), 0u) << b;
    EXPECT_EQ(Lines(b, "TTITLE0="), (std::vector<std::string>{"TTITLE0=" + std::string(72, 'x'),
                                                              "TTITLE0=" + std::string(72, 'x'),
                                                              "TTITLE0=" + std::string(6, 'x')}));
    EXPECT_EQ(Lines(b, "TTITLE1="), std::vector<std::string>{"TTITLE1=Caf\xc3\xa9 \\\\ A"});
    EXPECT_EQ(Lines(b, "EXTD="), std::vector<std::string>{"EXTD=one\\ntwo"});
    EXPECT_EQ(Lines(b, "EXTT0="), std::vector<std::string>{"EXTT0="});
    EXPECT_EQ(Lines(b, "EXTT2=").size(), 2u);
    EXPECT_EQ(b.substr(b.size() - 14), "\r\nPLAYORDER=\r\n");
    for (const std::string &line : Lines(b, ""))
        EXPECT_LE(line.size(), 80u) << line;

    CDiscRecord back = ThreeTracks();
    CFreedbEntry::Parse(b, back);
    EXPECT_EQ(back.m_strArtist, "AC/DC");
    EXPECT_EQ(back.m_strDiscTitle, "Disc");
    EXPECT_EQ(back.m_strTitle[1], r.m_strTitle[1]);
    EXPECT_EQ(back.m_strTitle[2], "Caf\xc3\xa9 \\ A");
    EXPECT_EQ(back.m_strExtd, r.m_strExtd);
    EXPECT_EQ(back.m_strExtt[3], r.m_strExtt[3]);
}

TEST(CFreedbEntryTest, NamesTheFirstMissingField)
{
    struct Case {
        void (*edit)(CDiscRecord &);
        CFreedbEntry::Missing missing;
        int track;
    } cases[] = {
        {[](CDiscRecord &r) { r.m_strDiscTitle = "\x01\x02"; }, CFreedbEntry::Missing::DiscTitle, 0},
        {[](CDiscRecord &r) { r.m_strYear = "0"; r.m_strGenre.clear(); }, CFreedbEntry::Missing::Year, 0},
        {[](CDiscRecord &r) { r.m_strYear = "abcd"; }, CFreedbEntry::Missing::Year, 0},
        {[](CDiscRecord &r) { r.m_strGenre.clear(); r.m_strTitle[1].clear(); }, CFreedbEntry::Missing::Genre, 0},
        {[](CDiscRecord &r) { r.m_strTitle[3].clear(); }, CFreedbEntry::Missing::TrackTitle, 3},
        {[](CDiscRecord &r) { r.m_nLength[2] = 0; r.m_strTitle[2].clear(); }, CFreedbEntry::Missing::None, 0},
    };
    for (const Case &c : cases) {
        CDiscRecord r = ThreeTracks();
        c.edit(r);
        const CFreedbEntry::Built built = CFreedbEntry::BuildXmcdEntry(r);
        EXPECT_EQ(built.missing, c.missing);
        EXPECT_EQ(built.track, c.track);
        if (c.missing == CFreedbEntry::Missing::None)
            EXPECT_NE(built.body.find("\r\nTTITLE1=Data Track\r\n"), std::string::npos);
    }
}

TEST(CFreedbEntryTest, MakesServersFromSiteLines)
{
    const std::vector<std::string> lines{
        "gnudb.gnudb.org http 80 /~cddb/cddb.cgi N000.00 W000.00 gnudb",
        "gnudb.gnudb.org cddbp 8880 - N000.00 W000.00 gnudb",
        "local http 8080 / N000.00 W000.00 root path is too short",
        "x http 1 /p",      // the path must be ended by a blank
        " http 80 /a/b c",  // no host
        "h.example http 8o /a x",
        "h.example http 8080 /a/b.cgi ",
    };
    EXPECT_EQ(CFreedbSites::ServersFromSiteList(lines),
              (std::vector<std::string>{"http://gnudb.gnudb.org:80/~cddb/cddb.cgi", "http://h.example:8080/a/b.cgi"}));
}

} // namespace
