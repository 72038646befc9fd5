#include "cd/CExtractNames.h"

#include "cd/CDiscRecord.h"

#include <cstdio>

std::string CExtractNames::Clean(const std::string &text)
{
    std::string name = text;
    bool leading = true; // still inside the run of dots a name may start with
    for (char &c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (leading && c == '.') {
            c = '_';
            continue;
        }
        leading = false;
        if (u < 32 || u == 127 || c == '|' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>')
            c = '_';
        else if (c == '\\' || c == '/')
            c = '-';
    }
    return name;
}

std::string CExtractNames::DiscId(std::uint32_t id)
{
    char text[16];
    std::snprintf(text, sizeof text, "%X", id);
    return text;
}

static bool IsContinuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::string CExtractNames::Cut(const std::string &path, std::size_t prefixLength, std::size_t limit)
{
    if (path.size() <= limit)
        return path;
    std::size_t keep = limit;
    if (keep < prefixLength + kMinNameBytes)
        keep = prefixLength + kMinNameBytes;
    if (keep >= path.size())
        return path;
    while (keep > prefixLength && IsContinuation(path[keep]))
        --keep;
    if (keep <= prefixLength) {
        // Everything up to the limit is one character: keep it whole rather than none of the name.
        keep = prefixLength + 1;
        while (keep < path.size() && IsContinuation(path[keep]))
            ++keep;
    }
    return path.substr(0, keep);
}

void CExtractNames::RemoveTrailingDots(std::string &name, std::size_t prefixLength)
{
    while (name.size() > prefixLength && name.back() == '.')
        name.pop_back();
}

std::string CExtractNames::DiscFolder(const std::string &base, const CDiscRecord &record)
{
    std::string artist = record.m_strArtist, title = record.m_strDiscTitle;
    CDiscRecord::Unescape(artist);
    CDiscRecord::Unescape(title);
    artist = Clean(artist);
    title = Clean(title);
    std::string name;
    if (!title.empty())
        name = (artist.empty() ? "" : artist + " - ") + title;
    else
        name = "Untitled Disc (" + DiscId(record.m_nDiscId) + ")";
    std::string path = base + name;
    if (path.size() >= kFolderCut)
        path = Cut(path, base.size(), kFolderCut);
    RemoveTrailingDots(path, base.size());
    if (path.size() == base.size())
        path += '_';
    return path;
}

std::string CExtractNames::TrackPath(const std::string &folder, int track, const std::string &title)
{
    char number[16];
    std::snprintf(number, sizeof number, "%02d - ", track);
    std::string name = Clean(title);
    if (name.empty())
        name = "Untitled Track";
    std::string path = folder + number + name;
    RemoveTrailingDots(path, folder.size());
    if (path.size() > kFileCut - 1)
        path = Cut(path, folder.size(), kFileCut);
    RemoveTrailingDots(path, folder.size());
    return path;
}
