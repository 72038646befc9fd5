#pragma once
// Helpers shared by the decoder tests: reading what outside tools decoded, draining a source, and
// comparing sample streams.

#include "platform/bass/AudioSource.h"

#include <cstddef>
#include <string>
#include <vector>

namespace melvane::bass::test {

// Raw little-endian 32-bit float samples, as `sox -t f32` or `ffmpeg -f f32le` write them.
std::vector<float> ReadFloatRaw(const std::string &path);
// Raw little-endian signed 16-bit samples scaled to +-1.0.
std::vector<float> ReadS16Raw(const std::string &path);

// Reads the source to its end in blocks of `block` frames; interleaved samples.
std::vector<float> DecodeAll(AudioSource &source, std::size_t block = 1000);
// Reads at most `frames` frames.
std::vector<float> DecodeFrames(AudioSource &source, std::size_t frames, std::size_t block = 1000);

struct Difference {
    double maxAbs = 0;
    std::size_t at = 0;
};
// Largest absolute difference over the common length.
Difference MaxDifference(const std::vector<float> &a, const std::vector<float> &b);

double Rms(const std::vector<float> &samples, std::size_t begin = 0, std::size_t end = std::size_t(-1));
// RMS of one channel of an interleaved stereo stream.
double ChannelRms(const std::vector<float> &stereo, int channel);

// Single-quoted for the shell.
std::string Quoted(const std::string &path);

} // namespace melvane::bass::test
