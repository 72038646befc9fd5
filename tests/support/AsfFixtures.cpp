#include "tests/support/AsfFixtures.h"

#include "tests/support/TempDir.h"

#include <atomic>
#include <cstring>

namespace asf_fixture {

namespace {

std::string Quote(const std::string &text)
{
    std::string out = "'";
    for (const char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

void PutLe(std::string &bytes, std::size_t at, std::uint64_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint64_t GetLe(const std::string &bytes, std::size_t at, int size)
{
    std::uint64_t value = 0;
    for (int i = size; i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

} // namespace

bool Make(const std::string &path, const Spec &spec)
{
    const std::string source = spec.source ? std::string(spec.source)
                                           : "sine=frequency=523:beep_factor=3:sample_rate=" + std::to_string(spec.rate) +
                                                 ":duration=" + std::to_string(spec.seconds);
    std::string command = "ffmpeg -v error -y -f lavfi -i " + Quote(source) + " -ac " +
                          std::to_string(spec.channels) + " -c:a " + spec.codec + " -b:a " +
                          std::to_string(spec.bitrateK) + "k";
    for (const auto &[key, value] : spec.tags)
        command += " -metadata " + Quote(key + "=" + value);
    return RunCommand(command + " " + Quote(path) + " </dev/null") == 0;
}

std::vector<std::int16_t> FfmpegPcm(const std::string &path, int channels)
{
    static std::atomic<int> counter{0};
    const std::string out = path + ".ffmpeg" + std::to_string(counter++) + ".raw";
    const std::string fold = channels > 0 ? " -ac " + std::to_string(channels) : std::string();
    if (RunCommand("ffmpeg -v error -y -i " + Quote(path) + fold + " -f s16le -c:a pcm_s16le " + Quote(out) +
                   " </dev/null") != 0)
        return {};
    const std::string bytes = ReadWholeFile(out);
    std::vector<std::int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

bool MarkProtected(const std::string &path)
{
    std::string bytes = ReadWholeFile(path);
    static const unsigned char kHeader[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                              0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
    static const unsigned char kContentEncryption[16] = {0xFB, 0xB3, 0x11, 0x22, 0x23, 0xBD, 0xD2, 0x11,
                                                         0xB4, 0xB7, 0x00, 0xA0, 0xC9, 0x55, 0xFC, 0x6E};
    if (bytes.size() < 30 || std::memcmp(bytes.data(), kHeader, 16) != 0)
        return false;
    // Secret data, protection type "DRM", key id and licence URL, each a 32-bit length and its bytes.
    std::string body;
    for (const std::string &field : {std::string("secret"), std::string("DRM\0", 4), std::string("key"),
                                    std::string("http://licence.invalid/\0", 24)}) {
        std::string length(4, '\0');
        PutLe(length, 0, field.size(), 4);
        body += length + field;
    }
    std::string object(reinterpret_cast<const char *>(kContentEncryption), 16);
    object += std::string(8, '\0');
    PutLe(object, 16, 24 + body.size(), 8);
    object += body;
    PutLe(bytes, 16, GetLe(bytes, 16, 8) + object.size(), 8);
    PutLe(bytes, 24, GetLe(bytes, 24, 4) + 1, 4);
    bytes.insert(30, object);
    return WriteWholeFile(path, bytes);
}

} // namespace asf_fixture
