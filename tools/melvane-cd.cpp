// melvane-cd: the CD drives as the player sees them, and what it reads from a disc or CD image.
//   melvane-cd                         lists the drives (letter and device or image)
//   melvane-cd DRIVE-or-IMAGE          TOC lines, disc id and the texts the lookup chain finds
//   melvane-cd DRIVE-or-IMAGE --track N --raw
//                                      track N as raw PCM (44,100 Hz, 16-bit stereo little-endian)
//                                      on standard output, read through the player's reader thread
//   melvane-cd --query [--server URL] DRIVE-or-IMAGE
//                                      the disc's freedb entry as KEY=value lines (tools/CdQueryCommand.h)
//   melvane-cd --extract FOLDER [--encoder NAME] [--tracks 1,3-5] DRIVE-or-IMAGE
//                                      the tracks as files in FOLDER (tools/CdExtractCommand.h)
#include "cd/CCdDiscs.h"
#include "cd/CCdReader.h"
#include "cd/CCdioDevice.h"
#include "platform/io/CProgramFolder.h"
#include "tools/CdExtractCommand.h"
#include "tools/CdQueryCommand.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

static std::string FolderFromEnv(const char *variable, const char *fallback)
{
    const char *value = std::getenv(variable);
    std::string base;
    if (value && value[0] == '/')
        base = value;
    else if (const char *home = std::getenv("HOME"))
        base = std::string(home) + fallback;
    return base + "/melvane/";
}

static int Usage()
{
    std::fprintf(stderr, "usage: melvane-cd [DRIVE-or-IMAGE [--track N --raw]]\n"
                         "       melvane-cd --query [--server URL] DRIVE-or-IMAGE\n"
                         "       melvane-cd --extract FOLDER [--encoder NAME] [--tracks 1,3-5] DRIVE-or-IMAGE\n");
    return 2;
}

int main(int argc, char **argv)
{
    std::string source;
    int rawTrack = 0;
    bool raw = false;
    bool query = false;
    const char *server = nullptr;
    const char *extract = nullptr, *encoder = nullptr, *tracks = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--track" && i + 1 < argc)
            rawTrack = std::atoi(argv[++i]);
        else if (arg == "--raw")
            raw = true;
        else if (arg == "--query")
            query = true;
        else if (arg == "--server" && i + 1 < argc)
            server = argv[++i];
        else if (arg == "--extract" && i + 1 < argc)
            extract = argv[++i];
        else if (arg == "--encoder" && i + 1 < argc)
            encoder = argv[++i];
        else if (arg == "--tracks" && i + 1 < argc)
            tracks = argv[++i];
        else if (!arg.empty() && arg[0] != '-' && source.empty())
            source = arg;
        else
            return Usage();
    }
    if (raw != (rawTrack != 0) || (raw && source.empty()) || (query && (raw || source.empty())) ||
        (server && !query) || (extract && (raw || query || source.empty())) || ((encoder || tracks) && !extract))
        return Usage();

    std::vector<std::string> devices = CCdDriveList::FindDevices(), images;
    char letter = 0;
    const bool isLetter = source.size() == 1 || (source.size() == 2 && source[1] == ':');
    if (!source.empty() && !isLetter) {
        bool known = false;
        for (const std::string &d : devices)
            known = known || d == source;
        if (!known) {
            if (source.rfind("/dev/", 0) == 0)
                devices.insert(devices.begin(), source);
            else
                images.push_back(source);
        }
    }
    CCdDriveList drives(devices, images);
    if (source.empty()) {
        if (drives.Count() == 0)
            std::printf("No CD drives.\n");
        for (const CCdDriveList::Drive &d : drives.Drives())
            std::printf("%c: %s%s\n", d.letter, d.source.c_str(), d.image ? " (image)" : "");
        return 0;
    }
    letter = isLetter ? static_cast<char>(std::toupper(static_cast<unsigned char>(source[0])))
                      : (drives.IndexOfSource(source) >= 0 ? drives.Drives()[drives.IndexOfSource(source)].letter : 0);
    if (drives.IndexOf(letter) < 0) {
        std::fprintf(stderr, "melvane-cd: no drive %s\n", source.c_str());
        return 1;
    }

    if (query)
        return RunCdQuery(drives, letter, server);
    if (raw) {
        CCdReader reader(drives);
        if (!reader.Start(letter, rawTrack, 0, false)) {
            std::fprintf(stderr, "melvane-cd: track %d of drive %c: cannot be read\n", rawTrack, letter);
            return 1;
        }
        std::vector<char> buffer(65536);
        for (;;) {
            const std::uint32_t n = reader.Read(buffer.data(), static_cast<std::uint32_t>(buffer.size()));
            if (n > 0 && std::fwrite(buffer.data(), 1, n, stdout) != n)
                return 1;
            if (n < buffer.size())
                break;
        }
        return std::fflush(stdout) == 0 ? 0 : 1;
    }

    if (extract) {
        const CCdDiscs discs(drives, {CProgramFolder::Path() + "/", FolderFromEnv("XDG_DATA_HOME", "/.local/share"),
                                      FolderFromEnv("XDG_CONFIG_HOME", "/.config")});
        CDiscRecord record = discs.Record(drives.IndexOf(letter));
        discs.ReadDisc(record);
        record.m_cDrive = letter;
        return RunCdExtract(drives, record, extract, encoder ? encoder : "", tracks ? tracks : "");
    }

    CCdReader reader(drives);
    if (!reader.OpenDrive(letter)) {
        const CCdDriveList::Drive &drive = drives.Drives()[drives.IndexOf(letter)];
        if (drive.image)
            std::fprintf(stderr, "melvane-cd: %s %s\n", drive.source.c_str(),
                         CCdioDevice::DescribeImageFailure(drive.source).c_str());
        else
            std::fprintf(stderr, "melvane-cd: drive %c: no disc\n", letter);
        return 1;
    }
    const CCdToc toc = reader.Toc();
    reader.Close();
    std::printf("Drive %c: %s\n", letter, drives.Drives()[drives.IndexOf(letter)].source.c_str());
    for (int i = 0; i < toc.GetTrackCount(); ++i) {
        const int track = toc.FirstTrack + i;
        const int control = toc.TrackData[i].control & 0x0F;
        std::printf("%02d address %u length %u %s", track, toc.GetEntryAddress(i), toc.GetTrackLength(track),
                    control & 4 ? "data" : "audio");
        if (control != 0)
            std::printf(" control %d (not playable)", control);
        std::printf("\n");
    }
    std::printf("AA address %u\n", toc.GetEntryAddress(toc.GetTrackCount()));
    std::printf("Disc id %08x\n", toc.ComputeDiscId());

    const CCdDiscs discs(drives, {CProgramFolder::Path() + "/", FolderFromEnv("XDG_DATA_HOME", "/.local/share"),
                                  FolderFromEnv("XDG_CONFIG_HOME", "/.config")});
    CDiscRecord record = discs.Record(drives.IndexOf(letter));
    discs.ReadDisc(record);
    std::printf("Artist: %s\nTitle: %s\n", record.m_strArtist.c_str(), record.m_strDiscTitle.c_str());
    if (!record.m_strGenre.empty() || !record.m_strYear.empty())
        std::printf("Genre: %s\nYear: %s\n", record.m_strGenre.c_str(), record.m_strYear.c_str());
    for (int i = 0; i < CDiscRecord::kSlots && record.m_nOrder[i] != 0; ++i) {
        const int t = record.m_nOrder[i];
        std::printf("%02d %s%s\n", t, record.m_bChecked[t] ? "" : "(unselected) ", record.m_strTitle[t].c_str());
    }
    return 0;
}
