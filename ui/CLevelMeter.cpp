#include "ui/CLevelMeter.h"

#include <QPainter>

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
    if (m_bars.SetLevel(level, m_bEnabled))
        Render();
}

void CLevelMeter::EndHoverIfLeft()
{
    // The meter has no hover highlight; nothing stays lit when the mouse leaves.
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

void CLevelMeter::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_image, QRect(QPoint(0, 0), size()));
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
