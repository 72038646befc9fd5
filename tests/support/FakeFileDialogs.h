#pragma once
// File dialogs that answer as the test told them and record each call ("open <folder> <name>",
// "save <folder> <name>", "files <folder>", "folder <folder>", "image <folder>"). m_onShow runs while a dialog is
// up, so a test can look at the program's state at that moment.

#include "core/IFileDialogs.h"

#include <functional>
#include <string>
#include <vector>

class FakeFileDialogs : public IFileDialogs {
public:
    std::string OpenPlaylistFile(const std::string &folder, const std::string &name) override
    {
        Shown("open " + folder + " " + name);
        return m_answer;
    }
    std::string SavePlaylistFile(const std::string &folder, const std::string &name) override
    {
        Shown("save " + folder + " " + name);
        return m_answer;
    }
    std::vector<std::string> OpenMusicFiles(const std::string &folder, const Filters &filters) override
    {
        m_filters = filters;
        Shown("files " + folder);
        return m_files;
    }
    std::string ChooseFolder(const std::string &folder) override
    {
        Shown("folder " + folder);
        return m_answer;
    }

    std::string OpenCdImageFile(const std::string &folder) override
    {
        Shown("image " + folder);
        return m_answer;
    }

    std::string m_answer;             // the playlist or folder chosen; empty: cancelled
    std::vector<std::string> m_files; // the music files chosen
    std::vector<std::string> m_calls;
    Filters m_filters;                // of the last music-file dialog
    std::function<void()> m_onShow;

private:
    void Shown(std::string call)
    {
        m_calls.push_back(std::move(call));
        if (m_onShow)
            m_onShow();
    }
};
