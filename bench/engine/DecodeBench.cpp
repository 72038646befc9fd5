// Decoding speed of the stream decoder's fill against plain libFLAC / libvorbisfile loops over the
// same files (the baseline). Prints seconds, real-time factors and the ratio to the baseline.
// Needs sox, flac and oggenc on the path to make its 60-second fixtures.
#include "engine/CStreamDecoder.h"

#include <FLAC/stream_decoder.h>
#include <vorbis/vorbisfile.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr double kSeconds = 60.0;
constexpr std::uint32_t kChunk = 16384; // a typical update-thread request

double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

FLAC__StreamDecoderWriteStatus SumWrite(const FLAC__StreamDecoder *, const FLAC__Frame *frame,
                                        const FLAC__int32 *const buffer[], void *client)
{
    auto *sum = static_cast<long long *>(client);
    for (unsigned c = 0; c < frame->header.channels; ++c)
        for (unsigned i = 0; i < frame->header.blocksize; ++i)
            *sum += buffer[c][i];
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}
void NoMetadata(const FLAC__StreamDecoder *, const FLAC__StreamMetadata *, void *) {}
void NoError(const FLAC__StreamDecoder *, FLAC__StreamDecoderErrorStatus, void *) {}

double BaselineFlac(const std::string &path)
{
    const double start = Now();
    long long sum = 0;
    FLAC__StreamDecoder *d = FLAC__stream_decoder_new();
    FLAC__stream_decoder_init_file(d, path.c_str(), SumWrite, NoMetadata, NoError, &sum);
    FLAC__stream_decoder_process_until_end_of_stream(d);
    FLAC__stream_decoder_delete(d);
    const double t = Now() - start;
    std::printf("  (checksum %lld)\n", sum & 0xFF);
    return t;
}

double BaselineVorbis(const std::string &path)
{
    const double start = Now();
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0)
        return 0;
    char buffer[4096];
    int bitstream = 0;
    while (ov_read(&vf, buffer, sizeof buffer, 0, 2, 1, &bitstream) > 0) {
    }
    ov_clear(&vf);
    return Now() - start;
}

double Decoder(const std::string &path, int type, bool floatOutput)
{
    auto decoder = std::make_unique<CStreamDecoder>(nullptr, nullptr);
    decoder->m_bFloatOutput = floatOutput;
    std::vector<unsigned char> buffer(kChunk);
    const double start = Now();
    if (decoder->Open(path, type, 0, 0) != type)
        return 0;
    while (decoder->Fill(buffer.data(), kChunk) == kChunk) {
    }
    return Now() - start;
}

void Report(const char *name, double seconds, double baseline)
{
    std::printf("%-34s %8.3f s  %8.1f x real time  %5.2f x baseline time\n", name, seconds, kSeconds / seconds,
                baseline > 0 ? seconds / baseline : 0.0);
}

} // namespace

int main()
{
    char pattern[] = "/tmp/melvane-bench-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    const std::string dir = pattern;
    const std::string wav = dir + "/a.wav", flac = dir + "/a.flac", ogg = dir + "/a.ogg";
    const std::string make = "sox -q -n -r 44100 -c 2 -b 16 " + wav + " synth " + std::to_string(kSeconds) +
                             " pinknoise gain -6 && flac -s -o " + flac + " " + wav + " && oggenc -Q -o " + ogg +
                             " " + wav;
    if (std::system(make.c_str()) != 0) {
        std::fprintf(stderr, "cannot make the fixtures (sox, flac, oggenc)\n");
        return 1;
    }
    std::printf("Decoding %.0f s of 44100 Hz stereo, fills of %u bytes\n", kSeconds, kChunk);
    const double flacBase = BaselineFlac(flac);
    Report("FLAC libFLAC loop (baseline)", flacBase, flacBase);
    Report("FLAC CStreamDecoder 16-bit", Decoder(flac, kTypeFlac, false), flacBase);
    Report("FLAC CStreamDecoder float", Decoder(flac, kTypeFlac, true), flacBase);
    const double vorbisBase = BaselineVorbis(ogg);
    Report("Vorbis ov_read loop (baseline)", vorbisBase, vorbisBase);
    Report("Vorbis CStreamDecoder 16-bit", Decoder(ogg, kTypeOgg, false), vorbisBase);
    Report("Vorbis CStreamDecoder float", Decoder(ogg, kTypeOgg, true), vorbisBase);
    std::filesystem::remove_all(dir);
    return 0;
}
