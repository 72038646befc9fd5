#include "tags/CTagWriter.h"

#include "platform/io/CFileDescriptor.h"
#include "tags/CGenreTable.h"
#include "tags/COggHeaderEditor.h"
#include "tags/CTagFieldsReader.h"
#include "tags/CTextCodec.h"
#include "tags/CVorbisCommentList.h"
#include "platform/io/CAtomicFile.h"
#include "core/CPlaylistEntry.h"

#include <FLAC/metadata.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void PutText(CTagWriter::Id3v1Tag &tag, std::size_t offset, std::size_t size, const std::string &utf8)
{
    const std::string bytes = CTextCodec::Utf8ToLatin1(utf8);
    std::memcpy(tag.data() + offset, bytes.data(), std::min(size, bytes.size()));
}

using FlacIterator = std::unique_ptr<FLAC__Metadata_SimpleIterator, void (*)(FLAC__Metadata_SimpleIterator *)>;
using FlacBlock = std::unique_ptr<FLAC__StreamMetadata, void (*)(FLAC__StreamMetadata *)>;

bool SetComments(FLAC__StreamMetadata &block, const std::vector<std::string> &comments)
{
    if (!FLAC__metadata_object_vorbiscomment_resize_comments(&block, 0))
        return false;
    for (const std::string &comment : comments) {
        FLAC__StreamMetadata_VorbisComment_Entry entry;
        entry.length = static_cast<FLAC__uint32>(comment.size());
        entry.entry = reinterpret_cast<FLAC__byte *>(const_cast<char *>(comment.data()));
        if (!FLAC__metadata_object_vorbiscomment_insert_comment(&block, block.data.vorbis_comment.num_comments,
                                                                  entry, true))
            return false;
    }
    return true;
}

} // namespace

CTagWriter::Id3v1Tag CTagWriter::Id3v1Bytes(const CTagFields &fields)
{
    Id3v1Tag tag{};
    std::memcpy(tag.data(), "TAG", 3);
    PutText(tag, 3, 30, fields.title);
    PutText(tag, 33, 30, fields.artist);
    PutText(tag, 63, 30, fields.album);
    if (CTextCodec::LeadingNumber(fields.year) != 0)
        PutText(tag, 93, 4, fields.year);
    PutText(tag, 97, 30, fields.comment);
    const std::int32_t genre = CGenreTable::Find(fields.genre);
    tag[127] = genre < 0 ? 255 : static_cast<std::uint8_t>(genre);
    return tag;
}

bool CTagWriter::WriteId3v1(const std::string &path, const CTagFields &fields, bool hadTag)
{
    (void)hadTag; // the file itself is read below: the flag may be stale
    CFileDescriptor fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    if (fd.get() < 0 || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return false;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    off_t at = st.st_size;
    char mark[3] = {};
    if (st.st_size >= 128 && ::pread(fd.get(), mark, 3, st.st_size - 128) == 3 && std::memcmp(mark, "TAG", 3) == 0)
        at = st.st_size - 128;
    const Id3v1Tag tag = Id3v1Bytes(fields);
    ssize_t wrote;
    do
        wrote = ::pwrite(fd.get(), tag.data(), tag.size(), at);
    while (wrote < 0 && errno == EINTR);
    if (wrote != static_cast<ssize_t>(tag.size())) {
        // A partly appended tag is cut off again, so the file keeps its old length.
        if (at == st.st_size)
            (void)::ftruncate(fd.get(), st.st_size);
        return false;
    }
    return true;
}

bool CTagWriter::WriteVorbisComments(const std::string &path, const CTagFields &fields, std::string *lastError)
{
    std::unique_ptr<FILE, int (*)(FILE *)> in(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!in)
        return false;
    COggHeaderEditor editor;
    const bool read = editor.Open([&](char *buffer, std::size_t size) { return std::fread(buffer, 1, size, in.get()); });
    bool ok = false;
    if (read) {
        editor.SetComments(
            CVorbisCommentList::Merge(editor.Comments(), fields, CVorbisCommentList::KeyCase::Insensitive));
        ok = CAtomicFile::ReplaceBy(path, [&](int fd) {
            return editor.Write([fd](const unsigned char *data, std::size_t size) {
                std::size_t done = 0;
                while (done < size) {
                    const ssize_t n = ::write(fd, data + done, size - done);
                    if (n < 0 && errno == EINTR)
                        continue;
                    if (n <= 0)
                        break;
                    done += static_cast<std::size_t>(n);
                }
                return done;
            });
        });
    }
    if (lastError)
        *lastError = editor.LastError();
    return ok;
}

bool CTagWriter::WriteFlacComments(const std::string &path, const CTagFields &fields)
{
    // libFLAC's copy for a rewrite; one is left only by a writer that was killed, and libFLAC would
    // overwrite it anyway.
    ::unlink((path + ".metadata_edit").c_str());
    FlacIterator it(FLAC__metadata_simple_iterator_new(), FLAC__metadata_simple_iterator_delete);
    if (!it || !FLAC__metadata_simple_iterator_init(it.get(), path.c_str(), false, false) ||
        !FLAC__metadata_simple_iterator_is_writable(it.get()))
        return false;
    struct stat before {};
    const bool haveMode = ::stat(path.c_str(), &before) == 0;

    bool found = false;
    do
        found = FLAC__metadata_simple_iterator_get_block_type(it.get()) == FLAC__METADATA_TYPE_VORBIS_COMMENT;
    while (!found && FLAC__metadata_simple_iterator_next(it.get()));

    FlacBlock block(nullptr, FLAC__metadata_object_delete);
    std::vector<std::string> existing;
    if (found) {
        block.reset(FLAC__metadata_simple_iterator_get_block(it.get()));
        if (!block)
            return false;
        existing = CTagFieldsReader::CommentsOf(*block);
    } else {
        block.reset(FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT));
        if (!block)
            return false;
        // Stand on the block before the last padding, so that the insertion can use it; without padding
        // the block goes after the stream information and libFLAC rewrites the file through a copy.
        bool padding = FLAC__metadata_simple_iterator_get_block_type(it.get()) == FLAC__METADATA_TYPE_PADDING;
        while (!padding && FLAC__metadata_simple_iterator_prev(it.get()))
            padding = FLAC__metadata_simple_iterator_get_block_type(it.get()) == FLAC__METADATA_TYPE_PADDING;
        if (padding)
            FLAC__metadata_simple_iterator_prev(it.get());
    }
    if (!SetComments(*block, CVorbisCommentList::Merge(existing, fields, CVorbisCommentList::KeyCase::Sensitive)))
        return false;
    const bool ok = found ? FLAC__metadata_simple_iterator_set_block(it.get(), block.get(), true)
                          : FLAC__metadata_simple_iterator_insert_block_after(it.get(), block.get(), true);
    // A rewrite through a copy makes a new file with default permissions; give back the old ones.
    struct stat after {};
    if (ok && haveMode && ::stat(path.c_str(), &after) == 0 && (after.st_mode & 07777) != (before.st_mode & 07777))
        (void)::chmod(path.c_str(), before.st_mode & 07777);
    return ok;
}

bool CTagWriter::Write(const std::string &path, std::int32_t type, const CTagFields &fields, bool hadId3v1)
{
    switch (type) {
    case kTypeMpeg: return WriteId3v1(path, fields, hadId3v1);
    case kTypeOgg: return WriteVorbisComments(path, fields);
    case kTypeFlac: return WriteFlacComments(path, fields);
    default: return false;
    }
}
