#pragma once
// The "General" page of the disc information sheet: artist, title, genre (the 148 ID3v1 and Winamp
// genres; any other text stays as typed), year and the disc's extended data. Every change goes into
// the sheet's record at once; the extended data is shown unescaped and stored escaped, and Ctrl+Tab
// in it types a TAB. Controls carry object names: artist, title, genre, year, extd.
//
// Threads: user-interface thread only.

#include <QWidget>

class CDiscRecord;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

class CDiscInfo1 : public QWidget {
    Q_OBJECT
public:
    CDiscInfo1(CDiscRecord &record, QWidget *parent = nullptr);

    // Shows the record's texts again (after CD-Text or freedb replaced them).
    void Load();

    QLineEdit *ArtistEdit() const { return m_artist; }
    QLineEdit *TitleEdit() const { return m_title; }
    QComboBox *GenreBox() const { return m_genre; }
    QLineEdit *YearEdit() const { return m_year; }
    QPlainTextEdit *ExtdEdit() const { return m_extd; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    CDiscRecord &m_record;
    QLineEdit *m_artist = nullptr;
    QLineEdit *m_title = nullptr;
    QComboBox *m_genre = nullptr;
    QLineEdit *m_year = nullptr;
    QPlainTextEdit *m_extd = nullptr;
};
