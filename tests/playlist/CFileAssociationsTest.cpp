// The program as the desktop's default for its file types, judged by xdg-mime (its generic,
// desktop-independent lookup) and desktop-file-validate in private XDG folders: associating each row
// and dissociating it again gives the previous application back and leaves mimeapps.list exactly as
// it was, whatever else it holds.
#include "playlist/CFileAssociations.h"

#include "platform/registry/CRegistry.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using A = CFileAssociations;

class FileAssociationsTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(dir.file("data/applications"));
        std::filesystem::create_directories(dir.file("config"));
        std::filesystem::create_directories(dir.file("system"));
        for (const char *other : {"other.desktop", "second.desktop"})
            ASSERT_TRUE(WriteWholeFile(dir.file(std::string("data/applications/") + other),
                                       "[Desktop Entry]\nType=Application\nName=Other\nExec=/bin/true %f\n"));
    }
    A Associations(const std::string &program = "/bin/true")
    {
        return A(registry, program,
                 {dir.file("data/applications"), MimeApps(), {dir.file("data/applications"), dir.file("system")},
                  {DesktopList()}});
    }
    std::string MimeApps() const { return dir.file("config/mimeapps.list"); }
    // The list of the desktop named kDesktop, which xdg-mime reads before mimeapps.list.
    static constexpr const char *kDesktop = "X-Test-Desktop";
    std::string DesktopList() const { return dir.file("config/x-test-desktop-mimeapps.list"); }
    std::string Query(std::string_view type, bool onDesktop = false) const
    {
        std::string answer = CommandOutput(
            "env -u XDG_CURRENT_DESKTOP -u KDE_FULL_SESSION -u GNOME_DESKTOP_SESSION_ID -u DESKTOP_SESSION " +
            std::string(onDesktop ? "XDG_CURRENT_DESKTOP=" + std::string(kDesktop) : "") +
            " XDG_CONFIG_HOME='" + dir.file("config") + "' XDG_CONFIG_DIRS='" + dir.file("system") +
            "' XDG_DATA_HOME='" + dir.file("data") + "' XDG_DATA_DIRS='" + dir.file("system") +
            "' xdg-mime query default " + std::string(type));
        while (!answer.empty() && answer.back() == '\n')
            answer.pop_back();
        return answer;
    }

    TempDir dir;
    CRegistry registry{dir.file("registry")};
};

TEST_F(FileAssociationsTest, EveryRowBecomesOursAndGoesBackExactly)
{
    // A user's file as desktops leave it: another group, a comment, a type of another program, and
    // the previous default of every music type but MP2, which had none.
    std::string text = "[Added Associations]\naudio/mpeg=second.desktop;\n\n# kept as it is\n[Default Applications]\n"
                       "text/plain=second.desktop;\n";
    for (int row = 0; row < A::kRowCount; ++row) {
        for (std::string_view type : A::Info(row).mimeTypes) {
            if (row != A::kRowMp2)
                text += std::string(type) + "=other.desktop;\n";
        }
    }
    text += "\n[Removed Associations]\naudio/x-wav=second.desktop;\n";
    ASSERT_TRUE(WriteWholeFile(MimeApps(), text));
    A associations = Associations();
    ASSERT_TRUE(associations.RegisterShellClasses());

    for (int row = 0; row < A::kRowCount; ++row) {
        SCOPED_TRACE(A::Info(row).type);
        EXPECT_FALSE(associations.IsAssociated(row));
        ASSERT_TRUE(associations.Associate(row));
        EXPECT_TRUE(associations.IsAssociated(row));
        for (std::string_view type : A::Info(row).mimeTypes)
            EXPECT_EQ(Query(type), A::Info(row).entry) << type;
        EXPECT_EQ(Query("text/plain"), "second.desktop") << "other types keep their program";

        ASSERT_TRUE(associations.Dissociate(row));
        EXPECT_FALSE(associations.IsAssociated(row));
        for (std::string_view type : A::Info(row).mimeTypes)
            if (row != A::kRowMp2)
                EXPECT_EQ(Query(type), "other.desktop") << type;
            else
                EXPECT_NE(Query(type), A::kPlayEntry) << "no default of its own: " << type;
        EXPECT_EQ(ReadWholeFile(MimeApps()), text);
    }
    const CRegistryHive hive = registry.Load(RegistryRoot::CurrentUser);
    EXPECT_EQ(hive.FindValue("Software\\Classes\\audio/mpeg", A::kBackupValue), nullptr) << "backup removed";
}

// A default named in the desktop's own list wins over mimeapps.list: associating changes it there, so
// that the desktop follows, and dissociating puts both files back as they were.
TEST_F(FileAssociationsTest, TheDesktopsOwnListIsChangedWhereItDecides)
{
    const std::string desktopText = "[Default Applications]\naudio/mpeg=second.desktop;\n";
    const std::string mainText = "[Default Applications]\naudio/mpeg=other.desktop;\naudio/flac=other.desktop;\n";
    ASSERT_TRUE(WriteWholeFile(DesktopList(), desktopText));
    ASSERT_TRUE(WriteWholeFile(MimeApps(), mainText));
    A associations = Associations();
    ASSERT_TRUE(associations.RegisterShellClasses());
    ASSERT_EQ(Query("audio/mpeg", true), "second.desktop");

    for (const int row : {A::kRowMp3, A::kRowFlac}) {
        SCOPED_TRACE(A::Info(row).type);
        EXPECT_FALSE(associations.IsAssociated(row));
        ASSERT_TRUE(associations.Associate(row));
        EXPECT_TRUE(associations.IsAssociated(row));
        EXPECT_EQ(Query(A::Info(row).mimeTypes[0], true), A::kPlayEntry);
        ASSERT_TRUE(associations.Dissociate(row));
        EXPECT_FALSE(associations.IsAssociated(row));
    }
    EXPECT_EQ(Query("audio/mpeg", true), "second.desktop");
    EXPECT_EQ(Query("audio/flac", true), "other.desktop");
    EXPECT_EQ(ReadWholeFile(DesktopList()), desktopText);
    EXPECT_EQ(ReadWholeFile(MimeApps()), mainText);
}

TEST_F(FileAssociationsTest, FaultsLoseNothing)
{
    A associations = Associations();
    ASSERT_TRUE(associations.RegisterShellClasses());
    struct Case {
        const char *name;
        std::string before;
        std::string afterRoundTrip; // empty: the same as before
        std::string answerAfter; // empty: no default of its own, so not ours any more
    };
    const Case cases[] = {
        {"broken lines, no final line break", "garbage \x01\xff\n[Default Applications]\nno equals sign\n"
                                               "audio/mpeg = other.desktop;\n[broken",
         "garbage \x01\xff\n[Default Applications]\nno equals sign\naudio/mpeg=other.desktop;\n[broken", "other.desktop"},
        {"no file", "", "[Default Applications]\n", ""},
        {"previous default uninstalled", "[Default Applications]\naudio/mpeg=gone.desktop;other.desktop;\n",
         "[Default Applications]\naudio/mpeg=other.desktop;\n", "other.desktop"},
        {"only previous default uninstalled", "[Default Applications]\naudio/mpeg=gone.desktop;\n",
         "[Default Applications]\n", ""},
        {"two lines for the type", "[Default Applications]\naudio/mpeg=other.desktop;\naudio/mpeg=second.desktop;\n",
         "[Default Applications]\naudio/mpeg=other.desktop;\n", "other.desktop"},
        // Not ours, and not installed under that name either: dropped when ours goes.
        {"our name in other letters", "[Default Applications]\naudio/mpeg=Melvane-Play.desktop;\n",
         "[Default Applications]\n", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(MimeApps());
        if (!c.before.empty())
            ASSERT_TRUE(WriteWholeFile(MimeApps(), c.before));
        EXPECT_FALSE(associations.IsAssociated(A::kRowMp3));
        ASSERT_TRUE(associations.Associate(A::kRowMp3));
        EXPECT_EQ(Query("audio/mpeg"), A::kPlayEntry);
        ASSERT_TRUE(associations.Dissociate(A::kRowMp3));
        EXPECT_EQ(ReadWholeFile(MimeApps()), c.afterRoundTrip.empty() ? c.before : c.afterRoundTrip);
        if (c.answerAfter.empty())
            EXPECT_NE(Query("audio/mpeg"), A::kPlayEntry);
        else
            EXPECT_EQ(Query("audio/mpeg"), c.answerAfter);
    }

    // A folder that cannot hold the file: nothing is written, the row shows unchecked.
    A blocked(registry, "/bin/true", {dir.file("data/applications"), dir.file("data/applications/other.desktop/mimeapps.list"), {}});
    EXPECT_FALSE(blocked.Associate(A::kRowMp3));
    EXPECT_FALSE(blocked.IsAssociated(A::kRowMp3));
    // A user's file we may not replace stays as it is, and the row shows what it says.
    if (::geteuid() != 0) {
        const std::string text = "[Default Applications]\naudio/mpeg=other.desktop;\n";
        ASSERT_TRUE(WriteWholeFile(MimeApps(), text));
        ::chmod(dir.file("config").c_str(), 0500);
        EXPECT_FALSE(associations.Associate(A::kRowMp3));
        ::chmod(dir.file("config").c_str(), 0700);
        EXPECT_EQ(ReadWholeFile(MimeApps()), text);
        EXPECT_FALSE(associations.IsAssociated(A::kRowMp3));
        ::chmod(MimeApps().c_str(), 0000);
        EXPECT_FALSE(associations.Associate(A::kRowMp3)) << "an unreadable file is never written";
        ::chmod(MimeApps().c_str(), 0600);
        EXPECT_EQ(ReadWholeFile(MimeApps()), text);
    }
}

TEST_F(FileAssociationsTest, EntriesAreValidAndRewrittenOnlyWhenTheProgramMoved)
{
    std::filesystem::remove_all(dir.file("data/applications"));
    const std::string odd = dir.file("a folder $with% \"odd\" name/melvane");
    A moved = Associations(odd);
    ASSERT_TRUE(moved.RegisterShellClasses()) << "the missing folder is made";
    for (const char *id : A::EntryIds()) {
        const std::string path = dir.file(std::string("data/applications/") + id);
        EXPECT_EQ(RunCommand("desktop-file-validate '" + path + "'"), 0) << ReadWholeFile(path);
    }

    A associations = Associations();
    ASSERT_TRUE(associations.RegisterShellClasses());
    const std::string play = dir.file(std::string("data/applications/") + A::kPlayEntry);
    EXPECT_NE(ReadWholeFile(play).find("\nExec=/bin/true %F\n"), std::string::npos) << ReadWholeFile(play);
    struct stat before {};
    ASSERT_EQ(::stat(play.c_str(), &before), 0);
    ASSERT_TRUE(associations.RegisterShellClasses());
    struct stat after {};
    ASSERT_EQ(::stat(play.c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino) << "an unchanged entry is not written again";
}

} // namespace
