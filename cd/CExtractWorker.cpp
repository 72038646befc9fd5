#include "cd/CExtractWorker.h"

#include "cd/CCdReader.h"
#include "cd/CExtractNames.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace {

void PutLE32(unsigned char *p, std::uint32_t v)
{
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

bool WriteAll(int fd, const unsigned char *data, std::size_t bytes)
{
    while (bytes > 0) {
        const ssize_t n = ::write(fd, data, bytes);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        bytes -= static_cast<std::size_t>(n);
    }
    return true;
}

bool MakeFolder(const std::string &path)
{
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}

std::string Unescaped(std::string text)
{
    CDiscRecord::Unescape(text);
    return text;
}

} // namespace

CExtractWorker::CExtractWorker(const ICdDeviceOpener &drives, IExtractProgress &progress)
    : m_drives(drives), m_progress(progress)
{
}

CExtractWorker::~CExtractWorker()
{
    m_bRunning.store(0);
    Wait();
}

std::uint32_t CExtractWorker::TrackFrames(const CDiscRecord &record, int track)
{
    const int i = track - record.m_nFirstTrack;
    if (track < 1 || track >= CDiscRecord::kSlots || i < 0 || i >= record.m_nTocTracks || record.m_nLength[track] == 0)
        return 0;
    const std::int32_t start = i == 0 ? 150 : record.m_nOffset[static_cast<std::size_t>(i)];
    const std::int32_t end = record.m_nOffset[static_cast<std::size_t>(i) + 1];
    return end > start ? static_cast<std::uint32_t>(end - start) : 0;
}

int CExtractWorker::NextTrack(const CDiscRecord &record, int track)
{
    for (int t = track + 1; t < CDiscRecord::kSlots; ++t)
        if (record.m_bChecked[static_cast<std::size_t>(t)] && TrackFrames(record, t) > 0)
            return t;
    return 0;
}

void CExtractWorker::WavHeader(std::uint32_t dataBytes, unsigned char header[kWavHeaderBytes])
{
    std::memcpy(header, "RIFF", 4);
    PutLE32(header + 4, dataBytes + 36);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    PutLE32(header + 16, 16);
    header[20] = 1; // PCM
    header[21] = 0;
    header[22] = 2; // channels
    header[23] = 0;
    PutLE32(header + 24, 44100);
    PutLE32(header + 28, 176400);
    header[32] = 4; // block alignment
    header[33] = 0;
    header[34] = 16; // bits per sample
    header[35] = 0;
    std::memcpy(header + 36, "data", 4);
    PutLE32(header + 40, dataBytes);
}

bool CExtractWorker::Fail(const char *status)
{
    m_progress.OnStatus(status);
    m_progress.OnButton("Close");
    return true;
}

bool CExtractWorker::Start(const CDiscRecord &record, const std::string &baseFolder, const EncoderBinding *encoder)
{
    if (IsActive())
        return false;
    Wait();
    m_outcome.store(Outcome::kIdle);
    m_progress.OnStatus("Initializing audio extraction...");
    m_record = record;
    m_bEncoder = encoder != nullptr;
    m_encoder = encoder ? *encoder : EncoderBinding{};
    if (m_bEncoder && (!m_encoder.open || !m_encoder.write || !m_encoder.close)) {
        m_progress.OnStatus("Unable to load encoder");
        return false;
    }
    std::string base = baseFolder;
    if (base.empty() || !MakeFolder(base)) {
        m_progress.OnStatus("Unable to create output directory");
        return false;
    }
    if (base.back() != '/')
        base += '/';
    m_strFolder = CExtractNames::DiscFolder(base, m_record);
    if (!MakeFolder(m_strFolder)) {
        m_progress.OnStatus("Unable to create output directory");
        return false;
    }
    m_strFolder += '/';

    m_strDiscArtist = Unescaped(m_record.m_strArtist);
    m_strAlbum = Unescaped(m_record.m_strDiscTitle);
    m_strGenre = Unescaped(m_record.m_strGenre);
    m_strYear = m_record.m_strYear;

    m_nTotalExpected = m_nTotalDone = 0;
    for (int t = NextTrack(m_record, 0); t != 0; t = NextTrack(m_record, t))
        m_nTotalExpected += TrackFrames(m_record, t) * ICdDevice::kSectorBytes;
    m_progress.OnTotalRange(m_nTotalExpected);
    m_bRunning.store(1);

    try {
        m_buffer.assign(kBufferBytes, 0);
    } catch (const std::bad_alloc &) {
        m_progress.OnStatus("Unable to create output buffer");
        return false;
    }
    m_bActive.store(true);
    m_outcome.store(Outcome::kRunning);
    try {
        m_thread = std::thread(&CExtractWorker::Run, this);
    } catch (const std::system_error &) {
        m_bActive.store(false);
        m_outcome.store(Outcome::kIdle);
        m_progress.OnStatus("Unable to initialize audio extraction");
        return false;
    }
    return true;
}

void CExtractWorker::Abort()
{
    if (!IsActive())
        return;
    m_progress.OnStatus("Aborting audio extraction...");
    m_bRunning.store(0);
}

void CExtractWorker::Wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool CExtractWorker::OpenOutput(CCdReader &reader, int track)
{
    m_nTrackDone = 0;
    m_bWriteFailed = false;
    m_strPath.clear();
    if (!reader.OpenTrack(m_record.m_cDrive, track))
        return false;
    m_progress.OnStatus(std::string(m_bEncoder ? "Extracting & Compressing Track " : "Extracting Track ") +
                        std::to_string(track) + "...");
    const std::string title = Unescaped(m_record.m_strTitle[static_cast<std::size_t>(track)]);
    const std::string path = CExtractNames::TrackPath(m_strFolder, track, title);
    if (!m_bEncoder) {
        const std::string file = path + ".wav";
        m_fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (m_fd < 0)
            return false;
        unsigned char header[kWavHeaderBytes];
        WavHeader(0, header);
        if (!WriteAll(m_fd, header, sizeof header)) {
            ::close(m_fd);
            m_fd = -1;
            return false;
        }
        m_strPath = file;
        return true;
    }
    const std::size_t split = title.find(" / ");
    if (split != std::string::npos && split > 0) {
        m_strArtist = title.substr(0, split);
        m_strTitle = title.substr(split + 3);
    } else {
        m_strArtist = m_strDiscArtist;
        m_strTitle = title;
    }
    m_strComment = Unescaped(m_record.m_strExtt[static_cast<std::size_t>(track)]);
    m_info.track = track;
    m_info.title = m_strTitle.c_str();
    m_info.artist = m_strArtist.c_str();
    m_info.album = m_strAlbum.c_str();
    m_info.genre = m_strGenre.c_str();
    m_info.year = m_strYear.c_str();
    m_info.comment = m_strComment.c_str();
    const char *created = m_encoder.open(path.c_str(), &m_info, m_nTrackExpected);
    if (!created || !*created) {
        m_encoder.close();
        return false;
    }
    m_strPath = created;
    return true;
}

bool CExtractWorker::WriteBlock(std::uint32_t bytes)
{
    if (m_bEncoder)
        return m_encoder.write(m_buffer.data(), bytes) != 0;
    return WriteAll(m_fd, m_buffer.data(), bytes);
}

bool CExtractWorker::CloseOutput()
{
    if (m_bEncoder) {
        m_encoder.close();
        return true;
    }
    unsigned char header[kWavHeaderBytes];
    WavHeader(m_nTrackDone, header);
    bool ok = ::pwrite(m_fd, header, sizeof header, 0) == static_cast<ssize_t>(sizeof header);
    ok = ::close(m_fd) == 0 && ok;
    m_fd = -1;
    return ok;
}

void CExtractWorker::Run()
{
    m_progress.OnButton("Cancel");
    CCdReader reader(m_drives);
    bool failed = false;
    int track = NextTrack(m_record, 0);
    while (m_bRunning.load() && track != 0) {
        m_nTrackExpected = TrackFrames(m_record, track) * ICdDevice::kSectorBytes;
        m_progress.OnTrackRange(m_nTrackExpected);
        if (!OpenOutput(reader, track)) {
            reader.Close();
            failed = Fail("Unable to create output file");
            break;
        }
        while (m_bRunning.load()) {
            const std::uint32_t n = reader.ReadSectors(m_buffer.data(), kBufferBytes);
            if (n == 0)
                break;
            if (!WriteBlock(n)) {
                m_bWriteFailed = true;
                break;
            }
            m_nTrackDone += n;
            m_nTotalDone += n;
            m_progress.OnProgress(m_nTrackDone, m_nTotalDone);
        }
        reader.Close();
        const bool closed = CloseOutput();
        if (!m_bRunning.load())
            break;
        // A write that failed loses audio even near the end of a track, so only a read may end short.
        if (m_bWriteFailed || !closed || m_nTrackDone + kShortfallBytes < m_nTrackExpected) {
            failed = Fail("Error extracting audio");
            break;
        }
        m_progress.OnTrackFinished(m_strPath);
        track = NextTrack(m_record, track);
    }
    m_outcome.store(failed ? Outcome::kFailed : track != 0 ? Outcome::kAborted : Outcome::kDone);
    m_bActive.store(false);
    m_progress.OnFinished(failed);
}
