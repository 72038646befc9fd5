#include "platform/bass/sources/SourceFactory.h"

#include "platform/bass/sources/Mpg123Source.h"
#include "platform/bass/sources/OpenMptModuleSource.h"
#include "platform/formats/CByteReader.h"
#include "platform/formats/CRiffChunkWalker.h"
#include "platform/bass/sources/SndfileSource.h"
#include "platform/io/CFileDescriptor.h"
#include "platform/bass/bass.h"

#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace melvane::bass {

namespace {
constexpr std::uint16_t kWaveMpeg = 0x0050;
constexpr std::uint16_t kWaveMpegLayer3 = 0x0055;
} // namespace

std::unique_ptr<AudioSource> SourceFactory::OpenFileStream(const char *path, int &error)
{
    if (!path) {
        error = BASS_ERROR_FILEOPEN;
        return nullptr;
    }
    std::uint8_t head[12];
    std::optional<CRiffChunkWalker::Layout> wave;
    std::uint64_t size = 0;
    {
        CFileDescriptor fd(::open(path, O_RDONLY | O_CLOEXEC));
        struct stat st {};
        if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
            error = BASS_ERROR_FILEOPEN;
            return nullptr;
        }
        const ssize_t got = ::pread(fd.get(), head, sizeof head, 0);
        if (got < 0) {
            error = BASS_ERROR_FILEOPEN;
            return nullptr;
        }
        if (!CRiffChunkWalker::IsRiffWave(head, static_cast<std::size_t>(got)))
            return Mpg123Source::Open(path, error);
        size = static_cast<std::uint64_t>(st.st_size);
        wave = CRiffChunkWalker::Walk(CByteReader::FromFd(fd.get(), size));
    }
    // MPEG audio kept in a WAVE file: its data is an MPEG stream.
    if (wave && (wave->format.tag == kWaveMpeg || wave->format.tag == kWaveMpegLayer3))
        return Mpg123Source::Open(path, error, wave->dataAt, wave->dataAt + wave->DataInFile(size));
    return SndfileSource::Open(path, error);
}

std::unique_ptr<ModuleSource> SourceFactory::OpenModule(const char *path, int &error, int outputRate)
{
    if (!path) {
        error = BASS_ERROR_FILEOPEN;
        return nullptr;
    }
    return OpenMptModuleSource::Open(path, error, outputRate);
}

} // namespace melvane::bass
