#pragma once
// The level meter of the main view: two horizontal bars (left on top) animated towards the level of
// each tick by CMeterBars, drawn into an 8-bit indexed 2048 x 40 image whose colour table runs from
// `meter1` to `meter2`, and copied to the window in one drawImage. It repaints only when a bar moved.
//
// Threads: user-interface thread only.

#include "ui/CMeterBars.h"
#include "engine/ILevelMeter.h"

#include <QImage>
#include <QWidget>

class CLevelMeter : public QWidget, public ILevelMeter {
    Q_OBJECT

public:
    explicit CLevelMeter(QWidget *parent = nullptr);

    // ILevelMeter
    void SetLevel(std::uint32_t level) override;
    void EndHoverIfLeft() override;
    bool WantsEveryTick() const override;

    // Rebuilds the colour table (colours 0x00BBGGRR) and clears the bars' image.
    void SetColours(std::uint32_t meter1, std::uint32_t meter2);
    // The `enablemeter` setting: a disabled meter lets its bars fall to 0.
    void SetMeterEnabled(bool enabled) { m_bEnabled = enabled; }
    // Redraws the image now (also done by SetLevel when a bar moved).
    void Render();

    const CMeterBars &Bars() const { return m_bars; }
    const QImage &Image() const { return m_image; }
    int RenderCount() const { return m_nRenders; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    CMeterBars m_bars;
    QImage m_image;
    bool m_bEnabled = true;
    int m_nRenders = 0;
};
