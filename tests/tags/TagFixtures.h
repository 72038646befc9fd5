#pragma once
// Test files for the tag reader, made at test time in a temporary folder: encoded audio through the
// command-line tools, and small modules, tags and headers from byte writers.

#include "tests/support/ByteWriters.h"
#include "tests/support/TempDir.h"

#include <cstdint>
#include <string>

class TagFixtures {
public:
    // Runs `command` inside the fixture folder; "OUT" in it stands for the output file's path.
    // Returns the path, or an empty string when the command failed.
    std::string Make(const std::string &name, const std::string &command);
    // Writes `bytes` as the file `name`; returns its path.
    std::string Write(const std::string &name, const std::string &bytes);
    // Runs `command` inside the fixture folder and returns what it printed (standard output only).
    std::string Output(const std::string &command);
    std::string Path(const std::string &name) const { return m_dir.file(name); }
    std::string Folder() const { return m_dir.path().string(); }

    // A noisy tone (so that encoders produce realistic bit rates): sox output arguments and seconds.
    std::string Tone(const std::string &name, const std::string &format, double seconds);

    // Module headers with `title` in place and `magic` where the format keeps it.
    static std::string ModBytes(const std::string &title, const std::string &magic, int channels);
    static std::string S3mBytes(const std::string &title);
    static std::string XmBytes(const std::string &title);
    static std::string ItBytes(const std::string &title);
    // A 128-byte ID3v1 tag from raw (ISO-8859-1) fields, each padded with zeros to its size.
    static std::string Id3v1(const std::string &title, const std::string &artist, const std::string &album,
                             const std::string &year, const std::string &comment, std::uint8_t genre);
    // An ID3v2.3 header announcing `bodySize` bytes, followed by that many bytes of `fill`.
    static std::string Id3v2(std::uint32_t bodySize, char fill);

private:
    TempDir m_dir;
};
