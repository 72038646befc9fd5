#pragma once
// Opens the decoders behind file streams and music channels.
//
// Threads: called on the caller's thread (BASS_StreamCreateFile / BASS_MusicLoad). The returned source
// is then owned by one channel and used as AudioSource.h describes.

#include "platform/bass/AudioSource.h"

#include <memory>

namespace melvane::bass {

class SourceFactory {
public:
    // Rate at which modules are rendered when the caller does not say.
    static constexpr int kDefaultModuleRate = 44100;

    // MPEG audio (layers 1-3) or RIFF/WAVE, decided by the file's content. On failure returns nullptr
    // and sets `error` to a BASS_ERROR_* code: FILEOPEN when the file cannot be opened, FILEFORM when
    // the content is not recognised, FORMAT when it is recognised but not supported.
    static std::unique_ptr<AudioSource> OpenFileStream(const char *path, int &error);

    // MOD, S3M, XM or IT, rendered as stereo float at `outputRate` (the library mixes modules at its
    // output rate so no conversion follows). Errors as above.
    static std::unique_ptr<ModuleSource> OpenModule(const char *path, int &error,
                                                    int outputRate = kDefaultModuleRate);
};

} // namespace melvane::bass
