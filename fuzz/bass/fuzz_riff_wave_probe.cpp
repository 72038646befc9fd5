// The RIFF/WAVE chunk walk as the audio library does it (the walk itself has fuzz_riff_chunk_walker), then opening the bytes as a WAV stream and decoding a little of it from the
// start and from the middle.

#include "fuzz/tags/FuzzChecks.h"
#include "fuzz/tags/FuzzInputFile.h"
#include "platform/formats/CByteReader.h"
#include "platform/formats/CRiffChunkWalker.h"
#include "platform/bass/sources/SndfileSource.h"
#include "platform/bass/bass.h"

#include <cmath>
#include <cstdint>
#include <vector>

using melvane::bass::SndfileSource;

namespace {

void Decode(SndfileSource &source, std::vector<float> &buffer, std::size_t frames)
{
    const std::size_t got = source.read(buffer.data(), frames);
    FUZZ_CHECK(got <= frames);
    for (std::size_t i = 0; i < got * static_cast<std::size_t>(source.channels()); ++i)
        FUZZ_CHECK(std::isfinite(buffer[i]));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static FuzzInputFile file;
    file.Write(data, size);
    const bool riff = CRiffChunkWalker::IsRiffWave(data, size);
    const auto layout = CRiffChunkWalker::Walk(CByteReader::FromFd(file.fd(), size));
    FUZZ_CHECK(riff || !layout);

    int error = -1;
    std::unique_ptr<SndfileSource> source = SndfileSource::Open(file.path().c_str(), error);
    if (!source) {
        FUZZ_CHECK(error == BASS_ERROR_FILEFORM || error == BASS_ERROR_FORMAT);
        return 0;
    }
    // Only a sound chunk layout reaches libsndfile.
    FUZZ_CHECK(layout.has_value() && error == BASS_OK);
    FUZZ_CHECK(source->channels() == 1 || source->channels() == 2);
    FUZZ_CHECK(source->fileChannels() >= source->channels());
    FUZZ_CHECK(source->sampleRate() > 0);
    static std::vector<float> buffer(2 * 4096);
    Decode(*source, buffer, 4096);
    if (source->seek(source->lengthFrames() / 2))
        Decode(*source, buffer, 4096);
    FUZZ_CHECK(!source->seek(source->lengthFrames() + 1));
    return 0;
}
