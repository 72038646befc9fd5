#include "tags/COggHeaderEditor.h"

#include <cstring>

namespace {

std::vector<unsigned char> CopyOf(const ogg_packet &packet)
{
    return std::vector<unsigned char>(packet.packet, packet.packet + packet.bytes);
}

ogg_packet PacketOf(std::vector<unsigned char> &bytes, ogg_int64_t number)
{
    ogg_packet packet{};
    packet.packet = bytes.data();
    packet.bytes = static_cast<long>(bytes.size());
    packet.b_o_s = number == 0;
    packet.packetno = number;
    return packet;
}

bool WritePage(const COggHeaderEditor::Writer &write, const ogg_page &page)
{
    const auto header = static_cast<std::size_t>(page.header_len);
    const auto body = static_cast<std::size_t>(page.body_len);
    return write(page.header, header) == header && write(page.body, body) == body;
}

} // namespace

COggHeaderEditor::COggHeaderEditor()
{
    ogg_sync_init(&m_sync);
}

COggHeaderEditor::~COggHeaderEditor()
{
    Clear();
    ogg_sync_clear(&m_sync);
}

void COggHeaderEditor::Clear()
{
    if (m_bOpen) {
        ogg_stream_clear(&m_stream);
        vorbis_comment_clear(&m_comment);
        vorbis_info_clear(&m_info);
        m_bOpen = false;
    }
}

bool COggHeaderEditor::Fail(const char *text)
{
    m_strLastError = text;
    return false;
}

std::size_t COggHeaderEditor::Feed()
{
    char *buffer = ogg_sync_buffer(&m_sync, static_cast<long>(kChunk));
    const std::size_t bytes = buffer ? m_read(buffer, kChunk) : 0;
    ogg_sync_wrote(&m_sync, static_cast<long>(bytes));
    return bytes;
}

bool COggHeaderEditor::Open(Reader read)
{
    Clear();
    ogg_sync_reset(&m_sync);
    m_read = std::move(read);
    m_comments.clear();
    m_strVendor.clear();

    Feed();
    ogg_page page;
    const int first = ogg_sync_pageout(&m_sync, &page);
    if (first == 0)
        return Fail("Input truncated or empty.");
    if (first < 0)
        return Fail("Input is not an Ogg bitstream.");

    m_nSerial = ogg_page_serialno(&page);
    ogg_stream_init(&m_stream, static_cast<int>(m_nSerial));
    vorbis_info_init(&m_info);
    vorbis_comment_init(&m_comment);
    m_bOpen = true;
    if (ogg_stream_pagein(&m_stream, &page) < 0)
        return Fail("Error reading first page of Ogg bitstream.");
    ogg_packet packet;
    if (ogg_stream_packetout(&m_stream, &packet) != 1)
        return Fail("Error reading initial header packet.");
    if (vorbis_synthesis_headerin(&m_info, &m_comment, &packet) < 0)
        return Fail("Ogg bitstream does not contain vorbis data.");
    m_identification = CopyOf(packet);
    // The identification header must be alone on its page.
    if (ogg_stream_packetpeek(&m_stream, nullptr) != 0)
        return Fail("Corrupt secondary header.");

    int headers = 1;
    while (headers < 3) {
        const int got = ogg_sync_pageout(&m_sync, &page);
        if (got < 0)
            return Fail("Corrupt secondary header.");
        if (got == 0) {
            if (Feed() == 0)
                return Fail("EOF before end of vorbis headers.");
            continue;
        }
        if (ogg_page_serialno(&page) != m_nSerial)
            return Fail("Other logical streams between the vorbis headers; not edited.");
        if (ogg_stream_pagein(&m_stream, &page) < 0)
            return Fail("Corrupt secondary header.");
        if (!TakeHeaderPage(headers))
            return false;
    }

    if (m_comment.vendor)
        m_strVendor = m_comment.vendor;
    for (int i = 0; i < m_comment.comments; ++i)
        m_comments.emplace_back(m_comment.user_comments[i], static_cast<std::size_t>(m_comment.comment_lengths[i]));
    return true;
}

bool COggHeaderEditor::TakeHeaderPage(int &headers)
{
    ogg_packet packet;
    while (headers < 3) {
        const int got = ogg_stream_packetout(&m_stream, &packet);
        if (got == 0)
            return true;
        if (got < 0 || vorbis_synthesis_headerin(&m_info, &m_comment, &packet) < 0)
            return Fail("Corrupt secondary header.");
        if (headers == 2)
            m_setup = CopyOf(packet);
        ++headers;
    }
    // Audio must start on a page of its own; otherwise copying pages would lose or split packets.
    if (ogg_stream_packetpeek(&m_stream, nullptr) != 0 || m_stream.body_returned < m_stream.body_fill)
        return Fail("Audio data shares a page with the vorbis headers; not edited.");
    return true;
}

std::vector<unsigned char> COggHeaderEditor::CommentPacket() const
{
    // Packed by hand: vorbis_commentheader_out would replace the file's vendor string with the library's.
    oggpack_buffer pack;
    oggpack_writeinit(&pack);
    auto writeBytes = [&](const char *bytes, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            oggpack_write(&pack, static_cast<unsigned char>(bytes[i]), 8);
    };
    oggpack_write(&pack, 0x03, 8);
    writeBytes("vorbis", 6);
    oggpack_write(&pack, static_cast<unsigned long>(m_strVendor.size()), 32);
    writeBytes(m_strVendor.data(), m_strVendor.size());
    oggpack_write(&pack, static_cast<unsigned long>(m_comments.size()), 32);
    for (const std::string &comment : m_comments) {
        oggpack_write(&pack, static_cast<unsigned long>(comment.size()), 32);
        writeBytes(comment.data(), comment.size());
    }
    oggpack_write(&pack, 1, 1);
    std::vector<unsigned char> out(oggpack_get_buffer(&pack), oggpack_get_buffer(&pack) + oggpack_bytes(&pack));
    oggpack_writeclear(&pack);
    return out;
}

bool COggHeaderEditor::Write(const Writer &write)
{
    if (!m_bOpen || m_setup.empty())
        return Fail("No vorbis headers read.");
    constexpr const char *kWriteError = "Error writing stream to output. Output stream may be corrupted or truncated.";

    ogg_stream_state out;
    ogg_stream_init(&out, static_cast<int>(m_nSerial));
    std::vector<unsigned char> comments = CommentPacket();
    ogg_packet packets[3] = {PacketOf(m_identification, 0), PacketOf(comments, 1), PacketOf(m_setup, 2)};
    ogg_page page;
    bool ok = true;
    ogg_stream_packetin(&out, &packets[0]);
    while (ok && ogg_stream_flush(&out, &page))
        ok = WritePage(write, page);
    ogg_stream_packetin(&out, &packets[1]);
    ogg_stream_packetin(&out, &packets[2]);
    while (ok && ogg_stream_flush(&out, &page))
        ok = WritePage(write, page);
    long nextPage = out.pageno;
    ogg_stream_clear(&out);
    if (!ok)
        return Fail(kWriteError);

    bool ended = false; // the edited stream's last page has passed: later pages belong to other links
    for (;;) {
        const int got = ogg_sync_pageout(&m_sync, &page);
        if (got < 0) {
            m_strLastError = "Corrupt or missing data, continuing...";
            continue;
        }
        if (got == 0) {
            if (Feed() == 0)
                break;
            continue;
        }
        if (!ended && ogg_page_serialno(&page) == m_nSerial) {
            if (ogg_page_pageno(&page) != nextPage) {
                const auto n = static_cast<unsigned long>(nextPage);
                for (int i = 0; i < 4; ++i)
                    page.header[18 + i] = static_cast<unsigned char>(n >> (8 * i));
                ogg_page_checksum_set(&page);
            }
            ++nextPage;
            ended = ogg_page_eos(&page) != 0;
        }
        if (!WritePage(write, page))
            return Fail(kWriteError);
    }
    return true;
}
