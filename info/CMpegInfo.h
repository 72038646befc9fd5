#pragma once
// What the "MPEG File Information" window shows: the information text and the ID3v1 fields with their
// limits, from the track reader.

#include "tags/CTagFields.h"

#include <string>

class CTrackInfo;

class CMpegInfo {
public:
    static constexpr int kTextLimit = 30; // title, artist, album, comment
    static constexpr int kYearLimit = 4;

    // "Length:\t1 min 1 sec\nFilesize:\t... bytes\nFrames:\t...\nType:\tMPEG 1 Layer 3\nSamp:\t... Hz\n
    // Bitrate:\t... kbps [VBR]\nMode:\tJoint Stereo".
    static std::string Text(const CTrackInfo &info);
    // The tag's texts (empty without a tag; the year only when its value is not 0) and the genre to
    // select: the tag's genre when the list holds it, else the list's first entry.
    static CTagFields Fields(const CTrackInfo &info);
};
