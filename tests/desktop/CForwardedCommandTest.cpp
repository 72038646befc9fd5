#include "desktop/CForwardedCommand.h"

#include "core/IClock.h"
#include "engine/IForwardTarget.h"

#include <gtest/gtest.h>

namespace {

class RecordingTarget : public IForwardTarget {
public:
    void ShowHidden() override { calls.push_back("show"); }
    void OpenCdTrack(char drive, int track) override
    {
        calls.push_back(std::string("cd ") + drive + " " + std::to_string(track));
    }
    void OpenCdDevice(const std::string &device) override { calls.push_back("device " + device); }
    void OpenCdImage(const std::string &path, int track) override
    {
        calls.push_back("image " + path + " " + std::to_string(track));
    }
    void AppendFile(const std::string &path) override { calls.push_back("append " + path); }
    void OpenFile(const std::string &path, bool isPlaylist) override
    {
        calls.push_back((isPlaylist ? "open list " : "open ") + path);
    }
    std::vector<std::string> calls;
};

class ScriptedCounter : public IClock {
public:
    std::uint64_t Now() override { return now; }
    std::uint64_t Frequency() const override { return 1000; } // one tick per millisecond
    std::uint64_t now = 0;
};

struct Step {
    std::uint64_t at; // counter value when the line arrives
    const char *line;
};

// Runs the lines after a start-up at counter value 0 and returns what the target was asked.
std::vector<std::string> RunLines(const std::vector<Step> &steps)
{
    RecordingTarget target;
    ScriptedCounter counter;
    CForwardedCommand handler(target, counter);
    handler.MarkForwardTime(true);
    for (const Step &step : steps) {
        counter.now = step.at;
        handler.HandleLine(step.line);
    }
    return target.calls;
}

TEST(CForwardedCommandTest, OneSecondRule)
{
    using Calls = std::vector<std::string>;
    const struct {
        const char *name;
        std::vector<Step> steps;
        Calls expected;
    } cases[] = {
        {"five files opened together: the first opens, the rest are appended",
         {{5000, "/m/1.mp3"}, {5200, "\"/m/2 b.mp3\""}, {5400, "/m/3.mp3"}, {6300, "/m/4.mp3"}, {7300, "/m/5.mp3"}},
         {"open /m/1.mp3", "append /m/2 b.mp3", "append /m/3.mp3", "append /m/4.mp3", "append /m/5.mp3"}},
        {"more than a second apart: each starts a new list",
         {{5000, "/m/1.mp3"}, {6001, "/m/2.mp3"}},
         {"open /m/1.mp3", "open /m/2.mp3"}},
        {"a playlist within the second is ignored, after it opens",
         {{5000, "/m/1.mp3"}, {5500, "-vpl /l/a.vpl"}, {7000, "-vpl \"/l/my list.vpl\""}},
         {"open /m/1.mp3", "open list /l/my list.vpl"}},
        {"the ignored playlist still counts as the last line",
         {{5000, "/m/1.mp3"}, {5900, "-vpl /l/a.vpl"}, {6800, "/m/2.mp3"}},
         {"open /m/1.mp3", "append /m/2.mp3"}},
        {"-add always appends",
         {{5000, "-add \"/m/a b.mp3\""}, {9000, "-add /m/c.mp3"}},
         {"append /m/a b.mp3", "append /m/c.mp3"}},
        {"counter went backwards: new list",
         {{5000, "/m/1.mp3"}, {4000, "/m/2.mp3"}},
         {"open /m/1.mp3", "open /m/2.mp3"}},
        {"empty line shows a hidden window and leaves the time alone",
         {{5000, "/m/1.mp3"}, {5500, ""}, {6200, "/m/2.mp3"}},
         {"open /m/1.mp3", "show", "open /m/2.mp3"}},
        {"-cd with drive and track opens it and counts as a line",
         {{5000, "-cd \"d:\\track05.cda\""}, {5500, "/m/1.mp3"}},
         {"cd D 5", "append /m/1.mp3"}},
        {"-cd without a track, or with one past 99, opens nothing",
         {{5000, "-cd \"d:\\audio.cda\""}, {9000, "-cd d:/track100.cda"}, {9500, "-cd"}},
         {}},
        {"-cd with a CD image opens it, with its track when one is given",
         {{5000, "-cd \"/r/My Disc.cue\" 2"}, {9000, "-cd /r/b.toc"}, {9500, "-cd /r/b.toc 100"}},
         {"image /r/My Disc.cue 2", "image /r/b.toc 0", "image /r/b.toc 0"}},
        {"-cd with a device, as a desktop's autoplay sends it, opens that drive",
         {{5000, "-cd cdda://sr0/"}, {9000, "-cd \"/dev/sr1\""}},
         {"device /dev/sr0", "device /dev/sr1"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(RunLines(c.steps), c.expected) << c.name;
}

TEST(CForwardedCommandTest, CopyDataRecord)
{
    RecordingTarget target;
    ScriptedCounter counter;
    CForwardedCommand handler(target, counter);
    handler.MarkForwardTime(true);
    counter.now = 5000;

    auto bytes = [](std::string text) { return std::vector<std::uint8_t>(text.begin(), text.end()); };
    EXPECT_FALSE(handler.OnCopyData(0x028AF025, bytes(std::string("/m/a.mp3\0", 9))));
    EXPECT_TRUE(target.calls.empty());
    // The text ends at the first NUL of the block, or with the data when there is none.
    std::vector<std::uint8_t> block = bytes("/m/a.mp3");
    block.resize(512, 0);
    block[300] = 'x';
    EXPECT_TRUE(handler.OnCopyData(0x028AF024, block));
    EXPECT_TRUE(handler.OnCopyData(0x028AF024, bytes("-add /m/b.mp3")));
    EXPECT_TRUE(handler.OnCopyData(0x028AF024, {}));
    EXPECT_EQ(target.calls, (std::vector<std::string>{"open /m/a.mp3", "append /m/b.mp3", "show"}));
}

} // namespace
