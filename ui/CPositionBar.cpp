#include "ui/CPositionBar.h"

#include "ui/CCounterState.h"
#include "ui/CTimeCounter.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstdint>

CPositionBar::CPositionBar(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize CPositionBar::sizeHint() const
{
    return {200, 10};
}

void CPositionBar::SetLength(unsigned ms)
{
    m_nLengthMs = ms;
    Render();
}

void CPositionBar::SetPosition(unsigned ms)
{
    if (m_bDragging)
        return;
    m_nPositionMs = ms;
    Render();
}

void CPositionBar::Reset()
{
    m_nLengthMs = 0;
    m_nPositionMs = 0;
    Render();
}

void CPositionBar::EndHoverIfLeft()
{
    if (m_bHover && !underMouse()) {
        m_bHover = false;
        m_nShownPixels = -1;
        Render();
    }
}

void CPositionBar::Render()
{
    // Repaint only when the filled part moves by a pixel (the engine calls this every tick).
    const int inner = std::max(width() - 2, 0);
    const int pixels = m_nLengthMs == 0 ? 0
                                        : static_cast<int>(static_cast<std::uint64_t>(std::min(m_nPositionMs, m_nLengthMs)) *
                                                           static_cast<unsigned>(inner) / m_nLengthMs);
    if (pixels == m_nShownPixels && m_image.size() == size())
        return;
    m_nShownPixels = pixels;
    if (m_image.size() != size())
        m_image = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    m_image.fill(QColor(0, 0, 0));
    QPainter painter(&m_image);
    painter.setPen(m_bHover ? QColor(160, 160, 160) : QColor(80, 80, 80));
    painter.drawRect(0, 0, width() - 1, height() - 1);
    if (pixels > 0)
        painter.fillRect(1, 1, pixels, height() - 2, m_bHover ? QColor(96, 255, 96) : QColor(0, 176, 0));
    update();
}

void CPositionBar::paintEvent(QPaintEvent *)
{
    if (m_image.size() != size()) {
        m_nShownPixels = -1;
        Render();
    }
    QPainter painter(this);
    painter.drawImage(0, 0, m_image);
}

void CPositionBar::DragTo(int mouseX)
{
    const int x = std::max(mouseX - 1, 0);
    const int barWidth = std::max(width(), 1);
    m_nPositionMs = static_cast<unsigned>(static_cast<std::uint64_t>(m_nLengthMs) *
                                          static_cast<unsigned>(std::min(x, barWidth)) / static_cast<unsigned>(barWidth));
    if (m_pCounter)
        m_pCounter->SetFraction(x, barWidth);
    emit fractionChanged(x, barWidth);
    Render();
}

void CPositionBar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || m_nLengthMs == 0)
        return;
    m_bDragging = true;
    if (m_pCounter) {
        m_nModeBeforeDrag = m_pCounter->GetMode();
        m_pCounter->SetMode(CCounterState::kTarget);
        m_pCounter->SetFrozen(true); // the ticks' elapsed time must not replace the target

    }
    emit dragStarted();
    DragTo(static_cast<int>(event->position().x()));
}

void CPositionBar::mouseMoveEvent(QMouseEvent *event)
{
    if (m_bDragging)
        DragTo(static_cast<int>(event->position().x()));
}

void CPositionBar::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_bDragging || event->button() != Qt::LeftButton)
        return;
    m_bDragging = false;
    if (m_pCounter) {
        m_pCounter->SetFrozen(false);
        m_pCounter->SetMode(m_nModeBeforeDrag);
    }
    emit seekRequested(static_cast<int>(m_nPositionMs / 1000));
}

void CPositionBar::enterEvent(QEnterEvent *)
{
    m_bHover = true;
    m_nShownPixels = -1;
    Render();
}

void CPositionBar::leaveEvent(QEvent *)
{
    m_bHover = false;
    m_nShownPixels = -1;
    Render();
}
