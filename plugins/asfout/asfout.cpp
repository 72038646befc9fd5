// asfout.so: the Windows Media Audio encoder plug-in. Each extracted track becomes a .wma file: FFmpeg's
// ASF muxer with its wmav2 encoder at the bit rate of the chosen profile (setting encoder_wma, 0 to 16,
// default 5), then the attributes Title, Author, WM/AlbumTitle, WM/Genre, WM/Year, Description (each only
// with text), WM/Track (the track number - 1) and WM/TrackNumber (the track number) written with TagLib.
//
// FFmpeg encodes Windows Media Audio at constant bit rates only: the CBR profiles keep their rate, the
// quality (VBR) and lossless profiles use the nearest rate it offers, the one whose packets match the
// profile's block size (docs/extraction.md has the table; the configuration dialog says so too).
//
// Threads: as every encoder plug-in (plugins/include/mv_encoder.h); one file at a time.
#include "plugins/include/mv_encoder.h"
#include "plugins/visuals/common/CVisChoiceDialog.h"
#include "plugins/visuals/common/CVisSettings.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
}

#include <taglib/asffile.h>

#include <string>

#define MV_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr const char *kSetting = "encoder_wma";
constexpr int kDefaultProfile = 5;

struct Profile {
    const char *shown;
    int kbps; // the constant rate FFmpeg encodes it at
};

constexpr Profile kProfiles[17] = {
    {"32 kbps, 44 kHz, stereo CBR", 32},
    {"48 kbps, 44 kHz, stereo CBR", 48},
    {"64 kbps, 44 kHz, stereo CBR", 64},
    {"80 kbps, 44 kHz, stereo CBR", 80},
    {"96 kbps, 44 kHz, stereo CBR", 96},
    {"128 kbps, 44 kHz, stereo CBR", 128},
    {"160 kbps, 44 kHz, stereo CBR", 160},
    {"192 kbps, 44 kHz, stereo CBR", 192},
    {"256 kbps, 44 kHz, stereo CBR", 256},
    {"320 kbps, 44 kHz, stereo CBR", 320},
    {"Quality 10, 44 kHz, stereo VBR", 48},
    {"Quality 25, 44 kHz, stereo VBR", 64},
    {"Quality 50, 44 kHz, stereo VBR", 64},
    {"Quality 75, 44 kHz, stereo VBR", 96},
    {"Quality 90, 44 kHz, stereo VBR", 192},
    {"Quality 98, 44 kHz, stereo VBR", 256},
    {"Quality 100, 44 kHz, stereo VBR (Lossless)", 320},
};

struct Encoding {
    AVFormatContext *format = nullptr;
    AVCodecContext *codec = nullptr;
    AVStream *stream = nullptr;
    AVFrame *frame = nullptr;
    AVPacket *packet = nullptr;
    AVAudioFifo *fifo = nullptr;
    std::int64_t pts = 0;
    bool headerWritten = false;
    bool failed = false;
};

Encoding g;
std::string g_path;
EncoderTrackInfo g_info{};
std::string g_title, g_artist, g_album, g_genre, g_year, g_comment;
float g_left[MV_ENCODER_MAX_WRITE_BYTES / 4], g_right[MV_ENCODER_MAX_WRITE_BYTES / 4];

int StoredProfile()
{
    CVisSettings settings("");
    settings.Load();
    const auto value = settings.Value(kSetting);
    return value && *value <= 16 ? static_cast<int>(*value) : kDefaultProfile;
}

// Sends `frame` (null: the end) and writes every packet the encoder hands back.
bool Encode(AVFrame *frame)
{
    if (avcodec_send_frame(g.codec, frame) < 0)
        return false;
    for (;;) {
        const int result = avcodec_receive_packet(g.codec, g.packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            return true;
        if (result < 0)
            return false;
        av_packet_rescale_ts(g.packet, g.codec->time_base, g.stream->time_base);
        g.packet->stream_index = g.stream->index;
        if (av_interleaved_write_frame(g.format, g.packet) < 0)
            return false;
    }
}

// Encodes whole frames from the queue; with `last`, the rest too, padded with silence.
bool EncodeQueued(bool last)
{
    const int size = g.codec->frame_size;
    while (av_audio_fifo_size(g.fifo) >= size || (last && av_audio_fifo_size(g.fifo) > 0)) {
        if (av_frame_make_writable(g.frame) < 0)
            return false;
        const int n = av_audio_fifo_read(g.fifo, reinterpret_cast<void **>(g.frame->data), size);
        if (n < 0)
            return false;
        for (int ch = 0; ch < 2; ++ch)
            for (int i = n; i < size; ++i)
                reinterpret_cast<float *>(g.frame->data[ch])[i] = 0.0f;
        g.frame->pts = g.pts;
        g.pts += size;
        if (!Encode(g.frame))
            return false;
    }
    return true;
}

void Release()
{
    if (g.format && g.format->pb)
        avio_closep(&g.format->pb);
    avformat_free_context(g.format);
    avcodec_free_context(&g.codec);
    av_frame_free(&g.frame);
    av_packet_free(&g.packet);
    if (g.fifo)
        av_audio_fifo_free(g.fifo);
    g = Encoding();
}

void SetText(TagLib::ASF::Tag &tag, const char *name, const std::string &text)
{
    if (!text.empty())
        tag.setAttribute(name, TagLib::ASF::Attribute(TagLib::String(text, TagLib::String::UTF8)));
}

void WriteAttributes()
{
    TagLib::ASF::File file(g_path.c_str(), false);
    if (!file.isValid() || !file.tag())
        return;
    TagLib::ASF::Tag &tag = *file.tag();
    SetText(tag, "Title", g_title);
    SetText(tag, "Author", g_artist);
    SetText(tag, "WM/AlbumTitle", g_album);
    SetText(tag, "WM/Genre", g_genre);
    SetText(tag, "WM/Year", g_year);
    SetText(tag, "Description", g_comment);
    tag.setAttribute("WM/Track", TagLib::ASF::Attribute(static_cast<unsigned int>(g_info.track - 1)));
    tag.setAttribute("WM/TrackNumber", TagLib::ASF::Attribute(static_cast<unsigned int>(g_info.track)));
    file.save();
}

} // namespace

MV_EXPORT const char *QueryEncoder(void)
{
    return "Windows Media Audio 9";
}

MV_EXPORT void Close(void)
{
    if (!g.format)
        return;
    bool ok = !g.failed && g.headerWritten && EncodeQueued(true) && Encode(nullptr);
    if (g.headerWritten)
        ok = av_write_trailer(g.format) == 0 && ok;
    Release();
    if (ok)
        WriteAttributes();
}

MV_EXPORT const char *Open(const char *path, const EncoderTrackInfo *info, uint32_t)
{
    Close();
    g_path = std::string(path) + ".wma";
    g_info = *info;
    g_title = info->title;
    g_artist = info->artist;
    g_album = info->album;
    g_genre = info->genre;
    g_year = info->year;
    g_comment = info->comment;
    const AVCodec *encoder = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
    if (!encoder || avformat_alloc_output_context2(&g.format, nullptr, "asf", g_path.c_str()) < 0 || !g.format)
        return Release(), nullptr;
    g.stream = avformat_new_stream(g.format, nullptr);
    g.codec = avcodec_alloc_context3(encoder);
    g.frame = av_frame_alloc();
    g.packet = av_packet_alloc();
    if (!g.stream || !g.codec || !g.frame || !g.packet)
        return Release(), nullptr;
    g.codec->sample_fmt = AV_SAMPLE_FMT_FLTP;
    g.codec->sample_rate = 44100;
    av_channel_layout_default(&g.codec->ch_layout, 2);
    g.codec->bit_rate = kProfiles[StoredProfile()].kbps * 1000;
    g.codec->time_base = AVRational{1, 44100};
    if (g.format->oformat->flags & AVFMT_GLOBALHEADER)
        g.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(g.codec, encoder, nullptr) < 0 || avcodec_parameters_from_context(g.stream->codecpar, g.codec) < 0)
        return Release(), nullptr;
    g.stream->time_base = g.codec->time_base;
    g.frame->nb_samples = g.codec->frame_size;
    g.frame->format = AV_SAMPLE_FMT_FLTP;
    av_channel_layout_copy(&g.frame->ch_layout, &g.codec->ch_layout);
    g.fifo = av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, 2, g.codec->frame_size + MV_ENCODER_MAX_WRITE_BYTES / 4);
    if (!g.fifo || av_frame_get_buffer(g.frame, 0) < 0 || avio_open(&g.format->pb, g_path.c_str(), AVIO_FLAG_WRITE) < 0)
        return Release(), nullptr;
    if (avformat_write_header(g.format, nullptr) < 0)
        return Release(), nullptr;
    g.headerWritten = true;
    return g_path.c_str();
}

MV_EXPORT int Write(const void *data, uint32_t bytes)
{
    if (!g.format || g.failed || bytes % 4 != 0 || bytes > MV_ENCODER_MAX_WRITE_BYTES)
        return 0;
    const auto *p = static_cast<const unsigned char *>(data);
    const int frames = static_cast<int>(bytes / 4);
    for (int i = 0; i < frames; ++i) {
        const unsigned char *s = p + 4 * i;
        g_left[i] = static_cast<int16_t>(static_cast<uint16_t>(s[0] | (s[1] << 8))) / 32768.0f;
        g_right[i] = static_cast<int16_t>(static_cast<uint16_t>(s[2] | (s[3] << 8))) / 32768.0f;
    }
    void *planes[2] = {g_left, g_right};
    if (av_audio_fifo_write(g.fifo, planes, frames) < frames || !EncodeQueued(false) || g.format->pb->error < 0) {
        g.failed = true;
        return 0;
    }
    return 1;
}

MV_EXPORT int Configure(void *, uintptr_t parentWindow)
{
    CVisChoiceDialog::Content content;
    content.title = "Windows Media Audio 9 Configuration";
    content.lines = {"Windows Media Audio 9 encoder (FFmpeg, Windows Media Audio 2 at a constant bit rate).",
                     "FFmpeg offers constant bit rates only: each quality and the lossless profile is",
                     "encoded at the nearest rate it offers: Quality 10 at 48 kbps, 25 and 50 at 64,",
                     "75 at 96, 90 at 192, 98 at 256 and Quality 100 (Lossless) at 320 kbps (not lossless)."};
    content.group = "Encoder Settings";
    for (const Profile &profile : kProfiles)
        content.choices.push_back(profile.shown);
    content.chosen = StoredProfile();
    const int chosen = CVisChoiceDialog::Run(parentWindow, content);
    if (chosen >= 0)
        CVisSettings("").Save({{kSetting, static_cast<uint32_t>(chosen)}});
    return 0;
}
