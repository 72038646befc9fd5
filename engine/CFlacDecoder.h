#pragma once
// FLAC playback decoder on libFLAC's stream decoder reading a file. Accepts 8-, 16- and 24-bit
// files with one or two channels. Delivers 16-bit samples (24-bit shifted right by 8, 8-bit shifted
// left by 8) or floats scaled to +-1.0.
//
// Threads: Open/Close on whichever thread owns the stream decoder at the time (see CStreamDecoder);
// Read on the audio library's update thread. Read never allocates: decoded frames go to a fixed
// buffer of 262140 values, enough for the largest frame (65535 samples) of two channels twice over.

#include <FLAC/stream_decoder.h>

#include <cstdint>
#include <string>

class CFlacDecoder {
public:
    CFlacDecoder();
    ~CFlacDecoder();
    CFlacDecoder(const CFlacDecoder &) = delete;
    CFlacDecoder &operator=(const CFlacDecoder &) = delete;

    // Opens `path`, seeks to startSeconds x rate when startSeconds > 0, and decodes the first frame.
    // False for a file that is not FLAC, has another sample width or more than two channels, or
    // cannot be positioned there.
    bool Open(const std::string &path, int startSeconds);
    void Close();
    // Fills `buffer` with up to `length` bytes; fewer at the end of the file or when the decoder fails.
    // A damaged frame does not end delivery: it comes as silence and the next follows.
    std::uint32_t Read(void *buffer, std::uint32_t length, bool floatOutput);

    bool IsOpen() const { return m_bOpen; }
    int Rate() const { return m_nRate; }
    int Channels() const { return m_nChannels; }
    int BitsPerSample() const { return m_nBits; }
    const std::string &Path() const { return m_strPath; }
    int DamagedFrames() const { return m_nDamagedFrames; }

    static constexpr std::uint32_t kBufferValues = 262140;
    // Decoding steps in a row that may yield no frame (lost sync, metadata) before delivery ends.
    static constexpr int kMaxEmptySteps = 64;

private:
    static FLAC__StreamDecoderWriteStatus WriteCallback(const FLAC__StreamDecoder *, const FLAC__Frame *frame,
                                                        const FLAC__int32 *const buffer[], void *client);
    static void MetadataCallback(const FLAC__StreamDecoder *, const FLAC__StreamMetadata *metadata, void *client);
    static void ErrorCallback(const FLAC__StreamDecoder *, FLAC__StreamDecoderErrorStatus, void *client);
    // Decodes the next frame into the buffer; false when nothing more comes.
    bool NextFrame();

    FLAC__StreamDecoder *m_pDecoder = nullptr; // made once, reused for every file
    bool m_bOpen = false;
    int m_nRate = 0;
    int m_nChannels = 0;       // channels the stream has (a file with more is refused)
    int m_nBits = 0;
    bool m_bError = false;     // the decoder failed (not a damaged frame): delivery ends
    int m_nDamagedFrames = 0;  // damaged frames met since Open (each delivered as silence)
    std::string m_strPath;

    FLAC__int32 m_buffer[kBufferValues];
    std::uint32_t m_nFill = 0;
    std::uint32_t m_nPos = 0;
};
