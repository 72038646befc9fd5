#include "ui/CTimerDlg.h"

#include "ui/CModalDialogGuard.h"
#include "engine/CTimedPlayback.h"
#include "playlist/CPlayerDoc.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QRadioButton>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {

constexpr const char *kTimeFormat = "HH:mm:ss";

std::int32_t PackedFrom(const QCheckBox *box, const QTimeEdit *picker)
{
    if (!box->isChecked())
        return 0;
    const QTime time = picker->time();
    return CTimedPlayback::Pack(TimeOfDay{time.hour(), time.minute(), time.second()});
}

} // namespace

CTimerDlg::CTimerDlg(CPlayerDoc &doc, bool saverDetectable, QWidget *parent, std::function<QTime()> now)
    : QDialog(parent), m_doc(doc)
{
    setWindowTitle(QStringLiteral("Timer Playback"));
    auto *layout = new QVBoxLayout(this);

    auto *clock = new QGroupBox(QStringLiteral("System Clock"), this);
    auto *clockLayout = new QVBoxLayout(clock);
    m_startBox = new QCheckBox(QStringLiteral("Start playback at the following time:"), clock);
    m_startTime = new QTimeEdit(clock);
    m_stopBox = new QCheckBox(QStringLiteral("Stop playback at the following time:"), clock);
    m_stopTime = new QTimeEdit(clock);
    for (QTimeEdit *picker : {m_startTime, m_stopTime})
        picker->setDisplayFormat(QString::fromLatin1(kTimeFormat));
    clockLayout->addWidget(m_startBox);
    clockLayout->addWidget(m_startTime);
    clockLayout->addWidget(m_stopBox);
    clockLayout->addWidget(m_stopTime);
    layout->addWidget(clock);

    auto *saver = new QGroupBox(QStringLiteral("Screen Saver"), this);
    auto *saverLayout = new QVBoxLayout(saver);
    m_saverBox = new QCheckBox(QStringLiteral("Start playback when screen saver is launched"), saver);
    saverLayout->addWidget(m_saverBox);
    m_saverGroup = new QButtonGroup(this);
    const char *ruleTexts[] = {"Continue playback on exit", "Pause playback on exit", "Stop playback on exit"};
    for (int rule = 1; rule <= 3; ++rule) {
        auto *radio = new QRadioButton(QString::fromLatin1(ruleTexts[rule - 1]), saver);
        m_saverGroup->addButton(radio, rule);
        saverLayout->addWidget(radio);
    }
    layout->addWidget(saver);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CTimerDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CTimerDlg::reject);

    // Opening state from the settings.
    m_saverBox->setEnabled(saverDetectable);
    m_saverBox->setChecked(doc.scrsave != 0);
    const int rule = doc.scrsave == 2 || doc.scrsave == 3 ? doc.scrsave : 1;
    m_saverGroup->button(rule)->setChecked(true);
    UpdateSaverRadios();
    const QTime current = now ? now() : QTime::currentTime();
    LoadTime(doc.timer, m_startBox, m_startTime, current);
    LoadTime(doc.timeroff, m_stopBox, m_stopTime, current);

    connect(m_startBox, &QCheckBox::toggled, m_startTime, &QWidget::setEnabled);
    connect(m_stopBox, &QCheckBox::toggled, m_stopTime, &QWidget::setEnabled);
    connect(m_saverBox, &QCheckBox::toggled, this, &CTimerDlg::UpdateSaverRadios);
}

void CTimerDlg::LoadTime(std::int32_t packed, QCheckBox *box, QTimeEdit *picker, const QTime &now)
{
    box->setChecked(packed != 0);
    if (packed != 0) {
        const TimeOfDay time = CTimedPlayback::Unpack(packed);
        picker->setTime(QTime(time.hour, time.minute, time.second));
    } else {
        picker->setTime(now);
    }
    picker->setEnabled(packed != 0);
}

void CTimerDlg::UpdateSaverRadios()
{
    for (QAbstractButton *radio : m_saverGroup->buttons())
        radio->setEnabled(m_saverBox->isChecked() && m_saverBox->isEnabled());
}

QRadioButton *CTimerDlg::SaverRadio(int rule) const
{
    return static_cast<QRadioButton *>(m_saverGroup->button(rule));
}

int CTimerDlg::exec()
{
    const CModalDialogGuard guard(m_doc);
    return QDialog::exec();
}

void CTimerDlg::accept()
{
    m_doc.scrsave = m_saverBox->isChecked() ? m_saverGroup->checkedId() : 0;
    m_doc.timer = PackedFrom(m_startBox, m_startTime);
    m_doc.timeroff = PackedFrom(m_stopBox, m_stopTime);
    QDialog::accept();
}
