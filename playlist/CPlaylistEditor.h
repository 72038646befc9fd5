#pragma once
// The user's additions and removals as the list control offers them: files chosen in the file
// dialog, a folder tree, drops from the file manager (files, folders, or a playlist that replaces
// the list), and removing an entry whose file has gone. The rules live here so that they run
// without a window; the list control only asks and shows.
//
// After an addition to a list without a selection, the first new row (or the last one, for chosen
// files) becomes the only selected and current row; when nothing plays, that row is returned so
// the caller can show its entry. Every addition ends by clearing the played flags of random play.
//
// Threads: user-interface thread only.

#include "playlist/CFolderAdder.h"

#include <string>
#include <utility>
#include <vector>

class CMessageBox;
class CPlayerDoc;
class IFileDialogs;

class CPlaylistEditor {
public:
    using Filters = std::vector<std::pair<std::string, std::string>>;

    CPlaylistEditor(CPlayerDoc &doc, CMessageBox &messageBox);

    // Without dialogs, nothing is asked.
    void SetFileDialogs(IFileDialogs *dialogs) { m_pFileDialogs = dialogs; }
    // With the Windows Media decoder the folder scan and the file dialog also take .asf and .wma.
    void SetWmaAvailable(bool available);
    // "All supported music files" and one filter per format: (name, pattern) pairs.
    static Filters FileFilters(bool withWma);

    // The file dialog of Add File(s), started in `lastdir` (empty: cancelled or no dialogs).
    std::vector<std::string> AskForFiles() const;
    // The folder dialog of Add Folder, started in `browsedir`.
    std::string AskForFolder() const;

    // Each returns the row whose entry to show when nothing plays, or -1.
    // The chosen files' folder becomes `lastdir`.
    int AddChosenFiles(const std::vector<std::string> &paths);
    // The folder becomes `browsedir`.
    int AddChosenFolder(const std::string &folder);
    // A playlist as the first dropped file replaces the list; otherwise folders are added as trees
    // and files one by one until the limit, which is then shown once.
    int DropPaths(const std::vector<std::string> &paths);

    enum class FileCheck { Opens, Removed, Kept };
    // Before the information on `row`: a file that cannot be opened is offered for removal.
    FileCheck CheckFileOrOfferRemoval(int row);

private:
    int ChooseAfterAdding(int row);

    CPlayerDoc &m_doc;
    CMessageBox &m_messageBox;
    IFileDialogs *m_pFileDialogs = nullptr;
    CFolderAdder m_folderAdder;
    bool m_bWma = false;
};
