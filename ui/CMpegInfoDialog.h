#pragma once
// The "MPEG File Information" window: the file's facts in the "MPEG Info" group and its ID3v1 tag to
// edit (title, artist, album and comment up to 30 characters, the year up to 4, the genre from the
// sorted list with "<unknown>"). Fields() gives what Save takes.
//
// Threads: user-interface thread only.

#include "tags/CTagFields.h"
#include "ui/CInfoDialog.h"

class QComboBox;

class CMpegInfoDialog : public CInfoDialog {
    Q_OBJECT
public:
    CMpegInfoDialog(const std::string &path, CPlayerDoc &doc, QWidget *parent = nullptr);

    CTagFields Fields() const;

    QLineEdit *ArtistEdit() const { return m_artist; }
    QLineEdit *TitleEdit() const { return m_title; }
    QLineEdit *AlbumEdit() const { return m_album; }
    QLineEdit *CommentEdit() const { return m_comment; }
    QLineEdit *YearEdit() const { return m_year; }
    QComboBox *GenreBox() const { return m_genre; }
    const std::string &InfoText() const { return m_strInfo; }

private:
    QLineEdit *m_artist = nullptr;
    QLineEdit *m_title = nullptr;
    QLineEdit *m_album = nullptr;
    QLineEdit *m_comment = nullptr;
    QLineEdit *m_year = nullptr;
    QComboBox *m_genre = nullptr;
    std::string m_strInfo;
};
