#pragma once
// The information window of a tracker module: caption and group by format ("MOD File Information",
// "MOD Info", ...), the header's facts, the title (up to the format's title length, written into the
// file when changed), the artist and "Looped" (kept in the playlist), sliders for the track's mixing
// and panning levels, and the tabs "Samples", "Instruments" (XM, IT) and "Message" (IT with a song
// message).
//
// Threads: user-interface thread only.

#include "core/CPlaylistEntry.h"
#include "info/CModuleInfo.h"
#include "ui/CInfoDialog.h"
#include "ui/IFileInfoWindows.h"

class CToolTipSlider;
class QCheckBox;
class QPlainTextEdit;
class QTabWidget;
class QTableWidget;

class CModuleInfoDialog : public CInfoDialog {
    Q_OBJECT
public:
    CModuleInfoDialog(const CPlaylistEntry &entry, CPlayerDoc &doc, QWidget *parent = nullptr);

    // What Save keeps: the texts, the loop flag and both levels as slider position + 1.
    CModuleEdit Edit() const;
    const CModuleInfo &Info() const { return m_info; }

    QLineEdit *ArtistEdit() const { return m_artist; }
    QLineEdit *TitleEdit() const { return m_title; }
    QCheckBox *LoopedBox() const { return m_looped; }
    CToolTipSlider *MixingSlider() const { return m_mixing; }
    CToolTipSlider *PanningSlider() const { return m_panning; }
    QTabWidget *Tabs() const { return m_tabs; }

    static constexpr const char *kMessageFont = "lucida console";
    static constexpr const char *kFallbackFont = "ms sans serif";

private:
    QTableWidget *SampleTable();
    QTableWidget *InstrumentTable();

    CModuleInfo m_info;
    std::string m_strOpenedTitle;
    QLineEdit *m_artist = nullptr;
    QLineEdit *m_title = nullptr;
    QCheckBox *m_looped = nullptr;
    CToolTipSlider *m_mixing = nullptr;
    CToolTipSlider *m_panning = nullptr;
    QTabWidget *m_tabs = nullptr;
};
