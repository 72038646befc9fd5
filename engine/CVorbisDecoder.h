#pragma once
// Ogg Vorbis playback decoder on libvorbisfile: delivers interleaved 16-bit little-endian samples
// (through a fixed 4096-byte block) or 32-bit floats (from the library's own block), left and right
// only.
//
// Threads: Open/Close on whichever thread owns the stream decoder at the time (see CStreamDecoder);
// Read on the audio library's update thread. Read never allocates.

#include <vorbis/vorbisfile.h>

#include <cstdint>
#include <cstdio>
#include <string>

class CVorbisDecoder {
public:
    CVorbisDecoder();
    ~CVorbisDecoder();
    CVorbisDecoder(const CVorbisDecoder &) = delete;
    CVorbisDecoder &operator=(const CVorbisDecoder &) = delete;

    // Opens `path` and, when startSeconds > 0, seeks there. False when the file is not Ogg Vorbis.
    bool Open(const std::string &path, int startSeconds);
    void Close();
    // Fills `buffer` with up to `length` bytes; fewer at the end of the file or on a decoding error.
    std::uint32_t Read(void *buffer, std::uint32_t length, bool floatOutput);

    bool IsOpen() const { return m_bOpen; }
    bool IsSeekable() const { return m_bSeekable; }
    int Rate() const { return m_nRate; }
    int Channels() const { return m_nChannels; }
    const vorbis_info &Info() const { return m_info; }
    const std::string &Path() const { return m_strPath; }

    static constexpr std::uint32_t kPcmBlockBytes = 4096;

private:
    std::uint32_t ReadShort(std::uint8_t *out, std::uint32_t length);
    std::uint32_t ReadFloat(float *out, std::uint32_t length);
    bool SameFormatLink();

    bool m_bOpen = false;
    FILE *m_pFile = nullptr;
    OggVorbis_File m_vf{};
    vorbis_info m_info{};
    int m_nRate = 0;
    int m_nChannels = 0;
    bool m_bSeekable = false;
    std::string m_strPath;
    int m_nBitstream = 0;
    int m_nCheckedBitstream = 0; // link whose format was last found equal to the stream's

    std::uint8_t m_pcm[kPcmBlockBytes];
    std::uint32_t m_nPcmFill = 0;
    std::uint32_t m_nPcmPos = 0;

    float **m_ppFloat = nullptr;
    long m_nFloatCount = 0;
    long m_nFloatPos = 0;
};
