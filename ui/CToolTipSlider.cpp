#include "ui/CToolTipSlider.h"

#include <QCursor>
#include <QToolTip>

CToolTipSlider::CToolTipSlider(Kind kind, QWidget *parent) : QSlider(parent)
{
    setPageStep(10);
    setTickInterval(10);
    setTickPosition(QSlider::TicksBelow);
    SetKind(kind);
    connect(this, &QSlider::valueChanged, this, [this] {
        UpdateTip();
        if (isSliderDown())
            QToolTip::showText(QCursor::pos(), toolTip(), this);
    });
}

void CToolTipSlider::SetKind(Kind kind)
{
    m_kind = kind;
    if (kind == kGain) {
        // Positions run -30 (top) to 30; the tip shows the negated position, so the top is +15 dB.
        setOrientation(Qt::Vertical);
        setInvertedAppearance(true);
        setInvertedControls(true);
        setRange(-30, 30);
    } else {
        setOrientation(Qt::Horizontal);
        setInvertedAppearance(false);
        setInvertedControls(false);
        setRange(0, 100);
    }
    UpdateTip();
}

void CToolTipSlider::UpdateTip()
{
    setToolTip(QString::fromStdString(TipText(m_kind, value())));
}

std::string CToolTipSlider::TipText(Kind kind, int position)
{
    switch (kind) {
    case kVolume: return "Volume: " + std::to_string(position) + "%";
    case kMixing: return "Mixing: " + std::to_string(position);
    case kPanning: return "Panning: " + std::to_string(position);
    case kGain: {
        const int v = -position;
        std::string text = "Gain: ";
        if (v >= 0)
            text += "+";
        else if (v == -1)
            text += "-"; // -1 / 2 is 0, which carries no sign of its own
        text += std::to_string(v / 2);
        text += (v % 2 != 0) ? ".5" : ".0";
        return text + "dB";
    }
    }
    return {};
}
