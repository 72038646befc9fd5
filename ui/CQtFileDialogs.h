#pragma once
// The Qt file dialogs for playlists, music files and folders (see core/IFileDialogs.h for the
// titles, filters and rules). Qt's dialogs never change the process's working folder.
//
// Threads: user-interface thread only.

#include "core/IFileDialogs.h"

class QWidget;

class CQtFileDialogs : public IFileDialogs {
public:
    explicit CQtFileDialogs(QWidget *parent = nullptr) : m_pParent(parent) {}
    void SetParent(QWidget *parent) { m_pParent = parent; }

    std::string OpenPlaylistFile(const std::string &folder, const std::string &name) override;
    std::string SavePlaylistFile(const std::string &folder, const std::string &name) override;
    std::vector<std::string> OpenMusicFiles(const std::string &folder, const Filters &filters) override;
    std::string ChooseFolder(const std::string &folder) override;
    std::string OpenCdImageFile(const std::string &folder) override;

private:
    QWidget *m_pParent;
};
