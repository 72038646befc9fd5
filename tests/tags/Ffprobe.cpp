#include "tests/tags/Ffprobe.h"

#include "tests/support/TempDir.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <sstream>

Ffprobe::Ffprobe(const std::string &path, const std::string &scratchFolder)
{
    static std::atomic<int> counter{0};
    const std::string out = scratchFolder + "/ffprobe-" + std::to_string(counter++) + ".txt";
    const std::string command = "ffprobe -v error -select_streams a:0 -show_entries "
                                "format=duration,bit_rate:format_tags:stream=sample_rate,channels,bit_rate "
                                "-of default=nw=1 '" + path + "' > '" + out + "'";
    if (RunCommand(command) != 0)
        return;
    std::istringstream lines(ReadWholeFile(out));
    std::string line;
    bool inStream = true; // stream entries come first; keep the format's bit_rate apart
    while (std::getline(lines, line)) {
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string key = line.substr(0, eq);
        if (key == "duration")
            inStream = false;
        if (key.rfind("TAG:", 0) == 0) {
            key = "tag:" + key.substr(4);
            std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
        } else if (key == "bit_rate") {
            key = inStream ? "stream_bit_rate" : "format_bit_rate";
        }
        m_values.emplace(key, line.substr(eq + 1));
    }
    m_ok = m_values.count("duration") != 0;
}

long Ffprobe::Number(const std::string &key) const
{
    const auto it = m_values.find(key);
    if (it == m_values.end())
        return 0;
    try {
        return std::stol(it->second);
    } catch (...) {
        return 0;
    }
}

double Ffprobe::duration() const
{
    const auto it = m_values.find("duration");
    return it == m_values.end() ? 0.0 : std::stod(it->second);
}

long Ffprobe::sampleRate() const { return Number("sample_rate"); }
long Ffprobe::channels() const { return Number("channels"); }
long Ffprobe::streamBitRate() const { return Number("stream_bit_rate"); }
long Ffprobe::formatBitRate() const { return Number("format_bit_rate"); }

std::string Ffprobe::tag(const std::string &key) const
{
    const auto it = m_values.find("tag:" + key);
    return it == m_values.end() ? std::string() : it->second;
}
