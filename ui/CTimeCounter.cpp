#include "ui/CTimeCounter.h"

#include "playlist/CPlayerSettings.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

QColor FromColorRef(std::uint32_t colour)
{
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

} // namespace

CTimeCounter::CTimeCounter(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    UpdateTip();
    m_strText = m_state.Text();
}

QSize CTimeCounter::sizeHint() const
{
    return {140, 36};
}

void CTimeCounter::SetTime(unsigned ms)
{
    if (m_state.SetTime(ms))
        Redraw(false);
}

void CTimeCounter::Reset()
{
    m_state.Reset();
    Redraw(false);
}

void CTimeCounter::SetLength(unsigned ms)
{
    if (m_state.SetLength(ms))
        Redraw(false);
}

void CTimeCounter::SetOffset(int seconds)
{
    // The shown seconds stay, the text does not: it is drawn now, not at the next whole second.
    m_state.SetOffset(seconds);
    Redraw(false);
}

void CTimeCounter::SetActive(bool active)
{
    m_state.SetActive(active);
}

void CTimeCounter::SetMode(int mode)
{
    m_state.SetMode(mode);
    UpdateTip();
    Redraw(false);
}

unsigned CTimeCounter::SetFraction(int x, int width)
{
    const unsigned before = m_state.ShownSeconds();
    const unsigned ms = m_state.SetFraction(x, width);
    if (m_state.ShownSeconds() != before)
        Redraw(false);
    return ms;
}

void CTimeCounter::Redraw(bool blink)
{
    m_bBlinkOff = blink ? !m_bBlinkOff : false;
    m_strText = m_state.Text();
    Render();
    update();
}

void CTimeCounter::UpdateTip()
{
    setToolTip(QString::fromLatin1(CCounterState::ToolTip(m_state.Mode())));
}

void CTimeCounter::EndHoverIfLeft()
{
    if (m_bHover && !underMouse()) {
        m_bHover = false;
        Redraw(false);
    }
}

void CTimeCounter::SetColour(std::uint32_t colour)
{
    m_colour = FromColorRef(colour);
    Redraw(false);
}

void CTimeCounter::ApplySettings(const CPlayerSettings &settings)
{
    QFont font(QString::fromStdString(settings.font));
    font.setPixelSize(std::max(settings.fontsize, 6));
    font.setBold(settings.fontbold != 0);
    font.setItalic(settings.fontitalic != 0);
    setFont(font);
    m_colour = FromColorRef(settings.colour);
    m_state.SetMode(settings.display == 1 ? 1 : 0);
    UpdateTip();
    Redraw(false);
}

void CTimeCounter::Render()
{
    if (m_image.size() != size())
        m_image = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    m_image.fill(Qt::black);
    QPainter painter(&m_image);
    painter.setFont(font());
    painter.setPen(m_bBlinkOff ? QColor(Qt::black) : m_bHover ? QColor(Qt::white) : m_colour);
    painter.drawText(m_image.rect(), Qt::AlignCenter | Qt::TextSingleLine, QString::fromStdString(m_strText));
}

void CTimeCounter::paintEvent(QPaintEvent *)
{
    if (m_image.size() != size())
        Render();
    QPainter painter(this);
    painter.drawImage(0, 0, m_image);
}

void CTimeCounter::resizeEvent(QResizeEvent *)
{
    Render();
}

void CTimeCounter::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || m_state.Mode() == CCounterState::kTarget)
        return;
    SetMode(m_state.Mode() == CCounterState::kElapsed ? CCounterState::kRemaining : CCounterState::kElapsed);
    emit modeToggled(m_state.Mode());
}

void CTimeCounter::enterEvent(QEnterEvent *)
{
    m_bHover = true;
    Redraw(false);
}

void CTimeCounter::leaveEvent(QEvent *)
{
    m_bHover = false;
    Redraw(false);
}
