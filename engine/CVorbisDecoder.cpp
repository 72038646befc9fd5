#include "engine/CVorbisDecoder.h"

#include <algorithm>
#include <cstring>

CVorbisDecoder::CVorbisDecoder()
{
    m_strPath.reserve(4096); // a gapless change-over assigns the next path on the audio thread
}

CVorbisDecoder::~CVorbisDecoder()
{
    Close();
}

bool CVorbisDecoder::Open(const std::string &path, int startSeconds)
{
    Close();
    m_pFile = std::fopen(path.c_str(), "rb");
    if (!m_pFile)
        return false;
    // On success the OggVorbis_File owns the FILE and ov_clear closes it.
    if (ov_open(m_pFile, &m_vf, nullptr, 0) != 0) {
        std::fclose(m_pFile);
        m_pFile = nullptr;
        return false;
    }
    const vorbis_info *info = ov_info(&m_vf, -1);
    if (!info) {
        ov_clear(&m_vf);
        m_pFile = nullptr;
        return false;
    }
    m_info = *info;
    m_nChannels = info->channels;
    m_nRate = static_cast<int>(info->rate);
    m_bSeekable = ov_seekable(&m_vf) != 0;
    m_bOpen = true;
    m_strPath = path;
    m_nPcmFill = m_nPcmPos = 0;
    m_ppFloat = nullptr;
    m_nFloatCount = m_nFloatPos = 0;
    m_nBitstream = 0;
    m_nCheckedBitstream = -1;
    if (startSeconds > 0 && ov_time_seek(&m_vf, static_cast<double>(startSeconds)) != 0) {
        Close();
        return false;
    }
    return true;
}

void CVorbisDecoder::Close()
{
    if (m_bOpen)
        ov_clear(&m_vf);
    m_bOpen = false;
    m_pFile = nullptr;
    m_info = vorbis_info{};
    m_nRate = m_nChannels = 0;
    m_bSeekable = false;
    m_strPath.clear();
    m_nPcmFill = m_nPcmPos = 0;
    m_ppFloat = nullptr;
    m_nFloatCount = m_nFloatPos = 0;
}

std::uint32_t CVorbisDecoder::Read(void *buffer, std::uint32_t length, bool floatOutput)
{
    if (!m_bOpen)
        return 0;
    return floatOutput ? ReadFloat(static_cast<float *>(buffer), length)
                       : ReadShort(static_cast<std::uint8_t *>(buffer), length);
}

std::uint32_t CVorbisDecoder::ReadShort(std::uint8_t *out, std::uint32_t length)
{
    std::uint32_t written = 0;
    while (written < length) {
        if (m_nPcmPos >= m_nPcmFill) {
            long got = ov_read(&m_vf, reinterpret_cast<char *>(m_pcm), static_cast<int>(kPcmBlockBytes),
                               0 /* little-endian */, 2 /* 16-bit */, 1 /* signed */, &m_nBitstream);
            m_nPcmPos = m_nPcmFill = 0;
            if (got <= 0 || !SameFormatLink())
                break; // end of file, a hole/corruption, or a chained link in another format
            m_nPcmFill = static_cast<std::uint32_t>(got);
        }
        std::uint32_t n = std::min(length - written, m_nPcmFill - m_nPcmPos);
        std::memcpy(out + written, m_pcm + m_nPcmPos, n);
        written += n;
        m_nPcmPos += n;
    }
    return written;
}

std::uint32_t CVorbisDecoder::ReadFloat(float *out, std::uint32_t length)
{
    const std::uint32_t wanted = length / 4;
    const bool stereo = m_nChannels > 1;
    const std::uint32_t frameValues = stereo ? 2 : 1;
    std::uint32_t written = 0;
    while (written + frameValues <= wanted) {
        if (m_nFloatPos >= m_nFloatCount) {
            long got = ov_read_float(&m_vf, &m_ppFloat, 1024, &m_nBitstream);
            m_nFloatPos = m_nFloatCount = 0;
            if (got <= 0 || !SameFormatLink())
                break;
            m_nFloatCount = got;
        }
        out[written++] = m_ppFloat[0][m_nFloatPos];
        if (stereo)
            out[written++] = m_ppFloat[1][m_nFloatPos];
        ++m_nFloatPos;
    }
    return written * 4;
}

bool CVorbisDecoder::SameFormatLink()
{
    // A chained file may switch to a link with other channels or rate; reading its blocks with the
    // stream's format would index missing channels, so delivery ends there instead.
    if (m_nBitstream == m_nCheckedBitstream)
        return true;
    const vorbis_info *info = ov_info(&m_vf, m_nBitstream);
    if (!info || info->channels != m_nChannels || info->rate != m_nRate)
        return false;
    m_nCheckedBitstream = m_nBitstream;
    return true;
}
