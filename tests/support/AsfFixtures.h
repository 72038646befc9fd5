#pragma once
// Windows Media fixtures made at test time by ffmpeg, the decoded PCM ffmpeg itself gives for them,
// and a way to mark a file as protected the way DRM packagers do.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace asf_fixture {

struct Spec {
    const char *codec = "wmav2"; // wmav1 or wmav2
    int rate = 44100;
    int channels = 2;
    int bitrateK = 128;
    double seconds = 3.0;
    std::map<std::string, std::string> tags; // ffmpeg metadata keys: title, artist, album, genre, comment, WM/Year
    const char *source = nullptr;            // an ffmpeg lavfi source instead of the default beeping tone
};

// Writes a tone of the given format to `path`; false when ffmpeg failed.
bool Make(const std::string &path, const Spec &spec);
// ffmpeg's own decode of `path` as interleaved 16-bit samples (`channels` > 0 folds to that many).
std::vector<std::int16_t> FfmpegPcm(const std::string &path, int channels = 0);
// Inserts a Content Encryption Object into the file's header: the file then reads as protected.
bool MarkProtected(const std::string &path);

} // namespace asf_fixture
