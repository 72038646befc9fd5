#pragma once
// Reads the six tag texts a file holds now, as the tag writers would replace them: the ID3v1 tag of
// MPEG audio, the Vorbis comments of Ogg Vorbis and FLAC. Used by the information windows and by
// `melvane-info --set`, which changes some fields and keeps the others.
//
// Any thread; every call opens and closes the file itself.

#include "tags/CTagFields.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct FLAC__StreamMetadata;

class CTagFieldsReader {
public:
    // The comments of a FLAC VORBIS_COMMENT block, in order.
    static std::vector<std::string> CommentsOf(const FLAC__StreamMetadata &block);
    // The comments of the file's Ogg Vorbis comment header, or none when its headers cannot be read.
    static std::optional<std::vector<std::string>> OggComments(const std::string &path);
    // The comments of the file's first FLAC VORBIS_COMMENT block; empty when it has none.
    static std::optional<std::vector<std::string>> FlacComments(const std::string &path);
    // The six texts of a file of type `type`; empty texts for other types or unreadable files.
    static CTagFields Read(const std::string &path, std::int32_t type);
};
