// melvane-info FILE...: prints how the player reads each file, one tab-separated line per file:
// path, type code, title, artist, album, genre, year, duration, channels, bit rate, sample rate, size,
// loops flag. With --orders the 256 order start times of a module follow (zeros for other types).
// With --set KEY=TEXT (ARTIST, TITLE, ALBUM, GENRE, YEAR, COMMENT; repeatable) the tags of each file are
// written first through the player's own tag writers, the fields not named keeping their texts.
// Windows Media files are read and written through the decoder plug-in mv_asfin.so, looked for where an
// installation puts it (../lib/melvane from this tool), beside this tool and on the library search path
// (LD_LIBRARY_PATH); without it they are not identified.
// Exits with 1 when a file is not identified (its line is still printed) or its tags could not be
// written, 2 on wrong usage.

#include "core/CPlaylistEntry.h"
#include "engine/CDeferredTagWriter.h"
#include "engine/CWmaBinding.h"
#include "platform/io/CProgramFolder.h"
#include "tags/CTagFieldsReader.h"
#include "tags/CTextCodec.h"
#include "tags/CTrackInfo.h"

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

// Applies one "KEY=TEXT"; false for an unknown key.
bool SetField(CTagFields &fields, const std::string &assignment)
{
    const std::size_t eq = assignment.find('=');
    if (eq == std::string::npos)
        return false;
    const std::string key = assignment.substr(0, eq);
    const std::string text = assignment.substr(eq + 1);
    std::string *target = key == "ARTIST" ? &fields.artist
                          : key == "TITLE" ? &fields.title
                          : key == "ALBUM" ? &fields.album
                          : key == "GENRE" ? &fields.genre
                          : key == "YEAR" ? &fields.year
                          : key == "COMMENT" ? &fields.comment : nullptr;
    if (!target)
        return false;
    *target = text;
    return true;
}

// The six texts as the decoder plug-in reads them from a Windows Media file.
CTagFields WmaFields(CWmaBinding &wma, const std::string &path)
{
    CTagFields out;
    WmaInfo info{};
    if (!wma.ReadInfo(path, info))
        return out;
    out.artist = CTextCodec::Utf16ToUtf8(info.artist, std::size(info.artist));
    out.title = CTextCodec::Utf16ToUtf8(info.title, std::size(info.title));
    out.album = CTextCodec::Utf16ToUtf8(info.album, std::size(info.album));
    out.genre = CTextCodec::Utf16ToUtf8(info.genre, std::size(info.genre));
    out.comment = CTextCodec::Utf16ToUtf8(info.comment, std::size(info.comment));
    if (info.year != 0)
        out.year = std::to_string(info.year);
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    bool orders = false;
    std::vector<std::string> files;
    std::vector<std::string> sets;
    bool usage = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--orders") == 0) {
            orders = true;
        } else if (std::strcmp(argv[i], "--set") == 0) {
            CTagFields probe;
            if (i + 1 >= argc || !SetField(probe, argv[i + 1]))
                usage = true;
            else
                sets.emplace_back(argv[++i]);
        } else {
            files.emplace_back(argv[i]);
        }
    }
    if (files.empty() || usage) {
        std::fprintf(stderr, "usage: melvane-info [--orders] [--set KEY=TEXT]... FILE...\n"
                             "KEY is ARTIST, TITLE, ALBUM, GENRE, YEAR or COMMENT\n");
        return 2;
    }
    CWmaBinding wma;
    const std::string folder = CProgramFolder::Path();
    if (!wma.Load(folder + "/../lib/melvane"))
        wma.Load(folder);
    IWmaInfoReader *wmaReader = wma.IsLoaded() ? &wma : nullptr;
    int status = 0;
    for (const std::string &file : files) {
        CTrackInfo info(file);
        info.Read(wmaReader);
        if (!sets.empty()) {
            const std::int32_t type = info.GetType();
            CTagFields fields = type == kTypeWma ? WmaFields(wma, file) : CTagFieldsReader::Read(file, type);
            for (const std::string &assignment : sets)
                SetField(fields, assignment);
            if (!CDeferredTagWriter::Write(file, type, fields, &wma)) {
                std::fprintf(stderr, "melvane-info: %s: tags not written\n", file.c_str());
                status = 1;
            }
            info = CTrackInfo(file);
            info.Read(wmaReader);
        }
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
