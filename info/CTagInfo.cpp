#include "info/CTagInfo.h"

#include "tags/CTagFieldsReader.h"
#include "tags/CTextCodec.h"
#include "tags/CVorbisCommentList.h"
#include "tags/IWmaInfoReader.h"

#include <FLAC/metadata.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <vector>

namespace {

std::string Known(std::int64_t value, const std::string &unit)
{
    return value > 0 ? std::to_string(value) + unit : "<unknown>";
}

void ReadOgg(const std::string &path, CTagInfo &info)
{
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0)
        return;
    info.readOk = true;
    if (const vorbis_info *vi = ov_info(&vf, -1)) {
        info.version = vi->version;
        info.channels = vi->channels;
        info.sampleRate = vi->rate;
        info.nominalBitrate = vi->bitrate_nominal;
    }
    info.averageBitrate = ov_bitrate(&vf, -1);
    info.length = ov_time_total(&vf, -1);
    std::vector<std::string> comments;
    if (const vorbis_comment *vc = ov_comment(&vf, -1)) {
        info.vendor = vc->vendor ? vc->vendor : "";
        for (int i = 0; i < vc->comments; ++i)
            comments.emplace_back(vc->user_comments[i], static_cast<std::size_t>(vc->comment_lengths[i]));
    }
    // Keys of any case, as the Ogg Vorbis writer replaces them.
    info.fields = CVorbisCommentList::ToFields(comments, CVorbisCommentList::KeyCase::Insensitive);
    ov_clear(&vf);
}

void ReadFlac(const std::string &path, CTagInfo &info)
{
    FLAC__StreamMetadata stream;
    if (!FLAC__metadata_get_streaminfo(path.c_str(), &stream))
        return;
    info.readOk = true;
    const FLAC__StreamMetadata_StreamInfo &si = stream.data.stream_info;
    info.sampleRate = si.sample_rate;
    info.channels = si.channels;
    info.bitsPerSample = si.bits_per_sample;
    info.length = si.sample_rate ? static_cast<double>(si.total_samples / si.sample_rate) : 0;
    info.uncompressedSize = si.total_samples * si.channels * (si.bits_per_sample / 8);
    info.fields = CVorbisCommentList::ToFields(CTagFieldsReader::FlacComments(path).value_or(std::vector<std::string>{}),
                                              CVorbisCommentList::KeyCase::Sensitive);
}

void ReadWma(const std::string &path, IWmaInfoReader *wma, CTagInfo &info)
{
    WmaInfo w{};
    if (!wma || !wma->ReadInfo(path, w))
        return;
    info.readOk = true;
    auto text = [](const std::uint16_t *units, std::size_t count) { return CTextCodec::Utf16ToUtf8(units, count); };
    info.fields = {text(w.artist, 512), text(w.title, 512), text(w.album, 512), text(w.genre, 128),
                   w.year ? std::to_string(w.year) : std::string(), text(w.comment, 2048)};
    std::string comment;
    for (char c : info.fields.comment) {
        if (c == '\n' && (comment.empty() || comment.back() != '\r'))
            comment += '\r';
        comment += c;
    }
    info.fields.comment = comment;
    info.codec = text(w.codecName, 128);
    info.length = w.length;
    info.sampleRate = w.sampleRate;
    info.channels = w.channels;
    info.bitrate = w.bitrate;
    info.vbr = w.isVbr != 0;
    info.seekable = w.seekable != 0;
    info.encrypted = w.isProtected != 0;
}

} // namespace

CTagInfo CTagInfo::Read(const std::string &path, Format format, IWmaInfoReader *wma,
                        const std::optional<CTagFields> &pending)
{
    CTagInfo info;
    info.format = format;
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    info.fileSize = ec ? 0 : size;
    switch (format) {
    case Format::OggVorbis: ReadOgg(path, info); break;
    case Format::Flac: ReadFlac(path, info); break;
    case Format::Wma: ReadWma(path, wma, info); break;
    }
    if (pending)
        info.fields = *pending;
    return info;
}

std::string CTagInfo::Caption() const
{
    switch (format) {
    case Format::Wma: return "Windows Media Audio File Information";
    case Format::Flac: return "FLAC File Information";
    default: return "Ogg Vorbis File Information";
    }
}

std::string CTagInfo::GroupCaption() const
{
    switch (format) {
    case Format::Wma: return codec.empty() ? "Windows Media Audio" : codec;
    case Format::Flac: return "FLAC Info";
    default: return "Ogg Vorbis Info";
    }
}

std::string CTagInfo::Labels() const
{
    switch (format) {
    case Format::Wma: return "Duration:\nFilesize:\nFrequency:\nBitrate:\nChannels:\nSeekable:\nEncrypted:";
    case Format::Flac: return "Duration:\nFrequency:\nChannels:\nResolution:\nCompressed:\nUncompressed:\nRatio:";
    default: return "Version:\nDuration:\nFilesize:\nFrequency:\nNominal Bitrate:\nAverage Bitrate:\nChannels:";
    }
}

std::string CTagInfo::Values() const
{
    const std::string size = Known(static_cast<std::int64_t>(fileSize), " bytes");
    const std::string rate = Known(sampleRate, " Hz");
    switch (format) {
    case Format::Wma:
        return DurationText(length, false) + "\n" + size + "\n" + rate + "\n" +
               (bitrate > 0 ? std::to_string(bitrate) + " kbps" + (vbr ? " [VBR]" : "") : "<unknown>") + "\n" +
               Known(channels, "") + "\n" + (seekable ? "Yes" : "No") + "\n" + (encrypted ? "Yes" : "No");
    case Format::Flac: {
        std::string ratio = "<unknown>";
        if (uncompressedSize > 0) {
            char text[32];
            std::snprintf(text, sizeof text, "%.4f", static_cast<double>(fileSize) / static_cast<double>(uncompressedSize));
            ratio = text;
        }
        return DurationText(length, false) + "\n" + rate + "\n" + Known(channels, "") + "\n" +
               Known(bitsPerSample, " Bit") + "\n" + size + "\n" +
               Known(static_cast<std::int64_t>(uncompressedSize), " bytes") + "\n" + ratio;
    }
    default:
        return VersionName(version, vendor) + "\n" + DurationText(length, true) + "\n" + size + "\n" + rate + "\n" +
               Known(nominalBitrate / 1000, " kbps") + "\n" + Known(averageBitrate / 1000, " kbps") + "\n" +
               Known(channels, "");
    }
}

std::string CTagInfo::VersionName(std::int32_t version, const std::string &vendor)
{
    if (version != 0)
        return std::to_string(version);
    // Encoders since 1.3 write a name after the date ("... 20200704 (Reducing Environment)"): the
    // date is the last run of eight digits; without one, the last 8 characters as before.
    std::string date = vendor.size() > 8 ? vendor.substr(vendor.size() - 8) : vendor;
    for (std::size_t end = vendor.size(); end >= 8; --end) {
        const std::string_view run = std::string_view(vendor).substr(end - 8, 8);
        const bool digits = std::all_of(run.begin(), run.end(), [](char c) { return c >= '0' && c <= '9'; });
        const bool bounded = (end == vendor.size() || vendor[end] < '0' || vendor[end] > '9') &&
                             (end == 8 || vendor[end - 9] < '0' || vendor[end - 9] > '9');
        if (digits && bounded) {
            date = run;
            break;
        }
    }
    static const struct {
        const char *date;
        const char *name;
    } kReleases[] = {{"20000508", "Beta2"}, {"20001031", "Beta3"}, {"20010225", "Beta4"}, {"20010615", "RC1"},
                     {"20010813", "RC2"},   {"20011217", "RC3"},   {"20011231", "RC3"},   {"20020717", "1.0"}};
    for (const auto &release : kReleases)
        if (date == release.date)
            return release.name;
    return date.empty() ? "<unknown>" : date;
}

std::string CTagInfo::DurationText(double seconds, bool hundredths)
{
    if (!(seconds > 0))
        return "<unknown>";
    const auto whole = static_cast<std::uint64_t>(seconds);
    if (whole >= 60)
        return std::to_string(whole / 60) + " min " + std::to_string(whole % 60) + " secs";
    if (!hundredths)
        return std::to_string(whole) + " seconds";
    const auto cents = static_cast<std::uint64_t>(seconds * 100 + 0.5);
    return std::to_string(cents / 100) + "." + std::to_string(100 + cents % 100).substr(1) + " seconds";
}
