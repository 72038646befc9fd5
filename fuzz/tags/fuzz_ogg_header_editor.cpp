// The Ogg Vorbis comment-header editor on arbitrary input. Whatever it accepts it must write back as a
// stream that it accepts again, with the comments that were set and the vendor string unchanged.

#include "fuzz/tags/FuzzCheck.h"
#include "tags/COggHeaderEditor.h"
#include "tags/CTagFields.h"
#include "tags/CVorbisCommentList.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

COggHeaderEditor::Reader ReaderOf(const std::uint8_t *data, std::size_t size, std::size_t &at)
{
    return [data, size, &at](char *buffer, std::size_t wanted) {
        const std::size_t n = std::min(wanted, size - at);
        std::memcpy(buffer, data + at, n);
        at += n;
        return n;
    };
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::size_t at = 0;
    COggHeaderEditor editor;
    if (!editor.Open(ReaderOf(data, size, at))) {
        FUZZ_CHECK(!editor.LastError().empty());
        return 0;
    }
    CTagFields fields{"Artist", "Title", "Album", "Genre", "1999", std::string(size % 300, 'c') + "\r\nend"};
    const std::vector<std::string> comments =
        CVorbisCommentList::Merge(editor.Comments(), fields, CVorbisCommentList::KeyCase::Insensitive);
    editor.SetComments(comments);
    std::vector<std::uint8_t> out;
    FUZZ_CHECK(editor.Write([&](const unsigned char *bytes, std::size_t n) {
        out.insert(out.end(), bytes, bytes + n);
        return n;
    }));

    std::size_t again = 0;
    COggHeaderEditor reread;
    FUZZ_CHECK(reread.Open(ReaderOf(out.data(), out.size(), again)));
    FUZZ_CHECK(reread.Comments() == comments);
    FUZZ_CHECK(reread.Vendor() == editor.Vendor());
    return 0;
}
