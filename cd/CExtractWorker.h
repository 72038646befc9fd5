#pragma once
// Extraction of a disc's checked tracks to WAV files or through an encoder plug-in, on a worker thread
// of its own, reporting through IExtractProgress (the progress dialog, or melvane-cd's standard error).
//
// Start prepares on the caller's thread (output folders, sizes; a failure is reported as a status
// text and nothing starts), then the worker reads each track through a CCdReader of its own in
// 27-sector blocks, writes them (WAV: a 44-byte header first, rewritten with the final size when the
// track ends) or hands them to the encoder's Write, and reports the bytes done. A read that ends more
// than a second short of the track's length, or any failed write, fails the extraction with "Error
// extracting audio"; files finished before stay. Abort lets the read in progress finish, closes the
// output (a partial WAV keeps a correct header) and ends.
//
// Threads: Start, Abort, Wait and the destructor on the owner's thread; every IExtractProgress call
// except those Start makes itself comes from the worker thread. The running flag is the only thing
// the owner changes while the worker runs. The destructor aborts and waits.

#include "cd/CDiscRecord.h"
#include "cd/CEncoderHost.h"
#include "cd/ICdDevice.h"
#include "plugins/include/mv_encoder.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

class IExtractProgress {
public:
    virtual ~IExtractProgress() = default;
    virtual void OnStatus(const std::string &text) = 0;
    // "Cancel" while the worker runs, "Close" after a failure.
    virtual void OnButton(const std::string &text) = 0;
    virtual void OnTrackRange(std::uint32_t bytes) = 0;
    virtual void OnTotalRange(std::uint32_t bytes) = 0;
    virtual void OnProgress(std::uint32_t trackBytes, std::uint32_t totalBytes) = 0;
    // A finished file (the path of the file on disk).
    virtual void OnTrackFinished(const std::string &path) = 0;
    // The worker's last call: `failed` after an error (the dialog stays open), otherwise it closes.
    virtual void OnFinished(bool failed) = 0;
};

class CExtractWorker {
public:
    static constexpr std::uint32_t kBufferBytes = 65536;
    static constexpr std::uint32_t kShortfallBytes = 176400; // one second of CD audio
    static constexpr std::uint32_t kWavHeaderBytes = 44;

    enum class Outcome { kIdle, kRunning, kDone, kAborted, kFailed };

    CExtractWorker(const ICdDeviceOpener &drives, IExtractProgress &progress);
    ~CExtractWorker();
    CExtractWorker(const CExtractWorker &) = delete;
    CExtractWorker &operator=(const CExtractWorker &) = delete;

    // `record` carries the selection (checked flags) and the texts; `baseFolder` is extractdir;
    // `encoder` null writes WAV. False (after the status text) when nothing started.
    bool Start(const CDiscRecord &record, const std::string &baseFolder, const EncoderBinding *encoder);
    // "Aborting audio extraction..." and the running flag cleared; nothing when no worker runs.
    void Abort();
    void Wait();
    bool IsActive() const { return m_bActive.load(); }
    Outcome Result() const { return m_outcome.load(); }
    // The disc folder the files go to (with a trailing '/'), once Start prepared it.
    const std::string &OutputFolder() const { return m_strFolder; }

    // Frames of track `track` as the record gives them; the disc's first track counts from frame 150.
    static std::uint32_t TrackFrames(const CDiscRecord &record, int track);
    // The next checked track with a length after `track`, or 0.
    static int NextTrack(const CDiscRecord &record, int track);
    // The 44-byte header of a PCM WAV file with `dataBytes` of CD audio.
    static void WavHeader(std::uint32_t dataBytes, unsigned char header[kWavHeaderBytes]);

private:
    void Run();
    bool OpenOutput(class CCdReader &reader, int track);
    bool CloseOutput();
    bool WriteBlock(std::uint32_t bytes);
    bool Fail(const char *status);

    const ICdDeviceOpener &m_drives;
    IExtractProgress &m_progress;
    CDiscRecord m_record;
    EncoderBinding m_encoder;
    bool m_bEncoder = false;
    std::string m_strFolder;
    std::string m_strPath;       // the current output file
    int m_fd = -1;               // the WAV file
    bool m_bWriteFailed = false;
    std::uint32_t m_nTrackExpected = 0, m_nTrackDone = 0, m_nTotalExpected = 0, m_nTotalDone = 0;
    std::vector<unsigned char> m_buffer;
    // The encoder's texts for the current track; EncoderTrackInfo points into them until Close.
    std::string m_strAlbum, m_strGenre, m_strYear, m_strArtist, m_strDiscArtist, m_strTitle, m_strComment;
    EncoderTrackInfo m_info{};

    std::atomic<int> m_bRunning{0};
    std::atomic<bool> m_bActive{false};
    std::atomic<Outcome> m_outcome{Outcome::kIdle};
    std::thread m_thread;
};
