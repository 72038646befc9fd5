#pragma once
// One open CD drive (or CD image) and its reader thread.
//
// Device half: OpenDrive reads the TOC; OpenTrack positions at a track for synchronous reading with
// ReadSectors (extraction). Streaming half: Start opens a track at an offset and starts a reader
// thread that fills three 2-second buffers ahead of playback; Read hands their PCM (44,100 Hz, 16-bit
// stereo little-endian, or 32-bit float when asked) to the audio library's stream callback.
//
// Threads:
// - OpenDrive, OpenTrack, ReadSectors, the Get functions, Start, SetPriority and Close: the owner's
//   thread (the UI thread for playback, the extraction worker for extraction). Start may also run on
//   the audio library's update thread during a gapless change-over, while nothing calls Read.
// - Read: one consumer thread at a time (the stream callback), never at the same time as Start or Close.
// - The reader thread writes the buffer it fills and its byte count; Read never touches that buffer
//   (it waits for the data-ready event); the reader never fills the buffer Read holds (it sleeps
//   100 ms instead); the running flag is the only stop request. No locks on the data path, and no
//   allocation after the first Start.
// - A reader thread that does not stop within 2 seconds of Close (a drive hung in a read) is left to
//   finish on its own: it keeps its buffers and device alive until then, and the next Start gets new
//   ones.

#include "cd/CCdToc.h"
#include "cd/ICdDevice.h"

#include <cstdint>
#include <memory>
#include <thread>

class CCdReader {
public:
    static constexpr std::uint32_t kSectorBytes = ICdDevice::kSectorBytes;
    static constexpr std::uint32_t kBufferSectors = 150;                       // two seconds
    static constexpr std::uint32_t kBufferBytes = kBufferSectors * kSectorBytes; // 352,800
    static constexpr std::uint32_t kRunSectors = 25;    // sectors per raw read of the reader thread
    static constexpr int kStartWaitMs = 5000;
    static constexpr int kReadWaitMs = 2000;
    static constexpr int kCloseWaitMs = 2000;

    explicit CCdReader(const ICdDeviceOpener &drives);
    ~CCdReader();
    CCdReader(const CCdReader &) = delete;
    CCdReader &operator=(const CCdReader &) = delete;

    // Opens drive `letter` and reads its TOC. Closes first; false leaves nothing open.
    bool OpenDrive(char letter);
    int GetFirstTrack() const { return m_toc.FirstTrack; }
    int GetTrackCount() const { return m_toc.GetTrackCount(); }
    // Frames; 0 outside FirstTrack..LastTrack and for tracks that are not audio.
    std::uint32_t GetTrackLength(int track) const { return m_toc.GetTrackLength(track); }
    // MSF address in frames of TOC entry `index` (the lead-out at index = track count).
    std::uint32_t GetEntryAddress(int index) const { return m_toc.GetEntryAddress(index); }
    std::uint32_t GetDiscId() const { return m_toc.ComputeDiscId(); }
    const CCdToc &Toc() const { return m_toc; }

    // Reopens drive `letter` and sets the sector range of `track` for ReadSectors. False for a drive
    // that cannot be opened or a track that is not on the disc or not audio.
    bool OpenTrack(char letter, int track);
    // Reads whole sectors into `buffer` (at most `bytes` / 2352 of them, never past the track) and
    // returns the bytes read, a multiple of 2352; 0 at the end of the track or when even one sector
    // cannot be read. A failing request is retried at once with one sector fewer.
    std::uint32_t ReadSectors(void *buffer, std::uint32_t bytes);

    // Stops the reader thread and closes the device; the buffers are kept for the next Start.
    void Close();

    // Opens `track` of drive `letter` at `offsetSeconds`, starts the reader thread and returns once
    // the first buffer is full. False (with the reader closed) when the drive or track cannot be
    // read, or no data came within 5 seconds.
    bool Start(char letter, int track, int offsetSeconds, bool floatOutput);
    // Copies up to `bytes` bytes (16-bit samples, or floats when started so; then 4 output bytes for
    // every 2 read) and returns how many. Fewer only at the end of the track or after a 2-second stall.
    std::uint32_t Read(void *destination, std::uint32_t bytes);
    // Stores the `cdpriority` index (1..6) and applies it to a running reader thread at once.
    void SetPriority(int index);

    // The open drive's letter (0 when closed) and the streaming track's TOC position plus one.
    char GetDrive() const { return m_cDrive; }
    int GetTrackPosition() const { return m_nTrackPosition; }
    bool IsFloatOutput() const { return m_bFloat; }

private:
    struct Stream;
    static void ThreadMain(std::shared_ptr<Stream> stream);
    void StopThread();

    const ICdDeviceOpener &m_drives;
    std::shared_ptr<ICdDevice> m_pDevice;
    CCdToc m_toc;
    char m_cDrive = 0;
    int m_nTrackPosition = 0;
    std::int32_t m_nSector = 0;    // next sector ReadSectors reads
    std::int32_t m_nEndSector = 0; // first sector past the track

    std::shared_ptr<Stream> m_pStream; // buffers and hand-over state shared with the reader thread
    std::thread m_thread;
    int m_nPriority = 4;
    bool m_bFloat = false;
    // Consumer state (the Read thread only).
    std::uint32_t m_nReadPos = 0;
    std::uint32_t m_nCurrentCount = 0;
    bool m_bEnded = false;   // reached a buffer with 0 bytes
};
