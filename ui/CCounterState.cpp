#include "ui/CCounterState.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

bool CCounterState::Recompute()
{
    unsigned shown = 0;
    if (m_nMode == kRemaining)
        shown = (m_nLengthMs - std::min(m_nPositionMs, m_nLengthMs)) / 1000;
    else // elapsed, and the dragged target (the time the bar will seek to)
        shown = std::min(m_nPositionMs, m_nMode == kTarget ? m_nLengthMs : m_nPositionMs) / 1000;
    const bool changed = shown != m_nShownSeconds;
    m_nShownSeconds = shown;
    return changed;
}

bool CCounterState::SetTime(unsigned ms)
{
    if (m_bFrozen)
        return false;
    m_nPositionMs = ms;
    return Recompute();
}

bool CCounterState::SetMode(int mode)
{
    m_nMode = std::clamp(mode, 0, 2);
    return Recompute();
}

bool CCounterState::SetLength(unsigned ms)
{
    m_nLengthMs = ms;
    return Recompute();
}

unsigned CCounterState::SetFraction(int x, int width)
{
    if (width <= 0)
        width = 1;
    x = std::clamp(x, 0, width);
    m_nPositionMs = static_cast<unsigned>(static_cast<std::uint64_t>(m_nLengthMs) * static_cast<unsigned>(x) /
                                          static_cast<unsigned>(width));
    Recompute();
    return m_nPositionMs;
}

void CCounterState::Reset()
{
    m_nPositionMs = 0;
    m_bFrozen = false;
    m_nOffsetSeconds = 0;
    Recompute();
}

std::string CCounterState::Text()
{
    std::string text;
    m_bNegative = false;
    if (!m_bActive || m_nMode == kTarget) {
        text = "<";
    } else if (m_nMode == kRemaining) {
        text = "-";
        m_bNegative = true;
    }
    std::int64_t s = m_nShownSeconds;
    if (m_nOffsetSeconds != 0 && m_nMode != kTarget) {
        if (m_nMode == kElapsed) {
            s -= m_nOffsetSeconds;
            if (s < 0) {
                s = -s;
                text.insert(0, "-");
                m_bNegative = true;
            }
        } else {
            s += m_nOffsetSeconds;
        }
    }
    s = std::clamp<std::int64_t>(s, 0, kMaxShownSeconds);
    if (s > 3599) {
        text += static_cast<char>('0' + s / 3600);
        text += ':';
        s %= 3600;
    }
    const auto two = [&text](std::int64_t v) {
        text += static_cast<char>('0' + v / 10);
        text += static_cast<char>('0' + v % 10);
    };
    two(s / 60);
    text += ':';
    two(s % 60);
    if (m_bActive && m_nMode != kTarget) {
        if (m_bNegative)
            text += '-';
    } else {
        text += '>';
    }
    return text;
}

const char *CCounterState::ToolTip(int mode)
{
    switch (mode) {
    case kRemaining: return "Track Remaining";
    case kTarget: return "Total Elapsed";
    default: return "Track Elapsed";
    }
}
