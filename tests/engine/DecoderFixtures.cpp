#include "tests/engine/DecoderFixtures.h"

#include "tests/support/MediaFixtures.h"

#include <cstring>
#include <gtest/gtest.h>
#include <strings.h>

namespace decoder_test {

CreatedStream g_created;

std::string MakeWav(const TempDir &dir, const std::string &name, int rate, int channels, int bits, double seconds)
{
    return MakeToneWav(dir, name, {rate, channels, bits, seconds, "sine 440 sine 1234 sine 2345 gain -3"});
}

std::string MakeFlac(const TempDir &dir, const std::string &name, int rate, int channels, int bits, double seconds)
{
    return EncodeFlac(dir, name, MakeWav(dir, name, rate, channels, bits, seconds));
}

std::string MakeOgg(const TempDir &dir, const std::string &name, int rate, int channels, double seconds)
{
    return EncodeOgg(dir, name, MakeWav(dir, name, rate, channels, 16, seconds));
}

std::string FlacReference(const TempDir &dir, const std::string &flac, std::uint64_t skipSamples)
{
    const std::string out = dir.file("reference.raw");
    std::string cmd = "flac -d -s -f --force-raw-format --endian=little --sign=signed";
    if (skipSamples)
        cmd += " --skip=" + std::to_string(skipSamples);
    cmd += " -o '" + out + "' '" + flac + "'";
    if (RunCommand(cmd) != 0)
        return "";
    return ReadWholeFile(out);
}

std::string OggReference(const TempDir &dir, const std::string &ogg)
{
    const std::string out = dir.file("reference.raw");
    if (RunCommand("oggdec -Q -R -b 16 -e 0 -s 1 -o '" + out + "' '" + ogg + "'") != 0)
        return "";
    return ReadWholeFile(out);
}

std::vector<std::int16_t> AsInt16(const std::string &bytes)
{
    std::vector<std::int16_t> v(bytes.size() / 2);
    std::memcpy(v.data(), bytes.data(), v.size() * 2);
    return v;
}

std::vector<float> AsFloat(const std::string &bytes)
{
    std::vector<float> v(bytes.size() / 4);
    std::memcpy(v.data(), bytes.data(), v.size() * 4);
    return v;
}

std::vector<std::int32_t> AsInt24(const std::string &bytes)
{
    std::vector<std::int32_t> v(bytes.size() / 3);
    for (std::size_t i = 0; i < v.size(); ++i) {
        const auto *p = reinterpret_cast<const unsigned char *>(bytes.data()) + 3 * i;
        std::uint32_t u = p[0] | (p[1] << 8) | (p[2] << 16);
        if (u & 0x800000u)
            u |= 0xFF000000u;
        v[i] = static_cast<std::int32_t>(u);
    }
    return v;
}

Drained Drain(CStreamDecoder &decoder, std::uint32_t chunk)
{
    Drained result;
    std::vector<unsigned char> buffer(chunk);
    for (;;) {
        std::memset(buffer.data(), 0xA5, buffer.size());
        const std::uint32_t n = decoder.Fill(buffer.data(), chunk);
        if (n > chunk)
            ADD_FAILURE() << "Fill reported " << n << " bytes for a request of " << chunk;
        result.bytes.append(reinterpret_cast<const char *>(buffer.data()), std::min(n, chunk));
        const int row = decoder.TakeChangedRow();
        if (row >= 0)
            result.changedRows.push_back(row);
        if (n < chunk)
            break;
    }
    return result;
}

void FakePlaylist::Add(const std::string &path, int type)
{
    CPlaylistEntry entry;
    entry.m_strPath = path;
    entry.m_nType = type;
    entries.push_back(entry);
}

int FakePlaylist::NextGaplessEntry(const std::string &path, CPlaylistEntry &out)
{
    // The document's rule: the next-up index moves on past the entry that has just ended.
    if (nextIndex < 0 || nextIndex >= static_cast<int>(entries.size()))
        return nextIndex = -1;
    if (strcasecmp(entries[nextIndex].m_strPath.c_str(), path.c_str()) == 0) {
        ++nextIndex;
        if (nextIndex >= static_cast<int>(entries.size()))
            nextIndex = repeatList ? 0 : -1;
    }
    if (nextIndex >= 0)
        out = entries[nextIndex];
    return nextIndex;
}

HSTREAM RecordStreamCreate(DWORD freq, DWORD flags, STREAMPROC *, void *user)
{
    g_created.rate = freq;
    g_created.flags = flags;
    g_created.user = user;
    ++g_created.calls;
    return 0x80000001u;
}

} // namespace decoder_test
