#pragma once
// The font and colours the playlist and the CD track lists share: built from the settings (vplfont,
// vplsize points, vplbold, vplitalic; vplcolour text, vplback background, both 0x00BBGGRR), and the
// dialogs that change them.
//
// Threads: user-interface thread only.

#include <cstdint>

class CPlayerSettings;
class QAbstractItemView;
class QColor;
class QWidget;

class CListAppearance {
public:
    // Sets the view's font, row height and colours from the settings.
    static void Apply(QAbstractItemView &view, const CPlayerSettings &settings);
    // The font and colour dialogs; true when the user chose and the settings changed.
    static bool ChooseFont(CPlayerSettings &settings, QWidget *parent);
    static bool ChooseTextColour(CPlayerSettings &settings, QWidget *parent);
    static bool ChooseBackgroundColour(CPlayerSettings &settings, QWidget *parent);

    static QColor FromColorRef(std::uint32_t colour);
    static std::uint32_t ToColorRef(const QColor &colour);
};
