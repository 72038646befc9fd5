#pragma once
// The options page "General": the audio output (device, sample rate, buffer length, 32-bit mixing),
// gapless playback, the CD reading priority and module playback (automatic level correction, levels
// from the playlist, and per kind - [MOD] and [S3M/XM/IT] - default mixing, panning, surround and
// volume ramping, plus song looping). Every control carries the name of the setting it edits as its
// object name.
//
// Threads: user-interface thread only.

#include "playlist/CPlayerSettings.h"

#include <QWidget>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class CToolTipSlider;

class COptionsBass : public QWidget {
    Q_OBJECT
public:
    // `devices`: the engine's output device names; `floatOutput`: whether 32-bit mixing is available;
    // without a CD drive the priority list and its label are disabled.
    COptionsBass(const CPlayerSettings &current, const std::vector<std::string> &devices, bool floatOutput,
                 bool hasCdDrive, QWidget *parent = nullptr);

    // The page's values over `choices`. The device stays as stored unless another one was picked; the
    // priority and 32-bit mixing stay when their controls are disabled.
    void Read(CPlayerSettings &choices) const;

private:
    QComboBox *AddList(const char *name, std::initializer_list<const char *> items, int selected);

    QComboBox *m_device = nullptr;
    int m_nShownDevice = 0;
    QComboBox *m_rate = nullptr;
    QComboBox *m_buffer = nullptr;
    QCheckBox *m_float = nullptr;
    QCheckBox *m_gapless = nullptr;
    QLabel *m_priorityLabel = nullptr;
    QComboBox *m_priority = nullptr;
    QCheckBox *m_autocorrect = nullptr;
    QCheckBox *m_modlevels = nullptr;
    CToolTipSlider *m_mixing[2] = {};
    CToolTipSlider *m_panning[2] = {};
    QComboBox *m_surround[2] = {};
    QComboBox *m_ramping[2] = {};
    QComboBox *m_looping = nullptr;
};
