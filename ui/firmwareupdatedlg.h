// CFirmwareUpdateDlg: the firmware update dialog: file, progress per player.
#pragma once

#include <QString>
#include <QStringList>
#include <QTimer>

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
    // A player fetches within seconds of the command; a minute without a
    // connect means it never will (a firewall, or a player that ignored it).
    static constexpr int CONNECT_WAIT_MS = 60000;

    explicit CFirmwareUpdateDlg(CSetupManager &manager, QWidget *parent = nullptr);
    ~CFirmwareUpdateDlg() override;

    void done(int result) override;

    // A player is downloading and has not completed.
    bool IsUpdating() const { return m_bUpdating; }
    CUpdateListener &Listener() { return m_listener; }
    // Tests shorten the wait for the player's connect.
    void SetConnectWaitMs(int milliseconds) { m_nConnectWaitMs = milliseconds; }

protected:
    void OnInitDialog() override;
    // "Update"
    void OnOK() override;
    void OnCancel() override;
    bool event(QEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void OnChooseFile();
    void OnUploadProgress(int progress);
    void OnUploadStarted();
    void OnUploadFailed(const QString &text);
    void OnNoPlayerConnected();
    void ShowFailure(const QString &text);
    // Empty when path can be sent, otherwise what is wrong with it.
    static QString FileProblem(const QString &path);
    void EnableButtons(bool update, bool chooseFile, bool cancel) const;

    QString m_strTitle;
    QString m_strNotice;
    QProgressBar *m_pProgress = nullptr;
    QString m_strFilePath;
    CUpdateListener m_listener;
    bool m_bUpdating = false;
    const int m_nProgressMax = PROGRESS_MAX;
    int m_nTimerId = 0;
    int m_nConnectWaitMs = CONNECT_WAIT_MS;
    QTimer m_connectWait;
    // One failure box at a time; failures that come while it is open wait
    // here and are shown together after it.
    bool m_bShowingFailure = false;
    QStringList m_pendingFailures;
};
