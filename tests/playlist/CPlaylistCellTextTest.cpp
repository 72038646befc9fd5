#include "playlist/CPlaylistCellText.h"
#include "playlist/PlaylistColumn.h"

#include <gtest/gtest.h>

TEST(PlaylistCellText, SizesAndDurations)
{
    const std::pair<std::uint32_t, const char *> sizes[] = {
        {500000, "488.2 Kb"}, {5000000, "4.76 Mb"}, {1023999, "999.9 Kb"}, {1024000, "0.97 Mb"},
        {1023, "0.9 Kb"},     {4294967295u, "4095.99 Mb"}, {1059840, "1.01 Mb"}};
    for (const auto &[bytes, text] : sizes)
        EXPECT_EQ(CPlaylistCellText::SizeText(bytes), text) << bytes;

    struct Case { std::int32_t type; std::int32_t seconds; bool loops; const char *text; };
    const Case durations[] = {
        {kTypeMpeg, 59, false, "0:59"},     {kTypeMpeg, 754, false, "12:34"},  {kTypeMpeg, 3725, false, "1:02:05"},
        {kTypeMpeg, 40000, false, "9:59:59"}, {kTypeMpeg, 3600, false, "1:00:00"}, {kTypeMpeg, 600, false, "10:00"},
        {kTypeIt, 125, true, "2:05+"},      {kTypeMpeg, 125, true, "2:05"},    {kTypeXm, 125, false, "2:05"},
        {kTypeMod4, 0, true, ""},
    };
    for (const Case &c : durations) {
        CPlaylistEntry entry;
        entry.m_nType = c.type;
        entry.m_nDuration = c.seconds;
        entry.m_bLoops = c.loops;
        EXPECT_EQ(CPlaylistCellText::Text(entry, kColumnDuration), c.text) << c.seconds;
    }
}

TEST(PlaylistCellText, ColumnTexts)
{
    CPlaylistEntry entry;
    entry.m_strPath = "/music/a b/song.flac";
    entry.m_nType = kTypeFlac;
    entry.m_strArtist = "Artist";
    entry.m_nBitrate = 128;
    entry.m_nFrequency = 44100;
    entry.m_nChannels = 2;
    entry.m_nYear = 1999;
    entry.m_nSize = 5000000;
    const std::pair<int, const char *> cells[] = {
        {kColumnFilename, "song.flac"}, {kColumnArtist, "Artist"}, {kColumnTitle, ""}, {kColumnYear, "1999"},
        {kColumnType, "FLAC"}, {kColumnBitrate, "128 kbps"}, {kColumnFrequency, "44100 Hz"}, {kColumnChannels, "2"},
        {kColumnFilesize, "4.76 Mb"}, {kColumnDuration, ""}, {kColumnFilepath, "/music/a b/song.flac"}, {0, ""}, {14, ""}};
    for (const auto &[column, text] : cells)
        EXPECT_EQ(CPlaylistCellText::Text(entry, column), text) << column;

    CPlaylistEntry blank;
    blank.m_strPath = "noslash.mp3";
    blank.m_nType = kTypeCdTrack;
    for (int column : {kColumnYear, kColumnType, kColumnBitrate, kColumnFrequency, kColumnChannels, kColumnFilesize})
        EXPECT_EQ(CPlaylistCellText::Text(blank, column), "") << column;
    EXPECT_EQ(CPlaylistCellText::Text(blank, kColumnFilename), "noslash.mp3");

    // Long texts are cut to 255 characters, never inside a UTF-8 sequence.
    blank.m_strTitle.clear();
    for (int i = 0; i < 300; ++i)
        blank.m_strTitle += "\xC3\xA9";
    EXPECT_EQ(CPlaylistCellText::Text(blank, kColumnTitle), blank.m_strTitle.substr(0, 510));
    blank.m_strArtist = std::string(300, 'x');
    EXPECT_EQ(CPlaylistCellText::Text(blank, kColumnArtist).size(), 255u);
}
