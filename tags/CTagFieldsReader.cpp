#include "tags/CTagFieldsReader.h"

#include "tags/COggHeaderEditor.h"
#include "tags/CTrackInfo.h"
#include "tags/CVorbisCommentList.h"
#include "core/CPlaylistEntry.h"

#include <FLAC/metadata.h>

#include <cstdio>
#include <memory>

std::optional<std::vector<std::string>> CTagFieldsReader::OggComments(const std::string &path)
{
    std::unique_ptr<FILE, int (*)(FILE *)> in(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!in)
        return std::nullopt;
    COggHeaderEditor editor;
    if (!editor.Open([&](char *buffer, std::size_t size) { return std::fread(buffer, 1, size, in.get()); }))
        return std::nullopt;
    return editor.Comments();
}

std::optional<std::vector<std::string>> CTagFieldsReader::FlacComments(const std::string &path)
{
    FLAC__StreamMetadata *tags = nullptr;
    if (!FLAC__metadata_get_tags(path.c_str(), &tags)) {
        // No comment block is no failure, as long as the file is FLAC.
        FLAC__StreamMetadata info;
        if (!FLAC__metadata_get_streaminfo(path.c_str(), &info))
            return std::nullopt;
        return std::vector<std::string>{};
    }
    std::unique_ptr<FLAC__StreamMetadata, void (*)(FLAC__StreamMetadata *)> owner(tags, FLAC__metadata_object_delete);
    return CommentsOf(*tags);
}

std::vector<std::string> CTagFieldsReader::CommentsOf(const FLAC__StreamMetadata &block)
{
    std::vector<std::string> out;
    const FLAC__StreamMetadata_VorbisComment &vc = block.data.vorbis_comment;
    for (FLAC__uint32 i = 0; vc.comments && i < vc.num_comments; ++i)
        if (vc.comments[i].entry)
            out.emplace_back(reinterpret_cast<const char *>(vc.comments[i].entry), vc.comments[i].length);
    return out;
}

CTagFields CTagFieldsReader::Read(const std::string &path, std::int32_t type)
{
    if (type == kTypeOgg || type == kTypeFlac) {
        const auto comments = type == kTypeOgg ? OggComments(path) : FlacComments(path);
        // The Ogg Vorbis writer replaces keys of any case, the FLAC writer only upper-case ones.
        const auto keys = type == kTypeOgg ? CVorbisCommentList::KeyCase::Insensitive
                                           : CVorbisCommentList::KeyCase::Sensitive;
        return comments ? CVorbisCommentList::ToFields(*comments, keys) : CTagFields{};
    }
    CTagFields out;
    if (type != kTypeMpeg)
        return out;
    CTrackInfo info(path);
    info.DetectType(kTypeMpeg);
    info.ReadTitle({});
    if (!info.HasId3v1())
        return out;
    out = {info.GetArtist(), info.GetTitle(), info.GetAlbum(), info.GetGenre(),
           info.GetYear() != 0 ? std::to_string(info.GetYear()) : std::string(), info.GetComment()};
    return out;
}
