// The options sheet of the real program, used with the keyboard as a user would: Ctrl+P, the Setup
// page, "program start" and the MP3 row checked, OK. After the program ended, xdg-mime names the
// program's entry as the default for MP3 files, its desktop entry runs this very program, and the
// settings hive holds autoplay0. With MELVANE_SCREENSHOT_DIR set, the pages are kept as PNGs.
#include "platform/registry/CRegistryHive.h"
#include "tests/support/ProgramSandbox.h"
#include "tests/support/XDesktop.h"

#include <gtest/gtest.h>

namespace {

std::string Query(ProgramSandbox &box, const std::string &type)
{
    std::string answer = CommandOutput("env -u XDG_CURRENT_DESKTOP -u KDE_FULL_SESSION -u GNOME_DESKTOP_SESSION_ID"
                                       " -u DESKTOP_SESSION HOME='" + box.Home() + "' XDG_CONFIG_HOME='" + box.Home() +
                                       "/.config' XDG_DATA_HOME='" + box.Home() + "/.local/share' XDG_CONFIG_DIRS='" +
                                       box.Home() + "' XDG_DATA_DIRS='" + box.Home() + "' xdg-mime query default " + type);
    while (!answer.empty() && answer.back() == '\n')
        answer.pop_back();
    return answer;
}

void Keep(XDesktop &x, unsigned long window, const std::string &name)
{
    const QByteArray folder = qgetenv("MELVANE_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        EXPECT_TRUE(x.Screenshot(window, folder.toStdString() + "/" + name + ".png"));
}

TEST(OptionsEndToEnd, SetupPageMakesTheProgramTheDefaultForMp3)
{
    ProgramSandbox box(ProgramSandbox::Display::X11);
    ASSERT_TRUE(box.Ready());
    ASSERT_TRUE(box.Start({}));
    ASSERT_TRUE(box.WaitUntilRunning());
    XDesktop x(box.DisplayName().toStdString());
    ASSERT_TRUE(x.Open());
    const unsigned long main = x.WaitForWindow("Melvane");
    ASSERT_NE(main, 0u);
    x.Focus(main);
    x.Key("p", true);
    const unsigned long sheet = x.WaitForWindow("Melvane Options");
    ASSERT_NE(sheet, 0u) << "Ctrl+P opens the options";
    x.Focus(sheet);
    Keep(x, sheet, "options-general");
    x.Key("Tab", true); // the Setup page
    x.Key("Tab");       // its first check box, "program start"
    x.Key("space");
    for (int i = 0; i < 4; ++i) // past the other check boxes into the file types
        x.Key("Tab");
    for (int i = 0; i < 5; ++i) // from MOD down to MP3
        x.Key("Down");
    x.Key("space");
    Keep(x, sheet, "options-setup");
    x.Key("Return");
    EXPECT_TRUE(x.WaitUntilGone("Melvane Options"));
    ASSERT_TRUE(box.Quit(ProgramSandbox::QuitBy::Sigterm));

    EXPECT_EQ(Query(box, "audio/mpeg"), "melvane-play.desktop");
    EXPECT_NE(Query(box, "audio/flac"), "melvane-play.desktop") << "only the checked row";
    const std::string entry = ReadWholeFile(box.Home() + "/.local/share/applications/melvane-play.desktop");
    EXPECT_NE(entry.find("\nExec=" + box.ProgramPath().toStdString() + " %F\n"), std::string::npos) << entry;
    const auto autoplay = box.Setting("autoplay0");
    ASSERT_TRUE(autoplay.has_value());
    EXPECT_EQ(autoplay->dword, 1u);
}

} // namespace
