// The search for the first MPEG frame, in memory and on a file, then opening the bytes as an MPEG stream
// and decoding a little of it from the start and from the middle.

#include "fuzz/tags/FuzzChecks.h"
#include "fuzz/tags/FuzzInputFile.h"
#include "platform/bass/sources/Mpg123Source.h"
#include "platform/bass/sources/MpegStreamProbe.h"
#include "platform/bass/bass.h"

#include <cmath>
#include <cstdint>
#include <vector>

using melvane::bass::Mpg123Source;
using melvane::bass::MpegStreamProbe;

namespace {

// What a found frame must satisfy: a valid header whose frame ends at the end of the audio or is
// followed by a header of the same kind.
void CheckFound(const std::uint8_t *data, std::size_t size, std::uint64_t found, std::uint64_t audioEnd)
{
    FUZZ_CHECK(found + 4 <= size);
    const auto first = MpegStreamProbe::ParseHeader(data + found);
    FUZZ_CHECK(first.has_value());
    FUZZ_CHECK(first->frameBytes >= 4);
    const std::uint64_t next = found + first->frameBytes;
    if (next == audioEnd)
        return;
    FUZZ_CHECK(next + 4 <= size);
    const auto second = MpegStreamProbe::ParseHeader(data + next);
    FUZZ_CHECK(second && second->version == first->version && second->layer == first->layer &&
               second->sampleRate == first->sampleRate);
}

void Decode(Mpg123Source &source, std::vector<float> &buffer, std::size_t frames)
{
    const std::size_t got = source.read(buffer.data(), frames);
    FUZZ_CHECK(got <= frames);
    for (std::size_t i = 0; i < got * static_cast<std::size_t>(source.channels()); ++i)
        FUZZ_CHECK(std::isfinite(buffer[i]));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    FUZZ_CHECK(MpegStreamProbe::Id3v2Size(data, size) <= 10 + 0x0FFFFFFFu + 10);
    if (auto found = MpegStreamProbe::FindFirstFrame(data, size, 0, size))
        CheckFound(data, size, *found, size);

    static FuzzInputFile file;
    file.Write(data, size);
    const auto onFile = MpegStreamProbe::FindFirstFrame(file.fd(), size);
    if (onFile)
        FUZZ_CHECK(*onFile < size && MpegStreamProbe::ParseHeader(data + *onFile).has_value());

    int error = -1;
    std::unique_ptr<Mpg123Source> source = Mpg123Source::Open(file.path().c_str(), error);
    if (!source) {
        FUZZ_CHECK(error == BASS_ERROR_FILEFORM || error == BASS_ERROR_FORMAT || error == BASS_ERROR_MEM);
        return 0;
    }
    // Only content with a confirmed first frame reaches the decoder.
    FUZZ_CHECK(onFile.has_value() && error == BASS_OK);
    FUZZ_CHECK(source->channels() == 1 || source->channels() == 2);
    FUZZ_CHECK(source->sampleRate() >= 8000 && source->sampleRate() <= 48000);
    static std::vector<float> buffer(2 * 4096);
    Decode(*source, buffer, 4096);
    if (source->seek(source->lengthFrames() / 2))
        Decode(*source, buffer, 4096);
    FUZZ_CHECK(!source->seek(source->lengthFrames() + 1) || source->lengthFrames() == 0);
    return 0;
}
