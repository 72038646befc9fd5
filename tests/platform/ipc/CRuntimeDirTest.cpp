#include "platform/ipc/CInstanceLock.h"
#include "platform/ipc/CRuntimeDir.h"
#include "tests/support/TempDir.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(CRuntimeDirTest, FolderComesFromTheEnvironment)
{
    EXPECT_EQ(CRuntimeDir::For("/run/user/1000", 1000).Path(), "/run/user/1000/melvane");
    EXPECT_EQ(CRuntimeDir::For("/run/user/1000/", 1000).Path(), "/run/user/1000/melvane");
    EXPECT_EQ(CRuntimeDir::For(nullptr, 1000).Path(), "/tmp/melvane-1000");
    EXPECT_EQ(CRuntimeDir::For("", 42).Path(), "/tmp/melvane-42");
    EXPECT_EQ(CRuntimeDir::For("relative/dir", 42).Path(), "/tmp/melvane-42");
}

TEST(CRuntimeDirTest, OnlyAPrivateFolderOfThisUserIsUsed)
{
    TempDir temp;
    const struct {
        const char *name;
        void (*make)(const std::string &path);
        bool usable;
    } cases[] = {
        {"missing: created", [](const std::string &) {}, true},
        {"private folder", [](const std::string &p) { mkdir(p.c_str(), 0700); }, true},
        {"group may enter", [](const std::string &p) { mkdir(p.c_str(), 0750); }, false},
        {"world may write", [](const std::string &p) {
             mkdir(p.c_str(), 0700);
             chmod(p.c_str(), 0777);
         }, false},
        {"a file", [](const std::string &p) { close(creat(p.c_str(), 0600)); }, false},
        {"link to a private folder", [](const std::string &p) {
             mkdir((p + "-real").c_str(), 0700);
             symlink((p + "-real").c_str(), p.c_str());
         }, false},
        {"owned by another user", [](const std::string &p) {
             mkdir(p.c_str(), 0700);
             // Without root the folder cannot be given away; then the case is skipped below.
             if (chown(p.c_str(), 65534, static_cast<gid_t>(-1)) != 0)
                 rmdir(p.c_str());
         }, false},
    };
    int n = 0;
    for (const auto &c : cases) {
        const std::string path = temp.file("run" + std::to_string(n++));
        c.make(path);
        if (std::string_view(c.name).starts_with("owned") && !std::filesystem::exists(path))
            continue;
        std::string why;
        EXPECT_EQ(CRuntimeDir(path).Prepare(&why), c.usable) << c.name << ": " << why;
        struct stat info {};
        if (c.usable) {
            ASSERT_EQ(lstat(path.c_str(), &info), 0);
            EXPECT_EQ(info.st_mode & 0777, 0700u) << c.name;
        } else {
            EXPECT_FALSE(why.empty()) << c.name;
        }
    }
}

TEST(CInstanceLockTest, OneHolderAtATime)
{
    TempDir temp;
    CInstanceLock first(temp.path().string(), "MelvaneInstanceCount");
    CInstanceLock second(temp.path().string(), "MelvaneInstanceCount");
    EXPECT_EQ(first.TryAcquire(), CInstanceLock::Result::Acquired);
    EXPECT_EQ(first.TryAcquire(), CInstanceLock::Result::Acquired);
    EXPECT_EQ(second.TryAcquire(), CInstanceLock::Result::HeldElsewhere);
    EXPECT_FALSE(second.Held());

    // Another process sees it too.
    EXPECT_NE(RunCommand("flock -n " + temp.file("MelvaneInstanceCount.lock") + " true"), 0);
    first.Release();
    EXPECT_EQ(RunCommand("flock -n " + temp.file("MelvaneInstanceCount.lock") + " true"), 0);
    EXPECT_EQ(second.TryAcquire(), CInstanceLock::Result::Acquired);

    CInstanceLock nowhere(temp.file("no/such/folder"), "MelvaneInstanceCount");
    EXPECT_EQ(nowhere.TryAcquire(), CInstanceLock::Result::Failed);
}

} // namespace
