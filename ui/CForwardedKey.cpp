#include "ui/CForwardedKey.h"

namespace {

int KeyOf(std::uint64_t code)
{
    if (code >= 0x70 && code <= 0x87)
        return Qt::Key_F1 + static_cast<int>(code - 0x70);
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9'))
        return static_cast<int>(code); // Qt's letter and digit keys are their ASCII codes
    switch (code) {
    case 0x08: return Qt::Key_Backspace;
    case 0x09: return Qt::Key_Tab;
    case 0x0D: return Qt::Key_Return;
    case 0x1B: return Qt::Key_Escape;
    case 0x20: return Qt::Key_Space;
    case 0x21: return Qt::Key_PageUp;
    case 0x22: return Qt::Key_PageDown;
    case 0x23: return Qt::Key_End;
    case 0x24: return Qt::Key_Home;
    case 0x25: return Qt::Key_Left;
    case 0x26: return Qt::Key_Up;
    case 0x27: return Qt::Key_Right;
    case 0x28: return Qt::Key_Down;
    case 0x2D: return Qt::Key_Insert;
    case 0x2E: return Qt::Key_Delete;
    default: return 0;
    }
}

} // namespace

QKeySequence CForwardedKey::Sequence(std::uint64_t virtualKey, std::int64_t modifiers)
{
    const int key = KeyOf(virtualKey);
    if (key == 0)
        return {};
    Qt::KeyboardModifiers held;
    if (modifiers & kShift)
        held |= Qt::ShiftModifier;
    if (modifiers & kControl)
        held |= Qt::ControlModifier;
    return QKeySequence(QKeyCombination(held, static_cast<Qt::Key>(key)));
}
