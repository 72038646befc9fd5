#pragma once
// The "WAV File Information" window: the facts of the wave header in the "WAV Info" group, and an
// artist and a title (up to 32 characters) that Save keeps in the playlist only.
//
// Threads: user-interface thread only.

#include "ui/CInfoDialog.h"

class CWavInfoDialog : public CInfoDialog {
    Q_OBJECT
public:
    static constexpr int kTextLimit = 32;
    static constexpr const char *kNote = " [NB. *Information which is stored only in the playlist]";

    CWavInfoDialog(const std::string &path, CPlayerDoc &doc, QWidget *parent = nullptr);

    std::string Artist() const;
    std::string Title() const;

    QLineEdit *ArtistEdit() const { return m_artist; }
    QLineEdit *TitleEdit() const { return m_title; }
    const std::string &InfoText() const { return m_strInfo; }

private:
    QLineEdit *m_artist = nullptr;
    QLineEdit *m_title = nullptr;
    std::string m_strInfo;
};
