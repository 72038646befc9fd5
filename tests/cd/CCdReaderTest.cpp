// The reader on generated CD images: what it reads equals the image's bytes, through the reader
// thread and through synchronous reads, with faults injected into the device.
#include "cd/CCdReader.h"
#include "tests/cd/CdFakes.h"

#include "tests/support/CdImage.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class CCdReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CdImageDisc disc;
        // Track 2 is shorter than one 150-sector buffer; track 3 needs several buffers and a cut run.
        disc.tracks = {{400, "One", "", false}, {100, "Two", "", false}, {613, "Three", "", false},
                       {75, "Four", "", true}};
        ASSERT_TRUE(m_image.Create(m_dir.path().string(), disc));
    }

    // Everything Read delivers until it comes back short, in requests of `chunk` bytes.
    static std::string Drain(CCdReader &reader, std::uint32_t chunk)
    {
        std::string out;
        std::vector<char> buffer(chunk);
        for (;;) {
            const std::uint32_t n = reader.Read(buffer.data(), chunk);
            out.append(buffer.data(), n);
            if (n < chunk)
                return out;
        }
    }

    TempDir m_dir;
    CdImage m_image;
};

TEST_F(CCdReaderTest, StreamedTracksEqualTheImageBytes)
{
    for (const std::string &sheet : {m_image.cuePath, m_image.tocPath}) {
        const CCdDriveList drives({}, {sheet});
        CCdReader reader(drives);
        for (int track = 1; track <= 3; ++track) {
            SCOPED_TRACE(sheet + " track " + std::to_string(track));
            ASSERT_TRUE(reader.Start('D', track, 0, false));
            EXPECT_EQ(reader.GetTrackPosition(), track);
            EXPECT_EQ(reader.GetDrive(), 'D');
            const std::string got = Drain(reader, 4096 + 12);
            EXPECT_TRUE(got == m_image.trackBytes[track - 1]) << got.size() << " bytes";
            EXPECT_EQ(reader.Read(nullptr, 0), 0u);
        }
        EXPECT_FALSE(reader.Start('D', 4, 0, false)) << "copy-permitted track";
        EXPECT_FALSE(reader.Start('D', 5, 0, false)) << "above the last track";
        EXPECT_FALSE(reader.Start('E', 1, 0, false)) << "no such drive";
        EXPECT_FALSE(reader.Start('D', 2, 2, false)) << "offset past the track's end";
    }
}

TEST_F(CCdReaderTest, OffsetAndFloatOutput)
{
    const CCdDriveList drives({}, {m_image.cuePath});
    CCdReader reader(drives);
    ASSERT_TRUE(reader.Start('D', 3, 3, false));
    EXPECT_TRUE(Drain(reader, 65536) == m_image.trackBytes[2].substr(3 * 176400));

    ASSERT_TRUE(reader.Start('D', 1, 0, true));
    std::vector<float> floats(1024);
    ASSERT_EQ(reader.Read(floats.data(), 4096), 4096u);
    const std::string &pcm = m_image.trackBytes[0];
    for (std::size_t i = 0; i < floats.size(); ++i) {
        std::int16_t sample;
        std::memcpy(&sample, pcm.data() + 2 * i, 2);
        ASSERT_EQ(floats[i], sample / 32768.0f) << i;
    }
    // The next request starts 2,048 disc bytes in.
    float next;
    ASSERT_EQ(reader.Read(&next, 4), 4u);
    std::int16_t sample;
    std::memcpy(&sample, pcm.data() + 2048, 2);
    EXPECT_EQ(next, sample / 32768.0f);
    EXPECT_EQ(reader.Read(&next, 3), 0u) << "no room for a whole float";
}

TEST_F(CCdReaderTest, SynchronousReadsAndTheCutAtTheEnd)
{
    const CCdDriveList drives({}, {m_image.cuePath});
    CCdReader reader(drives);
    ASSERT_TRUE(reader.OpenTrack('D', 3));
    std::vector<char> buffer(65536);
    std::string got;
    std::vector<std::uint32_t> sizes;
    while (const std::uint32_t n = reader.ReadSectors(buffer.data(), 65536)) {
        got.append(buffer.data(), n);
        sizes.push_back(n / 2352);
    }
    EXPECT_TRUE(got == m_image.trackBytes[2]);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.front(), 27u);
    EXPECT_EQ(sizes.back(), 613u % 27u) << "the last request is cut to the sectors left";
    EXPECT_FALSE(reader.OpenTrack('D', 4));
    EXPECT_EQ(reader.GetDrive(), 0) << "a failed open leaves nothing open";
    EXPECT_EQ(reader.ReadSectors(buffer.data(), 65536), 0u);
}

TEST_F(CCdReaderTest, ReadErrorsEndTheTrackWhereTheyStart)
{
    const CCdDriveList drives({}, {m_image.cuePath});
    WrappedDevice::Hooks hooks;
    const WrappingOpener opener(drives, hooks);
    CCdReader reader(opener);
    // Track 3 starts at sector 500; sectors from 500 + 333 on cannot be read.
    hooks.failFrom = 833;
    ASSERT_TRUE(reader.Start('D', 3, 0, false));
    EXPECT_TRUE(Drain(reader, 65536) == m_image.trackBytes[2].substr(0, 333 * 2352));
    ASSERT_TRUE(reader.OpenTrack('D', 3));
    std::vector<char> buffer(65536);
    std::uint32_t total = 0;
    while (const std::uint32_t n = reader.ReadSectors(buffer.data(), 65536))
        total += n;
    EXPECT_EQ(total, 333u * 2352);
    hooks.failFrom = 500; // nothing readable: the first fill is empty and Start fails
    EXPECT_FALSE(reader.Start('D', 3, 0, false));
}

TEST_F(CCdReaderTest, BinShorterThanItsSheet)
{
    // The TOC file claims 600 sectors more for the last track than the BIN holds.
    std::string toc = ReadWholeFile(m_image.tocPath);
    const std::string last = "00:01:00\n";
    ASSERT_EQ(toc.substr(toc.size() - last.size()), last);
    toc.replace(toc.size() - last.size(), last.size(), "00:09:00\n");
    const std::string longer = m_dir.file("longer.toc");
    ASSERT_TRUE(WriteTextFile(longer, toc));
    // Make the last track playable so that its missing end is read.
    std::string playable;
    for (std::size_t from = 0; from < toc.size();) {
        const std::size_t end = toc.find('\n', from);
        const std::string line = toc.substr(from, end - from);
        if (line != "COPY")
            playable += line + "\n";
        from = end + 1;
    }
    ASSERT_TRUE(WriteTextFile(longer, playable));
    const CCdDriveList drives({}, {longer});
    CCdReader reader(drives);
    ASSERT_TRUE(reader.Start('D', 4, 0, false));
    EXPECT_TRUE(Drain(reader, 65536) == m_image.trackBytes[3]);
}

TEST_F(CCdReaderTest, PriorityReachesTheReaderThread)
{
    const CCdDriveList drives({}, {m_image.cuePath});
    std::atomic<int> policy{-1}, nice{-100}, reads{0};
    WrappedDevice::Hooks hooks;
    hooks.policy = &policy;
    hooks.nice = &nice;
    hooks.reads = &reads;
    const WrappingOpener opener(drives, hooks);
    CCdReader reader(opener);
    const struct {
        int index, policy, nice;
    } cases[] = {{1, SCHED_IDLE, 19}, {2, SCHED_OTHER, 10}, {3, SCHED_OTHER, 5}, {4, SCHED_OTHER, 0},
                 {0, SCHED_OTHER, 0}, {7, SCHED_OTHER, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.index);
        reader.SetPriority(c.index); // stopped: stored for the next Start
        ASSERT_TRUE(reader.Start('D', 1, 0, false));
        EXPECT_EQ(policy.load(), c.policy);
        EXPECT_EQ(nice.load(), c.nice);
    }
    // While running: applied at once, seen by the reads that follow.
    reader.SetPriority(2);
    ASSERT_TRUE(reader.Start('D', 3, 0, false));
    reader.SetPriority(1);
    Drain(reader, 65536);
    EXPECT_EQ(policy.load(), SCHED_IDLE);
    EXPECT_EQ(nice.load(), 19);
}

} // namespace
