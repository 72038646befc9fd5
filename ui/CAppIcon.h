#pragma once
// The program icon. The installed theme icon "melvane" (data/icons) is preferred; without it (running
// from the build folder) the same design is painted here, so the window, the tray and the About box
// always have our icon.
//
// Threads: user-interface thread only (QPixmap).

#include <QIcon>
#include <QImage>

class CAppIcon {
public:
    // The painted design at `size` x `size` pixels.
    static QImage Paint(int size);
    static QIcon Icon();
};
