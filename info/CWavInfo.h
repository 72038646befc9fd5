#pragma once
// The facts of a RIFF WAVE file as its information window shows them, from its format and data chunks:
// sample format, compression type (the 93 registered wave format names, or the bit rate of an MPEG
// Layer 3 frame inside), length (of the sample data the file holds) and size.
//
// Any thread; Read opens and closes the file itself.

#include <cstdint>
#include <string>
#include <string_view>

class CWavInfo {
public:
    static CWavInfo Read(const std::string &path);

    // The registered name of wave format `tag`, "Unknown Wave Format" for a tag not in the table.
    static std::string_view FormatName(std::uint32_t tag);
    // The bit rate in kbit/s of MPEG audio frame header `header` (big-endian value), 0 when invalid.
    static std::uint32_t MpegBitrate(std::uint32_t header);

    // "Length:\t3.50 sec\nFilesize:\t...\nFormat:\t...\nType:\t..." as the window shows it.
    std::string Text() const;

    bool opened = false;
    std::uint64_t fileSize = 0;
    std::uint32_t formatTag = 0;
    std::uint32_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t bytesPerSecond = 0;
    std::uint32_t bitsPerSample = 0;
    std::uint32_t dataSize = 0;
    std::uint32_t mpegHeader = 0; // the first MPEG frame header of format 0x0055, 0 when none
};
