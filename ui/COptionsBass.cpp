#include "ui/COptionsBass.h"

#include "ui/CToolTipSlider.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace {

int IndexOr(int value, int count, int fallback)
{
    return value >= 0 && value < count ? value : fallback;
}

} // namespace

QComboBox *COptionsBass::AddList(const char *name, std::initializer_list<const char *> items, int selected)
{
    auto *list = new QComboBox(this);
    list->setObjectName(QString::fromLatin1(name));
    for (const char *item : items)
        list->addItem(QString::fromLatin1(item));
    list->setCurrentIndex(IndexOr(selected, list->count(), 0));
    return list;
}

COptionsBass::COptionsBass(const CPlayerSettings &current, const std::vector<std::string> &devices,
                           bool floatOutput, bool hasCdDrive, QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    auto *output = new QFormLayout;
    layout->addLayout(output);

    m_device = new QComboBox(this);
    m_device->setObjectName(QStringLiteral("bassdev"));
    for (const std::string &device : devices)
        m_device->addItem(QString::fromStdString(device));
    m_device->setCurrentIndex(IndexOr(current.bassdev, m_device->count(), 0));
    m_nShownDevice = m_device->currentIndex();
    output->addRow(QStringLiteral("Output Device:"), m_device);
    m_rate = AddList("bassfreq", {"22050Hz", "44100Hz", "48000Hz"}, current.bassfreq);
    output->addRow(QStringLiteral("Sample Rate:"), m_rate);
    m_buffer = AddList("bassbuffer", {"0.5s", "1.0s", "1.5s", "2.0s"}, current.bassbuffer);
    output->addRow(QStringLiteral("Buffer Length:"), m_buffer);

    m_float = new QCheckBox(QStringLiteral("Enable 32-bit mixing"), this);
    m_float->setObjectName(QStringLiteral("bassfloat"));
    m_float->setChecked(floatOutput && current.bassfloat != 0);
    m_float->setEnabled(floatOutput);
    layout->addWidget(m_float);
    m_gapless = new QCheckBox(QStringLiteral("Enable gapless OGG/FLAC/CD playback"), this);
    m_gapless->setObjectName(QStringLiteral("gapless"));
    m_gapless->setChecked(current.gapless != 0);
    layout->addWidget(m_gapless);

    auto *cd = new QFormLayout;
    layout->addLayout(cd);
    m_priority = AddList("cdpriority", {"Idle", "Lowest", "Below Normal", "Normal", "Above Normal", "Highest"},
                         current.cdpriority - 1);
    m_priorityLabel = new QLabel(QStringLiteral("DAE Priority:"), this);
    cd->addRow(m_priorityLabel, m_priority);
    m_priority->setEnabled(hasCdDrive);
    m_priorityLabel->setEnabled(hasCdDrive);

    auto *modules = new QGroupBox(QStringLiteral("MOD Playback/Loading"), this);
    auto *moduleLayout = new QVBoxLayout(modules);
    m_autocorrect = new QCheckBox(QStringLiteral("Automatically correct mixing level"), modules);
    m_autocorrect->setObjectName(QStringLiteral("autocorrect"));
    m_autocorrect->setChecked(current.autocorrect != 0);
    moduleLayout->addWidget(m_autocorrect);
    m_modlevels = new QCheckBox(QStringLiteral("Use mixing and panning levels from playlist on loading"), modules);
    m_modlevels->setObjectName(QStringLiteral("modlevels"));
    m_modlevels->setChecked(current.modlevels != 0);
    moduleLayout->addWidget(m_modlevels);

    auto *grid = new QGridLayout;
    moduleLayout->addLayout(grid);
    grid->addWidget(new QLabel(QStringLiteral("[MOD]"), modules), 0, 1, Qt::AlignHCenter);
    grid->addWidget(new QLabel(QStringLiteral("[S3M/XM/IT]"), modules), 0, 2, Qt::AlignHCenter);
    const char *rowTexts[] = {"Default Mixing:", "Default Panning:", "Surround Sound:", "Volume Ramping:"};
    for (int row = 0; row < 4; ++row)
        grid->addWidget(new QLabel(QString::fromLatin1(rowTexts[row]), modules), row + 1, 0);
    const int mixing[2] = {current.mixing1, current.mixing2};
    const int panning[2] = {current.panning1, current.panning2};
    const int surround[2] = {current.surround1, current.surround2};
    const int ramping[2] = {current.ramping1, current.ramping2};
    for (int kind = 0; kind < 2; ++kind) {
        const QString suffix = QString::number(kind + 1);
        m_mixing[kind] = new CToolTipSlider(CToolTipSlider::kMixing, modules);
        m_panning[kind] = new CToolTipSlider(CToolTipSlider::kPanning, modules);
        CToolTipSlider *sliders[2] = {m_mixing[kind], m_panning[kind]};
        const int values[2] = {mixing[kind], panning[kind]};
        const char *names[2] = {"mixing", "panning"};
        for (int i = 0; i < 2; ++i) {
            sliders[i]->setOrientation(Qt::Horizontal);
            sliders[i]->setRange(0, 100);
            sliders[i]->setValue(values[i]);
            sliders[i]->setObjectName(QString::fromLatin1(names[i]) + suffix);
            sliders[i]->UpdateTip();
            grid->addWidget(sliders[i], i + 1, kind + 1);
        }
        m_surround[kind] = AddList("surround", {"Off", "Mode 1", "Mode 2"}, surround[kind]);
        m_surround[kind]->setObjectName(QStringLiteral("surround") + suffix);
        grid->addWidget(m_surround[kind], 3, kind + 1);
        m_ramping[kind] = AddList("ramping", {"None", "Normal", "Sensitive"}, ramping[kind]);
        m_ramping[kind]->setObjectName(QStringLiteral("ramping") + suffix);
        grid->addWidget(m_ramping[kind], 4, kind + 1);
    }
    auto *looping = new QFormLayout;
    moduleLayout->addLayout(looping);
    m_looping = AddList("looping", {"Don't Loop", "Loop Continuously", "Fade Out"}, current.looping);
    looping->addRow(QStringLiteral("Song Looping:"), m_looping);
    layout->addWidget(modules);
    layout->addStretch(1);
}

void COptionsBass::Read(CPlayerSettings &choices) const
{
    // A stored device past the list shows the first one; only a device the user picks replaces it.
    if (m_device->count() > 0 && m_device->currentIndex() != m_nShownDevice)
        choices.bassdev = m_device->currentIndex();
    choices.bassfreq = m_rate->currentIndex();
    choices.bassbuffer = m_buffer->currentIndex();
    if (m_float->isEnabled())
        choices.bassfloat = m_float->isChecked() ? 1 : 0;
    choices.gapless = m_gapless->isChecked() ? 1 : 0;
    if (m_priority->isEnabled())
        choices.cdpriority = m_priority->currentIndex() + 1;
    choices.autocorrect = m_autocorrect->isChecked() ? 1 : 0;
    choices.modlevels = m_modlevels->isChecked() ? 1 : 0;
    choices.mixing1 = m_mixing[0]->value();
    choices.mixing2 = m_mixing[1]->value();
    choices.panning1 = m_panning[0]->value();
    choices.panning2 = m_panning[1]->value();
    choices.surround1 = m_surround[0]->currentIndex();
    choices.surround2 = m_surround[1]->currentIndex();
    choices.ramping1 = m_ramping[0]->currentIndex();
    choices.ramping2 = m_ramping[1]->currentIndex();
    choices.looping = m_looping->currentIndex();
}
