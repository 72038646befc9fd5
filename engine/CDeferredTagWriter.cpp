#include "engine/CDeferredTagWriter.h"

#include "core/CPlaylistEntry.h"
#include "engine/CWmaBinding.h"
#include "engine/ITransport.h"
#include "tags/CTagWriter.h"
#include "tags/CTextCodec.h"

namespace {

bool Deferrable(std::int32_t type)
{
    return type == kTypeOgg || type == kTypeFlac || type == kTypeWma;
}

} // namespace

CDeferredTagWriter::CDeferredTagWriter(const ITransport &transport, CWmaBinding *wma)
    : m_transport(transport), m_pWma(wma), m_uiThread(std::this_thread::get_id())
{
}

bool CDeferredTagWriter::HeldByDecoder(const std::string &path) const
{
    return m_transport.IsPlaying() && m_transport.PlayingPath() == path;
}

bool CDeferredTagWriter::Write(const std::string &path, std::int32_t type, const CTagFields &fields, CWmaBinding *wma)
{
    if (type != kTypeWma)
        return CTagWriter::Write(path, type, fields, false);
    if (!wma || !wma->IsLoaded())
        return false;
    WmaInfo info{};
    CTextCodec::Utf8ToUtf16(fields.artist, info.artist, std::size(info.artist));
    CTextCodec::Utf8ToUtf16(fields.title, info.title, std::size(info.title));
    CTextCodec::Utf8ToUtf16(fields.album, info.album, std::size(info.album));
    CTextCodec::Utf8ToUtf16(fields.genre, info.genre, std::size(info.genre));
    CTextCodec::Utf8ToUtf16(fields.comment, info.comment, std::size(info.comment));
    const std::int32_t year = CTextCodec::LeadingNumber(fields.year);
    info.year = static_cast<std::uint16_t>(year > 0xFFFF ? 0 : year);
    return wma->WriteInfo(path, info);
}

void CDeferredTagWriter::WaitForScanners() const
{
    while (m_nScanners.load(std::memory_order_acquire) != 0)
        std::this_thread::yield();
}

CDeferredTagWriter::Outcome CDeferredTagWriter::Save(const std::string &path, std::int32_t type,
                                                     const CTagFields &fields)
{
    Slot *kept = nullptr;
    for (Slot &slot : m_slots)
        if (slot.state.load(std::memory_order_acquire) != kFree && slot.path == path)
            kept = &slot;
    if (Deferrable(type) && HeldByDecoder(path)) {
        if (kept) {
            kept->fields = fields; // only this thread reads the texts
            return Outcome::Deferred;
        }
        for (Slot &slot : m_slots) {
            if (slot.state.load(std::memory_order_acquire) != kFree)
                continue;
            WaitForScanners();
            slot.path = path;
            slot.type = type;
            slot.fields = fields;
            slot.state.store(kPending, std::memory_order_release);
            return Outcome::Deferred;
        }
        return Outcome::Failed;
    }
    if (kept)
        kept->state.store(kFree, std::memory_order_release); // this save replaces it
    return Write(path, type, fields, m_pWma) ? Outcome::Written : Outcome::Failed;
}

std::optional<CTagFields> CDeferredTagWriter::Pending(const std::string &path) const
{
    for (const Slot &slot : m_slots)
        if (slot.state.load(std::memory_order_acquire) != kFree && slot.path == path)
            return slot.fields;
    return std::nullopt;
}

int CDeferredTagWriter::PendingCount() const
{
    int count = 0;
    for (const Slot &slot : m_slots)
        count += slot.state.load(std::memory_order_acquire) != kFree ? 1 : 0;
    return count;
}

void CDeferredTagWriter::WriteAndFree(Slot &slot)
{
    (void)Write(slot.path, slot.type, slot.fields, m_pWma); // no tag write is reported
    slot.state.store(kFree, std::memory_order_release);
}

void CDeferredTagWriter::FileClosed(const std::string &path)
{
    const bool uiThread = std::this_thread::get_id() == m_uiThread;
    m_nScanners.fetch_add(1, std::memory_order_acq_rel);
    Slot *closed[kSlots] = {};
    int count = 0;
    for (Slot &slot : m_slots) {
        int expected = kPending;
        if (slot.state.load(std::memory_order_acquire) == kPending && slot.path == path &&
            slot.state.compare_exchange_strong(expected, kClosed, std::memory_order_acq_rel))
            closed[count++] = &slot;
    }
    m_nScanners.fetch_sub(1, std::memory_order_acq_rel);
    if (uiThread)
        for (int i = 0; i < count; ++i)
            WriteAndFree(*closed[i]);
}

void CDeferredTagWriter::Flush()
{
    for (Slot &slot : m_slots) {
        const int state = slot.state.load(std::memory_order_acquire);
        if (state == kClosed) {
            WriteAndFree(slot);
        } else if (state == kPending && !HeldByDecoder(slot.path)) {
            int expected = kPending;
            if (slot.state.compare_exchange_strong(expected, kClosed, std::memory_order_acq_rel))
                WriteAndFree(slot);
        }
    }
}
