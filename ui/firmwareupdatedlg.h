#pragma once

#include <QString>

#include "modaldialog.h"
#include "updatelistener.h"

class QProgressBar;

// Drives a firmware update of the selected player: the user chooses a file
// and presses "Update"; the player is told to fetch it from this machine, the
// dialog's file server hands it over, the bar follows the upload, and the
// dialog closes itself a moment after the upload has completed. The server
// listens for exactly as long as the dialog runs.
class CFirmwareUpdateDlg : public CModalDialog
{
    Q_OBJECT

public:
    static constexpr int IDD = 135;
    static constexpr int IDC_CHOOSE_FILE = 1038;
    static constexpr int IDC_PROGRESS = 1039;
    static constexpr int IDC_TITLE = 1040;
    static constexpr int IDC_NOTICE = 1041;
    static constexpr int IDC_FILE_PATH = 1042;
    // The uploader reports progress on this scale; its end means complete.
    static constexpr int PROGRESS_MAX = 500;
    // Long enough for the user to see the full bar before the dialog goes.
    static constexpr int CLOSE_DELAY_MS = 1000;
    // Lets the bar's last repaint reach the screen before anything else runs.
    static constexpr int COMPLETION_PAUSE_MS = 100;

    explicit CFirmwareUpdateDlg(QWidget *parent = nullptr);
    ~CFirmwareUpdateDlg() override;

    void done(int result) override;

    // A player is downloading and has not completed.
    bool IsUpdating() const { return m_bUpdating; }
    CUpdateListener &Listener() { return m_listener; }

protected:
    void OnInitDialog() override;
    // "Update"
    void OnOK() override;
    void OnCancel() override;
    bool event(QEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    void OnChooseFile();
    void OnUploadProgress(int progress);
    void EnableButtons(bool update, bool chooseFile, bool cancel) const;

    QString m_strTitle;
    QString m_strNotice;
    QProgressBar *m_pProgress = nullptr;
    QString m_strFilePath;
    CUpdateListener m_listener;
    bool m_bUpdating = false;
    const int m_nProgressMax = PROGRESS_MAX;
    int m_nTimerId = 0;
};
