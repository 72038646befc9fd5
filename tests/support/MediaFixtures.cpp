#include "tests/support/MediaFixtures.h"

namespace {

std::string Quoted(const std::string &path)
{
    return "'" + path + "'";
}

std::string Encoded(const std::string &path, const std::string &wav, const std::string &command)
{
    return !wav.empty() && RunCommand(command) == 0 ? path : "";
}

} // namespace

std::string MakeToneWav(const TempDir &dir, const std::string &name, const ToneSpec &tone)
{
    const std::string path = dir.file(name + ".wav");
    const std::string cmd = "sox -q -n -r " + std::to_string(tone.rate) + " -c " + std::to_string(tone.channels) +
                            " -b " + std::to_string(tone.bits) + " " + Quoted(path) + " synth " +
                            std::to_string(tone.seconds) + " " + tone.synth + " 2>/dev/null";
    return RunCommand(cmd) == 0 ? path : "";
}

std::string EncodeFlac(const TempDir &dir, const std::string &name, const std::string &wav)
{
    const std::string path = dir.file(name + ".flac");
    return Encoded(path, wav, "flac -s -f -o " + Quoted(path) + " " + Quoted(wav) + " 2>/dev/null");
}

std::string EncodeOgg(const TempDir &dir, const std::string &name, const std::string &wav)
{
    const std::string path = dir.file(name + ".ogg");
    return Encoded(path, wav, "oggenc -Q -o " + Quoted(path) + " " + Quoted(wav));
}

std::string EncodeMp3(const TempDir &dir, const std::string &name, const std::string &wav)
{
    const std::string path = dir.file(name + ".mp3");
    return Encoded(path, wav, "lame --quiet " + Quoted(wav) + " " + Quoted(path));
}
