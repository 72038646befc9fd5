#include "desktop/CApplication.h"

#include "desktop/CCommandLine.h"
#include "desktop/CDbusScreenSaver.h"
#include "desktop/CDesktopServices.h"
#include "ui/CMainFrame.h"
#include "desktop/CQuitSignals.h"
#include "desktop/CStartupProbe.h"
#include "engine/CPlayerCore.h"
#include "playlist/CFileAssociations.h"
#include "playlist/CPlayerDoc.h"
#include "platform/io/CProgramFolder.h"
#include "platform/ipc/CRuntimeDir.h"
#include "platform/registry/CRegistry.h"

#include <QApplication>
#include <QDBusConnection>
#include <QScreen>
#include <QSessionManager>
#include <QStandardPaths>

#include <filesystem>

CApplication::CApplication(int &argc, char **argv) : m_argc(argc), m_argv(argv)
{
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    m_commandLines = CCommandLine::Lines(arguments, error ? std::string("/") : folder.string());
    m_programFolder = CProgramFolder::Path();
}

CApplication::~CApplication()
{
    m_quitSignals.reset();
    if (m_frame)
        m_frame->SetDesktopServices(nullptr);
    m_desktop.reset();
    m_frame.reset();
    m_core.reset();
    m_doc.reset();
}

int CApplication::Run()
{
    if (!InitInstance())
        return 0;
    const int code = m_app->exec();
    ExitInstance();
    return code;
}

bool CApplication::InitInstance()
{
    const CRuntimeDir runtime = CRuntimeDir::FromEnvironment();
    const bool runtimeUsable = runtime.Prepare();
    if (runtimeUsable) {
        m_guard = std::make_unique<CInstanceGuard>(runtime.Path());
        if (!m_guard->CheckSingleInstance(m_commandLines))
            return false;
    }

    m_app = std::make_unique<QApplication>(m_argc, m_argv);
    QApplication::setApplicationName(QStringLiteral("Melvane"));
    QApplication::setQuitOnLastWindowClosed(false);

    m_registry = std::make_unique<CRegistry>(CRegistry::DefaultFolder());
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    m_doc = std::make_unique<CPlayerDoc>(m_identifier, m_messageBox);
    static_cast<CPlayerSettings &>(*m_doc) = CPlayerSettings(music.toStdString());
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->size() : QSize(1024, 768);
    m_doc->LoadSettings(*m_registry, CPlayerSettings::SettingsFilePath(*m_registry), size.width(), size.height());
    m_doc->SetRepeatList(m_doc->repeatlist != 0);

    // The desktop entries follow the program wherever it was moved since the last start.
    m_associations = std::make_unique<CFileAssociations>(
        *m_registry, QCoreApplication::applicationFilePath().toStdString());
    m_associations->RegisterShellClasses();

    m_screenSaver = std::make_unique<CDbusScreenSaver>(QDBusConnection::sessionBus());

    CPlayerCore::Services services;
    services.doc = m_doc.get();
    services.messageBox = &m_messageBox;
    services.screenSaver = m_screenSaver.get();
    services.identifier = &m_identifier;
    services.programFolder = m_programFolder;
    m_core = std::make_unique<CPlayerCore>(services);

    CMainFrame::Options options;
    options.core = m_core.get();
    options.messageBox = &m_messageBox;
    options.registry = m_registry.get();
    options.associations = m_associations.get();
    options.runtimeDir = runtimeUsable ? runtime.Path() : std::string();
    options.programFolder = m_programFolder;
    m_frame = std::make_unique<CMainFrame>(options);
    m_desktop = std::make_unique<CDesktopServices>(*m_frame, *m_frame, true);
    m_frame->SetDesktopServices(m_desktop.get());
    m_messageBox.SetParent(m_frame.get());
    // The window exists: later starts find it instead of the start-up lock.
    if (m_guard)
        m_guard->ReleaseAtom();

    QObject::connect(m_app.get(), &QGuiApplication::commitDataRequest, m_app.get(),
                     [this](QSessionManager &) { SaveAll(); });

    const bool maximised = m_doc->maximize != 0;
    const CStartRequest request = CCommandLine::Parse(m_commandLines, m_doc->autoplay0 != 0, m_doc->autoplay1 != 0);
    if (!m_frame->InitialUpdate(request)) {
        m_bStartFailed = true;
        return false; // ends at once, nothing saved
    }
    m_desktop->MarkForwardTime(true);
    m_quitSignals = std::make_unique<CQuitSignals>([this] { m_frame->CloseFrame(); });
    m_frame->FirstActivation(maximised);
    if (CStartupProbe::Requested())
        CStartupProbe::Arm(*m_frame);
    return true;
}

void CApplication::ExitInstance()
{
    m_frame->CloseFrame();
    SaveAll();
}

void CApplication::SaveAll()
{
    m_doc->SaveAtExit();
    m_doc->SaveSettingsToRegistry(*m_registry);
    // Texts found or edited for the discs still in the drives reach cd.ini now.
    if (m_core)
        m_core->Cd().Discs().SaveAll();
}
