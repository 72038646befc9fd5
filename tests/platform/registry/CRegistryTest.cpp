// The hive files: where they live, atomic replacement, locked updates from several writers, and the
// key handle that batches changes.

#include "platform/registry/CRegistry.h"
#include "platform/registry/CRegistryKey.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr const char *kKey = "Software\\Melvane";

std::vector<std::string> FolderEntries(const std::filesystem::path &folder)
{
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Lowers the file size limit for one scope, so that writing a larger file fails even for root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int);
};

bool SetManyLongStrings(CRegistry &registry)
{
    return registry.Update(RegistryRoot::CurrentUser, [](CRegistryHive &hive) {
        for (int i = 0; i < 40; ++i)
            hive.SetValue(kKey, "long" + std::to_string(i),
                          {RegistryValue::Type::String, 0, std::string(500, 'q')});
        return true;
    });
}

TEST(CRegistry, DefaultFolderFollowsXdgConfigHome)
{
    const char *savedConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = savedConfig ? savedConfig : "";
    struct Case {
        const char *config; // nullptr: unset
        std::string expected;
    };
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "/tmp";
    const std::vector<Case> cases = {
        {"/srv/conf", "/srv/conf/melvane"},
        {nullptr, home + "/.config/melvane"},
        {"", home + "/.config/melvane"},
        {"relative/conf", home + "/.config/melvane"},
    };
    for (const Case &c : cases) {
        if (c.config)
            setenv("XDG_CONFIG_HOME", c.config, 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        EXPECT_EQ(CRegistry::DefaultFolder().string(), c.expected) << (c.config ? c.config : "(unset)");
    }
    if (savedConfig)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

TEST(CRegistry, EachHiveIsItsOwnReadableFile)
{
    TempDir dir;
    CRegistry registry(dir.path() / "not" / "yet");
    EXPECT_FALSE(registry.Load(RegistryRoot::CurrentUser).HasKey(kKey));

    ASSERT_TRUE(registry.Update(RegistryRoot::CurrentUser, [](CRegistryHive &hive) {
        return hive.SetValue(kKey, "display", {RegistryValue::Type::Dword, 1, {}});
    }));
    ASSERT_TRUE(registry.Update(RegistryRoot::LocalMachine, [](CRegistryHive &hive) {
        return hive.SetValue("Software\\Melvane\\freedb", "0", {RegistryValue::Type::String, 0, "http://x/"});
    }));

    const std::string user = ReadWholeFile(registry.HiveFile(RegistryRoot::CurrentUser).string());
    const std::string machine = ReadWholeFile(registry.HiveFile(RegistryRoot::LocalMachine).string());
    EXPECT_NE(user.find("display=dword:00000001"), std::string::npos) << user;
    EXPECT_EQ(user.find("freedb"), std::string::npos) << user;
    EXPECT_NE(machine.find("[Software\\Melvane\\freedb]\n0=sz:http://x/"), std::string::npos) << machine;
    EXPECT_EQ(machine.find("display"), std::string::npos) << machine;

    CRegistry again(registry.Folder());
    EXPECT_TRUE(again.Load(RegistryRoot::CurrentUser).HasKey(kKey));
    EXPECT_FALSE(again.Load(RegistryRoot::LocalMachine).HasKey(kKey + std::string("\\x")));
    EXPECT_TRUE(again.Load(RegistryRoot::LocalMachine).HasKey("Software\\Melvane\\freedb"));
}

TEST(CRegistry, AFailedWriteLeavesTheOldFileWhole)
{
    TempDir dir;
    CRegistry registry(dir.path());
    ASSERT_TRUE(registry.Update(RegistryRoot::CurrentUser, [](CRegistryHive &hive) {
        return hive.SetValue(kKey, "display", {RegistryValue::Type::Dword, 1, {}});
    }));
    const std::string file = registry.HiveFile(RegistryRoot::CurrentUser).string();
    const std::string before = ReadWholeFile(file);
    const std::vector<std::string> entriesBefore = FolderEntries(dir.path());

    {
        FileSizeLimit limit(4096); // the new hive would be about 20 KB
        EXPECT_FALSE(SetManyLongStrings(registry));
    }
    EXPECT_EQ(ReadWholeFile(file), before);
    EXPECT_EQ(FolderEntries(dir.path()), entriesBefore) << "no temporary file is left behind";

    // A change function that declines writes nothing either.
    EXPECT_FALSE(registry.Update(RegistryRoot::CurrentUser, [](CRegistryHive &hive) {
        hive.SetValue(kKey, "display", {RegistryValue::Type::Dword, 2, {}});
        return false;
    }));
    EXPECT_EQ(ReadWholeFile(file), before);

    // With the limit gone the same write succeeds.
    EXPECT_TRUE(SetManyLongStrings(registry));
    EXPECT_NE(ReadWholeFile(file), before);
}

TEST(CRegistry, ALinkedHiveStaysALinkAndEndedSavesLeaveNothing)
{
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "dotfiles");
    std::filesystem::create_directories(dir.path() / "config");
    CRegistry registry(dir.path() / "config");
    const std::filesystem::path link = registry.HiveFile(RegistryRoot::CurrentUser);
    const std::filesystem::path real = dir.path() / "dotfiles/melvane.hive";
    std::ofstream(real) << "[Software\\Melvane]\nold=dword:00000001\n";
    std::filesystem::create_symlink(real, link);
    // A save that crashed before its rename, in a process that has ended since.
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    std::ofstream(real.string() + ".tmp" + std::to_string(child) + ".0") << "half a hive";

    ASSERT_TRUE(registry.Update(RegistryRoot::CurrentUser, [](CRegistryHive &hive) {
        return hive.SetValue(kKey, "new", {RegistryValue::Type::Dword, 2, {}});
    }));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    const CRegistryHive hive = registry.Load(RegistryRoot::CurrentUser);
    ASSERT_NE(hive.FindValue(kKey, "old"), nullptr);
    ASSERT_NE(hive.FindValue(kKey, "new"), nullptr);
    EXPECT_EQ(FolderEntries(dir.path() / "dotfiles"), std::vector<std::string>{"melvane.hive"});
}

TEST(CRegistry, AnUnwritableFolderFailsWithoutHarm)
{
    TempDir dir;
    {
        std::ofstream(dir.file("plainfile")) << "not a folder";
    }
    CRegistry blocked(dir.path() / "plainfile");
    EXPECT_FALSE(blocked.CreateKey(RegistryRoot::CurrentUser, kKey));
    EXPECT_EQ(ReadWholeFile(dir.file("plainfile")), "not a folder");
    CRegistryKey key;
    EXPECT_FALSE(key.Create(blocked, RegistryRoot::CurrentUser, kKey));
    EXPECT_FALSE(key.SetDword("display", 1));

    if (geteuid() != 0) { // permissions do not stop root
        CRegistry registry(dir.path() / "locked");
        ASSERT_TRUE(registry.CreateKey(RegistryRoot::CurrentUser, kKey));
        const std::string before = ReadWholeFile(registry.HiveFile(RegistryRoot::CurrentUser).string());
        chmod((dir.path() / "locked").c_str(), 0500);
        EXPECT_FALSE(SetManyLongStrings(registry));
        chmod((dir.path() / "locked").c_str(), 0700);
        EXPECT_EQ(ReadWholeFile(registry.HiveFile(RegistryRoot::CurrentUser).string()), before);
    }
}

TEST(CRegistry, ConcurrentWritersLoseNoChanges)
{
    TempDir dir;
    constexpr int kThreads = 4;
    constexpr int kWrites = 25;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&dir, t] {
            CRegistry registry(dir.path()); // each writer on its own, as separate processes would be
            for (int i = 0; i < kWrites; ++i)
                registry.Update(RegistryRoot::CurrentUser, [&](CRegistryHive &hive) {
                    return hive.SetValue(kKey, "t" + std::to_string(t) + "_" + std::to_string(i),
                                         {RegistryValue::Type::Dword, static_cast<std::uint32_t>(i), {}});
                });
        });
    for (std::thread &thread : threads)
        thread.join();
    const CRegistryHive hive = CRegistry(dir.path()).Load(RegistryRoot::CurrentUser);
    EXPECT_EQ(hive.ValueNames(kKey).size(), static_cast<std::size_t>(kThreads * kWrites));
    for (int t = 0; t < kThreads; ++t)
        for (int i = 0; i < kWrites; ++i) {
            const RegistryValue *value = hive.FindValue(kKey, "t" + std::to_string(t) + "_" + std::to_string(i));
            ASSERT_NE(value, nullptr) << t << " " << i;
            EXPECT_EQ(value->dword, static_cast<std::uint32_t>(i));
        }
}

TEST(CRegistryKey, OpenCreateQueryAndTypes)
{
    TempDir dir;
    CRegistry registry(dir.path());
    CRegistryKey key;
    EXPECT_FALSE(key.Open(registry, RegistryRoot::CurrentUser, kKey)) << "missing key";
    EXPECT_FALSE(key.IsOpen());
    EXPECT_FALSE(key.Create(registry, RegistryRoot::CurrentUser, "\\\\"));

    ASSERT_TRUE(key.Create(registry, RegistryRoot::CurrentUser, kKey));
    EXPECT_TRUE(CRegistry(dir.path()).Load(RegistryRoot::CurrentUser).HasKey(kKey)) << "created at once";
    EXPECT_TRUE(key.SetDword("number", 0x12345678));
    EXPECT_TRUE(key.SetString("text", std::string(600, 'x')));
    EXPECT_TRUE(key.SetString("empty", ""));
    EXPECT_EQ(key.QueryDword("number"), 0x12345678u) << "own changes are visible before Close";
    ASSERT_TRUE(key.Close());

    CRegistryKey reader;
    ASSERT_TRUE(reader.Open(registry, RegistryRoot::CurrentUser, "software\\melvane"));
    EXPECT_EQ(reader.QueryDword("number"), 0x12345678u);
    EXPECT_EQ(reader.QueryString("text"), std::string(511, 'x'));
    EXPECT_EQ(reader.QueryString("empty"), std::string());
    EXPECT_EQ(reader.QueryString("number"), std::nullopt) << "a number is not a string";
    EXPECT_EQ(reader.QueryDword("text"), std::nullopt) << "a string is not a number";
    EXPECT_EQ(reader.QueryDword("missing"), std::nullopt);
    EXPECT_EQ(reader.ValueNames(), (std::vector<std::string>{"number", "text", "empty"}));
    EXPECT_FALSE(reader.SetDword("number", 1)) << "opened for reading only";
    EXPECT_FALSE(reader.DeleteValue("number"));
    EXPECT_TRUE(reader.Close());
    const CRegistryHive stored = CRegistry(dir.path()).Load(RegistryRoot::CurrentUser);
    ASSERT_NE(stored.FindValue(kKey, "number"), nullptr);
    EXPECT_EQ(stored.FindValue(kKey, "number")->dword, 0x12345678u);
}

TEST(CRegistryKey, ChangesOfTwoOpenKeysMerge)
{
    TempDir dir;
    CRegistry registry(dir.path());
    {
        CRegistryKey seed;
        ASSERT_TRUE(seed.Create(registry, RegistryRoot::CurrentUser, kKey));
        seed.SetDword("shared", 1);
        seed.SetDword("doomed", 9);
    }
    CRegistryKey first;
    CRegistryKey second;
    ASSERT_TRUE(first.Create(registry, RegistryRoot::CurrentUser, kKey));
    ASSERT_TRUE(second.Create(registry, RegistryRoot::CurrentUser, kKey));
    first.SetDword("fromFirst", 1);
    second.SetString("fromSecond", "two");
    second.DeleteValue("doomed");
    ASSERT_TRUE(first.Close());
    ASSERT_TRUE(second.Close()); // must not put back its stale view of the key

    const CRegistryHive hive = registry.Load(RegistryRoot::CurrentUser);
    EXPECT_EQ(hive.ValueNames(kKey), (std::vector<std::string>{"shared", "fromFirst", "fromSecond"}));

    // A key deleted by someone else while open comes back with the writes.
    CRegistryKey third;
    ASSERT_TRUE(third.Create(registry, RegistryRoot::CurrentUser, "Software\\Melvane\\Oscilloscope"));
    ASSERT_TRUE(registry.DeleteKey(RegistryRoot::CurrentUser, "Software\\Melvane\\Oscilloscope"));
    third.SetDword("xpos", 5);
    ASSERT_TRUE(third.Close());
    const CRegistryHive after = registry.Load(RegistryRoot::CurrentUser);
    const RegistryValue *xpos = after.FindValue("Software\\Melvane\\Oscilloscope", "xpos");
    ASSERT_NE(xpos, nullptr);
    EXPECT_EQ(xpos->dword, 5u);
}

} // namespace
