// melvane-cd --extract, the real tool with the real encoder plug-ins, on a generated CD image whose
// names come from a user cd.ini with hostile titles: every format's files land inside the chosen
// folder under cleaned names; WAV and FLAC (flac -d) give back the image's sectors, Ogg Vorbis and WMA
// (ffmpeg) audio close to them, with the tags ffprobe and metaflac show; the WMA profile setting picks
// the bit rate; a full disk and a bad track list fail.
#include "cd/CDiscRecord.h"
#include "platform/registry/CRegistry.h"
#include "platform/registry/CRegistryKey.h"

#include "tests/support/CdImage.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace {

std::vector<std::int16_t> Samples(const std::string &pcm)
{
    std::vector<std::int16_t> s(pcm.size() / 2);
    std::memcpy(s.data(), pcm.data(), s.size() * 2);
    return s;
}

// The best normalised correlation of `decoded` with `source` over shifts of up to 4096 samples
// (encoders may add a delay).
double Similarity(const std::string &source, const std::string &decoded)
{
    const std::vector<std::int16_t> a = Samples(source), b = Samples(decoded);
    double best = 0;
    for (std::size_t shift = 0; shift <= 4096 && shift < b.size(); shift += 2) {
        double ab = 0, aa = 0, bb = 0;
        for (std::size_t i = 8192; i + shift < b.size() && i < a.size() - 8192; i += 7) {
            ab += double(a[i]) * b[i + shift];
            aa += double(a[i]) * a[i];
            bb += double(b[i + shift]) * b[i + shift];
        }
        if (aa > 0 && bb > 0)
            best = std::max(best, ab / std::sqrt(aa * bb));
    }
    return best;
}

class CdExtractToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CdImageDisc disc;
        disc.tracks = {{375, "", "", false}, {300, "", "", false}, {450, "", "", false}};
        ASSERT_TRUE(m_image.Create(m_dir.path().string(), disc));
        fs::create_directories(m_dir.path() / "data/melvane");
        fs::create_directories(m_dir.path() / "config/melvane");
        m_env = "XDG_DATA_HOME='" + m_dir.file("data") + "' XDG_CONFIG_HOME='" + m_dir.file("config") + "' ";
        const std::string listing = CommandOutput(m_env + MELVANE_CD_TOOL " '" + m_image.cuePath + "'");
        const std::size_t at = listing.find("Disc id ");
        ASSERT_NE(at, std::string::npos) << listing;
        const std::uint32_t id = static_cast<std::uint32_t>(std::stoul(listing.substr(at + 8, 8), nullptr, 16));
        ASSERT_TRUE(WriteTextFile(m_dir.file("data/melvane/cd.ini"),
                                  "<" + CDiscRecord::SectionKey(id) + ">\nartist=..\ntitle=../../x\ngenre=Jazz\n"
                                  "year=2001\n0=Guest / a/b:c?\n1=tab\\there\nextt1=Liner note\n2=..\norder=0 1 2\n\n"));
    }

    int Extract(const std::string &encoder, const std::string &more = "")
    {
        return RunCommand(m_env + MELVANE_CD_TOOL " --extract '" + m_dir.file("out") + "' --encoder " + encoder + " " +
                          more + " '" + m_image.cuePath + "' >'" + m_dir.file("stdout") + "' 2>'" +
                          m_dir.file("stderr") + "'");
    }

    std::string Tags(const std::string &file)
    {
        return CommandOutput("ffprobe -v error -show_entries format_tags:stream_tags -of default=nw=1:nk=0 '" + file + "'");
    }

    std::string Decoded(const std::string &file)
    {
        return CommandOutput("ffmpeg -v error -i '" + file + "' -f s16le -ac 2 -ar 44100 -");
    }

    void SetWmaProfile(std::uint32_t index)
    {
        CRegistry registry(m_dir.path() / "config/melvane");
        CRegistryKey key;
        ASSERT_TRUE(key.Create(registry, RegistryRoot::CurrentUser, "Software\\Melvane"));
        key.SetDword("encoder_wma", index);
        ASSERT_TRUE(key.Close());
    }

    // Every file under the output folder, relative to it.
    std::set<std::string> Files() const
    {
        std::set<std::string> files;
        for (const auto &entry : fs::recursive_directory_iterator(m_dir.path() / "out"))
            if (entry.is_regular_file())
                files.insert(fs::relative(entry.path(), m_dir.path() / "out").string());
        return files;
    }

    TempDir m_dir;
    CdImage m_image;
    std::string m_env;
};

} // namespace

TEST_F(CdExtractToolTest, EveryFormatWithCleanNamesAndTags)
{
    struct Row {
        const char *encoder, *extension;
    } rows[] = {{"wav", ".wav"}, {"flacout", ".flac"}, {"oggout", ".ogg"}, {"asfout", ".wma"}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.encoder);
        fs::remove_all(m_dir.path() / "out");
        ASSERT_EQ(Extract(row.encoder), 0) << ReadWholeFile(m_dir.file("stderr"));
        const std::string folder = "__ - __-..-x/";
        const std::string e = row.extension;
        EXPECT_EQ(Files(), (std::set<std::string>{folder + "01 - Guest - a-b_c_" + e, folder + "02 - tab_here" + e,
                                                  folder + "03 - __" + e}));
        const std::string first = m_dir.file("out/" + folder + "01 - Guest - a-b_c_" + e);
        const std::string second = m_dir.file("out/" + folder + "02 - tab_here" + e);
        EXPECT_EQ(ReadWholeFile(m_dir.file("stdout")), first + "\n" + second + "\n" + m_dir.file("out/" + folder + "03 - __" + e) + "\n");
        const std::string status = std::string(e == ".wav" ? "Extracting Track " : "Extracting & Compressing Track ");
        EXPECT_EQ(ReadWholeFile(m_dir.file("stderr")), "Initializing audio extraction...\n" + status + "1...\n" + status +
                                                           "2...\n" + status + "3...\n");
        for (int t = 0; t < 3 && e == ".wav"; ++t) {
            const std::string path = m_dir.file("out/" + *std::next(Files().begin(), t));
            EXPECT_TRUE(ReadWholeFile(path).substr(44) == m_image.trackBytes[t]) << path;
        }
        if (e == ".flac") {
            EXPECT_TRUE(CommandOutput("flac -s -d -c --force-raw-format --endian=little --sign=signed '" + second + "'") ==
                        m_image.trackBytes[1]);
            EXPECT_EQ(CommandOutput("metaflac --export-tags-to=- '" + second + "'"),
                      "TITLE=tab\there\nARTIST=..\nALBUM=../../x\nGENRE=Jazz\nDATE=2001\nTRACKNUMBER=2\nCOMMENT=Liner note\n");
            EXPECT_EQ(CommandOutput("metaflac --show-tag=ARTIST --show-tag=TITLE '" + first + "'"),
                      "ARTIST=Guest\nTITLE=a/b:c?\n");
        }
        if (e == ".ogg" || e == ".wma") {
            for (int t : {0, 2}) {
                const std::string path = m_dir.file("out/" + *std::next(Files().begin(), t));
                const std::string pcm = Decoded(path);
                EXPECT_NEAR(double(pcm.size()), double(m_image.trackBytes[t].size()), 4 * 4096.0) << path;
                EXPECT_GT(Similarity(m_image.trackBytes[t], pcm), 0.95) << path;
            }
            if (e == ".ogg") {
                EXPECT_EQ(CommandOutput("vorbiscomment -l '" + second + "'"),
                          "TITLE=tab\there\nARTIST=..\nALBUM=../../x\nGENRE=Jazz\nDATE=2001\nTRACKNUMBER=2\nCOMMENT=Liner note\n");
            }
            const std::string tags = Tags(second);
            for (const char *tag : e == ".ogg" ? std::vector<const char *>{"TITLE=tab\there", "ARTIST=..", "track=2"}
                                               : std::vector<const char *>{"Title=tab\there", "artist=..", "album=../../x",
                                                                           "genre=Jazz", "WM/Year=2001", "comment=Liner note",
                                                                           "WM/Track=1", "track=2"})
                EXPECT_NE(tags.find(std::string("TAG:") + tag + "\n"), std::string::npos) << tag << " in\n" << tags;
        }
    }
}

TEST_F(CdExtractToolTest, WmaProfileSetsTheBitRate)
{
    struct Row {
        int index; // -1: no setting
        const char *bitRate;
    } rows[] = {{-1, "128000"}, {0, "32000"}, {9, "320000"}, {12, "64000"}, {16, "320000"}, {17, "128000"}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.index);
        if (row.index >= 0)
            SetWmaProfile(static_cast<std::uint32_t>(row.index));
        fs::remove_all(m_dir.path() / "out");
        ASSERT_EQ(Extract("asfout", "--tracks 3"), 0) << ReadWholeFile(m_dir.file("stderr"));
        ASSERT_EQ(Files().size(), 1u);
        const std::string path = m_dir.file("out/" + *Files().begin());
        EXPECT_EQ(CommandOutput("ffprobe -v error -show_entries stream=bit_rate -of csv=p=0 '" + path + "'"),
                  std::string(row.bitRate) + "\n");
    }
}

TEST_F(CdExtractToolTest, TrackListsFullDiskAndUnknownEncoders)
{
    EXPECT_EQ(Extract("wav", "--tracks 1,3-3"), 0);
    EXPECT_EQ(Files().size(), 2u);
    EXPECT_FALSE(fs::exists(m_dir.path() / "out/__ - __-..-x/02 - tab_here.wav"));
    EXPECT_EQ(Extract("wav", "--tracks 2-x"), 2);
    EXPECT_EQ(Extract("nosuch"), 2);
    EXPECT_NE(ReadWholeFile(m_dir.file("stderr")).find("flacout.so"), std::string::npos) << "lists what there is";

    // A disk that fills up during track 1 (a file size limit of 300 KiB; the track is 882,000 bytes).
    fs::remove_all(m_dir.path() / "out");
    const int status = RunCommand("bash -c \"trap '' XFSZ; ulimit -f 300; " + m_env + "exec " MELVANE_CD_TOOL
                                  " --extract '" + m_dir.file("out") + "' '" + m_image.cuePath + "'\" 2>'" +
                                  m_dir.file("stderr") + "'");
    EXPECT_EQ(status, 1);
    EXPECT_EQ(ReadWholeFile(m_dir.file("stderr")),
              "Initializing audio extraction...\nExtracting Track 1...\nError extracting audio\n");
}
