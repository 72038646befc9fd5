#include "tools/CdQueryCommand.h"

#include "cd/CCdDiscs.h"
#include "cd/CFreedbClient.h"
#include "platform/registry/CRegistry.h"
#include "platform/registry/CRegistryKey.h"

#include <cstdio>

namespace {

std::string PlayerValue(const char *name)
{
    CRegistry registry(CRegistry::DefaultFolder());
    CRegistryKey key;
    if (!key.Open(registry, RegistryRoot::CurrentUser, "Software\\Melvane"))
        return {};
    return key.QueryString(name).value_or(std::string());
}

// Line breaks inside a value would start a new KEY=value line.
std::string OneLine(std::string text)
{
    for (char &c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

} // namespace

int RunCdQuery(const CCdDriveList &drives, char letter, const char *server)
{
    CCdDiscs discs(drives, {});
    CDiscRecord record = discs.Record(drives.IndexOf(letter));
    record.m_nDiscId = 0;
    CDiscRecord disc = record;
    discs.ReadDisc(disc); // TOC and lengths; the folders are empty, so no cd.ini answers
    if (disc.m_nDiscId == 0) {
        std::fprintf(stderr, "melvane-cd: drive %c: no audio disc\n", letter);
        return 1;
    }
    CFreedbClient client(server ? std::string(server) : PlayerValue("freedb_server"), PlayerValue("freedb_email"));
    client.SetStatusListener([](const std::string &status) { std::fprintf(stderr, "%s\n", status.c_str()); });
    std::vector<std::string> matches;
    const CFreedbClient::QueryResult result = client.Query(disc, matches);
    if (result != CFreedbClient::QueryResult::Exact && result != CFreedbClient::QueryResult::Several)
        return 1;
    if (!client.Read(matches.front(), disc))
        return 1;
    const std::size_t space = matches.front().find(' ');
    std::printf("CATEGORY=%s\n", matches.front().substr(0, space).c_str());
    std::printf("DISCID=%s\n", CFreedbClient::DiscIdText(disc.m_nDiscId).c_str());
    const std::string title = disc.m_strArtist == disc.m_strDiscTitle ? disc.m_strDiscTitle
                                                                      : disc.m_strArtist + " / " + disc.m_strDiscTitle;
    std::printf("DTITLE=%s\n", OneLine(title).c_str());
    std::printf("DYEAR=%s\n", OneLine(disc.m_strYear).c_str());
    std::printf("DGENRE=%s\n", OneLine(disc.m_strGenre).c_str());
    for (int t = 1; t <= disc.m_nTocTracks && t < CDiscRecord::kSlots - 1; ++t)
        std::printf("TTITLE%d=%s\n", t - 1, OneLine(disc.m_strTitle[t]).c_str());
    std::printf("EXTD=%s\n", OneLine(disc.m_strExtd).c_str());
    for (int t = 1; t <= disc.m_nTocTracks && t < CDiscRecord::kSlots - 1; ++t)
        if (!disc.m_strExtt[t].empty())
            std::printf("EXTT%d=%s\n", t - 1, OneLine(disc.m_strExtt[t]).c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
}
