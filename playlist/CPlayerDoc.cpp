#include "playlist/CPlayerDoc.h"

#include "core/CMessageBox.h"
#include "platform/io/CProgramFolder.h"
#include "playlist/CPlaylistFile.h"
#include "playlist/CTextCompare.h"
#include "playlist/ICdTrackPlayer.h"
#include "playlist/IEntryIdentifier.h"
#include "core/IFileDialogs.h"
#include "playlist/PlaylistColumn.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

static_assert(CPlayerDoc::kMaxPlaylistEntries == CPlaylistFile::kMaxEntries);

CPlayerDoc::CPlayerDoc(IEntryIdentifier &identifier, CMessageBox &messageBox, QObject *parent)
    : QObject(parent), m_identifier(identifier), m_messageBox(messageBox), m_aEntries(kMaxPlaylistEntries)
{
}

CPlayerDoc::~CPlayerDoc() = default;

std::string CPlayerDoc::LimitMessage()
{
    return "Limit of " + std::to_string(kMaxPlaylistEntries) + " playlist files reached.  ";
}

// --- any thread -------------------------------------------------------------------------------

int CPlayerDoc::EntryCount() const
{
    std::lock_guard lock(m_mutex);
    return m_nEntryCount;
}

CPlaylistEntry CPlayerDoc::GetEntry(int index) const
{
    CPlaylistEntry entry;
    GetEntry(index, entry);
    return entry;
}

bool CPlayerDoc::GetEntry(int index, CPlaylistEntry &out) const
{
    std::lock_guard lock(m_mutex);
    if (index < 0 || index >= m_nEntryCount)
        return false;
    out = m_aEntries[index];
    return true;
}

int CPlayerDoc::AdvanceNextIndexLocked(const std::string &path)
{
    if (m_nNextIndex < 0 || m_nNextIndex >= m_nEntryCount || m_bCdTabShown) {
        m_nNextIndex = -1;
        return -1;
    }
    // An entry other than the one that ends has no known successor; guessing would play a wrong file.
    if (!CTextCompare::EqualNoCase(m_aEntries[m_nNextIndex].m_strPath, path))
        return -1;
    int next = m_nNextIndex + 1;
    if (next >= m_nEntryCount) {
        if (!m_bRepeatList)
            return -1; // still on the entry that ends: a file added meanwhile follows it
        next = 0;
    }
    m_nNextIndex = next;
    return next;
}

int CPlayerDoc::NextGaplessIndex(const std::string &path)
{
    std::lock_guard lock(m_mutex);
    return AdvanceNextIndexLocked(path);
}

int CPlayerDoc::NextGaplessEntry(const std::string &path, CPlaylistEntry &out)
{
    std::lock_guard lock(m_mutex);
    const int next = AdvanceNextIndexLocked(path);
    if (next >= 0)
        out = m_aEntries[next];
    return next;
}

void CPlayerDoc::SetNextIndex(int index)
{
    std::lock_guard lock(m_mutex);
    m_nNextIndex = index;
}

int CPlayerDoc::NextIndex() const
{
    std::lock_guard lock(m_mutex);
    return m_nNextIndex;
}

void CPlayerDoc::SetCdTabShown(bool shown)
{
    std::lock_guard lock(m_mutex);
    m_bCdTabShown = shown;
}

void CPlayerDoc::SetRepeatList(bool on)
{
    std::lock_guard lock(m_mutex);
    m_bRepeatList = on;
    repeatlist = on ? 1 : 0;
}

bool CPlayerDoc::RepeatList() const
{
    std::lock_guard lock(m_mutex);
    return m_bRepeatList;
}

// --- user-interface thread --------------------------------------------------------------------

int CPlayerDoc::Renumber(int index, const std::vector<int> &newIndex)
{
    if (index < 0 || index >= static_cast<int>(newIndex.size()))
        return index;
    return newIndex[index];
}

// --- positional state -------------------------------------------------------------------------

void CPlayerDoc::SelectOnly(int row)
{
    m_state.m_nCurrent = row;
    m_state.DeselectAll();
    m_state.SetSelected(row, true);
    emit selectionChanged();
    emit currentRowChanged(row);
}

void CPlayerDoc::MakeCurrent(int row)
{
    m_state.m_nCurrent = row;
    emit currentRowChanged(row);
}

void CPlayerDoc::StepSelection(int from, int to)
{
    m_state.m_nCurrent = to;
    m_state.SetSelected(from, false);
    m_state.SetSelected(to, true);
    emit selectionChanged();
}

void CPlayerDoc::MarkPlaying(int row)
{
    m_state.m_nPlaying = row;
    MarkPlayed(row);
    m_state.SetSelected(row, true);
    emit selectionChanged();
}

void CPlayerDoc::MarkPlayed(int row)
{
    if (row >= 0 && row < CPlaylistState::kMaxRows)
        m_state.m_aPlayed[static_cast<std::size_t>(row)] = 1;
}

void CPlayerDoc::RemoveRow(int row)
{
    m_state.DeselectAll();
    m_state.SetSelected(row, true);
    RemoveSelected();
}

void CPlayerDoc::UserSelected(int row, bool selected)
{
    m_state.SetSelected(row, selected);
}

void CPlayerDoc::UserFocused(int row)
{
    m_state.m_nCurrent = row;
}

bool CPlayerDoc::AppendEntry(const CPlaylistEntry &entry)
{
    // An entry the playlist file could not carry would vanish at the next save.
    if (m_nEntryCount >= kMaxPlaylistEntries || !CPlaylistFile::CanStorePath(entry.m_strPath))
        return false;
    m_bKeepUnreadFile = false;
    {
        std::lock_guard lock(m_mutex);
        m_aEntries[m_nEntryCount] = entry;
        ++m_nEntryCount;
    }
    emit totalsChanged();
    return true;
}

void CPlayerDoc::InsertNewRows()
{
    const int first = m_state.m_nRowCount;
    const int last = m_nEntryCount - 1;
    if (last < first)
        return;
    emit rowsAboutToBeInserted(first, last);
    m_state.m_nRowCount = m_nEntryCount;
    m_state.m_nSortColumn = -1;
    emit rowsInserted(first, last);
}

void CPlayerDoc::RebuildRows()
{
    emit rowsAboutToBeReset();
    m_state.DeselectAll();
    m_state.m_nRowCount = m_nEntryCount;
    if (m_nEntryCount > 0)
        m_state.m_nSortColumn = -1;
    emit rowsReset();
    emit selectionChanged();
}

int CPlayerDoc::AddFiles(const std::vector<std::string> &paths)
{
    int added = 0;
    bool unstorable = false;
    CPlaylistEntry entry;
    for (const std::string &path : paths) {
        if (m_nEntryCount >= kMaxPlaylistEntries) {
            m_messageBox.Show(LimitMessage(), CMessageBox::kOk);
            break;
        }
        if (!CPlaylistFile::CanStorePath(path)) {
            unstorable = true;
            continue;
        }
        entry = CPlaylistEntry();
        if (m_identifier.Identify(path, entry) && entry.m_nType != 0 && AppendEntry(entry))
            ++added;
    }
    if (unstorable)
        m_messageBox.Show(kUnstorableMessage, CMessageBox::kOk);
    InsertNewRows();
    ClearPlayedAndMarkPlaying();
    return added;
}

void CPlayerDoc::RemoveSelected()
{
    if (m_state.m_bBusy)
        return;
    const int first = m_state.NextSelected(-1);
    if (first < 0)
        return;
    m_state.m_bBusy = true;

    const int oldCount = m_nEntryCount;
    std::vector<int> newIndex(oldCount);
    int write = 0;
    for (int i = 0; i < oldCount; ++i)
        newIndex[i] = m_state.IsSelected(i) ? -1 : write++;

    {
        std::lock_guard lock(m_mutex);
        for (int i = first; i < oldCount; ++i) {
            if (newIndex[i] >= 0 && newIndex[i] != i)
                m_aEntries[newIndex[i]] = std::move(m_aEntries[i]);
        }
        for (int i = write; i < oldCount; ++i)
            m_aEntries[i] = CPlaylistEntry();
        m_nEntryCount = write;
        m_nNextIndex = Renumber(m_nNextIndex, newIndex);
    }

    // Removed ranges, bottom-up so that each is numbered as before the removal.
    int row = oldCount - 1;
    while (row >= first) {
        if (newIndex[row] >= 0) {
            --row;
            continue;
        }
        const int last = row;
        while (row >= first && newIndex[row] < 0)
            --row;
        emit rowsAboutToBeRemoved(row + 1, last);
        m_state.m_nRowCount -= last - row;
        emit rowsRemoved(row + 1, last);
    }
    m_state.m_nRowCount = m_nEntryCount;

    // Playback itself goes on; only the mark moves with the entry, or goes with it.
    m_state.m_nPlaying = Renumber(m_state.m_nPlaying, newIndex);
    m_state.m_nCurrent = first < m_nEntryCount ? first : std::max(m_nEntryCount - 1, 0);
    emit totalsChanged();

    m_state.DeselectAll();
    if (m_nEntryCount == 0 && m_state.m_nPlaying < 0) {
        emit selectionChanged();
        emit playlistEmptied();
    } else {
        SelectOnly(m_state.m_nCurrent);
    }
    ClearPlayedAndMarkPlaying();
    m_state.m_bBusy = false;
}

void CPlayerDoc::MoveSelected(int target)
{
    const int count = m_nEntryCount;
    if (target < 0 || target >= count || m_state.IsSelected(target))
        return;
    m_state.SetSelected(target, false);

    const int moves = m_state.SelectedCount();
    int searchFrom = -1;
    int lastMoved = -1;
    for (int n = 0; n < moves && target < count; ++n) {
        const int source = m_state.NextSelected(searchFrom);
        if (source < 0)
            break;
        if (source != target) {
            emit rowAboutToBeMoved(source, target);
            {
                std::lock_guard lock(m_mutex);
                auto base = m_aEntries.begin();
                if (source < target)
                    std::rotate(base + source, base + source + 1, base + target + 1);
                else
                    std::rotate(base + target, base + source, base + source + 1);
                int &next = m_nNextIndex;
                if (next == source)
                    next = target;
                else if (source < next && next <= target)
                    --next;
                else if (target <= next && next < source)
                    ++next;
            }
            m_state.MoveRow(source, target);
            int &playing = m_state.m_nPlaying;
            if (playing == source)
                playing = target;
            else if (source < playing && playing <= target)
                --playing;
            else if (target <= playing && playing < source)
                ++playing;
            emit rowMoved(source, target);
        }
        lastMoved = target;
        // Moving up, the next selected row lies below the one just placed; moving down, it has
        // shifted up into the vacated place, so the search starts over and the target stays.
        if (target <= source) {
            searchFrom = target;
            ++target;
        }
    }
    if (lastMoved >= 0) {
        m_state.m_nCurrent = lastMoved;
        emit selectionChanged();
        emit currentRowChanged(lastMoved);
    }
    ClearPlayedAndMarkPlaying();
}

void CPlayerDoc::Sort(int column)
{
    const int count = m_nEntryCount;
    if (count < 2 || !IsPlaylistColumn(column))
        return;
    const bool descending = column == m_state.m_nSortColumn ? !m_state.m_bSortDescending : false;
    const bool playing = m_state.m_nPlaying != -1;
    const int tracked = playing ? m_state.m_nPlaying : m_state.m_nCurrent;

    // The order is computed from the entries without the lock (only this thread writes them).
    const std::vector<std::uint16_t> order = m_sorter.Sort(m_aEntries.data(), count, column, descending);
    std::vector<int> newIndex(count);
    for (int i = 0; i < count; ++i)
        newIndex[order[i]] = i;
    std::vector<std::uint8_t> placed(count, 0);

    emit rowsAboutToBeReset();
    {
        std::lock_guard lock(m_mutex);
        // Follow each cycle of the order once, moving every entry straight to its place.
        for (int start = 0; start < count; ++start) {
            if (placed[start] || order[start] == start)
                continue;
            CPlaylistEntry held = std::move(m_aEntries[start]);
            int slot = start;
            for (;;) {
                placed[slot] = 1;
                const int from = order[slot];
                if (from == start) {
                    m_aEntries[slot] = std::move(held);
                    break;
                }
                m_aEntries[slot] = std::move(m_aEntries[from]);
                slot = from;
            }
        }
        m_nNextIndex = Renumber(m_nNextIndex, newIndex);
    }
    m_state.DeselectAll();
    m_state.m_nRowCount = count;
    emit rowsReset();

    const int newTracked = tracked >= 0 && tracked < count ? newIndex[tracked] : std::clamp(tracked, 0, count - 1);
    if (playing)
        m_state.m_nPlaying = newTracked;
    m_state.m_nSortColumn = column;
    m_state.m_bSortDescending = descending;
    SelectOnly(newTracked);
    ClearPlayedAndMarkPlaying();
}

void CPlayerDoc::Refresh()
{
    if (m_state.m_bBusy)
        return;
    m_state.m_bBusy = true;
    const bool playing = m_state.m_nPlaying != -1;
    const int tracked = playing ? m_state.m_nPlaying : m_state.m_nCurrent;
    const int oldCount = m_nEntryCount;

    // Identification reads files and may take long: it runs before the lock is taken.
    std::vector<CPlaylistEntry> fresh(oldCount);
    std::vector<int> newIndex(oldCount, -1);
    int kept = 0;
    for (int i = 0; i < oldCount; ++i) {
        CPlaylistEntry &entry = fresh[i];
        if (!m_identifier.Identify(m_aEntries[i].m_strPath, entry) || entry.m_nType == 0)
            continue;
        // Whether a module loops is found by playing it to its end, not from the file: keep it.
        if (IsModuleType(entry.m_nType))
            entry.m_bLoops = m_aEntries[i].m_bLoops;
        newIndex[i] = kept++;
    }

    emit rowsAboutToBeReset();
    {
        std::lock_guard lock(m_mutex);
        for (int i = 0; i < oldCount; ++i) {
            if (newIndex[i] >= 0)
                m_aEntries[newIndex[i]] = std::move(fresh[i]);
        }
        for (int i = kept; i < oldCount; ++i)
            m_aEntries[i] = CPlaylistEntry();
        m_nEntryCount = kept;
        m_nNextIndex = Renumber(m_nNextIndex, newIndex);
    }
    m_state.DeselectAll();
    m_state.m_nRowCount = kept;
    if (kept > 0)
        m_state.m_nSortColumn = -1;
    emit rowsReset();

    // The tracked row stays on its entry, or on the entry that took its place when it was dropped;
    // a dropped playing entry is no longer marked playing.
    int current = 0;
    if (tracked >= 0 && tracked < oldCount) {
        for (int i = 0; i < tracked; ++i)
            current += newIndex[i] >= 0 ? 1 : 0;
    }
    current = std::clamp(current, 0, std::max(kept - 1, 0));
    if (playing)
        m_state.m_nPlaying = Renumber(tracked, newIndex);
    m_state.m_nCurrent = current;
    if (kept > 0) {
        SelectOnly(current);
    } else {
        emit selectionChanged();
        if (m_state.m_nPlaying < 0)
            emit playlistEmptied();
    }
    emit totalsChanged();
    ClearPlayedAndMarkPlaying();
    m_state.m_bBusy = false;
}

void CPlayerDoc::Clear()
{
    if (m_nEntryCount != 0)
        SavePlaylist();

    std::vector<CPlaylistEntry> blank(kMaxPlaylistEntries);
    emit rowsAboutToBeReset();
    {
        std::lock_guard lock(m_mutex);
        m_nEntryCount = 0;
        m_aEntries.swap(blank);
        m_nNextIndex = -1;
    }
    // The old entries are destroyed with `blank`, after the lock is released.
    m_state.DeselectAll();
    m_state.m_nRowCount = 0;
    m_state.m_nPlaying = -1;
    m_state.m_nCurrent = 0;
    m_state.ClearPlayedFlags();
    emit rowsReset();
    emit selectionChanged();
    emit totalsChanged();
}

bool CPlayerDoc::SavePlaylist()
{
    return m_saver ? m_saver() : WritePlaylistFile();
}

std::uint32_t CPlayerDoc::TotalDuration() const
{
    std::uint32_t total = 0;
    for (int i = 0; i < m_nEntryCount; ++i)
        total += static_cast<std::uint32_t>(m_aEntries[i].m_nDuration);
    return total;
}

std::uint64_t CPlayerDoc::TotalSize() const
{
    std::uint64_t total = 0;
    for (int i = 0; i < m_nEntryCount; ++i)
        total += m_aEntries[i].m_nSize;
    return total;
}

void CPlayerDoc::ClearPlayedFlags()
{
    m_state.ClearPlayedFlags();
}

void CPlayerDoc::ClearPlayedAndMarkPlaying()
{
    m_state.ClearPlayedAndMarkPlaying();
}

bool CPlayerDoc::SetEntryMixing(int index, const std::string &path, std::int32_t mixing)
{
    if (index < 0 || index >= m_nEntryCount || m_aEntries[index].m_strPath != path)
        return false;
    std::lock_guard lock(m_mutex);
    m_aEntries[index].m_nMixing = mixing;
    return true;
}

bool CPlayerDoc::ReplaceEntry(int index, const CPlaylistEntry &entry)
{
    if (index < 0 || index >= m_nEntryCount || m_aEntries[index].m_strPath != entry.m_strPath)
        return false;
    const bool totals = m_aEntries[index].m_nDuration != entry.m_nDuration || m_aEntries[index].m_nSize != entry.m_nSize;
    {
        std::lock_guard lock(m_mutex);
        m_aEntries[index] = entry;
    }
    emit entryChanged(index);
    if (totals)
        emit totalsChanged();
    return true;
}

// --- playlist files ---------------------------------------------------------------------------

namespace {

std::string WithSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

std::string AbsolutePath(const std::string &path)
{
    std::error_code ec;
    std::string cwd = std::filesystem::current_path(ec).string();
    return CPlaylistFile::ResolvePath(path, ec ? std::string() : WithSlash(cwd));
}

} // namespace

const std::string &CPlayerDoc::DataFolder()
{
    if (m_strDataFolder.empty()) {
        std::string base;
        const char *xdg = std::getenv("XDG_DATA_HOME");
        const char *home = std::getenv("HOME");
        // The XDG rules ignore a relative XDG_DATA_HOME.
        if (xdg && xdg[0] == '/')
            base = xdg;
        else if (home && home[0] == '/')
            base = std::string(home) + "/.local/share";
        std::error_code ec;
        std::string folder = base.empty() ? std::string() : WithSlash(base) + "melvane/";
        if (!folder.empty())
            std::filesystem::create_directories(folder, ec);
        if (folder.empty() || !std::filesystem::is_directory(folder, ec))
            folder = WithSlash(CProgramFolder::Path());
        m_strDataFolder = folder;
    }
    return m_strDataFolder;
}

void CPlayerDoc::SetDataFolder(std::string folder)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    m_strDataFolder = WithSlash(std::move(folder));
}

std::string CPlayerDoc::PlaylistFilePath()
{
    if (m_strPlaylistName.empty())
        return DataFolder() + kDefaultPlaylistName;
    return WithSlash(m_strPlaylistDir) + m_strPlaylistName;
}

void CPlayerDoc::SetPlaylistPath(const std::string &path)
{
    m_bKeepUnreadFile = false;
    const std::string full = AbsolutePath(path);
    m_strPlaylistDir = CPlaylistFile::FolderOf(full);
    m_strPlaylistName = full.substr(m_strPlaylistDir.size());
}

void CPlayerDoc::LoadPlaylist()
{
    CPlaylistFile file(m_identifier);
    std::vector<CPlaylistEntry> loaded;
    const int room = kMaxPlaylistEntries - m_nEntryCount;
    int unread = 0;
    if (file.Load(PlaylistFilePath(), room, loaded, &unread) == CPlaylistFile::Format::Unreadable) {
        m_strPlaylistName.clear();
        return;
    }
    // A file that held lines but gave no entry (another program's format, a damaged header, music
    // that is not there now) is not replaced by an empty list unless the user changes the list.
    if (loaded.empty()) {
        m_bKeepUnreadFile = m_nEntryCount == 0 && unread > 0;
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        for (CPlaylistEntry &entry : loaded) {
            if (m_nEntryCount >= kMaxPlaylistEntries)
                break;
            m_aEntries[m_nEntryCount++] = std::move(entry);
        }
    }
    emit totalsChanged();
}

bool CPlayerDoc::WritePlaylistFile()
{
    if (m_bKeepUnreadFile && m_nEntryCount == 0)
        return true;
    std::string path = PlaylistFilePath();
    if (!m_strPlaylistName.empty() && path.size() > 3) {
        const std::string vpl = CPlaylistFile::VplPath(path);
        if (vpl != path) {
            path = vpl;
            m_strPlaylistName = path.substr(path.rfind('/') + 1);
            emit captionChanged();
        }
    }
    return CPlaylistFile::Save(path, m_aEntries.data(), m_nEntryCount);
}

void CPlayerDoc::OnNewPlaylist()
{
    Clear();
    m_strPlaylistName.clear();
    m_bKeepUnreadFile = false;
    RebuildRows();
    emit captionChanged();
}

void CPlayerDoc::OpenPlaylist(const std::string &path)
{
    Clear();
    SetPlaylistPath(path);
    LoadPlaylist();
    RebuildRows();
    emit captionChanged();
}

void CPlayerDoc::OnOpenPlaylist()
{
    if (!m_pFileDialogs)
        return;
    m_bModalOpen = true;
    const std::string path = m_pFileDialogs->OpenPlaylistFile(m_strPlaylistDir, m_strPlaylistName.substr(0, 259));
    m_bModalOpen = false;
    if (!path.empty())
        OpenPlaylist(path);
}

void CPlayerDoc::OnSavePlaylist()
{
    if (m_nEntryCount == 0)
        return;
    if (m_strPlaylistName.empty() || m_strPlaylistDir.empty())
        OnSavePlaylistAs();
    else
        SavePlaylist();
}

void CPlayerDoc::OnSavePlaylistAs()
{
    if (!m_pFileDialogs)
        return;
    m_bModalOpen = true;
    const std::string path = m_pFileDialogs->SavePlaylistFile(m_strPlaylistDir, m_strPlaylistName);
    m_bModalOpen = false;
    if (!path.empty())
        SavePlaylistAs(path);
}

bool CPlayerDoc::SavePlaylistAs(const std::string &path)
{
    const std::string oldDir = m_strPlaylistDir;
    const std::string oldName = m_strPlaylistName;
    const bool oldKeep = m_bKeepUnreadFile;
    SetPlaylistPath(path);
    const bool saved = SavePlaylist();
    if (!saved) {
        // The list stays with the file it came from, so the save at exit still reaches it.
        m_strPlaylistDir = oldDir;
        m_strPlaylistName = oldName;
        m_bKeepUnreadFile = oldKeep;
        m_messageBox.Show(kSaveFailedMessage, CMessageBox::kOk);
    }
    emit captionChanged();
    return saved;
}

bool CPlayerDoc::OpenFromCommandLine(const std::string &path, bool isPlaylist, char driveLetter, int track)
{
    if (driveLetter != 0) {
        if (track >= 0 && track < 100 && m_pCdTrackPlayer) {
            const char letter = driveLetter >= 'a' && driveLetter <= 'z' ? static_cast<char>(driveLetter - 'a' + 'A')
                                                                         : driveLetter;
            m_pCdTrackPlayer->PlayCdTrack(letter, track);
        }
        return true;
    }
    // The list is replaced only by something that can be read: a path that is relative (it belongs
    // to another process's folder), missing, cut short or no music leaves the list as it is.
    const bool absolute = !path.empty() && path.front() == '/';
    if (isPlaylist) {
        std::string first;
        if (!absolute || !CPlaylistFile::ReadFirstLine(path, first)) {
            m_messageBox.Show(kPlaylistOpenFailedMessage, CMessageBox::kOk);
            return false;
        }
        Clear();
        SetPlaylistPath(path);
        LoadPlaylist();
        RebuildRows();
    } else {
        CPlaylistEntry entry;
        if (!absolute || !CPlaylistFile::CanStorePath(path) || !m_identifier.Identify(path, entry) ||
            entry.m_nType == 0) {
            m_messageBox.Show(kMusicOpenFailedMessage, CMessageBox::kOk);
            return false;
        }
        Clear();
        m_strPlaylistName.clear();
        m_bKeepUnreadFile = false;
        AppendEntry(entry);
        RebuildRows();
        SelectOnly(0);
        emit playEntryRequested(0);
    }
    emit captionChanged();
    return true;
}

bool CPlayerDoc::DropPlaylistFile(const std::vector<std::string> &paths)
{
    std::string first;
    if (paths.empty() || !CPlaylistFile::ReadFirstLine(paths.front(), first))
        return false;
    if (first != CPlaylistFile::kHeader && first != CPlaylistFile::kM3uHeader)
        return false;
    OpenPlaylist(paths.front());
    return true;
}

void CPlayerDoc::SaveAtExit()
{
    if (m_bSavedAtExit)
        return;
    m_bSavedAtExit = true;
    SavePlaylist();
}
