#pragma once
// The position bar under the counter. The engine sets length and elapsed time. Pressing the mouse
// while something plays starts a drag: the attached counter switches to its target mode and follows
// the mouse (x relative to the bar's left edge, minus 1, at least 0), and releasing the mouse asks
// for a seek to that time; the counter then returns to the mode it had. Highlighted under the mouse.
//
// Threads: user-interface thread only.

#include "engine/IPositionBar.h"

#include <QImage>
#include <QWidget>

class CTimeCounter;

class CPositionBar : public QWidget, public IPositionBar {
    Q_OBJECT

public:
    explicit CPositionBar(QWidget *parent = nullptr);

    // IPositionBar
    void SetLength(unsigned ms) override;
    void SetPosition(unsigned ms) override;
    void Reset() override;
    void EndHoverIfLeft() override;

    // The counter that shows the target while dragging (may stay unset).
    void AttachCounter(CTimeCounter *counter) { m_pCounter = counter; }
    bool Dragging() const { return m_bDragging; }
    unsigned Position() const { return m_nPositionMs; }
    unsigned Length() const { return m_nLengthMs; }

    QSize sizeHint() const override;

signals:
    void dragStarted();
    // While dragging: the target lies at x / width of the length.
    void fractionChanged(int x, int width);
    // The drag ended: seek to this many seconds.
    void seekRequested(int seconds);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void DragTo(int mouseX);
    void Render();

    CTimeCounter *m_pCounter = nullptr;
    QImage m_image;
    unsigned m_nLengthMs = 0;
    unsigned m_nPositionMs = 0;
    int m_nShownPixels = -1;
    int m_nModeBeforeDrag = 0;
    bool m_bDragging = false;
    bool m_bHover = false;
};
