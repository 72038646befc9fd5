#pragma once
// The decoder behind every user stream of the audio library: Ogg Vorbis (type 9), Windows Media
// (10, through the mv_asfin plug-in), FLAC (11) and audio CD tracks (12). It opens an entry with the
// matching sub-decoder, delivers 16-bit or float samples to the stream procedure, seeks by reopening
// at a start second, and changes over to the next Ogg Vorbis or FLAC file of the same format (or the
// next CD track) without a gap when the playing one ends.
//
// Threads:
// - Fill (through StreamProc) runs on the audio library's update thread.
// - LoadWmaPlugin, FreeWmaPlugin, Open, Close and CreateDecodedStream run on the user-interface
//   thread, and only while no stream reads from this decoder: the engine stops and frees the stream
//   before it closes or reopens. The one exception is the change-over inside Fill, which opens and
//   closes sub-decoders on the update thread.
// - A change-over report is written by Fill and taken by the user-interface thread's tick; the
//   playback serial is counted by the user-interface thread. m_bFloatOutput and m_bStopAfterEntry are set by the user-interface thread at any time.
// No lock is taken and Fill allocates nothing (a change-over opens a file, which the codec libraries
// allocate for, once per track).

#include "engine/CFlacDecoder.h"
#include "engine/CVorbisDecoder.h"
#include "engine/CWmaBinding.h"
#include "core/CPlaylistEntry.h"
#include "platform/bass/bass.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

class IGaplessPlaylist;
class ICdTrackSource;

class CStreamDecoder {
public:
    using StreamCreateFn = HSTREAM (*)(DWORD freq, DWORD flags, STREAMPROC *proc, void *user);

    // `playlist` decides gapless change-overs (may be null: no change-over); `cd` plays CD tracks
    // (may be null: CD tracks fail to open); `createStream` makes the user stream (BASS_StreamCreate
    // when null).
    CStreamDecoder(IGaplessPlaylist *playlist, ICdTrackSource *cd, StreamCreateFn createStream = nullptr);
    ~CStreamDecoder();
    CStreamDecoder(const CStreamDecoder &) = delete;
    CStreamDecoder &operator=(const CStreamDecoder &) = delete;

    // Loads mv_asfin.so (program folder first, then the search path). False when it is missing or
    // incomplete; Windows Media files are then not identified.
    bool LoadWmaPlugin(const std::string &programFolder);
    // The plug-in is loaded the first time a Windows Media file needs it; true when it is there.
    bool OfferWmaPlugin(const std::string &programFolder) { return m_wma.LoadOnDemand(programFolder); }
    void FreeWmaPlugin();
    CWmaBinding &WmaBinding() { return m_wma; }

    // Closes whatever is open, then opens `path` as `type` at `startSeconds`. For a CD track `path`
    // is the track number as decimal text and `driveLetter` names the drive (0: the one on show).
    // Returns `type`, or 0 on failure.
    int Open(const std::string &path, int type, int startSeconds, char driveLetter);
    void Close();
    // Fills `buffer` with up to `length` bytes of the open stream, changing over to the next file
    // when the playing one ends. Fewer bytes than asked: the stream has ended.
    std::uint32_t Fill(void *buffer, std::uint32_t length);
    // The STREAMPROC; `user` is the decoder.
    static DWORD StreamProc(HSTREAM handle, void *buffer, DWORD length, void *user);

    // Opens the entry at `startSeconds` and creates its user stream: float when m_bFloatOutput,
    // mono for one channel. 0 when the file does not open or its format cannot be played
    // (Ogg Vorbis rate outside 101..99999 Hz, anything but one or two channels).
    HSTREAM CreateDecodedStream(const CPlaylistEntry &entry, int startSeconds, char driveLetter = 0);
    // The rate of the stream made by the last successful CreateDecodedStream (for the visual host).
    int StreamRate() const { return m_nStreamRate; }

    // Whether the engine may seek the playing entry (by reopening it at a new start). Type and
    // CanSeek may be read on the user-interface thread while a change-over on the update thread
    // opens the next file: they are published together by Open.
    bool CanSeek() const { return m_bSeekable.load(std::memory_order_acquire); }
    int Type() const { return m_nType.load(std::memory_order_acquire); }
    const std::string &Path() const { return m_strPath; }
    // Rate and channels of the open sub-decoder (0 when none).
    int Rate() const;
    int Channels() const;

    // Called with the path each time an Ogg Vorbis, FLAC or Windows Media file is closed, after the
    // decoder released it, so that tag changes kept back while it played can be written. It may run on
    // the update thread (a change-over closes the ended file there), so it must neither allocate, lock
    // nor write there, only hand the work on.
    std::function<void(const std::string &path)> m_onFileClosed;

    std::atomic<int> m_bFloatOutput{0};
    std::atomic<int> m_bStopAfterEntry{0};
    // The engine numbers each playback (a new stream, a stop, a seek). A change-over reports the row
    // (playlist) or track number (CD) it continued with, the stream byte at which that file begins and
    // the serial its Fill began under, so that the engine takes it over when that byte is heard, and
    // never for a playback that has since ended.
    std::atomic<std::uint32_t> m_nPlayback{0};
    void NewPlayback() { m_nPlayback.fetch_add(1, std::memory_order_acq_rel); }
    // A CD change-over reports the drive letter with the track: kCdReport | letter << 8 | track.
    static constexpr int kCdReport = 0x40000000;
    static constexpr int CdReport(char letter, int track) { return kCdReport | (static_cast<unsigned char>(letter) << 8) | (track & 0xFF); }
    static constexpr bool IsCdReport(int report) { return report >= 0 && (report & kCdReport) != 0; }
    static constexpr char ReportDrive(int report) { return static_cast<char>((report >> 8) & 0xFF); }
    static constexpr int ReportTrack(int report) { return report & 0xFF; }
    // The oldest change-over of the present playback whose first byte lies at or before `heardBytes`
    // (the stream's heard position in bytes), used up: its row (or CD report), and the stream byte at
    // which its file begins in `startByte`. Reports of ended playbacks are dropped on the way. -1 when
    // none is due.
    int TakeHeardChange(std::uint64_t heardBytes, std::uint64_t &startByte);
    // The next change-over whatever has been heard.
    int TakeChangedRow();
    // The row of the oldest report not yet taken (whatever its playback), -1 when none.
    int ReportedRow() const;
    // Whether a change-over waits to be heard.
    bool ChangePending() const;
    std::uint32_t m_nDelivered = 0;  // bytes produced by the last Fill
    int m_nSavedRate = 0;            // format of the file that ended, during a change-over
    int m_nSavedChannels = 0;

private:
    struct ChangeReport {
        std::uint32_t playback = 0;
        int row = -1;
        std::uint64_t startByte = 0;
    };
    // Filled by the update thread, emptied by the user-interface thread: a report slot is written
    // only while it is free (m_nReportsTaken has passed it) and read only once m_nReportsMade has.
    static constexpr std::uint32_t kReportSlots = 8;
    std::array<ChangeReport, kReportSlots> m_reports{};
    std::atomic<std::uint32_t> m_nReportsMade{0};
    std::atomic<std::uint32_t> m_nReportsTaken{0};
    std::uint32_t m_nFillPlayback = 0; // update thread: the serial the running Fill began under
    std::uint64_t m_nStreamBytes = 0;  // update thread: bytes delivered to the present stream
    // Update thread: the playing file ended with nothing after it in the playlist yet, so the stream
    // waits (a file added before the audio runs out still follows without a gap).
    bool m_bNoNextYet = false;
    bool m_bWaitingForNext = false;
    void ReportChange(int row, std::uint64_t startByte);

    std::uint32_t ReadOpen(void *buffer, std::uint32_t length);
    bool ChangeOverAllowed();
    // Opens what follows the ended file; true when it continues the same stream.
    bool ChangeOver(std::uint64_t startByte);

    IGaplessPlaylist *m_pPlaylist;
    ICdTrackSource *m_pCd;
    StreamCreateFn m_pCreateStream;

    bool SubDecoderCanSeek() const;

    std::atomic<int> m_nType{0};
    std::atomic<bool> m_bSeekable{false};
    std::string m_strPath;
    int m_nStreamRate = 0;

    CVorbisDecoder m_vorbis;
    CFlacDecoder m_flac;
    CWmaBinding m_wma;

    CPlaylistEntry m_nextEntry; // reused by change-overs so that copying an entry keeps its capacity
    char m_cdTrackText[16] = {};
};
