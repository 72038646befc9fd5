#include "plugins/asfin/CAsfReaderContext.h"

#include "plugins/asfin/CAsfAttributes.h"

#include <cstring>

bool CAsfReaderContext::Open(const std::string &path, WmaInfo *record)
{
    Close();
    if (!record || !m_decoder.Open(path, m_bPlayback) || !CAsfAttributes::Read(path, *record)) {
        m_decoder.Close();
        return false;
    }
    record->sampleRate = static_cast<std::uint32_t>(m_decoder.Rate());
    record->channels = static_cast<std::uint8_t>(m_decoder.Channels());
    record->seekable = m_decoder.Seekable() ? 1 : 0;
    m_pRecord = record;
    m_bProtected = record->isProtected != 0;
    m_strPath = path;
    m_bOpen = true;
    return true;
}

bool CAsfReaderContext::SetStart(std::uint32_t seconds)
{
    return m_bOpen && m_decoder.Seek(seconds);
}

void CAsfReaderContext::Close()
{
    if (m_bOpen)
        m_decoder.Close();
    if (m_bPendingWrite && m_pRecord) {
        m_bPendingWrite = false;
        CAsfAttributes::Write(m_strPath, *m_pRecord);
    }
    m_bPendingWrite = false;
    m_strPath.clear();
    m_bOpen = false;
    m_bProtected = false;
    m_pRecord = nullptr;
}

std::uint32_t CAsfReaderContext::Fill(void *buffer, std::uint32_t length)
{
    // Encrypted audio would decode to noise: a protected file plays nothing.
    if (!m_bOpen || m_bProtected || !buffer)
        return 0;
    return m_decoder.Read(buffer, length);
}

bool CAsfReaderContext::HasOpen(const char *path) const
{
    return m_bOpen && path && m_strPath == path;
}

void CAsfReaderContext::DeferWrite(const WmaInfo &tags)
{
    if (!m_bOpen || !m_pRecord)
        return;
    if (&tags != m_pRecord) {
        std::memcpy(m_pRecord->artist, tags.artist, sizeof tags.artist);
        std::memcpy(m_pRecord->title, tags.title, sizeof tags.title);
        std::memcpy(m_pRecord->album, tags.album, sizeof tags.album);
        std::memcpy(m_pRecord->genre, tags.genre, sizeof tags.genre);
        std::memcpy(m_pRecord->comment, tags.comment, sizeof tags.comment);
        m_pRecord->year = tags.year;
    }
    m_bPendingWrite = true;
}
