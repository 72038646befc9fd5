#include "ui/CLevelMeter.h"

#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

#include <algorithm>

CLevelMeter::CLevelMeter(QWidget *parent)
    : QWidget(parent), m_image(CMeterBars::kImageWidth, CMeterBars::kImageHeight, QImage::Format_Indexed8)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetColours(0x00FF00, 0x0000FF);
}

QSize CLevelMeter::sizeHint() const
{
    return {200, CMeterBars::kImageHeight};
}

void CLevelMeter::SetColours(std::uint32_t meter1, std::uint32_t meter2)
{
    const auto table = CMeterBars::ColourTable(meter1, meter2);
    m_image.setColorTable(QList<QRgb>(table.begin(), table.end()));
    m_image.fill(0);
    Render();
}

void CLevelMeter::SetLevel(std::uint32_t level)
{
    const int left = m_bars.LeftShown(), right = m_bars.RightShown();
    const int barWidth = m_bars.BarWidth();
    if (!m_bars.SetLevel(level, m_bEnabled))
        return;
    if (barWidth != std::clamp(width() - 7, 0, CMeterBars::kMaxBarWidth)) {
        Render();
        return;
    }
    // Only the segments that changed are drawn again: the meter moves on every tick while music plays.
    // They are painted at once, not on a queued update that would wake the event loop once more.
    m_bars.Render(m_image.bits(), static_cast<int>(m_image.bytesPerLine()));
    ++m_nRenders;
    const auto [leftFrom, leftTo] = m_bars.ChangedColumns(left, m_bars.LeftShown());
    const auto [rightFrom, rightTo] = m_bars.ChangedColumns(right, m_bars.RightShown());
    QRegion changed;
    if (leftTo > leftFrom)
        changed += QRect(leftFrom, 4, leftTo - leftFrom, 14);
    if (rightTo > rightFrom)
        changed += QRect(rightFrom, 22, rightTo - rightFrom, 14);
    if (!changed.isEmpty())
        repaint(changed);
}

void CLevelMeter::EndHoverIfLeft()
{
    // The meter has no hover highlight; nothing stays lit when the mouse leaves.
}

bool CLevelMeter::WantsEveryTick() const
{
    const bool seen = m_bEnabled && isVisible() && !window()->isMinimized();
    return seen || m_bars.LeftShown() > 0 || m_bars.RightShown() > 0;
}

void CLevelMeter::Render()
{
    // A hidden widget gets its resize event only when shown: follow the width here as well.
    if (m_bars.BarWidth() != std::clamp(width() - 7, 0, CMeterBars::kMaxBarWidth)) {
        m_bars.SetClientWidth(width());
        m_image.fill(0);
    }
    m_bars.Render(m_image.bits(), static_cast<int>(m_image.bytesPerLine()));
    ++m_nRenders;
    update();
}

void CLevelMeter::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect dirty = event->rect() & QRect(QPoint(0, 0), m_image.size());
    painter.drawImage(dirty.topLeft(), m_image, dirty);
    // Below a 40-pixel image, and right of 2048 pixels, the meter is black.
    if (height() > m_image.height())
        painter.fillRect(0, m_image.height(), width(), height() - m_image.height(), Qt::black);
    if (width() > m_image.width())
        painter.fillRect(m_image.width(), 0, width() - m_image.width(), height(), Qt::black);
}

void CLevelMeter::resizeEvent(QResizeEvent *)
{
    Render();
}
