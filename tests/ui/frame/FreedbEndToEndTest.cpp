// The real program with a CD image as its drive and "Automatically query freedb for unrecognized
// discs" on, pointed at the local CDDB server: at start it reads the disc, finds it in no cd.ini,
// looks it up on the server without a window, and after it ended cd.ini holds the titles it found.
#include "tests/support/CdImage.h"
#include "tests/support/CddbServer.h"
#include "tests/support/ProgramSandbox.h"

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

} // namespace
