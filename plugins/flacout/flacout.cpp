// flacout.so: the FLAC encoder plug-in. Each extracted track becomes a FLAC file (libFLAC's stream
// encoder, 44,100 Hz 16-bit stereo, the compression level from the setting encoder_flac, 0 to 8,
// default 5) with a Vorbis comment block: TITLE, ARTIST, ALBUM, GENRE, DATE, TRACKNUMBER, COMMENT, each
// only when it has text (TRACKNUMBER always).
//
// Threads: as every encoder plug-in (plugins/include/mv_encoder.h); one file at a time.
#include "plugins/include/mv_encoder.h"
#include "plugins/visuals/common/CVisChoiceDialog.h"
#include "plugins/visuals/common/CVisSettings.h"

#include <FLAC/metadata.h>
#include <FLAC/stream_encoder.h>

#include <string>

#define MV_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr const char *kSetting = "encoder_flac";
constexpr int kDefaultLevel = 5;

FLAC__StreamEncoder *g_encoder = nullptr;
FLAC__StreamMetadata *g_comments = nullptr;
std::string g_path;
FLAC__int32 g_samples[MV_ENCODER_MAX_WRITE_BYTES / 2];

int StoredLevel()
{
    CVisSettings settings("");
    settings.Load();
    return settings.Ranged(kSetting, 0, 8, kDefaultLevel);
}

void AddComment(const char *field, const char *value)
{
    if (!value || !*value)
        return;
    FLAC__StreamMetadata_VorbisComment_Entry entry;
    if (FLAC__metadata_object_vorbiscomment_entry_from_name_value_pair(&entry, field, value))
        FLAC__metadata_object_vorbiscomment_append_comment(g_comments, entry, false);
}

} // namespace

MV_EXPORT const char *QueryEncoder(void)
{
    return "FLAC (Free Lossless Audio Codec)";
}

MV_EXPORT void Close(void)
{
    if (g_encoder) {
        FLAC__stream_encoder_finish(g_encoder);
        FLAC__stream_encoder_delete(g_encoder);
        g_encoder = nullptr;
    }
    if (g_comments) {
        FLAC__metadata_object_delete(g_comments);
        g_comments = nullptr;
    }
}

MV_EXPORT const char *Open(const char *path, const EncoderTrackInfo *info, uint32_t expectedBytes)
{
    Close();
    g_encoder = FLAC__stream_encoder_new();
    g_comments = FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT);
    if (!g_encoder || !g_comments) {
        Close();
        return nullptr;
    }
    AddComment("TITLE", info->title);
    AddComment("ARTIST", info->artist);
    AddComment("ALBUM", info->album);
    AddComment("GENRE", info->genre);
    AddComment("DATE", info->year);
    AddComment("TRACKNUMBER", std::to_string(info->track).c_str());
    AddComment("COMMENT", info->comment);
    FLAC__stream_encoder_set_channels(g_encoder, 2);
    FLAC__stream_encoder_set_bits_per_sample(g_encoder, 16);
    FLAC__stream_encoder_set_sample_rate(g_encoder, 44100);
    FLAC__stream_encoder_set_compression_level(g_encoder, static_cast<unsigned>(StoredLevel()));
    FLAC__stream_encoder_set_total_samples_estimate(g_encoder, expectedBytes / 4);
    FLAC__stream_encoder_set_metadata(g_encoder, &g_comments, 1);
    g_path = std::string(path) + ".flac";
    if (FLAC__stream_encoder_init_file(g_encoder, g_path.c_str(), nullptr, nullptr) !=
        FLAC__STREAM_ENCODER_INIT_STATUS_OK) {
        Close();
        return nullptr;
    }
    return g_path.c_str();
}

MV_EXPORT int Write(const void *data, uint32_t bytes)
{
    if (!g_encoder || bytes > MV_ENCODER_MAX_WRITE_BYTES || bytes % 4 != 0)
        return 0;
    const auto *p = static_cast<const unsigned char *>(data);
    const uint32_t samples = bytes / 2;
    for (uint32_t i = 0; i < samples; ++i)
        g_samples[i] = static_cast<int16_t>(static_cast<uint16_t>(p[2 * i] | (p[2 * i + 1] << 8)));
    return FLAC__stream_encoder_process_interleaved(g_encoder, g_samples, samples / 2) ? 1 : 0;
}

MV_EXPORT int Configure(void *, uintptr_t parentWindow)
{
    CVisChoiceDialog::Content content;
    content.title = "FLAC Configuration";
    content.lines = {"FLAC (Free Lossless Audio Codec) encoder.",
                     "Every level is lossless; higher levels make smaller files more slowly."};
    content.group = "Encoder Settings";
    for (int level = 0; level <= 8; ++level)
        content.choices.push_back("Compression level " + std::to_string(level) +
                                  (level == 0 ? " (fastest)" : level == 5 ? " (default)" : level == 8 ? " (smallest)" : ""));
    content.chosen = StoredLevel();
    const int chosen = CVisChoiceDialog::Run(parentWindow, content);
    if (chosen >= 0)
        CVisSettings("").Save({{kSetting, static_cast<uint32_t>(chosen)}});
    return 0;
}
