// The extraction windows with real widgets offscreen: the track list's rows, durations and check
// marks, the format list and its Configure rule, Extract only with a checked row; the progress window
// running the real worker on a CD image to its end (bars full, files handed over) and staying open with
// "Close" after a failure.
#include "cd/CCdDiscs.h"
#include "cd/CEncoderHost.h"
#include "ui/CExtractDialog.h"
#include "ui/CExtractProgressDialog.h"

#include "tests/support/CdImage.h"
#include "tests/support/TempDir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

class ExtractDialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CdImageDisc disc;
        disc.tracks = {{4512, "", "", false}, {75, "", "", false}, {300, "", "", false}};
        ASSERT_TRUE(m_image.Create(m_dir.path().string(), disc));
        m_drives = CCdDriveList({}, {m_image.cuePath});
        CCdDiscs discs(m_drives, {});
        m_record = discs.Record(0);
        discs.ReadDisc(m_record);
        m_record.m_strDiscTitle = "Disc";
        m_record.m_strTitle[1] = "Long";
        m_record.m_bChecked[2] = 0;
        m_encoders.Discover(MELVANE_ENCODERS);
    }

    TempDir m_dir;
    CdImage m_image;
    CCdDriveList m_drives;
    CDiscRecord m_record;
    CEncoderHost m_encoders;
};

} // namespace

TEST_F(ExtractDialogsTest, TrackListFormatsAndExtractButton)
{
    CExtractDialog dialog(m_record, m_encoders, {"/music", true, "OGGOUT.so"});
    QTreeWidget *tracks = dialog.TrackList();
    ASSERT_EQ(tracks->topLevelItemCount(), 3);
    const char *rows[][3] = {{"1", "Long", "01:00.12"}, {"2", "", "00:01.00"}, {"3", "", "00:04.00"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(tracks->topLevelItem(r)->text(c).toStdString(), rows[r][c]) << r << "," << c;
    EXPECT_EQ(tracks->topLevelItem(1)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(CExtractDialog::FormatFrames(75 * 60 * 12 + 75 * 5 + 3).toStdString(), "12:05.03");
    EXPECT_EQ(dialog.FormatList()->itemText(0).toStdString(), "Windows PCM");
    EXPECT_EQ(dialog.FormatList()->count(), 1 + m_encoders.Count());
    EXPECT_EQ(dialog.FormatList()->currentText().toStdString(), "Ogg Vorbis") << "extractenc, letter case aside";
    EXPECT_TRUE(dialog.ConfigureButton()->isEnabled());
    dialog.FormatList()->setCurrentIndex(0);
    EXPECT_FALSE(dialog.ConfigureButton()->isEnabled());
    EXPECT_TRUE(dialog.ExtractButton()->isEnabled());
    tracks->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    tracks->topLevelItem(2)->setCheckState(0, Qt::Unchecked);
    EXPECT_FALSE(dialog.ExtractButton()->isEnabled()) << "no row checked";
    tracks->topLevelItem(1)->setCheckState(0, Qt::Checked);
    EXPECT_TRUE(dialog.ExtractButton()->isEnabled());
    EXPECT_EQ(dialog.Record().m_bChecked[1], 0);
    EXPECT_EQ(dialog.Record().m_bChecked[2], 1);
    dialog.AddCheck()->setChecked(false);
    dialog.FolderEdit()->setText("/elsewhere");
    const CExtractDialog::Choices chosen = dialog.Chosen();
    EXPECT_EQ(chosen.folder, "/elsewhere");
    EXPECT_FALSE(chosen.addToPlaylist);
    EXPECT_EQ(chosen.encoder, "");
}

TEST_F(ExtractDialogsTest, ProgressRunsToTheEndOrStaysOpenWithClose)
{
    std::vector<std::string> handed;
    const std::string out = m_dir.file("out");
    {
        CExtractProgressDialog progress(m_drives, m_record, out, nullptr,
                                        [&](const std::string &path) { handed.push_back(path); });
        EXPECT_EQ(progress.StatusText().toStdString(), "Initializing audio extraction...");
        EXPECT_EQ(progress.exec(), QDialog::Accepted);
        EXPECT_EQ(progress.Result(), CExtractWorker::Outcome::kDone);
        EXPECT_EQ(progress.TotalBar()->value(), progress.TotalBar()->maximum());
        EXPECT_EQ(progress.TotalBar()->maximum(), 4512 + 300);
        EXPECT_EQ(progress.TrackBar()->value(), 300);
        EXPECT_EQ(progress.StatusText().toStdString(), "Extracting Track 3...");
    }
    EXPECT_EQ(handed, (std::vector<std::string>{out + "/Disc/01 - Long.wav", out + "/Disc/03 - Untitled Track.wav"}));

    // A plug-in without Close: the window says so and waits for "Close".
    EncoderBinding incomplete;
    CExtractProgressDialog failing(m_drives, m_record, out, &incomplete, nullptr);
    bool stayedOpen = false;
    QTimer::singleShot(500, &failing, [&] {
        stayedOpen = failing.isVisible();
        EXPECT_EQ(failing.StatusText().toStdString(), "Unable to load encoder");
        EXPECT_EQ(failing.Button()->text().toStdString(), "Close");
        QTest::mouseClick(failing.Button(), Qt::LeftButton);
    });
    failing.exec();
    EXPECT_TRUE(stayedOpen);
}
