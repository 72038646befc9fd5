#include "tags/CTrackInfo.h"

#include "platform/formats/CByteReader.h"
#include "platform/formats/CId3v2Tag.h"
#include "platform/formats/CMpegFrameSearch.h"
#include "platform/formats/CRiffChunkWalker.h"
#include "platform/io/CFileDescriptor.h"
#include "tags/CGenreTable.h"
#include "tags/CModuleScanner.h"
#include "tags/CTextCodec.h"
#include "tags/IWmaInfoReader.h"
#include "core/CPlaylistEntry.h"

#include <FLAC/metadata.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kDetectBytes = 4096;

std::uint32_t ReadBe32(const std::uint8_t *p)
{
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

bool HasBytesAt(const std::vector<std::uint8_t> &buffer, std::size_t size, std::size_t offset,
                std::string_view magic)
{
    return offset + magic.size() <= size &&
           std::memcmp(buffer.data() + offset, magic.data(), magic.size()) == 0;
}

// Every ASF file begins with its header object: only such a file is worth asking the plug-in about.
bool IsAsf(const std::vector<std::uint8_t> &buffer, std::size_t size)
{
    static constexpr char kHeaderObject[] = "\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C";
    return HasBytesAt(buffer, size, 0, std::string_view(kHeaderObject, 16));
}

std::uint32_t Clamp32(std::uint64_t value)
{
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(value, std::numeric_limits<std::uint32_t>::max()));
}

std::int32_t ClampInt(std::uint64_t value)
{
    return static_cast<std::int32_t>(std::min<std::uint64_t>(value, std::numeric_limits<std::int32_t>::max()));
}

// Reads up to `count` bytes at `offset` into `out`, fewer at the end of the file.
std::size_t ReadFromFd(int fd, std::uint64_t offset, std::size_t count, std::vector<std::uint8_t> &out)
{
    out.resize(count);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(fd, out.data() + done, count - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    out.resize(done);
    return done;
}

// An Ogg Vorbis file opened with libvorbisfile on a stdio stream; ov_clear closes the stream.
class VorbisFile {
public:
    explicit VorbisFile(const std::string &path)
    {
        std::FILE *file = std::fopen(path.c_str(), "rb");
        if (!file)
            return;
        if (ov_open(file, &m_vf, nullptr, 0) != 0) {
            std::fclose(file);
            return;
        }
        m_open = true;
    }
    ~VorbisFile()
    {
        if (m_open)
            ov_clear(&m_vf);
    }
    VorbisFile(const VorbisFile &) = delete;
    VorbisFile &operator=(const VorbisFile &) = delete;

    bool IsOpen() const { return m_open; }
    OggVorbis_File *get() { return &m_vf; }

    VorbisStreamInfo Info()
    {
        VorbisStreamInfo out;
        if (const vorbis_info *vi = ov_info(&m_vf, -1)) {
            out.version = vi->version;
            out.channels = vi->channels;
            out.rate = ClampInt(vi->rate > 0 ? static_cast<std::uint64_t>(vi->rate) : 0);
            out.bitrateUpper = static_cast<std::int32_t>(vi->bitrate_upper);
            out.bitrateNominal = static_cast<std::int32_t>(vi->bitrate_nominal);
            out.bitrateLower = static_cast<std::int32_t>(vi->bitrate_lower);
            out.bitrateWindow = static_cast<std::int32_t>(vi->bitrate_window);
        }
        return out;
    }

private:
    OggVorbis_File m_vf{};
    bool m_open = false;
};

constexpr std::string_view kCommentKeys[] = {"ARTIST=", "TITLE=", "ALBUM=", "GENRE=", "DATE="};

bool IsTakenComment(std::string_view comment)
{
    return std::any_of(std::begin(kCommentKeys), std::end(kCommentKeys),
                       [&](std::string_view key) { return comment.substr(0, key.size()) == key; });
}

// Assigns one "KEY=value" comment of a Vorbis comment list. Keys are case-sensitive on purpose: only
// the upper-case spelling is taken.
void ApplyComment(std::string_view comment, std::string &title, std::string &artist, std::string &album,
                  std::string &genre, std::int32_t &year)
{
    auto take = [&](std::string_view key, std::string &target) {
        if (comment.substr(0, key.size()) != key)
            return false;
        target = CTextCodec::Utf8OrLatin1(comment.substr(key.size()));
        return true;
    };
    if (take("ARTIST=", artist) || take("TITLE=", title) || take("ALBUM=", album) || take("GENRE=", genre))
        return;
    constexpr std::string_view kDate = "DATE=";
    if (comment.substr(0, kDate.size()) == kDate)
        year = CTextCodec::LeadingNumber(comment.substr(kDate.size()));
}

// One ID3v1 text field: up to the first control byte, without trailing blanks, ISO-8859-1 to UTF-8.
std::string Id3v1Field(const std::uint8_t *field, std::size_t length)
{
    std::size_t end = 0;
    while (end < length && field[end] >= 0x20)
        ++end;
    while (end > 0 && field[end - 1] <= 0x20)
        --end;
    return CTextCodec::Latin1ToUtf8(std::string_view(reinterpret_cast<const char *>(field), end));
}

} // namespace

CTrackInfo::CTrackInfo(std::string path) : m_strPath(std::move(path)) {}

std::int32_t CTrackInfo::Read(IWmaInfoReader *wma)
{
    m_pWma = wma;
    DetectType(0);
    ReadTitle(std::string());
    ReadLength(0);
    return m_nType;
}

std::size_t CTrackInfo::ReadAt(std::uint64_t offset, std::size_t count, std::vector<std::uint8_t> &out,
                               bool takeFullPath)
{
    out.clear();
    // Non-blocking open so that a FIFO cannot hang the reader; only regular files are read.
    CFileDescriptor file(::open(m_strPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0)
        return 0;
    struct stat st {};
    if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    m_nFileSize = static_cast<std::uint64_t>(st.st_size);
    m_nSize = Clamp32(m_nFileSize);
    if (takeFullPath) {
        std::error_code ec;
        std::filesystem::path full = std::filesystem::absolute(m_strPath, ec);
        if (!ec)
            m_strPath = full.lexically_normal().string();
    }
    if (offset >= m_nFileSize)
        return 0;
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(count, m_nFileSize - offset));
    return ReadFromFd(file.get(), offset, wanted, out);
}

std::size_t CTrackInfo::ReadTail(std::size_t count, std::vector<std::uint8_t> &out)
{
    out.clear();
    CFileDescriptor file(::open(m_strPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0)
        return 0;
    struct stat st {};
    if (::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    m_nFileSize = static_cast<std::uint64_t>(st.st_size);
    m_nSize = Clamp32(m_nFileSize);
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(count, m_nFileSize));
    return ReadFromFd(file.get(), m_nFileSize - wanted, wanted, out);
}

std::size_t CTrackInfo::ReadBytes(std::size_t count, std::uint64_t offset, bool takeFullPath)
{
    return ReadAt(offset, count, m_scratch, takeFullPath);
}

std::int32_t CTrackInfo::DetectType(std::int32_t type)
{
    if (type >= kTypeMod4 && type <= kTypeCdTrack) {
        m_nType = type;
        return m_nType;
    }
    m_nType = kTypeUnknown;
    m_vorbis = {};
    const std::size_t n = ReadBytes(kDetectBytes, 0, true);
    if (n > 0) {
        const auto &b = m_scratch;
        if (HasBytesAt(b, n, 1080, "M.K.") || HasBytesAt(b, n, 1080, "4CHN") || HasBytesAt(b, n, 1080, "FLT4")) {
            m_nType = kTypeMod4;
            m_nChannels = 4;
        } else if (HasBytesAt(b, n, 1080, "6CHN")) {
            m_nType = kTypeMod6;
            m_nChannels = 6;
        } else if (HasBytesAt(b, n, 1080, "8CHN") || HasBytesAt(b, n, 1080, "FLT8")) {
            m_nType = kTypeMod8;
            m_nChannels = 8;
        } else if (HasBytesAt(b, n, 44, "SCRM")) {
            m_nType = kTypeS3m;
        } else if (HasBytesAt(b, n, 0, "Extended Module: ")) {
            m_nType = kTypeXm;
        } else if (HasBytesAt(b, n, 0, "IMPM")) {
            m_nType = kTypeIt;
        } else if (HasBytesAt(b, n, 0, "RIFF") && HasBytesAt(b, n, 8, "WAVE")) {
            m_nType = kTypeWav;
        } else if (DetectOggVorbis() || (IsAsf(b, n) && DetectWma()) || (CouldBeFlac() && DetectFlac()) || ScanMpeg()) {
            // the detector set the type and its fields
        }
    }
    std::vector<std::uint8_t>().swap(m_scratch);
    return m_nType;
}

bool CTrackInfo::DetectOggVorbis()
{
    m_vorbis = {};
    if (!LoadVorbis())
        return false;
    m_vorbisInfo = m_vorbis.info;
    m_nType = kTypeOgg;
    return true;
}

bool CTrackInfo::LoadVorbis()
{
    if (m_vorbis.valid && m_vorbis.path == m_strPath)
        return true;
    m_vorbis = {};
    VorbisFile vf(m_strPath);
    if (!vf.IsOpen())
        return false;
    m_vorbis.path = m_strPath;
    m_vorbis.info = vf.Info();
    if (const vorbis_comment *vc = ov_comment(vf.get(), -1); vc && vc->user_comments && vc->comment_lengths) {
        for (int i = 0; i < vc->comments; ++i) {
            if (!vc->user_comments[i] || vc->comment_lengths[i] < 0)
                continue;
            const std::string_view comment(vc->user_comments[i], static_cast<std::size_t>(vc->comment_lengths[i]));
            if (IsTakenComment(comment))
                m_vorbis.comments.emplace_back(comment);
        }
    }
    const double total = ov_time_total(vf.get(), -1);
    m_vorbis.length = total > 0 ? Clamp32(static_cast<std::uint64_t>(std::min(total, 4294967295.0))) : 0;
    const long bitrate = ov_bitrate(vf.get(), -1);
    m_vorbis.bitrate = bitrate > 0 ? ClampInt(static_cast<std::uint64_t>(bitrate) / 1000) : 0;
    m_vorbis.valid = true;
    return true;
}

bool CTrackInfo::DetectWma()
{
    if (!m_pWma)
        return false;
    WmaInfo info{};
    if (!m_pWma->ReadInfo(m_strPath, info))
        return false;
    m_nType = kTypeWma;
    m_strArtist = CTextCodec::Utf16ToUtf8(info.artist, std::size(info.artist));
    m_strTitle = CTextCodec::Utf16ToUtf8(info.title, std::size(info.title));
    m_strAlbum = CTextCodec::Utf16ToUtf8(info.album, std::size(info.album));
    m_strGenre = CTextCodec::Utf16ToUtf8(info.genre, std::size(info.genre));
    m_nYear = info.year;
    m_nBitrate = ClampInt(info.bitrate);
    m_nFrequency = ClampInt(info.sampleRate);
    m_nLength = info.length;
    m_nChannels = info.channels;
    return true;
}

// libFLAC takes a stream that starts with "fLaC", or one ID3v2 tag directly followed by it. Without a tag
// it would also find the marker anywhere further on by searching the rest of the file, which is what made
// asking it about every MP3 slow. So it is asked only when the marker lies in the bytes already read or
// right after the opening ID3v2 tag; a file with the marker only deep inside other data is not a FLAC stream.
bool CTrackInfo::CouldBeFlac()
{
    constexpr std::string_view kMarker = "fLaC";
    const std::vector<std::uint8_t> &b = m_scratch;
    if (std::search(b.begin(), b.end(), kMarker.begin(), kMarker.end()) != b.end())
        return true;
    const std::uint64_t end = CId3v2Tag::Size(b.data(), b.size());
    if (end == 0)
        return false;
    std::vector<std::uint8_t> after;
    return end + kMarker.size() > b.size() && ReadAt(end, kMarker.size(), after, false) == kMarker.size() &&
           std::memcmp(after.data(), kMarker.data(), kMarker.size()) == 0;
}

bool CTrackInfo::DetectFlac()
{
    FLAC__StreamMetadata meta;
    if (!FLAC__metadata_get_streaminfo(m_strPath.c_str(), &meta))
        return false;
    const FLAC__StreamMetadata_StreamInfo &si = meta.data.stream_info;
    m_flacInfo.minBlockSize = si.min_blocksize;
    m_flacInfo.maxBlockSize = si.max_blocksize;
    m_flacInfo.minFrameSize = si.min_framesize;
    m_flacInfo.maxFrameSize = si.max_framesize;
    m_flacInfo.sampleRate = si.sample_rate;
    m_flacInfo.channels = si.channels;
    m_flacInfo.bitsPerSample = si.bits_per_sample;
    m_flacInfo.totalSamples = si.total_samples;

    m_nType = kTypeFlac;
    m_nFrequency = ClampInt(si.sample_rate);
    m_nChannels = ClampInt(si.channels);
    m_nLength = 0;
    m_nBitrate = 0;
    if (si.sample_rate != 0)
        m_nLength = Clamp32(si.total_samples / si.sample_rate);
    if (m_nLength != 0)
        m_nBitrate = ClampInt(m_nFileSize / m_nLength * 8 / 1000);
    ReadFlacComments();
    return true;
}

void CTrackInfo::ReadFlacComments()
{
    using Iterator = std::unique_ptr<FLAC__Metadata_SimpleIterator, void (*)(FLAC__Metadata_SimpleIterator *)>;
    Iterator it(FLAC__metadata_simple_iterator_new(), FLAC__metadata_simple_iterator_delete);
    if (!it || !FLAC__metadata_simple_iterator_init(it.get(), m_strPath.c_str(), true, true))
        return;
    do {
        if (FLAC__metadata_simple_iterator_get_block_type(it.get()) != FLAC__METADATA_TYPE_VORBIS_COMMENT)
            continue;
        std::unique_ptr<FLAC__StreamMetadata, void (*)(FLAC__StreamMetadata *)> block(
            FLAC__metadata_simple_iterator_get_block(it.get()), FLAC__metadata_object_delete);
        if (!block)
            return;
        const FLAC__StreamMetadata_VorbisComment &vc = block->data.vorbis_comment;
        for (FLAC__uint32 i = 0; vc.comments && i < vc.num_comments; ++i) {
            const FLAC__StreamMetadata_VorbisComment_Entry &e = vc.comments[i];
            if (!e.entry)
                continue;
            ApplyComment(std::string_view(reinterpret_cast<const char *>(e.entry), e.length), m_strTitle,
                         m_strArtist, m_strAlbum, m_strGenre, m_nYear);
        }
        return;
    } while (FLAC__metadata_simple_iterator_next(it.get()));
}

bool CTrackInfo::ScanMpeg()
{
    CFileDescriptor file(::open(m_strPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (file.get() < 0 || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const CByteReader reader = CByteReader::FromFd(file.get(), static_cast<std::uint64_t>(st.st_size));
    const auto found = CMpegFrameSearch::FindFirstFrame(reader);
    if (!found)
        return false;
    const CMpegFrameHeader &header = found->header;

    bool vbr = false;
    std::uint32_t xingFrames = 0;
    std::uint32_t xingBytes = 0;
    std::uint8_t xing[16];
    if (reader.ReadAt(found->offset + header.XingOffset(), xing, sizeof xing) == sizeof xing &&
        std::memcmp(xing, "Xing", 4) == 0) {
        vbr = true;
        const std::uint32_t flags = ReadBe32(xing + 4);
        std::size_t field = 8;
        if (flags & 1) {
            xingFrames = ReadBe32(xing + field);
            field += 4;
        }
        if (flags & 2)
            xingBytes = ReadBe32(xing + field);
    }

    const std::uint32_t rate = header.SampleRate();
    const std::uint64_t samplesPerFrame = header.SamplesPerFrame();
    // The audio runs from the first frame to the end of the file or a trailing ID3v1 tag.
    const std::uint64_t audioBytes = found->audioEnd - found->offset;
    std::uint64_t bitrate = 0;
    std::uint64_t frames = 0;
    if (vbr && xingFrames != 0 && xingBytes != 0) {
        bitrate = std::uint64_t{xingBytes} * rate * 8 / (std::uint64_t{xingFrames} * samplesPerFrame);
        frames = xingFrames;
    }
    if (bitrate == 0) {
        bitrate = header.Bitrate();
        const std::uint64_t frameBytes = samplesPerFrame / 8 * bitrate / rate;
        frames = frameBytes ? audioBytes / frameBytes : 0;
    }
    // A confirmed frame makes MPEG audio however short: a sound effect of a fraction of a second is
    // shown as 1 s, as WAV files are.
    const std::uint64_t length = std::max<std::uint64_t>(1, audioBytes * 8 / bitrate);

    m_nType = kTypeMpeg;
    m_nLength = Clamp32(length);
    m_nFrequency = ClampInt(rate);
    m_nBitrate = ClampInt(bitrate / 1000);
    m_nChannels = header.Channels();
    m_nMpegFrames = Clamp32(frames);
    m_nMpegVersion = header.VersionBits();
    m_nMpegLayer = header.LayerBits();
    m_nVbr = vbr ? 1 : 0;
    m_strChannelMode = std::string(CMpegFrameHeader::ChannelModeName(header.ChannelMode()));
    return true;
}

void CTrackInfo::ReadTitle(const std::string &title)
{
    if (!title.empty()) {
        m_strTitle = title;
        return;
    }
    switch (m_nType) {
    case kTypeMod4:
    case kTypeMod6:
    case kTypeMod8: ReadModuleTitle(0, 20, 21); break;
    case kTypeS3m: ReadModuleTitle(0, 28, 29); break;
    case kTypeXm: ReadModuleTitle(17, 20, 38); break;
    case kTypeIt: ReadModuleTitle(4, 26, 31); break;
    case kTypeMpeg: ReadId3v1(); break;
    case kTypeOgg: ReadVorbisComments(); break;
    case kTypeWma:
    case kTypeFlac: break; // read during detection
    default: m_strTitle.clear(); break;
    }
    if (m_nType != kTypeMpeg)
        m_strTitle = CTextCodec::TrimRight(m_strTitle);
    if (m_strTitle.empty() && m_nType != kTypeCdTrack)
        TitleFromFileName();
    std::vector<std::uint8_t>().swap(m_scratch);
}

void CTrackInfo::ReadModuleTitle(std::size_t first, std::size_t count, std::size_t minRead)
{
    m_strTitle.clear();
    const std::size_t n = ReadBytes(48, 0, false);
    if (n < minRead)
        return;
    // Zero bytes inside a module title are skipped, not taken as its end.
    std::string raw;
    for (std::size_t i = first; i < first + count && i < n; ++i)
        if (m_scratch[i] != 0)
            raw += static_cast<char>(m_scratch[i]);
    m_strTitle = CTextCodec::Utf8OrLatin1(raw);
}

void CTrackInfo::ReadId3v1()
{
    m_strTitle.clear();
    // The last 128 bytes (the whole file when it is not longer).
    std::vector<std::uint8_t> tag;
    const std::size_t n = ReadTail(128, tag);
    if (n < 128 || !HasBytesAt(tag, n, 0, "TAG"))
        return;
    const std::uint8_t *t = tag.data();
    m_bHasId3v1 = 1;
    m_strTitle = Id3v1Field(t + 3, 30);
    m_strArtist = Id3v1Field(t + 33, 30);
    m_strAlbum = Id3v1Field(t + 63, 30);
    m_nYear = CTextCodec::LeadingNumber(std::string_view(reinterpret_cast<const char *>(t + 93), 4));
    m_strComment = Id3v1Field(t + 97, 30);
    m_strGenre = std::string(CGenreTable::Name(t[127]));
}

bool CTrackInfo::ReadVorbisComments()
{
    m_strTitle.clear();
    if (!LoadVorbis())
        return false;
    m_vorbisInfo = m_vorbis.info;
    for (const std::string &comment : m_vorbis.comments)
        ApplyComment(comment, m_strTitle, m_strArtist, m_strAlbum, m_strGenre, m_nYear);
    return true;
}

void CTrackInfo::TitleFromFileName()
{
    // The file name first, then its extension: a dot in a folder name must not cut the title.
    std::string name = m_strPath;
    const std::size_t slash = name.find_last_of('/');
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.erase(dot);
    m_strTitle = name;
}

std::uint32_t CTrackInfo::ReadLength(std::uint32_t seconds)
{
    if (seconds != 0) {
        m_nLength = seconds;
        return m_nLength;
    }
    switch (m_nType) {
    case kTypeMod4:
    case kTypeMod6:
    case kTypeMod8:
    case kTypeS3m:
    case kTypeXm:
    case kTypeIt: ReadModuleLength(); break;
    case kTypeWav: ReadWavLength(); break;
    case kTypeOgg: ReadOggLength(); break;
    case kTypeMpeg:
    case kTypeWma:
    case kTypeFlac: break; // found during detection
    default: m_nLength = 0; break;
    }
    std::vector<std::uint8_t>().swap(m_scratch);
    m_vorbis = {};
    return m_nLength;
}

void CTrackInfo::ReadModuleLength()
{
    const ModuleScanResult result = CModuleScanner::Scan(m_strPath, m_nType);
    m_orderTimes = result.orderTimes;
    m_nLength = result.lengthSeconds;
    m_bLoops = result.loops;
    if (result.channels != 0)
        m_nChannels = result.channels;
}

void CTrackInfo::ReadWavLength()
{
    // The read gives the file's size; the chunk walk decides whether the header is usable.
    if (ReadBytes(12, 0, false) < 12) {
        Reset();
        return;
    }
    // The chunks are walked to the format and data chunks instead of assuming where they lie, so that
    // LIST, JUNK or fact chunks in between do not mislead the length.
    CFileDescriptor file(::open(m_strPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    const auto layout = file.get() < 0 ? std::nullopt
                                       : CRiffChunkWalker::Walk(CByteReader::FromFd(file.get(), m_nFileSize));
    if (!layout) {
        Reset();
        return;
    }
    // A header that claims more audio than the file holds (a stream written without seeking back)
    // is measured by what is there.
    const std::uint64_t data = layout->DataInFile(m_nFileSize);
    const std::uint32_t bytesPerSecond = layout->format.bytesPerSecond;
    const std::uint16_t channels = layout->format.channels;
    if (data == 0 || bytesPerSecond == 0 || channels > 2) {
        Reset();
        return;
    }
    m_nFrequency = ClampInt(layout->format.sampleRate);
    m_nLength = std::max<std::uint32_t>(1, Clamp32(data / bytesPerSecond));
    m_nBitrate = ClampInt(std::uint64_t{bytesPerSecond} * 8 / 1000);
    m_nChannels = channels;
}

void CTrackInfo::ReadOggLength()
{
    if (!LoadVorbis())
        return;
    m_nLength = m_vorbis.length;
    m_vorbisInfo = m_vorbis.info;
    m_nChannels = m_vorbisInfo.channels;
    m_nFrequency = m_vorbisInfo.rate;
    m_nBitrate = m_vorbis.bitrate;
}

bool CTrackInfo::IsLoopingModule() const { return IsModuleType(m_nType) && m_bLoops; }

void CTrackInfo::SetChannels(std::int32_t channels)
{
    if (channels != 0)
        m_nChannels = channels;
}

void CTrackInfo::Reset()
{
    m_orderTimes.fill(0);
    m_nMixing = 0;
    m_nPanning = 0;
    m_nMpegFrames = 0;
    m_nMpegVersion = 0;
    m_nMpegLayer = 0;
    m_nVbr = 0;
    m_strChannelMode.clear();
    m_bHasId3v1 = 0;
    m_nType = kTypeUnknown;
    m_strTitle.clear();
    m_nLength = 0;
    m_nChannels = 0;
    m_strArtist.clear();
    m_strAlbum.clear();
    m_strGenre.clear();
    m_strComment.clear();
    m_nBitrate = 0;
    m_nFrequency = 0;
    m_nYear = 0;
    m_nSize = 0;
    m_bLoops = false;
    m_vorbisInfo = {};
    m_flacInfo = {};
    m_nFileSize = 0;
    m_vorbis = {};
}

void CTrackInfo::CopyToEntry(CPlaylistEntry &entry) const
{
    entry.m_strPath = m_strPath;
    entry.m_nType = m_nType;
    entry.m_strTitle = m_strTitle;
    entry.m_nDuration = ClampInt(m_nLength);
    entry.m_nChannels = m_nChannels;
    entry.m_strArtist = m_strArtist;
    entry.m_strAlbum = m_strAlbum;
    entry.m_strGenre = m_strGenre;
    entry.m_nBitrate = m_nBitrate;
    entry.m_nFrequency = m_nFrequency;
    entry.m_nYear = m_nYear;
    entry.m_nSize = m_nSize;
    entry.m_bLoops = m_bLoops;
    entry.m_nMixing = m_nMixing;
    entry.m_nPanning = m_nPanning;
}

void CTrackInfo::CopyFromEntry(CPlaylistEntry entry)
{
    m_strPath = std::move(entry.m_strPath);
    m_nType = entry.m_nType;
    m_strTitle = std::move(entry.m_strTitle);
    m_nLength = entry.m_nDuration > 0 ? static_cast<std::uint32_t>(entry.m_nDuration) : 0;
    m_nChannels = entry.m_nChannels;
    m_strArtist = std::move(entry.m_strArtist);
    m_strAlbum = std::move(entry.m_strAlbum);
    m_strGenre = std::move(entry.m_strGenre);
    m_nBitrate = entry.m_nBitrate;
    m_nFrequency = entry.m_nFrequency;
    m_nYear = entry.m_nYear;
    m_nSize = entry.m_nSize;
    m_bLoops = entry.m_bLoops;
    m_nMixing = entry.m_nMixing;
    m_nPanning = entry.m_nPanning;
}
