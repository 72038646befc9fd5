#pragma once
// The audio of an ASF file decoded with FFmpeg (its ASF demuxer and whatever audio decoder the
// stream needs: WMA 1, 2, Pro, Lossless, Voice, ...) into interleaved signed 16-bit samples at the
// file's own rate; more than two channels are folded down to stereo.
//
// Only ASF is accepted, and only a file whose one stream is audio (cover pictures aside): a file
// with video, with several audio streams or without audio is refused.
//
// Threads: Open, Close and Seek on one thread; Read on another, never at the same time.

#include <cstdint>
#include <string>
#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

class CAsfDecoder {
public:
    CAsfDecoder() = default;
    ~CAsfDecoder();
    CAsfDecoder(const CAsfDecoder &) = delete;
    CAsfDecoder &operator=(const CAsfDecoder &) = delete;

    // Reads the header and checks the streams. With `forPlayback` the decoder is opened as well.
    bool Open(const std::string &path, bool forPlayback);
    void Close();
    bool IsOpen() const { return m_format != nullptr; }

    // Places the next Read at `seconds` from the start (exact to the sample where the file's time
    // stamps allow). False when the file cannot be positioned there.
    bool Seek(std::uint32_t seconds);
    // Up to `length` bytes of PCM; fewer only at the end of the stream (or of what can be decoded).
    std::uint32_t Read(void *buffer, std::uint32_t length);

    int Rate() const { return m_nRate; }
    int Channels() const { return m_nChannels; } // what Read delivers: 1 or 2
    bool Seekable() const { return m_bSeekable; }

private:
    bool OpenCodec();
    std::int64_t Duration() const; // microseconds, 0 when unknown
    bool Convert(const AVFrame &frame);
    // Decodes the next frame into the converted buffer; false at the end.
    bool DecodeNext();

    AVFormatContext *m_format = nullptr;
    AVCodecContext *m_codec = nullptr;
    SwrContext *m_swr = nullptr;
    AVPacket *m_packet = nullptr;
    AVFrame *m_frame = nullptr;
    int m_nStream = -1;
    int m_nRate = 0;
    int m_nChannels = 0;
    bool m_bSeekable = false;
    bool m_bDraining = false;
    bool m_bEnded = false;
    int m_nSwrFormat = -1; // the input sample format the converter was made for
    std::vector<std::uint8_t> m_pcm; // converted samples of the current frame
    std::size_t m_nPcmFill = 0;
    std::size_t m_nPcmPos = 0;
    std::int64_t m_nSkipTo = -1;     // after a seek: the first sample position to deliver
    std::int64_t m_nNextSample = 0;  // sample position of the next decoded frame when it has no time
    std::int64_t m_nOriginPts = INT64_MIN; // time stamp of the first decoded sample (AV_NOPTS_VALUE)
};
