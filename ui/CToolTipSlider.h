#pragma once
// A slider whose tool tip shows its value: volume ("Volume: 75%"), module mixing ("Mixing: 50"),
// module panning ("Panning: 50") and equalizer gain ("Gain: -1.5dB"; the gain slider is vertical with
// the top as maximum, so the value is the negated position, in half-decibel steps). Page size 10, a
// tick every 10. The volume kind is the view's IVolumeSlider.
//
// Threads: user-interface thread only.

#include "engine/IVolumeSlider.h"

#include <QSlider>

#include <string>

class CToolTipSlider : public QSlider, public IVolumeSlider {
    Q_OBJECT

public:
    enum Kind { kVolume = 1, kMixing = 2, kPanning = 3, kGain = 4 };

    explicit CToolTipSlider(Kind kind = kVolume, QWidget *parent = nullptr);

    void SetKind(Kind kind);
    Kind GetKind() const { return m_kind; }

    // IVolumeSlider
    int Position() const override { return value(); }
    void SetPosition(int position) override { setValue(position); }
    void UpdateTip() override;

    // The tool tip of `kind` at slider position `position`.
    static std::string TipText(Kind kind, int position);

private:
    Kind m_kind = kVolume;
};
