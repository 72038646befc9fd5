// Playlist lines from untrusted files: every line must parse without a crash, and an entry written
// back and read again must come back as it was (apart from what the format cannot carry). Every
// input is also read as a whole file, .vpl or M3U, through the bounded line reader.

#include "playlist/CPlaylistFile.h"
#include "playlist/IEntryIdentifier.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

// Knows no file, so only lines with a valid TYPE load.
class NoFiles : public IEntryIdentifier {
public:
    bool Identify(const std::string &, CPlaylistEntry &) override { return false; }
};

void Blank(std::string &text)
{
    for (char &c : text)
        if (c == '\r' || c == '\n' || c == '\x01')
            c = ' ';
}

void CheckRoundTrip(std::string_view line)
{
    const std::string folder = "/music/list/";
    PlaylistLine first;
    if (!CPlaylistFile::ParseLine(line, folder, first))
        return;
    std::string written;
    if (!CPlaylistFile::FormatLine(first.entry, folder, written))
        return; // a path the format cannot carry
    PlaylistLine second;
    if (!CPlaylistFile::ParseLine(written, folder, second))
        std::abort();
    CPlaylistEntry want = first.entry;
    Blank(want.m_strTitle);
    Blank(want.m_strArtist);
    Blank(want.m_strAlbum);
    Blank(want.m_strGenre);
    if (want.m_nMixing < 0)
        want.m_nMixing = 0;
    if (want.m_nPanning < 0)
        want.m_nPanning = 0;
    if (!(second.entry == want))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.size() <= CPlaylistFile::kMaxLineBytes)
            CheckRoundTrip(line);
        start = end + 1;
    }

    char path[] = "/tmp/fuzz_playlist_XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0)
        return 0;
    const bool written = ::write(fd, data, size) == static_cast<ssize_t>(size);
    ::close(fd);
    if (written) {
        NoFiles identifier;
        CPlaylistFile file(identifier);
        std::vector<CPlaylistEntry> entries;
        file.Load(path, CPlaylistFile::kMaxEntries, entries);
        if (entries.size() > static_cast<std::size_t>(CPlaylistFile::kMaxEntries))
            std::abort();
    }
    ::unlink(path);
    return 0;
}
