#include "ui/CAboutDialog.h"

#include "ui/CAppIcon.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

namespace {

const QColor kLinkColour(0x00, 0x00, 0xcc);
const QColor kHoverColour(0xcc, 0x00, 0x00);

} // namespace

CAboutDialog::CAboutDialog(bool wmaAvailable, QWidget *parent, std::function<bool(const QUrl &)> openUrl)
    : QDialog(parent), m_openUrl(std::move(openUrl))
{
    if (!m_openUrl)
        m_openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    setWindowTitle(QStringLiteral("About Melvane"));
    setObjectName(QStringLiteral("dialog%1").arg(kDialogId));

    m_icon = new QLabel(this);
    m_icon->setPixmap(CAppIcon::Icon().pixmap(48, 48));
    m_icon->setCursor(Qt::PointingHandCursor);

    auto *version = new QLabel(QStringLiteral("Melvane version 1.5"), this);
    auto *freeware = new QLabel(QStringLiteral("This program is freeware."), this);

    const char *texts[2] = {"Melvane home page", "Melvane audio library"};
    const char *tips[2] = {"Visit the Melvane web site", "Visit the web site of Melvane's audio library"};
    QFont linkFont = font();
    linkFont.setPointSize(8);
    linkFont.setUnderline(true);
    for (int i = 0; i < 2; ++i) {
        QLabel *link = new QLabel(QString::fromLatin1(texts[i]), this);
        link->setFont(linkFont);
        link->setToolTip(QString::fromLatin1(tips[i]) + QStringLiteral(" (") + UrlOf(static_cast<Link>(i)).host() +
                         QStringLiteral(")"));
        link->setCursor(Qt::PointingHandCursor);
        link->installEventFilter(this);
        m_links[i] = link;
        SetHighlighted(static_cast<Link>(i), false);
    }
    m_icon->setToolTip(m_links[kHomeLink]->toolTip());
    m_icon->installEventFilter(this);

    auto *text = new QVBoxLayout;
    text->addWidget(version);
    text->addWidget(freeware);
    text->addSpacing(8);
    text->addWidget(m_links[kHomeLink]);
    text->addWidget(m_links[kAudioLibraryLink]);
    if (wmaAvailable) {
        m_wmaNotice = new QLabel(QStringLiteral("Windows Media Audio files are read through the mv_asfin plug-in, "
                                                "built on FFmpeg."),
                                 this);
        m_wmaNotice->setObjectName(QStringLiteral("control%1").arg(kWmaNoticeId));
        m_wmaNotice->setWordWrap(true);
        text->addSpacing(8);
        text->addWidget(m_wmaNotice);
    }

    auto *top = new QHBoxLayout;
    top->addWidget(m_icon, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(text, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QUrl CAboutDialog::UrlOf(Link link) const
{
    return QUrl(QString::fromLatin1(link == kHomeLink ? kHomeUrl : kAudioLibraryUrl));
}

void CAboutDialog::SetHighlighted(Link link, bool on)
{
    m_hovered[link] = on;
    QPalette palette = m_links[link]->palette();
    palette.setColor(QPalette::WindowText, on ? kHoverColour : kLinkColour);
    m_links[link]->setPalette(palette);
}

bool CAboutDialog::eventFilter(QObject *watched, QEvent *event)
{
    int link = -1;
    if (watched == m_links[kHomeLink] || watched == m_icon)
        link = kHomeLink;
    else if (watched == m_links[kAudioLibraryLink])
        link = kAudioLibraryLink;
    if (link < 0)
        return QDialog::eventFilter(watched, event);

    switch (event->type()) {
    case QEvent::Enter:
        SetHighlighted(static_cast<Link>(link), true);
        break;
    case QEvent::Leave:
        SetHighlighted(static_cast<Link>(link), false);
        break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            m_openUrl(UrlOf(static_cast<Link>(link)));
            return true;
        }
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void CAboutDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}
