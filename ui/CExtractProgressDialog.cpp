#include "ui/CExtractProgressDialog.h"

#include <QLabel>
#include <QMetaObject>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Byte counts shown on bars whose range is an int.
int BarValue(std::uint32_t bytes)
{
    return static_cast<int>(bytes / 2352);
}

} // namespace

CExtractProgressDialog::CExtractProgressDialog(const ICdDeviceOpener &drives, const CDiscRecord &record,
                                               const std::string &folder, const EncoderBinding *encoder,
                                               std::function<void(const std::string &)> finished, QWidget *parent)
    : QDialog(parent), m_record(record), m_strFolder(folder), m_bEncoder(encoder != nullptr),
      m_finished(std::move(finished)), m_worker(std::make_unique<CExtractWorker>(drives, static_cast<IExtractProgress &>(*this)))
{
    if (encoder)
        m_encoder = *encoder;
    setWindowTitle(QStringLiteral("Extracting Audio"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Current Track:"), this));
    m_track = new QProgressBar(this);
    m_track->setRange(0, 1);
    m_track->setValue(0);
    layout->addWidget(m_track);
    layout->addWidget(new QLabel(QStringLiteral("Total:"), this));
    m_total = new QProgressBar(this);
    m_total->setRange(0, 1);
    m_total->setValue(0);
    layout->addWidget(m_total);
    m_status = new QLabel(QStringLiteral("Initializing audio extraction..."), this);
    m_status->setMinimumWidth(360);
    layout->addWidget(m_status);
    m_button = new QPushButton(QStringLiteral("Cancel"), this);
    layout->addWidget(m_button, 0, Qt::AlignHCenter);
    connect(m_button, &QPushButton::clicked, this, [this] { OnButton(); });
}

CExtractProgressDialog::~CExtractProgressDialog()
{
    m_worker.reset(); // aborts and waits; queued reports to this dialog are dropped with it
}

void CExtractProgressDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_bStarted)
        return;
    m_bStarted = true;
    // Started once the window is up, so that a failure is shown in its status line.
    QMetaObject::invokeMethod(this, [this] {
        if (!m_worker->Start(m_record, m_strFolder, m_bEncoder ? &m_encoder : nullptr))
            m_button->setText(QStringLiteral("Close"));
    }, Qt::QueuedConnection);
}

void CExtractProgressDialog::OnButton()
{
    if (m_worker->IsActive())
        m_worker->Abort();
    else
        QDialog::reject();
}

void CExtractProgressDialog::reject()
{
    // Escape and the close box act as the button does: a running worker is aborted first.
    OnButton();
}

QString CExtractProgressDialog::StatusText() const
{
    return m_status->text();
}

template <typename F> void CExtractProgressDialog::Post(F f)
{
    QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
}

void CExtractProgressDialog::OnStatus(const std::string &text)
{
    Post([this, t = QString::fromStdString(text)] { m_status->setText(t); });
}

void CExtractProgressDialog::OnButton(const std::string &text)
{
    Post([this, t = QString::fromStdString(text)] { m_button->setText(t); });
}

void CExtractProgressDialog::OnTrackRange(std::uint32_t bytes)
{
    Post([this, bytes] {
        m_track->setRange(0, std::max(1, BarValue(bytes)));
        m_track->setValue(0);
    });
}

void CExtractProgressDialog::OnTotalRange(std::uint32_t bytes)
{
    Post([this, bytes] { m_total->setRange(0, std::max(1, BarValue(bytes))); });
}

void CExtractProgressDialog::OnProgress(std::uint32_t trackBytes, std::uint32_t totalBytes)
{
    Post([this, trackBytes, totalBytes] {
        m_track->setValue(std::min(m_track->maximum(), BarValue(trackBytes)));
        m_total->setValue(std::min(m_total->maximum(), BarValue(totalBytes)));
    });
}

void CExtractProgressDialog::OnTrackFinished(const std::string &path)
{
    Post([this, path] {
        if (m_finished && !path.empty())
            m_finished(path);
    });
}

void CExtractProgressDialog::OnFinished(bool failed)
{
    Post([this, failed] {
        m_worker->Wait();
        if (!failed)
            done(m_worker->Result() == CExtractWorker::Outcome::kDone ? QDialog::Accepted : QDialog::Rejected);
    });
}
