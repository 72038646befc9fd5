#include "engine/CStreamDecoder.h"

#include "engine/ICdTrackSource.h"
#include "engine/IGaplessPlaylist.h"

#include <cstdio>
#include <cstdlib>

namespace {

// An ended file whose successors are all empty could otherwise keep a single fill busy.
constexpr int kMaxChangeOversPerFill = 4;

bool IsGaplessFileType(int type)
{
    return type == kTypeOgg || type == kTypeFlac;
}

} // namespace

CStreamDecoder::CStreamDecoder(IGaplessPlaylist *playlist, ICdTrackSource *cd, StreamCreateFn createStream)
    : m_pPlaylist(playlist), m_pCd(cd), m_pCreateStream(createStream ? createStream : &BASS_StreamCreate)
{
    m_strPath.reserve(4096);
    m_nextEntry.m_strPath.reserve(4096);
    for (std::string *text : {&m_nextEntry.m_strTitle, &m_nextEntry.m_strArtist, &m_nextEntry.m_strAlbum,
                              &m_nextEntry.m_strGenre})
        text->reserve(512);
}

CStreamDecoder::~CStreamDecoder()
{
    Close();
    FreeWmaPlugin();
}

bool CStreamDecoder::LoadWmaPlugin(const std::string &programFolder)
{
    return m_wma.Load(programFolder);
}

void CStreamDecoder::FreeWmaPlugin()
{
    if (m_nType == kTypeWma)
        Close();
    m_wma.Free();
}

int CStreamDecoder::Open(const std::string &path, int type, int startSeconds, char driveLetter)
{
    Close();
    bool ok = false;
    switch (type) {
    case kTypeOgg:
        ok = m_vorbis.Open(path, startSeconds);
        break;
    case kTypeWma:
        ok = m_wma.Open(path, startSeconds);
        break;
    case kTypeFlac:
        ok = m_flac.Open(path, startSeconds);
        break;
    case kTypeCdTrack:
        ok = m_pCd && m_pCd->Open(driveLetter, std::atoi(path.c_str()), startSeconds, m_bFloatOutput != 0);
        break;
    default:
        break;
    }
    if (!ok)
        return 0;
    m_strPath = path;
    m_nType.store(type, std::memory_order_release);
    m_bSeekable.store(SubDecoderCanSeek(), std::memory_order_release);
    return type;
}

void CStreamDecoder::Close()
{
    const bool fileWasOpen = m_vorbis.IsOpen() || m_flac.IsOpen() || m_wma.IsOpen();
    m_vorbis.Close();
    m_wma.Close();
    m_flac.Close();
    if (m_pCd)
        m_pCd->Close();
    if (fileWasOpen && m_onFileClosed)
        m_onFileClosed(m_strPath);
    m_bSeekable.store(false, std::memory_order_release);
    m_nType.store(0, std::memory_order_release);
    m_strPath.clear();
}

std::uint32_t CStreamDecoder::ReadOpen(void *buffer, std::uint32_t length)
{
    const bool floatOutput = m_bFloatOutput != 0;
    switch (m_nType) {
    case kTypeOgg:
        return m_vorbis.Read(buffer, length, floatOutput);
    case kTypeWma:
        return m_wma.Read(buffer, length, floatOutput);
    case kTypeFlac:
        return m_flac.Read(buffer, length, floatOutput);
    case kTypeCdTrack: {
        const std::uint32_t n = m_pCd ? m_pCd->Read(buffer, length) : 0;
        return n > length ? length : n;
    }
    default:
        return 0;
    }
}

int CStreamDecoder::TakeHeardChange(std::uint64_t heardBytes, std::uint64_t &startByte)
{
    for (;;) {
        const std::uint32_t taken = m_nReportsTaken.load(std::memory_order_relaxed);
        if (taken == m_nReportsMade.load(std::memory_order_acquire))
            return -1;
        const ChangeReport report = m_reports[taken % kReportSlots];
        const bool stale = report.playback != m_nPlayback.load(std::memory_order_acquire);
        if (!stale && report.startByte > heardBytes)
            return -1;
        m_nReportsTaken.store(taken + 1, std::memory_order_release);
        if (!stale) {
            startByte = report.startByte;
            return report.row;
        }
    }
}

int CStreamDecoder::TakeChangedRow()
{
    std::uint64_t startByte = 0;
    return TakeHeardChange(UINT64_MAX, startByte);
}

int CStreamDecoder::ReportedRow() const
{
    const std::uint32_t taken = m_nReportsTaken.load(std::memory_order_relaxed);
    if (taken == m_nReportsMade.load(std::memory_order_acquire))
        return -1;
    return m_reports[taken % kReportSlots].row;
}

bool CStreamDecoder::ChangePending() const
{
    return m_nReportsTaken.load(std::memory_order_relaxed) != m_nReportsMade.load(std::memory_order_acquire);
}

void CStreamDecoder::ReportChange(int row, std::uint64_t startByte)
{
    const std::uint32_t made = m_nReportsMade.load(std::memory_order_relaxed);
    if (made - m_nReportsTaken.load(std::memory_order_acquire) >= kReportSlots)
        return; // eight files shorter than the buffer wait to be heard: this one is not shown
    m_reports[made % kReportSlots] = {m_nFillPlayback, row, startByte};
    m_nReportsMade.store(made + 1, std::memory_order_release);
}

std::uint32_t CStreamDecoder::Fill(void *buffer, std::uint32_t length)
{
    m_nFillPlayback = m_nPlayback.load(std::memory_order_acquire);
    auto *bytes = static_cast<unsigned char *>(buffer);
    std::uint32_t delivered = ReadOpen(bytes, length);
    m_bNoNextYet = false;
    for (int i = 0; i < kMaxChangeOversPerFill && delivered < length; ++i) {
        if (!ChangeOverAllowed() || !ChangeOver(m_nStreamBytes + delivered))
            break;
        delivered += ReadOpen(bytes + delivered, length - delivered);
    }
    m_bWaitingForNext = delivered < length && m_bNoNextYet;
    m_nStreamBytes += delivered;
    m_nDelivered = delivered;
    return delivered;
}

DWORD CStreamDecoder::StreamProc(HSTREAM, void *buffer, DWORD length, void *user)
{
    auto *decoder = static_cast<CStreamDecoder *>(user);
    const std::uint32_t delivered = decoder->Fill(buffer, length);
    return decoder->m_bWaitingForNext ? delivered | BASS_STREAMPROC_MORE : delivered;
}

bool CStreamDecoder::ChangeOverAllowed()
{
    if (!m_pPlaylist || m_bStopAfterEntry != 0)
        return false;
    if (!IsGaplessFileType(m_nType) && m_nType != kTypeCdTrack)
        return false;
    return m_pPlaylist->GaplessEnabled() && !m_pPlaylist->RandomEnabled() && !m_pPlaylist->RepeatTrackEnabled();
}

bool CStreamDecoder::ChangeOver(std::uint64_t startByte)
{
    if (m_nType == kTypeCdTrack) {
        const int track = m_pCd ? m_pCd->NextGaplessTrack() : -1;
        if (track < 0)
            return false;
        std::snprintf(m_cdTrackText, sizeof m_cdTrackText, "%d", track);
        if (Open(m_cdTrackText, kTypeCdTrack, 0, 0) == 0) {
            Close();
            return false;
        }
        ReportChange(CdReport(m_pCd->OpenDriveLetter(), track), startByte);
        return true;
    }

    const int row = m_pPlaylist->NextGaplessEntry(m_strPath, m_nextEntry);
    m_bNoNextYet = row < 0;
    if (row < 0 || !IsGaplessFileType(m_nextEntry.m_nType))
        return false;
    m_nSavedRate = Rate();
    m_nSavedChannels = Channels();
    if (Open(m_nextEntry.m_strPath, m_nextEntry.m_nType, 0, 0) == 0)
        return false; // Open closed the ended file; the stream ends
    if (Rate() != m_nSavedRate || Channels() != m_nSavedChannels) {
        // Another format needs a new stream: the engine opens the entry when this one has ended.
        Close();
        return false;
    }
    ReportChange(row, startByte);
    return true;
}

HSTREAM CStreamDecoder::CreateDecodedStream(const CPlaylistEntry &entry, int startSeconds, char driveLetter)
{
    if (Open(entry.m_strPath, entry.m_nType, startSeconds, driveLetter) == 0)
        return 0;
    const int rate = Rate();
    const int channels = Channels();
    bool playable = channels == 1 || channels == 2;
    if (m_nType == kTypeOgg && (rate < 101 || rate > 99999))
        playable = false;
    if (rate <= 0)
        playable = false;
    if (!playable) {
        Close();
        return 0;
    }
    DWORD flags = 0;
    if (m_bFloatOutput != 0)
        flags |= BASS_SAMPLE_FLOAT;
    if (channels == 1)
        flags |= BASS_SAMPLE_MONO;
    NewPlayback(); // a report about the stream this one replaces is stale
    m_nStreamBytes = 0;
    const HSTREAM handle = m_pCreateStream(static_cast<DWORD>(rate), flags, &CStreamDecoder::StreamProc, this);
    if (handle == 0) {
        Close();
        return 0;
    }
    m_nStreamRate = rate;
    return handle;
}

bool CStreamDecoder::SubDecoderCanSeek() const
{
    switch (m_nType) {
    case kTypeOgg:
        return m_vorbis.IsSeekable();
    case kTypeWma:
    case kTypeFlac:
    case kTypeCdTrack:
        return true;
    default:
        return false;
    }
}

int CStreamDecoder::Rate() const
{
    switch (m_nType) {
    case kTypeOgg:
        return m_vorbis.Rate();
    case kTypeWma:
        return m_wma.Rate();
    case kTypeFlac:
        return m_flac.Rate();
    case kTypeCdTrack:
        return 44100;
    default:
        return 0;
    }
}

int CStreamDecoder::Channels() const
{
    switch (m_nType) {
    case kTypeOgg:
        return m_vorbis.Channels();
    case kTypeWma:
        return m_wma.Channels();
    case kTypeFlac:
        return m_flac.Channels();
    case kTypeCdTrack:
        return 2;
    default:
        return 0;
    }
}
