// oggout.so: the Ogg Vorbis encoder plug-in. Each extracted track becomes an Ogg Vorbis file
// (libvorbisenc in quality mode, the quality from the setting encoder_ogg, 0 to 10, default 5) with the
// comments TITLE, ARTIST, ALBUM, GENRE, DATE, TRACKNUMBER, COMMENT, each only when it has text
// (TRACKNUMBER always).
//
// Threads: as every encoder plug-in (plugins/include/mv_encoder.h); one file at a time.
#include "plugins/include/mv_encoder.h"
#include "plugins/visuals/common/CVisChoiceDialog.h"
#include "plugins/visuals/common/CVisSettings.h"

#include <vorbis/vorbisenc.h>

#include <cstdio>
#include <ctime>
#include <string>

#define MV_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr const char *kSetting = "encoder_ogg";
constexpr int kDefaultQuality = 5;
constexpr const char *kNominal[] = {"64", "80", "96", "112", "128", "160", "192", "224", "256", "320", "500"};

struct Encoding {
    FILE *file = nullptr;
    bool failed = false;
    ogg_stream_state stream{};
    vorbis_info info{};
    vorbis_comment comment{};
    vorbis_dsp_state dsp{};
    vorbis_block block{};
    bool open = false;
};

Encoding g;
std::string g_path;

int StoredQuality()
{
    CVisSettings settings("");
    settings.Load();
    return settings.Ranged(kSetting, 0, 10, kDefaultQuality);
}

void Add(const char *field, const char *value)
{
    if (value && *value)
        vorbis_comment_add_tag(&g.comment, field, value);
}

void WritePage(const ogg_page &page)
{
    if (std::fwrite(page.header, 1, static_cast<std::size_t>(page.header_len), g.file) !=
            static_cast<std::size_t>(page.header_len) ||
        std::fwrite(page.body, 1, static_cast<std::size_t>(page.body_len), g.file) != static_cast<std::size_t>(page.body_len))
        g.failed = true;
}

// Encodes whatever the analysis has ready and writes the pages it fills.
void Drain()
{
    ogg_packet packet;
    ogg_page page;
    while (vorbis_analysis_blockout(&g.dsp, &g.block) == 1) {
        vorbis_analysis(&g.block, nullptr);
        vorbis_bitrate_addblock(&g.block);
        while (vorbis_bitrate_flushpacket(&g.dsp, &packet)) {
            ogg_stream_packetin(&g.stream, &packet);
            while (ogg_stream_pageout(&g.stream, &page))
                WritePage(page);
        }
    }
}

} // namespace

MV_EXPORT const char *QueryEncoder(void)
{
    return "Ogg Vorbis";
}

MV_EXPORT void Close(void)
{
    if (g.open) {
        vorbis_analysis_wrote(&g.dsp, 0);
        Drain();
        ogg_page page;
        while (ogg_stream_flush(&g.stream, &page))
            WritePage(page);
        ogg_stream_clear(&g.stream);
        vorbis_block_clear(&g.block);
        vorbis_dsp_clear(&g.dsp);
        vorbis_comment_clear(&g.comment);
        vorbis_info_clear(&g.info);
    }
    if (g.file)
        std::fclose(g.file);
    g = Encoding();
}

MV_EXPORT const char *Open(const char *path, const EncoderTrackInfo *info, uint32_t)
{
    Close();
    g_path = std::string(path) + ".ogg";
    vorbis_info_init(&g.info);
    if (vorbis_encode_init_vbr(&g.info, 2, 44100, static_cast<float>(StoredQuality()) / 10.0f) != 0) {
        vorbis_info_clear(&g.info);
        return nullptr;
    }
    g.file = std::fopen(g_path.c_str(), "wb");
    if (!g.file) {
        vorbis_info_clear(&g.info);
        return nullptr;
    }
    vorbis_comment_init(&g.comment);
    Add("TITLE", info->title);
    Add("ARTIST", info->artist);
    Add("ALBUM", info->album);
    Add("GENRE", info->genre);
    Add("DATE", info->year);
    Add("TRACKNUMBER", std::to_string(info->track).c_str());
    Add("COMMENT", info->comment);
    vorbis_analysis_init(&g.dsp, &g.info);
    vorbis_block_init(&g.dsp, &g.block);
    ogg_stream_init(&g.stream, static_cast<int>(std::time(nullptr) ^ info->track));
    g.open = true;
    ogg_packet identification, comments, codebooks;
    vorbis_analysis_headerout(&g.dsp, &g.comment, &identification, &comments, &codebooks);
    ogg_stream_packetin(&g.stream, &identification);
    ogg_stream_packetin(&g.stream, &comments);
    ogg_stream_packetin(&g.stream, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&g.stream, &page))
        WritePage(page);
    if (g.failed) {
        Close();
        return nullptr;
    }
    return g_path.c_str();
}

MV_EXPORT int Write(const void *data, uint32_t bytes)
{
    if (!g.open || g.failed || bytes % 4 != 0)
        return 0;
    const auto *p = static_cast<const unsigned char *>(data);
    const int frames = static_cast<int>(bytes / 4);
    float **buffer = vorbis_analysis_buffer(&g.dsp, frames);
    for (int i = 0; i < frames; ++i) {
        const unsigned char *s = p + 4 * i;
        buffer[0][i] = static_cast<int16_t>(static_cast<uint16_t>(s[0] | (s[1] << 8))) / 32768.0f;
        buffer[1][i] = static_cast<int16_t>(static_cast<uint16_t>(s[2] | (s[3] << 8))) / 32768.0f;
    }
    vorbis_analysis_wrote(&g.dsp, frames);
    Drain();
    return g.failed ? 0 : 1;
}

MV_EXPORT int Configure(void *, uintptr_t parentWindow)
{
    CVisChoiceDialog::Content content;
    content.title = "Ogg Vorbis Configuration";
    content.lines = {"Ogg Vorbis encoder (variable bit rate).",
                     "Higher quality makes larger files; 5 suits most listening."};
    content.group = "Encoder Settings";
    for (int q = 0; q <= 10; ++q)
        content.choices.push_back("Quality " + std::to_string(q) + ", about " + kNominal[q] + " kbps, 44 kHz, stereo VBR");
    content.chosen = StoredQuality();
    const int chosen = CVisChoiceDialog::Run(parentWindow, content);
    if (chosen >= 0)
        CVisSettings("").Save({{kSetting, static_cast<uint32_t>(chosen)}});
    return 0;
}
