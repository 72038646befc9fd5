#pragma once
// The modal "Extracting Audio" dialog: the progress bars "Current Track:" and "Total:", the status
// line (from "Initializing audio extraction..." to the last status text of the worker) and one button.
// It starts the extraction worker when shown; the worker's reports arrive as queued calls. Cancel
// while the worker runs aborts it (the dialog closes once it has ended); after a failure the dialog
// stays open with "Close". Each finished file is handed to `finished` on the user-interface thread.
//
// Threads: user-interface thread only (the IExtractProgress calls come from the worker and are queued).

#include "cd/CDiscRecord.h"
#include "cd/CEncoderHost.h"
#include "cd/CExtractWorker.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;

class CExtractProgressDialog : public QDialog, private IExtractProgress {
    Q_OBJECT
public:
    // `encoder` null writes WAV files.
    CExtractProgressDialog(const ICdDeviceOpener &drives, const CDiscRecord &record, const std::string &folder,
                           const EncoderBinding *encoder, std::function<void(const std::string &)> finished,
                           QWidget *parent = nullptr);
    ~CExtractProgressDialog() override;

    void reject() override;

    QString StatusText() const;
    QProgressBar *TrackBar() const { return m_track; }
    QProgressBar *TotalBar() const { return m_total; }
    QPushButton *Button() const { return m_button; }
    CExtractWorker::Outcome Result() const { return m_worker->Result(); }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void OnButton();
    // IExtractProgress (worker thread)
    void OnStatus(const std::string &text) override;
    void OnButton(const std::string &text) override;
    void OnTrackRange(std::uint32_t bytes) override;
    void OnTotalRange(std::uint32_t bytes) override;
    void OnProgress(std::uint32_t trackBytes, std::uint32_t totalBytes) override;
    void OnTrackFinished(const std::string &path) override;
    void OnFinished(bool failed) override;
    template <typename F> void Post(F f);

    CDiscRecord m_record;
    std::string m_strFolder;
    EncoderBinding m_encoder;
    bool m_bEncoder = false;
    std::function<void(const std::string &)> m_finished;
    std::unique_ptr<CExtractWorker> m_worker;
    bool m_bStarted = false;
    QProgressBar *m_track = nullptr;
    QProgressBar *m_total = nullptr;
    QLabel *m_status = nullptr;
    QPushButton *m_button = nullptr;
};
