// The real program with a CD image as its drive and "Automatically query freedb for unrecognized
// discs" on, pointed at the local CDDB server: at start it reads the disc, finds it in no cd.ini,
// looks it up on the server without a window, and after it ended cd.ini holds the titles it found.
// The options sheet's freedb page, used with the keyboard, writes the address and autoquery; what
// the user types into the disc information sheet of a CD tab reaches cd.ini.
#include "tests/support/CdImage.h"
#include "tests/support/CddbServer.h"
#include "platform/registry/CRegistryHive.h"
#include "tests/support/ProgramSandbox.h"
#include "tests/support/XDesktop.h"

#include <QThread>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

// The CDDB disc id worked out here from the image's addresses (digit sums of the start seconds,
// the playing time, the track count), independently of the player.
std::string DiscId(const std::vector<std::uint32_t> &frames)
{
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < frames.size(); ++i)
        for (unsigned s = frames[i] / 75; s > 0; s /= 10)
            sum += s % 10;
    const unsigned seconds = frames.back() / 75 - frames.front() / 75;
    char id[16];
    std::snprintf(id, sizeof id, "%08x", (sum % 255) << 24 | seconds << 8 | static_cast<unsigned>(frames.size() - 1));
    return id;
}

std::string ReadAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(FreedbEndToEnd, UnknownDiscIsLookedUpAndItsTitlesReachCdIni)
{
    CddbServer server;
    ASSERT_TRUE(server.Running());
    ProgramSandbox box;
    ASSERT_TRUE(box.Ready());
    CdImage image;
    CdImageDisc disc;
    disc.tracks = {{900, "", "", false}, {600, "", "", false}};
    std::filesystem::create_directories(box.Dir().file("disc"));
    ASSERT_TRUE(image.Create(box.Dir().file("disc"), disc));
    const std::string id = DiscId(image.startFrames);
    server.AddEntry("folk", id, "DTITLE=Singer / Songs\nDYEAR=2003\nDGENRE=Folk\nTTITLE0=Caf\xe9\nTTITLE1=Second\n");

    std::filesystem::create_directories(box.ConfigFolder());
    std::ofstream(box.ConfigFolder() + "/HKEY_CURRENT_USER.hive")
        << "[Software]\n\n[Software\\Melvane]\nautoquery=dword:00000001\ncdimagecount=dword:00000001\n"
        << "cdimage0=sz:" << image.cuePath << "\nfreedb_server=sz:" << server.Url()
        << "\nfreedb_email=sz:someone@example.org\n";
    ASSERT_TRUE(box.Start({}));
    ASSERT_TRUE(box.WaitUntilRunning());
    for (int i = 0; i < 100 && server.Requests().find("cddb+read+folk+" + id) == std::string::npos; ++i)
        QThread::msleep(50);
    ASSERT_NE(server.Requests().find("cddb+read+folk+" + id), std::string::npos) << server.Requests();
    QThread::msleep(1000); // the answer reaches the drive's record
    ASSERT_TRUE(box.Quit(ProgramSandbox::QuitBy::Sigterm));

    const std::string ini = ReadAll(box.DataFolder() + "/cd.ini");
    std::string key = id;
    key.erase(0, std::min(key.find_first_not_of('0'), key.size() - 1));
    for (char &c : key)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(ini.rfind("<" + key + ">\r\nartist=Singer\r\ntitle=Songs\r\ngenre=Folk\r\nyear=2003\r\n", 0), 0u) << ini;
    EXPECT_NE(ini.find("\r\n0=Caf\xc3\xa9\r\n1=Second\r\norder=0 1\r\n"), std::string::npos) << ini;
}

TEST(FreedbEndToEnd, FreedbPageWritesTheAddressAndAutomaticLookup)
{
    ProgramSandbox box(ProgramSandbox::Display::X11);
    ASSERT_TRUE(box.Ready());
    CdImage image;
    CdImageDisc disc;
    disc.tracks = {{300, "", "", false}};
    std::filesystem::create_directories(box.Dir().file("disc"));
    ASSERT_TRUE(image.Create(box.Dir().file("disc"), disc));
    std::filesystem::create_directories(box.ConfigFolder());
    std::ofstream(box.ConfigFolder() + "/HKEY_CURRENT_USER.hive")
        << "[Software]\n\n[Software\\Melvane]\ncdimagecount=dword:00000001\ncdimage0=sz:" << image.cuePath << "\n";
    ASSERT_TRUE(box.Start({}));
    ASSERT_TRUE(box.WaitUntilRunning());
    XDesktop x(box.DisplayName().toStdString());
    ASSERT_TRUE(x.Open());
    const unsigned long main = x.WaitForWindow("Melvane");
    ASSERT_NE(main, 0u);
    x.Focus(main);
    x.Key("p", true);
    const unsigned long sheet = x.WaitForWindow("Melvane Options");
    ASSERT_NE(sheet, 0u);
    x.Focus(sheet);
    x.Key("Tab", true);
    x.Key("Tab", true); // the freedb page, offered because the image is a drive
    x.Key("Tab");       // "email address"
    x.Type("me@example.org");
    for (int i = 0; i < 3; ++i) // past the server and "Refresh List" to the automatic lookup
        x.Key("Tab");
    x.Key("space");
    const QByteArray folder = qgetenv("MELVANE_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        EXPECT_TRUE(x.Screenshot(sheet, folder.toStdString() + "/options-freedb.png"));
    x.Key("Return");
    EXPECT_TRUE(x.WaitUntilGone("Melvane Options"));
    // Written at once: the hive holds them while the program still runs.
    const std::string hive = ReadAll(box.ConfigFolder() + "/HKEY_CURRENT_USER.hive");
    EXPECT_NE(hive.find("\nfreedb_email=sz:me@example.org\n"), std::string::npos) << hive;
    EXPECT_NE(hive.find("\nfreedb_server=sz:https://gnudb.gnudb.org/~cddb/cddb.cgi\n"), std::string::npos) << hive;
    ASSERT_TRUE(box.Quit(ProgramSandbox::QuitBy::Sigterm));
    const auto autoquery = box.Setting("autoquery");
    ASSERT_TRUE(autoquery.has_value());
    EXPECT_EQ(autoquery->dword, 1u);
}

TEST(FreedbEndToEnd, DiscInformationSheetSavesWhatTheUserTyped)
{
    ProgramSandbox box(ProgramSandbox::Display::X11);
    ASSERT_TRUE(box.Ready());
    CdImage image;
    CdImageDisc disc;
    disc.tracks = {{300, "", "", false}, {300, "", "", false}};
    std::filesystem::create_directories(box.Dir().file("disc"));
    ASSERT_TRUE(image.Create(box.Dir().file("disc"), disc));
    const std::string id = DiscId(image.startFrames);
    ASSERT_TRUE(box.Start({"-cd", QString::fromStdString(image.cuePath)}));
    ASSERT_TRUE(box.WaitUntilRunning());
    XDesktop x(box.DisplayName().toStdString());
    ASSERT_TRUE(x.Open());
    const unsigned long main = x.WaitForWindow("Melvane");
    ASSERT_NE(main, 0u);
    x.Focus(main);
    x.Key("i", true); // on the CD tab, Ctrl+I is Disc Information
    const unsigned long sheet = x.WaitForWindow("Disc Information (Drive D:)");
    ASSERT_NE(sheet, 0u) << "the CD tab's Ctrl+I opens the sheet";
    x.Focus(sheet);
    x.Type("Typed Artist"); // the sheet opens in "Artist:"
    x.Key("Tab");
    x.Type("Typed Title");
    const QByteArray folder = qgetenv("MELVANE_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        EXPECT_TRUE(x.Screenshot(sheet, folder.toStdString() + "/disc-info-real.png"));
    x.Key("Return"); // Save
    EXPECT_TRUE(x.WaitUntilGone("Disc Information (Drive D:)"));
    ASSERT_TRUE(box.Quit(ProgramSandbox::QuitBy::Sigterm));

    std::string key = id;
    key.erase(0, std::min(key.find_first_not_of('0'), key.size() - 1));
    for (char &c : key)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const std::string ini = ReadAll(box.DataFolder() + "/cd.ini");
    EXPECT_EQ(ini.rfind("<" + key + ">\r\nartist=Typed Artist\r\ntitle=Typed Title\r\n", 0), 0u) << ini;
}

} // namespace
