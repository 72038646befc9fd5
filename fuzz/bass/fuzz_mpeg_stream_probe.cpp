// Opening the bytes as an MPEG stream, which starts at the first confirmed frame (the search itself has
// fuzz_mpeg_frame_header), and decoding a little of it from the start and from the middle.

#include "fuzz/tags/FuzzChecks.h"
#include "fuzz/tags/FuzzInputFile.h"
#include "platform/bass/sources/Mpg123Source.h"
#include "platform/formats/CByteReader.h"
#include "platform/formats/CMpegFrameSearch.h"
#include "platform/bass/bass.h"

#include <cmath>
#include <cstdint>
#include <vector>

using melvane::bass::Mpg123Source;

namespace {

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
    static FuzzInputFile file;
    file.Write(data, size);
    const auto onFile = CMpegFrameSearch::FindFirstFrame(CByteReader::FromFd(file.fd(), size));
    if (onFile)
        FUZZ_CHECK(onFile->offset < size && CMpegFrameHeader::Parse(data + onFile->offset).has_value());

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
