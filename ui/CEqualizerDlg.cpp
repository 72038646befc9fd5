#include "ui/CEqualizerDlg.h"

#include "ui/CDialogPosition.h"
#include "engine/CEqualizer.h"
#include "ui/CToolTipSlider.h"
#include "playlist/CPlayerDoc.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

CEqualizerDlg::CEqualizerDlg(CPlayerDoc &doc, CEqualizer &eq, QWidget *parent)
    : QDialog(parent, Qt::Tool), m_doc(doc), m_eq(eq)
{
    setWindowTitle(QStringLiteral("Graphic Equalizer"));
    setModal(false);
    auto *layout = new QGridLayout(this);
    for (int band = 0; band < CEqualizer::kBands; ++band) {
        auto *slider = new CToolTipSlider(CToolTipSlider::kGain, this);
        slider->setTickPosition(QSlider::TicksBothSides);
        slider->setProperty("controlId", kSliderIds[static_cast<std::size_t>(band)]);
        connect(slider, &QSlider::valueChanged, this, &CEqualizerDlg::OnSliderMoved);
        auto *caption = new QLabel(QString::fromLatin1(kCaptions[static_cast<std::size_t>(band)]), this);
        caption->setAlignment(Qt::AlignHCenter);
        layout->addWidget(slider, 0, band, Qt::AlignHCenter);
        layout->addWidget(caption, 1, band);
        m_sliders[static_cast<std::size_t>(band)] = slider;
        m_captions[static_cast<std::size_t>(band)] = caption;
    }
    m_enable = new QCheckBox(QStringLiteral("Enable EQ"), this);
    m_enable->setProperty("controlId", kEnableId);
    m_reset = new QPushButton(QStringLiteral("Reset Levels"), this);
    m_reset->setAutoDefault(false);
    layout->addWidget(m_enable, 2, 0, 1, 5);
    layout->addWidget(m_reset, 2, 5, 1, 4);
    connect(m_enable, &QCheckBox::clicked, this, [this](bool checked) { m_eq.SetEnabled(checked); });
    connect(m_reset, &QPushButton::clicked, this, &CEqualizerDlg::OnReset);
    ShowLevels();
    move(m_doc.eqxpos, m_doc.eqypos);
    m_nOpenedX = m_doc.eqxpos;
    m_nOpenedY = m_doc.eqypos;
}

CEqualizerDlg::~CEqualizerDlg()
{
    StorePosition();
}

void CEqualizerDlg::ShowLevels()
{
    for (int band = 0; band < CEqualizer::kBands; ++band) {
        const QSignalBlocker blocker(Slider(band));
        Slider(band)->setValue(CEqualizer::PositionFromLevel(m_eq.Level(band)));
        Slider(band)->UpdateTip();
    }
}

void CEqualizerDlg::Initialise()
{
    m_eq.LoadLevels();
    ShowLevels();
    move(m_doc.eqxpos, m_doc.eqypos);
    m_nOpenedX = m_doc.eqxpos;
    m_nOpenedY = m_doc.eqypos;
    m_enable->setChecked(m_doc.eqenable != 0);
    if (!m_eq.IsAvailable()) {
        hide();
        m_doc.eqshow = 0;
    } else if (m_doc.eqshow != 0) {
        show();
    }
}

void CEqualizerDlg::ToggleVisible()
{
    if (isVisible())
        hide();
    else if (m_eq.IsAvailable())
        show();
}

void CEqualizerDlg::SaveState()
{
    m_eq.StoreLevels();
    m_doc.eqshow = isVisible() ? 1 : 0;
    StorePosition();
}

void CEqualizerDlg::StorePosition()
{
    const QPoint at = pos();
    CDialogPosition::Store(at.x(), at.y(), m_nOpenedX, m_nOpenedY, m_doc.eqxpos, m_doc.eqypos);
    m_nOpenedX = m_doc.eqxpos;
    m_nOpenedY = m_doc.eqypos;
}

void CEqualizerDlg::OnSliderMoved()
{
    std::array<int, CEqualizer::kBands> positions{};
    for (int band = 0; band < CEqualizer::kBands; ++band)
        positions[static_cast<std::size_t>(band)] = Slider(band)->value();
    m_eq.ApplySliderPositions(positions);
}

void CEqualizerDlg::OnReset()
{
    for (CToolTipSlider *slider : m_sliders) {
        const QSignalBlocker blocker(slider);
        slider->setValue(0);
        slider->UpdateTip();
    }
    OnSliderMoved();
}
