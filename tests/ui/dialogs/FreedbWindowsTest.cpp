// The freedb windows and the disc information sheet, driven through their widgets against the local
// CDDB server: the progress window closing by itself or staying open on the failure's status, Cancel
// mid-exchange, a disc chosen among matches; a CD image's disc retrieved into the sheet, edited with
// the title edit's keys, checked and submitted under its existing entry with the next revision, and
// saved into cd.ini (also when the disc was exchanged while the sheet was open); the options page's
// "Refresh List" and OK. With MELVANE_SCREENSHOT_DIR set, the windows are kept as PNGs.
#include "ui/CDiscInfo1.h"
#include "ui/CDiscInfo2.h"
#include "ui/CDiscInfoSheet.h"
#include "ui/CFreedbDialog.h"
#include "ui/CMatchesDialog.h"
#include "ui/COptionsFreeDB.h"
#include "ui/COptionsSheet.h"
#include "ui/CSubmitDialog.h"

#include "engine/CCdPlayback.h"
#include "platform/registry/CRegistry.h"
#include "playlist/CPlayerSettings.h"
#include "tests/cd/CdFakes.h"
#include "tests/support/CdImage.h"
#include "tests/support/CddbServer.h"
#include "tests/support/PlayerCoreRig.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace {

// Acts on each modal window that comes up (the handler returns true once it dealt with it) for as
// long as it lives, as a user answering them would.
class ModalHand {
public:
    explicit ModalHand(std::function<bool(QWidget *)> handler) : m_handler(std::move(handler))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal && modal != m_last && m_handler(modal))
                m_last = modal;
        });
        m_timer.start(30);
    }

private:
    std::function<bool(QWidget *)> m_handler;
    QWidget *m_last = nullptr;
    QTimer m_timer;
};

void Keep(QWidget &window, const char *name)
{
    const QByteArray folder = qgetenv("MELVANE_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        EXPECT_TRUE(window.grab().save(QString::fromLocal8Bit(folder) + "/" + name + ".png"));
}

std::string ReadAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

const std::string kRock = "# xmcd\n#\n# Revision: 3\n#\nDTITLE=Rock Band / Loud\nDYEAR=1990\nDGENRE=Rock\n"
                          "TTITLE0=R1\nTTITLE1=R2\nTTITLE2=R3\n";
const std::string kMisc = "DTITLE=Misc Band / Quiet\nDYEAR=1991\nDGENRE=Misc\nTTITLE0=M1\nTTITLE1=M2\nTTITLE2=M3\n";

class FreedbWindowsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.Running());
        m_server.AddEntry("rock", "0a0b0c04", kRock);
        m_server.AddEntry("misc", "0a0b0c04", kMisc);
        m_server.AddEntry("misc", "0a0b0c03", kMisc);
    }
    CFreedbDialog::Account Account() const { return {m_server.Url(), "someone@example.org"}; }
    CddbServer m_server;
    FakeMessageBox m_messages;
};

TEST_F(FreedbWindowsTest, ProgressWindowClosesOrShowsWhy)
{
    const struct {
        const char *name;
        std::uint32_t disc;
        std::string fault;
        bool cancel;      // Cancel is pressed while the server keeps silent
        bool found;
        const char *left; // the status the window stayed open on ("" when it closed by itself)
        const char *title1;
    } cases[] = {
        {"one match", 0x0A0B0C03, "", false, true, "", "M1"},
        {"the second of two matches", 0x0A0B0C04, "", false, true, "", "R1"},
        {"no match", 0x0A0B0C05, "", false, false, "No match found", ""},
        {"server error", 0x0A0B0C03, "500", false, false, "500 - Internal Server Error", ""},
        {"not a CDDB answer", 0x0A0B0C03, "html", false, false, "Could not perform query", ""},
        {"Cancel while connecting", 0x0A0B0C03, "timeout", true, false, "", ""},
    };
    for (const auto &c : cases) {
        m_server.SetFault(c.fault);
        std::string left;
        int matchesShown = 0;
        ModalHand hand([&](QWidget *modal) {
            if (auto *matches = qobject_cast<CMatchesDialog *>(modal)) {
                ++matchesShown;
                auto *list = matches->findChild<QTreeWidget *>(QStringLiteral("matches"));
                EXPECT_EQ(list->topLevelItem(0)->text(0), "misc");
                EXPECT_EQ(list->topLevelItem(1)->text(1), "Rock Band / Loud");
                list->setCurrentItem(list->topLevelItem(1));
                Keep(*matches, "freedb-matches");
                matches->accept();
                return true;
            }
            auto *freedb = qobject_cast<CFreedbDialog *>(modal);
            if (!freedb)
                return false;
            if (c.cancel) {
                QTimer::singleShot(300, freedb, [freedb] {
                    freedb->CancelButton()->click();
                    EXPECT_EQ(freedb->StatusText(), "Aborting connection...");
                });
                return true;
            }
            if (freedb->CancelButton()->text() != "Close")
                return false; // still working
            left = freedb->StatusText().toStdString();
            if (c.disc == 0x0A0B0C05)
                Keep(*freedb, "freedb-no-match");
            freedb->CancelButton()->click();
            return true;
        });
        CFreedbDialog freedb(Account(), &m_messages);
        freedb.SetTimeouts(3000, 3000);
        CDiscRecord record = ThreeTrackDisc();
        record.m_nDiscId = c.disc;
        QElapsedTimer took;
        took.start();
        EXPECT_EQ(freedb.Query(record), c.found) << c.name;
        EXPECT_LT(took.elapsed(), 2500) << c.name;
        EXPECT_EQ(left, c.left) << c.name;
        EXPECT_EQ(record.m_strTitle[1], c.title1) << c.name;
        EXPECT_EQ(matchesShown, c.disc == 0x0A0B0C04 ? 1 : 0) << c.name;
    }
    m_server.SetFault("");

    // A submission needs a real address: without one nothing is sent and no window opens.
    CFreedbDialog anonymous({m_server.Url(), "nobody"}, &m_messages);
    EXPECT_FALSE(anonymous.Submit(ThreeTrackDisc(), "DISCID=0a0b0c03\r\n"));
    ASSERT_EQ(m_messages.m_texts.size(), 1u);
    EXPECT_EQ(m_messages.m_texts[0], "A valid email address is required for freedb data submissions.  ");
    EXPECT_EQ(m_server.Requests().find("POST"), std::string::npos);
    EXPECT_EQ(m_server.Submission(0), "");
}

TEST_F(FreedbWindowsTest, SheetRetrievesEditsSubmitsAndSaves)
{
    TempDir dir;
    CdImage image;
    CdImageDisc disc;
    disc.tracks = {{900, "", "", false}, {600, "", "", false}, {300, "", "", false}};
    std::filesystem::create_directories(dir.file("drive"));
    ASSERT_TRUE(image.Create(dir.file("drive"), disc));
    PlayerCoreRig rig;
    CCdPlayback cd(rig.doc, CCdDriveList({}, {image.cuePath}), {"", dir.file("") + "/", ""});
    cd.RefreshDrive(0);
    const CDiscRecord inDrive = cd.Record(0);
    ASSERT_NE(inDrive.m_nDiscId, 0u);
    char id[16];
    std::snprintf(id, sizeof id, "%08x", inDrive.m_nDiscId);
    m_server.AddEntry("rock", id, kRock);

    int x = 40, y = 50;
    CDiscInfoSheet::Links links;
    links.messageBox = &m_messages;
    links.account = Account();
    links.x = &x;
    links.y = &y;
    CDiscInfoSheet sheet(inDrive, links);
    EXPECT_EQ(sheet.windowTitle(), QStringLiteral("Disc Information (Drive %1:)").arg(QChar::fromLatin1(inDrive.m_cDrive)));
    EXPECT_FALSE(sheet.CdTextButton()->isEnabled()) << "a plain CUE sheet has no CD-Text";
    EXPECT_EQ(sheet.SaveButton()->text(), "Save");
    sheet.show();
    EXPECT_EQ(sheet.pos(), QPoint(40, 50)) << "it opens where it was closed";

    sheet.OnRetrieveData();
    CDiscInfo1 &general = *sheet.GeneralPage();
    CDiscInfo2 &tracks = *sheet.TracksPage();
    EXPECT_EQ(general.ArtistEdit()->text(), "Rock Band");
    EXPECT_EQ(general.GenreBox()->currentText(), "Rock");
    EXPECT_EQ(tracks.List()->topLevelItem(0)->text(2), "00:12.00") << "900 frames counted from frame 150";
    EXPECT_EQ(tracks.List()->topLevelItem(1)->text(2), "00:08.00");
    Keep(sheet, "disc-info-general");

    // Missing fields take the user to them before anything is sent.
    general.YearEdit()->clear();
    QTest::keyClicks(general.YearEdit(), "x");
    sheet.OnSubmitData();
    ASSERT_EQ(m_messages.m_texts.size(), 1u);
    EXPECT_EQ(m_messages.m_texts[0], "Please supply a Disc Year.  ");
    general.YearEdit()->clear();
    QTest::keyClicks(general.YearEdit(), "1995");

    // The title edit's keys: Enter wraps to the first track, Down stops at the last, Up wraps back.
    sheet.Tabs()->setCurrentWidget(&tracks);
    QLineEdit *title = tracks.TitleEdit();
    title->setFocus();
    EXPECT_EQ(tracks.TrackLabel()->text(), "Track 1:");
    title->selectAll();
    QTest::keyClicks(title, "First");
    QTest::keyClick(title, Qt::Key_Return);
    EXPECT_EQ(tracks.CurrentTrack(), 2);
    QTest::keyClick(title, Qt::Key_Down);
    QTest::keyClick(title, Qt::Key_Down);
    EXPECT_EQ(tracks.CurrentTrack(), 3);
    QTest::keyClicks(title, "Last"); // overtypes the selected title
    QTest::keyClick(title, Qt::Key_Return);
    EXPECT_EQ(tracks.CurrentTrack(), 1);
    QTest::keyClick(title, Qt::Key_Up);
    EXPECT_EQ(tracks.CurrentTrack(), 3);
    EXPECT_TRUE(sheet.isVisible()) << "Enter in the title edit moves on; it does not save";
    EXPECT_EQ(tracks.List()->topLevelItem(0)->text(1), "First");
    EXPECT_EQ(sheet.Record().m_strTitle[3], "Last");
    Keep(sheet, "disc-info-tracks");

    // Extended data: a line break and a TAB typed with Ctrl+Tab are stored escaped.
    sheet.Tabs()->setCurrentWidget(&general);
    general.ExtdEdit()->setFocus();
    QTest::keyClicks(general.ExtdEdit(), "one");
    QTest::keyClick(general.ExtdEdit(), Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClick(general.ExtdEdit(), Qt::Key_Return);
    QTest::keyClicks(general.ExtdEdit(), "two\\");
    EXPECT_EQ(sheet.Record().m_strExtd, "one\\t\\ntwo\\\\");
    EXPECT_EQ(sheet.Tabs()->currentWidget(), &general) << "Ctrl+Tab in the box does not turn the page";
    general.GenreBox()->setEditText(QStringLiteral("Krautrock-ish"));
    EXPECT_EQ(sheet.Record().m_strGenre, "Krautrock-ish") << "a genre outside the list is kept as typed";

    int categoryShown = 0;
    ModalHand hand([&](QWidget *modal) {
        auto *submit = qobject_cast<CSubmitDialog *>(modal);
        if (!submit)
            return false;
        ++categoryShown;
        EXPECT_TRUE(submit->findChild<QRadioButton *>(QStringLiteral("update"))->isChecked());
        auto *categories = submit->findChild<QComboBox *>(QStringLiteral("category"));
        EXPECT_EQ(categories->findText(QStringLiteral("rock")), -1) << "the disc already has a rock entry";
        EXPECT_EQ(categories->count(), 10);
        Keep(*submit, "freedb-submit");
        submit->accept();
        return true;
    });
    sheet.OnSubmitData();
    EXPECT_EQ(categoryShown, 1);
    const std::string sent = m_server.Submission(0);
    EXPECT_NE(sent.find("Category: rock\n"), std::string::npos) << sent;
    EXPECT_NE(sent.find("\r\n# Revision: 4\r\n"), std::string::npos) << sent;
    EXPECT_NE(sent.find("\r\nTTITLE0=First\r\nTTITLE1=R2\r\nTTITLE2=Last\r\n"), std::string::npos) << sent;
    EXPECT_NE(sent.find("\r\nEXTD=one\\t\\ntwo\\\\\r\n"), std::string::npos) << "escapes are sent as stored";
    EXPECT_NE(sent.find("\r\nDYEAR=1995\r\n"), std::string::npos);

    sheet.move(-20, 30); // closed partly off the screen: it comes back fully reachable
    sheet.accept();
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    ASSERT_TRUE(cd.SaveEdited(0, sheet.Record()));
    EXPECT_EQ(cd.Record(0).m_strTitle[1], "First");
    cd.Discs().SaveAll();
    const std::string key = CDiscRecord::SectionKey(inDrive.m_nDiscId);
    std::string ini = ReadAll(dir.file("cd.ini"));
    EXPECT_EQ(ini.rfind("<" + key + ">\r\nartist=Rock Band\r\ntitle=Loud\r\ngenre=Krautrock-ish\r\nyear=1995\r\n", 0), 0u)
        << ini;
    EXPECT_NE(ini.find("\r\n0=First\r\n1=R2\r\n2=Last\r\norder=0 1 2\r\n"), std::string::npos) << ini;

    // The disc is exchanged while a second sheet is open: "Save" files the texts under the old id.
    CDiscInfoSheet again(cd.Record(0), links);
    again.GeneralPage()->TitleEdit()->setText(QString());
    QTest::keyClicks(again.GeneralPage()->TitleEdit(), "Renamed");
    CdImage other;
    disc.tracks.pop_back();
    std::filesystem::create_directories(dir.file("other"));
    ASSERT_TRUE(other.Create(dir.file("other"), disc));
    std::filesystem::copy_file(other.binPath, image.binPath, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(other.cuePath, image.cuePath, std::filesystem::copy_options::overwrite_existing);
    cd.RefreshDrive(0);
    ASSERT_NE(cd.Record(0).m_nDiscId, inDrive.m_nDiscId);
    EXPECT_FALSE(cd.SaveEdited(0, again.Record()));
    EXPECT_EQ(cd.Record(0).m_strDiscTitle, "") << "the new disc's record is left alone";
    ini = ReadAll(dir.file("cd.ini"));
    EXPECT_NE(ini.find("<" + key + ">\r\nartist=Rock Band\r\ntitle=Renamed\r\n"), std::string::npos) << ini;
}

TEST_F(FreedbWindowsTest, OptionsPageRefreshesTheServerListAndWritesAtOnce)
{
    TempDir dir;
    CRegistry registry(dir.file("registry"));
    CPlayerSettings::WriteFreedbAccount(registry, "someone@example.org", m_server.Url());
    m_server.SetSites("one.example http 80 /~cddb/cddb.cgi N000.00 W000.00 One\n"
                      "two.example cddbp 888 - N000.00 W000.00 Two\n"
                      "three.example http 8080 /cddb/cddb.cgi N000.00 W000.00 Three\n");
    PlayerCoreRig rig;
    COptionsSheet::Links links;
    links.core = rig.core.get();
    links.messageBox = &m_messages;
    links.registry = &registry;
    links.hasCdDrive = true;
    COptionsSheet sheet(links);
    ASSERT_EQ(sheet.Tabs()->count(), 3);
    EXPECT_EQ(sheet.Tabs()->tabText(2), "freedb");
    sheet.show();
    sheet.Tabs()->setCurrentIndex(2);
    COptionsFreeDB &page = *sheet.FreedbPage();
    QComboBox *server = page.ServerBox();
    EXPECT_EQ(server->currentText().toStdString(), m_server.Url());
    EXPECT_EQ(server->itemText(0), "https://gnudb.gnudb.org/~cddb/cddb.cgi") << "the built-in server when none is kept";

    page.RefreshList();
    EXPECT_EQ(CPlayerSettings::ReadFreedbServers(registry),
              (std::vector<std::string>{"http://one.example:80/~cddb/cddb.cgi", "http://three.example:8080/cddb/cddb.cgi"}));
    ASSERT_EQ(server->count(), 2);
    EXPECT_EQ(server->currentText(), "http://one.example:80/~cddb/cddb.cgi");

    server->setCurrentIndex(1);
    auto *email = page.findChild<QLineEdit *>(QStringLiteral("freedb_email"));
    email->setText(QStringLiteral("other@example.org"));
    page.findChild<QCheckBox *>(QStringLiteral("autoquery"))->setChecked(true);
    sheet.accept();
    EXPECT_EQ(CPlayerSettings::ReadFreedbServer(registry), "http://three.example:8080/cddb/cddb.cgi");
    EXPECT_EQ(CPlayerSettings::ReadFreedbEmail(registry), "other@example.org");
    EXPECT_EQ(rig.doc.autoquery, 1);
    EXPECT_TRUE(rig.core->Cd().Discs().AutoQueryEnabled());

    links.hasCdDrive = false;
    COptionsSheet without(links);
    EXPECT_EQ(without.Tabs()->count(), 2) << "no freedb page without a CD drive";
}

} // namespace
