#pragma once
// What the program played, as SDL's disk driver captured it (interleaved 32-bit float), compared
// with an independent decode of the file: where the sound starts, and which part of the reference
// a window of it matches.

#include <cstddef>
#include <string>
#include <vector>

namespace captured_audio {

// Interleaved float samples of a raw f32le file; empty when it cannot be read.
std::vector<float> ReadFloats(const std::string &path);

// Index of the first sample louder than `threshold`; samples.size() when there is none.
std::size_t FirstSound(const std::vector<float> &samples, float threshold = 1e-3f);

struct Match {
    std::ptrdiff_t lag = -1; // start of the best-matching window of the reference, in samples
    double correlation = 0;  // its normalised correlation, 1 for identical shapes
};

// Compares heard[start, start + window) with every window of `reference` starting between `lagFrom`
// and `lagTo` (in samples, stepped by whole stereo frames) and returns the best.
Match BestMatch(const std::vector<float> &heard, std::size_t start, std::size_t window,
                const std::vector<float> &reference, std::size_t lagFrom, std::size_t lagTo);

// How well the first sound in the capture `captured` (a tenth of a second of it) matches the file at
// `path` within its first two seconds, as ffmpeg decodes it to 44.1 kHz stereo: 1 for the same shape,
// 0 when nothing was heard or the file cannot be decoded. `scratch` is a file ffmpeg may write.
double FirstSoundMatchesFile(const std::string &captured, const std::string &path, const std::string &scratch);

// The sample where the 16-bit little-endian PCM `pcm` (interleaved stereo, as on a CD) starts in
// `heard` with every one of its samples equal to the captured one (s / 32768 exactly), at a stereo
// frame boundary; -1 when it is not all there.
std::ptrdiff_t FindExactPcm16(const std::vector<float> &heard, const std::string &pcm);

} // namespace captured_audio
