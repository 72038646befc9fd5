#include "ui/CDialogPosition.h"

bool CDialogPosition::Store(int x, int y, int openedX, int openedY, std::int32_t &settingX, std::int32_t &settingY)
{
    if (x == openedX && y == openedY)
        return false;
    if (x < 0 || y < 0)
        x = y = 0;
    settingX = x;
    settingY = y;
    return true;
}
