// melvane-info FILE...: prints how the player reads each file, one tab-separated line per file:
// path, type code, title, artist, album, genre, year, duration, channels, bit rate, sample rate, size,
// loops flag. With --orders the 256 order start times of a module follow (zeros for other types).
// Exits with 1 when a file is not identified (its line is still printed), 2 on wrong usage.

#include "CTrackInfo.h"
#include "playlist/CPlaylistEntry.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Tabs and line breaks inside a tag would break the columns.
std::string Field(const std::string &text)
{
    std::string out = text;
    for (char &c : out)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    bool orders = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--orders") == 0)
            orders = true;
        else
            files.emplace_back(argv[i]);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: melvane-info [--orders] FILE...\n");
        return 2;
    }
    int status = 0;
    for (const std::string &file : files) {
        CTrackInfo info(file);
        info.Read(nullptr);
        CPlaylistEntry e;
        info.CopyToEntry(e);
        std::string line = Field(e.m_strPath) + '\t' + std::to_string(e.m_nType) + '\t' + Field(e.m_strTitle) +
                           '\t' + Field(e.m_strArtist) + '\t' + Field(e.m_strAlbum) + '\t' + Field(e.m_strGenre) +
                           '\t' + std::to_string(e.m_nYear) + '\t' + std::to_string(e.m_nDuration) + '\t' +
                           std::to_string(e.m_nChannels) + '\t' + std::to_string(e.m_nBitrate) + '\t' +
                           std::to_string(e.m_nFrequency) + '\t' + std::to_string(e.m_nSize) + '\t' +
                           (e.m_bLoops ? "1" : "0");
        if (orders)
            for (std::uint16_t t : info.GetOrderTimes())
                line += '\t' + std::to_string(t);
        std::printf("%s\n", line.c_str());
        if (e.m_nType == kTypeUnknown)
            status = 1;
    }
    return status;
}
