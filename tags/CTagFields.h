#pragma once
// The six tag texts that the information windows edit and the tag writers store, in UTF-8. The year
// is a text of digits; the comment may hold line breaks.

#include <string>

struct CTagFields {
    std::string artist;
    std::string title;
    std::string album;
    std::string genre;
    std::string year;
    std::string comment;

    bool operator==(const CTagFields &) const = default;
};
