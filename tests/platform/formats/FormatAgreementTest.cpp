// The tag reader and the audio library read MPEG and WAV files through the same format readers, so they
// agree on every fixture: both take it or both refuse it, with the same sample rate, lengths within
// the tag reader's whole seconds, and the MPEG audio starting at the same frame. ffprobe judges both.
#include "platform/bass/sources/SourceFactory.h"
#include "platform/formats/CByteReader.h"
#include "platform/formats/CMpegFrameSearch.h"
#include "core/CPlaylistEntry.h"
#include "tags/CTrackInfo.h"
#include "tests/support/ByteWriters.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/TempDir.h"
#include "tests/tags/Ffprobe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

std::string ReadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string WriteFile(const TempDir &dir, const std::string &name, const std::string &bytes)
{
    const std::string path = dir.file(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::optional<std::uint64_t> FirstFrame(const std::string &path)
{
    const std::string bytes = ReadFile(path);
    const auto found = CMpegFrameSearch::FindFirstFrame(
        CByteReader::FromMemory(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size()));
    return found ? std::optional<std::uint64_t>(found->offset) : std::nullopt;
}

struct Fixture {
    std::string name;
    std::string path;
    bool taken = true;                                       // by both
    std::optional<std::uint64_t> frameOffset = std::nullopt; // MPEG: where the audio starts, by construction
};

TEST(FormatAgreement, TagReaderAndAudioLibraryReadEveryFixtureAlike)
{
    TempDir dir;
    std::vector<Fixture> fixtures;
    const std::string corpus = std::string(MELVANE_SOURCE_DIR) + "/fuzz/corpus/";
    for (const char *name : {"cbr8.mp3", "id3v1.mp3", "vbr.mp3", "mp2.mp2"})
        fixtures.push_back({name, corpus + "fuzz_mpeg_scan/" + name, true, 0});
    fixtures.push_back({"id3v2.mp3", corpus + "fuzz_mpeg_scan/id3v2.mp3"});
    for (const char *name : {"adpcm.wav", "float.wav", "gsm.wav", "list.wav", "pcm16s.wav", "pcm8.wav", "ulaw.wav"})
        fixtures.push_back({name, corpus + "fuzz_riff_wave_probe/" + name});

    ToneSpec tone;
    tone.seconds = 3.5;
    const std::string wav = MakeToneWav(dir, "tone", tone);
    const std::string mp3 = EncodeMp3(dir, "tone", wav);
    ASSERT_FALSE(wav.empty());
    ASSERT_FALSE(mp3.empty());
    const std::string mp3Bytes = ReadFile(mp3);
    const std::string wavBytes = ReadFile(wav);
    const std::string sample(wavBytes.substr(44, 4000));
    fixtures.push_back({"lame mp3", mp3, true, 0});
    // Audio the tag reader once missed and the audio library played.
    fixtures.push_back({"mp3 behind two ID3v2 tags and 5000 bytes of junk",
                        WriteFile(dir, "tagged.mp3", Id3v2Tag(600) + Id3v2Tag(30) + std::string(5000, 'j') + mp3Bytes), true,
                        610 + 40 + 5000});
    fixtures.push_back({"wav of 82 bytes of samples", WriteFile(dir, "tiny.wav", wavBytes.substr(0, 44) + sample.substr(0, 82))});
    fixtures.push_back({"wav whose data claims more than it holds",
                        WriteFile(dir, "cut.wav", wavBytes.substr(0, 40) + Le32(0x7FFFFFF0u) + wavBytes.substr(44, 88200))});
    // Refused by both.
    fixtures.push_back({"wav with its data before the format",
                        WriteFile(dir, "backwards.wav",
                                  "RIFF" + Le32(4 + 8 + 4000 + 24) + "WAVE" + "data" + Le32(4000) + sample + wavBytes.substr(12, 24)),
                        false});
    fixtures.push_back({"mp3 behind more junk than the search window",
                        WriteFile(dir, "buried.mp3", std::string(CMpegFrameSearch::kSearchWindow + 1, 'j') + mp3Bytes), false});

    for (const Fixture &f : fixtures) {
        SCOPED_TRACE(f.name);
        CTrackInfo tags(f.path);
        const std::int32_t type = tags.Read(nullptr);
        int error = 0;
        const auto source = melvane::bass::SourceFactory::OpenFileStream(f.path.c_str(), error);
        ASSERT_EQ(type != kTypeUnknown, f.taken) << "the tag reader";
        ASSERT_EQ(source != nullptr, f.taken) << "the audio library";
        if (!f.taken)
            continue;
        EXPECT_TRUE(type == kTypeMpeg || type == kTypeWav);
        EXPECT_EQ(tags.GetFrequency(), source->sampleRate());
        const double seconds = static_cast<double>(source->lengthFrames()) / source->sampleRate();
        EXPECT_LE(std::fabs(tags.GetLength() - std::max(1.0, seconds)), 1.0) << seconds << " s in the library";
        const Ffprobe probe(f.path, dir.path());
        ASSERT_TRUE(probe.ok());
        EXPECT_EQ(probe.sampleRate(), source->sampleRate());
        // ffprobe keeps the MPEG encoder's delay and padding and the padding of a block codec's last
        // block, which the library leaves out.
        EXPECT_LE(std::fabs(probe.duration() - seconds), type == kTypeMpeg ? 0.25 : 0.05) << "the library's length, by ffprobe";
        if (f.frameOffset) {
            EXPECT_EQ(FirstFrame(f.path), f.frameOffset);
        }
    }
}

} // namespace
