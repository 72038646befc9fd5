#pragma once
// The modeless "Graphic Equalizer" window: nine vertical gain sliders (top = +15 dB, tool tip "Gain: +2.0dB"), "Enable EQ" and
// "Reset Levels", over CEqualizer. The view creates it hidden, calls Initialise after the audio output
// is open, toggles it with the Graphic Equalizer command and calls SaveState at shut-down.
//
// Threads: user-interface thread only.

#include <QDialog>

#include <array>

class CEqualizer;
class CPlayerDoc;
class QCheckBox;
class QLabel;
class QPushButton;
class CToolTipSlider;

class CEqualizerDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 170;
    static constexpr int kCommandId = 32851; // Ctrl+G
    static constexpr int kEnableId = 1199;
    static constexpr std::array<int, 9> kSliderIds = {1197, 1189, 1190, 1191, 1192, 1193, 1194, 1195, 1196};
    static constexpr std::array<const char *, 9> kCaptions = {"80Hz", "150Hz", "300Hz", "600Hz", "1kHz",
                                                               "2kHz", "4kHz",  "8kHz",  "14kHz"};

    CEqualizerDlg(CPlayerDoc &doc, CEqualizer &eq, QWidget *parent = nullptr);
    ~CEqualizerDlg() override;

    // Levels from eq0..eq8 onto the sliders, the stored position, "Enable EQ" from eqenable; shown
    // when effects are available and eqshow is set, else (without effects) hidden with eqshow cleared.
    void Initialise();
    // The Graphic Equalizer command: shows or hides the window (only while effects are available).
    void ToggleVisible();
    // At shut-down: the levels into eq0..eq8, eqshow from the visibility, and the position.
    void SaveState();
    // Stores a changed position in eqxpos/eqypos ((0, 0) when off the top-left).
    void StorePosition();

    CToolTipSlider *Slider(int band) const { return m_sliders[static_cast<std::size_t>(band)]; }
    QLabel *Caption(int band) const { return m_captions[static_cast<std::size_t>(band)]; }
    QCheckBox *EnableBox() const { return m_enable; }
    QPushButton *ResetButton() const { return m_reset; }

private:
    void OnSliderMoved();
    void OnReset();
    void ShowLevels();

    CPlayerDoc &m_doc;
    CEqualizer &m_eq;
    std::array<CToolTipSlider *, 9> m_sliders{};
    std::array<QLabel *, 9> m_captions{};
    QCheckBox *m_enable = nullptr;
    QPushButton *m_reset = nullptr;
    int m_nOpenedX = 0;
    int m_nOpenedY = 0;
};
