#include "tests/support/CdImage.h"

#include "tests/support/TempDir.h"

#include <fstream>

bool WriteTextFile(const std::string &path, const std::string &text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
}

static std::string Msf(std::uint32_t frames)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", frames / 4500, frames / 75 % 60, frames % 75);
    return text;
}

bool CdImage::Create(const std::string &folder, const CdImageDisc &disc)
{
    binPath = folder + "/disc.bin";
    cuePath = folder + "/disc.cue";
    tocPath = folder + "/disc.toc";
    bin.clear();
    trackBytes.clear();
    startFrames.clear();
    std::uint32_t frame = 150;
    for (std::size_t i = 0; i < disc.tracks.size(); ++i) {
        const std::string raw = folder + "/track" + std::to_string(i + 1) + ".raw";
        const std::uint32_t samples = disc.tracks[i].sectors * 588;
        // The rate and channels go before -n: they are the null input's, so nothing is resampled.
        const std::string command = "sox -D -r 44100 -c 2 -n -b 16 -e signed -L -t raw '" + raw + "' synth " +
                                    std::to_string(samples) + "s sine " + std::to_string(300 + 110 * i) +
                                    " sine " + std::to_string(500 + 70 * i) + " vol 0.5 2>/dev/null";
        if (RunCommand(command) != 0)
            return false;
        std::string bytes = ReadWholeFile(raw);
        if (bytes.size() != samples * 4u)
            return false;
        trackBytes.push_back(bytes);
        bin += bytes;
        startFrames.push_back(frame);
        frame += disc.tracks[i].sectors;
    }
    startFrames.push_back(frame);
    if (!WriteTextFile(binPath, bin))
        return false;

    std::string cue;
    if (!disc.performer.empty())
        cue += "PERFORMER \"" + disc.performer + "\"\n";
    if (!disc.title.empty())
        cue += "TITLE \"" + disc.title + "\"\n";
    cue += "FILE \"disc.bin\" BINARY\n";
    std::string toc = "CD_DA\n";
    if (!disc.title.empty() || !disc.performer.empty()) {
        toc += "CD_TEXT {\n  LANGUAGE_MAP { 0 : EN }\n  LANGUAGE 0 {\n";
        if (!disc.title.empty())
            toc += "    TITLE \"" + disc.title + "\"\n";
        if (!disc.performer.empty())
            toc += "    PERFORMER \"" + disc.performer + "\"\n";
        toc += "  }\n}\n";
    }
    for (std::size_t i = 0; i < disc.tracks.size(); ++i) {
        const CdImageTrack &t = disc.tracks[i];
        char number[24];
        std::snprintf(number, sizeof number, "%02zu", i + 1);
        cue += std::string("  TRACK ") + number + " AUDIO\n";
        if (t.copyPermitted)
            cue += "    FLAGS DCP\n";
        if (!t.title.empty())
            cue += "    TITLE \"" + t.title + "\"\n";
        if (!t.performer.empty())
            cue += "    PERFORMER \"" + t.performer + "\"\n";
        cue += "    INDEX 01 " + Msf(startFrames[i] - 150) + "\n";

        toc += "\nTRACK AUDIO\n";
        if (t.copyPermitted)
            toc += "COPY\n";
        if (!t.title.empty() || !t.performer.empty()) {
            toc += "CD_TEXT {\n  LANGUAGE 0 {\n";
            if (!t.title.empty())
                toc += "    TITLE \"" + t.title + "\"\n";
            if (!t.performer.empty())
                toc += "    PERFORMER \"" + t.performer + "\"\n";
            toc += "  }\n}\n";
        }
        toc += "FILE \"disc.bin\" " + Msf(startFrames[i] - 150) + " " + Msf(t.sectors) + "\n";
    }
    return WriteTextFile(cuePath, cue) && WriteTextFile(tocPath, toc);
}
