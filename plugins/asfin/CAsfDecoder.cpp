#include "plugins/asfin/CAsfDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>

CAsfDecoder::~CAsfDecoder()
{
    Close();
}

bool CAsfDecoder::Open(const std::string &path, bool forPlayback)
{
    Close();
    // Only the ASF demuxer is tried: anything that is not ASF (an MP3 named .wma, say) fails here.
    const AVInputFormat *asf = av_find_input_format("asf");
    if (!asf || avformat_open_input(&m_format, path.c_str(), asf, nullptr) < 0) {
        m_format = nullptr;
        return false;
    }
    int audio = -1;
    int others = 0;
    for (unsigned i = 0; i < m_format->nb_streams; ++i) {
        const AVStream *st = m_format->streams[i];
        if (st->disposition & AV_DISPOSITION_ATTACHED_PIC)
            continue; // a cover picture is an attribute, not a stream to play
        if (st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && audio < 0)
            audio = static_cast<int>(i);
        else
            ++others;
    }
    if (audio < 0 || others != 0) {
        Close();
        return false;
    }
    const AVCodecParameters *par = m_format->streams[audio]->codecpar;
    const int channels = par->ch_layout.nb_channels;
    if (par->sample_rate <= 0 || channels <= 0 || !avcodec_find_decoder(par->codec_id)) {
        Close();
        return false;
    }
    for (unsigned i = 0; i < m_format->nb_streams; ++i)
        m_format->streams[i]->discard = static_cast<int>(i) == audio ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    m_nStream = audio;
    m_nRate = par->sample_rate;
    m_nChannels = channels > 2 ? 2 : channels;
    m_bSeekable = Duration() > 0 && m_format->pb && (m_format->pb->seekable & AVIO_SEEKABLE_NORMAL);
    if (forPlayback) {
        if (!OpenCodec()) {
            Close();
            return false;
        }
        // Positions count from the first sample the decoder gives, whose time stamp is not always 0
        // (encoders start with a delay); decoding the first frame now fixes that origin for seeks.
        // Its samples are the first ones Read delivers.
        DecodeNext();
    }
    return true;
}

std::int64_t CAsfDecoder::Duration() const
{
    if (m_format->duration > 0)
        return m_format->duration;
    const AVStream *st = m_format->streams[m_nStream];
    return st->duration > 0 ? av_rescale_q(st->duration, st->time_base, AVRational{1, AV_TIME_BASE}) : 0;
}

bool CAsfDecoder::OpenCodec()
{
    const AVCodecParameters *par = m_format->streams[m_nStream]->codecpar;
    const AVCodec *codec = avcodec_find_decoder(par->codec_id);
    m_codec = avcodec_alloc_context3(codec);
    m_packet = av_packet_alloc();
    m_frame = av_frame_alloc();
    if (!m_codec || !m_packet || !m_frame || avcodec_parameters_to_context(m_codec, par) < 0)
        return false;
    m_codec->pkt_timebase = m_format->streams[m_nStream]->time_base;
    return avcodec_open2(m_codec, codec, nullptr) >= 0;
}

void CAsfDecoder::Close()
{
    swr_free(&m_swr);
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
    avcodec_free_context(&m_codec);
    if (m_format)
        avformat_close_input(&m_format);
    m_format = nullptr;
    m_nStream = -1;
    m_nRate = 0;
    m_nChannels = 0;
    m_bSeekable = false;
    m_bDraining = false;
    m_bEnded = false;
    m_nSwrFormat = -1;
    m_nPcmFill = m_nPcmPos = 0;
    m_nSkipTo = -1;
    m_nNextSample = 0;
    m_nOriginPts = AV_NOPTS_VALUE;
}

bool CAsfDecoder::Seek(std::uint32_t seconds)
{
    if (!m_codec)
        return false;
    const AVStream *st = m_format->streams[m_nStream];
    avcodec_flush_buffers(m_codec);
    if (m_swr)
        swr_init(m_swr); // drops what the converter still holds
    m_nPcmFill = m_nPcmPos = 0;
    m_bDraining = false;
    m_bEnded = false;
    m_nSkipTo = static_cast<std::int64_t>(seconds) * m_nRate;
    m_nNextSample = m_nSkipTo;
    if (Duration() > 0 && static_cast<std::int64_t>(seconds) * AV_TIME_BASE >= Duration()) {
        m_bEnded = true; // at or past the end: the stream simply has nothing left
        return true;
    }
    std::int64_t origin = m_nOriginPts;
    if (origin == AV_NOPTS_VALUE)
        origin = st->start_time == AV_NOPTS_VALUE ? 0 : st->start_time;
    // The demuxer lands on an index point, and a decoder needs a packet or two before it gives
    // sound again; starting a second early and dropping samples up to the asked one covers both.
    const std::int64_t ts = origin + av_rescale_q(seconds > 0 ? seconds - 1 : 0, AVRational{1, 1}, st->time_base);
    if (avformat_seek_file(m_format, m_nStream, INT64_MIN, ts, ts, 0) >= 0)
        return true;
    return av_seek_frame(m_format, m_nStream, ts, AVSEEK_FLAG_BACKWARD) >= 0;
}

bool CAsfDecoder::Convert(const AVFrame &frame)
{
    if (!m_swr || m_nSwrFormat != frame.format) {
        swr_free(&m_swr);
        AVChannelLayout in{};
        if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || av_channel_layout_copy(&in, &frame.ch_layout) < 0)
            av_channel_layout_default(&in, frame.ch_layout.nb_channels);
        AVChannelLayout out{};
        av_channel_layout_default(&out, m_nChannels);
        const int ok = swr_alloc_set_opts2(&m_swr, &out, AV_SAMPLE_FMT_S16, m_nRate, &in,
                                           static_cast<AVSampleFormat>(frame.format), frame.sample_rate, 0, nullptr);
        av_channel_layout_uninit(&in);
        av_channel_layout_uninit(&out);
        if (ok < 0 || swr_init(m_swr) < 0) {
            swr_free(&m_swr);
            return false;
        }
        m_nSwrFormat = frame.format;
    }
    const int room = swr_get_out_samples(m_swr, frame.nb_samples);
    if (room <= 0)
        return false;
    const std::size_t bytes = static_cast<std::size_t>(room) * static_cast<std::size_t>(m_nChannels) * 2;
    if (m_pcm.size() < bytes)
        m_pcm.resize(bytes);
    std::uint8_t *out = m_pcm.data();
    const int n = swr_convert(m_swr, &out, room, const_cast<const std::uint8_t **>(frame.extended_data), frame.nb_samples);
    if (n < 0)
        return false;
    m_nPcmFill = static_cast<std::size_t>(n) * static_cast<std::size_t>(m_nChannels) * 2;
    m_nPcmPos = 0;
    return true;
}

bool CAsfDecoder::DecodeNext()
{
    if (!m_codec || m_bEnded)
        return false;
    const AVStream *st = m_format->streams[m_nStream];
    for (;;) {
        int ret = avcodec_receive_frame(m_codec, m_frame);
        if (ret == 0) {
            const std::int64_t count = m_frame->nb_samples;
            std::int64_t at = m_nNextSample;
            if (m_frame->best_effort_timestamp != AV_NOPTS_VALUE) {
                if (m_nOriginPts == AV_NOPTS_VALUE)
                    m_nOriginPts = m_frame->best_effort_timestamp;
                at = av_rescale_q(m_frame->best_effort_timestamp - m_nOriginPts, st->time_base, AVRational{1, m_nRate});
            }
            m_nNextSample = at + count;
            std::int64_t drop = 0;
            if (m_nSkipTo >= 0) {
                drop = std::clamp<std::int64_t>(m_nSkipTo - at, 0, count);
                if (drop < count)
                    m_nSkipTo = -1;
            }
            const bool converted = drop < count && count > 0 && m_frame->sample_rate > 0 &&
                                   m_frame->ch_layout.nb_channels > 0 && Convert(*m_frame);
            av_frame_unref(m_frame);
            if (!converted)
                continue;
            m_nPcmPos = std::min(m_nPcmFill, static_cast<std::size_t>(drop) * static_cast<std::size_t>(m_nChannels) * 2);
            if (m_nPcmPos < m_nPcmFill)
                return true;
            continue;
        }
        if (ret != AVERROR(EAGAIN) || m_bDraining) {
            m_bEnded = true;
            return false;
        }
        ret = av_read_frame(m_format, m_packet);
        if (ret < 0) {
            m_bDraining = true;
            avcodec_send_packet(m_codec, nullptr);
            continue;
        }
        if (m_packet->stream_index == m_nStream)
            avcodec_send_packet(m_codec, m_packet); // a damaged packet is skipped; decoding goes on
        av_packet_unref(m_packet);
    }
}

std::uint32_t CAsfDecoder::Read(void *buffer, std::uint32_t length)
{
    auto *out = static_cast<std::uint8_t *>(buffer);
    std::uint32_t written = 0;
    while (written < length) {
        if (m_nPcmPos >= m_nPcmFill && !DecodeNext())
            break;
        const std::size_t n = std::min<std::size_t>(length - written, m_nPcmFill - m_nPcmPos);
        std::memcpy(out + written, m_pcm.data() + m_nPcmPos, n);
        m_nPcmPos += n;
        written += static_cast<std::uint32_t>(n);
    }
    return written;
}
