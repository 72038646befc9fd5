#pragma once
// The time counter of the main view: elapsed or remaining time of the playing entry, or the target
// time while the position bar is dragged. Text rules live in CCounterState; this widget draws the
// text into an off-screen image and copies it in one drawImage, and repaints only when the shown
// second (or the blink or hover state) changes. A click toggles elapsed and remaining and reports the
// new mode so the owner can store it in the `display` setting.
//
// Threads: user-interface thread only.

#include "ui/CCounterState.h"
#include "engine/ICounterDisplay.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <string>

class CPlayerSettings;

class CTimeCounter : public QWidget, public ICounterDisplay {
    Q_OBJECT

public:
    explicit CTimeCounter(QWidget *parent = nullptr);

    // ICounterDisplay
    void SetTime(unsigned ms) override;
    void Reset() override;
    void SetLength(unsigned ms) override;
    void SetOffset(int seconds) override;
    void SetActive(bool active) override;
    void Redraw(bool blink) override;
    void UpdateTip() override;
    void EndHoverIfLeft() override;

    void SetMode(int mode);
    int GetMode() const { return m_state.Mode(); }
    // Shows the time at x / width of the length (while the position bar is dragged); returns it in ms.
    unsigned SetFraction(int x, int width);
    void SetFrozen(bool frozen) { m_state.SetFrozen(frozen); }
    unsigned GetTime() const { return m_state.Position(); }
    // Text colour (0x00BBGGRR), font from `font`, `fontsize`, `fontbold`, `fontitalic`, mode from `display`.
    void ApplySettings(const CPlayerSettings &settings);
    void SetColour(std::uint32_t colour);

    // What the last redraw showed.
    const std::string &Text() const { return m_strText; }
    bool TextHidden() const { return m_bBlinkOff; }
    const CCounterState &State() const { return m_state; }

    QSize sizeHint() const override;

signals:
    // The user clicked: the mode is now 0 (elapsed) or 1 (remaining).
    void modeToggled(int mode);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void Render();

    CCounterState m_state;
    std::string m_strText = "00:00";
    QImage m_image;
    QColor m_colour{0, 255, 0};
    bool m_bBlinkOff = false;
    bool m_bHover = false;
};
