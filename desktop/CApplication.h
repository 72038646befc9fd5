#pragma once
// The application object: the instance check, the settings, the document, the main window and the
// view, the message loop, and the saves at the end.
//
// InitInstance: a running instance gets this start's command line and this start ends; otherwise the
// settings are read ($XDG_CONFIG_HOME/melvane), the document, frame and view are made, the start-up
// lock is released once the window exists, and the view's initial update runs.
// ExitInstance: the playlist is saved (to its file or default.vpl), then the settings. A session end
// asked by the desktop saves the same way before the window closes; SIGTERM, SIGINT and SIGHUP
// close the window as the user would.
//
// Threads: the main thread.

#include "desktop/CInstanceGuard.h"
#include "ui/CQtMessageBox.h"
#include "playlist/CTrackInfoIdentifier.h"

#include <memory>
#include <string>
#include <vector>

class CDbusScreenSaver;
class CFileAssociations;
class CDesktopServices;
class CMainFrame;
class CPlayerCore;
class CPlayerDoc;
class CQuitSignals;
class CRegistry;
class QApplication;

class CApplication {
public:
    CApplication(int &argc, char **argv);
    ~CApplication();

    // The whole run; the process's exit code.
    int Run();

private:
    bool InitInstance();
    void ExitInstance();
    void SaveAll();

    int &m_argc;
    char **m_argv;
    std::vector<std::string> m_commandLines;
    std::string m_programFolder;
    std::unique_ptr<CInstanceGuard> m_guard;
    std::unique_ptr<QApplication> m_app;
    std::unique_ptr<CRegistry> m_registry;
    std::unique_ptr<CFileAssociations> m_associations;
    CQtMessageBox m_messageBox;
    CTrackInfoIdentifier m_identifier;
    std::unique_ptr<CPlayerDoc> m_doc;
    std::unique_ptr<CDbusScreenSaver> m_screenSaver;
    std::unique_ptr<CPlayerCore> m_core; // outlives the window, which shows it
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<CDesktopServices> m_desktop;
    std::unique_ptr<CQuitSignals> m_quitSignals;
    bool m_bStartFailed = false;
};
