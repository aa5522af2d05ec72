// CFirmwareUpdateDlg: the firmware update dialog: file, progress per player.
#pragma once

#include <memory>

#include <QString>
#include <QStringList>
#include <QTimer>

#include "modaldialog.h"
#include "updatelistener.h"
#include "uploadfile.h"

class QProgressBar;

// Drives a firmware update of the selected player: the user chooses a file,
// which is read whole there and then, and presses "Update"; the player is
// told to fetch it from this machine, the dialog's file server hands it over,
// the bar follows the upload, and the dialog closes itself a moment after
// the upload has completed. The server listens for exactly as long as the
// dialog runs. Only the selected player's download counts: another host's
// completing or failing neither closes nor fails the update.
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
    // A cut upload's thread ends at its next event; this only bounds the
    // wait for it when the user stops the update.
    static constexpr int ABORT_WAIT_MS = 5000;

    explicit CFirmwareUpdateDlg(CSetupManager &manager, QWidget *parent = nullptr);
    ~CFirmwareUpdateDlg() override;

    void done(int result) override;

    // The selected player is downloading and has not completed.
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
    void OnUploadStarted(qint64 nPlayer);
    void OnUploadFailed(const QString &text);
    void OnNoPlayerConnected();
    void ShowFailure(const QString &text);
    // Whether a message about nPlayer's upload belongs to this update.
    bool IsOurPlayer(qint64 nPlayer) const;
    // Cuts every download and waits, boundedly, until they have ended.
    void StopDownloads();
    // What is wrong with a file that could not be taken, for the user.
    static QString FileProblem(const QString &path, CUploadFile::ELoad outcome);
    // Why the file server cannot serve, naming who holds its port.
    QString PortProblem() const;
    void EnableButtons(bool update, bool chooseFile, bool cancel) const;

    QString m_strTitle;
    QString m_strNotice;
    QProgressBar *m_pProgress = nullptr;
    QString m_strFilePath;
    // What every download serves: m_strFilePath as it was when chosen.
    std::shared_ptr<const CUploadFile> m_pImage;
    CUpdateListener m_listener;
    bool m_bUpdating = false;
    // The player told to download, as the uploaders name it; 0 before.
    qint64 m_nPlayer = 0;
    // Stopped or closed: later reports of uploads are no news to the user.
    bool m_bEnded = false;
    const int m_nProgressMax = PROGRESS_MAX;
    int m_nTimerId = 0;
    int m_nConnectWaitMs = CONNECT_WAIT_MS;
    QTimer m_connectWait;
    // One failure box at a time; failures that come while it is open wait
    // here and are shown together after it.
    bool m_bShowingFailure = false;
    QStringList m_pendingFailures;
};
