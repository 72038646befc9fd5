// A Windows Media file played by the real program as a new user starts it: its tags reach the
// desktop's media controls, what is heard is the file (judged against ffmpeg's own decode), and a
// seek lands where it was asked to.
#include "tests/support/AsfFixtures.h"
#include "tests/support/CapturedAudio.h"
#include "tests/support/ProgramSandbox.h"

#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(ProgramWma, PlaysNamesAndSeeksAWindowsMediaFile)
{
    ProgramSandbox box;
    ASSERT_TRUE(box.Ready());
    const std::string wma = box.Dir().file("sweep.wma");
    asf_fixture::Spec spec;
    // A rising sweep: each moment of it sounds different, so a match also says where in the file it is.
    spec.source = "aevalsrc=exprs=0.5*sin(2*PI*(150+90*t)*t):s=44100:d=12";
    spec.tags = {{"title", "Rising Sweep"}, {"artist", "The Test Bench"}};
    ASSERT_TRUE(asf_fixture::Make(wma, spec));
    const std::string captured = box.Dir().file("heard.raw");
    box.CaptureAudioTo(captured);

    ASSERT_TRUE(box.Start({QString::fromStdString(wma)}));
    ASSERT_TRUE(box.WaitFor({"status"}, "Playing"));
    EXPECT_EQ(box.Ctl({"metadata", "title"}), "Rising Sweep");
    EXPECT_EQ(box.Ctl({"metadata", "artist"}), "The Test Bench");
    QThread::msleep(2500);
    box.Ctl({"position", "6"});
    QThread::msleep(1500);
    const std::string maps = ReadWholeFile("/proc/" + std::to_string(box.Program().processId()) + "/maps");
    EXPECT_NE(maps.find("mv_asfin"), std::string::npos) << "loaded for the file that needs it";
    ASSERT_TRUE(box.Quit(ProgramSandbox::QuitBy::Sigterm));

    const std::string reference = box.Dir().file("reference.raw");
    ASSERT_EQ(RunCommand("ffmpeg -v error -y -i " + wma + " -f f32le -ac 2 -ar 44100 " + reference), 0);
    const std::vector<float> heard = captured_audio::ReadFloats(captured);
    const std::vector<float> expected = captured_audio::ReadFloats(reference);
    const std::size_t second = 44100 * 2;
    const std::size_t window = second / 10;
    const std::size_t first = captured_audio::FirstSound(heard);
    ASSERT_GT(heard.size(), first + 2 * second) << "more than two seconds were heard";

    struct Probe {
        const char *name;
        std::size_t at;       // in the capture
        double from, to;      // where in the file it must match, seconds
    } probes[] = {
        {"the start", first, 0.0, 0.1},
        {"a second in", first + second, 0.95, 1.05},
        {"after the seek", heard.size() - second / 2 - window, 6.0, 7.6},
    };
    for (const Probe &p : probes) {
        SCOPED_TRACE(p.name);
        // Half a second either side of where it must be: the sweep matches itself nowhere else.
        const auto frameAt = [&](double seconds) {
            return static_cast<std::size_t>(std::max(seconds, 0.0) * static_cast<double>(second));
        };
        const captured_audio::Match match =
            captured_audio::BestMatch(heard, p.at, window, expected, frameAt(p.from - 0.5), frameAt(p.to + 0.5));
        EXPECT_GT(match.correlation, 0.99);
        const double seconds = static_cast<double>(match.lag) / static_cast<double>(second);
        EXPECT_GE(seconds, p.from);
        EXPECT_LE(seconds, p.to);
    }
}

} // namespace
