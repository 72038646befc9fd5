#pragma once
// Music fixtures made at test time by the formats' own tools: a tone WAV by sox, and FLAC, Ogg
// Vorbis and MP3 encoded from a WAV by flac, oggenc and lame. Each returns the new file's path, or
// "" when the tool failed.

#include "tests/support/TempDir.h"

#include <string>

struct ToneSpec {
    int rate = 44100;
    int channels = 2;
    int bits = 16;
    double seconds = 1.0;
    // sox synth arguments; sox cycles a list of tones over the channels, so a different tone per
    // channel shows a swapped or dropped channel.
    std::string synth = "sine 440 sine 660 vol 0.5";
};

// <name>.wav in `dir`.
std::string MakeToneWav(const TempDir &dir, const std::string &name, const ToneSpec &tone);
// <name>.flac, <name>.ogg, <name>.mp3 in `dir` from the WAV at `wav`.
std::string EncodeFlac(const TempDir &dir, const std::string &name, const std::string &wav);
std::string EncodeOgg(const TempDir &dir, const std::string &name, const std::string &wav);
std::string EncodeMp3(const TempDir &dir, const std::string &name, const std::string &wav);
