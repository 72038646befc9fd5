// Extraction without a window: the names as one table, WAV files against the image's sectors (sox
// reads them back), the faults as one table (read errors, encoders that fail, Abort), the encoder
// host's discovery and what a plug-in is handed.
#include "cd/CCdDiscs.h"
#include "cd/CEncoderHost.h"
#include "cd/CExtractNames.h"
#include "cd/CExtractWorker.h"
#include "tests/cd/CdFakes.h"

#include "tests/support/CdImage.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>

namespace fs = std::filesystem;

namespace {

// What a progress dialog would have shown.
class RecordingProgress : public IExtractProgress {
public:
    std::function<void(std::uint32_t)> onProgress; // worker thread, with the track's bytes done

    void OnStatus(const std::string &text) override { Locked([&] { statuses.push_back(text); }); }
    void OnButton(const std::string &text) override { Locked([&] { button = text; }); }
    void OnTrackRange(std::uint32_t bytes) override { Locked([&] { trackRanges.push_back(bytes); }); }
    void OnTotalRange(std::uint32_t bytes) override { Locked([&] { totalRange = bytes; }); }
    void OnProgress(std::uint32_t track, std::uint32_t total) override
    {
        Locked([&] { lastTotal = total; });
        if (onProgress)
            onProgress(track);
    }
    void OnTrackFinished(const std::string &path) override { Locked([&] { finished.push_back(path); }); }
    void OnFinished(bool f) override { Locked([&] { failed = f, ended = true; }); }

    std::vector<std::string> statuses, finished;
    std::vector<std::uint32_t> trackRanges;
    std::string button;
    std::uint32_t totalRange = 0, lastTotal = 0;
    bool failed = false, ended = false;

private:
    template <typename F> void Locked(F f)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        f();
    }
    std::mutex m_mutex;
};

std::string SoxRaw(const std::string &wav)
{
    return CommandOutput("sox '" + wav + "' -t raw -b 16 -e signed -L - 2>/dev/null");
}

class ExtractTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CdImageDisc disc;
        disc.tracks = {{300, "One", "", false}, {400, "Guest / Two", "", false}, {250, "Three...", "", false}};
        ASSERT_TRUE(m_image.Create(m_dir.path().string(), disc));
        m_drives = CCdDriveList({}, {m_image.cuePath});
        CCdDiscs discs(m_drives, {});
        m_record = discs.Record(0);
        discs.ReadDisc(m_record);
        ASSERT_EQ(m_record.m_nAudioTracks, 3);
        m_record.m_strArtist = "Band";
        m_record.m_strDiscTitle = "Album";
        m_record.m_strGenre = "Rock";
        m_record.m_strYear = "1999";
        m_record.m_strTitle[1] = "One";
        m_record.m_strTitle[2] = "Guest / Two";
        m_record.m_strTitle[3] = "Three...";
        m_record.m_strExtt[2] = "line\\nbreak";
        m_out = m_dir.file("out");
    }

    // Runs one extraction to its end.
    void Extract(const ICdDeviceOpener &drives, const EncoderBinding *encoder, bool expectStart = true)
    {
        CExtractWorker worker(drives, m_progress);
        ASSERT_EQ(worker.Start(m_record, m_out, encoder), expectStart);
        worker.Wait();
        m_outcome = worker.Result();
    }

    std::string Folder() const { return m_out + "/Band - Album/"; }
    static std::uint32_t SectorBytes(std::uint32_t sectors) { return sectors * 2352; }

    TempDir m_dir;
    CdImage m_image;
    CCdDriveList m_drives;
    CDiscRecord m_record;
    std::string m_out;
    RecordingProgress m_progress;
    CExtractWorker::Outcome m_outcome = CExtractWorker::Outcome::kIdle;
};

} // namespace

TEST(ExtractNamesTest, FoldersAndFilesStayInsideTheBaseFolder)
{
    const std::string longAscii(300, 'x');
    std::string longUtf8;
    for (int i = 0; i < 150; ++i)
        longUtf8 += "\xC3\xA9"; // é
    const std::string longBase = "/b/" + std::string(240, 'q') + "/";
    struct Row {
        std::string base, artist, title;
        std::uint32_t discId;
        std::string trackTitle, folder, file;
    } rows[] = {
        {"/b/", "", "Title...", 1, "Song...", "/b/Title", "/b/Title/03 - Song"},
        {"/b/", "A", "B", 1, "a/b:c?", "/b/A - B", "/b/A - B/03 - a-b_c_"},
        {"/b/", "Solo", "", 0x0A0B0C03, "", "/b/Untitled Disc (A0B0C03)", "/b/Untitled Disc (A0B0C03)/03 - Untitled Track"},
        {"/b/", "", "../../x", 1, "../../x", "/b/__-..-x", "/b/__-..-x/03 - __-..-x"},
        {"/b/", "..", ".", 1, "..", "/b/__ - _", "/b/__ - _/03 - __"},
        {"/b/", "", "a\tb\x01" "c\x7f", 1, "q\\\"<>|*w", "/b/a_b_c_", "/b/a_b_c_/03 - q-_____w"},
        {"/b/", "", "line\\nbreak", 1, "tab\\there", "/b/line__break", "/b/line__break/03 - tab_here"},
        {"/b/", "Café", "Niño", 1, "Ünïcödé", "/b/Café - Niño", "/b/Café - Niño/03 - Ünïcödé"},
        {"/b/", "", ".hidden", 1, ".x", "/b/_hidden", "/b/_hidden/03 - _x"},
        {"/b/", "", longAscii, 1, longAscii, "/b/" + std::string(193, 'x'), "/b/" + std::string(193, 'x') + "/03 - " +
                                                                             std::string(252 - 197 - 5, 'x')},
        {"/b/", "", longUtf8, 1, "t", "/b/" + longUtf8.substr(0, 192), "/b/" + longUtf8.substr(0, 192) + "/03 - t"},
        {longBase, "", longAscii, 1, longAscii, longBase + "xxxxxxxx", longBase + "xxxxxxxx/03 - xxx"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.title);
        CDiscRecord record;
        record.m_strArtist = row.artist;
        record.m_strDiscTitle = row.title;
        record.m_nDiscId = row.discId;
        const std::string folder = CExtractNames::DiscFolder(row.base, record);
        EXPECT_EQ(folder, row.folder);
        const std::string file = CExtractNames::TrackPath(folder + "/", 3, [&] {
            std::string t = row.trackTitle;
            CDiscRecord::Unescape(t);
            return t;
        }());
        EXPECT_EQ(file, row.file);
        // Whatever the texts: one new folder level inside the base, one file inside it.
        const std::string name = folder.substr(row.base.size());
        EXPECT_EQ(folder.compare(0, row.base.size(), row.base), 0);
        EXPECT_EQ(name.find('/'), std::string::npos);
        EXPECT_NE(name[0], '.');
        EXPECT_EQ(file.compare(0, folder.size() + 1, folder + "/"), 0);
        EXPECT_EQ(file.find('/', folder.size() + 1), std::string::npos);
    }
}

TEST_F(ExtractTest, WavFilesHoldTheImageSectors)
{
    Extract(m_drives, nullptr);
    EXPECT_EQ(m_outcome, CExtractWorker::Outcome::kDone);
    const std::vector<std::string> files = {Folder() + "01 - One.wav", Folder() + "02 - Guest - Two.wav",
                                            Folder() + "03 - Three.wav"};
    EXPECT_EQ(m_progress.finished, files);
    for (int t = 0; t < 3; ++t) {
        const std::string wav = ReadWholeFile(files[t]);
        ASSERT_EQ(wav.size(), 44 + m_image.trackBytes[t].size()) << files[t];
        EXPECT_TRUE(wav.substr(44) == m_image.trackBytes[t]) << files[t];
        EXPECT_TRUE(SoxRaw(files[t]) == m_image.trackBytes[t]) << "sox reads the header's size: " << files[t];
    }
    EXPECT_EQ(m_progress.totalRange, SectorBytes(950));
    EXPECT_EQ(m_progress.lastTotal, SectorBytes(950));
    EXPECT_EQ(m_progress.trackRanges, (std::vector<std::uint32_t>{SectorBytes(300), SectorBytes(400), SectorBytes(250)}));
    EXPECT_EQ(m_progress.statuses, (std::vector<std::string>{"Initializing audio extraction...", "Extracting Track 1...",
                                                             "Extracting Track 2...", "Extracting Track 3..."}));
    EXPECT_FALSE(m_progress.failed);
    EXPECT_TRUE(m_progress.ended);
}

TEST_F(ExtractTest, CheckedTracksOnly)
{
    m_record.m_bChecked[1] = m_record.m_bChecked[3] = 0;
    Extract(m_drives, nullptr);
    EXPECT_EQ(m_progress.finished, std::vector<std::string>{Folder() + "02 - Guest - Two.wav"});
    EXPECT_EQ(m_progress.totalRange, SectorBytes(400));
    EXPECT_FALSE(fs::exists(Folder() + "01 - One.wav"));
}

TEST_F(ExtractTest, TheEncoderGetsEveryBlockAndTheTrackTexts)
{
    CEncoderHost host;
    ASSERT_GE(host.Discover(MELVANE_FAKE_ENCODERS), 1);
    const int fake = host.Find("fake_encoder_0.so");
    ASSERT_GE(fake, 0);
    EncoderBinding binding;
    ASSERT_TRUE(host.Bind(fake, binding));
    Extract(m_drives, &binding);
    EXPECT_EQ(m_outcome, CExtractWorker::Outcome::kDone);
    EXPECT_EQ(m_progress.statuses[1], "Extracting & Compressing Track 1...");
    EXPECT_EQ(m_progress.finished[1], Folder() + "02 - Guest - Two.raw");
    for (int t = 0; t < 3; ++t)
        EXPECT_TRUE(ReadWholeFile(m_progress.finished[t]) == m_image.trackBytes[t]) << t;
    // A compilation title is split for the encoder; the file name keeps it whole.
    EXPECT_EQ(ReadWholeFile(Folder() + "02 - Guest - Two.info"),
              "2\nTwo\nGuest\nAlbum\nRock\n1999\nline\r\nbreak\n" + std::to_string(SectorBytes(400)) + "\n");
    EXPECT_EQ(ReadWholeFile(Folder() + "01 - One.info"), "1\nOne\nBand\nAlbum\nRock\n1999\n\n" +
                                                             std::to_string(SectorBytes(300)) + "\n");
}

TEST_F(ExtractTest, Faults)
{
    CEncoderHost host;
    host.Discover(MELVANE_FAKE_ENCODERS);
    const std::int32_t track2 = static_cast<std::int32_t>(m_image.startFrames[1]) - 150;
    const std::int32_t track3 = static_cast<std::int32_t>(m_image.startFrames[2]) - 150;
    struct Row {
        const char *name;
        std::int32_t failFrom;   // first unreadable sector, or -1
        const char *encoder;     // fake plug-in file, or "" for WAV
        bool abortInTrack2;
        bool base_is_a_file;
        CExtractWorker::Outcome outcome;
        const char *lastStatus;
        int finished;            // tracks reported finished
    } rows[] = {
        {"read error mid-track", track2 + 100, "", false, false, CExtractWorker::Outcome::kFailed, "Error extracting audio", 1},
        {"track 2 a little short, track 3 unreadable", track3 - 74, "", false, false, CExtractWorker::Outcome::kFailed,
         "Error extracting audio", 2}, // track 3 cannot be read at all
        {"encoder Open fails", -1, "fake_encoder_1.so", false, false, CExtractWorker::Outcome::kFailed,
         "Unable to create output file", 0},
        {"encoder Write returns 0", -1, "fake_encoder_2.so", false, false, CExtractWorker::Outcome::kFailed,
         "Error extracting audio", 0},
        {"encoder without Close", -1, "fake_encoder_3.so", false, false, CExtractWorker::Outcome::kIdle,
         "Unable to load encoder", 0},
        {"output folder cannot be made", -1, "", false, true, CExtractWorker::Outcome::kIdle,
         "Unable to create output directory", 0},
        {"Abort mid-track", -1, "", true, false, CExtractWorker::Outcome::kAborted, "Aborting audio extraction...", 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        m_progress.~RecordingProgress();
        new (&m_progress) RecordingProgress();
        fs::remove_all(m_out);
        if (row.base_is_a_file) {
            ASSERT_TRUE(WriteTextFile(m_out, "a file"));
        }
        WrappedDevice::Hooks hooks;
        hooks.failFrom = row.failFrom;
        WrappingOpener drives(m_drives, hooks);
        EncoderBinding binding;
        const bool encoder = *row.encoder != '\0';
        if (encoder) {
            const int index = host.Find(row.encoder);
            ASSERT_GE(index, 0);
            EXPECT_EQ(host.Bind(index, binding), std::string(row.encoder) != "fake_encoder_3.so");
        }
        CExtractWorker worker(drives, m_progress);
        if (row.abortInTrack2)
            m_progress.onProgress = [&](std::uint32_t trackBytes) {
                if (m_progress.finished.size() == 1 && trackBytes >= 2 * 63504)
                    worker.Abort();
            };
        const bool started = worker.Start(m_record, m_out, encoder ? &binding : nullptr);
        EXPECT_EQ(started, row.outcome != CExtractWorker::Outcome::kIdle);
        worker.Wait();
        EXPECT_EQ(worker.Result(), row.outcome);
        ASSERT_FALSE(m_progress.statuses.empty());
        EXPECT_EQ(m_progress.statuses.back(), row.lastStatus);
        EXPECT_EQ(static_cast<int>(m_progress.finished.size()), row.finished);
        if (started) {
            EXPECT_EQ(m_progress.button, row.outcome == CExtractWorker::Outcome::kFailed ? "Close" : "Cancel");
        }
        if (row.failFrom == track2 + 100 || row.abortInTrack2) {
            // The track in progress is kept as a valid, shorter WAV file.
            const std::string partial = Folder() + "02 - Guest - Two.wav";
            const std::string pcm = SoxRaw(partial);
            EXPECT_GT(pcm.size(), 0u);
            EXPECT_LT(pcm.size(), m_image.trackBytes[1].size());
            EXPECT_TRUE(pcm == m_image.trackBytes[1].substr(0, pcm.size()));
            EXPECT_EQ(fs::file_size(partial), 44 + pcm.size());
        }
    }
}

TEST_F(ExtractTest, ReadEndingLessThanASecondShortStillCounts)
{
    // The last 74 sectors of track 3 (one short of a second) cannot be read.
    WrappedDevice::Hooks hooks;
    hooks.failFrom = static_cast<std::int32_t>(m_image.startFrames[3]) - 150 - 74;
    WrappingOpener drives(m_drives, hooks);
    Extract(drives, nullptr);
    EXPECT_EQ(m_outcome, CExtractWorker::Outcome::kDone);
    EXPECT_EQ(fs::file_size(Folder() + "03 - Three.wav"), 44 + SectorBytes(250 - 74));
    // 76 sectors short is more than a second and fails.
    hooks.failFrom -= 2;
    Extract(drives, nullptr);
    EXPECT_EQ(m_outcome, CExtractWorker::Outcome::kFailed);
}

TEST(EncoderHostTest, DiscoveryOffersAtMost32)
{
    TempDir dir;
    const std::string folder = dir.file("encoders");
    fs::create_directory(folder);
    for (int i = 0; i < 40; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "enc%02d.so", i);
        fs::copy_file(std::string(MELVANE_FAKE_ENCODERS) + "/fake_encoder_0.so", folder + "/" + name);
    }
    fs::copy_file(std::string(MELVANE_FAKE_ENCODERS) + "/fake_encoder_4.so", folder + "/aaa-empty-name.so");
    ASSERT_TRUE(WriteTextFile(folder + "/aab-not-a-library.so", "text"));
    CEncoderHost host;
    ASSERT_EQ(host.Discover(folder), 32);
    for (int i = 0; i < 32; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "enc%02d.so", i);
        EXPECT_EQ(host.At(i).fileName, name);
        EXPECT_EQ(host.At(i).name, std::string("Fake ") + name);
    }
    EXPECT_EQ(host.Find("ENC05.SO"), 5);
    EXPECT_EQ(host.Find("enc39.so"), -1);
    EXPECT_FALSE(host.Configure(0, 0)) << "no Configure: nothing to show";
    host.Unload();
    EXPECT_EQ(host.Count(), 0);
}
