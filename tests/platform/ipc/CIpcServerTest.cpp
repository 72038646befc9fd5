#include "tests/platform/ipc/IpcServerFixture.h"

#include "platform/ipc/CIpcClient.h"
#include "platform/ipc/SocketAddress.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class IpcServerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CRuntimeDir(dir()).Prepare()); }
    std::string dir() const { return temp.file("run"); }
    CIpcClient client() const { return CIpcClient(dir(), "MelvaneClass"); }

    // Connects without the client's checks and writes `bytes`; the socket stays open for the caller.
    int RawConnect(const std::vector<std::uint8_t> &bytes) const
    {
        sockaddr_un address;
        Ipc::MakeSocketAddress(Ipc::SocketPath(dir(), "MelvaneClass"), address);
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        if (connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
            return -1;
        // A server that already dropped the connection makes this fail; the reader then sees the close.
        if (!bytes.empty())
            send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        return fd;
    }

    TempDir temp;
};

// Reads until the peer closes; the bytes read, or nothing when it stays open for two seconds.
std::optional<std::vector<std::uint8_t>> ReadUntilClosed(int fd)
{
    std::vector<std::uint8_t> all;
    for (;;) {
        pollfd entry{fd, POLLIN, 0};
        if (poll(&entry, 1, 2000) <= 0)
            return std::nullopt;
        std::uint8_t chunk[256];
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n <= 0)
            return all;
        all.insert(all.end(), chunk, chunk + n);
    }
}

CIpcRecord MakeRecord(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam, std::uint64_t dwData,
                      std::size_t size)
{
    CIpcRecord record{message, wParam, lParam, dwData, {}};
    for (std::size_t i = 0; i < size; ++i)
        record.data.push_back(static_cast<std::uint8_t>(i * 7 + 3));
    return record;
}

void ExpectSameRecord(const CIpcRecord &expected, const CIpcRecord &actual)
{
    EXPECT_EQ(expected.message, actual.message);
    EXPECT_EQ(expected.wParam, actual.wParam);
    EXPECT_EQ(expected.lParam, actual.lParam);
    EXPECT_EQ(expected.dwData, actual.dwData);
    EXPECT_EQ(expected.data, actual.data);
}

TEST_F(IpcServerTest, SendReturnsTheHandlersResultAndPostIsDelivered)
{
    // The result depends on every field, so a field lost or misplaced on the way changes it.
    const auto mix = [](const CIpcRecord &r) {
        return static_cast<std::int64_t>(r.message + r.wParam * 3 + r.dwData + static_cast<std::uint64_t>(r.lParam) -
                                         5 * r.data.size());
    };
    IpcServerFixture server(dir(), mix);
    ASSERT_TRUE(server.Listening());
    server.Run();
    EXPECT_TRUE(client().Exists());

    const std::vector<CIpcRecord> cases = {
        MakeRecord(0x004A, 0, 0, 0x028AF024, 512),
        MakeRecord(0x86A2, 0x74, 1, 0, 0),
        MakeRecord(0xFFFFFFFF, ~0ull, -123456789012345, 0x8000000000000001ull, 1),
        MakeRecord(7, 1, 2, 3, CIpcRecord::kMaxData),
    };
    for (const CIpcRecord &record : cases) {
        EXPECT_EQ(client().Send(record), mix(record)) << "message " << record.message;
    }
    for (const CIpcRecord &record : cases)
        EXPECT_TRUE(client().Post(record));

    const std::vector<CIpcRecord> got = server.WaitForRecords(2 * cases.size());
    ASSERT_EQ(got.size(), 2 * cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i)
        ExpectSameRecord(cases[i], got[i]);
    // Posts may be handled in any order; each arrives once and whole.
    for (const CIpcRecord &record : cases) {
        const auto count = std::count_if(got.begin() + cases.size(), got.end(), [&](const CIpcRecord &r) {
            return r.message == record.message && r.data == record.data && r.lParam == record.lParam;
        });
        EXPECT_EQ(count, 1) << "message " << record.message;
    }
}

TEST_F(IpcServerTest, RefusesOversizeAndMalformedRecordsAndKeepsServing)
{
    IpcServerFixture server(dir(), [](const CIpcRecord &r) { return static_cast<std::int64_t>(r.wParam); });
    ASSERT_TRUE(server.Listening());
    server.Run();

    // The client refuses to send a record past the limit.
    EXPECT_FALSE(client().Send(MakeRecord(1, 1, 0, 0, CIpcRecord::kMaxData + 1)).has_value());
    EXPECT_FALSE(client().Post(MakeRecord(1, 1, 0, 0, CIpcRecord::kMaxData + 1)));

    const std::vector<std::uint8_t> valid = *MakeRecord(9, 9, 0, 0, 4).Encode(true);
    auto withByte = [&](std::size_t at, std::uint8_t value) {
        std::vector<std::uint8_t> bytes = valid;
        bytes[at] = value;
        return bytes;
    };
    std::vector<std::uint8_t> oversize = valid;
    const std::uint32_t tooLarge = CIpcRecord::kMaxData + 1;
    for (int i = 0; i < 4; ++i)
        oversize[12 + i] = static_cast<std::uint8_t>(tooLarge >> (8 * i));
    oversize.resize(CIpcRecord::kHeaderSize + tooLarge, 0);

    const struct {
        const char *name;
        std::vector<std::uint8_t> bytes;
    } bad[] = {
        {"wrong magic", withByte(0, 'X')},
        {"unknown kind", withByte(4, 3)},
        {"payload over the limit", oversize},
        {"text instead of a record", std::vector<std::uint8_t>(64, 'A')},
        {"valid record followed by garbage", [&] {
             std::vector<std::uint8_t> bytes = valid;
             bytes.insert(bytes.end(), 8, 0xFF);
             return bytes;
         }()},
    };
    for (const auto &c : bad) {
        const int fd = RawConnect(c.bytes);
        ASSERT_GE(fd, 0) << c.name;
        // The server closes the connection; a valid record in front of the garbage still got its reply.
        const std::optional<std::vector<std::uint8_t>> answer = ReadUntilClosed(fd);
        close(fd);
        ASSERT_TRUE(answer.has_value()) << c.name << ": connection left open";
        const std::size_t replies = std::string_view(c.name).starts_with("valid") ? 1 : 0;
        EXPECT_EQ(answer->size(), replies * CIpcRecord::kReplySize) << c.name;
    }
    EXPECT_EQ(server.Records().size(), 1u);

    // A record cut short by its sender never reaches the handler; one arriving in pieces does.
    int fd = RawConnect(std::vector<std::uint8_t>(valid.begin(), valid.begin() + 20));
    close(fd);
    fd = RawConnect(std::vector<std::uint8_t>(valid.begin(), valid.begin() + 7));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(write(fd, valid.data() + 7, valid.size() - 7), static_cast<ssize_t>(valid.size() - 7));
    std::uint8_t reply[CIpcRecord::kReplySize];
    pollfd entry{fd, POLLIN, 0};
    ASSERT_EQ(poll(&entry, 1, 5000), 1);
    ASSERT_EQ(read(fd, reply, sizeof reply), static_cast<ssize_t>(sizeof reply));
    EXPECT_EQ(CIpcRecord::DecodeReply(reply), 9);
    close(fd);

    EXPECT_EQ(client().Send(MakeRecord(2, 42, 0, 0, 0)), 42);
    EXPECT_EQ(server.Records().size(), 3u);
}

TEST_F(IpcServerTest, RejectsAPeerOfAnotherUser)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to run a peer as user nobody (65534)";
    IpcServerFixture server(dir());
    ASSERT_TRUE(server.Listening());
    // Open the way to the socket for the other user, so that only the server's own check stands.
    ASSERT_EQ(chmod(temp.path().c_str(), 0711), 0);
    ASSERT_EQ(chmod(dir().c_str(), 0711), 0);
    ASSERT_EQ(chmod(Ipc::SocketPath(dir(), "MelvaneClass").c_str(), 0666), 0);
    server.Run();

    const std::vector<std::uint8_t> record = *MakeRecord(0x86A2, 0x74, 0, 0, 0).Encode(true);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(3);
        const int fd = RawConnect(record);
        if (fd < 0)
            _exit(4);
        const std::optional<std::vector<std::uint8_t>> answer = ReadUntilClosed(fd);
        // 0: dropped without an answer, as it should be.
        _exit(answer && answer->empty() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(server.Records().empty());
    // The owner is still served.
    ASSERT_EQ(chmod(dir().c_str(), 0700), 0);
    EXPECT_EQ(client().Send(MakeRecord(1, 0, 0, 0, 0)), 0);
    EXPECT_EQ(server.Records().size(), 1u);
}

TEST_F(IpcServerTest, OneLiveServerPerNameAndStaleSocketsAreReplaced)
{
    {
        IpcServerFixture first(dir());
        ASSERT_TRUE(first.Listening());
        CIpcServer second(dir(), "MelvaneClass", nullptr);
        std::string why;
        EXPECT_FALSE(second.Listen(&why));
        EXPECT_NE(why.find("another instance"), std::string::npos) << why;
    }
    // The socket file went with its server: nothing answers.
    EXPECT_FALSE(client().Exists());
    EXPECT_FALSE(client().Send(MakeRecord(1, 0, 0, 0, 0)).has_value());

    // A server that died without cleaning up leaves its socket file behind.
    sockaddr_un address;
    ASSERT_TRUE(Ipc::MakeSocketAddress(Ipc::SocketPath(dir(), "MelvaneClass"), address));
    const int dead = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(bind(dead, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    close(dead);
    IpcServerFixture next(dir(), [](const CIpcRecord &) { return 77; });
    ASSERT_TRUE(next.Listening());
    next.Run();
    EXPECT_EQ(client().Send(MakeRecord(1, 0, 0, 0, 0)), 77);
}

TEST_F(IpcServerTest, SendToAServerThatDoesNotAnswerGivesUp)
{
    IpcServerFixture server(dir());
    ASSERT_TRUE(server.Listening()); // never processed, like a hung program
    EXPECT_FALSE(client().Send(MakeRecord(1, 0, 0, 0, 0), std::chrono::milliseconds(200)).has_value());
}

} // namespace
