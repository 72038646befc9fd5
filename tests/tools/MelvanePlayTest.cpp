// melvane-play decides what a file is as the player does: an MP3 behind an ID3v2 tag and junk is a
// stream it plays, bytes with a false frame sync are skipped.
#include "tests/support/ByteWriters.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

TEST(MelvanePlay, TakesWhatTheAudioLibraryPlays)
{
    TempDir dir;
    ToneSpec tone;
    tone.seconds = 0.3;
    const std::string mp3 = EncodeMp3(dir, "tone", MakeToneWav(dir, "tone", tone));
    ASSERT_FALSE(mp3.empty());
    const std::string tagged = dir.file("tagged.mp3");
    std::ofstream(tagged, std::ios::binary) << Id3v2Tag(16) +
                                                   std::string(3000, 'j') + ReadWholeFile(mp3);
    const std::string falseSync = dir.file("false.bin");
    std::ofstream(falseSync, std::ios::binary) << Be32(0xFFFB9064) + std::string(3000, 'j');
    const std::string out = dir.file("out.txt");
    RunCommand("SDL_AUDIODRIVER=dummy " + std::string(MELVANE_PLAY) + " " + tagged + " " + falseSync + " > " + out + " 2>&1");
    const std::string printed = ReadWholeFile(out);
    EXPECT_NE(printed.find("playing " + tagged + " (stream)"), std::string::npos) << printed;
    EXPECT_NE(printed.find("ended after"), std::string::npos) << printed;
    EXPECT_NE(printed.find("skipping " + falseSync + ": not a file this player knows"), std::string::npos) << printed;
}
