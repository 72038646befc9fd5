#pragma once
// Writes the six tag texts into a file in the file's own format: an ID3v1 tag for MPEG audio, Vorbis
// comments for Ogg Vorbis and FLAC. Audio is never re-encoded, and no write is reported to the user.
//
// A write that is cut short (the process killed, the disk full) leaves the old file or the new one:
// the Ogg Vorbis rewrite goes to a temporary file that replaces the file only when complete; libFLAC
// rewrites a FLAC file in place only where padding makes room, otherwise through a temporary copy; the
// ID3v1 tag is one write of 128 bytes at the end.
//
// User-interface thread; a file that is being decoded must not be written (see CPendingTagWrite).

#include "tags/CTagFields.h"

#include <array>
#include <cstdint>
#include <string>

class CTagWriter {
public:
    using Id3v1Tag = std::array<std::uint8_t, 128>;

    // The 128 bytes of the ID3v1 tag for `fields`: "TAG", title, artist, album (30 bytes each, as
    // ISO-8859-1, zero-filled), the year's first 4 characters or 4 zero bytes when its value is 0, the
    // comment (30), and the genre's table index or 255.
    static Id3v1Tag Id3v1Bytes(const CTagFields &fields);

    // Rewrites the file's ID3v1 tag, or appends one. `hadTag` is the reader's word; the file's last 128
    // bytes decide, so a tag is never appended twice nor audio overwritten when the file changed since
    // it was read. False when the file could not be opened for writing or is being written by another
    // program that holds a lock on it; then nothing is written.
    static bool WriteId3v1(const std::string &path, const CTagFields &fields, bool hadTag);

    // Replaces the comment header of an Ogg Vorbis file: the six known fields (keys compared without
    // regard to case) give way to the new texts, other comments follow in their order, the vendor string
    // stays. `lastError`, when given, receives the header editor's last error text.
    static bool WriteVorbisComments(const std::string &path, const CTagFields &fields,
                                    std::string *lastError = nullptr);

    // Replaces the VORBIS_COMMENT block of a FLAC file, or adds one before its padding: comments that
    // begin with one of the six keys exactly are replaced, others kept after them.
    static bool WriteFlacComments(const std::string &path, const CTagFields &fields);

    // The writer for a file of type `type` (playlist type code); false for types without tags (modules,
    // WAV, CD tracks) and for WMA, which the decoder plug-in writes.
    static bool Write(const std::string &path, std::int32_t type, const CTagFields &fields, bool hadId3v1);
};
