#include "plugins/asfin/CAsfAttributes.h"

#include "platform/io/CAtomicFile.h"

#include <taglib/asffile.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/tfilestream.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <vector>

namespace {

std::u16string Utf16(const TagLib::String &text)
{
    const TagLib::ByteVector bytes = text.data(TagLib::String::UTF16LE);
    std::u16string out(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[static_cast<unsigned>(2 * i)]) |
                                       static_cast<unsigned char>(bytes[static_cast<unsigned>(2 * i + 1)]) << 8);
    return out;
}

TagLib::String FromUtf16(const std::u16string &text)
{
    TagLib::ByteVector bytes(static_cast<unsigned>(text.size() * 2), '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        bytes[static_cast<unsigned>(2 * i)] = static_cast<char>(text[i] & 0xFF);
        bytes[static_cast<unsigned>(2 * i + 1)] = static_cast<char>(text[i] >> 8);
    }
    return TagLib::String(bytes, TagLib::String::UTF16LE);
}

// The first value of an attribute, when the file has it.
const TagLib::ASF::Attribute *Find(const TagLib::ASF::Tag &tag, const char *name)
{
    const TagLib::ASF::AttributeListMap &map = tag.attributeListMap();
    const auto it = map.find(name);
    if (it == map.end() || it->second.isEmpty())
        return nullptr;
    return &it->second.front();
}

void Text(const TagLib::ASF::Tag &tag, const char *name, std::uint16_t *array, std::size_t units)
{
    if (const TagLib::ASF::Attribute *a = Find(tag, name))
        CAsfAttributes::ToArray(Utf16(a->toString()), array, units);
}

// "WM/Year" is text; its leading decimal digits give the number.
std::uint16_t YearOf(const TagLib::String &text)
{
    std::uint32_t year = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9')
            break;
        year = year * 10 + static_cast<std::uint32_t>(c - L'0');
        if (year > 0xFFFF)
            return 0xFFFF;
    }
    return static_cast<std::uint16_t>(year);
}

bool ReadWhole(const std::string &path, TagLib::ByteVector &out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return false;
    out = TagLib::ByteVector(bytes.data(), static_cast<unsigned>(bytes.size()));
    return true;
}

} // namespace

std::u16string CAsfAttributes::FromArray(const std::uint16_t *array, std::size_t units)
{
    std::size_t n = 0;
    while (n < units && array[n] != 0)
        ++n;
    return std::u16string(array, array + n);
}

void CAsfAttributes::ToArray(const std::u16string &text, std::uint16_t *array, std::size_t units)
{
    std::size_t n = text.size() < units ? text.size() : units;
    // A high surrogate whose partner would not fit is left out.
    if (n < text.size() && n > 0 && (text[n - 1] & 0xFC00) == 0xD800)
        --n;
    std::memset(array, 0, units * sizeof *array);
    std::memcpy(array, text.data(), n * sizeof *array);
}

bool CAsfAttributes::Read(const std::string &path, WmaInfo &info)
{
    // Read-only, so that describing a file never needs (or takes) write access to it.
    TagLib::FileStream stream(path.c_str(), true);
    if (!stream.isOpen())
        return false;
    TagLib::ASF::File file(&stream, true, TagLib::AudioProperties::Accurate);
    if (!file.isValid() || !file.tag())
        return false;
    const TagLib::ASF::Tag &tag = *file.tag();
    // Title, author and description live in the content description; some writers keep them as
    // extended attributes instead, which count when the content description has none.
    const struct {
        TagLib::String described;
        const char *name;
        std::uint16_t *array;
        std::size_t units;
    } described[] = {{tag.artist(), "AUTHOR", info.artist, std::size(info.artist)},
                     {tag.title(), "TITLE", info.title, std::size(info.title)},
                     {tag.comment(), "DESCRIPTION", info.comment, std::size(info.comment)}};
    for (const auto &d : described) {
        TagLib::String value = d.described;
        if (value.isEmpty())
            for (const auto &[key, values] : tag.attributeListMap())
                if (key.upper() == d.name && !values.isEmpty() && values.front().type() == TagLib::ASF::Attribute::UnicodeType) {
                    value = values.front().toString();
                    break;
                }
        if (!value.isEmpty())
            ToArray(Utf16(value), d.array, d.units);
    }
    Text(tag, "WM/AlbumTitle", info.album, std::size(info.album));
    Text(tag, "WM/Genre", info.genre, std::size(info.genre));
    if (const TagLib::ASF::Attribute *year = Find(tag, "WM/Year"))
        info.year = YearOf(year->toString());
    if (const TagLib::ASF::Attribute *vbr = Find(tag, "IsVBR"))
        info.isVbr = vbr->type() == TagLib::ASF::Attribute::BoolType ? (vbr->toBool() ? 1 : 0) : 0;

    if (const TagLib::ASF::Properties *props = file.audioProperties()) {
        if (!props->codecName().isEmpty())
            ToArray(Utf16(props->codecName()), info.codecName, std::size(info.codecName));
        if (props->lengthInMilliseconds() > 0)
            info.length = static_cast<std::uint32_t>(props->lengthInMilliseconds() / 1000);
        if (props->bitrate() > 0)
            info.bitrate = static_cast<std::uint32_t>(props->bitrate());
        info.isProtected = props->isEncrypted() ? 1 : 0;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        info.fileSize = static_cast<std::uint32_t>(static_cast<std::uint64_t>(st.st_size) & 0xFFFFFFFFu);
    return true;
}

bool CAsfAttributes::Write(const std::string &path, const WmaInfo &info)
{
    // The header is rewritten in memory and the whole file replaced in one step, so a failure at any
    // point leaves the old file as it was.
    const std::string target = CAtomicFile::RealTarget(path);
    TagLib::ByteVector bytes;
    if (!ReadWhole(target, bytes))
        return false;
    TagLib::ByteVectorStream stream(bytes);
    TagLib::ASF::File file(&stream, false);
    if (!file.isValid() || !file.tag())
        return false;
    TagLib::ASF::Tag &tag = *file.tag();
    // Title, author and description belong in the content description; copies of them among the
    // extended attributes (some writers add them) would otherwise keep showing the old values.
    std::vector<TagLib::String> stale;
    for (const auto &[key, values] : tag.attributeListMap()) {
        const TagLib::String upper = key.upper();
        if (upper == "TITLE" || upper == "AUTHOR" || upper == "DESCRIPTION")
            stale.push_back(key);
    }
    for (const TagLib::String &key : stale)
        tag.removeItem(key);
    tag.setTitle(FromUtf16(FromArray(info.title, std::size(info.title))));
    tag.setArtist(FromUtf16(FromArray(info.artist, std::size(info.artist))));
    tag.setComment(FromUtf16(FromArray(info.comment, std::size(info.comment))));
    tag.setAttribute("WM/AlbumTitle", TagLib::ASF::Attribute(FromUtf16(FromArray(info.album, std::size(info.album)))));
    tag.setAttribute("WM/Genre", TagLib::ASF::Attribute(FromUtf16(FromArray(info.genre, std::size(info.genre)))));
    tag.setAttribute("WM/Year", TagLib::ASF::Attribute(info.year ? TagLib::String::number(info.year) : TagLib::String()));
    if (!file.save())
        return false;
    const TagLib::ByteVector *written = stream.data();
    return CAtomicFile::Replace(target, std::string(written->data(), written->size()));
}
