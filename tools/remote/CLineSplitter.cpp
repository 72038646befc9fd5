#include "tools/remote/CLineSplitter.h"

void CLineSplitter::Feed(std::string_view bytes, const std::function<void(std::string_view)> &onLine)
{
    while (!bytes.empty()) {
        const std::size_t newline = bytes.find('\n');
        const std::string_view part = bytes.substr(0, newline);
        if (!m_bDiscarding) {
            if (m_pending.size() + part.size() > m_maxLine) {
                m_pending.clear();
                m_bDiscarding = true;
            } else {
                m_pending.append(part);
            }
        }
        if (newline == std::string_view::npos)
            return;
        if (!m_bDiscarding)
            onLine(m_pending);
        m_pending.clear();
        m_bDiscarding = false;
        bytes.remove_prefix(newline + 1);
    }
}

void CLineSplitter::Finish(const std::function<void(std::string_view)> &onLine)
{
    if (!m_bDiscarding && !m_pending.empty())
        onLine(m_pending);
    Reset();
}

void CLineSplitter::Reset()
{
    m_pending.clear();
    m_bDiscarding = false;
}
