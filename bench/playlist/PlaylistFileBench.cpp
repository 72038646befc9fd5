// Loading and saving a 10,000-entry .vpl whose lines carry TYPE and TIME, so that no music file is
// opened: milliseconds per load and per save (median of several runs; goal under 100 ms each), with
// a plain read of the same file as the baseline measured in the same run.

#include "playlist/CPlaylistFile.h"
#include "playlist/CTrackInfoIdentifier.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    char pattern[] = "/tmp/melvane-bench-XXXXXX";
    if (!::mkdtemp(pattern))
        return 1;
    const std::string folder = std::string(pattern) + "/";
    const std::string path = folder + "big.vpl";

    std::vector<CPlaylistEntry> entries(CPlaylistFile::kMaxEntries);
    for (int i = 0; i < CPlaylistFile::kMaxEntries; ++i) {
        CPlaylistEntry &e = entries[static_cast<std::size_t>(i)];
        // Half below the playlist's folder (stored relative), half elsewhere (absolute).
        e.m_strPath = (i % 2 ? folder + "Artist " + std::to_string(i % 97) + "/" : std::string("/srv/music/album/")) +
                      "Track number " + std::to_string(i) + ".mp3";
        e.m_nType = 7;
        e.m_strTitle = "A song title of ordinary length " + std::to_string(i);
        e.m_strArtist = "Some Band";
        e.m_strAlbum = "The Album";
        e.m_strGenre = "Rock";
        e.m_nYear = 1990 + i % 30;
        e.m_nBitrate = 192;
        e.m_nFrequency = 44100;
        e.m_nChannels = 2;
        e.m_nSize = 4000000u + static_cast<std::uint32_t>(i);
        e.m_nDuration = 180 + i % 200;
    }

    std::vector<double> saves, loads, reads;
    std::size_t loaded = 0;
    CTrackInfoIdentifier identifier;
    for (int r = 0; r < runs; ++r) {
        auto t0 = Clock::now();
        if (!CPlaylistFile::Save(path, entries.data(), static_cast<int>(entries.size()))) {
            std::fprintf(stderr, "save failed\n");
            return 1;
        }
        saves.push_back(Ms(Clock::now() - t0));

        t0 = Clock::now();
        std::ifstream in(path, std::ios::binary);
        const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        reads.push_back(Ms(Clock::now() - t0));

        CPlaylistFile file(identifier);
        std::vector<CPlaylistEntry> out;
        t0 = Clock::now();
        file.Load(path, CPlaylistFile::kMaxEntries, out);
        loads.push_back(Ms(Clock::now() - t0));
        loaded = out.size();
    }
    const auto bytes = std::filesystem::file_size(path);
    std::filesystem::remove_all(pattern);

    std::printf("playlist file: %d entries, %llu bytes, %d runs (median)\n", CPlaylistFile::kMaxEntries,
                static_cast<unsigned long long>(bytes), runs);
    std::printf("  save (format, write, fsync, rename): %8.2f ms   goal < 100 ms\n", Median(saves));
    std::printf("  load (%zu entries, no file opened):  %8.2f ms   goal < 100 ms\n", loaded, Median(loads));
    std::printf("  baseline plain read of the file:      %8.2f ms   load/read ratio %.1f\n", Median(reads),
                Median(loads) / std::max(Median(reads), 1e-3));
    return loaded == entries.size() ? 0 : 1;
}
