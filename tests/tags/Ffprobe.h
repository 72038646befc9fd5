#pragma once
// What ffprobe reports about a media file: the independent judge of the tag reader's results.

#include <map>
#include <string>

class Ffprobe {
public:
    // Runs ffprobe on `path`, keeping its output in `scratchFolder`. ok() is false when it failed.
    Ffprobe(const std::string &path, const std::string &scratchFolder);

    bool ok() const { return m_ok; }
    double duration() const;     // seconds
    long sampleRate() const;     // Hz, first audio stream
    long channels() const;       // first audio stream
    long streamBitRate() const;  // bit/s, first audio stream; 0 when absent
    long formatBitRate() const;  // bit/s, whole file; 0 when absent
    std::string tag(const std::string &key) const; // container tag, key in lower case; empty when absent

private:
    long Number(const std::string &key) const;
    std::map<std::string, std::string> m_values;
    bool m_ok = false;
};
