#pragma once
// The About box (dialog 100, Help > About, command 57664): icon, version, freeware line and two links,
// one to the program's site and one to its audio library's. A link is underlined, lights up while the
// mouse is over it (the icon belongs to the first link), names its site in a tool tip and opens it in
// the desktop's browser when clicked. When the Windows Media plug-in is loaded a notice line for it is
// added.
//
// Threads: user-interface thread only.

#include <QDialog>
#include <QUrl>

#include <functional>

class QLabel;

class CAboutDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 100;
    static constexpr int kCommandId = 57664;
    static constexpr int kWmaNoticeId = 1142;

    // Placeholder addresses of the project; change them here when the project has its own domain.
    static constexpr const char *kHomeUrl = "https://melvane.example.org/";
    static constexpr const char *kAudioLibraryUrl = "https://melvane.example.org/audio-library/";

    enum Link { kHomeLink = 0, kAudioLibraryLink = 1 };

    // `openUrl` opens a clicked link; by default QDesktopServices::openUrl.
    explicit CAboutDialog(bool wmaAvailable, QWidget *parent = nullptr,
                          std::function<bool(const QUrl &)> openUrl = {});

    bool IsLinkHighlighted(Link link) const { return m_hovered[link]; }
    QLabel *LinkLabel(Link link) const { return m_links[link]; }
    QLabel *IconLabel() const { return m_icon; }
    QLabel *WmaNotice() const { return m_wmaNotice; } // null when the plug-in is not loaded

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void SetHighlighted(Link link, bool on);
    QUrl UrlOf(Link link) const;

    std::function<bool(const QUrl &)> m_openUrl;
    QLabel *m_icon = nullptr;
    QLabel *m_links[2] = {nullptr, nullptr};
    QLabel *m_wmaNotice = nullptr;
    bool m_hovered[2] = {false, false};
};
