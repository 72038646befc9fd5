// The freedb client against the local CDDB server: every answer and fault of the server through
// the real client (curl, HTTP), with the status text each ends in; Cancel; the submission's
// revision, headers and body as the server received them.
#include "cd/CDiscRecord.h"
#include "cd/CFreedbClient.h"
#include "cd/CFreedbEntry.h"

#include "tests/cd/CdFakes.h"
#include "tests/support/CdImage.h"
#include "tests/support/CddbServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <sys/wait.h>
#include <thread>

namespace {

const std::string kEntry = "# xmcd\n#\n# Revision: 3\n#\nDISCID=0a0b0c03\nDTITLE=The Band / The Album\nDYEAR=1994\n"
                           "DGENRE=Rock\nTTITLE0=Opening\nTTITLE1=Second \nTTITLE1=Song\nTTITLE2=M\xfcnchen\nEXTD=\n";

class CFreedbClientTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_server = new CddbServer; }
    static void TearDownTestSuite() { delete s_server; }
    void SetUp() override
    {
        ASSERT_TRUE(s_server->Running());
        s_server->SetFault("");
    }
    static CddbServer *s_server;
};
CddbServer *CFreedbClientTest::s_server = nullptr;

TEST_F(CFreedbClientTest, QueryAndReadEndWithTheirStatus)
{
    s_server->AddEntry("rock", "0a0b0c03", kEntry);
    s_server->AddEntry("misc", "0a0b0c04", kEntry);
    s_server->AddEntry("rock", "0a0b0c04", kEntry);
    struct Case {
        const char *name;
        std::uint32_t disc;
        std::string fault;
        CFreedbClient::QueryResult query;
        std::size_t matches;
        bool read;
        std::string status; // after the read when the query found something
    } cases[] = {
        {"one exact match", 0x0A0B0C03, "", CFreedbClient::QueryResult::Exact, 1, true, "Retrieving disc information"},
        {"exact matches", 0x0A0B0C04, "", CFreedbClient::QueryResult::Several, 2, true, "Retrieving disc information"},
        {"inexact matches", 0x0A0B0C04, "inexact", CFreedbClient::QueryResult::Several, 2, true,
         "Retrieving disc information"},
        {"no match", 0x0A0B0C05, "", CFreedbClient::QueryResult::NoMatch, 0, false, "No match found"},
        {"HTTP 500", 0x0A0B0C03, "500", CFreedbClient::QueryResult::Failed, 0, false, "500 - Internal Server Error"},
        {"not a CDDB answer", 0x0A0B0C03, "html", CFreedbClient::QueryResult::Failed, 0, false,
         "Could not perform query"},
        {"answer without its '.' line", 0x0A0B0C03, "truncated", CFreedbClient::QueryResult::Exact, 1, false,
         "Unable to retrieve disc information"},
        {"answer over the size cap", 0x0A0B0C03, "oversize", CFreedbClient::QueryResult::Failed, 0, false,
         "The server's answer is larger than 1 MiB"},
        {"connection cut mid-answer", 0x0A0B0C03, "cut", CFreedbClient::QueryResult::Failed, 0, false, ""},
        {"server that never answers", 0x0A0B0C03, "timeout", CFreedbClient::QueryResult::Failed, 0, false, ""},
    };
    for (const Case &c : cases) {
        s_server->SetFault(c.fault);
        CFreedbClient client(s_server->Url(), "someone@example.org");
        client.SetTimeouts(2000, 2000);
        CDiscRecord record = ThreeTrackDisc();
        record.m_nDiscId = c.disc;
        std::vector<std::string> matches;
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(client.Query(record, matches), c.query) << c.name << ": " << client.Status();
        EXPECT_EQ(matches.size(), c.matches) << c.name;
        if (!matches.empty()) {
            EXPECT_EQ(matches.back().substr(0, 14), "rock 0a0b0c0" + std::to_string(c.disc & 0xF) + " ") << c.name;
            record.m_strTitle[1] = "old";
            EXPECT_EQ(client.Read(matches.back(), record), c.read) << c.name << ": " << client.Status();
        }
        if (c.status.empty())
            EXPECT_FALSE(client.Status().empty()) << c.name; // curl's own message
        else
            EXPECT_EQ(client.Status(), c.status) << c.name;
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5)) << c.name;
        EXPECT_EQ(record.m_strTitle[1], c.read ? "Opening" : "") << c.name;
        if (c.read) {
            EXPECT_EQ(record.m_strArtist, "The Band");
            EXPECT_EQ(record.m_strDiscTitle, "The Album");
            EXPECT_EQ(record.m_strTitle[2], "Second Song");
            EXPECT_EQ(record.m_strTitle[3], "M\xc3\xbcnchen");
        }
    }
    const std::string requests = s_server->Requests();
    EXPECT_NE(requests.find("GET /~cddb/cddb.cgi?cmd=cddb+query+0a0b0c03+3+150+20000+40000+800&"
                            "hello=someone+example.org+Melvane+1.5&proto=5\n"),
              std::string::npos) << requests;
    EXPECT_NE(requests.find("GET /~cddb/cddb.cgi?cmd=cddb+read+rock+0a0b0c03&hello=someone+example.org+Melvane+1.5"
                            "&proto=5\n"),
              std::string::npos);
}

TEST_F(CFreedbClientTest, BadAddressesAndCancelEndTheOperation)
{
    std::vector<std::string> matches;
    CFreedbClient bad("ftp://127.0.0.1/~cddb/cddb.cgi", "");
    EXPECT_EQ(bad.Query(ThreeTrackDisc(), matches), CFreedbClient::QueryResult::Failed);
    EXPECT_EQ(bad.Status(), "Invalid site address");
    EXPECT_NE(bad.QueryUrl(ThreeTrackDisc()).find("&hello=user+localhost+Melvane+1.5&proto=5"), std::string::npos);

    s_server->SetFault("timeout");
    CFreedbClient client(s_server->Url(), "someone@example.org");
    std::thread cancel([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        client.Cancel();
    });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(client.Query(ThreeTrackDisc(), matches), CFreedbClient::QueryResult::Failed);
    cancel.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));
    EXPECT_EQ(client.Status(), "Aborting connection...");

    for (const char *email : {"someone@example.org", "a.b+c@mail.example"})
        EXPECT_TRUE(CFreedbClient::IsValidEmail(email)) << email;
    for (const char *email : {"", "@example.org", "someone@", "some one@example.org", "a@b@c", "x@host&cmd=y"})
        EXPECT_FALSE(CFreedbClient::IsValidEmail(email)) << email;
}

TEST_F(CFreedbClientTest, SiteListAndSubmissions)
{
    s_server->SetSites("gnudb.gnudb.org http 80 /~cddb/cddb.cgi N000.00 W000.00 gnudb\n");
    CFreedbClient sites(s_server->Url(), "");
    std::vector<std::string> lines;
    ASSERT_TRUE(sites.GetSiteList(lines)) << sites.Status();
    EXPECT_EQ(lines, std::vector<std::string>{"gnudb.gnudb.org http 80 /~cddb/cddb.cgi N000.00 W000.00 gnudb"});
    s_server->SetFault("truncated");
    EXPECT_FALSE(sites.GetSiteList(lines));
    EXPECT_EQ(sites.Status(), "Unable to retrieve freedb site list");
    s_server->SetFault("");

    s_server->AddEntry("rock", "0a0b0c03", kEntry);
    CDiscRecord record = ThreeTrackDisc();
    CFreedbEntry::Parse(kEntry, record);
    const std::string body = CFreedbEntry::BuildXmcdEntry(record).body;
    CFreedbClient client(s_server->Url(), "someone@example.org");
    std::vector<std::string> entries;
    ASSERT_TRUE(client.ExistingEntries(record, entries)) << client.Status();
    ASSERT_EQ(entries, std::vector<std::string>{"rock 0a0b0c03 The Band / The Album"});
    ASSERT_TRUE(client.Submit(record, body, "", entries[0])) << client.Status();
    ASSERT_TRUE(client.Submit(record, body, "jazz", "")) << client.Status();

    const std::string update = s_server->Submission(0), fresh = s_server->Submission(1);
    for (const char *header : {"Category: rock\n", "Discid: 0a0b0c03\n", "User-Email: someone@example.org\n",
                               "Submit-Mode: submit\n", "X-Cddbd-Note: Submitted via Melvane 1.5 - "})
        EXPECT_NE(update.find(header), std::string::npos) << header << update;
    EXPECT_NE(fresh.find("Category: jazz\n"), std::string::npos);
    EXPECT_NE(update.find("\r\n# Revision: 4\r\n"), std::string::npos) << update;
    EXPECT_NE(fresh.find("\r\n# Revision: 0\r\n"), std::string::npos);
    EXPECT_EQ(fresh.substr(fresh.find("# xmcd")), body);
    EXPECT_NE(s_server->Requests().find("POST /~cddb/submit.cgi?cmd=cddb+write+rock+0a0b0c03&hello=someone+"),
              std::string::npos);

    s_server->SetFault("500");
    EXPECT_FALSE(client.Submit(record, body, "rock", entries[0]));
    EXPECT_EQ(client.Status(), "Unable to submit disc information");
    EXPECT_FALSE(client.Submit(record, body, "rock", ""));
    EXPECT_EQ(client.Status().rfind("Unable to submit disc information", 0), 0u);
}

} // namespace

namespace {

std::string RunStatus(const std::string &command, int *status)
{
    std::string out;
    FILE *pipe = ::popen(command.c_str(), "r");
    char buffer[4096];
    while (pipe)
        if (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
            out.append(buffer, n);
        else
            break;
    const int rc = pipe ? ::pclose(pipe) : -1;
    *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

TEST_F(CFreedbClientTest, ToolQueriesAnImage)
{
    TempDir dir;
    CdImage image;
    CdImageDisc disc;
    disc.tracks = {{900, "", "", false}, {450, "", "", false}, {1200, "", "", false}};
    ASSERT_TRUE(image.Create(dir.path().string(), disc));
    const std::string tool = "XDG_DATA_HOME='" + dir.file("data") + "' XDG_CONFIG_HOME='" + dir.file("config") +
                             "' " MELVANE_CD_TOOL " ";
    int status = 0;
    const std::string plain = RunStatus(tool + "'" + image.cuePath + "'", &status);
    const std::size_t at = plain.find("Disc id ");
    ASSERT_NE(at, std::string::npos) << plain;
    const std::string id = plain.substr(at + 8, 8);

    const std::string query = tool + "--query --server '" + s_server->Url() + "' '" + image.cuePath + "' 2>/dev/null";
    EXPECT_EQ(RunStatus(query, &status), "");
    EXPECT_EQ(status, 1); // no entry yet

    s_server->AddEntry("folk", id, "DTITLE=Singer / Songs\nDYEAR=2003\nDGENRE=Folk\nTTITLE0=A\nTTITLE1=B\nTTITLE1=b\n"
                                   "TTITLE2=Caf\xe9\nEXTD=one\\ntwo\nEXTT2=x\n");
    EXPECT_EQ(RunStatus(query, &status), "CATEGORY=folk\nDISCID=" + id +
                                       "\nDTITLE=Singer / Songs\nDYEAR=2003\nDGENRE=Folk\nTTITLE0=A\nTTITLE1=Bb\n"
                                       "TTITLE2=Caf\xc3\xa9\nEXTD=one\\ntwo\nEXTT2=x\n");
    EXPECT_EQ(status, 0);
    const std::string offsets = "+3+" + std::to_string(image.startFrames[0]) + "+" +
                                std::to_string(image.startFrames[1]) + "+" + std::to_string(image.startFrames[2]) + "+" +
                                std::to_string(image.startFrames[3] / 75) + "&";
    EXPECT_NE(s_server->Requests().find("cmd=cddb+query+" + id + offsets), std::string::npos) << s_server->Requests();
}

} // namespace
