#pragma once
// Edits the comment header of an Ogg Vorbis stream without touching its audio: reads the three header
// packets (libogg, libvorbis), lets the caller change the comment list, then writes new header pages
// followed by every remaining page of the input.
//
// The vendor string is kept as the file had it. Audio pages are copied byte for byte, except that when
// the new comment header needs another number of pages, the sequence numbers (and so the checksums)
// of the stream's later pages are renumbered: decoders take a gap in the numbers for lost data.
//
// Refused, with the input left alone: input that is no Ogg Vorbis stream, headers that are damaged,
// audio sharing a page with the headers, and other logical streams between the headers.
//
// Failures are kept as the last error text; nothing is shown to the user. One thread at a time.

#include <ogg/ogg.h>
#include <vorbis/codec.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class COggHeaderEditor {
public:
    // Fills `buffer` with up to `size` bytes; 0 at the end of the input.
    using Reader = std::function<std::size_t(char *buffer, std::size_t size)>;
    // Writes `size` bytes; returns how many were written.
    using Writer = std::function<std::size_t(const unsigned char *data, std::size_t size)>;

    COggHeaderEditor();
    ~COggHeaderEditor();
    COggHeaderEditor(const COggHeaderEditor &) = delete;
    COggHeaderEditor &operator=(const COggHeaderEditor &) = delete;

    // Reads the stream headers. False, with the last error set, when they cannot be read.
    bool Open(Reader read);
    // Writes the edited stream: new header pages, then the rest of the input that Open read from.
    bool Write(const Writer &write);

    const std::string &Vendor() const { return m_strVendor; }
    const std::vector<std::string> &Comments() const { return m_comments; }
    void SetComments(std::vector<std::string> comments) { m_comments = std::move(comments); }
    const std::string &LastError() const { return m_strLastError; }

    static constexpr std::size_t kChunk = 4096;

private:
    bool Fail(const char *text);
    void Clear();
    std::size_t Feed();
    bool TakeHeaderPage(int &headers);
    std::vector<unsigned char> CommentPacket() const;

    Reader m_read;
    ogg_sync_state m_sync{};
    ogg_stream_state m_stream{};
    vorbis_info m_info{};
    vorbis_comment m_comment{};
    bool m_bOpen = false;
    long m_nSerial = 0;
    std::vector<unsigned char> m_identification;
    std::vector<unsigned char> m_setup;
    std::string m_strVendor;
    std::vector<std::string> m_comments;
    std::string m_strLastError;
};
