#pragma once
// Shared helpers of the decoder tests: fixture files made with sox/oggenc/flac, reference decodes by
// oggdec and flac -d, a fake playlist document, and a recorder standing in for BASS_StreamCreate.

#include "engine/CStreamDecoder.h"
#include "engine/IGaplessPlaylist.h"
#include "tests/support/TempDir.h"

#include <cstdint>
#include <string>
#include <vector>

namespace decoder_test {

// Makes a WAV of a two-tone chord with `channels`, `rate`, `bits` and `seconds` (sox), returns its path.
std::string MakeWav(const TempDir &dir, const std::string &name, int rate, int channels, int bits, double seconds);
// Encodes a fresh WAV to FLAC or Ogg Vorbis and returns the path ("" on failure).
std::string MakeFlac(const TempDir &dir, const std::string &name, int rate, int channels, int bits, double seconds);
std::string MakeOgg(const TempDir &dir, const std::string &name, int rate, int channels, double seconds);

// Reference decodes by the format's own tools: raw little-endian signed PCM of the file's width.
std::string FlacReference(const TempDir &dir, const std::string &flac, std::uint64_t skipSamples = 0);
std::string OggReference(const TempDir &dir, const std::string &ogg);

std::vector<std::int16_t> AsInt16(const std::string &bytes);
std::vector<float> AsFloat(const std::string &bytes);
// Signed 24-bit little-endian samples.
std::vector<std::int32_t> AsInt24(const std::string &bytes);

// Calls Fill with `chunk` bytes until a short delivery (the stream's end), as the library would.
// After every fill the reported change-over row is taken and reset, as the view's tick does.
struct Drained {
    std::string bytes;
    std::vector<int> changedRows;
};
Drained Drain(CStreamDecoder &decoder, std::uint32_t chunk);

class FakePlaylist : public IGaplessPlaylist {
public:
    std::vector<CPlaylistEntry> entries;
    int nextIndex = 0; // the view sets it to the entry that becomes current
    bool gapless = true, random = false, repeatTrack = false, repeatList = false;

    void Add(const std::string &path, int type);

    bool GaplessEnabled() override { return gapless; }
    bool RandomEnabled() override { return random; }
    bool RepeatTrackEnabled() override { return repeatTrack; }
    int NextGaplessEntry(const std::string &path, CPlaylistEntry &out) override;
};

// Records what a user stream would be created with.
struct CreatedStream {
    DWORD rate = 0, flags = 0;
    void *user = nullptr;
    int calls = 0;
};
extern CreatedStream g_created;
HSTREAM RecordStreamCreate(DWORD freq, DWORD flags, STREAMPROC *proc, void *user);

} // namespace decoder_test
