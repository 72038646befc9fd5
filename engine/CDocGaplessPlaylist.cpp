#include "engine/CDocGaplessPlaylist.h"

#include "playlist/CPlayerDoc.h"

CDocGaplessPlaylist::CDocGaplessPlaylist(CPlayerDoc &doc) : m_doc(doc)
{
    Refresh();
}

void CDocGaplessPlaylist::Refresh()
{
    m_bGapless.store(m_doc.gapless != 0, std::memory_order_relaxed);
    m_bRandom.store(m_doc.random != 0, std::memory_order_relaxed);
    m_bRepeatTrack.store(m_doc.repeattrack != 0, std::memory_order_relaxed);
}

int CDocGaplessPlaylist::NextGaplessEntry(const std::string &path, CPlaylistEntry &out)
{
    return m_doc.NextGaplessEntry(path, out);
}
