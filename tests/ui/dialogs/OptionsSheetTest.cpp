// The options sheet's OK rules, driven through its real pages over the real player core on the manual
// output: which changes restart the audio output (once, however many output settings changed), what
// reaches the settings, the message for function-key monitoring, the tray and the file types.
#include "ui/COptionsSheet.h"

#include "playlist/CFileAssociations.h"
#include "platform/registry/CRegistry.h"
#include "tests/support/ManualOutput.h"
#include "tests/support/MediaFixtures.h"
#include "tests/support/PlayerCoreRig.h"
#include "tests/support/TempDir.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSlider>
#include <QTabWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>

namespace {

template <typename T> T *Control(QWidget &sheet, const char *name)
{
    T *control = sheet.findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
}

void OpenSetup(COptionsSheet &sheet)
{
    sheet.Tabs()->setCurrentIndex(1);
}

struct Rule {
    const char *name;
    std::function<void(COptionsSheet &)> change;
    int restarts;
    std::function<bool(const CPlayerDoc &)> stored;
    int messages = 0;
    int trayChanges = 0;
};

TEST(OptionsSheet, OkRules)
{
    const Rule rules[] = {
        {"a slider alone", [](COptionsSheet &s) { Control<QSlider>(s, "mixing1")->setValue(80); }, 0,
         [](const CPlayerDoc &d) { return d.mixing1 == 80 && d.bassbuffer == 0; }},
        {"rate and buffer together",
         [](COptionsSheet &s) {
             Control<QComboBox>(s, "bassfreq")->setCurrentIndex(2);
             Control<QComboBox>(s, "bassbuffer")->setCurrentIndex(1);
         },
         1, [](const CPlayerDoc &d) { return d.bassfreq == 2 && d.bassbuffer == 1; }},
        {"32-bit mixing", [](COptionsSheet &s) { Control<QCheckBox>(s, "bassfloat")->toggle(); }, 1,
         [](const CPlayerDoc &d) { return d.bassfloat == 1; }},
        {"module lists and gapless",
         [](COptionsSheet &s) {
             Control<QComboBox>(s, "surround2")->setCurrentIndex(1);
             Control<QComboBox>(s, "ramping1")->setCurrentIndex(0);
             Control<QComboBox>(s, "looping")->setCurrentIndex(2);
             Control<QCheckBox>(s, "gapless")->toggle();
             Control<QCheckBox>(s, "autocorrect")->toggle();
         },
         0,
         [](const CPlayerDoc &d) {
             return d.surround2 == 1 && d.ramping1 == 0 && d.looping == 2 && d.gapless == 0 && d.autocorrect == 0;
         }},
        {"function-key monitoring",
         [](COptionsSheet &s) {
             OpenSetup(s);
             Control<QCheckBox>(s, "keyhook")->toggle();
         },
         0, [](const CPlayerDoc &d) { return d.keyhook == 1; }, 1},
        {"tray and clicks",
         [](COptionsSheet &s) {
             OpenSetup(s);
             Control<QCheckBox>(s, "minimizetray")->toggle();
             Control<QComboBox>(s, "click3")->setCurrentIndex(6);
             Control<QCheckBox>(s, "autoplay1")->toggle();
         },
         0, [](const CPlayerDoc &d) { return d.minimizetray == 1 && d.click3 == 6 && d.autoplay1 == 1; }, 0, 1},
        {"setup never opened", [](COptionsSheet &) {}, 0,
         [](const CPlayerDoc &d) { return d.autoplay0 == 7; }},
    };
    for (const Rule &rule : rules) {
        SCOPED_TRACE(rule.name);
        TempDir dir;
        const std::string wav = MakeToneWav(dir, "a", {44100, 2, 16, 20, "sine 440"});
        PlayerCoreRig rig;
        rig.doc.bassdev = 9; // past the device list: shown as the first, kept unless another is picked
        rig.doc.autoplay0 = 7;
        ASSERT_TRUE(rig.Start());
        ASSERT_EQ(rig.Add({wav}), 1);
        rig.core->PlayIndex(0);
        rig.Ticks(120);
        ASSERT_TRUE(rig.Engine().IsPlaying());

        int trayChanges = 0;
        COptionsSheet::Links links;
        links.core = rig.core.get();
        links.messageBox = &rig.messageBox;
        links.trayChanged = [&trayChanges] { ++trayChanges; };
        COptionsSheet sheet(links);
        EXPECT_EQ(sheet.windowTitle(), "Melvane Options");
        sheet.show();
        rule.change(sheet);
        const int before = ManualOutput::InitCount();
        sheet.accept();
        EXPECT_EQ(ManualOutput::InitCount() - before, rule.restarts);
        EXPECT_TRUE(rule.stored(rig.doc));
        EXPECT_EQ(rig.doc.bassdev, 9);
        EXPECT_EQ(rig.messageBox.m_texts.size(), static_cast<std::size_t>(rule.messages));
        if (rule.messages)
            EXPECT_EQ(rig.messageBox.m_texts[0], COptionsApply::kKeyHookRestartMessage);
        EXPECT_EQ(trayChanges, rule.trayChanges);
        EXPECT_EQ(rig.Engine().OutputFrequency(), rig.doc.bassfreq == 2 ? 48000 : 44100);
        EXPECT_TRUE(rig.Engine().IsPlaying()) << "what played goes on";
        EXPECT_GE(rig.Engine().ElapsedMs(), 2000u) << "from the same second";
    }
}

TEST(OptionsSheet, CheckingATypeAssociatesItAndUncheckingRestores)
{
    TempDir dir;
    const std::string list = dir.file("config/mimeapps.list");
    std::filesystem::create_directories(dir.file("apps"));
    std::filesystem::create_directories(dir.file("config"));
    ASSERT_TRUE(WriteWholeFile(dir.file("apps/other.desktop"), "[Desktop Entry]\nType=Application\nName=O\nExec=true\n"));
    ASSERT_TRUE(WriteWholeFile(list, "[Default Applications]\naudio/mpeg=other.desktop;\n"));
    CRegistry registry(dir.file("registry"));
    CFileAssociations associations(registry, "/bin/true", {dir.file("apps"), list, {dir.file("apps")}});
    PlayerCoreRig rig;
    ASSERT_TRUE(rig.Start());
    COptionsSheet::Links links;
    links.core = rig.core.get();
    links.messageBox = &rig.messageBox;
    links.associations = &associations;

    for (bool check : {true, false}) {
        COptionsSheet sheet(links);
        sheet.show();
        OpenSetup(sheet);
        QTreeWidget *types = Control<QTreeWidget>(sheet, "filetypes");
        QStringList rows;
        for (int i = 0; i < types->topLevelItemCount(); ++i)
            rows << types->topLevelItem(i)->text(0) + " " + types->topLevelItem(i)->text(1);
        EXPECT_EQ(rows.join(", ").toStdString(),
                  "MOD Sound/Noise/ProTracker, S3M ScreamTracker, XM FastTracker, IT ImpulseTracker, MP2 MPEG Audio, "
                  "MP3 MPEG Audio, OGG Ogg Vorbis, FLAC Free Lossless Audio Codec, WAV Windows PCM/ACM, "
                  "VPL Melvane Playlist")
            << "no WMA without the plug-in, no CD without a drive";
        QTreeWidgetItem *mp3 = types->findItems(QStringLiteral("MP3"), Qt::MatchExactly).value(0);
        ASSERT_NE(mp3, nullptr);
        EXPECT_EQ(mp3->checkState(0) == Qt::Checked, !check);
        mp3->setCheckState(0, check ? Qt::Checked : Qt::Unchecked);
        sheet.accept();
        EXPECT_EQ(associations.IsAssociated(CFileAssociations::kRowMp3), check);
        EXPECT_FALSE(associations.IsAssociated(CFileAssociations::kRowMp2)) << "unchanged rows are left alone";
    }
    EXPECT_EQ(ReadWholeFile(list), "[Default Applications]\naudio/mpeg=other.desktop;\n");
}

} // namespace
