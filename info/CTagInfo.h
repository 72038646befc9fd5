#pragma once
// What the information window of Ogg Vorbis, FLAC and Windows Media files shows: captions, the two
// columns of labels and values, and the six tag texts to edit.
//
// User-interface thread; Read opens and closes the file itself (the WMA facts come through the
// decoder plug-in's information call).

#include "tags/CTagFields.h"

#include <cstdint>
#include <optional>
#include <string>

class IWmaInfoReader;

class CTagInfo {
public:
    enum class Format { OggVorbis, Flac, Wma };

    // Reads the file. `pending`, when given, are the texts the playing stream holds for it, not yet
    // written; they are shown instead of the file's. `wma` may be null (WMA files then show nothing).
    static CTagInfo Read(const std::string &path, Format format, IWmaInfoReader *wma,
                         const std::optional<CTagFields> &pending = std::nullopt);

    std::string Caption() const;
    std::string GroupCaption() const;
    // The labels column and the values column, one line each.
    std::string Labels() const;
    std::string Values() const;

    // "Beta4", "1.0", ... for an encoder vendor text dated as a known release; else its last 8 characters.
    static std::string VersionName(std::int32_t version, const std::string &vendor);
    // "<unknown>", "3 min 20 secs", "45 seconds" or, with hundredths, "12.05 seconds".
    static std::string DurationText(double seconds, bool hundredths);

    Format format = Format::OggVorbis;
    bool readOk = false;
    CTagFields fields;
    double length = 0;            // seconds
    std::uint64_t fileSize = 0;
    std::int64_t sampleRate = 0;
    std::int64_t channels = 0;
    std::int64_t bitsPerSample = 0;     // FLAC
    std::int64_t nominalBitrate = 0;    // Ogg, bit/s
    std::int64_t averageBitrate = 0;    // Ogg, bit/s
    std::int64_t bitrate = 0;           // WMA, kbit/s
    bool vbr = false, seekable = false, encrypted = false; // WMA
    std::uint64_t uncompressedSize = 0; // FLAC
    std::int32_t version = 0;           // Ogg
    std::string vendor;                 // Ogg
    std::string codec;                  // WMA
};
