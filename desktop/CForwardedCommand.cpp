#include "desktop/CForwardedCommand.h"

#include "desktop/CCommandLine.h"
#include "core/IClock.h"
#include "engine/IForwardTarget.h"
#include "plugins/include/mv_messages.h"

#include <algorithm>

CForwardedCommand::CForwardedCommand(IForwardTarget &target, IClock &counter) : m_target(target), m_counter(counter)
{
}

bool CForwardedCommand::OnCopyData(std::uint64_t dwData, std::span<const std::uint8_t> data)
{
    if (dwData != MV_COPYDATA_COMMAND_LINE)
        return false;
    const auto end = std::find(data.begin(), data.end(), std::uint8_t{0});
    HandleLine(std::string_view(reinterpret_cast<const char *>(data.data()),
                                static_cast<std::size_t>(end - data.begin())));
    return true;
}

void CForwardedCommand::HandleLine(std::string_view text)
{
    if (text.empty()) {
        m_target.ShowHidden();
        return;
    }
    if (CCommandLine::StartsWith(text, "-cd")) {
        const CCommandLine::CdTarget cd = CCommandLine::ParseCd(text);
        if (!cd.device.empty())
            m_target.OpenCdDevice(cd.device);
        else if (!cd.image.empty())
            m_target.OpenCdImage(cd.image, cd.track > 0 && cd.track < 100 ? cd.track : 0);
        else if (cd.driveLetter != 0 && cd.track > 0 && cd.track < 100)
            m_target.OpenCdTrack(cd.driveLetter, cd.track);
        MarkForwardTime(false);
        return;
    }

    const std::uint64_t now = m_counter.Now();
    if (CCommandLine::StartsWith(text, "-add")) {
        m_target.AppendFile(CCommandLine::RemoveQuotes(CCommandLine::Mid(text, 5)));
    } else if (m_lastForward <= now && now - m_lastForward <= m_frequency) {
        if (!CCommandLine::StartsWith(text, "-vpl"))
            m_target.AppendFile(CCommandLine::RemoveQuotes(text));
    } else {
        const bool isPlaylist = CCommandLine::StartsWith(text, "-vpl");
        const std::string path = CCommandLine::RemoveQuotes(isPlaylist ? CCommandLine::Mid(text, 5) : text);
        m_target.OpenFile(path, isPlaylist);
    }
    MarkForwardTime(false);
}

void CForwardedCommand::MarkForwardTime(bool readFrequency)
{
    if (readFrequency)
        m_frequency = m_counter.Frequency();
    m_lastForward = m_counter.Now();
}
