#include "ui/CFileInfoCommand.h"

#include "core/CPlaylistEntry.h"
#include "engine/CDeferredTagWriter.h"
#include "engine/ITransport.h"
#include "info/CModuleInfo.h"
#include "playlist/CPlayerDoc.h"
#include "playlist/IEntryIdentifier.h"
#include "tags/CTextCodec.h"
#include "ui/IFileInfoWindows.h"

CFileInfoCommand::Window CFileInfoCommand::WindowFor(std::int32_t type)
{
    if (IsModuleType(type))
        return Window::Module;
    switch (type) {
    case kTypeMpeg: return Window::Mpeg;
    case kTypeWav: return Window::Wav;
    case kTypeOgg:
    case kTypeWma:
    case kTypeFlac: return Window::Tags;
    default: return Window::None;
    }
}

std::optional<CTagInfo::Format> CFileInfoCommand::TagFormat(std::int32_t type)
{
    switch (type) {
    case kTypeOgg: return CTagInfo::Format::OggVorbis;
    case kTypeFlac: return CTagInfo::Format::Flac;
    case kTypeWma: return CTagInfo::Format::Wma;
    default: return std::nullopt;
    }
}

CFileInfoCommand::CFileInfoCommand(CPlayerDoc &doc, IFileInfoWindows &windows, CDeferredTagWriter &writer,
                                   IEntryIdentifier &identifier, const ITransport &transport,
                                   EntryEdited entryEdited)
    : m_doc(doc), m_windows(windows), m_writer(writer), m_identifier(identifier), m_transport(transport),
      m_entryEdited(std::move(entryEdited))
{
}

void CFileInfoCommand::ReadAgain(CPlaylistEntry &entry)
{
    CPlaylistEntry fresh;
    if (!m_identifier.Identify(entry.m_strPath, fresh))
        return;
    fresh.m_strPath = entry.m_strPath;
    fresh.m_nMixing = entry.m_nMixing;
    fresh.m_nPanning = entry.m_nPanning;
    entry = fresh;
}

bool CFileInfoCommand::Run(int row)
{
    if (row < 0 || row >= m_doc.EntryCount())
        return false;
    CPlaylistEntry entry = m_doc.GetEntry(row);
    const std::string path = entry.m_strPath;
    switch (WindowFor(entry.m_nType)) {
    case Window::None:
        return false;
    case Window::Mpeg: {
        const auto fields = m_windows.ShowMpeg(path);
        if (!fields)
            return false;
        (void)m_writer.Save(path, entry.m_nType, *fields);
        ReadAgain(entry);
        break;
    }
    case Window::Wav: {
        const auto edit = m_windows.ShowWav(path);
        if (!edit)
            return false;
        entry.m_strArtist = edit->artist;
        entry.m_strTitle = edit->title;
        break;
    }
    case Window::Tags: {
        const auto fields = m_windows.ShowTags(path, *TagFormat(entry.m_nType), m_writer.Pending(path));
        if (!fields)
            return false;
        if (m_writer.Save(path, entry.m_nType, *fields) == CDeferredTagWriter::Outcome::Deferred) {
            // The file changes when it closes; the list shows the saved texts from now on.
            entry.m_strArtist = fields->artist;
            entry.m_strTitle = fields->title;
            entry.m_strAlbum = fields->album;
            entry.m_strGenre = fields->genre;
            entry.m_nYear = CTextCodec::LeadingNumber(fields->year);
        } else {
            ReadAgain(entry);
        }
        break;
    }
    case Window::Module: {
        const auto edit = m_windows.ShowModule(entry);
        if (!edit)
            return false;
        if (edit->title != edit->openedTitle && CModuleInfo::WriteTitle(path, entry.m_nType, edit->title))
            entry.m_strTitle = edit->title;
        entry.m_strArtist = edit->artist;
        entry.m_bLoops = edit->loops;
        entry.m_nMixing = edit->mixing;
        entry.m_nPanning = edit->panning;
        break;
    }
    }
    if (!m_doc.ReplaceEntry(row, entry))
        return false;
    const bool playing = m_transport.IsPlaying();
    if ((playing && m_transport.PlayingPath() == path) || (!playing && m_doc.State().m_nPlaying < 0))
        m_entryEdited(entry);
    return true;
}
