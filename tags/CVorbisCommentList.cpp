#include "tags/CVorbisCommentList.h"

#include "tags/CTextCodec.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

constexpr std::array<std::string_view, 6> kKeys = {"ARTIST=", "TITLE=", "ALBUM=", "GENRE=", "DATE=", "COMMENT="};

std::string Replace(std::string text, std::string_view from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

bool StartsWith(std::string_view text, std::string_view key, CVorbisCommentList::KeyCase keys)
{
    if (text.size() < key.size())
        return false;
    if (keys == CVorbisCommentList::KeyCase::Sensitive)
        return text.substr(0, key.size()) == key;
    return std::equal(key.begin(), key.end(), text.begin(), [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
    });
}

} // namespace

std::vector<std::string> CVorbisCommentList::FromFields(const CTagFields &fields)
{
    const std::array<std::string, 6> texts = {fields.artist, fields.title, fields.album,
                                              fields.genre,  fields.year,  Replace(fields.comment, "\r\n", "\n")};
    std::vector<std::string> out;
    for (std::size_t i = 0; i < kKeys.size(); ++i)
        if (!texts[i].empty())
            out.push_back(std::string(kKeys[i]) + texts[i]);
    return out;
}

bool CVorbisCommentList::IsFieldComment(std::string_view comment, KeyCase keys)
{
    return std::any_of(kKeys.begin(), kKeys.end(), [&](std::string_view key) { return StartsWith(comment, key, keys); });
}

std::vector<std::string> CVorbisCommentList::Merge(const std::vector<std::string> &existing, const CTagFields &fields,
                                                   KeyCase keys)
{
    std::vector<std::string> out = FromFields(fields);
    for (const std::string &comment : existing)
        if (!IsFieldComment(comment, keys))
            out.push_back(comment);
    return out;
}

CTagFields CVorbisCommentList::ToFields(const std::vector<std::string> &comments, KeyCase keys)
{
    CTagFields out;
    std::string *targets[] = {&out.artist, &out.title, &out.album, &out.genre, &out.year, &out.comment};
    for (const std::string &comment : comments)
        for (std::size_t i = 0; i < kKeys.size(); ++i)
            if (StartsWith(comment, kKeys[i], keys)) {
                *targets[i] = CTextCodec::Utf8OrLatin1(std::string_view(comment).substr(kKeys[i].size()));
                break;
            }
    out.comment = Replace(Replace(out.comment, "\r\n", "\n"), "\n", "\r\n");
    return out;
}
