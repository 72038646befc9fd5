// Prints how long the playlist takes to sort 10000 entries by each column: once from a shuffled
// list (ascending) and once more by the same column (descending), through the document as the list
// control calls it. A std::stable_sort of the same entries by the same comparison is timed beside
// it as a baseline; the target is well under 50 ms per sort.

#include "core/CMessageBox.h"
#include "playlist/CPlayerDoc.h"
#include "playlist/CPlaylistSorter.h"
#include "playlist/IEntryIdentifier.h"
#include "playlist/PlaylistColumn.h"

#include "tests/support/FakeMessageBox.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include <time.h>

namespace {

class TableIdentifier : public IEntryIdentifier {
public:
    explicit TableIdentifier(std::vector<CPlaylistEntry> entries) : m_entries(std::move(entries)) {}
    bool Identify(const std::string &path, CPlaylistEntry &entry) override
    {
        entry = m_entries[std::stoul(path.substr(path.rfind('#') + 1))];
        return true;
    }
    std::vector<CPlaylistEntry> m_entries;
};

std::vector<CPlaylistEntry> MakeEntries(int count)
{
    std::mt19937 random(2024);
    const char *artists[] = {"The Beatles", "björk", "Ólafur Arnalds", "AC/DC", "a-ha", "Sigur Rós", "", "Дельфин"};
    const char *genres[] = {"Rock", "Pop", "Electronic", "Jazz", "Ambient", "", "Classical"};
    std::vector<CPlaylistEntry> entries(count);
    for (int i = 0; i < count; ++i) {
        CPlaylistEntry &e = entries[i];
        const std::string artist = artists[random() % std::size(artists)];
        const std::string album = "Album " + std::to_string(random() % 800);
        const std::string title = "Track " + std::to_string(random() % 5000) + " of the Night";
        e.m_strPath = "/home/user/Music/" + artist + "/" + album + "/" + std::to_string(random() % 20) + " " + title +
                      ".flac#" + std::to_string(i);
        e.m_strArtist = artist;
        e.m_strAlbum = album;
        e.m_strTitle = title;
        e.m_strGenre = genres[random() % std::size(genres)];
        e.m_nYear = 1950 + static_cast<int>(random() % 75);
        e.m_nType = 1 + static_cast<int>(random() % 11);
        e.m_nBitrate = 64 + static_cast<int>(random() % 256);
        e.m_nFrequency = (random() % 2) ? 44100 : 48000;
        e.m_nChannels = 1 + static_cast<int>(random() % 2);
        e.m_nSize = static_cast<std::uint32_t>(random() % 50000000);
        e.m_nDuration = static_cast<int>(random() % 600);
    }
    return entries;
}

double Millis(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double CpuMillis()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

struct Timing {
    double wall = 1e300;
    double cpu = 1e300;
    void Keep(double w, double c)
    {
        wall = std::min(wall, w);
        cpu = std::min(cpu, c);
    }
};

} // namespace

// Each figure is the best of several runs (the machine may be shared); CPU time is the process's
// own, so it is not inflated by other work.
int main()
{
    const int count = CPlayerDoc::kMaxPlaylistEntries;
    const int runs = 5;
    const std::vector<CPlaylistEntry> entries = MakeEntries(count);
    const char *names[] = {"", "Filename", "Artist", "Title", "Album", "Genre", "Year", "Type",
                           "Bitrate", "Frequency", "Channels", "Filesize", "Duration", "Filepath"};
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i)
        paths.push_back("#" + std::to_string(i));

    std::printf("sorting %d playlist entries, best of %d runs (ms: wall / cpu)\n", count, runs);
    std::printf("%-10s %17s %17s %17s %7s\n", "column", "ascending", "descending", "stable_sort", "ratio");
    double worst = 0;
    for (int column = kFirstPlaylistColumn; column <= kLastPlaylistColumn; ++column) {
        Timing asc, desc, base;
        for (int run = 0; run < runs; ++run) {
            TableIdentifier identifier(entries);
            FakeMessageBox messages;
            CPlayerDoc doc(identifier, messages);
            doc.AddFiles(paths);

            auto w0 = std::chrono::steady_clock::now();
            double c0 = CpuMillis();
            doc.Sort(column);
            auto w1 = std::chrono::steady_clock::now();
            double c1 = CpuMillis();
            doc.Sort(column);
            auto w2 = std::chrono::steady_clock::now();
            double c2 = CpuMillis();
            asc.Keep(Millis(w1 - w0), c1 - c0);
            desc.Keep(Millis(w2 - w1), c2 - c1);

            std::vector<int> order(count);
            std::iota(order.begin(), order.end(), 0);
            auto w3 = std::chrono::steady_clock::now();
            double c3 = CpuMillis();
            std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
                return CPlaylistSorter::Compare(entries[a], entries[b], column) < 0;
            });
            auto w4 = std::chrono::steady_clock::now();
            base.Keep(Millis(w4 - w3), CpuMillis() - c3);
        }
        worst = std::max({worst, asc.wall, desc.wall});
        std::printf("%-10s %8.2f / %6.2f %8.2f / %6.2f %8.2f / %6.2f %7.2f\n", names[column], asc.wall, asc.cpu,
                    desc.wall, desc.cpu, base.wall, base.cpu, std::max(asc.cpu, desc.cpu) / base.cpu);
    }
    std::printf("slowest sort: %.2f ms wall (target: well under 50 ms)\n", worst);
    return 0;
}
