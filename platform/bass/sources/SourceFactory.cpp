#include "platform/bass/sources/SourceFactory.h"

#include "platform/bass/sources/Mpg123Source.h"
#include "platform/bass/sources/OpenMptModuleSource.h"
#include "platform/formats/CRiffChunkWalker.h"
#include "platform/bass/sources/SndfileSource.h"
#include "platform/io/CFileDescriptor.h"
#include "platform/bass/bass.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace melvane::bass {

std::unique_ptr<AudioSource> SourceFactory::OpenFileStream(const char *path, int &error)
{
    if (!path) {
        error = BASS_ERROR_FILEOPEN;
        return nullptr;
    }
    std::uint8_t head[12];
    ssize_t got = 0;
    {
        CFileDescriptor fd(::open(path, O_RDONLY | O_CLOEXEC));
        struct stat st {};
        if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
            error = BASS_ERROR_FILEOPEN;
            return nullptr;
        }
        got = ::pread(fd.get(), head, sizeof head, 0);
        if (got < 0) {
            error = BASS_ERROR_FILEOPEN;
            return nullptr;
        }
    }
    if (CRiffChunkWalker::IsRiffWave(head, static_cast<std::size_t>(got)))
        return SndfileSource::Open(path, error);
    return Mpg123Source::Open(path, error);
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
