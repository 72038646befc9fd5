#pragma once
// The information window of Ogg Vorbis, FLAC and Windows Media files: caption and group named after
// the format (the WMA group after the file's codec), the facts in two columns, and the six tag texts
// to edit; the genre list is editable, so a genre not in it is kept as typed.
//
// Threads: user-interface thread only.

#include "info/CTagInfo.h"
#include "ui/CInfoDialog.h"

#include <optional>

class IWmaInfoReader;
class QComboBox;
class QPlainTextEdit;

class CTagInfoDialog : public CInfoDialog {
    Q_OBJECT
public:
    // `pending`: texts saved for the playing file and not written yet, shown instead of the file's.
    CTagInfoDialog(const std::string &path, CTagInfo::Format format, CPlayerDoc &doc, IWmaInfoReader *wma,
                   const std::optional<CTagFields> &pending = std::nullopt, QWidget *parent = nullptr);

    CTagFields Fields() const;
    const CTagInfo &Info() const { return m_info; }

    QLineEdit *ArtistEdit() const { return m_artist; }
    QLineEdit *TitleEdit() const { return m_title; }
    QLineEdit *AlbumEdit() const { return m_album; }
    QLineEdit *YearEdit() const { return m_year; }
    QComboBox *GenreBox() const { return m_genre; }
    QPlainTextEdit *CommentEdit() const { return m_comment; }

private:
    CTagInfo m_info;
    QLineEdit *m_artist = nullptr;
    QLineEdit *m_title = nullptr;
    QLineEdit *m_album = nullptr;
    QLineEdit *m_year = nullptr;
    QComboBox *m_genre = nullptr;
    QPlainTextEdit *m_comment = nullptr;
};
