#pragma once
// The modal "Extract Audio" dialog: the disc's audio tracks with check boxes (number, title, MM:SS.FF
// duration), the output format ("Windows PCM", then each encoder plug-in's name), the base folder with
// "Browse", "Configure" for the chosen plug-in, "Add extracted tracks to current playlist", Extract and
// Cancel. Extract is enabled only while a track is checked; the check marks go into the dialog's copy
// of the disc record.
//
// Threads: user-interface thread only.

#include "cd/CDiscRecord.h"

#include <QDialog>

#include <string>

class CEncoderHost;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

class CExtractDialog : public QDialog {
    Q_OBJECT
public:
    struct Choices {
        std::string folder;  // extractdir
        bool addToPlaylist = true; // extractadd
        std::string encoder; // extractenc: the plug-in's file name, empty for WAV
    };

    CExtractDialog(const CDiscRecord &record, CEncoderHost &encoders, const Choices &choices, QWidget *parent = nullptr);

    // The record with the rows' check marks.
    const CDiscRecord &Record() const { return m_record; }
    // The choices as they stand (encoder: the chosen plug-in's file name).
    Choices Chosen() const;
    // The chosen plug-in's index in the host, or -1 for "Windows PCM".
    int EncoderIndex() const;

    // A duration in frames as MM:SS.FF (minutes below 10 with a leading 0).
    static QString FormatFrames(std::uint32_t frames);

    QTreeWidget *TrackList() const { return m_tracks; }
    QComboBox *FormatList() const { return m_formats; }
    QLineEdit *FolderEdit() const { return m_folder; }
    QPushButton *ExtractButton() const { return m_extract; }
    QPushButton *ConfigureButton() const { return m_configure; }
    QCheckBox *AddCheck() const { return m_add; }

private:
    void OnTrackChanged();
    void OnFormatChanged();
    void OnBrowse();
    void OnConfigure();

    CDiscRecord m_record;
    CEncoderHost &m_encoders;
    bool m_bInitialised = false;
    QTreeWidget *m_tracks = nullptr;
    QComboBox *m_formats = nullptr;
    QLineEdit *m_folder = nullptr;
    QPushButton *m_browse = nullptr;
    QPushButton *m_configure = nullptr;
    QCheckBox *m_add = nullptr;
    QPushButton *m_extract = nullptr;
};
