// How fast the playlist can identify and read files: 10,000 files of mixed types (MP3 with ID3v1, Ogg
// Vorbis, FLAC, WAV, MOD, XM), read once with CTrackInfo::Read and once with TagLib (FileRef with audio
// properties, average read style), in the same run on the same files. Prints files per second for each,
// per type and overall, and the ratio. Usage: bench_tags_read [file count]

#include "core/CPlaylistEntry.h"
#include "tests/support/ModuleWriter.h"
#include "tests/support/TempDir.h"
#include "tags/CTrackInfo.h"

#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Source {
    std::string kind;       // shown in the table
    std::string extension;  // TagLib chooses its reader by it
    std::string path;
};

ModuleSong BenchSong(int patterns)
{
    ModuleSong song;
    song.title = "bench song";
    for (int p = 0; p < patterns; ++p) {
        ModulePattern pattern(64, 4);
        for (int row = 0; row < 64; row += 4)
            pattern.at(row, row / 4 % 4) = {static_cast<std::uint8_t>(37 + row / 4), 1, 0, 0};
        song.patterns.push_back(pattern);
        song.orders.push_back(p);
    }
    song.orders.push_back(0);
    return song;
}

bool MakeSources(const TempDir &dir, std::vector<Source> &sources)
{
    auto run = [&](const std::string &command) {
        return RunCommand("cd '" + dir.path().string() + "' && " + command + " >/dev/null 2>&1") == 0;
    };
    if (!run("sox -R -n -r 44100 -c 2 -b 16 tone.wav synth 3 pinknoise vol 0.5"))
        return false;
    const bool ok = run("lame --quiet -b 128 --id3v1-only --tt 'Bench title' --ta Artist --tl Album --ty 2001 "
                        "--tg Rock tone.wav src.mp3") &&
                    run("oggenc -Q -q 2 -t 'Bench title' -a Artist -l Album -d 2001 tone.wav -o src.ogg") &&
                    run("flac -s tone.wav -o src.flac && metaflac --set-tag=TITLE=Bench --set-tag=ARTIST=Artist "
                        "--set-tag=DATE=2001 src.flac") &&
                    run("cp tone.wav src.wav");
    if (!ok)
        return false;
    if (!ModuleWriter::Save(dir.file("src.mod"), ModuleWriter::Mod(BenchSong(8))) ||
        !ModuleWriter::Save(dir.file("src.xm"), ModuleWriter::Xm(BenchSong(8))))
        return false;
    for (const char *ext : {"mp3", "ogg", "flac", "wav", "mod", "xm"}) {
        const std::string e = ext;
        sources.push_back({e == "mp3" ? "MP3+ID3v1" : e == "ogg" ? "Ogg" : e == "flac" ? "FLAC" : e == "wav" ? "WAV"
                                                                                   : e == "mod" ? "MOD" : "XM",
                           e, dir.file("src." + e)});
    }
    return true;
}

struct Result {
    double seconds = 0;
    std::size_t recognised = 0;
    std::uint64_t checksum = 0;  // keeps the reads from being optimised away
};

Result ReadWithTrackInfo(const std::vector<std::string> &paths)
{
    Result r;
    const auto start = Clock::now();
    for (const std::string &path : paths) {
        CTrackInfo info(path);
        if (info.Read(nullptr) != kTypeUnknown)
            ++r.recognised;
        r.checksum += info.GetLength() + info.GetTitle().size();
    }
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return r;
}

Result ReadWithTagLib(const std::vector<std::string> &paths)
{
    Result r;
    const auto start = Clock::now();
    for (const std::string &path : paths) {
        TagLib::FileRef file(path.c_str(), true, TagLib::AudioProperties::Average);
        if (file.isNull())
            continue;
        ++r.recognised;
        if (const TagLib::Tag *tag = file.tag())
            r.checksum += tag->title().size() + tag->artist().size();
        if (const TagLib::AudioProperties *properties = file.audioProperties())
            r.checksum += static_cast<std::uint64_t>(properties->lengthInSeconds());
    }
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return r;
}

void PrintRow(const std::string &kind, std::size_t files, const Result &ours, const Result &taglib)
{
    const double oursRate = files / ours.seconds;
    const double taglibRate = files / taglib.seconds;
    std::printf("%-10s %7zu %14.0f %14.0f %8.2fx   (recognised %zu / %zu)\n", kind.c_str(), files, oursRate,
                taglibRate, oursRate / taglibRate, ours.recognised, taglib.recognised);
}

} // namespace

int main(int argc, char **argv)
{
    const std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10000;
    TempDir dir;
    std::vector<Source> sources;
    if (!MakeSources(dir, sources)) {
        std::fprintf(stderr, "could not make the source files (sox, lame, oggenc, flac, metaflac needed)\n");
        return 1;
    }
    // Copies under distinct names, the types interleaved as in a real music folder.
    std::map<std::string, std::vector<std::string>> byKind;
    std::vector<std::string> all;
    std::filesystem::create_directory(dir.path() / "files");
    for (std::size_t i = 0; i < count; ++i) {
        const Source &source = sources[i % sources.size()];
        const std::string path = dir.file("files/track" + std::to_string(i) + "." + source.extension);
        std::filesystem::copy_file(source.path, path);
        byKind[source.kind].push_back(path);
        all.push_back(path);
    }

    // Each reader runs twice; the better pass counts, so neither pays for a cold cache alone.
    Result ours = ReadWithTrackInfo(all);
    Result taglib = ReadWithTagLib(all);
    const Result ours2 = ReadWithTrackInfo(all);
    const Result taglib2 = ReadWithTagLib(all);
    if (ours2.seconds < ours.seconds)
        ours = ours2;
    if (taglib2.seconds < taglib.seconds)
        taglib = taglib2;

    std::printf("Identify and read %zu files: CTrackInfo::Read against TagLib::FileRef (audio properties, "
                "average)\n\n",
                all.size());
    std::printf("%-10s %7s %14s %14s %9s\n", "type", "files", "ours files/s", "TagLib files/s", "ratio");
    for (const auto &[kind, paths] : byKind)
        PrintRow(kind, paths.size(), ReadWithTrackInfo(paths), ReadWithTagLib(paths));
    PrintRow("all", all.size(), ours, taglib);
    std::printf("\nchecksums %llu %llu\n", static_cast<unsigned long long>(ours.checksum),
                static_cast<unsigned long long>(taglib.checksum));
    return 0;
}
