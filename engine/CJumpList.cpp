#include "engine/CJumpList.h"

#include "playlist/CPlayerDoc.h"

#include <QString>

CJumpList::CJumpList(const CPlayerDoc &doc)
{
    const int count = doc.EntryCount();
    m_all.reserve(static_cast<std::size_t>(count));
    for (int row = 0; row < count; ++row) {
        std::string text = LineText(doc.EntryAt(row));
        if (text.empty())
            continue;
        std::string lowered = Lower(text);
        m_all.push_back(Candidate{Line{std::move(text), row}, std::move(lowered)});
    }
    SetFilter({});
}

std::string CJumpList::LineText(const CPlaylistEntry &entry)
{
    std::string text = entry.m_strArtist;
    if (!entry.m_strArtist.empty() && !entry.m_strTitle.empty())
        text += " - ";
    return text + entry.m_strTitle;
}

// Lower-cased through Qt so that letters beyond ASCII in UTF-8 text match too.
std::string CJumpList::Lower(const std::string &text) { return QString::fromStdString(text).toLower().toStdString(); }

void CJumpList::SetFilter(const std::string &filter)
{
    const std::string wanted = Lower(filter);
    m_lines.clear();
    for (const Candidate &candidate : m_all)
        if (candidate.lowered.find(wanted) != std::string::npos)
            m_lines.push_back(candidate.line);
    m_nSelected = m_lines.empty() ? -1 : 0;
}

void CJumpList::Select(int index)
{
    m_nSelected = (index >= 0 && index < static_cast<int>(m_lines.size())) ? index : -1;
}

void CJumpList::SelectNext()
{
    if (m_lines.empty())
        return;
    m_nSelected = (m_nSelected + 1) % static_cast<int>(m_lines.size());
}

void CJumpList::SelectPrevious()
{
    if (m_lines.empty())
        return;
    m_nSelected = m_nSelected <= 0 ? static_cast<int>(m_lines.size()) - 1 : m_nSelected - 1;
}

int CJumpList::ChosenRow() const
{
    return m_nSelected >= 0 ? m_lines[static_cast<std::size_t>(m_nSelected)].row : -1;
}
