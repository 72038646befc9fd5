#include "playlist/CPlaylistEditor.h"

#include "core/CMessageBox.h"
#include "core/IFileDialogs.h"
#include "playlist/CPlayerDoc.h"

#include <filesystem>
#include <fstream>
#include <system_error>

CPlaylistEditor::CPlaylistEditor(CPlayerDoc &doc, CMessageBox &messageBox)
    : m_doc(doc), m_messageBox(messageBox), m_folderAdder(doc)
{
}

void CPlaylistEditor::SetWmaAvailable(bool available)
{
    m_bWma = available;
    m_folderAdder.SetWmaAvailable(available);
}

CPlaylistEditor::Filters CPlaylistEditor::FileFilters(bool withWma)
{
    Filters filters;
    filters.emplace_back("All supported music files", withWma
                                                          ? "*.mod;*.s3m;*.xm;*.it;*.mp2;*.mp3;*.ogg;*.flac;*.asf;*.wma;*.wav"
                                                          : "*.mod;*.s3m;*.xm;*.it;*.mp2;*.mp3;*.ogg;*.flac;*.wav");
    filters.emplace_back("Sound/Noise/ProTracker modules (*.mod)", "*.mod");
    filters.emplace_back("ScreamTracker 3 modules (*.s3m)", "*.s3m");
    filters.emplace_back("FastTracker 2 modules (*.xm)", "*.xm");
    filters.emplace_back("Impulse Tracker modules (*.it)", "*.it");
    filters.emplace_back("MPEG audio files (*.mp2;*.mp3)", "*.mp2;*.mp3");
    filters.emplace_back("Ogg Vorbis files (*.ogg)", "*.ogg");
    filters.emplace_back("FLAC files (*.flac)", "*.flac");
    if (withWma)
        filters.emplace_back("Windows Media files (*.asf;*.wma)", "*.asf;*.wma");
    filters.emplace_back("Wave files (*.wav)", "*.wav");
    return filters;
}

int CPlaylistEditor::ChooseAfterAdding(int row)
{
    m_doc.SelectOnly(row);
    return m_doc.State().m_nPlaying < 0 ? row : -1;
}

std::vector<std::string> CPlaylistEditor::AskForFiles() const
{
    return m_pFileDialogs ? m_pFileDialogs->OpenMusicFiles(m_doc.lastdir, FileFilters(m_bWma)) : std::vector<std::string>{};
}

std::string CPlaylistEditor::AskForFolder() const
{
    return m_pFileDialogs ? m_pFileDialogs->ChooseFolder(m_doc.browsedir) : std::string();
}

int CPlaylistEditor::AddChosenFiles(const std::vector<std::string> &paths)
{
    if (paths.empty())
        return -1;
    const std::size_t slash = paths.front().rfind('/');
    m_doc.lastdir = slash == std::string::npos ? std::string("./") : paths.front().substr(0, slash + 1);
    m_doc.AddFiles(paths);
    const int count = m_doc.EntryCount();
    int chosen = -1;
    if (m_doc.State().SelectedCount() == 0 && count > 0)
        chosen = ChooseAfterAdding(count - 1);
    m_doc.ClearPlayedAndMarkPlaying();
    return chosen;
}

int CPlaylistEditor::AddChosenFolder(const std::string &folder)
{
    m_folderAdder.AddFolder(folder);
    int chosen = -1;
    if (m_doc.State().SelectedCount() == 0 && m_doc.EntryCount() > 0)
        chosen = ChooseAfterAdding(0);
    m_doc.ClearPlayedAndMarkPlaying();
    m_doc.browsedir = folder;
    return chosen;
}

int CPlaylistEditor::DropPaths(const std::vector<std::string> &paths)
{
    if (paths.empty() || m_doc.DropPlaylistFile(paths))
        return -1;
    const bool wasEmpty = m_doc.EntryCount() == 0;
    for (const std::string &path : paths) {
        std::error_code ec;
        if (std::filesystem::is_directory(path, ec)) {
            m_folderAdder.AddFolder(path);
            continue;
        }
        if (m_doc.EntryCount() >= CPlayerDoc::kMaxPlaylistEntries) {
            m_messageBox.Show(CPlayerDoc::LimitMessage(), CMessageBox::kOk);
            break;
        }
        m_doc.AddFiles({path});
    }
    int chosen = -1;
    if (wasEmpty && m_doc.EntryCount() > 0)
        chosen = ChooseAfterAdding(0);
    m_doc.ClearPlayedAndMarkPlaying();
    return chosen;
}

CPlaylistEditor::FileCheck CPlaylistEditor::CheckFileOrOfferRemoval(int row)
{
    if (std::ifstream(m_doc.EntryAt(row).m_strPath, std::ios::binary).is_open())
        return FileCheck::Opens;
    if (m_messageBox.Show("File not found.\nRemove from playlist?  ", CMessageBox::kYesNo, CMessageBox::kIconQuestion) !=
        CMessageBox::kAnswerYes)
        return FileCheck::Kept;
    m_doc.RemoveRow(row);
    return FileCheck::Removed;
}
