#pragma once
// Reads what kind of audio file a path holds (by its content, never by its extension), its tags and its
// technical fields, and hands them to a playlist entry or an information window.
//
// Used on the user-interface thread. Every step opens, reads and closes the file itself; no file stays
// open between calls. Offsets and lengths taken from a file are checked before use, so hostile input
// neither reads out of bounds nor allocates without bound.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class CPlaylistEntry;
class IWmaInfoReader;

// Stream information of an Ogg Vorbis file, as libvorbisfile reports it for the whole stream.
struct VorbisStreamInfo {
    std::int32_t version = 0;
    std::int32_t channels = 0;
    std::int32_t rate = 0;
    std::int32_t bitrateUpper = 0;
    std::int32_t bitrateNominal = 0;
    std::int32_t bitrateLower = 0;
    std::int32_t bitrateWindow = 0;
};

// The STREAMINFO block of a FLAC file.
struct FlacStreamInfo {
    std::uint32_t minBlockSize = 0;
    std::uint32_t maxBlockSize = 0;
    std::uint32_t minFrameSize = 0;
    std::uint32_t maxFrameSize = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t channels = 0;
    std::uint32_t bitsPerSample = 0;
    std::uint64_t totalSamples = 0;
};

class CTrackInfo {
public:
    using OrderTimes = std::array<std::uint16_t, 256>;

    explicit CTrackInfo(std::string path = {});

    // Detects the type, reads the title and tags and computes the length. `wma` may be null; then WMA
    // files are not identified. Returns the type code.
    std::int32_t Read(IWmaInfoReader *wma);

    // A type of 1 to 12 is taken as given without reading; otherwise the type is detected from the
    // content, filling the tags and technical fields of Ogg Vorbis, WMA, FLAC and MPEG on the way.
    std::int32_t DetectType(std::int32_t type);
    // A non-empty `title` is taken as given; otherwise it is read by type and, if empty, taken from the
    // file name (without folder and extension; not for CD tracks).
    void ReadTitle(const std::string &title);
    // A non-zero `seconds` is taken as given; otherwise the length is computed by type. Returns it.
    std::uint32_t ReadLength(std::uint32_t seconds);

    // Reads up to `count` bytes at `offset` into the scratch buffer (see Scratch()) and records the file
    // size. Reads nothing when `offset` lies at or beyond the end. With `takeFullPath`, the path becomes
    // the absolute, lexically normal path of the opened file. Returns the number of bytes read.
    std::size_t ReadBytes(std::size_t count, std::uint64_t offset, bool takeFullPath);
    const std::vector<std::uint8_t> &Scratch() const { return m_scratch; }

    // All texts empty, all numbers 0, order times 0, type 0; the path and the WMA binding stay.
    void Reset();

    void CopyToEntry(CPlaylistEntry &entry) const;
    // Takes back the fields CopyToEntry gives; MPEG, Vorbis and FLAC details and order times stay.
    void CopyFromEntry(CPlaylistEntry entry);

    const std::string &GetPath() const { return m_strPath; }
    void SetPath(const std::string &path) { m_strPath = path; }

    std::int32_t GetType() const { return m_nType; }
    const std::string &GetTitle() const { return m_strTitle; }
    std::uint32_t GetLength() const { return m_nLength; }
    std::int32_t GetChannels() const { return m_nChannels; }
    const std::string &GetArtist() const { return m_strArtist; }
    const std::string &GetAlbum() const { return m_strAlbum; }
    const std::string &GetGenre() const { return m_strGenre; }
    const std::string &GetComment() const { return m_strComment; }
    std::int32_t GetBitrate() const { return m_nBitrate; }
    std::int32_t GetFrequency() const { return m_nFrequency; }
    std::int32_t GetYear() const { return m_nYear; }
    std::uint32_t GetSize() const { return m_nSize; }
    bool GetLoops() const { return m_bLoops; }
    bool IsLoopingModule() const;
    // Start second of each order position of a module; zero for other types.
    const OrderTimes &GetOrderTimes() const { return m_orderTimes; }
    std::int32_t GetMixing() const { return m_nMixing; }
    std::int32_t GetPanning() const { return m_nPanning; }

    void SetArtist(const std::string &artist) { m_strArtist = artist; }
    void SetAlbum(const std::string &album) { m_strAlbum = album; }
    void SetGenre(const std::string &genre) { m_strGenre = genre; }
    void SetBitrate(std::int32_t kbps) { m_nBitrate = kbps; }
    void SetFrequency(std::int32_t hz) { m_nFrequency = hz; }
    void SetYear(std::int32_t year) { m_nYear = year; }
    void SetSize(std::uint32_t bytes) { m_nSize = bytes; }
    void SetLoops(bool loops) { m_bLoops = loops; }
    // 0 is ignored: it means "unknown" and must not wipe a known count.
    void SetChannels(std::int32_t channels);

    // MPEG details for the information window.
    std::uint32_t GetMpegFrames() const { return m_nMpegFrames; }
    std::int32_t GetMpegVersion() const { return m_nMpegVersion; }
    std::int32_t GetMpegLayer() const { return m_nMpegLayer; }
    bool IsVbr() const { return m_nVbr != 0; }
    const std::string &GetChannelMode() const { return m_strChannelMode; }
    bool HasId3v1() const { return m_bHasId3v1 != 0; }
    const VorbisStreamInfo &GetVorbisInfo() const { return m_vorbisInfo; }
    const FlacStreamInfo &GetFlacInfo() const { return m_flacInfo; }

private:
    std::size_t ReadAt(std::uint64_t offset, std::size_t count, std::vector<std::uint8_t> &out,
                       bool takeFullPath);
    std::size_t ReadTail(std::size_t count, std::vector<std::uint8_t> &out);
    bool DetectOggVorbis();
    bool LoadVorbis();
    bool DetectWma();
    bool CouldBeFlac();
    bool DetectFlac();
    void ReadFlacComments();
    bool ScanMpeg();
    void ReadModuleTitle(std::size_t first, std::size_t count, std::size_t minRead);
    void ReadId3v1();
    bool ReadVorbisComments();
    void ReadWavLength();
    void ReadModuleLength();
    void ReadOggLength();
    void TitleFromFileName();

    IWmaInfoReader *m_pWma = nullptr;
    std::string m_strPath;
    OrderTimes m_orderTimes{};
    std::int32_t m_nMixing = 0;
    std::int32_t m_nPanning = 0;
    std::uint32_t m_nMpegFrames = 0;
    std::int32_t m_nMpegVersion = 0;
    std::int32_t m_nMpegLayer = 0;
    std::int32_t m_nVbr = 0;
    std::string m_strChannelMode;
    std::int32_t m_bHasId3v1 = 0;
    std::int32_t m_nType = 0;
    std::string m_strTitle;
    std::uint32_t m_nLength = 0;
    std::int32_t m_nChannels = 0;
    std::string m_strArtist;
    std::string m_strAlbum;
    std::string m_strGenre;
    std::string m_strComment;
    std::int32_t m_nBitrate = 0;
    std::int32_t m_nFrequency = 0;
    std::int32_t m_nYear = 0;
    std::uint32_t m_nSize = 0;
    bool m_bLoops = false;
    VorbisStreamInfo m_vorbisInfo;
    FlacStreamInfo m_flacInfo;
    std::uint64_t m_nFileSize = 0; // the true size; m_nSize saturates at 4 GiB - 1

    // What one libvorbisfile open gave during detection, so that the title and length steps need not
    // open and parse the file again. Valid only for `path` and until the length step is done.
    struct VorbisSnapshot {
        bool valid = false;
        std::string path;
        VorbisStreamInfo info;
        std::vector<std::string> comments; // only those whose keys the reader takes, in file order
        std::uint32_t length = 0;
        std::int32_t bitrate = 0;
    };
    VorbisSnapshot m_vorbis;
    std::vector<std::uint8_t> m_scratch;
};
