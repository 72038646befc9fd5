// The file information windows over real files: captions, groups, edit limits and what Save gives.
// With MELVANE_SCREENSHOT_DIR set, each window is also saved there as a PNG.
#include "playlist/CPlayerDoc.h"
#include "tests/support/PlaylistFakes.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/ModuleWriter.h"
#include "ui/CModuleInfoDialog.h"
#include "ui/CMpegInfoDialog.h"
#include "ui/CTagInfoDialog.h"
#include "ui/CToolTipSlider.h"
#include "ui/CWavInfoDialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

class InfoDialogsTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = new TempDir;
        const std::string tone = MakeToneWav(*dir, "tone", ToneSpec{});
        ASSERT_FALSE(tone.empty());
        wav = tone;
        mp3 = EncodeMp3(*dir, "tone", tone);
        ogg = EncodeOgg(*dir, "tone", tone);
        flac = EncodeFlac(*dir, "tone", tone);
        ModuleSong song;
        song.orders = {0};
        song.patterns.emplace_back();
        mod = dir->file("song.mod");
        ASSERT_TRUE(ModuleWriter::Save(mod, ModuleWriter::Mod(song)));
    }
    static void TearDownTestSuite() { delete dir; }

    static QStringList GroupTitles(const QWidget &dialog)
    {
        QStringList titles;
        for (const QGroupBox *group : dialog.findChildren<QGroupBox *>())
            titles << group->title();
        return titles;
    }
    static void Keep(QWidget &dialog, const char *name)
    {
        const QByteArray folder = qgetenv("MELVANE_SCREENSHOT_DIR");
        if (folder.isEmpty())
            return;
        dialog.adjustSize();
        dialog.grab().save(QString::fromUtf8(folder) + "/" + name + ".png");
    }

    static inline TempDir *dir = nullptr;
    static inline std::string wav, mp3, ogg, flac, mod;
    FakeIdentifier identifier;
    FakeMessageBox box;
    CPlayerDoc doc{identifier, box};
};

TEST_F(InfoDialogsTest, EachWindowHasItsCaptionAndGroup)
{
    const struct {
        const char *name;
        std::function<std::unique_ptr<CInfoDialog>(CPlayerDoc &)> make;
        const char *caption;
        const char *group;
    } cases[] = {
        {"mpeg", [](CPlayerDoc &d) { return std::make_unique<CMpegInfoDialog>(mp3, d); }, "MPEG File Information", "MPEG Info"},
        {"wav", [](CPlayerDoc &d) { return std::make_unique<CWavInfoDialog>(wav, d); }, "WAV File Information", "WAV Info"},
        {"ogg", [](CPlayerDoc &d) { return std::make_unique<CTagInfoDialog>(ogg, CTagInfo::Format::OggVorbis, d, nullptr); },
         "Ogg Vorbis File Information", "Ogg Vorbis Info"},
        {"flac", [](CPlayerDoc &d) { return std::make_unique<CTagInfoDialog>(flac, CTagInfo::Format::Flac, d, nullptr); },
         "FLAC File Information", "FLAC Info"},
        {"wma", [](CPlayerDoc &d) { return std::make_unique<CTagInfoDialog>(ogg, CTagInfo::Format::Wma, d, nullptr); },
         "Windows Media Audio File Information", "Windows Media Audio"},
        {"mod", [](CPlayerDoc &d) {
             CPlaylistEntry entry;
             entry.m_strPath = mod;
             entry.m_nType = kTypeMod4;
             return std::make_unique<CModuleInfoDialog>(entry, d);
         }, "MOD File Information", "MOD Info"},
    };
    doc.xinfo = 30;
    doc.yinfo = 40;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<CInfoDialog> dialog = c.make(doc);
        EXPECT_EQ(dialog->windowTitle(), c.caption);
        EXPECT_EQ(GroupTitles(*dialog), QStringList{c.group});
        EXPECT_TRUE(dialog->PathEdit()->isReadOnly());
        EXPECT_EQ(dialog->SaveButton()->text(), "Save");
        EXPECT_EQ(dialog->pos(), QPoint(30, 40)) << "the shared information window position";
        Keep(*dialog, c.name);
    }
}

TEST_F(InfoDialogsTest, MpegWindowLimitsItsFieldsAndOffersUnknownGenre)
{
    CMpegInfoDialog dialog(mp3, doc);
    EXPECT_EQ(dialog.TitleEdit()->maxLength(), 30);
    EXPECT_EQ(dialog.YearEdit()->maxLength(), 4);
    EXPECT_EQ(dialog.GenreBox()->count(), 149);
    EXPECT_NE(dialog.GenreBox()->findText("<unknown>"), -1);
    EXPECT_EQ(dialog.InfoText().rfind("Length:\t1 sec\nFilesize:\t", 0), 0u) << dialog.InfoText();
    dialog.show();
    EXPECT_EQ(dialog.GenreBox()->nextInFocusChain(), dialog.SaveButton()) << "Tab reaches Save after the fields";
    dialog.TitleEdit()->setText(QString(40, QLatin1Char('x')));
    dialog.GenreBox()->setCurrentText("<unknown>");
    const CTagFields fields = dialog.Fields();
    EXPECT_EQ(fields.title, std::string(30, 'x'));
    EXPECT_EQ(fields.genre, "<unknown>");
}

TEST_F(InfoDialogsTest, WavWindowSaysItsTextsStayInThePlaylist)
{
    CWavInfoDialog dialog(wav, doc);
    bool note = false;
    for (const QLabel *label : dialog.findChildren<QLabel *>())
        note |= label->text() == " [NB. *Information which is stored only in the playlist]";
    EXPECT_TRUE(note);
    EXPECT_EQ(dialog.ArtistEdit()->maxLength(), 32);
    EXPECT_NE(dialog.InfoText().find("Type:\tMicrosoft PCM"), std::string::npos) << dialog.InfoText();
}

TEST_F(InfoDialogsTest, TagWindowShowsKeptTextsAndKeepsATypedGenre)
{
    CTagFields pending;
    pending.title = "Kept back";
    pending.comment = "one\r\ntwo";
    CTagInfoDialog dialog(ogg, CTagInfo::Format::OggVorbis, doc, nullptr, pending);
    EXPECT_EQ(dialog.TitleEdit()->text(), "Kept back");
    EXPECT_EQ(dialog.CommentEdit()->toPlainText(), "one\ntwo");
    dialog.GenreBox()->setCurrentText("Chiptune Jazz");
    dialog.YearEdit()->setText("2024");
    const CTagFields fields = dialog.Fields();
    EXPECT_EQ(fields.genre, "Chiptune Jazz");
    EXPECT_EQ(fields.year, "2024");
    EXPECT_EQ(fields.comment, "one\ntwo");
}

TEST_F(InfoDialogsTest, ModuleWindowLimitsTheTitleAndSavesLevelsPlusOne)
{
    CPlaylistEntry entry;
    entry.m_strPath = mod;
    entry.m_nType = kTypeMod4;
    doc.mixing1 = 60;
    doc.panning1 = 25;
    CModuleInfoDialog dialog(entry, doc);
    EXPECT_EQ(dialog.TitleEdit()->maxLength(), 19);
    EXPECT_EQ(dialog.TitleEdit()->text(), "melvane test song");
    ASSERT_EQ(dialog.Tabs()->count(), 1) << "no instruments, no message: samples only";
    EXPECT_EQ(dialog.Tabs()->tabText(0), "Samples");
    EXPECT_EQ(dialog.MixingSlider()->value(), 60);
    const CModuleEdit untouched = dialog.Edit();
    EXPECT_EQ(untouched.title, untouched.openedTitle);
    EXPECT_EQ(untouched.mixing, 61);
    EXPECT_EQ(untouched.panning, 26);
}

} // namespace
