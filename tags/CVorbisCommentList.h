#pragma once
// The rules that turn the six tag texts into a Vorbis comment list and back, shared by the Ogg Vorbis
// and FLAC writers and by the information window.

#include "tags/CTagFields.h"

#include <string>
#include <string_view>
#include <vector>

class CVorbisCommentList {
public:
    enum class KeyCase { Sensitive, Insensitive };

    // The comments written for `fields`: "ARTIST=", "TITLE=", "ALBUM=", "GENRE=", "DATE=", "COMMENT="
    // in that order, one for each non-empty text; the comment's "\r\n" become "\n".
    static std::vector<std::string> FromFields(const CTagFields &fields);

    // The new list: FromFields(fields), then every comment of `existing` that does not begin with one
    // of the six keys (compared as `keys` says), in its previous order.
    static std::vector<std::string> Merge(const std::vector<std::string> &existing, const CTagFields &fields,
                                          KeyCase keys);

    // True when `comment` begins with one of the six keys.
    static bool IsFieldComment(std::string_view comment, KeyCase keys);

    // The six texts found in `comments`, keys compared as `keys` says (the last of each key wins); the
    // comment's line breaks become "\r\n" for an edit box. Give the same `keys` as the writer's Merge,
    // so that every comment a write replaces is one whose text was shown.
    static CTagFields ToFields(const std::vector<std::string> &comments, KeyCase keys);
};
