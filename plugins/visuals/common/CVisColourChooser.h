#pragma once
// The colour dialog: 48 basic colours, 16 custom colours, a hue and lightness field for any other
// colour with "Add to Custom Colors", a preview of the choice, OK and Cancel. Opens with the current
// colour chosen; OK hands the choice over, Cancel, Escape and the close box drop it.

#include "plugins/visuals/common/IVisPopup.h"
#include "plugins/visuals/common/VisX.h"

#include <array>
#include <cstdint>
#include <functional>

class CVisColourChooser : public IVisPopup {
public:
    // Colours here are pixels (0x00RRGGBB). `custom` belongs to the plug-in and keeps additions.
    CVisColourChooser(const VisX &x, Window owner, const char *title, std::uint32_t initial,
                      std::array<std::uint32_t, 16> &custom, std::function<void(std::uint32_t)> accepted);
    ~CVisColourChooser() override;

    Window Id() const override { return m_window; }
    bool Handle(const XEvent &event) override;

    static std::array<std::uint32_t, 48> BasicColours();
    // The colour of the hue and lightness field at (column, row) of a width x height field.
    static std::uint32_t FieldColour(int column, int row, int width, int height);

private:
    bool Click(int x, int y);
    void Draw();

    const VisX &m_x;
    std::array<std::uint32_t, 16> &m_custom;
    std::function<void(std::uint32_t)> m_accepted;
    std::array<std::uint32_t, 48> m_basic;
    std::uint32_t m_current;
    std::size_t m_nextCustom = 0;
    Window m_window = 0;
    GC m_gc = nullptr;
    XImage *m_field = nullptr;
};
