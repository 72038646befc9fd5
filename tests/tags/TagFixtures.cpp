#include "tests/tags/TagFixtures.h"

#include <fstream>
#include <sstream>

namespace {

std::string Padded(const std::string &text, std::size_t size)
{
    std::string out = text.substr(0, size);
    out.resize(size, '\0');
    return out;
}

} // namespace

std::string TagFixtures::Make(const std::string &name, const std::string &command)
{
    const std::string out = m_dir.file(name);
    std::string expanded = command;
    for (std::size_t at = expanded.find("OUT"); at != std::string::npos; at = expanded.find("OUT", at + out.size()))
        expanded.replace(at, 3, "'" + out + "'");
    if (RunCommand("cd '" + Folder() + "' && " + expanded + " >/dev/null 2>&1") != 0)
        return {};
    return out;
}

std::string TagFixtures::Output(const std::string &command)
{
    const std::string out = m_dir.file(".output");
    if (RunCommand("cd '" + Folder() + "' && (" + command + ") > '" + out + "' 2>/dev/null") != 0)
        return "<failed: " + command + ">";
    return ReadWholeFile(out);
}

std::string TagFixtures::Write(const std::string &name, const std::string &bytes)
{
    const std::string path = m_dir.file(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string TagFixtures::Tone(const std::string &name, const std::string &format, double seconds)
{
    std::ostringstream command;
    command << "sox -R -n " << format << " OUT synth " << seconds << " pinknoise synth sine mix 440 gain -6";
    return Make(name, command.str());
}

std::string TagFixtures::ModBytes(const std::string &title, const std::string &magic, int channels)
{
    std::string b = Padded(title, 20);
    for (int s = 0; s < 31; ++s)
        b += Padded("sample", 22) + std::string("\0\0\0\x40\0\0\0\x01", 8);
    b += '\x01';                     // song length
    b += '\x7F';                     // restart byte
    b += std::string(128, '\0');     // order list: pattern 0
    b += magic;
    b += std::string(static_cast<std::size_t>(64 * 4 * channels), '\0');
    return b;
}

std::string TagFixtures::S3mBytes(const std::string &title)
{
    std::string b = Padded(title, 28);
    b += '\x1A';
    b += '\x10';                   // type: S3M module
    b += std::string(2, '\0');
    b += Le16(2) + Le16(0) + Le16(1); // orders, instruments, patterns
    b += Le16(0) + Le16(0x1320) + Le16(2);
    b += "SCRM";
    b += '\x40';                   // global volume
    b += '\x06';                   // speed
    b += '\x7D';                   // tempo
    b += '\xB0';
    b += std::string(64 - b.size(), '\0');
    b += std::string("\x00\x08\xFF\xFF", 4) + std::string(28, '\xFF'); // channel settings
    b += std::string("\x00\xFF", 2);                                    // orders
    b += Le16(0);                                                       // pattern pointer
    return b;
}

std::string TagFixtures::XmBytes(const std::string &title)
{
    std::string b = "Extended Module: " + Padded(title, 20);
    b += '\x1A';
    b += Padded("FastTracker v2.00", 20);
    b += Le16(0x0104);
    b += Le32(276);                         // header size from byte 60
    b += Le16(1) + Le16(0) + Le16(4) + Le16(1) + Le16(0) + Le16(1) + Le16(6) + Le16(125);
    b += std::string(256, '\0');            // order table
    b += Le32(9) + '\0' + Le16(64) + Le16(0); // one empty pattern of 64 rows
    return b;
}

std::string TagFixtures::ItBytes(const std::string &title)
{
    std::string b = "IMPM" + Padded(title, 26);
    b += Le16(0x1004);
    b += Le16(2) + Le16(0) + Le16(0) + Le16(0); // orders, instruments, samples, patterns
    b += Le16(0x0214) + Le16(0x0200) + Le16(9) + Le16(0);
    b += '\x80';
    b += '\x30';
    b += '\x06';
    b += '\x7D';
    b += std::string(64 - b.size(), '\0');
    b += std::string(64, '\x20');  // channel pan
    b += std::string(64, '\x40');  // channel volume
    b += std::string("\x00\xFF", 2);
    return b;
}

std::string TagFixtures::Id3v1(const std::string &title, const std::string &artist, const std::string &album,
                               const std::string &year, const std::string &comment, std::uint8_t genre)
{
    return "TAG" + Padded(title, 30) + Padded(artist, 30) + Padded(album, 30) + Padded(year, 4) +
           Padded(comment, 30) + static_cast<char>(genre);
}

std::string TagFixtures::Id3v2(std::uint32_t bodySize, char fill)
{
    return Id3v2Tag(bodySize, 3, 0, fill);
}
