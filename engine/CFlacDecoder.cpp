#include "engine/CFlacDecoder.h"

#include <algorithm>

CFlacDecoder::CFlacDecoder()
{
    m_pDecoder = FLAC__stream_decoder_new();
    m_strPath.reserve(4096); // a gapless change-over assigns the next path on the audio thread
}

CFlacDecoder::~CFlacDecoder()
{
    Close();
    if (m_pDecoder)
        FLAC__stream_decoder_delete(m_pDecoder);
}

bool CFlacDecoder::Open(const std::string &path, int startSeconds)
{
    Close();
    if (!m_pDecoder)
        return false;
    FLAC__stream_decoder_set_metadata_ignore_all(m_pDecoder);
    FLAC__stream_decoder_set_metadata_respond(m_pDecoder, FLAC__METADATA_TYPE_STREAMINFO);
    if (FLAC__stream_decoder_init_file(m_pDecoder, path.c_str(), &CFlacDecoder::WriteCallback,
                                       &CFlacDecoder::MetadataCallback, &CFlacDecoder::ErrorCallback,
                                       this) != FLAC__STREAM_DECODER_INIT_STATUS_OK) {
        FLAC__stream_decoder_finish(m_pDecoder);
        return false;
    }
    m_bOpen = true;
    m_strPath = path;
    // Damage before the first frame (the stream information itself) refuses the file.
    if (!FLAC__stream_decoder_process_until_end_of_metadata(m_pDecoder) || m_bError || m_nDamagedFrames != 0) {
        Close();
        return false;
    }
    // The raw channel count is checked here: a six-channel file must be refused, not played as its
    // first two channels.
    if (m_nRate == 0 || (m_nBits != 8 && m_nBits != 16 && m_nBits != 24) || m_nChannels < 1 || m_nChannels > 2) {
        Close();
        return false;
    }
    if (startSeconds > 0) {
        const FLAC__uint64 target = static_cast<FLAC__uint64>(startSeconds) * static_cast<FLAC__uint64>(m_nRate);
        if (!FLAC__stream_decoder_seek_absolute(m_pDecoder, target)) {
            Close();
            return false;
        }
    }
    // A seek already delivers the frame that holds the target sample, starting at that sample;
    // decoding another frame on top would drop it.
    if (m_nFill == 0 && !NextFrame()) {
        Close();
        return false;
    }
    return true;
}

void CFlacDecoder::Close()
{
    if (m_bOpen && m_pDecoder)
        FLAC__stream_decoder_finish(m_pDecoder);
    m_bOpen = false;
    m_nRate = m_nChannels = m_nBits = 0;
    m_bError = false;
    m_nDamagedFrames = 0;
    m_strPath.clear();
    m_nFill = m_nPos = 0;
}

bool CFlacDecoder::NextFrame()
{
    m_nFill = m_nPos = 0;
    if (m_bError)
        return false;
    // A damaged frame is reported to the error callback and then either written as silence (bad
    // checksum) or skipped to the next frame header (lost sync): playback continues after it. A step
    // that decodes no frame is followed by another, a bounded number of times.
    for (int step = 0; step < kMaxEmptySteps; ++step) {
        const bool ok = FLAC__stream_decoder_process_single(m_pDecoder);
        const FLAC__StreamDecoderState state = FLAC__stream_decoder_get_state(m_pDecoder);
        if (!ok || m_bError || state > FLAC__STREAM_DECODER_END_OF_STREAM) {
            m_bError = true;
            m_nFill = 0;
            return false;
        }
        if (m_nFill > 0)
            return true;
        if (state == FLAC__STREAM_DECODER_END_OF_STREAM)
            return false;
    }
    return false;
}

std::uint32_t CFlacDecoder::Read(void *buffer, std::uint32_t length, bool floatOutput)
{
    if (!m_bOpen)
        return 0;
    const std::uint32_t wanted = length / (floatOutput ? 4u : 2u);
    std::uint32_t written = 0;
    float *outFloat = static_cast<float *>(buffer);
    std::int16_t *outShort = static_cast<std::int16_t *>(buffer);
    const float scale = m_nBits == 8 ? 1.0f / 128.0f : m_nBits == 24 ? 1.0f / 8388608.0f : 1.0f / 32768.0f;
    while (written < wanted) {
        if (m_nPos >= m_nFill && !NextFrame())
            break;
        const std::uint32_t n = std::min(wanted - written, m_nFill - m_nPos);
        const FLAC__int32 *in = m_buffer + m_nPos;
        if (floatOutput) {
            for (std::uint32_t i = 0; i < n; ++i)
                outFloat[written + i] = static_cast<float>(in[i]) * scale;
        } else if (m_nBits == 24) {
            for (std::uint32_t i = 0; i < n; ++i)
                outShort[written + i] = static_cast<std::int16_t>(in[i] >> 8);
        } else if (m_nBits == 8) {
            for (std::uint32_t i = 0; i < n; ++i)
                outShort[written + i] = static_cast<std::int16_t>(static_cast<std::uint32_t>(in[i]) << 8);
        } else {
            for (std::uint32_t i = 0; i < n; ++i)
                outShort[written + i] = static_cast<std::int16_t>(in[i]);
        }
        written += n;
        m_nPos += n;
    }
    return written * (floatOutput ? 4u : 2u);
}

FLAC__StreamDecoderWriteStatus CFlacDecoder::WriteCallback(const FLAC__StreamDecoder *, const FLAC__Frame *frame,
                                                           const FLAC__int32 *const buffer[], void *client)
{
    auto *self = static_cast<CFlacDecoder *>(client);
    const std::uint32_t channels = static_cast<std::uint32_t>(std::min<int>(self->m_nChannels, 2));
    // A frame whose layout disagrees with the stream information cannot be interleaved safely.
    if (channels == 0 || frame->header.channels < channels) {
        self->m_bError = true;
        self->m_nFill = 0;
        return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
    }
    // One decoding step may write more than one frame (libFLAC writes silence for a damaged or lost
    // frame, then the next frame): each is added to what the step wrote.
    FLAC__int32 *out = self->m_buffer + self->m_nFill;
    const std::uint32_t room = (kBufferValues - self->m_nFill) / channels;
    const std::uint32_t frames = std::min(frame->header.blocksize, room);
    for (std::uint32_t i = 0; i < frames; ++i)
        for (std::uint32_t c = 0; c < channels; ++c)
            *out++ = buffer[c][i];
    self->m_nFill = static_cast<std::uint32_t>(out - self->m_buffer);
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void CFlacDecoder::MetadataCallback(const FLAC__StreamDecoder *, const FLAC__StreamMetadata *metadata, void *client)
{
    auto *self = static_cast<CFlacDecoder *>(client);
    if (metadata->type != FLAC__METADATA_TYPE_STREAMINFO)
        return;
    self->m_nChannels = static_cast<int>(metadata->data.stream_info.channels);
    self->m_nRate = static_cast<int>(metadata->data.stream_info.sample_rate);
    self->m_nBits = static_cast<int>(metadata->data.stream_info.bits_per_sample);
}

void CFlacDecoder::ErrorCallback(const FLAC__StreamDecoder *, FLAC__StreamDecoderErrorStatus, void *client)
{
    ++static_cast<CFlacDecoder *>(client)->m_nDamagedFrames;
}
